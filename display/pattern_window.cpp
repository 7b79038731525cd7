// The pattern window procedure. A window finds its pattern by looking its own
// handle up in the window table; one that is not a pattern's only gets default
// processing.
#include "display/pattern_window.h"

#include "project/tables.h"

LRESULT CALLBACK pattern_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefMDIChildProcA(hwnd, msg, wp, lp);
}
