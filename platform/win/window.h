// The window manager's own view of a window. Everything here is plain C++;
// what shows a window on screen is the backend's, reached through win/backend.h.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cw::backend {
struct View;  // defined by the backend that is linked
}

namespace cw::win {

struct Window;

// A built-in control keeps its own state behind this.
struct ControlState {
    virtual ~ControlState() = default;
};

struct WindowClass {
    std::string name;  // compared case-insensitively, as the system does
    UINT style = 0;
    WNDPROC proc = nullptr;
    int wnd_extra = 0;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    bool builtin = false;
};

struct ScrollBarState {
    bool shown = false;
    int min = 0;
    int max = 0;
    UINT page = 0;
    int pos = 0;
};

struct DialogState {
    DLGPROC proc = nullptr;
    LONG_PTR msg_result = 0;  // DWLP_MSGRESULT
    LONG_PTR user = 0;        // DWLP_USER
    bool modal = false;
    bool ended = false;
    INT_PTR result = 0;
    int resource_id = 0;
    int base_unit_x = 0;  // dialog base units of the dialog font, in pixels
    int base_unit_y = 0;
    std::string font_face;
    int font_size = 0;
};

struct Window {
    HWND handle = nullptr;
    WindowClass* cls = nullptr;
    WNDPROC proc = nullptr;
    std::string text;  // CP932
    DWORD style = 0;
    DWORD ex_style = 0;
    Window* parent = nullptr;       // for WS_CHILD windows
    Window* owner = nullptr;        // for owned top-level windows
    std::vector<Window*> children;  // in z-order, top first
    UINT_PTR id = 0;
    HMENU menu = nullptr;         // menu bar of a top-level window
    HMENU system_menu = nullptr;  // window menu of an MDI child, made when first asked for
    HINSTANCE instance = nullptr;
    RECT rect{};  // window rectangle: parent's client coordinates, or screen for top-level windows
    LONG_PTR user_data = 0;
    std::vector<LONG_PTR> extra;
    ScrollBarState hscroll, vscroll;
    std::unique_ptr<DialogState> dialog;
    std::unique_ptr<ControlState> control;
    cw::backend::View* view = nullptr;
    bool created = false;  // WM_CREATE returned
    // An overlapped window hears its first WM_SIZE and WM_MOVE when it is first shown, not
    // when it is created, as on the system.
    bool size_pending = false;
    bool destroying = false;
    bool maximized = false;
    bool minimized = false;
    RECT restore_rect{};  // rectangle before maximise or minimise
    HFONT font = nullptr;
    std::string font_face;  // the dialog font the window's text is shown in
    int font_size = 0;
    RECT update{};  // client area waiting for WM_PAINT; empty when none
    bool erase_pending = false;
};

// What a cursor or icon handle stands for: a resource id of the program, or a system id
// (IDC_ARROW ...); nullptr for anything that is not such a handle.
struct CursorInfo {
    int id = 0;
    bool system = true;
    bool icon = false;
};
const CursorInfo* cursor_info(HCURSOR cursor);

// Handle table: every live window, looked up by handle.
Window* window_from(HWND hwnd);
std::vector<Window*> all_windows();
bool is_top_level(const Window* w);
Window* top_level_of(Window* w);

// Non-client geometry (all in pixels).
struct Insets {
    int left = 0, top = 0, right = 0, bottom = 0;
};
Insets nonclient_insets(const Window* w);
int menu_bar_height();
int caption_height();
int frame_width(DWORD style, DWORD ex_style);
// The frame the desktop's window manager draws around top-level windows
// (zero until a window has been shown and the manager has told us).
Insets system_frame(DWORD style);
void set_system_frame(DWORD style, Insets frame);
RECT client_rect_of(const Window* w);            // (0, 0, w, h)
POINT client_origin_in_window(const Window* w);  // client's top-left inside the window rectangle
POINT client_origin_on_screen(const Window* w);

// The frame of a child window with a caption of its own (an MDI child), in window
// coordinates: the caption bar, its buttons (HTCLOSE, HTMAXBUTTON, HTMINBUTTON) and what
// a point of the window is (an HT* code).
RECT caption_rect(const Window* w);
RECT caption_button_rect(const Window* w, int hit);
int nonclient_hit_test(const Window* w, POINT in_window);

// Moves and sizes the window as SetWindowPos does, sending WM_WINDOWPOSCHANGING,
// WM_WINDOWPOSCHANGED, WM_MOVE and WM_SIZE; wm_size_type is what WM_SIZE reports.
void set_window_rect(Window* w, RECT rect, UINT swp_flags);
void send_size(Window* w);
void send_size_and_position(Window* w);  // WM_SIZE, then WM_MOVE
// Changes of the client area that come from the window itself (scroll bars shown or hidden).
void nonclient_changed(Window* w);

// Activation
Window* active_window();
// The program activates w (WA_ACTIVE or WA_CLICKACTIVE; nullptr deactivates all) and asks the
// desktop, once, to follow. What the desktop reports comes in through input_activated.
void activate(Window* w, int how);
// w, the active window, is being hidden or destroyed: activation goes to its owner when that
// can take it, otherwise to the window of the program that was active most recently.
void activate_other(Window* w);
// The desktop reports w (or none of ours) active: taken as a fact, never asked back for;
// dropped when it predates an activation the program asked for, or names a window that is
// hidden or gone by now.
void desktop_activated(Window* w);

// Sending
LRESULT send(Window* w, UINT msg, WPARAM wp, LPARAM lp);
void notify_parent(Window* w, UINT code);      // WM_NOTIFY with a plain NMHDR
LRESULT notify_parent(Window* w, NMHDR* hdr);  // WM_NOTIFY with a larger record
void command_parent(Window* w, WORD code);     // WM_COMMAND (id, code), lParam = the control

// Built-in classes register themselves through this (called once at start).
void register_builtin_class(const char* name, WNDPROC proc, UINT style = 0);
void ensure_builtin_classes();

// The minimum and maximum tracking sizes of a top-level window (WM_GETMINMAXINFO).
MINMAXINFO track_sizes(Window* w);

// The dialog base units of the default dialog font, used for templates without a font.
void dialog_base_units(const std::string& face, int size, int* x, int* y);

// Destroys children first, sends WM_DESTROY and WM_NCDESTROY, frees the handle.
void destroy_window(Window* w);

// Whether the scroll bars of a window take part of its window rectangle.
int scrollbar_size();

// Quit state of the message queue.
bool quit_posted();
int quit_code();
void reset_quit();

// Posts a message without the checks of PostMessage (for example WM_DROPFILES).
void post(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
bool queue_empty();

}  // namespace cw::win
