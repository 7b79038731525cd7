// Creating, deleting and renaming patterns and frames. Every operation keeps the
// tables, the project tree, the edit panel's pattern and frame combo boxes and the
// pattern window titles showing the same labels in the same order.
#include "project/editing.h"

#include <cstdio>
#include <cstring>

#include "project/app_state.h"
#include "display/panel_selection.h"
#include "display/pattern_window.h"
#include "project/project_tree.h"
#include "project/tables.h"

namespace {

HWND pattern_combo() {
    return GetDlgItem(g_app.edit_panel, IDC_PATTERN);
}
HWND frame_combo() {
    return GetDlgItem(g_app.edit_panel, IDC_FRAME);
}

int combo_count(HWND combo) {
    return static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
}

void replace_combo_entry(HWND combo, int index, const char* text) {
    SendMessageA(combo, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageA(combo, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void select_tree_item(HTREEITEM item) {
    SendMessageA(g_app.project_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

HTREEITEM selected_tree_item() {
    return reinterpret_cast<HTREEITEM>(SendMessageA(g_app.project_tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

int pattern_count() {
    return static_cast<int>(g_tables.data.header.pattern_count);
}

void delete_frame(HWND owner, HTREEITEM item, int p, int f) {
    if (combo_count(frame_combo()) == 1) {
        MessageBoxA(owner, "これ以上ﾌﾚｰﾑを削除できません.", "ﾌﾚｰﾑの削除", MB_ICONINFORMATION);
        return;
    }
    char text[256];
    get_tree_item_text(g_app.project_tree, item, text, sizeof text);
    char question[400];
    std::snprintf(question, sizeof question, "<%s>\nこのフレームを削除してもいいですか？\n", text);
    if (MessageBoxA(owner, question, "ﾌﾚｰﾑの削除", MB_OKCANCEL) != IDOK) return;
    SendMessageA(g_app.project_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
    remove_frame_entry(g_tables, p, f);
    SendMessageA(frame_combo(), CB_DELETESTRING, static_cast<WPARAM>(f), 0);
    g_tables.data.entries[p].frame_count -= 1;
}

void delete_pattern(HWND owner, HTREEITEM item, int p) {
    if (combo_count(pattern_combo()) == 1) {
        MessageBoxA(owner, "これ以上ﾊﾟﾀｰﾝを削除できません.", "ﾊﾟﾀｰﾝの削除", MB_ICONINFORMATION);
        return;
    }
    char text[256];
    get_tree_item_text(g_app.project_tree, item, text, sizeof text);
    char question[400];
    std::snprintf(
        question, sizeof question,
        "<%s>\nこのパターンを削除すると\n以降のフレームも削除することになります.\n削除してもいいですか？\n",
        text);
    if (MessageBoxA(owner, question, "ﾊﾟﾀｰﾝの削除", MB_OKCANCEL) == IDOK) remove_pattern(p);
}

}  // namespace

bool pattern_limit_reached() {
    return pattern_count() >= kMaxPatterns;
}

bool refuse_pattern_over_limit(HWND owner) {
    if (!pattern_limit_reached()) return false;
    MessageBoxA(owner, "ﾊﾟﾀｰﾝは12個までしか作れません.", "ﾊﾟﾀｰﾝ追加", MB_ICONINFORMATION);
    return true;
}

int create_pattern(const char* label) {
    // The tables hold 12 patterns; a 13th would write past every per-pattern table.
    if (refuse_pattern_over_limit(g_app.main_window)) return pattern_count();
    const int p = combo_count(pattern_combo());
    g_tables.pattern_item[p] = insert_tree_item(g_app.project_tree, g_app.project_item, TVI_LAST, label);
    give_pattern_id(g_tables, p);
    set_pattern_label(label, p);
    HWND frames = frame_combo();
    for (int n = combo_count(frames); n > 0; --n) SendMessageA(frames, CB_DELETESTRING, 0, 0);
    g_tables.settings[p].base_w = 1;
    g_tables.settings[p].base_h = 1;
    // The window takes its index from the pattern combo, where p is now selected.
    create_pattern_window(p);
    g_tables.data.header.pattern_count += 1;
    g_tables.data.entries[p].frame_count = 0;
    show_first_frame(p);
    return pattern_count();
}

HTREEITEM add_frame(const char* label) {
    const int p = current_pattern();
    if (p < 0 || p >= kMaxPatterns) {
        if (MessageBoxA(g_app.main_window,
                        "パターンが選択されてないか,\nフレーム挿入するパターンがありません."
                        "\n新たにパターンを追加しますか？",
                        "ﾊﾟﾀｰﾝ追加", MB_YESNO) == IDYES)
            run_add_pattern_dialog(g_app.main_window);
        return nullptr;
    }
    const int f = combo_count(frame_combo());
    // A row of the frame table holds 20 frames; a 21st would overwrite the next pattern.
    if (f >= kMaxFrames) {
        MessageBoxA(g_app.main_window, "ﾌﾚｰﾑは1ﾊﾟﾀｰﾝにつき20個までしか作れません.", "ﾌﾚｰﾑ追加",
                    MB_ICONINFORMATION);
        return nullptr;
    }
    g_tables.frame_items[p][f] =
        insert_tree_item(g_app.project_tree, g_tables.pattern_item[p], TVI_LAST, label);
    set_frame_label(label, p, f);
    g_tables.data.entries[p].frame_count += 1;
    show_frame(p, f);
    update_scroll_bars(g_tables.pattern_window[p], p);
    return g_tables.frame_items[p][f];
}

void delete_selected(HWND owner) {
    const HTREEITEM s = selected_tree_item();
    if (!s) return;
    for (int i = 0; i < pattern_count() && i < kMaxPatterns; ++i) {
        if (s == g_tables.pattern_item[i]) {
            delete_pattern(owner, s, i);
            return;
        }
        const int frames = static_cast<int>(g_tables.data.entries[i].frame_count);
        for (int j = 0; j < frames && j < kMaxFrames; ++j) {
            if (s == g_tables.frame_items[i][j]) {
                delete_frame(owner, s, i, j);
                return;
            }
        }
    }
}

void remove_pattern(int p) {
    if (p < 0 || p >= kMaxPatterns) return;
    // While the rows are out of step (tree item gone, tables not yet shifted),
    // the selection changes that the tree and the MDI client make on their own
    // would pick patterns by indices that no longer agree; the selection is
    // settled once, below, when everything is in step again.
    hold_tree_selection();
    SendMessageA(g_app.project_tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(g_tables.pattern_item[p]));
    SendMessageA(pattern_combo(), CB_DELETESTRING, static_cast<WPARAM>(p), 0);
    HWND frames = frame_combo();
    for (uint32_t n = g_tables.data.entries[p].frame_count; n > 0; --n)
        SendMessageA(frames, CB_DELETESTRING, 0, 0);
    if (g_tables.pattern_window[p])
        SendMessageA(g_app.mdi_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(g_tables.pattern_window[p]),
                     0);
    remove_pattern_slot(g_tables, p);
    if (g_tables.data.header.pattern_count > 0) g_tables.data.header.pattern_count -= 1;
    release_tree_selection();
    // The pattern that moved into p shows its first frame; with none, the item the
    // tree chose when the deleted one went becomes current.
    const HTREEITEM first = g_tables.frame_items[p][0];
    if (first && first != selected_tree_item())
        select_tree_item(first);
    else
        on_tree_selection_changed();
}

void set_pattern_label(const char* label, int p) {
    if (p < 0 || p >= kMaxPatterns) return;
    store_pattern_label(g_tables, p, label);
    if (g_tables.pattern_window[p])
        SetWindowTextA(g_tables.pattern_window[p], g_tables.names.pattern_labels[p]);
    replace_combo_entry(pattern_combo(), p, g_tables.names.pattern_labels[p]);
}

void set_frame_label(const char* label, int p, int f) {
    if (p < 0 || p >= kMaxPatterns || f < 0 || f >= kMaxFrames) return;
    store_frame_label(g_tables, p, f, label);
    replace_combo_entry(frame_combo(), f, g_tables.names.frame_labels[p][f]);
}

void update_add_pattern_item(int open_windows) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    info.fState = open_windows >= kMaxPatterns ? MFS_GRAYED : 0;
    SetMenuItemInfoA(g_app.pattern_menu, ID_EDIT_ADD_PATTERN, FALSE, &info);
}

void run_add_pattern_dialog(HWND owner) {
    DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_ADD_PATTERN), owner, add_pattern_dialog_proc, 0);
}

void run_label_dialog(HWND owner) {
    DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_LABEL_EDIT), owner, label_dialog_proc, 0);
}
