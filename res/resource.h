// Resource, command and control ids of Celwright. Shared by the resource script and the
// program's sources; plain #defines so that the resource compiler reads it as well.
#pragma once

// The id of controls that are never addressed (labels, group boxes), as the SDK's resource
// headers define it.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// ---- resources -------------------------------------------------------------
#define IDD_IMAGE_WINDOW 102         // modeless image window
#define IDR_IMAGE_MENU 103           // its menu bar: magnification, frame set, grid
#define IDD_GRID_SETTINGS 104        // grid settings of the image window
#define IDC_DROP_ALLOWED 106         // cursor while a tree drag points at a drop target
#define IDR_PROJECT_MENU 111         // menu bar while a project is open, no pattern window
#define IDR_PATTERN_MENU 112         // menu bar while pattern windows exist
#define IDD_LABEL_EDIT 115           // label edit
#define IDR_ZOOM_MENU 117            // right-click magnification popup of the pattern windows
#define IDR_NO_PROJECT_MENU 118      // menu bar while no project is open
#define IDD_EDIT_PANEL 119           // docked edit panel
#define IDD_ADD_PATTERN 122          // add pattern
#define IDD_VERSION 124              // version information
#define IDI_CELWRIGHT 125            // program icon
#define IDD_DRAWING_ENVIRONMENT 135  // drawing environment settings
#define IDR_ACCELERATORS 136         // the main window's keys (file commands, undo, redo)
#define IDD_FRAME_BUFFER_CHECK 137   // the frame-buffer check's list of problems

// ---- menu commands ---------------------------------------------------------
#define ID_FILE_EXIT 40001
#define ID_FILE_NEW 40002
#define ID_FILE_OPEN 40003
#define ID_FILE_SAVE_AS 40004
#define ID_FILE_SAVE 40005
#define ID_GRID_SETTINGS 40008
#define ID_VIEW_IMAGE_WINDOW 40009
#define ID_ZOOM_1X1 40010
#define ID_ZOOM_2X2 40011
#define ID_ZOOM_4X4 40012
#define ID_ZOOM_8X8 40013
#define ID_ZOOM_16X16 40014
#define ID_ZOOM_32X32 40015
#define ID_WINDOW_CASCADE 40019
#define ID_WINDOW_TILE 40020
#define ID_WINDOW_CLOSE_ALL 40022
#define ID_EDIT_ADD_PATTERN 40024
#define ID_EDIT_LABEL 40029
#define ID_EDIT_ADD_FRAME 40031
#define ID_EDIT_DELETE 40037
#define ID_FRAME_SET 40039
#define ID_EDIT_CUT 40040
#define ID_EDIT_COPY 40041
#define ID_EDIT_PASTE 40042
#define ID_HELP_VERSION 40044
#define ID_HELP_HELP 40045
#define ID_EDIT_DRAWING_ENVIRONMENT 40054
#define ID_EDIT_UNDO 40055
#define ID_EDIT_REDO 40056
#define ID_VIEW_CONSOLE_PREVIEW 40057
#define ID_VIEW_RATE_NTSC 40058
#define ID_VIEW_RATE_PAL 40059
#define ID_EDIT_FRAME_BUFFER_CHECK 40060
// The recent-files items of the File menus: the separator above "終了" and the entries.
#define ID_FILE_RECENT_SEPARATOR 60000
#define ID_FILE_RECENT_FIRST 60001
#define ID_FILE_RECENT_LAST 60005
// The top-level "表示(&V)" and "ｳｨﾝﾄﾞｳ(&W)" of the menu bars where they are greyed items without
// a popup. No code handles these ids; they only keep the items apart from every real command.
#define ID_VIEW_GREYED 40050
#define ID_WINDOW_GREYED 40051

// ---- child windows of the main window --------------------------------------
#define IDC_MDI_CLIENT 1
#define IDC_STATUS_BAR 11
#define IDM_FIRST_MDI_CHILD 20  // id of the first pattern window in the MDI window list

// ---- grid settings (104) ---------------------------------------------------
#define IDC_GRID_WIDTH 1000
#define IDC_GRID_HEIGHT 1001
#define IDC_GRID_SHOW 1002

// ---- label edit (115) ------------------------------------------------------
#define IDC_LABEL_TEXT 1009

// ---- edit panel (119) ------------------------------------------------------
#define IDC_PLAY_BACKWARD 1010
#define IDC_PLAY_FORWARD 1011
#define IDC_PLAY_STOP 1012
#define IDC_PLAY_PAUSE 1013
#define IDC_PLAY_FIRST 1014
#define IDC_PLAY_PREVIOUS 1015
#define IDC_PLAY_NEXT 1016
#define IDC_PLAY_LAST 1017
#define IDC_PATTERN 1018
#define IDC_SPEED 1019
#define IDC_FRAME 1020
#define IDC_TIMING 1024
#define IDC_CORRECTION_X 1025
#define IDC_CORRECTION_Y 1026
#define IDC_IMAGE_X 1027
#define IDC_IMAGE_Y 1028
#define IDC_IMAGE_W 1029
#define IDC_IMAGE_H 1030
#define IDC_FLIP_LEFT_RIGHT 1031
#define IDC_FLIP_TOP_BOTTOM 1032
#define IDC_BASE_W 1033
#define IDC_TRANSPARENT 1034
#define IDC_TRANSPARENT_CHANGE 1035
#define IDC_BACKGROUND_CHANGE 1036
#define IDC_BASE_H 1037
#define IDC_HIDE_OTHER_FRAMES 1042
#define IDC_SHOW_ALL_FRAMES 1043
#define IDC_BACKGROUND_SWATCH 1049
#define IDC_TRANSPARENT_SWATCH 1050
#define IDC_BASE_RESET 1060

// ---- add pattern (122) -----------------------------------------------------
#define IDC_FRAME_NAME_LIST 1020
#define IDC_PATTERN_NAME 1045
#define IDC_FRAME_COUNT 1046
#define IDC_FRAME_COUNT_SPIN 1052
#define IDC_FRAME_COUNT_APPLY 1053

// ---- drawing environment settings (135) ------------------------------------
#define IDC_CLUT_Y 1007
#define IDC_COLOR_MODE 1009
#define IDC_PLACEMENT_X 1025
#define IDC_PLACEMENT_Y 1026
#define IDC_CLUT_X 1061
#define IDC_SEMI_TRANSPARENCY 1062
#define IDC_CLUT_X_SPIN 1064
#define IDC_CLUT_Y_SPIN 1067
#define IDC_PLACEMENT_X_SPIN 1068
#define IDC_PLACEMENT_Y_SPIN 1069

// ---- frame-buffer check (137) ----------------------------------------------
#define IDC_PROBLEM_LIST 1070
