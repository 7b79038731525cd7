// The image window: the modeless dialog 102 that shows the working image.
#pragma once

#include <windows.h>

INT_PTR CALLBACK image_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
