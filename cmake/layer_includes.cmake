# The window manager, GDI and DirectDraw (platform/win, platform/gdi, platform/ddraw) reach the
# screen only through win/backend.h, and a test reaches them only as a backend does: a file
# there that includes a toolkit header (Qt's), a backend's own header (qt/, null/) or anything
# of the test seam (automation/) is refused. The backends (platform/qt, platform/null), which
# the editor and the command-line tool link, know no seam either: the seam's Qt part stands in
# platform/automation/qt and plugs into the backend from outside, so a backend's file that
# includes the seam is refused too.
#
# As a script, for the test of this check:
#   cmake -DCELWRIGHT_ROOT=<source tree> -P cmake/layer_includes.cmake

# The headers a file includes, as written between the quotes or the angle brackets.
function(celwright_included_headers source out)
  file(STRINGS ${source} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"][^>\"]+[>\"]")
  set(headers "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*$" "\\1" header "${line}")
    list(APPEND headers ${header})
  endforeach()
  set(${out} ${headers} PARENT_SCOPE)
endfunction()

function(celwright_check_layer_includes root)
  file(GLOB layer_files
    ${root}/platform/win/*.cpp ${root}/platform/win/*.h ${root}/platform/gdi/*.cpp ${root}/platform/gdi/*.h
    ${root}/platform/ddraw/*.cpp ${root}/platform/ddraw/*.h ${root}/platform/include/*.h)
  foreach(source IN LISTS layer_files)
    file(RELATIVE_PATH shown ${root} ${source})
    celwright_included_headers(${source} headers)
    foreach(header IN LISTS headers)
      if(header MATCHES "(^|/)automation/")
        message(FATAL_ERROR "${shown} includes the test seam's header ${header}; the window manager "
                            "knows no test seam, which plugs in under win/backend.h like a backend")
      elseif(header MATCHES "^(Q[A-Za-z]|qt/|null/)")
        message(FATAL_ERROR "${shown} includes a backend header (${header}); the window manager "
                            "may only use win/backend.h")
      endif()
    endforeach()
  endforeach()
  file(GLOB backend_files ${root}/platform/qt/*.cpp ${root}/platform/qt/*.h ${root}/platform/null/*.cpp
                          ${root}/platform/null/*.h)
  foreach(source IN LISTS backend_files)
    file(RELATIVE_PATH shown ${root} ${source})
    celwright_included_headers(${source} headers)
    foreach(header IN LISTS headers)
      if(header MATCHES "(^|/)automation/")
        message(FATAL_ERROR "${shown} includes the test seam's header ${header}; a backend, which the "
                            "editor links, knows no test seam (its Qt part stands in platform/automation/qt)")
      endif()
    endforeach()
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED CELWRIGHT_ROOT)
  celwright_check_layer_includes(${CELWRIGHT_ROOT})
endif()
