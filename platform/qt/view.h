// What the window manager asks of the Qt backend. No Qt types appear here so
// that platform/win stays free of Qt; the implementation is in qt/view.cpp.
#pragma once

#include <cstdint>
#include <string>

#include "win/window.h"

namespace cw::qt {

// Starts Qt if it is not running yet (offscreen when no display is set).
void ensure_application();
bool has_display();

// Widgets of a window: created with the window, destroyed with it.
void create_view(cw::win::Window* w);
void destroy_view(cw::win::Window* w);

// The window manager changed something the widgets show.
void sync_geometry(cw::win::Window* w);  // rectangle, non-client parts
void sync_visible(cw::win::Window* w);
void sync_enabled(cw::win::Window* w);
void sync_text(cw::win::Window* w);
void sync_menu_bar(cw::win::Window* w);
void sync_scrollbars(cw::win::Window* w);
void sync_zorder(cw::win::Window* w);
void invalidate(cw::win::Window* w);
void request_activation(cw::win::Window* w);
void set_cursor(cw::win::Window* w, HCURSOR cursor);
// The mouse capture moved (either may be null): the capturing window's widget grabs
// the mouse, so that moves and the release anywhere reach it; a cursor set while it
// holds the capture shows on that widget and goes when the capture is released.
void capture_changed(cw::win::Window* old_capture, cw::win::Window* new_capture);
void set_capture_cursor(cw::win::Window* w, HCURSOR cursor);
// For read-back: the window whose widget grabs the mouse (nullptr when none), and
// whether a window's input widget shows the cursor as its own setting.
HWND mouse_grabber();
bool shows_cursor(cw::win::Window* w, HCURSOR cursor);

// Event pumping for the message loop.
// Delivers what Qt has pending; with wait, blocks until something arrives or
// timeout_ms passes (-1: no timeout). Returns true if anything was delivered.
bool process_events(bool wait, int timeout_ms);
void wake();

// A control class that shows a Qt widget of its own registers a factory for it.
using ViewFactory = void (*)(cw::win::Window* w);
void register_view_factory(const char* class_name, ViewFactory factory);

// Font metrics of a dialog font (face in CP932), for dialog units.
void font_base_units(const std::string& face_cp932, int point_size, int* base_x, int* base_y);
int menu_bar_height();
int status_bar_height();

// The pixels of a window's client area that GDI and DirectDraw draw into: 32-bit
// XRGB, top row first. The buffer follows the client size (contents kept where
// they still fit) and is shown on screen behind the window's child widgets.
struct ScreenPixels {
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes per row
    uint32_t* xrgb = nullptr;
};
ScreenPixels window_pixels(cw::win::Window* w);
// Schedules the repaint of a changed part (client coordinates) of those pixels.
void window_pixels_changed(cw::win::Window* w, RECT dirty);
// The same for pixels written with their top byte already set (DirectDraw's copy to a
// window does so as it copies): only the repaint is scheduled.
void window_pixels_opaque_changed(cw::win::Window* w, RECT dirty);
// The depth of the display in bits per pixel (CELWRIGHT_DISPLAY_BPP emulates 8, 16, 24 or 32).
int display_bits_per_pixel();

// Screen position of the pointer as the desktop reports it.
POINT cursor_position();

}  // namespace cw::qt
