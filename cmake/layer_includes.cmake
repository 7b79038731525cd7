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

# Refuses the first of FILES (under ROOT) that includes a header matching PATTERN: "<file>
# includes WHAT <header>; WHY".
function(celwright_refuse_includes root files pattern what why)
  foreach(source IN LISTS files)
    celwright_included_headers(${source} headers)
    foreach(header IN LISTS headers)
      if(header MATCHES "${pattern}")
        file(RELATIVE_PATH shown ${root} ${source})
        message(FATAL_ERROR "${shown} includes ${what} ${header}; ${why}")
      endif()
    endforeach()
  endforeach()
endfunction()

function(celwright_check_layer_includes root)
  file(GLOB layer_files
    ${root}/platform/win/*.cpp ${root}/platform/win/*.h ${root}/platform/gdi/*.cpp ${root}/platform/gdi/*.h
    ${root}/platform/ddraw/*.cpp ${root}/platform/ddraw/*.h ${root}/platform/include/*.h)
  celwright_refuse_includes(${root} "${layer_files}" "(^|/)automation/" "the test seam's header"
    "the window manager knows no test seam, which plugs in under win/backend.h like a backend")
  celwright_refuse_includes(${root} "${layer_files}" "^(Q[A-Za-z]|qt/|null/)" "a backend header"
    "the window manager may only use win/backend.h")
  file(GLOB backend_files ${root}/platform/qt/*.cpp ${root}/platform/qt/*.h ${root}/platform/null/*.cpp
                          ${root}/platform/null/*.h)
  celwright_refuse_includes(${root} "${backend_files}" "(^|/)automation/" "the test seam's header"
    "a backend, which the editor links, knows no test seam (its Qt part stands in platform/automation/qt)")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED CELWRIGHT_ROOT)
  celwright_check_layer_includes(${CELWRIGHT_ROOT})
endif()
