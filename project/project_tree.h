// The project tree's item operations.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Inserts a checked, expanded item with the text; returns it.
// The item the tree took last, so that a command can show what it added.
HTREEITEM last_inserted_tree_item();
HTREEITEM insert_tree_item(HWND tree, HTREEITEM parent, HTREEITEM insert_after, const char* text);
// The state image (the check box: 1 unchecked, 2 checked) of an item, and setting it.
UINT tree_check_image(HWND tree, HTREEITEM item);
void set_tree_check_image(HWND tree, HTREEITEM item, UINT image);
void get_tree_item_text(HWND tree, HTREEITEM item, char* buffer, int size);
void set_tree_item_text(HWND tree, HTREEITEM item, const char* text);

// Writes frame (p, f)'s record and pattern p's base frame size into the edit panel's fields.
void show_frame(int p, int f);

// TVN_SELCHANGED: makes the selected pattern (and frame) current in the edit panel.
void on_tree_selection_changed();
// A double click or Enter on a pattern or frame in the tree: the pattern's window opens
// again if it was closed, and comes forward if it is open.
void open_selected_pattern_window();
// TVN_BEGINDRAG: starts moving the dragged pattern or frame item.
void on_tree_begin_drag(const NMTREEVIEWA* nm);
// Outlines the row of item as the drop target, erasing the previous outline.
void mark_drop_target(HTREEITEM item);

// Between these two calls (they nest) selection changes leave the edit panel
// alone: an operation that takes rows out of step settles the selection itself
// afterwards.
void hold_tree_selection();
void release_tree_selection();
bool tree_selection_held();
