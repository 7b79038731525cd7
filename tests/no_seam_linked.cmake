# Fails when the binary BINARY holds any of the test seam's code (namespace cw::automation):
# the seam answers dialogs from queued answers and simulates a full disk, which no shipped
# program may do. NM is the build's nm. With EXPECT_SEAM set, the other way round: fails
# unless the seam is found (a test program, to show that the check sees it).
#   cmake -DNM=<nm> -DBINARY=<program> [-DEXPECT_SEAM=ON] -P no_seam_linked.cmake
execute_process(COMMAND ${NM} -C --defined-only ${BINARY} RESULT_VARIABLE result OUTPUT_VARIABLE symbols
                ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "nm could not read ${BINARY}: ${errors}")
endif()
string(REGEX MATCHALL "[^\n]*cw::win::[^\n]*" own "${symbols}")
if(NOT own)
  message(FATAL_ERROR "${BINARY} has no symbols of the window manager to look at (stripped?); "
                      "the check needs an unstripped build")
endif()
string(REGEX MATCHALL "[^\n]*cw::automation::[^\n]*" seam "${symbols}")
if(EXPECT_SEAM)
  if(NOT seam)
    message(FATAL_ERROR "${BINARY} holds no symbol of the test seam, which it links; the check does not see it")
  endif()
  message(STATUS "${BINARY} holds the test seam, as a test program does")
  return()
endif()
if(seam)
  list(LENGTH seam count)
  list(GET seam 0 first)
  message(FATAL_ERROR "${BINARY} links ${count} symbols of the test seam, such as: ${first}")
endif()
message(STATUS "${BINARY} holds nothing of the test seam")
