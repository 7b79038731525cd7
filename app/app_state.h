// Application-wide handles and values that every part of the program shares.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ddraw.h>

#include <cstdint>

// Menu resources.
inline constexpr int kMenuImageWindow = 103;
inline constexpr int kMenuProject = 111;
inline constexpr int kMenuPatternWindows = 112;
inline constexpr int kMenuZoom = 117;
inline constexpr int kMenuNoProject = 118;

// Dialog resources.
inline constexpr int kDialogImageWindow = 102;
inline constexpr int kDialogGrid = 104;
inline constexpr int kDialogLabel = 115;
inline constexpr int kDialogEditPanel = 119;
inline constexpr int kDialogAddPattern = 122;
inline constexpr int kDialogVersion = 124;
inline constexpr int kDialogDrawingEnvironment = 135;
inline constexpr int kIconProgram = 125;
inline constexpr int kCursorDrop = 106;

// Menu commands.
inline constexpr UINT kCmdExit = 40001;
inline constexpr UINT kCmdNew = 40002;
inline constexpr UINT kCmdOpen = 40003;
inline constexpr UINT kCmdSaveAs = 40004;
inline constexpr UINT kCmdSave = 40005;
inline constexpr UINT kCmdImageWindow = 40009;
inline constexpr UINT kCmdCascade = 40019;
inline constexpr UINT kCmdTile = 40020;
inline constexpr UINT kCmdCloseAll = 40022;
inline constexpr UINT kCmdAddPattern = 40024;
inline constexpr UINT kCmdEditLabel = 40029;
inline constexpr UINT kCmdAddFrame = 40031;
inline constexpr UINT kCmdDelete = 40037;
inline constexpr UINT kCmdCut = 40040;
inline constexpr UINT kCmdCopy = 40041;
inline constexpr UINT kCmdPaste = 40042;
inline constexpr UINT kCmdVersion = 40044;
inline constexpr UINT kCmdHelp = 40045;
inline constexpr UINT kCmdDrawingEnvironment = 40054;
inline constexpr UINT kCmdRecentFirst = 60001;
inline constexpr UINT kCmdRecentLast = 60005;

// Child window ids of the main window.
inline constexpr int kStatusBarId = 11;
inline constexpr int kMdiClientId = 1;
inline constexpr UINT kFirstMdiChildId = 20;

struct AppState {
    HINSTANCE instance = nullptr;
    HMENU no_project_menu = nullptr;         // 118
    HMENU project_menu = nullptr;            // 111
    HMENU pattern_menu = nullptr;            // 112
    HMENU project_file_submenu = nullptr;    // submenu 0 of 111
    HMENU pattern_window_submenu = nullptr;  // submenu 3 of 112
    HMENU zoom_menu = nullptr;               // 117, shared by the pattern windows
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
    HTREEITEM project_item = nullptr;
    int32_t status_bar_height = 0;
    int32_t edit_panel_width = 0;
    int32_t edit_panel_height = 0;

    uint64_t ticks = 0;  // idle ticks run by the main loop
};

extern AppState g_app;

inline constexpr char kMainClass[] = "MAIN_CLASS";
inline constexpr char kPatternClass[] = "MDI_CHILD";
