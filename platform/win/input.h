// The narrow way up from a backend into the window manager: what the user and the desktop
// did, as facts. A backend calls nothing else that changes window state; the controls' own
// user actions (a button pressed, a text typed, a combo entry chosen) are in win/controls.h.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "win/window.h"

namespace cw::win {

// Mouse input in a window's client area (client coordinates); routed to the capture, and a
// press activates the window's top-level window first, as a click does.
void input_mouse(Window* w, UINT msg, WPARAM keys, int x, int y);
// Mouse input on the frame of a child window with a frame of its own (an MDI child), in
// window coordinates: caption buttons, moving and sizing by dragging.
void input_nonclient_mouse(Window* w, UINT msg, POINT in_window, POINT on_screen);
// The cursor the frame of such a window shows at a point (window coordinates).
HCURSOR nonclient_cursor(Window* w, POINT in_window);
struct KeyModifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};
// A key pressed or released in window w (the focused one): queued as WM_KEYDOWN/WM_KEYUP, or
// WM_SYSKEYDOWN/WM_SYSKEYUP with Alt. False when w takes no input now.
// tag (1..255, 0 for none) travels in the message's scan-code bits, for the backend to know
// the key again when the message comes back to it.
bool input_key_event(Window* w, bool press, UINT vk, KeyModifiers m, unsigned tag = 0);
// Whether key messages wait in the queue: a key typed after them must wait its turn too.
bool input_keys_queued();
// The shift keys as a key the backend keeps for itself left them.
void input_modifiers(KeyModifiers m);
// A key for a control's procedure (WM_KEYDOWN or WM_KEYUP with a VK_ code).
void input_key(Window* w, UINT msg, UINT vk);
// The keyboard focus left w's widget for something that is not a window of ours.
void input_focus_lost(Window* w);
// The user's click (or the desktop, activating a window) put the keyboard focus on w's widget:
// w becomes the focus window, with the messages SetFocus sends.
void input_focus_gained(Window* w);
// The desktop moved or sized a top-level window: its outer frame and the frame the desktop
// draws around the window's own parts.
void input_desktop_geometry(Window* top, RECT outer, Insets desktop_frame);
// The user pressed the desktop's close box of a top-level window.
void input_close(Window* top);
// The desktop made one of our top-level windows active, or none of them (nullptr).
void input_activated(Window* top);
// The desktop showed a top-level window again after something covered it, or after it was
// restored: everything in it must be drawn again, as on the system.
void input_exposed(Window* top);
// The display under the windows changed (depth, screens): primary surfaces are lost.
void input_display_changed();
// Files dropped on a window that accepts them (UTF-8 paths, client coordinates).
void input_files_dropped(Window* w, const std::vector<std::string>& paths, POINT at);
// A scroll bar of a window was used: SB_* code and, for tracking, the position.
void input_scroll(Window* w, bool vertical, int code, int pos);
// A popup of a menu bar is about to open, and an item of a menu bar was chosen.
void input_menu_opening(Window* owner, HMENU popup);
void input_menu_chosen(Window* owner, UINT id);

// Counts input as it arrives, so that a wait in the message loop knows it produced something.
unsigned input_count();
// The user's input arrived now, for GetLastInputInfo: every input_* call above but an exposure
// and a display change notes it itself; a backend notes what goes to its widgets directly (a
// click on a check box, a key typed into a field).
void note_user_input();

}  // namespace cw::win
