# The program's floors. Its files stay in the folders of its subsystems (app/ project/ files/
# display/ res/), and each file also stands on one floor; includes point down only, so that the
# model stands alone (the undo history snapshots and restores it without any window):
#
#   app         start-up, the main loop, the commands as the user gives them, configuration
#   views       what shows the project and keeps every view in step with it: the tree, the
#               panel, the pattern and image windows, the dialogs, the editing commands and the
#               project's opening, closing and saving, which change views and tables together
#   operations  what works on the model without a window: reading and writing files, decoding
#               images, drawing a frame on a surface, the undo history
#   model       the tables, the record layouts and byte formats, limits and pure rules, the
#               application-wide handles, the resource ids
#
# Each floor is a library that links only the floors below it, and the build refuses a file
# whose include points up, or a program file that stands on no floor.
#
# As a script, for the test of this check:
#   cmake -DCELWRIGHT_ROOT=<source tree> -P cmake/program_floors.cmake

cmake_policy(SET CMP0057 NEW)
set(CELWRIGHT_FLOORS model operations views app)

set(CELWRIGHT_FLOOR_model
  project/app_state.h project/app_state.cpp project/tables.h project/tables.cpp project/record_bytes.h
  project/dbcs_text.h project/dbcs_text.cpp project/clipboard_blocks.h project/clipboard_blocks.cpp
  files/project_data.h files/project_data.cpp files/tim.h files/tim.cpp files/png_header.h files/png_header.cpp
  files/editor_settings.h files/editor_settings.cpp
  display/playback_rules.h display/playback_rules.cpp display/panel_rules.h display/panel_rules.cpp
  display/pattern_geometry.h display/pattern_geometry.cpp display/image_view.h display/image_view.cpp
  res/resource.h)
set(CELWRIGHT_FLOOR_operations
  files/file_io.h files/file_io.cpp files/project_reading.h files/project_reading.cpp
  files/image_decoding.h files/image_decoding.cpp display/frame_drawing.h display/frame_drawing.cpp
  project/history.h project/history.cpp files/recovery.h files/recovery.cpp
  files/frame_buffer_rules.h files/frame_buffer_rules.cpp files/console_sheet.h files/console_sheet.cpp
  display/console_drawing.h display/console_drawing.cpp)
set(CELWRIGHT_FLOOR_views
  project/project_tree.h project/project_tree.cpp project/editing.h project/editing.cpp
  project/clipboard.h project/clipboard.cpp project/add_pattern_dialog.cpp project/label_dialog.cpp
  files/project_file.h files/project_file.cpp files/image_loading.h files/image_loading.cpp
  display/ddraw_sets.h display/ddraw_sets.cpp display/ddraw_errors.h display/ddraw_errors.cpp
  display/drawing_environment.h display/drawing_environment.cpp display/edit_panel.h display/edit_panel.cpp
  display/file_dialogs.h display/file_dialogs.cpp display/grid_dialog.cpp display/image_window.h
  display/image_window.cpp display/panel_selection.h display/panel_selection.cpp display/pattern_window.h
  display/pattern_window.cpp display/playback.h display/playback.cpp display/redraw_keys.h
  display/redraw_keys.cpp display/views.h display/views.cpp
  display/frame_buffer_check.h display/frame_buffer_check.cpp)
# The app floor is the whole of app/.

# The floor of a program file (relative to the root), or "" for none.
function(celwright_floor_of relative out)
  if(relative MATCHES "^app/")
    set(${out} app PARENT_SCOPE)
    return()
  endif()
  foreach(floor IN LISTS CELWRIGHT_FLOORS)
    if(relative IN_LIST CELWRIGHT_FLOOR_${floor})
      set(${out} ${floor} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

# The sources of one floor that exist (absolute paths), for its library.
function(celwright_floor_sources root floor out)
  set(sources "")
  if(floor STREQUAL "app")
    file(GLOB sources ${root}/app/*.cpp)
    list(REMOVE_ITEM sources ${root}/app/main.cpp)
  else()
    foreach(f IN LISTS CELWRIGHT_FLOOR_${floor})
      if(f MATCHES "\\.cpp$" AND EXISTS ${root}/${f})
        list(APPEND sources ${root}/${f})
      endif()
    endforeach()
  endif()
  set(${out} ${sources} PARENT_SCOPE)
endfunction()

function(celwright_check_program_floors root)
  file(GLOB_RECURSE program_files RELATIVE ${root}
    ${root}/app/*.cpp ${root}/app/*.h ${root}/project/*.cpp ${root}/project/*.h
    ${root}/files/*.cpp ${root}/files/*.h ${root}/display/*.cpp ${root}/display/*.h ${root}/res/*.h)
  foreach(source IN LISTS program_files)
    celwright_floor_of(${source} floor)
    if(NOT floor)
      message(FATAL_ERROR "${source} stands on no floor of the program; add it to cmake/program_floors.cmake")
    endif()
    list(FIND CELWRIGHT_FLOORS ${floor} level)
    file(STRINGS ${root}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]+\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" header "${line}")
      if(NOT header MATCHES "^(app|project|files|display|res)/")
        if(header STREQUAL "resource.h")
          set(header res/resource.h)
        else()
          continue()
        endif()
      endif()
      celwright_floor_of(${header} header_floor)
      if(NOT header_floor)
        continue()  # not a file of the program's floors (refused above when it is one)
      endif()
      list(FIND CELWRIGHT_FLOORS ${header_floor} header_level)
      if(header_level GREATER level)
        message(FATAL_ERROR "${source} (floor ${floor}) includes ${header}, which stands on the floor "
                            "${header_floor} above it; includes of the program point down only")
      endif()
    endforeach()
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED CELWRIGHT_ROOT)
  celwright_check_program_floors(${CELWRIGHT_ROOT})
endif()
