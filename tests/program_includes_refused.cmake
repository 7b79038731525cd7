# The build refuses a program file that includes one of the layer's own headers, and accepts
# the SDK's headers and the program's own: run cmake/program_includes.cmake on a small tree.
#   cmake -DCHECK=<cmake/program_includes.cmake> -DWORK=<scratch folder> -P program_includes_refused.cmake
file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/platform/include/windows.h "")
file(WRITE ${WORK}/platform/win/backend.h "")
file(WRITE ${WORK}/platform/text/cp932.h "")
file(WRITE ${WORK}/app/good.cpp "#include <windows.h>\n#include \"app/good.h\"\n#include <cstring>\n")
file(WRITE ${WORK}/app/good.h "#pragma once\n")

set(ACCEPTED_WRONGLY "a program file including a layer header was accepted")
set(REFUSED_WRONGLY "SDK and program headers were refused")
include(${CMAKE_CURRENT_LIST_DIR}/include_check_run.cmake)

run_check(FALSE "")
foreach(bad "#include \"text/cp932.h\"" "# include <win/backend.h>" "#include \"platform/win/backend.h\"")
  file(WRITE ${WORK}/display/bad.cpp "${bad}\n")
  run_check(TRUE "display/bad.cpp includes the platform layer's own header")
endforeach()
file(REMOVE ${WORK}/display/bad.cpp)
file(WRITE ${WORK}/res/bad.rc "#include \"win/backend.h\"\n")
run_check(TRUE "res/bad.rc")
file(REMOVE_RECURSE ${WORK})
