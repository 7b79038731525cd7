// The grid settings dialog of the image window. A field is never left below the
// smallest grid: every change that makes it so puts the stored value back.
#include <windows.h>

#include "display/image_window.h"

namespace {

int field_value(HWND dialog, int id) {
    char text[3] = {0};  // only the first two characters count
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return grid_field_value(text);
}

void on_field_changed(HWND dialog, int id) {
    if (field_value(dialog, id) >= kMinGridSize) return;
    SetDlgItemInt(dialog, id, id == IDC_GRID_WIDTH ? g_image_view.grid_w : g_image_view.grid_h, FALSE);
}

void on_ok(HWND dialog) {
    const int w = field_value(dialog, IDC_GRID_WIDTH), h = field_value(dialog, IDC_GRID_HEIGHT);
    if (w >= kMinGridSize) g_image_view.grid_w = static_cast<uint16_t>(w);
    if (h >= kMinGridSize) g_image_view.grid_h = static_cast<uint16_t>(h);
    g_image_view.grid_shown = IsDlgButtonChecked(dialog, IDC_GRID_SHOW) == BST_CHECKED ? 1 : 0;
    EndDialog(dialog, IDOK);
}

}  // namespace

INT_PTR CALLBACK grid_dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    (void)lp;
    switch (msg) {
        case WM_INITDIALOG:
            CheckDlgButton(hwnd, IDC_GRID_SHOW, g_image_view.grid_shown == 1 ? BST_CHECKED : BST_UNCHECKED);
            SetDlgItemInt(hwnd, IDC_GRID_WIDTH, g_image_view.grid_w, FALSE);
            SetDlgItemInt(hwnd, IDC_GRID_HEIGHT, g_image_view.grid_h, FALSE);
            return FALSE;
        case WM_COMMAND: {
            const int id = LOWORD(wp);
            if (HIWORD(wp) == EN_CHANGE && (id == IDC_GRID_WIDTH || id == IDC_GRID_HEIGHT)) {
                on_field_changed(hwnd, id);
            } else if (id == IDOK) {
                on_ok(hwnd);
            } else if (id == IDCANCEL) {
                EndDialog(hwnd, IDCANCEL);
            }
            return TRUE;
        }
    }
    return FALSE;
}
