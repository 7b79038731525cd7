# The native Windows build (cmake/mingw-w64.cmake): the program's own sources, unchanged,
# against the SDK's headers and libraries, with the resource script compiled by the system's
# resource compiler; nothing of the platform layer.
enable_language(RC)

include(cmake/program_includes.cmake)
celwright_check_program_includes(${CMAKE_SOURCE_DIR})

add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wall> $<$<COMPILE_LANGUAGE:CXX>:-Wextra>)
# The program's texts are CP932, as on a Japanese Windows; the script says it is UTF-8.
set(CELWRIGHT_PROGRAM_CHARSET -finput-charset=UTF-8 -fexec-charset=CP932)
set(CELWRIGHT_SYSTEM_LIBRARIES ddraw comctl32 comdlg32 gdi32 user32 shell32)

file(GLOB CELWRIGHT_PROGRAM_SOURCES CONFIGURE_DEPENDS
  app/*.cpp project/*.cpp files/*.cpp display/*.cpp)
add_executable(celwright WIN32 ${CELWRIGHT_PROGRAM_SOURCES} res/celwright.rc)
target_include_directories(celwright PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res)
target_compile_options(celwright PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${CELWRIGHT_PROGRAM_CHARSET}>)
# One file to copy: the C and C++ runtimes are linked in, no console window opens.
target_link_options(celwright PRIVATE -static -mwindows)
target_link_libraries(celwright PRIVATE ${CELWRIGHT_SYSTEM_LIBRARIES})


enable_testing()
# One file that needs only the system's libraries and opens no console.
find_program(CELWRIGHT_OBJDUMP NAMES ${CMAKE_OBJDUMP} x86_64-w64-mingw32-objdump)
if(CELWRIGHT_OBJDUMP)
  add_test(NAME Windows.ExecutableNeedsOnlyTheSystem
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CELWRIGHT_OBJDUMP} -DEXE=$<TARGET_FILE:celwright>
                   -P ${CMAKE_SOURCE_DIR}/tests/windows/system_dlls.cmake)
endif()
