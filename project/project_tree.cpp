#include "project/project_tree.h"

#include <cstring>

#include "project/app_state.h"
#include "display/panel_selection.h"
#include "display/pattern_window.h"
#include "project/tables.h"

namespace {
HTREEITEM g_last_inserted = nullptr;
}  // namespace

HTREEITEM last_inserted_tree_item() {
    return g_last_inserted;
}

UINT tree_check_image(HWND tree, HTREEITEM item) {
    const auto state =
        SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK);
    return (static_cast<UINT>(state) & TVIS_STATEIMAGEMASK) >> 12;
}

void set_tree_check_image(HWND tree, HTREEITEM item, UINT image) {
    TVITEMA tv{};
    tv.mask = TVIF_STATE;
    tv.hItem = item;
    tv.stateMask = TVIS_STATEIMAGEMASK;
    tv.state = INDEXTOSTATEIMAGEMASK(image);
    SendMessageA(tree, TVM_SETITEM, 0, reinterpret_cast<LPARAM>(&tv));
}

HTREEITEM insert_tree_item(HWND tree, HTREEITEM parent, HTREEITEM insert_after, const char* text) {
    TVINSERTSTRUCTA ins{};
    ins.hParent = parent;
    ins.hInsertAfter = insert_after;
    ins.item.mask = TVIF_TEXT | TVIF_STATE;
    ins.item.state = TVIS_EXPANDED;
    ins.item.stateMask = TVIS_EXPANDED;
    ins.item.pszText = const_cast<char*>(text);
    const auto item =
        reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEM, 0, reinterpret_cast<LPARAM>(&ins)));
    g_last_inserted = item;
    set_tree_check_image(tree, item, 2);
    return item;
}

void get_tree_item_text(HWND tree, HTREEITEM item, char* buffer, int size) {
    TVITEMA tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = buffer;
    tv.cchTextMax = size;
    if (size > 0) buffer[0] = 0;
    SendMessageA(tree, TVM_GETITEM, 0, reinterpret_cast<LPARAM>(&tv));
}

void set_tree_item_text(HWND tree, HTREEITEM item, const char* text) {
    TVITEMA tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.hItem = item;
    tv.pszText = const_cast<char*>(text);
    SendMessageA(tree, TVM_SETITEM, 0, reinterpret_cast<LPARAM>(&tv));
}

namespace {
void set_number(HWND panel, int id, unsigned value) {
    SetDlgItemInt(panel, id, value, FALSE);
}
}  // namespace

void show_frame(int p, int f) {
    if (p < 0 || p >= kMaxPatterns || f < 0 || f >= kMaxFrames) return;
    const FrameRecord& r = g_tables.frames[p][f];
    const PatternSettings& s = g_tables.settings[p];
    HWND panel = g_app.edit_panel;
    set_number(panel, IDC_TIMING, r.timing);
    set_number(panel, IDC_CORRECTION_X, r.correction_x);
    set_number(panel, IDC_CORRECTION_Y, r.correction_y);
    set_number(panel, IDC_IMAGE_X, r.image_x);
    set_number(panel, IDC_IMAGE_Y, r.image_y);
    set_number(panel, IDC_IMAGE_W, r.image_w);
    set_number(panel, IDC_IMAGE_H, r.image_h);
    set_number(panel, IDC_BASE_W, s.base_w);
    set_number(panel, IDC_BASE_H, s.base_h);
}

// ---- selection ----------------------------------------------------------------

namespace {

int g_selection_holds = 0;

HWND tree() {
    return g_app.project_tree;
}

HTREEITEM selected_item() {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree(), TVM_GETNEXTITEM, TVGN_CARET, 0));
}

void select_item(HTREEITEM item) {
    SendMessageA(tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

int pattern_count() {
    const uint32_t n = g_tables.data.header.pattern_count;
    return n > kMaxPatterns ? kMaxPatterns : static_cast<int>(n);
}

int frame_count(int p) {
    const uint32_t n = g_tables.data.entries[p].frame_count;
    return n > kMaxFrames ? kMaxFrames : static_cast<int>(n);
}

// The pattern, and for a frame item the frame, an item stands for; false for the
// root, nothing, or an item of no pattern in use.
bool locate_item(HTREEITEM item, int* p, int* f) {
    if (!item) return false;
    for (int i = 0; i < pattern_count(); ++i) {
        if (item == g_tables.pattern_item[i]) {
            *p = i;
            *f = -1;
            return true;
        }
        for (int j = 0; j < frame_count(i); ++j) {
            if (item == g_tables.frame_items[i][j]) {
                *p = i;
                *f = j;
                return true;
            }
        }
    }
    return false;
}

// Makes pattern p current as a choice in the pattern combo would, without the
// combo selecting the tree item again (lParam 0).
void make_pattern_current(int p) {
    SendDlgItemMessageA(g_app.edit_panel, IDC_PATTERN, CB_SETCURSEL, static_cast<WPARAM>(p), 0);
    SendMessageA(g_app.edit_panel, WM_COMMAND, MAKEWPARAM(IDC_PATTERN, CBN_SELCHANGE), 0);
}

}  // namespace

void hold_tree_selection() {
    ++g_selection_holds;
}
void release_tree_selection() {
    if (g_selection_holds > 0) --g_selection_holds;
}
bool tree_selection_held() {
    return g_selection_holds > 0;
}

void on_tree_selection_changed() {
    if (tree_selection_held()) return;
    int p = 0, f = 0;
    if (!locate_item(selected_item(), &p, &f)) return;
    make_pattern_current(p);
    if (f < 0) return;
    SendDlgItemMessageA(g_app.edit_panel, IDC_FRAME, CB_SETCURSEL, static_cast<WPARAM>(f), 0);
    open_pattern_window(p);
    show_frame(p, f);
}

void open_selected_pattern_window() {
    int p = 0, f = 0;
    if (!locate_item(selected_item(), &p, &f)) return;
    make_pattern_current(p);
    open_pattern_window(p);
}

// ---- dragging -------------------------------------------------------------------
//
// A drag installs its own window procedure in front of the tree's and captures the
// mouse, so that the release is seen wherever it happens: inside the tree it drops
// on the last outlined target, outside it ends the drag with nothing moved. Without
// the capture a release elsewhere would leave the drag pending, and the next
// unrelated click in the tree would move the item.

namespace {

LRESULT CALLBACK tree_drag_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

bool drag_installed() {
    return g_tables.saved_tree_proc != nullptr;
}

void end_drag(HWND hwnd) {
    if (!drag_installed()) return;
    InvalidateRect(hwnd, nullptr, TRUE);
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_tables.saved_tree_proc));
    g_tables.saved_tree_proc = nullptr;
    g_tables.drop_mark = RECT{};
    if (GetCapture() == hwnd) ReleaseCapture();
}

void drag_over(HWND hwnd, LPARAM lp) {
    TVHITTESTINFO hit{};
    hit.pt = POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    SendMessageA(hwnd, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    const int c = current_pattern();
    int p = 0, f = 0;
    bool target = false;
    if (locate_item(hit.hItem, &p, &f)) {
        if (g_tables.drag_kind == 1 && f < 0) {
            g_tables.drop_index = p;
            target = true;
        } else if (g_tables.drag_kind == 2 && f >= 0 && p == c) {
            g_tables.drop_index = f;
            target = true;
        }
    }
    if (target) {
        mark_drop_target(hit.hItem);
        SetCursor(LoadCursorA(g_app.instance, MAKEINTRESOURCEA(IDC_DROP_ALLOWED)));
    } else {
        SetCursor(LoadCursorA(nullptr, IDC_NO));
    }
}

void move_pattern(int c, int d) {
    const int count = pattern_count();
    if (c < 0 || c >= count || d < 0 || d >= count || d == c) return;
    // The moved item goes away and comes back; the tree's own choice of a new
    // selection in between must not make another pattern current.
    hold_tree_selection();
    SendMessageA(tree(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(g_tables.pattern_item[c]));
    SendDlgItemMessageA(g_app.edit_panel, IDC_PATTERN, CB_DELETESTRING, static_cast<WPARAM>(c), 0);
    g_tables.pattern_item[c] = insert_tree_item(tree(), g_app.project_item, g_tables.pattern_item[d],
                                                g_tables.names.pattern_labels[c]);
    const int t = d > c ? d : d + 1;
    SendDlgItemMessageA(g_app.edit_panel, IDC_PATTERN, CB_INSERTSTRING, static_cast<WPARAM>(t),
                        reinterpret_cast<LPARAM>(g_tables.names.pattern_labels[c]));
    for (int j = 0; j < frame_count(c); ++j)
        g_tables.frame_items[c][j] =
            insert_tree_item(tree(), g_tables.pattern_item[c], TVI_LAST, g_tables.names.frame_labels[c][j]);
    move_pattern_slot(g_tables, c, t);
    release_tree_selection();
    select_item(g_tables.pattern_item[t]);
}

void move_frame(int c, int cf, int d) {
    if (c < 0 || c >= pattern_count()) return;
    const int count = frame_count(c);
    if (cf < 0 || cf >= count || d < 0 || d >= count || d == cf) return;
    hold_tree_selection();
    SendMessageA(tree(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(g_tables.frame_items[c][cf]));
    g_tables.frame_items[c][cf] = insert_tree_item(
        tree(), g_tables.pattern_item[c], g_tables.frame_items[c][d], g_tables.names.frame_labels[c][cf]);
    const int t = d > cf ? d : d + 1;
    move_frame_entry(g_tables, c, cf, t);
    release_tree_selection();
    select_item(g_tables.frame_items[c][t]);
}

void drop(HWND hwnd, LPARAM lp) {
    RECT client;
    GetClientRect(hwnd, &client);
    const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    const bool inside = PtInRect(&client, pt) != FALSE;
    const uint8_t kind = g_tables.drag_kind;
    const int c = current_pattern(), d = g_tables.drop_index;
    const int cf = current_frame();
    // The outline goes and the tree gets its procedure back before the move, so the
    // items inserted and selected by the move go through the tree's own handling.
    end_drag(hwnd);
    if (!inside) return;
    if (kind == 1) move_pattern(c, d);
    if (kind == 2) move_frame(c, cf, d);
}

LRESULT CALLBACK tree_drag_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const WNDPROC saved = g_tables.saved_tree_proc;
    switch (msg) {
        case WM_MOUSEMOVE:
            if (wp == MK_LBUTTON) drag_over(hwnd, lp);
            break;
        case WM_LBUTTONUP: drop(hwnd, lp); break;
        case WM_CAPTURECHANGED:
            // Another window took the mouse: the release will not come here.
            if (reinterpret_cast<HWND>(lp) != hwnd) end_drag(hwnd);
            break;
    }
    return CallWindowProcA(saved, hwnd, msg, wp, lp);
}

}  // namespace

void on_tree_begin_drag(const NMTREEVIEWA* nm) {
    if (!nm || drag_installed()) return;
    const HTREEITEM item = nm->itemNew.hItem;
    select_item(item);
    g_tables.drag_kind = 0;
    int p = 0, f = 0;
    if (locate_item(item, &p, &f)) {
        g_tables.drag_kind = f < 0 ? 1 : 2;
        g_tables.drop_index = f < 0 ? p : f;
    }
    if (g_tables.drag_kind == 0) return;
    g_tables.drop_mark = RECT{};
    g_tables.saved_tree_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(tree(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(tree_drag_proc)));
    SetCapture(tree());
}

void mark_drop_target(HTREEITEM item) {
    HWND hwnd = tree();
    HDC dc = GetDC(hwnd);
    HBRUSH white = CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF));
    FrameRect(dc, &g_tables.drop_mark, white);
    DeleteObject(white);
    RECT r{};
    // TVM_GETITEMRECT takes the item in the rectangle it fills.
    std::memcpy(&r, &item, sizeof item);
    SendMessageA(hwnd, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
    RECT client;
    GetClientRect(hwnd, &client);
    r.left = client.left;
    r.right = client.right;
    g_tables.drop_mark = r;
    HBRUSH blue = CreateSolidBrush(0xFF0000);
    FrameRect(dc, &g_tables.drop_mark, blue);
    DeleteObject(blue);
    ReleaseDC(hwnd, dc);
}
