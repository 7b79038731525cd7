// What a test can read back and do to windows, as a user would see and do it.
// The readings come from the widgets on screen, not from the program's tables.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace cw::automation {

struct WindowReading {
    bool exists = false;
    bool visible = false;
    bool enabled = false;
    RECT window{};      // screen coordinates
    RECT client{};      // screen coordinates
    std::string title;  // UTF-8
};
WindowReading read_window(HWND hwnd);

// The menu bar of a top-level window as drawn: items, states and their popups.
std::string menu_bar_json(HWND top);
// A menu as the model holds it (for popup menus that are no longer open).
std::string menu_json(HMENU menu);
std::string tree_json(HWND tree);
std::string combo_json(HWND combo);
std::string controls_json(HWND dialog);
std::string scrollbars_json(HWND hwnd);
bool snapshot(HWND hwnd, const std::string& png_path);

// Input as the user gives it: Qt events delivered to the windows on screen the way the desktop
// delivers a user's mouse and keys, which the backend translates into messages exactly as it
// does for a user. Each returns an empty string when done, otherwise why a user could not do
// it (a hidden or disabled window, a read-only edit, a greyed or absent menu item ...).
//
// A window a user can reach: visible and enabled, with every window around it.
bool user_can_reach(HWND hwnd);
// Chooses an item of a top-level window's menu bar as shown, opening each popup on the way:
// by the texts along the path (UTF-8, as shown, "&" included), or by command id when
// texts is empty.
std::string user_menu(HWND top, const std::vector<std::string>& texts, UINT id);
// The mouse in a window's client area (client coordinates): WM_LBUTTONDOWN, WM_LBUTTONUP,
// WM_LBUTTONDBLCLK (a double click), WM_RBUTTONDOWN, WM_RBUTTONUP or WM_MOUSEMOVE; MK_SHIFT
// and MK_CONTROL in keys are the modifier keys held.
std::string user_mouse(HWND hwnd, UINT msg, WPARAM keys, int x, int y);
// The mouse on the frame of a window that has one of its own (an MDI child), in window
// coordinates: the caption, its buttons and the edges.
std::string user_frame_mouse(HWND hwnd, UINT msg, int x, int y);
// Keys pressed and released on the window the window manager has given the keyboard focus
// (GetFocus), at its widget that has Qt's focus; on a popup or one of Qt's own dialogs while
// one is up: "ctrl+z", "tab", "delete", "alt+f", "F2", "shift+end" ... (names of keys joined by
// "+", modifiers first, any case).
std::string user_keys(const std::string& keys);
// Characters typed on the same window, one key press each.
std::string user_type(const std::string& utf8);
// A click on a button, check box or radio button.
std::string user_click(HWND control);
// An edit's text replaced by typing: a click into it, Ctrl+A, then the characters (an empty
// text: Delete).
std::string user_set_text(HWND control, const std::string& utf8);
// A combo box's entry chosen: a click on the box opens its list, a click on the entry.
std::string user_select(HWND combo, int index);
// A scroll bar used with the mouse: a click on an arrow (line) or on the track beside the
// thumb (page), or the thumb dragged to a position and let go.
enum class Scroll { LineUp, LineDown, PageUp, PageDown, Thumb };
std::string user_scroll(HWND hwnd, bool vertical, Scroll how, int position);
// A window's frame dragged until its client area has this size: an MDI child's bottom-right
// corner with the mouse; a top-level window's by the desktop, which keeps to the minimum
// size the window gave it. Either way the window manager's limits hold, not the caller's.
std::string user_resize(HWND hwnd, int client_width, int client_height);
// A caption button of an MDI child (HTCLOSE, HTMAXBUTTON for maximise or restore, HTMINBUTTON)
// clicked where it stands: on its caption, or at the right of the frame's menu bar while it
// is maximised.
std::string user_caption_button(HWND hwnd, int hit);
// The desktop's close box of a top-level window.
std::string user_close(HWND top);
// Files dragged from a file manager and dropped on a top-level window.
std::string user_drop(HWND top, const std::vector<std::string>& paths);
// A click on an up-down's arrow.
std::string user_updown(HWND updown, bool up);
// A trackbar: a key pressed on it (a click on its thumb gives it the focus first), its thumb
// dragged to a position and let go, or one notch of the mouse wheel over it.
std::string user_slider_key(HWND trackbar, const std::string& key);
std::string user_slider_drag(HWND trackbar, int position);
std::string user_slider_wheel(HWND trackbar, bool up);

// Qt's own dialogs (file and colour), shown for real when a test acts in them.
// Whether one of them is open, and acting in it: typing into the field a label names (the
// label's text without "&", or the start of it), and clicking the button with this text.
bool qt_dialog_open();
std::string user_dialog_field(const std::string& label_utf8, const std::string& text_utf8);
std::string user_dialog_button(const std::string& text_utf8);

// A popup menu the program shows (TrackPopupMenu), shown for real when a test acts in it.
// Whether one is open, and an item of it chosen as a user chooses it: a click on each item
// along the path, by the texts as shown (UTF-8, "&" included) or by command id when texts is
// empty. A greyed item takes no click.
bool popup_menu_open();
std::string user_popup_item(const std::vector<std::string>& texts, UINT id);

// What the desktop does: shows the top-level window that holds hwnd again, after covering
// it or restoring it, so that everything in it must be drawn again.
void desktop_exposes(HWND hwnd);
// What the desktop does when the user turns to another program: none of ours is active.
void desktop_activates_another_program();
// Runs action once, from the event loop, when the given time has passed: time that goes by
// while the program waits, as it does for a user who only watches.
void after(int milliseconds, std::function<void()> action);

}  // namespace cw::automation
