#include "display/panel_selection.h"

#include <commctrl.h>

#include <initializer_list>

#include "project/app_state.h"
#include "display/pattern_window.h"
#include "project/project_tree.h"
#include "project/tables.h"

namespace {

LRESULT panel_send(int id, UINT msg, WPARAM wp, LPARAM lp) {
    return SendDlgItemMessageA(g_app.edit_panel, id, msg, wp, lp);
}

// The fields of a pattern without frames: no frame values, only its base frame size.
void show_empty_frame_fields(int p) {
    for (int id :
         {IDC_TIMING, IDC_CORRECTION_X, IDC_CORRECTION_Y, IDC_IMAGE_X, IDC_IMAGE_Y, IDC_IMAGE_W, IDC_IMAGE_H})
        SetDlgItemTextA(g_app.edit_panel, id, "");
    SetDlgItemInt(g_app.edit_panel, IDC_BASE_W, g_tables.settings[p].base_w, FALSE);
    SetDlgItemInt(g_app.edit_panel, IDC_BASE_H, g_tables.settings[p].base_h, FALSE);
}

void select_tree_item(HTREEITEM item) {
    SendMessageA(g_app.project_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

// The current pattern when it is one in use, else -1.
int pattern_in_use() {
    const int p = current_pattern();
    if (p < 0 || p >= kMaxPatterns || static_cast<uint32_t>(p) >= g_tables.data.header.pattern_count)
        return -1;
    return p;
}

}  // namespace

int current_pattern() {
    return static_cast<int>(panel_send(IDC_PATTERN, CB_GETCURSEL, 0, 0));
}

int current_frame() {
    return static_cast<int>(panel_send(IDC_FRAME, CB_GETCURSEL, 0, 0));
}

void on_pattern_combo_change(LPARAM control) {
    const int p = pattern_in_use();
    if (p < 0) return;
    if (control) select_tree_item(g_tables.pattern_item[p]);
    open_pattern_window(p);
    for (int n = static_cast<int>(panel_send(IDC_FRAME, CB_GETCOUNT, 0, 0)); n > 0; --n)
        panel_send(IDC_FRAME, CB_DELETESTRING, 0, 0);
    const uint32_t frames = g_tables.data.entries[p].frame_count;
    for (uint32_t j = 0; j < frames && j < static_cast<uint32_t>(kMaxFrames); ++j) {
        panel_send(IDC_FRAME, CB_INSERTSTRING, j,
                   reinterpret_cast<LPARAM>(g_tables.names.frame_labels[p][j]));
        panel_send(IDC_FRAME, CB_SETCURSEL, j, 0);
    }
    panel_send(IDC_FRAME, CB_SETCURSEL, 0, 0);
    show_first_frame(p);
}

void show_first_frame(int p) {
    if (p < 0 || p >= kMaxPatterns) return;
    if (g_tables.data.entries[p].frame_count > 0)
        show_frame(p, 0);
    else
        show_empty_frame_fields(p);
}

void on_frame_combo_change() {
    const int p = pattern_in_use();
    const int f = current_frame();
    if (p < 0 || f < 0 || f >= kMaxFrames || static_cast<uint32_t>(f) >= g_tables.data.entries[p].frame_count)
        return;
    select_tree_item(g_tables.frame_items[p][f]);
    show_frame(p, f);
}
