# Fails when the binary BINARY needs a Qt library.
file(GET_RUNTIME_DEPENDENCIES EXECUTABLES ${BINARY} RESOLVED_DEPENDENCIES_VAR resolved
     UNRESOLVED_DEPENDENCIES_VAR unresolved)
foreach(library IN LISTS resolved unresolved)
  if(library MATCHES "libQt[0-9]")
    message(FATAL_ERROR "${BINARY} links ${library}")
  endif()
endforeach()
list(LENGTH resolved count)
message(STATUS "${count} libraries, none of them Qt")
