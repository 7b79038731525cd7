// The project tree's item operations.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Inserts a checked, expanded item with the text; returns it.
HTREEITEM insert_tree_item(HWND tree, HTREEITEM parent, HTREEITEM insert_after, const char* text);
void get_tree_item_text(HWND tree, HTREEITEM item, char* buffer, int size);
void set_tree_item_text(HWND tree, HTREEITEM item, const char* text);

// Writes frame (p, f)'s record and pattern p's base frame size into the edit panel's fields.
void show_frame(int p, int f);
