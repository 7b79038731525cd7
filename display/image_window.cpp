// The image window's procedure: size, scroll bars, zoom, the selection drag,
// frame set and the drawing pass.
#include "display/image_window.h"

#include <algorithm>

#include "project/app_state.h"
#include "display/panel_selection.h"
#include "display/ddraw_errors.h"
#include "display/ddraw_sets.h"
#include "display/playback.h"
#include "project/project_tree.h"
#include "project/tables.h"

ImageViewState g_image_view;

namespace {

constexpr COLORREF kSelectionColour = RGB(128, 128, 128);
constexpr COLORREF kGridColour = RGB(192, 192, 192);

HMENU g_image_menu = nullptr;
bool g_dragging = false;

WindowSize& client() {
    return g_tables.client_size[kImageWindowSlot];
}
WindowSize& zoomed_client() {
    return g_tables.zoomed_client_size[kImageWindowSlot];
}

// The outer size of the window for a client area of w x h (the window has a menu bar).
SIZE outer_size(HWND hwnd, LONG w, LONG h) {
    RECT r{0, 0, w, h};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)), TRUE,
                       static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)));
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void set_zoom_checks(UINT chosen) {
    if (!g_image_menu) return;
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    for (UINT id = ID_ZOOM_1X1; id <= ID_ZOOM_32X32; ++id) {
        info.fState = 0;
        SetMenuItemInfoA(g_image_menu, id, FALSE, &info);
    }
    info.fState = MFS_CHECKED;
    SetMenuItemInfoA(g_image_menu, chosen, FALSE, &info);
}

void on_init(HWND hwnd) {
    g_image_menu = GetMenu(hwnd);
    const SIZE s = outer_size(hwnd, static_cast<LONG>(client().width), static_cast<LONG>(client().height));
    RECT r;
    GetWindowRect(hwnd, &r);
    MoveWindow(hwnd, r.left, r.top, s.cx, s.cy, TRUE);
}

void set_up_scroll_bars(HWND hwnd) {
    ImageViewState& v = g_image_view;
    if (client().width < v.zoomed_width) {
        ShowScrollBar(hwnd, SB_HORZ, TRUE);
        SetScrollRange(hwnd, SB_HORZ, 0, scroll_limit(v.image_width, zoomed_client().width, v.zoom_shift),
                       TRUE);
        SendMessageA(hwnd, WM_HSCROLL, SB_LINELEFT, 0);
    } else {
        ShowScrollBar(hwnd, SB_HORZ, FALSE);
        v.view_offset_x = 0;
        v.scroll_x = 0;
    }
    if (client().height < v.zoomed_height) {
        ShowScrollBar(hwnd, SB_VERT, TRUE);
        SetScrollRange(hwnd, SB_VERT, 0, scroll_limit(v.image_height, zoomed_client().height, v.zoom_shift),
                       TRUE);
        SendMessageA(hwnd, WM_VSCROLL, SB_LINEUP, 0);
    } else {
        ShowScrollBar(hwnd, SB_VERT, FALSE);
        v.view_offset_y = 0;
        v.scroll_y = 0;
    }
}

void on_size(HWND hwnd, WPARAM wp, LPARAM lp) {
    ImageViewState& v = g_image_view;
    if (wp == SIZE_MINIMIZED)
        client() = WindowSize{1, 1};
    else
        client() = WindowSize{LOWORD(lp), HIWORD(lp)};
    zoomed_client() =
        WindowSize{zoomed_extent(client().width, v.zoom_shift), zoomed_extent(client().height, v.zoom_shift)};
    compute_view(v, zoomed_client());
    // Showing or hiding a scroll bar resizes the client area and sends a nested
    // WM_SIZE; everything below reads the geometry that results from it.
    set_up_scroll_bars(hwnd);
    if (g_image_set.ddraw) {
        const HRESULT hr = recreate_canvas(g_image_set.ddraw, &g_image_set.canvas, zoomed_client().width,
                                           zoomed_client().height);
        if (FAILED(hr)) ddraw_error_report(hwnd, hr);
    }
}

void on_scroll(HWND hwnd, int bar, WPARAM wp) {
    ImageViewState& v = g_image_view;
    if (bar == SB_HORZ) {
        apply_scroll(v.scroll_x, v.view_offset_x, LOWORD(wp), HIWORD(wp),
                     scroll_limit(v.image_width, zoomed_client().width, v.zoom_shift),
                     static_cast<int32_t>(zoomed_client().width - client().width));
        SetScrollPos(hwnd, SB_HORZ, v.scroll_x, TRUE);
    } else {
        apply_scroll(v.scroll_y, v.view_offset_y, LOWORD(wp), HIWORD(wp),
                     scroll_limit(v.image_height, zoomed_client().height, v.zoom_shift),
                     static_cast<int32_t>(zoomed_client().height - client().height));
        SetScrollPos(hwnd, SB_VERT, v.scroll_y, TRUE);
    }
}

void on_zoom(HWND hwnd, UINT id) {
    ImageViewState& v = g_image_view;
    set_zoom_checks(id);
    v.zoom_shift = static_cast<int8_t>(id - ID_ZOOM_1X1);
    v.zoomed_width = static_cast<uint16_t>(v.image_width << v.zoom_shift);
    v.zoomed_height = static_cast<uint16_t>(v.image_height << v.zoom_shift);
    compute_view(v, zoomed_client());
    ShowScrollBar(hwnd, SB_BOTH, FALSE);
    RECT r;
    GetClientRect(hwnd, &r);
    SendMessageA(hwnd, WM_SIZE, 0, MAKELPARAM(r.right - r.left, r.bottom - r.top));
}

// The image pixel under a client point: the view offset, the centring of a small
// image and the scroll position all count, and the result stays inside the image.
POINT pixel_at(LPARAM lp) {
    const ImageViewState& v = g_image_view;
    const int32_t x = static_cast<int16_t>(LOWORD(lp)), y = static_cast<int16_t>(HIWORD(lp));
    return POINT{image_pixel_at(x, v.view_offset_x, centring_offset(zoomed_client().width, v.shown_width),
                                v.scroll_x, v.zoom_shift, v.image_width),
                 image_pixel_at(y, v.view_offset_y, centring_offset(zoomed_client().height, v.shown_height),
                                v.scroll_y, v.zoom_shift, v.image_height)};
}

void draw_selection_overlay() {
    LPDIRECTDRAWSURFACE s = g_image_set.selection_surface;
    if (!s) return;
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0;
    s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    HDC dc = nullptr;
    if (FAILED(s->GetDC(&dc)) || !dc) return;
    HBRUSH brush = CreateSolidBrush(kSelectionColour);
    const RECT r = normalised(g_image_view.selection);
    FrameRect(dc, &r, brush);
    DeleteObject(brush);
    s->ReleaseDC(dc);
}

void on_button_down(LPARAM lp) {
    g_dragging = true;
    const POINT p = pixel_at(lp);
    // A plain click selects the one pixel under the pointer.
    g_image_view.selection = RECT{p.x, p.y, p.x, p.y};
    draw_selection_overlay();
}

void on_mouse_move(WPARAM wp, LPARAM lp) {
    if (wp != MK_LBUTTON || !g_dragging) return;
    const POINT p = pixel_at(lp);
    g_image_view.selection.right = p.x;
    g_image_view.selection.bottom = p.y;
    draw_selection_overlay();
}

// Ends a drag. Only a drag is normalised: a release without a press (the click that
// closed a menu, say) must not widen the stored selection once more.
void end_drag() {
    if (!g_dragging) return;
    g_dragging = false;
    g_image_view.selection = normalised(g_image_view.selection);
}

void frame_set(HWND hwnd) {
    const int p = current_pattern();
    const int f = current_frame();
    if (p < 0 || f < 0 || p >= kMaxPatterns || f >= kMaxFrames) {
        MessageBoxA(hwnd, "ﾃﾞｰﾀを設定するﾌﾚｰﾑを選択してください.", "ﾌﾚｰﾑｾｯﾄ", MB_OK | MB_ICONINFORMATION);
        return;
    }
    end_drag();
    const RECT& s = g_image_view.selection;
    FrameRecord& r = g_tables.frames[p][f];
    r.image_x = static_cast<uint8_t>(s.left);
    r.image_y = static_cast<uint8_t>(s.top);
    r.image_w = static_cast<uint16_t>(s.right - s.left);
    r.image_h = static_cast<uint16_t>(s.bottom - s.top);
    PatternSettings& ps = g_tables.settings[p];
    ps.base_w = std::max(ps.base_w, r.image_w);
    ps.base_h = std::max(ps.base_h, r.image_h);
    show_frame(p, f);
    recreate_base_surface(p);
}

void on_command(HWND hwnd, UINT id) {
    if (id >= ID_ZOOM_1X1 && id <= ID_ZOOM_32X32) {
        on_zoom(hwnd, id);
    } else if (id == ID_FRAME_SET) {
        frame_set(hwnd);
    } else if (id == ID_GRID_SETTINGS) {
        DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_GRID_SETTINGS), hwnd, grid_dialog_proc, 0);
    } else if (id == IDCANCEL) {
        // The close box and Esc: the window is hidden, never destroyed.
        ShowWindow(hwnd, SW_HIDE);
    }
}

void draw_grid(HDC dc, int32_t dx, int32_t dy) {
    const ImageViewState& v = g_image_view;
    HPEN pen = CreatePen(PS_SOLID, 1, kGridColour);
    HGDIOBJ previous = SelectObject(dc, pen);
    for (int32_t x : grid_lines(v.scroll_x, v.grid_w, v.zoom_shift, dx, v.shown_width)) {
        MoveToEx(dc, x, dy, nullptr);
        LineTo(dc, x, dy + static_cast<int32_t>(v.shown_height));
    }
    for (int32_t y : grid_lines(v.scroll_y, v.grid_h, v.zoom_shift, dy, v.shown_height)) {
        MoveToEx(dc, dx, y, nullptr);
        LineTo(dc, dx + static_cast<int32_t>(v.shown_width), y);
    }
    SelectObject(dc, previous);
    DeleteObject(pen);
}

void compose_image(HDC canvas, HDC working, HDC selection) {
    const ImageViewState& v = g_image_view;
    const int32_t dx = centring_offset(zoomed_client().width, v.shown_width);
    const int32_t dy = centring_offset(zoomed_client().height, v.shown_height);
    const int w = static_cast<int>(v.shown_width), h = static_cast<int>(v.shown_height);
    const int sw = static_cast<int>(v.source_width), sh = static_cast<int>(v.source_height);
    StretchBlt(canvas, dx, dy, w, h, working, v.scroll_x, v.scroll_y, sw, sh, SRCCOPY);
    // Black leaves the image as it is; the grey outline flips the top bit of each channel under it.
    if (selection) StretchBlt(canvas, dx, dy, w, h, selection, v.scroll_x, v.scroll_y, sw, sh, SRCINVERT);
    if (v.grid_shown == 1) draw_grid(canvas, dx, dy);
}

}  // namespace

namespace {

// Where windows may stand: the screen less the desktop's panels.
RECT work_area() {
    RECT area{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) || area.right <= area.left)
        area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return area;
}

SIZE window_size(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// Without a place of its own the window goes beside the main window, on its right with its
// top level with the main window's client area, so that it hides none of the pattern windows;
// where the screen has no room for that, it goes to the main window's client origin, below
// the menu bar, where its template puts it.
POINT first_place(SIZE outer, const RECT& area) {
    RECT main;
    GetWindowRect(g_app.main_window, &main);
    POINT client{0, 0};
    ClientToScreen(g_app.main_window, &client);
    if (main.right + outer.cx <= area.right && client.y + outer.cy <= area.bottom)
        return POINT{main.right, client.y};
    return client;
}

// A place kept from another run, on a screen that may have changed since: the whole window on
// the work area where it fits, else its top-left corner (and so its caption) there.
POINT fitted_place(POINT at, SIZE outer, const RECT& area) {
    at.x = std::max(area.left, std::min(at.x, area.right - outer.cx));
    at.y = std::max(area.top, std::min(at.y, area.bottom - outer.cy));
    return at;
}

void place_image_window() {
    const SIZE outer = window_size(g_app.image_window);
    const RECT area = work_area();
    const POINT at = g_app.image_window_placed ? fitted_place(g_app.image_window_place, outer, area)
                                               : first_place(outer, area);
    SetWindowPos(g_app.image_window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Wherever the window stands while it is shown in its normal state is the place the next run
// gives it back; it is noted as it moves, since the window is gone by the time the settings
// are written at the end.
void keep_place(HWND hwnd) {
    if (!IsWindowVisible(hwnd) || IsIconic(hwnd) || IsZoomed(hwnd)) return;
    RECT r;
    GetWindowRect(hwnd, &r);
    g_app.image_window_place = POINT{r.left, r.top};
    g_app.image_window_placed = true;
}

}  // namespace

void show_image_window() {
    static bool placed = false;
    if (!placed) {
        placed = true;
        place_image_window();
    }
    ShowWindow(g_app.image_window, SW_SHOW);
    keep_place(g_app.image_window);
}

void reset_image_window_view(int w, int h) {
    g_dragging = false;
    reset_image_view(g_image_view, w, h);
    set_zoom_checks(ID_ZOOM_1X1);
}

void draw_image_window() {
    ImageSet& s = g_image_set;
    restore_if_lost(s.primary);
    if (!s.canvas) return;
    s.canvas->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &g_app.surround_fill);
    if (s.working_surface) {
        HDC canvas = nullptr, working = nullptr, selection = nullptr;
        s.canvas->GetDC(&canvas);
        s.working_surface->GetDC(&working);
        if (s.selection_surface) s.selection_surface->GetDC(&selection);
        if (canvas && working) compose_image(canvas, working, selection);
        if (selection) s.selection_surface->ReleaseDC(selection);
        if (working) s.working_surface->ReleaseDC(working);
        if (canvas) s.canvas->ReleaseDC(canvas);
    }
    const ImageViewState& v = g_image_view;
    copy_to_screen(g_app.image_window, s.primary, s.canvas, v.view_offset_x, v.view_offset_y,
                   static_cast<int>(client().width), static_cast<int>(client().height));
}

namespace {

void on_paint(HWND hwnd) {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    paint_image_window();
    EndPaint(hwnd, &ps);
}

}  // namespace

INT_PTR CALLBACK image_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: on_paint(hwnd); return TRUE;
        case WM_INITDIALOG: on_init(hwnd); return FALSE;
        case WM_ACTIVATE: g_app.app_active = LOWORD(wp); return TRUE;
        case WM_GETMINMAXINFO: {
            const SIZE s = outer_size(hwnd, kImageClientSize, kImageClientSize);
            reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = POINT{s.cx, s.cy};
            return TRUE;
        }
        case WM_SIZE: on_size(hwnd, wp, lp); return TRUE;
        case WM_MOVE: keep_place(hwnd); return TRUE;
        case WM_COMMAND: on_command(hwnd, LOWORD(wp)); return TRUE;
        case WM_HSCROLL: on_scroll(hwnd, SB_HORZ, wp); return TRUE;
        case WM_VSCROLL: on_scroll(hwnd, SB_VERT, wp); return TRUE;
        case WM_LBUTTONDOWN: on_button_down(lp); return TRUE;
        case WM_MOUSEMOVE: on_mouse_move(wp, lp); return TRUE;
        case WM_LBUTTONUP: end_drag(); return TRUE;
    }
    return FALSE;
}
