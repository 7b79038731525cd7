// The edit panel (dialog 119) docked in the main window, and the version dialog (124).
#pragma once

#include <windows.h>

INT_PTR CALLBACK edit_panel_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK version_dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
