// What a backend reports: user input and the desktop's doings, turned into window
// messages and window-manager state.
#include "win/input.h"

#include <algorithm>

#include "ddraw/surfaces.h"
#include "win/backend.h"
#include "win/drop.h"
#include "win/mdi.h"
#include "win/paint.h"
#include "win/system_menu.h"

namespace cw::win {

namespace {

unsigned g_input_count = 0;
DWORD g_last_input_tick = 0;  // GetTickCount when the user's last input arrived
WPARAM g_mouse_keys = 0;      // MK_* of the last mouse or key input: buttons, Shift, Ctrl
bool g_alt_down = false;      // Alt as the last key input left it

// A window takes mouse input only while it and every window around it are enabled,
// as the system never delivers a click to a disabled window.
bool takes_input(const Window* w) {
    for (; w; w = is_top_level(w) ? nullptr : w->parent)
        if (w->style & WS_DISABLED) return false;
    return true;
}

bool is_press(UINT msg) {
    return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN || msg == WM_LBUTTONDBLCLK;
}

}  // namespace

unsigned input_count() {
    return g_input_count;
}

void note_user_input() {
    g_last_input_tick = GetTickCount();
}

namespace {

// Input from the desktop: counted for the waits, and the user's last input for GetLastInputInfo.
void count_input() {
    ++g_input_count;
    note_user_input();
}

}  // namespace

void input_mouse(Window* w, UINT msg, WPARAM keys, int x, int y) {
    count_input();
    g_mouse_keys = keys;
    if (!w) return;
    Window* capture = window_from(GetCapture());
    if (capture && capture != w) {
        POINT p{x, y};
        ClientToScreen(w->handle, &p);
        ScreenToClient(capture->handle, &p);
        w = capture;
        x = p.x;
        y = p.y;
    } else if (!takes_input(w)) {
        return;
    }
    if (is_press(msg)) {
        Window* top = top_level_of(w);
        if (top && top != active_window() && !(top->style & WS_DISABLED)) activate(top, WA_CLICKACTIVE);
        if (Window* child = mdi_child_of(w)) mdi_activate_child(child->parent, child);
        if (!window_from(w->handle)) return;
    }
    send(w, msg, keys, MAKELPARAM(static_cast<short>(x), static_cast<short>(y)));
}

}  // namespace cw::win

BOOL GetLastInputInfo(PLASTINPUTINFO info) {
    if (!info || info->cbSize != sizeof(LASTINPUTINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->dwTime = cw::win::g_last_input_tick;
    return TRUE;
}

// The buttons and shift keys as the last input gave them, as the system keeps the state of the
// input it has delivered.
SHORT GetKeyState(int vk) {
    WPARAM bit = 0;
    switch (vk) {
        case VK_LBUTTON: bit = MK_LBUTTON; break;
        case VK_RBUTTON: bit = MK_RBUTTON; break;
        case VK_SHIFT: bit = MK_SHIFT; break;
        case VK_CONTROL: bit = MK_CONTROL; break;
        case VK_MENU: return cw::win::g_alt_down ? static_cast<SHORT>(0x8000) : 0;
    }
    return (cw::win::g_mouse_keys & bit) ? static_cast<SHORT>(0x8000) : 0;
}

namespace cw::win {

void input_modifiers(KeyModifiers m) {
    g_mouse_keys = (g_mouse_keys & ~static_cast<WPARAM>(MK_SHIFT | MK_CONTROL)) | (m.shift ? MK_SHIFT : 0) |
                   (m.ctrl ? MK_CONTROL : 0);
    g_alt_down = m.alt;
}

bool input_key_event(Window* w, bool press, UINT vk, KeyModifiers m, unsigned tag) {
    count_input();
    input_modifiers(m);
    if (!w || !takes_input(w)) return false;
    // Keys are queued for the focused window, so that the program's loop sees them first
    // (accelerators, dialog keys) as it does on the system. With Alt they are system keys.
    const UINT msg = m.alt ? (press ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (press ? WM_KEYDOWN : WM_KEYUP);
    LPARAM lp = 1 | static_cast<LPARAM>((tag & 0xFF) << 16);
    if (m.alt) lp |= LPARAM{1} << 29;
    if (!press) lp |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
    PostMessageA(w->handle, msg, vk, lp);
    return true;
}

void input_key(Window* w, UINT msg, UINT vk) {
    count_input();
    if (w && takes_input(w)) send(w, msg, vk, 0);
}

void input_focus_lost(Window* w) {
    count_input();
    if (w) send(w, WM_KILLFOCUS, 0, 0);
}

void input_focus_gained(Window* w) {
    count_input();
    // Only a window that takes input, inside the window the window manager holds active, can
    // take the focus; a report about another top-level window predates an activation.
    if (!w || !takes_input(w) || top_level_of(w) != active_window() || GetFocus() == w->handle) return;
    SetFocus(w->handle);
}

void input_desktop_geometry(Window* top, RECT outer, Insets desktop_frame) {
    count_input();
    if (!top || !is_top_level(top)) return;
    const Insets known = system_frame(top->style);
    const bool unframed =
        !desktop_frame.left && !desktop_frame.top && !desktop_frame.right && !desktop_frame.bottom;
    if (unframed && (known.left || known.top || known.right || known.bottom)) {
        // A window just shown is reported before the desktop has put its frame around it:
        // it stands where its frame was asked to go, and gets the frame its kind has.
        outer.right += known.left + known.right;
        outer.bottom += known.top + known.bottom;
    } else {
        set_system_frame(top->style, desktop_frame);
    }
    if (EqualRect(&outer, &top->rect)) {
        cw::backend::sync_geometry(top);
        return;
    }
    set_window_rect(top, outer, SWP_NOZORDER | SWP_NOACTIVATE);
}

void input_activated(Window* top) {
    count_input();
    desktop_activated(top);
}

void input_close(Window* top) {
    count_input();
    if (top && takes_input(top)) SendMessageA(top->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void input_exposed(Window* top) {
    ++g_input_count;
    if (top && window_from(top->handle)) invalidate_tree(top, true);
}

void input_display_changed() {
    ++g_input_count;
    cw::ddraw::display_changed();
}

void input_files_dropped(Window* w, const std::vector<std::string>& paths, POINT at) {
    count_input();
    if (w && !paths.empty() && (w->ex_style & WS_EX_ACCEPTFILES) && takes_input(w)) post_drop(w, paths, at);
}

void input_scroll(Window* w, bool vertical, int code, int pos) {
    count_input();
    if (w && takes_input(w))
        SendMessageA(w->handle, vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), 0);
}

void input_menu_opening(Window* owner, HMENU popup) {
    count_input();
    // A system menu shows what applies to its window as it opens.
    if (Window* w = system_menu_owner(popup)) refresh_system_menu(w);
    if (owner) SendMessageA(owner->handle, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
}

void input_menu_chosen(Window* owner, UINT id) {
    count_input();
    if (owner) PostMessageA(owner->handle, WM_COMMAND, id, 0);
}

MINMAXINFO track_sizes(Window* w) {
    MINMAXINFO mmi{};
    mmi.ptMaxTrackSize = POINT{32767, 32767};
    if (w) SendMessageA(w->handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    return mmi;
}

}  // namespace cw::win
