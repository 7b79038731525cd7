// The system menu of an MDI child and GetSystemMenu.
#include "win/system_menu.h"

#include <string>

#include "text/cp932.h"
#include "win/menu.h"

namespace cw::win {

namespace {

struct SystemItem {
    UINT command;      // 0 for a separator
    const char* text;  // UTF-8 in this file; the menu holds CP932, as every text of the program
};

// The items and texts of an MDI child's window menu on a Japanese system, in its order.
constexpr SystemItem kChildItems[] = {
    {SC_RESTORE, "元のサイズに戻す(&R)"},
    {SC_MOVE, "移動(&M)"},
    {SC_SIZE, "サイズ変更(&S)"},
    {SC_MINIMIZE, "最小化(&N)"},
    {SC_MAXIMIZE, "最大化(&X)"},
    {0, nullptr},
    {SC_CLOSE, "閉じる(&C)\tCtrl+F4"},
    {0, nullptr},
    {SC_NEXTWINDOW, "次のウィンドウ(&T)\tCtrl+F6"},
};

bool has_system_menu(const Window* w) {
    return w && (w->style & WS_SYSMENU) && (w->ex_style & WS_EX_MDICHILD) && w->parent;
}

// Fills an empty menu with the default items; Close is the default item, shown in bold.
void fill(HMENU menu) {
    for (const SystemItem& item : kChildItems) {
        if (!item.command) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        AppendMenuA(menu, MF_STRING, item.command, cw::text::utf8_to_cp932(item.text).c_str());
    }
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STATE;
    mi.fState = MFS_DEFAULT;
    SetMenuItemInfoA(menu, SC_CLOSE, FALSE, &mi);
}

void enable(HMENU menu, UINT command, bool on) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

HMENU system_menu_of(Window* w) {
    if (!has_system_menu(w)) return nullptr;
    if (!menu_from(w->system_menu)) {
        w->system_menu = CreatePopupMenu();
        fill(w->system_menu);
    }
    refresh_system_menu(w);
    return w->system_menu;
}

void refresh_system_menu(Window* w) {
    if (!w || !menu_from(w->system_menu)) return;
    const HMENU m = w->system_menu;
    const bool max = w->maximized, min = w->minimized;
    enable(m, SC_RESTORE, max || min);
    enable(m, SC_MOVE, !max);
    enable(m, SC_SIZE, (w->style & WS_THICKFRAME) && !max && !min);
    enable(m, SC_MINIMIZE, (w->style & WS_MINIMIZEBOX) && !min);
    enable(m, SC_MAXIMIZE, (w->style & WS_MAXIMIZEBOX) && !max);
}

Window* system_menu_owner(HMENU menu) {
    if (!menu || !menu_from(menu)) return nullptr;
    for (Window* w : all_windows())
        if (w->system_menu == menu) return w;
    return nullptr;
}

void release_system_menu(Window* w) {
    if (w && menu_from(w->system_menu)) DestroyMenu(w->system_menu);
    if (w) w->system_menu = nullptr;
}

}  // namespace cw::win

// The window's own copy, which the program may change; with revert, the copy is put back to the
// system's items (in place, so a menu bar that carries it keeps it) and nothing is returned.
HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
    cw::win::Window* w = cw::win::window_from(hwnd);
    if (!revert) return cw::win::system_menu_of(w);
    if (w && cw::win::menu_from(w->system_menu)) {
        while (GetMenuItemCount(w->system_menu) > 0) DeleteMenu(w->system_menu, 0, MF_BYPOSITION);
        cw::win::fill(w->system_menu);
        cw::win::refresh_system_menu(w);
    }
    return nullptr;
}
