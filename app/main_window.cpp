// The main window procedure: child windows and their docked layout, the
// minimum tracking size, the project tree's context menu, dropped files and the
// menu commands.
#include "app/main_window.h"

#include <cstring>

#include "project/app_state.h"
#include "app/configuration.h"
#include "display/drawing_environment.h"
#include "app/view_commands.h"
#include "display/edit_panel.h"
#include "display/frame_buffer_check.h"
#include "files/editor_settings.h"
#include "display/image_window.h"
#include "app/file_commands.h"
#include "app/history_commands.h"
#include "app/recovery_commands.h"
#include "files/project_file.h"
#include "project/clipboard.h"
#include "project/editing.h"
#include "project/project_tree.h"
#include "project/tables.h"

namespace {

constexpr DWORD kTreeStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_BORDER | WS_TABSTOP |
                             TVS_FULLROWSELECT | TVS_CHECKBOXES | TVS_SHOWSELALWAYS | TVS_LINESATROOT |
                             TVS_HASBUTTONS;
static_assert(kTreeStyle == 0x52811125);
constexpr DWORD kStatusStyle = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM;
static_assert(kStatusStyle == 0x50000103);

int height_of(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r.bottom - r.top;
}

int width_of(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return r.right - r.left;
}

void on_create(HWND hwnd) {
    g_app.main_window = hwnd;
    g_app.status_bar = CreateStatusWindowA(kStatusStyle, "", hwnd, IDC_STATUS_BAR);
    g_app.status_bar_height = height_of(g_app.status_bar);

    g_app.edit_panel =
        CreateDialogParamA(g_app.instance, MAKEINTRESOURCEA(IDD_EDIT_PANEL), hwnd, edit_panel_proc, 0);
    g_app.edit_panel_width = width_of(g_app.edit_panel);
    g_app.edit_panel_height = height_of(g_app.edit_panel);

    // The check boxes are switched on after the tree is made and before it holds an item: a tree
    // made with TVS_CHECKBOXES sets its check boxes up when it is first painted and unchecks
    // every item it holds by then (here the project item), as the system documents.
    g_app.project_tree = CreateWindowExA(WS_EX_CLIENTEDGE, "SysTreeView32", "", kTreeStyle & ~TVS_CHECKBOXES,
                                         0, 0, 0, 0, hwnd, nullptr, g_app.instance, nullptr);
    SetWindowLongPtrA(g_app.project_tree, GWL_STYLE, kTreeStyle);
    SendMessageA(g_app.project_tree, TVM_SETITEMHEIGHT, 17, 0);
    g_app.project_item =
        insert_tree_item(g_app.project_tree, TVI_ROOT, TVI_FIRST, g_tables.names.project_name);

    CLIENTCREATESTRUCT ccs{g_app.project_file_submenu, IDM_FIRST_MDI_CHILD};
    g_app.mdi_client = CreateWindowExA(
        WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE, "MDICLIENT", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
        0, 0, hwnd, reinterpret_cast<HMENU>(static_cast<intptr_t>(IDC_MDI_CLIENT)), g_app.instance, &ccs);
}

void on_size(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const int w = LOWORD(lp), h = HIWORD(lp);
    g_app.main_client_width = w;
    g_app.main_client_height = h;
    SendMessageA(g_app.status_bar, msg, wp, lp);
    lay_out_status_bar(w);
    (void)hwnd;
    const int panel_x = w - g_app.edit_panel_width;
    MoveWindow(g_app.edit_panel, panel_x, 0, g_app.edit_panel_width, g_app.edit_panel_height, TRUE);
    // The panel was painted where it stood before; what was uncovered by the move is the main
    // window's grey, and a system that copies the panel's bits along (Wine does) would leave it
    // there. Its background is drawn again where it stands now.
    InvalidateRect(g_app.edit_panel, nullptr, TRUE);
    MoveWindow(g_app.project_tree, panel_x, g_app.edit_panel_height, g_app.edit_panel_width,
               h - g_app.edit_panel_height - g_app.status_bar_height, TRUE);
    MoveWindow(g_app.mdi_client, 0, 0, panel_x, h - g_app.status_bar_height, TRUE);
}

void on_min_max_info(HWND hwnd, MINMAXINFO* mmi) {
    RECT r;
    GetWindowRect(hwnd, &r);
    r.right = r.left + 640;
    r.bottom = r.top + 480;
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)));
    mmi->ptMinTrackSize.x = r.right - r.left;
    mmi->ptMinTrackSize.y = r.bottom - r.top;
}

void on_context_menu(HWND hwnd, WPARAM wp, LPARAM lp) {
    if (reinterpret_cast<HWND>(wp) != g_app.project_tree) return;
    TVHITTESTINFO hit{};
    hit.pt.x = static_cast<WORD>(LOWORD(lp));
    hit.pt.y = static_cast<WORD>(HIWORD(lp));
    ScreenToClient(g_app.project_tree, &hit.pt);
    SendMessageA(g_app.project_tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    SendMessageA(g_app.project_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hit.hItem));
    POINT cursor;
    GetCursorPos(&cursor);
    HMENU bar = GetMenu(hwnd);
    // A maximised MDI child puts its system menu at position 0 of the bar.
    const int position =
        (bar == g_app.pattern_menu && g_tables.new_window_style == kNewWindowMaximize) ? 2 : 1;
    TrackPopupMenu(GetSubMenu(bar, position), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd, nullptr);
}

void on_drop_files(WPARAM wp) {
    HDROP drop = reinterpret_cast<HDROP>(wp);
    char path[kPathSize] = {};
    DragQueryFileA(drop, 0, path, sizeof path);
    DragFinish(drop);
    command_open_dropped(path);
}

void on_destroy() {
    write_configuration();
    end_recovery();
    PostQuitMessage(0);
}

// The tree's own keys do what the edit menu does, when the menu would let them.
void on_tree_key(HWND hwnd, const NMTVKEYDOWN* key) {
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    UINT command = 0;
    switch (key->wVKey) {
        case 'X': command = ctrl ? ID_EDIT_CUT : 0; break;
        case 'C': command = ctrl ? ID_EDIT_COPY : 0; break;
        case 'V': command = ctrl ? ID_EDIT_PASTE : 0; break;
        case VK_DELETE: command = ctrl ? 0 : ID_EDIT_DELETE; break;
        case VK_F2: command = ctrl ? 0 : ID_EDIT_LABEL; break;
    }
    if (!command) return;
    const UINT state = GetMenuState(GetMenu(hwnd), command, MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED))) return;
    SendMessageA(hwnd, WM_COMMAND, command, 0);
}

// The project tree's selection, drag, key and open notifications.
void on_notify(HWND hwnd, const NMHDR* hdr) {
    if (!hdr || hdr->hwndFrom != g_app.project_tree) return;
    switch (hdr->code) {
        case TVN_SELCHANGEDA: on_tree_selection_changed(); break;
        case TVN_BEGINDRAGA: on_tree_begin_drag(reinterpret_cast<const NMTREEVIEWA*>(hdr)); break;
        case TVN_KEYDOWN: on_tree_key(hwnd, reinterpret_cast<const NMTVKEYDOWN*>(hdr)); break;
        case NM_DBLCLK:
        case NM_RETURN: open_selected_pattern_window(); break;
    }
}

// The add-frame command selects the frame it added; a refused frame (no pattern, or 20
// already) leaves the tree's selection where it was.
void select_added_frame(HTREEITEM item) {
    if (item) SendMessageA(g_app.project_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

// What an add or a paste put into the tree is scrolled into view, so that the user sees it.
template <typename Command>
void showing_what_is_added(Command command) {
    const HTREEITEM before = last_inserted_tree_item();
    command();
    const HTREEITEM added = last_inserted_tree_item();
    if (added && added != before)
        SendMessageA(g_app.project_tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(added));
}

BOOL CALLBACK close_child(HWND child, LPARAM) {
    SendMessageA(g_app.mdi_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
    return TRUE;
}

// Returns true when the command was handled here (no default processing).
bool on_command(HWND hwnd, WPARAM wp, LPARAM lp) {
    (void)lp;
    switch (LOWORD(wp)) {
        case ID_FILE_EXIT: command_exit(hwnd); return true;
        case ID_FILE_NEW: command_new(); return true;
        case ID_FILE_OPEN: command_open(); return true;
        case ID_FILE_SAVE_AS: command_save_as(); return true;
        case ID_FILE_SAVE: command_save(); return true;
        case ID_VIEW_IMAGE_WINDOW: show_image_window(); return true;
        case ID_WINDOW_CASCADE: SendMessageA(g_app.mdi_client, WM_MDICASCADE, 0, 0); return true;
        case ID_WINDOW_TILE: SendMessageA(g_app.mdi_client, WM_MDITILE, 0, 0); return true;
        case ID_WINDOW_CLOSE_ALL: EnumChildWindows(g_app.mdi_client, close_child, 0); return true;
        case ID_HELP_VERSION:
            DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_VERSION), hwnd, version_dialog_proc, 0);
            return true;
        case ID_EDIT_ADD_PATTERN:
            showing_what_is_added([hwnd] { run_add_pattern_dialog(hwnd); });
            return true;
        case ID_EDIT_LABEL: run_label_dialog(g_app.project_tree); return false;
        case ID_EDIT_ADD_FRAME:
            showing_what_is_added([] { select_added_frame(add_frame("新規ﾌﾚｰﾑ")); });
            return true;
        case ID_EDIT_DELETE: delete_selected(hwnd); return true;
        case ID_EDIT_CUT: cut_selection(); return true;
        case ID_EDIT_COPY: copy_selection(); return true;
        case ID_EDIT_PASTE: showing_what_is_added(paste_clipboard); return true;
        case ID_EDIT_DRAWING_ENVIRONMENT: run_drawing_environment_dialog(hwnd); return true;
        case ID_EDIT_FRAME_BUFFER_CHECK: run_frame_buffer_check(hwnd); return true;
        case ID_VIEW_CONSOLE_PREVIEW: command_console_preview(); return true;
        case ID_VIEW_RATE_NTSC: command_tick_rate(kNtscTicksPerSecond); return true;
        case ID_VIEW_RATE_PAL: command_tick_rate(kPalTicksPerSecond); return true;
        case ID_EDIT_UNDO: command_undo(); return true;
        case ID_EDIT_REDO: command_redo(); return true;
    }
    if (LOWORD(wp) >= ID_FILE_RECENT_FIRST && LOWORD(wp) <= ID_FILE_RECENT_LAST) {
        command_open_recent(LOWORD(wp));
        return true;
    }
    return false;
}

}  // namespace

LRESULT CALLBACK main_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE: on_create(hwnd); return 0;
        case WM_CLOSE: command_exit(hwnd); return 0;
        case WM_DESTROY: on_destroy(); return 0;
        case WM_SIZE: on_size(hwnd, msg, wp, lp); return 0;
        case WM_ACTIVATE: g_app.app_active = LOWORD(wp); return 0;
        case WM_GETMINMAXINFO: on_min_max_info(hwnd, reinterpret_cast<MINMAXINFO*>(lp)); break;
        case WM_CONTEXTMENU: on_context_menu(hwnd, wp, lp); return 0;
        case WM_NOTIFY: on_notify(hwnd, reinterpret_cast<const NMHDR*>(lp)); return 0;
        case WM_COMMAND:
            if (on_command(hwnd, wp, lp)) return 0;
            break;
        case WM_DROPFILES: on_drop_files(wp); return 0;
    }
    return DefFrameProcA(hwnd, g_app.mdi_client, msg, wp, lp);
}
