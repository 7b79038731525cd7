// Creating, deleting and renaming patterns and frames, keeping the tables, the
// project tree, the edit panel's combo boxes and the pattern windows in step.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Appends a pattern with the 30-byte label field; it becomes current and gets its
// window. Returns the new pattern count.
int create_pattern(const char* label);
// Appends a frame to the current pattern; returns its tree item, or 0 when there
// is no current pattern (after offering the add-pattern dialog).
HTREEITEM add_frame(const char* label);
// Deletes the pattern or frame selected in the tree, after asking; boxes owned by owner.
void delete_selected(HWND owner);
// Removes pattern p without asking.
void remove_pattern(int p);
void set_pattern_label(const char* label, int p);
void set_frame_label(const char* label, int p, int f);
// Greys "add pattern" (ID_EDIT_ADD_PATTERN) in the pattern-window menu from 12 open pattern windows on.
void update_add_pattern_item(int open_windows);

INT_PTR CALLBACK add_pattern_dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK label_dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Whether the tables already hold 12 patterns; create_pattern refuses a 13th.
bool pattern_limit_reached();
// Shows the refusal (owned by owner) and returns true when 12 patterns exist.
bool refuse_pattern_over_limit(HWND owner);
// IDD_ADD_PATTERN (add pattern) and IDD_LABEL_EDIT (label edit), modal.
void run_add_pattern_dialog(HWND owner);
void run_label_dialog(HWND owner);
// Centres a dialog on the mouse cursor, keeping its size.
void center_on_cursor(HWND dialog);
