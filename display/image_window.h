// The image window: the modeless dialog IDD_IMAGE_WINDOW that shows the working image
// magnified, with an optional grid, and in which the user marks the rectangle a
// frame shows. Its picture is composed on the image window's canvas by the
// drawing pass, which the playback tick runs.
#pragma once

#include <windows.h>

#include "display/image_view.h"

extern ImageViewState g_image_view;

INT_PTR CALLBACK image_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// The drawing pass: canvas filled, image and selection stretched onto it, grid
// lines, then the visible part copied into the window.
void draw_image_window();

// Shows the image window. The first time in a run it goes where the user left it in the last
// run (fitted to the screen), or without such a place beside the main window; afterwards it
// stays wherever the user moves it, hidden or shown.
void show_image_window();

// A new image of w x h: the view state starts over (1x1, no scroll, grid hidden
// at 4 x 4, no selection) and the zoom check marks show 1x1 again.
void reset_image_window_view(int w, int h);

// The grid settings dialog (IDD_GRID_SETTINGS), run modally by the image window.
INT_PTR CALLBACK grid_dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
