// The image window's procedure: its size, activation and hiding. The picture,
// zoom, grid and selection arrive with the drawing surfaces.
#include "display/image_window.h"

#include "app/app_state.h"
#include "project/tables.h"

namespace {

HMENU g_image_menu = nullptr;

// The outer size of the window for a client area of w x h.
SIZE outer_size(HWND hwnd, LONG w, LONG h) {
    RECT r{0, 0, w, h};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)));
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void on_init(HWND hwnd) {
    g_image_menu = GetMenu(hwnd);
    const WindowSize& c = g_tables.client_size[kImageWindowSlot];
    const SIZE s = outer_size(hwnd, static_cast<LONG>(c.width), static_cast<LONG>(c.height));
    RECT r;
    GetWindowRect(hwnd, &r);
    MoveWindow(hwnd, r.left, r.top, s.cx, s.cy, TRUE);
}

void on_size(WPARAM wp, LPARAM lp) {
    WindowSize& c = g_tables.client_size[kImageWindowSlot];
    if (wp == SIZE_MINIMIZED) {
        c = WindowSize{1, 1};
    } else {
        c = WindowSize{LOWORD(lp), HIWORD(lp)};
    }
}

}  // namespace

INT_PTR CALLBACK image_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: on_init(hwnd); return FALSE;
        case WM_ACTIVATE: g_app.app_active = LOWORD(wp); return TRUE;
        case WM_GETMINMAXINFO: {
            const SIZE s = outer_size(hwnd, 256, 256);
            reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = POINT{s.cx, s.cy};
            return TRUE;
        }
        case WM_SIZE: on_size(wp, lp); return TRUE;
        case WM_COMMAND:
            // IDCANCEL comes from the close box and Esc: the window is hidden, never destroyed.
            if (LOWORD(wp) == IDCANCEL) ShowWindow(hwnd, SW_HIDE);
            return TRUE;
    }
    return FALSE;
}
