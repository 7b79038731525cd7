// IDD_LABEL_EDIT, "ラベル編集": renames the project, a pattern or a frame, whichever
// is selected in the project tree.
#include <cstring>

#include "project/app_state.h"
#include "project/editing.h"
#include "project/project_tree.h"
#include "project/tables.h"

namespace {

HTREEITEM selected_item() {
    return reinterpret_cast<HTREEITEM>(SendMessageA(g_app.project_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

void on_init(HWND hwnd) {
    char text[kLabelSize] = {0};
    get_tree_item_text(g_app.project_tree, selected_item(), text, kLabelSize);
    SetDlgItemTextA(hwnd, IDC_LABEL_TEXT, text);
    center_on_cursor(hwnd);
}

void on_ok(HWND hwnd) {
    const HTREEITEM s = selected_item();
    char typed[kLabelSize] = {0};
    GetDlgItemTextA(hwnd, IDC_LABEL_TEXT, typed, kLabelSize);
    char label[kLabelSize];
    set_label(label, typed);
    set_tree_item_text(g_app.project_tree, s, label);
    if (s && s == g_app.project_item) {
        std::memcpy(g_tables.names.project_name, label, kLabelSize);
    } else if (s) {
        for (int i = 0; i < kMaxPatterns; ++i) {
            if (s == g_tables.pattern_item[i]) set_pattern_label(label, i);
            for (int j = 0; j < kMaxFrames; ++j)
                if (s == g_tables.frame_items[i][j]) set_frame_label(label, i, j);
        }
    }
    EndDialog(hwnd, 1);
}

}  // namespace

INT_PTR CALLBACK label_dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG: on_init(hwnd); return FALSE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) on_ok(hwnd);
            if (LOWORD(wp) == IDCANCEL) EndDialog(hwnd, 2);
            return TRUE;
    }
    return FALSE;
}

void center_on_cursor(HWND dialog) {
    POINT cursor;
    GetCursorPos(&cursor);
    RECT r;
    GetWindowRect(dialog, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    MoveWindow(dialog, cursor.x - (w >> 1), cursor.y - (h >> 1), w, h, TRUE);
}
