// The main window: an MDI frame with the status bar, the edit panel, the project
// tree and the MDI client; the menu commands.
#pragma once

#include <windows.h>

LRESULT CALLBACK main_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
