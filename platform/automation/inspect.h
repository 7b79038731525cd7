// What a test can read back and do to windows, as a user would see and do it.
// The readings come from the widgets on screen, not from the program's tables.
#pragma once

#include <windows.h>

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

// Input as the user gives it.
void user_mouse(HWND hwnd, UINT msg, WPARAM keys, int x, int y);  // client coordinates
void user_resize(HWND hwnd, int client_width, int client_height);
void user_set_text(HWND control, const std::string& utf8);
void user_click(HWND control);
void user_select(HWND combo, int index);
void user_drop(HWND hwnd, const std::vector<std::string>& paths);

}  // namespace cw::automation
