// The pattern window procedure. A window finds its pattern by looking its own
// handle up in the window table, so it keeps working when its pattern is moved
// or a pattern before it is deleted; one that is not a pattern's only gets
// default processing. The playback tick draws what changes; WM_PAINT puts back
// what the desktop uncovered, restored or resized.
#include "display/pattern_window.h"

#include "project/app_state.h"
#include "display/panel_selection.h"
#include "display/ddraw_errors.h"
#include "display/ddraw_sets.h"
#include "display/pattern_geometry.h"
#include "display/playback.h"
#include "project/editing.h"
#include "project/project_tree.h"
#include "project/tables.h"

namespace {

constexpr DWORD kPatternExStyle = WS_EX_MDICHILD | WS_EX_OVERLAPPEDWINDOW;
constexpr DWORD kPatternStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
static_assert(kPatternExStyle == 0x340);
static_assert(kPatternStyle == 0x56000000);

// Mouse positions, in base-frame pixels, at which the dragged frame touches the
// edges of the base frame; all 0 when no drag is under way.
RECT g_offset_drag_bounds{};

void show_pattern_menu() {
    SendMessageA(g_app.mdi_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(g_app.pattern_menu),
                 reinterpret_cast<LPARAM>(g_app.pattern_window_submenu));
}

void show_project_menu() {
    SendMessageA(g_app.mdi_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(g_app.project_menu),
                 reinterpret_cast<LPARAM>(g_app.project_file_submenu));
}

void on_create(HWND hwnd) {
    const int p = current_pattern();
    show_pattern_menu();
    g_tables.open_pattern_windows += 1;
    update_add_pattern_item(g_tables.open_pattern_windows);
    if (p < 0 || p >= kMaxPatterns) return;
    g_tables.client_size[p] = WindowSize{kPatternClientSize, kPatternClientSize};
    g_tables.pattern_window[p] = hwnd;
    create_pattern_window_set(hwnd, p);

    if (g_app.zoom_menu) DestroyMenu(g_app.zoom_menu);
    g_app.zoom_menu = LoadMenuA(g_app.instance, MAKEINTRESOURCEA(IDR_ZOOM_MENU));

    RECT r;
    GetWindowRect(hwnd, &r);
    r.right = r.left + static_cast<LONG>(kPatternClientSize);
    r.bottom = r.top + static_cast<LONG>(kPatternClientSize);
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)));
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void on_paint(HWND hwnd, int p) {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    paint_pattern_window(p);
    EndPaint(hwnd, &ps);
}

void on_destroy(HWND hwnd, int p) {
    if (g_tables.open_pattern_windows > 0) g_tables.open_pattern_windows -= 1;
    if (g_tables.open_pattern_windows == 0) {
        show_project_menu();
        DrawMenuBar(g_app.main_window);
    }
    update_add_pattern_item(g_tables.open_pattern_windows);
    g_tables.pattern_window[p] = nullptr;
    release_pattern_window_set(p);
    g_tables.new_window_style = IsZoomed(hwnd) ? kNewWindowMaximize : 0;
}

void on_size(HWND hwnd, int p, WPARAM type, int width, int height) {
    if (type == SIZE_RESTORED) g_tables.new_window_style = 0;
    if (type == SIZE_MAXIMIZED) g_tables.new_window_style = kNewWindowMaximize;
    WindowSize& client = g_tables.client_size[p];
    client = type == SIZE_MINIMIZED ? WindowSize{1, 1}
                                    : WindowSize{static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
    const int shift = g_tables.settings[p].zoom_shift;
    g_tables.zoomed_client_size[p] =
        WindowSize{zoomed_dimension(client.width, shift), zoomed_dimension(client.height, shift)};
    update_scroll_bars(hwnd, p);
    if (g_tables.pattern_ddraw[p]) {
        const WindowSize& z = g_tables.zoomed_client_size[p];
        const HRESULT hr =
            recreate_canvas(g_tables.pattern_ddraw[p], &g_tables.pattern_canvas[p], z.width, z.height);
        if (FAILED(hr)) ddraw_error_report(hwnd, hr);
    }
}

void on_scroll(HWND hwnd, int p, bool vertical, WPARAM wp) {
    PatternSettings& s = g_tables.settings[p];
    const WindowSize zoomed = g_tables.zoomed_client_size[p];
    const WindowSize client = g_tables.client_size[p];
    ScrollAxis axis =
        vertical ? ScrollAxis{s.scroll_y, s.view_offset_y} : ScrollAxis{s.scroll_x, s.view_offset_x};
    axis = pattern_scroll(axis, LOWORD(wp), static_cast<int16_t>(HIWORD(wp)), vertical ? s.base_h : s.base_w,
                          vertical ? zoomed.height : zoomed.width, vertical ? client.height : client.width,
                          s.zoom_shift);
    if (vertical) {
        s.scroll_y = axis.position;
        s.view_offset_y = axis.view_offset;
    } else {
        s.scroll_x = axis.position;
        s.view_offset_x = axis.view_offset;
    }
    SetScrollPos(hwnd, vertical ? SB_VERT : SB_HORZ, axis.position, TRUE);
}

void on_zoom(HWND hwnd, int p, UINT id) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    for (UINT item = ID_ZOOM_1X1; item <= ID_ZOOM_32X32; ++item) {
        info.fState = item == id ? MFS_CHECKED : 0;
        SetMenuItemInfoA(g_app.zoom_menu, item, FALSE, &info);
    }
    PatternSettings& s = g_tables.settings[p];
    s.zoom_shift = static_cast<int8_t>(id - ID_ZOOM_1X1);
    s.zoom_factor = static_cast<uint16_t>(1u << s.zoom_shift);
    update_scroll_bars(hwnd, p);
}

void on_zoom_popup(HWND hwnd) {
    POINT cursor;
    GetCursorPos(&cursor);
    TrackPopupMenu(GetSubMenu(g_app.zoom_menu, 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd, nullptr);
}

// The frame dragged is the current frame; nothing is dragged without one.
int dragged_frame(int p) {
    if (current_pattern() != p) return -1;
    const int f = current_frame();
    if (f < 0 || f >= kMaxFrames || static_cast<uint32_t>(f) >= g_tables.data.entries[p].frame_count)
        return -1;
    return f;
}

void on_offset_drag(int p, UINT msg, WPARAM wp, LPARAM lp) {
    const int f = dragged_frame(p);
    if (f < 0) return;
    const int shift = g_tables.settings[p].zoom_shift;
    const int mx = to_base_pixels(LOWORD(lp), shift), my = to_base_pixels(HIWORD(lp), shift);
    FrameRecord& r = g_tables.frames[p][f];
    const PatternSettings& s = g_tables.settings[p];
    switch (msg) {
        case WM_LBUTTONDOWN: {
            const DragBounds b =
                drag_bounds(mx, my, r.correction_x, r.correction_y, r.image_w, r.image_h, s.base_w, s.base_h);
            g_offset_drag_bounds = RECT{b.left, b.top, b.right, b.bottom};
            break;
        }
        case WM_MOUSEMOVE: {
            if (wp != MK_LBUTTON) return;
            const RECT& g = g_offset_drag_bounds;
            const Correction c = drag_correction(DragBounds{g.left, g.top, g.right, g.bottom}, mx, my);
            r.correction_x = c.x;
            r.correction_y = c.y;
            show_frame(p, f);
            break;
        }
        case WM_LBUTTONUP:
            g_offset_drag_bounds = RECT{};
            show_frame(p, f);
            break;
    }
}

bool tree_selection_in_pattern(int p) {
    const auto s =
        reinterpret_cast<HTREEITEM>(SendMessageA(g_app.project_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!s) return false;
    if (s == g_tables.pattern_item[p]) return true;
    for (int f = 0; f < kMaxFrames; ++f)
        if (s == g_tables.frame_items[p][f]) return true;
    return false;
}

void on_mdi_activate(HWND hwnd, int p, HWND activated) {
    // Activating a window makes its pattern current by selecting its tree item. Only
    // the window being activated does so, and only when the tree's selection is not
    // already in its pattern: the selection itself activates the pattern's window,
    // so a deactivated window selecting its own pattern would activate itself again,
    // and re-selecting the pattern item would undo a frame the user just clicked.
    if (activated == hwnd && !tree_selection_held() && !tree_selection_in_pattern(p))
        SendMessageA(g_app.project_tree, TVM_SELECTITEM, TVGN_CARET,
                     reinterpret_cast<LPARAM>(g_tables.pattern_item[p]));
    if (activated == hwnd)
        show_pattern_menu();
    else if (!activated)
        show_project_menu();
    DrawMenuBar(g_app.main_window);
}

}  // namespace

HWND create_pattern_window(int p) {
    if (p < 0 || p >= kMaxPatterns) return nullptr;
    return CreateWindowExA(kPatternExStyle, kPatternClass, g_tables.names.pattern_labels[p],
                           kPatternStyle | g_tables.new_window_style, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, g_app.mdi_client, nullptr, g_app.instance, nullptr);
}

void open_pattern_window(int p) {
    if (p < 0 || p >= kMaxPatterns) return;
    if (g_tables.pattern_window[p]) {
        SendMessageA(g_app.mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(g_tables.pattern_window[p]),
                     0);
        return;
    }
    create_pattern_window(p);
}

void update_scroll_bars(HWND hwnd, int p) {
    if (!hwnd || p < 0 || p >= kMaxPatterns) return;
    // Showing a bar shrinks the client area, and the WM_SIZE that follows comes back
    // here; each half therefore reads the sizes afresh.
    {
        PatternSettings& s = g_tables.settings[p];
        if (scroll_bar_needed(g_tables.client_size[p].width, s.base_w, s.zoom_shift)) {
            ShowScrollBar(hwnd, SB_HORZ, TRUE);
            SetScrollRange(hwnd, SB_HORZ, 0,
                           pattern_scroll_limit(s.base_w, g_tables.zoomed_client_size[p].width, s.zoom_shift),
                           TRUE);
            SendMessageA(hwnd, WM_HSCROLL, SB_LINELEFT, 0);
        } else {
            s.scroll_x = 0;
            s.view_offset_x = 0;
            ShowScrollBar(hwnd, SB_HORZ, FALSE);
        }
    }
    if (pattern_index_of(hwnd) != p) return;
    {
        PatternSettings& s = g_tables.settings[p];
        if (scroll_bar_needed(g_tables.client_size[p].height, s.base_h, s.zoom_shift)) {
            ShowScrollBar(hwnd, SB_VERT, TRUE);
            SetScrollRange(
                hwnd, SB_VERT, 0,
                pattern_scroll_limit(s.base_h, g_tables.zoomed_client_size[p].height, s.zoom_shift), TRUE);
            SendMessageA(hwnd, WM_VSCROLL, SB_LINEUP, 0);
        } else {
            s.scroll_y = 0;
            s.view_offset_y = 0;
            ShowScrollBar(hwnd, SB_VERT, FALSE);
        }
    }
}

LRESULT CALLBACK pattern_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CREATE) {
        on_create(hwnd);
        return DefMDIChildProcA(hwnd, msg, wp, lp);
    }
    const int p = pattern_index_of(hwnd);
    if (p == kNoPattern) return DefMDIChildProcA(hwnd, msg, wp, lp);
    switch (msg) {
        case WM_PAINT: on_paint(hwnd, p); return 0;
        case WM_DESTROY: on_destroy(hwnd, p); break;
        case WM_SIZE: on_size(hwnd, p, wp, LOWORD(lp), HIWORD(lp)); break;
        case WM_ACTIVATE: g_app.app_active = LOWORD(wp); break;
        case WM_COMMAND:
            if (LOWORD(wp) >= ID_ZOOM_1X1 && LOWORD(wp) <= ID_ZOOM_32X32) on_zoom(hwnd, p, LOWORD(wp));
            break;
        case WM_HSCROLL: on_scroll(hwnd, p, false, wp); break;
        case WM_VSCROLL: on_scroll(hwnd, p, true, wp); break;
        case WM_LBUTTONDOWN:
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: on_offset_drag(p, msg, wp, lp); break;
        case WM_RBUTTONUP: on_zoom_popup(hwnd); break;
        case WM_MDIACTIVATE: on_mdi_activate(hwnd, p, reinterpret_cast<HWND>(lp)); return 0;
    }
    return DefMDIChildProcA(hwnd, msg, wp, lp);
}
