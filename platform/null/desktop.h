// The null backend's stand-in for a desktop, for tests of the window manager: what the
// window manager asked of it, and reports it sends back as a desktop would.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "win/window.h"

namespace cw::null {

// Every activation the window manager requested, oldest first.
std::vector<HWND>& activation_requests();
// The window the window manager last told the backend to give the keyboard focus.
HWND focused_window();
// When on (the default), the desktop grants each request: it reports the window active the
// next time events are processed, as a window manager does after raising it.
void set_desktop_follows(bool on);
// Queues a report of the desktop's own (nullptr: another program became active), delivered
// the next time events are processed.
void report_activation(HWND hwnd);
// How often a window's pixels were put on screen (only changed pixels are).
uint64_t presented_frames(HWND hwnd);

// The fixed metrics of this backend, so that layouts are the same on every machine: a
// dialog font of point size p has a cell of (p * 4 / 3) pixels: base units half that wide
// and one more high; a menu bar is 19 pixels high, a status bar 20; tree rows are indented
// 19 pixels per level with a 13-pixel check box; text is 6 pixels per CP932 byte.
constexpr int kMenuBarHeight = 19;
constexpr int kStatusBarHeight = 20;
constexpr int kTreeIndent = 19;
constexpr int kTreeCheckBox = 13;
constexpr int kCharWidth = 6;
constexpr int kListItemHeight = 16;
constexpr int kListColumnWidth = 120;

}  // namespace cw::null
