// Menu bars of top-level windows and popup menus: the SDK functions over the menu model.
// The backend renders the bar and runs a popup.
#include "win/backend.h"
#include "win/mdi.h"
#include "win/menu.h"
#include "win/window.h"

using cw::win::Window;

HMENU GetMenu(HWND hwnd) {
    Window* w = cw::win::window_from(hwnd);
    return w && cw::win::is_top_level(w) ? w->menu : nullptr;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
    Window* w = cw::win::window_from(hwnd);
    if (!w || !cw::win::is_top_level(w)) return FALSE;
    if (menu && !cw::win::menu_from(menu)) return FALSE;
    const HMENU old = w->menu;
    const bool had = old != nullptr;
    w->menu = menu;
    cw::win::mdi_frame_menu_changed(w, old, menu);
    cw::backend::sync_menu_bar(w);
    if (had != (menu != nullptr)) cw::win::nonclient_changed(w);
    return TRUE;
}

BOOL DrawMenuBar(HWND hwnd) {
    Window* w = cw::win::window_from(hwnd);
    if (!w) return FALSE;
    cw::backend::sync_menu_bar(w);
    return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, LPCRECT) {
    if (!cw::win::menu_from(menu)) return FALSE;
    if (owner) SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    const UINT chosen = cw::backend::track_popup(menu, cw::win::window_from(owner), x, y, flags);
    if (chosen == 0) return flags & TPM_RETURNCMD ? 0 : TRUE;
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
    if (owner) PostMessageA(owner, WM_COMMAND, chosen, 0);
    return TRUE;
}
