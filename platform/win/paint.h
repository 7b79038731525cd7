// Update regions: what the window manager and the desktop ask a window to draw again.
#pragma once

#include <windows.h>

namespace cw::win {

struct Window;

// Adds part of w's client area (all of it for nullptr) to its update region; erase asks for
// WM_ERASEBKGND before the next WM_PAINT.
void invalidate_window(Window* w, const RECT* part, bool erase);
// w and every window inside it, whole: what the desktop exposed or showed anew.
void invalidate_tree(Window* w, bool erase);
// w's client area was old_client before a move or resize: what is new must be drawn.
void size_changed(Window* w, const RECT& old_client);
// The first window (in creation order) whose update region waits to be painted, within
// filter and its children when filter is given; nullptr when none does.
HWND window_to_paint(HWND filter);
bool paint_pending();

}  // namespace cw::win

// DefWindowProc's WM_ERASEBKGND: the class brush (a dialog's button face) over the client area.
LRESULT default_erase_background(HWND hwnd, HDC dc);
