# The program (app/ project/ files/ display/ res/) is written against the SDK's interfaces
# only, so that it builds unchanged against the real SDK, and so are the conformance tests
# (tests/conformance). A file that includes a header of the layer's own (anything under
# platform/ but outside platform/include/) is refused.
#
# As a script, for the test of this check:
#   cmake -DCELWRIGHT_ROOT=<source tree> -P cmake/program_includes.cmake

function(celwright_check_program_includes root)
  file(GLOB_RECURSE program_files
    ${root}/app/*.cpp ${root}/app/*.h ${root}/project/*.cpp ${root}/project/*.h
    ${root}/files/*.cpp ${root}/files/*.h ${root}/display/*.cpp ${root}/display/*.h
    ${root}/res/*.h ${root}/res/*.rc
    ${root}/tests/conformance/*.cpp ${root}/tests/conformance/*.h)
  foreach(source IN LISTS program_files)
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"][^>\"]+[>\"]")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*$" "\\1" header "${line}")
      set(private FALSE)
      if(header MATCHES "(^|/)platform/")
        set(private TRUE)
      elseif(EXISTS ${root}/platform/${header} AND NOT EXISTS ${root}/platform/include/${header})
        set(private TRUE)
      endif()
      if(private)
        file(RELATIVE_PATH shown ${root} ${source})
        message(FATAL_ERROR "${shown} includes the platform layer's own header ${header}; the program may "
                            "only use the SDK's headers (platform/include) and its own")
      endif()
    endforeach()
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED CELWRIGHT_ROOT)
  celwright_check_program_includes(${CELWRIGHT_ROOT})
endif()
