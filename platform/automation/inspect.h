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

// Input as the user gives it. Each refuses what a user could not do (returns false, or a
// reason): a hidden or disabled window, a read-only edit, a greyed or absent menu item.
// A window a user can reach: visible and enabled, with every window around it.
bool user_can_reach(HWND hwnd);
// Chooses an item of a top-level window's menu bar as shown, opening each popup on the way:
// by the texts along the path (UTF-8, as shown, "&" included), or by command id when
// texts is empty. Returns an empty string when chosen, otherwise why not.
std::string user_menu(HWND top, const std::vector<std::string>& texts, UINT id);
void user_mouse(HWND hwnd, UINT msg, WPARAM keys, int x, int y);  // client coordinates
void user_resize(HWND hwnd, int client_width, int client_height);
bool user_set_text(HWND control, const std::string& utf8);
bool user_click(HWND control);
bool user_select(HWND combo, int index);
void user_drop(HWND hwnd, const std::vector<std::string>& paths);

// What the desktop does: shows the top-level window that holds hwnd again, after covering
// it or restoring it, so that everything in it must be drawn again.
void desktop_exposes(HWND hwnd);
// Runs action once, from the event loop, when the given time has passed: time that goes by
// while the program waits, as it does for a user who only watches.
void after(int milliseconds, std::function<void()> action);

}  // namespace cw::automation
