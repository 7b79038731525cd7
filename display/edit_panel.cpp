// The edit panel's procedure. The playback, pattern and frame controls are
// wired as their operations arrive; what is here is the panel's own set-up.
#include "display/edit_panel.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "display/panel_selection.h"

namespace {
HWND g_speed_slider = nullptr;
}

INT_PTR CALLBACK edit_panel_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            g_speed_slider = GetDlgItem(hwnd, IDC_SPEED);
            SendMessageA(g_speed_slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 9));
            return FALSE;
        case WM_ACTIVATE: g_app.app_active = LOWORD(wp); return TRUE;
        case WM_HSCROLL: return TRUE;
        case WM_COMMAND:
            if (HIWORD(wp) == CBN_SELCHANGE && LOWORD(wp) == IDC_PATTERN) on_pattern_combo_change(lp);
            if (HIWORD(wp) == CBN_SELCHANGE && LOWORD(wp) == IDC_FRAME) on_frame_combo_change();
            return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK version_dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
    if (msg != WM_COMMAND) return FALSE;
    // The only button is "OK" with the id IDCANCEL, so OK, Esc and the close box all end here.
    if (LOWORD(wp) == IDCANCEL) EndDialog(hwnd, 0);
    return TRUE;
}
