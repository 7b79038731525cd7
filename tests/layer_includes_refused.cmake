# The build refuses a file of the window manager, GDI or DirectDraw that includes anything of
# the test seam (or of a backend), and a backend's file that includes the seam, and accepts the
# layer's own headers: run cmake/layer_includes.cmake on a small tree.
#   cmake -DCHECK=<cmake/layer_includes.cmake> -DWORK=<scratch folder> -P layer_includes_refused.cmake
file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/platform/win/good.cpp
     "#include <windows.h>\n#include \"win/backend.h\"\n#include \"text/cp932.h\"\n#include <vector>\n")
file(WRITE ${WORK}/platform/gdi/good.h "#pragma once\n#include \"gdi/pixels.h\"\n")
# The seam's own files and the tools' use the seam's headers; a backend uses its own and Qt's.
file(WRITE ${WORK}/platform/automation/qt/inspect.cpp
     "#include \"automation/inspect.h\"\n#include <QWidget>\n#include \"qt/widgets.h\"\n")
file(WRITE ${WORK}/platform/qt/view.cpp "#include <QWidget>\n#include \"qt/view.h\"\n#include \"win/backend.h\"\n")
file(WRITE ${WORK}/platform/null/backend.cpp "#include \"null/desktop.h\"\n#include \"win/backend.h\"\n")
file(WRITE ${WORK}/tools/scenario/main.cpp "#include \"automation/automation.h\"\n")

set(ACCEPTED_WRONGLY "a window manager file including the test seam or a backend, or a backend file including the seam, was accepted")
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
file(REMOVE ${WORK}/platform/ddraw/bad.h)
# The seam's Qt part back in the backend's folder, and the null backend reaching for the seam.
file(WRITE ${WORK}/platform/qt/user_input.cpp "#include <QTest>\n#include \"automation/automation.h\"\n")
run_check(TRUE "platform/qt/user_input.cpp includes the test seam's header automation/automation.h; a backend")
file(REMOVE ${WORK}/platform/qt/user_input.cpp)
file(WRITE ${WORK}/platform/null/seam.h "#pragma once\n#include <automation/inspect.h>\n")
run_check(TRUE "platform/null/seam.h includes the test seam's header automation/inspect.h; a backend")
file(REMOVE_RECURSE ${WORK})
