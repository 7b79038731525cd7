# The window manager, GDI and DirectDraw (platform/win, platform/gdi, platform/ddraw) reach the
# screen only through win/backend.h, and a test reaches them only as a backend does: a file
# there that includes a toolkit header (Qt's), a backend's own header (qt/, null/) or anything
# of the test seam (automation/) is refused.
#
# As a script, for the test of this check:
#   cmake -DCELWRIGHT_ROOT=<source tree> -P cmake/layer_includes.cmake

function(celwright_check_layer_includes root)
  file(GLOB layer_files
    ${root}/platform/win/*.cpp ${root}/platform/win/*.h ${root}/platform/gdi/*.cpp ${root}/platform/gdi/*.h
    ${root}/platform/ddraw/*.cpp ${root}/platform/ddraw/*.h ${root}/platform/include/*.h)
  foreach(source IN LISTS layer_files)
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"][^>\"]+[>\"]")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*$" "\\1" header "${line}")
      file(RELATIVE_PATH shown ${root} ${source})
      if(header MATCHES "(^|/)automation/")
        message(FATAL_ERROR "${shown} includes the test seam's header ${header}; the window manager "
                            "knows no test seam, which plugs in under win/backend.h like a backend")
      elseif(header MATCHES "^(Q[A-Za-z]|qt/|null/)")
        message(FATAL_ERROR "${shown} includes a backend header (${header}); the window manager "
                            "may only use win/backend.h")
      endif()
    endforeach()
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED CELWRIGHT_ROOT)
  celwright_check_layer_includes(${CELWRIGHT_ROOT})
endif()
