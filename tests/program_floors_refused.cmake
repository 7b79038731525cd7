# The build refuses a program file whose include points up a floor, or that stands on no floor,
# and accepts includes that point down or stay on their floor: cmake/program_floors.cmake run on
# a small tree with files named as the program's are.
#   cmake -DCHECK=<cmake/program_floors.cmake> -DWORK=<scratch folder> -P program_floors_refused.cmake
file(REMOVE_RECURSE ${WORK})
file(WRITE ${WORK}/project/tables.h "#pragma once\n#include <windows.h>\n")
file(WRITE ${WORK}/files/file_io.cpp "#include \"files/file_io.h\"\n#include \"project/tables.h\"\n")
file(WRITE ${WORK}/files/file_io.h "#pragma once\n")
file(WRITE ${WORK}/display/playback.cpp "#include \"files/file_io.h\"\n#include \"display/edit_panel.h\"\n")
file(WRITE ${WORK}/display/edit_panel.h "#pragma once\n#include \"resource.h\"\n")
file(WRITE ${WORK}/res/resource.h "#pragma once\n")
file(WRITE ${WORK}/app/startup.cpp "#include \"display/edit_panel.h\"\n#include \"project/tables.h\"\n")

set(ACCEPTED_WRONGLY "a tree with an include that points up a floor, or a file on no floor, was accepted")
set(REFUSED_WRONGLY "includes that point down were refused")
include(${CMAKE_CURRENT_LIST_DIR}/include_check_run.cmake)

run_check(FALSE "")
# A view included by an operation, the app included by a view, the app by the model.
file(APPEND ${WORK}/files/file_io.cpp "#include \"display/edit_panel.h\"\n")
run_check(TRUE "files/file_io.cpp \\(floor operations\\) includes display/edit_panel.h")
file(WRITE ${WORK}/files/file_io.cpp "#include \"files/file_io.h\"\n")
file(APPEND ${WORK}/display/playback.cpp "#include \"app/startup.h\"\n")
run_check(TRUE "display/playback.cpp \\(floor views\\) includes app/startup.h")
file(WRITE ${WORK}/display/playback.cpp "\n")
file(APPEND ${WORK}/project/tables.h "#include \"app/main_window.h\"\n")
run_check(TRUE "project/tables.h \\(floor model\\) includes app/main_window.h")
file(WRITE ${WORK}/project/tables.h "#pragma once\n")
file(WRITE ${WORK}/display/stray.cpp "\n")
run_check(TRUE "display/stray.cpp stands on no floor")
file(REMOVE_RECURSE ${WORK})
