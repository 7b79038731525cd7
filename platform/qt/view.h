// What the Qt backend offers beyond win/backend.h, for the automation seam and tests that
// run on it: reading back what the widgets show and giving input the way a user does.
// No Qt types appear here.
#pragma once

#include <string>
#include <vector>

#include "win/backend.h"
#include "win/window.h"

namespace cw::qt {

// The window whose widget grabs the mouse (nullptr when none), and whether a window's input
// widget shows the cursor as its own setting.
HWND mouse_grabber();
bool shows_cursor(cw::win::Window* w, HCURSOR cursor);
// What the list widget shows: its item texts (UTF-8) and selected row (-1 for none).
std::vector<std::string> listview_shown_items(cw::win::Window* w, int* selected);
// The colour (COLORREF) a window's client area shows at a point, its child widgets and
// whatever was drawn over them included, as grabbed from the screen.
COLORREF shown_pixel(cw::win::Window* w, int x, int y);
// Input as a user gives it to the widgets: a key typed into the focused widget of a window
// (a Qt::Key value), and a click on an up-down's arrow.
void user_key(cw::win::Window* w, int qt_key);
void updown_user_click(cw::win::Window* w, bool up);
// The user drags the thumb of a window's scroll bar to pos (held down, not yet released).
void user_drag_thumb(cw::win::Window* w, bool vertical, int pos);

}  // namespace cw::qt
