#include "display/views.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "display/ddraw_sets.h"
#include "display/pattern_window.h"
#include "project/app_state.h"
#include "project/project_tree.h"
#include "project/tables.h"

namespace {

constexpr UINT kCheckedImage = 2;

int pattern_count(const ProjectState& s) {
    return static_cast<int>(std::min<uint32_t>(s.data.header.pattern_count, kMaxPatterns));
}

int frame_count(const ProjectState& s, int p) {
    return static_cast<int>(std::min<uint32_t>(s.data.entries[p].frame_count, kMaxFrames));
}

UINT check_of(HTREEITEM item) {
    return item ? tree_check_image(g_app.project_tree, item) : kCheckedImage;
}

// The check marks the tree shows, kept by pattern (its id) and frame index: which frames the
// still display draws is the tree's, and it survives the tree being filled again.
struct Checks {
    uint32_t id;
    UINT pattern;
    UINT frames[kMaxFrames];
};

int slot_with_id(const uint32_t (&ids)[kMaxPatterns], int count, uint32_t id) {
    if (!id) return -1;
    for (int p = 0; p < count; ++p)
        if (ids[p] == id) return p;
    return -1;
}

// Where target differs from before: the first pattern (by the target's order) that came back,
// moved or changed, and within it the first changed frame (-1: the pattern itself).
struct Place {
    int p;
    int f;
};

Place changed_place(const ProjectState& before, const ProjectState& target) {
    const int n = pattern_count(target), old_n = pattern_count(before);
    for (int q = 0; q < n; ++q) {
        const int p = slot_with_id(before.pattern_id, old_n, target.pattern_id[q]);
        if (p != q) return Place{q, -1};
        const int frames = frame_count(target, q);
        for (int f = 0; f < frames; ++f)
            if (f >= frame_count(before, p) ||
                std::memcmp(&before.frames[p][f], &target.frames[q][f], sizeof(FrameRecord)) != 0 ||
                std::memcmp(before.names.frame_labels[p][f], target.names.frame_labels[q][f], kLabelSize) !=
                    0)
                return Place{q, f};
        if (frames != frame_count(before, p) || before.base_w[p] != target.base_w[q] ||
            before.base_h[p] != target.base_h[q] ||
            std::memcmp(before.names.pattern_labels[p], target.names.pattern_labels[q], kLabelSize) != 0)
            return Place{q, -1};
    }
    // Nothing of the target differs but a pattern that went: the one now in its place.
    for (int p = 0; p < old_n; ++p)
        if (slot_with_id(target.pattern_id, n, before.pattern_id[p]) < 0)
            return Place{std::min(p, n - 1), -1};
    return Place{0, 0};
}

void close_windows_of_patterns_gone(const ProjectState& target) {
    const int n = static_cast<int>(std::min<uint32_t>(g_tables.data.header.pattern_count, kMaxPatterns));
    for (int p = 0; p < n; ++p) {
        if (!g_tables.pattern_window[p]) continue;
        if (slot_with_id(target.pattern_id, pattern_count(target), g_tables.pattern_id[p]) >= 0) continue;
        SendMessageA(g_app.mdi_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(g_tables.pattern_window[p]),
                     0);
    }
}

void empty_tree_and_combos() {
    for (int p = 0; p < kMaxPatterns; ++p) {
        if (g_tables.pattern_item[p])
            SendMessageA(g_app.project_tree, TVM_DELETEITEM, 0,
                         reinterpret_cast<LPARAM>(g_tables.pattern_item[p]));
        g_tables.pattern_item[p] = nullptr;
        std::memset(g_tables.frame_items[p], 0, sizeof g_tables.frame_items[p]);
    }
    SendDlgItemMessageA(g_app.edit_panel, IDC_PATTERN, CB_RESETCONTENT, 0, 0);
    SendDlgItemMessageA(g_app.edit_panel, IDC_FRAME, CB_RESETCONTENT, 0, 0);
}

// The slots take the target's patterns; a pattern that is still there keeps its window, its
// DirectDraw set and its view settings, whatever index it had.
void take_state(const ProjectState& target) {
    PatternSlot kept[kMaxPatterns];
    uint32_t kept_ids[kMaxPatterns];
    const int old_n = static_cast<int>(std::min<uint32_t>(g_tables.data.header.pattern_count, kMaxPatterns));
    for (int p = 0; p < kMaxPatterns; ++p) {
        kept[p] = take_pattern_slot(g_tables, p);
        kept_ids[p] = p < old_n && kept[p].window ? kept[p].id : 0;
    }
    for (int q = 0; q < kMaxPatterns; ++q) {
        const int p =
            q < pattern_count(target) ? slot_with_id(kept_ids, kMaxPatterns, target.pattern_id[q]) : -1;
        if (p >= 0) {
            put_pattern_slot(g_tables, q, kept[p]);
        } else {
            clear_pattern_slot(g_tables, q);
        }
    }
    restore_project(g_tables, target);
}

void fill_tree(const ProjectState& target, const Checks* checks, int check_count) {
    set_tree_item_text(g_app.project_tree, g_app.project_item, g_tables.names.project_name);
    for (int q = 0; q < pattern_count(target); ++q) {
        g_tables.pattern_item[q] = insert_tree_item(g_app.project_tree, g_app.project_item, TVI_LAST,
                                                    g_tables.names.pattern_labels[q]);
        for (int f = 0; f < frame_count(target, q); ++f)
            g_tables.frame_items[q][f] = insert_tree_item(g_app.project_tree, g_tables.pattern_item[q],
                                                          TVI_LAST, g_tables.names.frame_labels[q][f]);
        for (int c = 0; c < check_count; ++c) {
            if (checks[c].id != g_tables.pattern_id[q]) continue;
            set_tree_check_image(g_app.project_tree, g_tables.pattern_item[q], checks[c].pattern);
            for (int f = 0; f < frame_count(target, q); ++f)
                set_tree_check_image(g_app.project_tree, g_tables.frame_items[q][f], checks[c].frames[f]);
        }
    }
}

void fill_pattern_combo(const ProjectState& target) {
    for (int q = 0; q < pattern_count(target); ++q)
        SendDlgItemMessageA(g_app.edit_panel, IDC_PATTERN, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(g_tables.names.pattern_labels[q]));
}

// Each pattern's window shows it again: its title and base frame; a pattern without one gets one.
void show_pattern_windows(const ProjectState& target) {
    for (int q = 0; q < pattern_count(target); ++q) {
        HWND w = g_tables.pattern_window[q];
        if (!w) {
            // A new window takes its pattern from the pattern combo's selection.
            SendDlgItemMessageA(g_app.edit_panel, IDC_PATTERN, CB_SETCURSEL, static_cast<WPARAM>(q), 0);
            create_pattern_window(q);
            w = g_tables.pattern_window[q];
        } else {
            SetWindowTextA(w, g_tables.names.pattern_labels[q]);
        }
        recreate_base_surface(q);
        set_color_key(g_tables.pattern_base_surface[q], 0);
        update_scroll_bars(w, q);
    }
}

void select_place(Place at) {
    HTREEITEM item = g_app.project_item;
    if (at.p >= 0 && at.p < kMaxPatterns && g_tables.pattern_item[at.p]) {
        item = g_tables.pattern_item[at.p];
        if (at.f >= 0 && at.f < kMaxFrames && g_tables.frame_items[at.p][at.f])
            item = g_tables.frame_items[at.p][at.f];
        else if (g_tables.frame_items[at.p][0])
            item = g_tables.frame_items[at.p][0];
    }
    SendMessageA(g_app.project_tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SendMessageA(g_app.project_tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    on_tree_selection_changed();
}

}  // namespace

void show_project_state(const ProjectState& target, const ProjectState& before) {
    hold_tree_selection();
    Checks checks[kMaxPatterns];
    const int old_n = static_cast<int>(std::min<uint32_t>(g_tables.data.header.pattern_count, kMaxPatterns));
    for (int p = 0; p < old_n; ++p) {
        checks[p].id = g_tables.pattern_id[p];
        checks[p].pattern = check_of(g_tables.pattern_item[p]);
        for (int f = 0; f < kMaxFrames; ++f) checks[p].frames[f] = check_of(g_tables.frame_items[p][f]);
    }
    close_windows_of_patterns_gone(target);
    empty_tree_and_combos();
    take_state(target);
    fill_tree(target, checks, old_n);
    fill_pattern_combo(target);
    show_pattern_windows(target);
    SendDlgItemMessageA(g_app.edit_panel, IDC_SPEED, TBM_SETPOS, TRUE,
                        static_cast<LPARAM>(g_tables.data.header.speed));
    release_tree_selection();
    select_place(changed_place(before, target));
}
