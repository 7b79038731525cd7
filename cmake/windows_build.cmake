# The native Windows build (cmake/mingw-w64.cmake): the program's own sources, unchanged,
# against the SDK's headers and libraries, with the resource script compiled by the system's
# resource compiler; nothing of the platform layer. Also the conformance tests, which check
# the layer against the system (run under Wine where it is installed).
enable_language(RC)

include(cmake/program_includes.cmake)
celwright_check_program_includes(${CMAKE_SOURCE_DIR})
include(cmake/program_floors.cmake)
celwright_check_program_floors(${CMAKE_SOURCE_DIR})

add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wall> $<$<COMPILE_LANGUAGE:CXX>:-Wextra>)
# The program's texts are CP932, as on a Japanese Windows; the script says it is UTF-8.
set(CELWRIGHT_PROGRAM_CHARSET -finput-charset=UTF-8 -fexec-charset=CP932)
set(CELWRIGHT_SYSTEM_LIBRARIES ddraw comctl32 comdlg32 gdi32 gdiplus user32 shell32)

file(GLOB CELWRIGHT_PROGRAM_SOURCES CONFIGURE_DEPENDS
  app/*.cpp project/*.cpp files/*.cpp display/*.cpp)
add_executable(celwright WIN32 ${CELWRIGHT_PROGRAM_SOURCES} res/celwright.rc)
target_include_directories(celwright PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res)
target_compile_options(celwright PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${CELWRIGHT_PROGRAM_CHARSET}>)
target_compile_definitions(celwright PRIVATE $<$<COMPILE_LANGUAGE:CXX>:CELWRIGHT_VERSION="${PROJECT_VERSION}">)
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

# ---- tests under Wine ---------------------------------------------------------------------
# They are registered whatever this machine has: each script skips loudly (exit 77, a failure
# under CI=true) when Wine, Xvfb, a tool it drives the desktop with or the ja_JP.UTF-8 locale is
# missing. They share one Wine prefix, which one Wine program at a time may use (stopping Wine
# stops every program of the prefix): the prefix is a resource of theirs, not the machine.
set(CELWRIGHT_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CELWRIGHT_WINE_ENVIRONMENT WINEPREFIX=${CELWRIGHT_WINE_PREFIX})

# The conformance suites (tests/conformance), built against the SDK: console programs that run
# through tests/windows/run.sh. Their dialog templates come from the resource compiler of the
# platform layer, built for this machine, so that both builds compare with the same data: the
# native build's (CELWRIGHT_NATIVE_BUILD), or one built here when there is none.
set(CELWRIGHT_NATIVE_BUILD "" CACHE PATH "The native build, whose scenario driver the executable is compared with")
set(CELWRIGHT_NATIVE_RC ${CELWRIGHT_NATIVE_BUILD}/tools/rc/celwright-rc)
if(CELWRIGHT_NATIVE_BUILD AND EXISTS ${CELWRIGHT_NATIVE_RC})
  set(CELWRIGHT_HOST_RC ${CELWRIGHT_NATIVE_RC})
  add_custom_target(celwright_rc_host)
else()
  include(ExternalProject)
  set(CELWRIGHT_HOST_RC ${CMAKE_BINARY_DIR}/host-rc/celwright-rc)
  ExternalProject_Add(celwright_rc_host
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/rc
    BINARY_DIR ${CMAKE_BINARY_DIR}/host-rc
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
    INSTALL_COMMAND ""
    BUILD_ALWAYS TRUE
    BUILD_BYPRODUCTS ${CELWRIGHT_HOST_RC})
endif()
set(CELWRIGHT_DIALOG_TEMPLATES ${CMAKE_BINARY_DIR}/conformance/dialog_templates.h)
add_custom_command(
  OUTPUT ${CELWRIGHT_DIALOG_TEMPLATES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/conformance
  COMMAND ${CELWRIGHT_HOST_RC} -I ${CMAKE_SOURCE_DIR}/platform/include ${CMAKE_SOURCE_DIR}/res/celwright.rc
          --layouts ${CELWRIGHT_DIALOG_TEMPLATES}
  DEPENDS ${CMAKE_SOURCE_DIR}/res/celwright.rc ${CMAKE_SOURCE_DIR}/res/resource.h ${CELWRIGHT_HOST_RC}
          celwright_rc_host
  COMMENT "Writing the dialog templates for the conformance tests"
  VERBATIM)
add_custom_target(conformance_dialog_templates DEPENDS ${CELWRIGHT_DIALOG_TEMPLATES})
# What every suite links: the framework and the program's resources, compiled once.
add_library(conformance_framework STATIC tests/conformance/conformance.cpp)
target_include_directories(conformance_framework PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res)
add_library(conformance_resources OBJECT res/celwright.rc)
target_include_directories(conformance_resources PRIVATE ${CMAKE_SOURCE_DIR}/res)
include(tests/conformance/suites.cmake)
foreach(entry IN LISTS CELWRIGHT_CONFORMANCE_SUITES)
  string(REPLACE ":" ";" parts ${entry})
  list(GET parts 0 suite)
  set(target conformance_${suite})
  celwright_conformance_main(${suite} main)
  add_executable(${target} tests/conformance/test_${suite}.cpp ${main} $<TARGET_OBJECTS:conformance_resources>)
  target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/conformance)
  add_dependencies(${target} conformance_dialog_templates)
  # Test code without optimisation, as in the native build: it compiles in half the time.
  set_source_files_properties(tests/conformance/test_${suite}.cpp PROPERTIES
                              COMPILE_OPTIONS "${CELWRIGHT_PROGRAM_CHARSET};-O0")
  target_link_options(${target} PRIVATE -static)
  # advapi32: the security descriptors of the files suite.
  target_link_libraries(${target} PRIVATE conformance_framework ${CELWRIGHT_SYSTEM_LIBRARIES} advapi32)
  add_test(NAME Conformance.${suite}
           COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/run.sh $<TARGET_FILE:${target}>)
  set_tests_properties(Conformance.${suite} PROPERTIES ENVIRONMENT "${CELWRIGHT_WINE_ENVIRONMENT}"
                       FIXTURES_REQUIRED wine_prefix RESOURCE_LOCK wine_prefix TIMEOUT 120
                       SKIP_RETURN_CODE 77)
endforeach()

# The prefix is made once, in the build tree; later runs find it ready.
add_test(NAME Wine.Prefix COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/prefix.sh ${CELWRIGHT_WINE_PREFIX})
set_tests_properties(Wine.Prefix PROPERTIES FIXTURES_SETUP wine_prefix RESOURCE_LOCK wine_prefix TIMEOUT 600
                     SKIP_RETURN_CODE 77)

# The editor itself under Wine: a small SDK program reads what the system knows of its windows.
add_executable(celwright-probe tests/windows/probe.cpp)
target_link_options(celwright-probe PRIVATE -static)
target_link_libraries(celwright-probe PRIVATE user32 comctl32)
add_test(NAME Wine.SmokeTest
         COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/smoke.sh $<TARGET_FILE:celwright>
                 $<TARGET_FILE:celwright-probe> ${CMAKE_SOURCE_DIR}/tests/data ${CMAKE_BINARY_DIR}/screenshots)
set_tests_properties(Wine.SmokeTest PROPERTIES ENVIRONMENT "${CELWRIGHT_WINE_ENVIRONMENT}"
                     FIXTURES_REQUIRED wine_prefix RESOURCE_LOCK wine_prefix TIMEOUT 300 SKIP_RETURN_CODE 77)

# The executable as a user runs it: walk.cwp opened from the file menu, covered, uncovered,
# minimised and restored, stopped and playing, closed; and the same steps in the native editor
# (the scenario driver of CELWRIGHT_NATIVE_BUILD), whose controls and pictures must agree.
add_test(NAME Wine.Session
         COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/session.sh $<TARGET_FILE:celwright>
                 $<TARGET_FILE:celwright-probe> ${CMAKE_SOURCE_DIR}/examples ${CMAKE_BINARY_DIR}/session)
set_tests_properties(Wine.Session PROPERTIES ENVIRONMENT "${CELWRIGHT_WINE_ENVIRONMENT}"
                     FIXTURES_REQUIRED wine_prefix FIXTURES_SETUP wine_session RESOURCE_LOCK wine_prefix
                     TIMEOUT 300 SKIP_RETURN_CODE 77)
# A second editor started in the folder of one that edits is not offered its live recovery
# copy; once the first is killed, the next start offers it.
add_test(NAME Wine.TwoEditors
         COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/two_editors.sh $<TARGET_FILE:celwright> ${CMAKE_SOURCE_DIR}/examples)
set_tests_properties(Wine.TwoEditors PROPERTIES ENVIRONMENT "${CELWRIGHT_WINE_ENVIRONMENT}"
                     FIXTURES_REQUIRED wine_prefix RESOURCE_LOCK wine_prefix TIMEOUT 300 SKIP_RETURN_CODE 77)
add_test(NAME Wine.BuildsAgree
         COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/compare_builds.sh
                 ${CELWRIGHT_NATIVE_BUILD}/tools/scenario/celwright-scenario ${CMAKE_SOURCE_DIR}/examples
                 ${CMAKE_BINARY_DIR}/session)
set_tests_properties(Wine.BuildsAgree PROPERTIES FIXTURES_REQUIRED wine_session SKIP_RETURN_CODE 77)

# The newcomer's journey under Wine (tests/journeys), then the same journey on the native build
# (CELWRIGHT_NATIVE_BUILD) and the two compared at its named points, region by region, with the
# differences tests/journeys/differences.txt lists and explains.
add_test(NAME Journeys.Wine
         COMMAND ${CMAKE_SOURCE_DIR}/tests/journeys/journey.sh wine $<TARGET_FILE:celwright>
                 ${CMAKE_SOURCE_DIR}/examples ${CMAKE_BINARY_DIR}/journeys/wine $<TARGET_FILE:celwright-probe>)
set_tests_properties(Journeys.Wine PROPERTIES ENVIRONMENT "${CELWRIGHT_WINE_ENVIRONMENT}"
                     FIXTURES_REQUIRED wine_prefix FIXTURES_SETUP wine_journey RESOURCE_LOCK wine_prefix
                     TIMEOUT 300 SKIP_RETURN_CODE 77)
add_test(NAME Journeys.BuildsAgree
         COMMAND ${CMAKE_SOURCE_DIR}/tests/journeys/both_builds.sh ${CELWRIGHT_NATIVE_BUILD}/celwright
                 ${CMAKE_SOURCE_DIR}/examples ${CMAKE_BINARY_DIR}/journeys)
set_tests_properties(Journeys.BuildsAgree PROPERTIES FIXTURES_REQUIRED wine_journey TIMEOUT 300
                     SKIP_RETURN_CODE 77)
