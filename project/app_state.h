// Application-wide handles and values that every part of the program shares: the bottom floor
// of the program, with the tables, so that every floor above may use them.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ddraw.h>

#include <cstdint>

#include "res/resource.h"

struct AppState {
    HINSTANCE instance = nullptr;
    HMENU no_project_menu = nullptr;         // IDR_NO_PROJECT_MENU
    HMENU project_menu = nullptr;            // IDR_PROJECT_MENU
    HMENU pattern_menu = nullptr;            // IDR_PATTERN_MENU
    HMENU project_file_submenu = nullptr;    // the File popup of IDR_PROJECT_MENU
    HMENU pattern_window_submenu = nullptr;  // the Window popup of IDR_PATTERN_MENU
    HMENU zoom_menu = nullptr;               // IDR_ZOOM_MENU, shared by the pattern windows
    HACCEL accelerators = nullptr;           // IDR_ACCELERATORS, the main window's keys
    int32_t main_client_width = 640;
    int32_t main_client_height = 480;
    uint16_t app_active = 0;
    DDBLTFX surround_fill{};
    DDBLTFX background_fill{};

    HWND main_window = nullptr;
    HWND status_bar = nullptr;
    HWND edit_panel = nullptr;
    HWND project_tree = nullptr;
    HWND mdi_client = nullptr;
    HWND image_window = nullptr;
    // Where the user left the image window (its outer frame's corner on the screen), kept from
    // one run to the next; until it has one, it goes beside the main window.
    POINT image_window_place{0, 0};
    bool image_window_placed = false;
    // How the pattern windows show the animation: by the console's rules instead of the
    // editor's, and at how many ticks a second (60, NTSC; 50, PAL). Kept from one run to the next.
    bool console_preview = false;
    int ticks_per_second = 60;
    HTREEITEM project_item = nullptr;
    int32_t status_bar_height = 0;
    int32_t edit_panel_width = 0;
    int32_t edit_panel_height = 0;

    uint64_t ticks = 0;    // idle ticks run by the main loop
    uint64_t wakeups = 0;  // waits for input or for the next frame that came to an end
};

extern AppState g_app;

inline constexpr char kMainClass[] = "MAIN_CLASS";
inline constexpr char kPatternClass[] = "MDI_CHILD";
