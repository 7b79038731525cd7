// "msctls_statusbar32": the status window along the bottom of its parent.
#include "win/controls.h"

#include "win/backend.h"

namespace cw::win {

void status_place_at_bottom(Window* w) {
    if (!w->parent || (w->style & CCS_NORESIZE)) return;
    const RECT pc = client_rect_of(w->parent);
    const int h = status_bar_height();
    set_window_rect(w, RECT{0, pc.bottom - h, pc.right, pc.bottom}, SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

LRESULT CALLBACK status_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    switch (msg) {
        case WM_CREATE: return 0;
        case WM_SIZE:
            // The parent forwards its own WM_SIZE; the bar places itself along the bottom.
            if (w->created) status_place_at_bottom(w);
            return 0;
        case SB_SETTEXTA:
            if ((wp & 0xFF) != 0) return FALSE;
            return SendMessageA(hwnd, WM_SETTEXT, 0, lp);
        case SB_GETTEXTA: return SendMessageA(hwnd, WM_GETTEXT, 512, lp);
        case SB_GETTEXTLENGTHA: return static_cast<LRESULT>(w->text.size());
        case WM_SETTEXT: return control_set_text(w, wp, lp);
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int status_bar_height() {
    return cw::backend::status_bar_height();
}

void register_status_class() {
    register_builtin_class("msctls_statusbar32", status_proc);
}

}  // namespace cw::win

HWND CreateStatusWindowA(LONG style, LPCSTR text, HWND parent, UINT id) {
    cw::win::ensure_builtin_classes();
    HWND h = CreateWindowExA(0, STATUSCLASSNAMEA, text, static_cast<DWORD>(style), 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
    if (cw::win::Window* w = cw::win::window_from(h)) cw::win::status_place_at_bottom(w);
    return h;
}
