// Pattern windows: one MDI child of class "MDI_CHILD" per pattern.
#pragma once

#include <windows.h>

LRESULT CALLBACK pattern_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
