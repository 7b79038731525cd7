// The edit panel (IDD_EDIT_PANEL) docked in the main window, and the version dialog
// (IDD_VERSION).
#pragma once

#include <windows.h>

INT_PTR CALLBACK edit_panel_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Enables the panel while a project is open and disables it otherwise, each of its controls
// with it: a control looks and answers as the panel does, on every system.
void set_panel_open(bool open);
// A control of the panel (by id) is to be enabled or not while a project is open; while none
// is, it stays disabled and takes this state when one opens.
void enable_panel_control(int id, bool enable);
// True while the user is typing a value into a field of the panel, until Enter takes it (or
// the focus leaves the field): the value is one undo step when the typing ends.
bool panel_typing_open();
INT_PTR CALLBACK version_dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// The background colour the user chose (black until then), as the swatch shows it.
COLORREF background_colour();
