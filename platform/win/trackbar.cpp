// "msctls_trackbar32": the slider.
#include "win/controls.h"

#include <algorithm>

#include "win/backend.h"

namespace cw::win {

namespace {

TrackbarState* state(Window* w) {
    return static_cast<TrackbarState*>(w->control.get());
}

// A page is a fifth of the range, as the system's default page size.
int page_size(const TrackbarState* s) {
    return std::max(1, (s->max - s->min) / 5);
}

struct KeyAction {
    int code = -1;  // TB_*, or -1 for a key the trackbar does not take
    int pos = 0;
};

KeyAction action_of_key(const TrackbarState* s, WPARAM key) {
    switch (key) {
        case VK_LEFT:
        case VK_UP: return {TB_LINEUP, s->pos - 1};
        case VK_RIGHT:
        case VK_DOWN: return {TB_LINEDOWN, s->pos + 1};
        case VK_PRIOR: return {TB_PAGEUP, s->pos - page_size(s)};
        case VK_NEXT: return {TB_PAGEDOWN, s->pos + page_size(s)};
        case VK_HOME: return {TB_TOP, s->min};
        case VK_END: return {TB_BOTTOM, s->max};
    }
    return {};
}

// A key moves the thumb and tells the parent; its release ends the move (WM_KEYUP).
void key_pressed(Window* w, TrackbarState* s, WPARAM key) {
    if (!s) return;
    const KeyAction a = action_of_key(s, key);
    if (a.code >= 0) trackbar_user_action(w, a.code, a.pos);
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
        case TBM_GETPAGESIZE: return s ? page_size(s) : 0;
        case TBM_GETLINESIZE: return 1;
        case WM_KEYDOWN: key_pressed(w, s, wp); return 0;
        case WM_KEYUP:
            if (s && action_of_key(s, wp).code >= 0) trackbar_user_action(w, TB_ENDTRACK, s->pos);
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
