# The build refuses a file of the window manager, GDI or DirectDraw that includes anything of
# the test seam (or of a backend), and accepts the layer's own headers: run
# cmake/layer_includes.cmake on a small tree.
#   cmake -DCHECK=<cmake/layer_includes.cmake> -DWORK=<scratch folder> -P layer_includes_refused.cmake
file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/platform/win/good.cpp
     "#include <windows.h>\n#include \"win/backend.h\"\n#include \"text/cp932.h\"\n#include <vector>\n")
file(WRITE ${WORK}/platform/gdi/good.h "#pragma once\n#include \"gdi/pixels.h\"\n")
# Outside the window manager the seam's headers are in their place.
file(WRITE ${WORK}/platform/qt/inspect.cpp "#include \"automation/automation.h\"\n")
file(WRITE ${WORK}/tools/scenario/main.cpp "#include \"automation/automation.h\"\n")

set(ACCEPTED_WRONGLY "a window manager file including the test seam or a backend was accepted")
set(REFUSED_WRONGLY "the layer's own headers were refused")
include(${CMAKE_CURRENT_LIST_DIR}/include_check_run.cmake)

run_check(FALSE "")
foreach(folder win gdi ddraw)
  foreach(bad "#include \"automation/automation.h\"" "  #  include <automation/inspect.h>"
              "#include \"platform/automation/automation.h\"")
    file(WRITE ${WORK}/platform/${folder}/bad.cpp "${bad}\n")
    run_check(TRUE "platform/${folder}/bad.cpp includes the test seam's header")
    file(REMOVE ${WORK}/platform/${folder}/bad.cpp)
  endforeach()
endforeach()
file(WRITE ${WORK}/platform/win/bad.h "#include <QWidget>\n")
run_check(TRUE "platform/win/bad.h includes a backend header")
file(REMOVE ${WORK}/platform/win/bad.h)
file(WRITE ${WORK}/platform/ddraw/bad.h "#include \"qt/view.h\"\n")
run_check(TRUE "platform/ddraw/bad.h includes a backend header")
file(REMOVE_RECURSE ${WORK})
