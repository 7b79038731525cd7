# run_check(EXPECT_FAILURE EXPECTED_TEXT) for the scripts that try an include check of the build
# (CHECK, a script of cmake/) on a small tree (WORK): the check must refuse the tree when
# EXPECT_FAILURE is true, saying EXPECTED_TEXT (a regular expression), and accept it otherwise.
# The caller sets ACCEPTED_WRONGLY and REFUSED_WRONGLY to say, in its own words, what went wrong.
function(run_check expect_failure expected_text)
  execute_process(COMMAND ${CMAKE_COMMAND} -DCELWRIGHT_ROOT=${WORK} -P ${CHECK}
                  RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
  if(expect_failure AND result EQUAL 0)
    message(FATAL_ERROR "${ACCEPTED_WRONGLY} (expected a refusal saying \"${expected_text}\")")
  endif()
  if(NOT expect_failure AND NOT result EQUAL 0)
    message(FATAL_ERROR "${REFUSED_WRONGLY}: ${errors}")
  endif()
  string(REPLACE "\n" " " errors "${errors}")
  string(REGEX REPLACE " +" " " errors "${errors}")
  if(expect_failure AND NOT errors MATCHES "${expected_text}")
    message(FATAL_ERROR "the refusal does not say \"${expected_text}\": ${errors}")
  endif()
endfunction()
