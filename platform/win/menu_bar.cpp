// Menu bars of top-level windows and popup menus: the SDK functions over the menu model.
// The backend renders the bar and runs a popup; a test answers popups through the seam.
#include "automation/automation.h"
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
    UINT chosen = 0;
    if (cw::automation::active()) {
        if (auto a = cw::automation::take_answer(cw::automation::Answer::Menu)) {
            chosen = a->cancel ? 0 : static_cast<UINT>(a->value);
            // A user can only choose an item the menu shows enabled.
            if (chosen && !cw::win::menu_item_choosable(menu, chosen))
                cw::automation::fail("the popup menu has no enabled item " + std::to_string(chosen));
        }
    } else {
        if (owner) SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
        chosen = cw::backend::track_popup(menu, cw::win::window_from(owner), x, y);
    }
    cw::automation::popups().push_back(cw::automation::PopupRecord{owner, menu, x, y, flags, chosen});
    if (chosen == 0) return flags & TPM_RETURNCMD ? 0 : TRUE;
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
    if (owner) PostMessageA(owner, WM_COMMAND, chosen, 0);
    return TRUE;
}
