// The contract between the window manager and the backend that shows its windows.
//
// The window manager (win/, gdi/, ddraw/) owns every window's state: rectangles, styles,
// texts, menus, the active window, focus and capture. It tells the backend what changed
// through the functions below and never includes a toolkit header. A backend implements
// all of them and hands them over as one table (Functions, defined by the backend as
// kLinkedTable), which the compiler refuses when an entry is missing: platform/qt shows the
// windows with Qt widgets; platform/null keeps nothing on screen, for tests and command-line
// tools. Exactly one backend is linked into a program.
//
// The window manager calls the backend only through the table installed now. Something that
// stands between the window manager and the linked backend (the test seam, platform/automation,
// which answers dialogs from a script and simulates a full disk) installs a table of its own
// that forwards to the one it replaced; the window manager's code paths stay the same.
//
// The backend reports what the desktop and the user did only through win/input.h.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "win/window.h"

namespace cw::win {
struct TreeItem;
}

namespace cw::backend {

// The pixels of a window's client area that GDI and DirectDraw draw into: 32-bit XRGB, top
// row first. The buffer follows the client size (contents kept where they still fit).
struct ScreenPixels {
    int width = 0;
    int height = 0;
    int stride = 0;  // bytes per row
    uint32_t* xrgb = nullptr;
};

// The desktop's clipboard, shared with every other program, holds blocks of bytes under
// format names. The window manager keeps the registered names, the open/owner rules and
// the global memory blocks; the backend only moves bytes to and from the desktop.
struct ClipboardBlock {
    std::string name;  // UTF-8, spelt as it was registered
    std::vector<uint8_t> bytes;
};

struct FileDialogRequest {
    bool save = false;
    cw::win::Window* owner = nullptr;
    std::string title;                // UTF-8
    std::vector<std::string> filter;  // display text and pattern pairs, UTF-8
    int filter_index = 0;             // 0-based
    std::string default_ext;          // UTF-8, without the dot
    std::string initial_dir;          // UTF-8
    std::string initial_name;         // UTF-8
    DWORD flags = 0;                  // OFN_*
    DWORD struct_size = 0;            // lStructSize, as the program filled it in
};

struct ColorDialogRequest {
    cw::win::Window* owner = nullptr;
    COLORREF initial = 0;
    // The 16 custom colours (null for none), which the user may change only without
    // CC_PREVENTFULLOPEN.
    COLORREF* custom = nullptr;
    DWORD flags = 0;  // CC_*
};

// Stands for a call no backend may leave out. The window manager calls every entry of the
// table without looking, so an entry left out or set to null would be a call through a null
// pointer, the first time some window needed it, on the user's machine. An entry therefore
// has no default and takes only a function known when the table is compiled: a backend's
// table with a hole in it does not build ("use of deleted function ...Entry()"), nor does one
// with a null in it. Filling a hole from the null backend's entry when the table is installed,
// as a system fills a driver's table with defaults, would be wrong here: the null backend
// dismisses every dialog and shows nothing, so an editor whose table lacked, say, its message
// box would answer every question as if the user had pressed Esc, and say nothing about it.
template <typename F>
class Entry;

template <typename R, typename... Args>
class Entry<R (*)(Args...)> {
  public:
    using Function = R (*)(Args...);

    Entry() = delete;
    Entry(std::nullptr_t) = delete;
    // Implicit, so that a table reads as a designated initialiser of plain functions.
    // A compiler that keeps null-pointer checks (the undefined-behaviour sanitizer makes GCC
    // do so) does not take a function's address for non-null while compiling; what it cannot
    // tell is a function, and only a null it can tell is refused.
    consteval Entry(Function f) : function_(f) {
        if (__builtin_constant_p(f == nullptr) && f == nullptr) a_backend_entry_is_null();
    }

    R operator()(Args... args) const { return function_(std::forward<Args>(args)...); }

  private:
    // Not constexpr: reached while a table is compiled, it makes the compiler refuse the table.
    static void a_backend_entry_is_null() {}

    Function function_;
};

struct Functions {
    // Starts the backend if it is not running yet; every window function may call it.
    Entry<void (*)()> ensure_started;
    // Whether windows are shown on a real display (false offscreen and on the null backend).
    Entry<bool (*)()> has_display;

    // ---- views: what shows a window ----------------------------------------------
    Entry<void (*)(cw::win::Window* w)> create_view;
    Entry<void (*)(cw::win::Window* w)> destroy_view;
    Entry<void (*)(cw::win::Window* w)> sync_geometry;  // rectangle and non-client parts
    Entry<void (*)(cw::win::Window* w)> sync_visible;
    Entry<void (*)(cw::win::Window* w)> sync_enabled;
    Entry<void (*)(cw::win::Window* w)> sync_text;  // window text and font
    Entry<void (*)(cw::win::Window* w)> sync_menu_bar;
    Entry<void (*)(cw::win::Window* w)> sync_scrollbars;
    Entry<void (*)(cw::win::Window* w)> sync_zorder;
    Entry<void (*)(cw::win::Window* w)> invalidate;
    // The window manager made w the active window: ask the desktop, once, to raise and focus it.
    Entry<void (*)(cw::win::Window* w)> request_activation;
    // The window manager gave w the keyboard focus (SetFocus; nullptr: no window of ours has it):
    // the keys the user types go to w's widget from now on. While w's top-level window is not
    // the desktop's active one, the widget takes the focus when that window is activated.
    Entry<void (*)(cw::win::Window* w)> focus_changed;

    // ---- controls ----------------------------------------------------------------
    // A built-in control's state (items, selection, check, text, range ...) changed.
    Entry<void (*)(cw::win::Window* w)> control_changed;
    // Where the tree and the list view show an item (client coordinates) and what is at a point.
    Entry<bool (*)(cw::win::Window* w, cw::win::TreeItem* item, bool text_only, RECT* out)> tree_item_rect;
    Entry<cw::win::TreeItem* (*)(cw::win::Window* w, POINT p, UINT* flags)> tree_item_at;
    // Scrolls the tree so that the item's row is in view.
    Entry<void (*)(cw::win::Window* w, cw::win::TreeItem* item)> tree_scroll_to;
    Entry<bool (*)(cw::win::Window* w, int index, RECT* out)> listview_item_rect;
    Entry<int (*)(cw::win::Window* w, POINT p)> listview_item_at;
    // The list view's in-place label edit was created: its keys and focus loss reach its procedure.
    Entry<void (*)(cw::win::Window* list, cw::win::Window* edit)> listview_edit_started;
    // The up-down control has a new buddy: the buddy's arrow keys go to the buddy's procedure.
    Entry<void (*)(cw::win::Window* w)> updown_buddy_changed;

    // ---- pointer -----------------------------------------------------------------
    // SetCursor: shows the cursor over the capturing window, or over whatever window of ours
    // is under the pointer.
    Entry<void (*)(cw::win::Window* capture, HCURSOR cursor)> show_cursor;
    // The mouse capture moved (either may be null): the capturing window keeps receiving moves
    // and the release wherever the pointer goes.
    Entry<void (*)(cw::win::Window* old_capture, cw::win::Window* new_capture)> capture_changed;
    Entry<POINT (*)()> cursor_position;  // screen coordinates, as the desktop reports them
    Entry<void (*)(POINT p)> set_cursor_position;

    // ---- pixels ------------------------------------------------------------------
    Entry<ScreenPixels (*)(cw::win::Window* w)> window_pixels;
    // A part (client coordinates) of those pixels was drawn; the backend presents it when it
    // differs from what is on screen.
    Entry<void (*)(cw::win::Window* w, RECT dirty)> window_pixels_changed;
    // The depth of the display in bits per pixel (CELWRIGHT_DISPLAY_BPP emulates 8, 16, 24 or 32).
    Entry<int (*)()> display_bits_per_pixel;
    // The primary screen in screen coordinates, and the part of it the desktop leaves to
    // windows (the screen less its panels and docks).
    Entry<RECT (*)()> screen_rect;
    Entry<RECT (*)()> work_area;

    // ---- metrics -----------------------------------------------------------------
    // Dialog base units of a dialog font (face in CP932), for dialog units.
    Entry<void (*)(const std::string& face_cp932, int point_size, int* base_x, int* base_y)> font_base_units;
    Entry<int (*)()> menu_bar_height;
    Entry<int (*)()> status_bar_height;

    // ---- events ------------------------------------------------------------------
    // Delivers what the desktop has pending; with wait, blocks until something arrives or
    // timeout_ms passes (-1: no timeout). True when input was delivered.
    Entry<bool (*)(bool wait, int timeout_ms)> process_events;
    Entry<void (*)()> wake;  // ends a wait in process_events from inside the program
    // A key the program's procedures left to the control: the widget's own key handling gets
    // it (a text field's editing keys). msg is WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN or WM_SYSKEYUP.
    Entry<void (*)(cw::win::Window* w, UINT msg, UINT vk, LPARAM lp)> replay_key;

    // ---- clipboard ---------------------------------------------------------------
    // Replaces everything the clipboard holds by these blocks (none: the clipboard is left
    // empty). The process keeps serving them to other programs while it processes events.
    Entry<void (*)(const std::vector<ClipboardBlock>& blocks)> clipboard_put;
    // The format names the clipboard holds now, whoever put them there.
    Entry<std::vector<std::string> (*)()> clipboard_names;
    // The bytes under exactly this name; nothing when the clipboard holds no such format.
    Entry<std::optional<std::vector<uint8_t>> (*)(const std::string& name)> clipboard_read;

    // ---- menus and common dialogs --------------------------------------------------
    // The window manager has filled in the request and sent what the system sends first
    // (WM_INITMENUPOPUP); the backend shows the menu or dialog and hands back the user's answer.
    // TrackPopupMenu: the chosen command, 0 when the menu was dismissed.
    Entry<UINT (*)(HMENU menu, cw::win::Window* owner, int x, int y, UINT flags)> track_popup;
    // MessageBox: the id of the button pressed (IDOK, IDCANCEL, IDYES ...).
    Entry<int (*)(cw::win::Window* owner, const std::string& text_utf8, const std::string& caption_utf8,
                  UINT type)>
        message_box;
    // The chosen file system path (UTF-8), or nothing when cancelled.
    Entry<std::optional<std::string> (*)(const FileDialogRequest& request)> file_dialog;
    // ChooseColor: the colour chosen, or nothing when cancelled; the custom colours are updated.
    Entry<std::optional<COLORREF> (*)(const ColorDialogRequest& request)> choose_color;

    // ---- files -------------------------------------------------------------------
    // Puts bytes into an open file of the file system (a descriptor): how many it took, or -1
    // with errno set (ENOSPC: the disk is full). WriteFile calls it until all are written.
    Entry<long long (*)(int fd, const void* bytes, size_t count)> write_bytes;
};

// The table of the backend linked into the program; each backend defines it, as declared here
// (constinit), so that the compiler makes it from constants and checks every entry then; without
// constinit a compiler may leave a table at namespace scope to be made when the program starts,
// and look at nothing.
extern constinit const Functions kLinkedTable;
// The same table.
const Functions& linked();
// The table the window manager calls now: the linked backend's, or what was installed in
// front of it.
const Functions& current();
// Puts a table in front of the linked backend (null: the linked backend's again). The table
// must live until it is replaced.
void install(const Functions* table);

// The window manager's calls, each through the table installed now.
inline void ensure_started() {
    current().ensure_started();
}
inline bool has_display() {
    return current().has_display();
}
inline void create_view(cw::win::Window* w) {
    current().create_view(w);
}
inline void destroy_view(cw::win::Window* w) {
    current().destroy_view(w);
}
inline void sync_geometry(cw::win::Window* w) {
    current().sync_geometry(w);
}
inline void sync_visible(cw::win::Window* w) {
    current().sync_visible(w);
}
inline void sync_enabled(cw::win::Window* w) {
    current().sync_enabled(w);
}
inline void sync_text(cw::win::Window* w) {
    current().sync_text(w);
}
inline void sync_menu_bar(cw::win::Window* w) {
    current().sync_menu_bar(w);
}
inline void sync_scrollbars(cw::win::Window* w) {
    current().sync_scrollbars(w);
}
inline void sync_zorder(cw::win::Window* w) {
    current().sync_zorder(w);
}
inline void invalidate(cw::win::Window* w) {
    current().invalidate(w);
}
inline void request_activation(cw::win::Window* w) {
    current().request_activation(w);
}
inline void focus_changed(cw::win::Window* w) {
    current().focus_changed(w);
}
inline void control_changed(cw::win::Window* w) {
    current().control_changed(w);
}
inline bool tree_item_rect(cw::win::Window* w, cw::win::TreeItem* item, bool text_only, RECT* out) {
    return current().tree_item_rect(w, item, text_only, out);
}
inline cw::win::TreeItem* tree_item_at(cw::win::Window* w, POINT p, UINT* flags) {
    return current().tree_item_at(w, p, flags);
}
inline void tree_scroll_to(cw::win::Window* w, cw::win::TreeItem* item) {
    current().tree_scroll_to(w, item);
}
inline bool listview_item_rect(cw::win::Window* w, int index, RECT* out) {
    return current().listview_item_rect(w, index, out);
}
inline int listview_item_at(cw::win::Window* w, POINT p) {
    return current().listview_item_at(w, p);
}
inline void listview_edit_started(cw::win::Window* list, cw::win::Window* edit) {
    current().listview_edit_started(list, edit);
}
inline void updown_buddy_changed(cw::win::Window* w) {
    current().updown_buddy_changed(w);
}
inline void show_cursor(cw::win::Window* capture, HCURSOR cursor) {
    current().show_cursor(capture, cursor);
}
inline void capture_changed(cw::win::Window* old_capture, cw::win::Window* new_capture) {
    current().capture_changed(old_capture, new_capture);
}
inline POINT cursor_position() {
    return current().cursor_position();
}
inline void set_cursor_position(POINT p) {
    current().set_cursor_position(p);
}
inline ScreenPixels window_pixels(cw::win::Window* w) {
    return current().window_pixels(w);
}
inline void window_pixels_changed(cw::win::Window* w, RECT dirty) {
    current().window_pixels_changed(w, dirty);
}
inline int display_bits_per_pixel() {
    return current().display_bits_per_pixel();
}
inline RECT screen_rect() {
    return current().screen_rect();
}
inline RECT work_area() {
    return current().work_area();
}
inline void font_base_units(const std::string& face_cp932, int point_size, int* base_x, int* base_y) {
    current().font_base_units(face_cp932, point_size, base_x, base_y);
}
inline int menu_bar_height() {
    return current().menu_bar_height();
}
inline int status_bar_height() {
    return current().status_bar_height();
}
inline bool process_events(bool wait, int timeout_ms) {
    return current().process_events(wait, timeout_ms);
}
inline void wake() {
    current().wake();
}
inline void replay_key(cw::win::Window* w, UINT msg, UINT vk, LPARAM lp) {
    current().replay_key(w, msg, vk, lp);
}
inline void clipboard_put(const std::vector<ClipboardBlock>& blocks) {
    current().clipboard_put(blocks);
}
inline std::vector<std::string> clipboard_names() {
    return current().clipboard_names();
}
inline std::optional<std::vector<uint8_t>> clipboard_read(const std::string& name) {
    return current().clipboard_read(name);
}
inline UINT track_popup(HMENU menu, cw::win::Window* owner, int x, int y, UINT flags) {
    return current().track_popup(menu, owner, x, y, flags);
}
inline int message_box(cw::win::Window* owner, const std::string& text_utf8, const std::string& caption_utf8,
                       UINT type) {
    return current().message_box(owner, text_utf8, caption_utf8, type);
}
inline std::optional<std::string> file_dialog(const FileDialogRequest& request) {
    return current().file_dialog(request);
}
inline std::optional<COLORREF> choose_color(const ColorDialogRequest& request) {
    return current().choose_color(request);
}
inline long long write_bytes(int fd, const void* bytes, size_t count) {
    return current().write_bytes(fd, bytes, count);
}

}  // namespace cw::backend
