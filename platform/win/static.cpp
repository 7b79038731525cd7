// "STATIC": labels, filled rectangles and icons.
#include "win/controls.h"

#include "win/backend.h"

namespace cw::win {

namespace {

LRESULT CALLBACK static_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    if (msg == WM_SETTEXT) {
        const LRESULT r = DefWindowProcA(hwnd, msg, wp, lp);
        cw::backend::control_changed(w);
        return r;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void register_static_class() {
    register_builtin_class("STATIC", static_proc);
}

}  // namespace cw::win
