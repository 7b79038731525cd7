// "msctls_trackbar32": the slider.
#include "win/controls.h"

#include <algorithm>

#include "win/backend.h"

namespace cw::win {

namespace {

TrackbarState* state(Window* w) {
    return static_cast<TrackbarState*>(w->control.get());
}

LRESULT CALLBACK trackbar_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    TrackbarState* s = state(w);
    switch (msg) {
        case WM_CREATE: w->control = std::make_unique<TrackbarState>(); return 0;
        case TBM_GETPOS: return s ? s->pos : 0;
        case TBM_GETRANGEMIN: return s ? s->min : 0;
        case TBM_GETRANGEMAX: return s ? s->max : 0;
        case TBM_SETRANGE:
            if (s) {
                s->min = static_cast<short>(LOWORD(lp));
                s->max = static_cast<short>(HIWORD(lp));
                s->pos = std::clamp(s->pos, s->min, std::max(s->min, s->max));
                cw::backend::control_changed(w);
            }
            return 0;
        case TBM_SETPOS:
            if (s) {
                s->pos = std::clamp(static_cast<int>(lp), s->min, std::max(s->min, s->max));
                cw::backend::control_changed(w);
            }
            return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void trackbar_user_action(Window* w, int code, int pos) {
    TrackbarState* s = state(w);
    if (!s || !w->parent) return;
    s->pos = std::clamp(pos, s->min, std::max(s->min, s->max));
    cw::backend::control_changed(w);
    const UINT msg = (w->style & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
    const bool carries_pos = code == TB_THUMBTRACK || code == TB_THUMBPOSITION;
    send(w->parent, msg, MAKEWPARAM(code, carries_pos ? s->pos : 0), reinterpret_cast<LPARAM>(w->handle));
}

void register_trackbar_class() {
    register_builtin_class("msctls_trackbar32", trackbar_proc);
}

}  // namespace cw::win
