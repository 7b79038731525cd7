// Built-in controls: each has its window procedure in platform/win/<name>.cpp and
// its Qt widget in platform/qt/<name>.cpp. The state of a control lives here, in
// the window manager; the widget shows it and reports what the user did.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "win/window.h"

namespace cw::win {

// WM_SETTEXT of a control whose widget shows its text (a button, a static, the status bar): the
// text is kept as DefWindowProc keeps it and the widget is told.
LRESULT control_set_text(Window* w, WPARAM wp, LPARAM lp);

// ---- button ----
struct ButtonState : ControlState {
    int check = BST_UNCHECKED;
};
UINT button_type(const Window* w);
void button_user_clicked(Window* w);  // the user pressed and released the button

// ---- static ----
// (no state beyond the window text and style)

// ---- edit ----
struct EditState : ControlState {
    int limit = 0x7FFFFFFE;
    // The user's typing can be undone (EM_CANUNDO) until the text is set or the buffer emptied.
    bool can_undo = false;
    // The widget's own undo history must go with the control's (the text was set, or the
    // buffer emptied): the backend clears it when it next shows the control.
    bool history_dropped = false;
};
void edit_user_changed(Window* w, const std::string& cp932);  // the user edited the text

// ---- combo box ----
struct ComboState : ControlState {
    std::vector<std::string> items;  // CP932
    int selection = -1;
};
void combo_user_selected(Window* w, int index);

// ---- trackbar ----
struct TrackbarState : ControlState {
    int min = 0, max = 100, pos = 0;
};
void trackbar_user_action(Window* w, int code, int pos);

// ---- status bar ----
struct StatusState : ControlState {
    // The right edge of each part in client coordinates, -1 for "to the end"; no parts is one
    // part, the whole bar. Part 0's text is the window's text.
    std::vector<int> edges;
    std::vector<std::string> texts;  // parts 1.. (CP932)
};
int status_bar_height();
void status_place_at_bottom(Window* w);

// ---- tree view ----
struct TreeItem {
    HTREEITEM handle = nullptr;
    TreeItem* parent = nullptr;
    std::vector<TreeItem*> children;
    std::string text;  // CP932
    UINT state = 0;
    LPARAM param = 0;
};
struct TreeState : ControlState {
    std::map<HTREEITEM, std::unique_ptr<TreeItem>> items;
    std::vector<TreeItem*> roots;
    TreeItem* selected = nullptr;
    int item_height = 16;
    bool tracking_left = false;  // a left press on an item may become a drag
    bool drag_started = false;
    POINT press_point{0, 0};
    TreeItem* press_item = nullptr;
    uintptr_t next_handle = 0x7000;
    ~TreeState() override;
};
TreeState* tree_state(Window* w);
TreeItem* tree_item(Window* w, HTREEITEM h);

// ---- list view (list mode) ----
struct ListState : ControlState {
    std::vector<std::string> items;  // CP932
    int selected = -1;               // single selection
    int mark = -1;                   // selection mark
    HWND edit = nullptr;             // in-place label edit, while one runs
    int edit_item = -1;
    bool ending = false;  // the edit is being ended (its notification is out)
    bool tracking_left = false;
};
ListState* list_state(Window* w);

// ---- up-down ----
struct UpDownState : ControlState {
    int upper = 0, lower = 100, pos = 0;  // the control's default range runs from 100 down to 0
    HWND buddy = nullptr;
};
// One press of an arrow (up = towards the upper end) and its release.
void updown_user_press(Window* w, bool up);
void updown_user_release(Window* w);

}  // namespace cw::win
