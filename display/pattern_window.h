// Pattern windows: one MDI child of class "MDI_CHILD" per pattern, showing the
// pattern's base frame magnified, with scroll bars and the correction-offset drag.
#pragma once

#include <windows.h>

LRESULT CALLBACK pattern_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Creates pattern p's window. The pattern combo must have p selected: the window
// takes its index from that selection while it is being created.
HWND create_pattern_window(int p);

// Activates pattern p's window, or creates it when the user closed it (p must be
// the pattern combo's selection, as for create_pattern_window).
void open_pattern_window(int p);

// Shows, sizes or hides the window's scroll bars after the base size, the zoom or
// the client size changed. Does nothing for a null window.
void update_scroll_bars(HWND hwnd, int p);
