// The frame of child windows that carry one (MDI children): hit-testing a point into
// the frame's parts, the caption buttons, and moving and sizing by dragging the frame.
// The backend only paints the frame and reports the mouse on it.
#include <algorithm>

#include "win/input.h"
#include "win/mdi.h"
#include "win/window.h"

namespace cw::win {

namespace {

bool has_caption_frame(const Window* w) {
    return (w->ex_style & WS_EX_MDICHILD) && (w->style & WS_CAPTION) == WS_CAPTION;
}

int edges_of(int hit) {  // 1 left, 2 right, 4 top, 8 bottom
    switch (hit) {
        case HTLEFT: return 1;
        case HTRIGHT: return 2;
        case HTTOP: return 4;
        case HTBOTTOM: return 8;
        case HTTOPLEFT: return 5;
        case HTTOPRIGHT: return 6;
        case HTBOTTOMLEFT: return 9;
        case HTBOTTOMRIGHT: return 10;
    }
    return 0;
}

// One drag of a frame at a time: the mouse is grabbed by the frame while it lasts.
struct FrameDrag {
    HWND window = nullptr;
    int hit = HTNOWHERE;
    POINT origin{0, 0};  // screen
    RECT start{};
};
FrameDrag g_drag;

RECT dragged_rect(const FrameDrag& d, POINT now) {
    const int dx = now.x - d.origin.x, dy = now.y - d.origin.y;
    RECT r = d.start;
    if (d.hit == HTCAPTION) {
        OffsetRect(&r, dx, dy);
        return r;
    }
    const int e = edges_of(d.hit);
    if (e & 1) r.left += dx;
    if (e & 2) r.right += dx;
    if (e & 4) r.top += dy;
    if (e & 8) r.bottom += dy;
    const int min_w = 3 * caption_height(), min_h = caption_height() + 8;
    if (r.right - r.left < min_w) (e & 1) ? r.left = r.right - min_w : r.right = r.left + min_w;
    if (r.bottom - r.top < min_h) (e & 4) ? r.top = r.bottom - min_h : r.bottom = r.top + min_h;
    return r;
}

WPARAM button_command(const Window* w, int hit) {
    if (hit == HTCLOSE) return SC_CLOSE;
    if (hit == HTMAXBUTTON) return w->maximized ? SC_RESTORE : SC_MAXIMIZE;
    return SC_MINIMIZE;
}

}  // namespace

RECT caption_rect(const Window* w) {
    const int f = frame_width(w->style, w->ex_style);
    return RECT{f, f, w->rect.right - w->rect.left - f, f + caption_height()};
}

RECT caption_button_rect(const Window* w, int hit) {
    const int i = hit == HTCLOSE ? 1 : hit == HTMAXBUTTON ? 2 : 3;
    const RECT c = caption_rect(w);
    const int s = caption_height() - 4;
    const int left = c.right - i * (s + 2);
    return RECT{left, c.top + 2, left + s, c.top + 2 + s};
}

int nonclient_hit_test(const Window* w, POINT p) {
    const int width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
    if (p.x < 0 || p.y < 0 || p.x >= width || p.y >= height) return HTNOWHERE;
    if (!has_caption_frame(w) || w->maximized) return HTCLIENT;
    for (int hit : {HTCLOSE, HTMAXBUTTON, HTMINBUTTON}) {
        const RECT b = caption_button_rect(w, hit);
        if (PtInRect(&b, p)) return hit;
    }
    const int f = frame_width(w->style, w->ex_style);
    int e = 0;
    if (p.x < f) e |= 1;
    if (p.x >= width - f) e |= 2;
    if (p.y < f) e |= 4;
    if (p.y >= height - f) e |= 8;
    switch (e) {
        case 1: return HTLEFT;
        case 2: return HTRIGHT;
        case 4: return HTTOP;
        case 8: return HTBOTTOM;
        case 5: return HTTOPLEFT;
        case 6: return HTTOPRIGHT;
        case 9: return HTBOTTOMLEFT;
        case 10: return HTBOTTOMRIGHT;
    }
    const RECT c = caption_rect(w);
    return PtInRect(&c, p) ? HTCAPTION : HTCLIENT;
}

HCURSOR nonclient_cursor(Window* w, POINT in_window) {
    switch (w ? nonclient_hit_test(w, in_window) : HTNOWHERE) {
        case HTLEFT:
        case HTRIGHT: return LoadCursorA(nullptr, IDC_SIZEWE);
        case HTTOP:
        case HTBOTTOM: return LoadCursorA(nullptr, IDC_SIZENS);
        case HTTOPLEFT:
        case HTBOTTOMRIGHT: return LoadCursorA(nullptr, IDC_SIZENWSE);
        case HTTOPRIGHT:
        case HTBOTTOMLEFT: return LoadCursorA(nullptr, IDC_SIZENESW);
    }
    return LoadCursorA(nullptr, IDC_ARROW);
}

void input_nonclient_mouse(Window* w, UINT msg, POINT in_window, POINT on_screen) {
    note_user_input();
    if (!w || !(w->ex_style & WS_EX_MDICHILD)) return;
    const HWND h = w->handle;
    switch (msg) {
        case WM_LBUTTONDOWN: {
            if (Window* client = w->parent) mdi_activate_child(client, w);
            if (!(w = window_from(h))) return;
            const int hit = nonclient_hit_test(w, in_window);
            if (hit == HTCLOSE || hit == HTMAXBUTTON || hit == HTMINBUTTON) {
                PostMessageA(h, WM_SYSCOMMAND, button_command(w, hit), 0);
                return;
            }
            if (hit == HTCLIENT || hit == HTNOWHERE || w->maximized) return;
            g_drag = FrameDrag{h, hit, on_screen, w->rect};
            return;
        }
        case WM_MOUSEMOVE:
            if (g_drag.window != h || !window_from(h) || w->maximized) return;
            set_window_rect(w, dragged_rect(g_drag, on_screen), SWP_NOZORDER);
            return;
        case WM_LBUTTONUP: g_drag = FrameDrag{}; return;
        case WM_LBUTTONDBLCLK:
            if (nonclient_hit_test(w, in_window) == HTCAPTION)
                PostMessageA(h, WM_SYSCOMMAND, w->maximized ? SC_RESTORE : SC_MAXIMIZE, 0);
            return;
    }
}

}  // namespace cw::win
