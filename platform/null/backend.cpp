// A backend without a display. Windows, menus, dialogs and controls keep all their state
// in the window manager and work as usual; nothing is shown. Pixels are kept in memory,
// metrics are fixed (null/desktop.h), common dialogs are dismissed as a user would who
// presses Esc (a message box gives its default button), popup menus choose nothing, and the
// clipboard is kept in process memory.
#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>

#include "null/desktop.h"
#include "text/cp932.h"
#include "win/backend.h"
#include "win/controls.h"
#include "win/input.h"

struct cw::backend::View {
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
    std::vector<uint32_t> shown;
    uint64_t presented = 0;
};

namespace cw::null {

namespace {

using cw::win::Window;

bool g_follows = true;
HWND g_focused = nullptr;    // the window whose (absent) widget has the keyboard focus
std::deque<HWND> g_reports;  // desktop activation reports not yet delivered
POINT g_cursor{0, 0};
std::mutex g_wake_mutex;
std::condition_variable g_wake;
bool g_woken = false;

// The rows a tree shows: every item whose ancestors are all expanded, in order.
void visible_rows(const std::vector<cw::win::TreeItem*>& items, int depth,
                  std::vector<std::pair<cw::win::TreeItem*, int>>& out) {
    for (cw::win::TreeItem* i : items) {
        out.push_back({i, depth});
        if (i->state & TVIS_EXPANDED) visible_rows(i->children, depth + 1, out);
    }
}

int tree_row_of(Window* w, cw::win::TreeItem* item, int* depth) {
    cw::win::TreeState* s = cw::win::tree_state(w);
    if (!s) return -1;
    std::vector<std::pair<cw::win::TreeItem*, int>> rows;
    visible_rows(s->roots, 0, rows);
    for (size_t r = 0; r < rows.size(); ++r)
        if (rows[r].first == item) {
            *depth = rows[r].second;
            return static_cast<int>(r);
        }
    return -1;
}

// Left edge of an item's check box (or text, without check boxes) at a depth.
int tree_item_left(Window* w, int depth) {
    return (depth + ((w->style & TVS_LINESATROOT) ? 1 : 0)) * kTreeIndent;
}

}  // namespace

std::vector<HWND>& activation_requests() {
    static std::vector<HWND> r;
    return r;
}

HWND focused_window() {
    return cw::win::window_from(g_focused) ? g_focused : nullptr;
}

void set_desktop_follows(bool on) {
    g_follows = on;
}

void report_activation(HWND hwnd) {
    g_reports.push_back(hwnd);
}

uint64_t presented_frames(HWND hwnd) {
    Window* w = cw::win::window_from(hwnd);
    return w && w->view ? w->view->presented : 0;
}

}  // namespace cw::null

namespace cw::null::impl {

using cw::backend::ClipboardBlock;
using cw::backend::ColorDialogRequest;
using cw::backend::FileDialogRequest;
using cw::backend::ScreenPixels;
using cw::backend::View;
using cw::win::Window;

void ensure_started() {}
bool has_display() {
    return false;
}

void create_view(Window* w) {
    w->view = new View;
}
void destroy_view(Window* w) {
    delete w->view;
    w->view = nullptr;
}
void sync_geometry(Window*) {}
void sync_visible(Window*) {}
void sync_enabled(Window*) {}
void sync_text(Window*) {}
void sync_menu_bar(Window*) {}
void sync_scrollbars(Window*) {}
void sync_zorder(Window*) {}
void invalidate(Window*) {}

void request_activation(Window* w) {
    activation_requests().push_back(w->handle);
    if (g_follows) g_reports.push_back(w->handle);
}

void focus_changed(Window* w) {
    g_focused = w ? w->handle : nullptr;
}

void control_changed(Window*) {}

bool tree_item_rect(Window* w, cw::win::TreeItem* item, bool text_only, RECT* out) {
    cw::win::TreeState* s = cw::win::tree_state(w);
    int depth = 0;
    const int row = tree_row_of(w, item, &depth);
    if (!s || row < 0 || !out) return false;
    const int top = row * s->item_height;
    if (!text_only) {
        *out = RECT{0, top, cw::win::client_rect_of(w).right, top + s->item_height};
        return true;
    }
    int left = tree_item_left(w, depth);
    if (w->style & TVS_CHECKBOXES) left += kTreeCheckBox + 3;
    *out = RECT{left, top, left + kCharWidth * static_cast<int>(item->text.size()) + 4, top + s->item_height};
    return true;
}

void tree_scroll_to(Window*, cw::win::TreeItem*) {}  // nothing is shown, nothing scrolls

cw::win::TreeItem* tree_item_at(Window* w, POINT p, UINT* flags) {
    if (flags) *flags = TVHT_NOWHERE;
    cw::win::TreeState* s = cw::win::tree_state(w);
    if (!s || p.y < 0 || p.x < 0 || p.x >= cw::win::client_rect_of(w).right) return nullptr;
    std::vector<std::pair<cw::win::TreeItem*, int>> rows;
    visible_rows(s->roots, 0, rows);
    const size_t row = static_cast<size_t>(p.y / s->item_height);
    if (row >= rows.size()) return nullptr;
    auto [item, depth] = rows[row];
    if (!flags) return item;
    const int left = tree_item_left(w, depth);
    RECT text{};
    tree_item_rect(w, item, true, &text);
    if ((w->style & TVS_CHECKBOXES) && p.x >= left && p.x < left + kTreeCheckBox)
        *flags = TVHT_ONITEMSTATEICON;
    else if (p.x >= text.left && p.x < text.right)
        *flags = TVHT_ONITEMLABEL;
    else if (p.x < left && p.x >= left - kTreeIndent && !item->children.empty())
        *flags = TVHT_ONITEMBUTTON;
    else if (p.x < left)
        *flags = TVHT_ONITEMINDENT;
    else
        *flags = TVHT_ONITEMRIGHT;
    return item;
}

bool listview_item_rect(Window* w, int index, RECT* out) {
    cw::win::ListState* s = cw::win::list_state(w);
    if (!s || !out || index < 0 || index >= static_cast<int>(s->items.size())) return false;
    const int rows = std::max(1, static_cast<int>(cw::win::client_rect_of(w).bottom) / kListItemHeight);
    const int col = index / rows, row = index % rows;
    *out = RECT{col * kListColumnWidth, row * kListItemHeight, (col + 1) * kListColumnWidth,
                (row + 1) * kListItemHeight};
    return true;
}

int listview_item_at(Window* w, POINT p) {
    cw::win::ListState* s = cw::win::list_state(w);
    if (!s || p.x < 0 || p.y < 0) return -1;
    const int rows = std::max(1, static_cast<int>(cw::win::client_rect_of(w).bottom) / kListItemHeight);
    if (p.y >= rows * kListItemHeight) return -1;
    const int index = (p.x / kListColumnWidth) * rows + p.y / kListItemHeight;
    return index < static_cast<int>(s->items.size()) ? index : -1;
}

void listview_edit_started(Window*, Window*) {}
void updown_buddy_changed(Window*) {}

void show_cursor(Window*, HCURSOR) {}
void capture_changed(Window*, Window*) {}
POINT cursor_position() {
    return g_cursor;
}
void set_cursor_position(POINT p) {
    g_cursor = p;
}

ScreenPixels window_pixels(Window* w) {
    View* v = w ? w->view : nullptr;
    if (!v) return {};
    const RECT c = cw::win::client_rect_of(w);
    const int width = std::max<int>(1, c.right), height = std::max<int>(1, c.bottom);
    if (v->width != width || v->height != height) {
        std::vector<uint32_t> next(static_cast<size_t>(width) * height, GetSysColor(COLOR_BTNFACE));
        for (int y = 0; y < std::min(height, v->height); ++y)
            std::memcpy(&next[static_cast<size_t>(y) * width], &v->pixels[static_cast<size_t>(y) * v->width],
                        sizeof(uint32_t) * std::min(width, v->width));
        v->pixels = std::move(next);
        v->width = width;
        v->height = height;
        v->shown.assign(v->pixels.size(), 0);
    }
    return ScreenPixels{v->width, v->height, v->width * 4, v->pixels.data()};
}

void window_pixels_changed(Window* w, RECT dirty) {
    View* v = w ? w->view : nullptr;
    if (!v || v->pixels.empty()) return;
    const int left = std::max<int>(0, dirty.left), right = std::min<int>(v->width, dirty.right);
    const int top = std::max<int>(0, dirty.top), bottom = std::min<int>(v->height, dirty.bottom);
    bool changed = false;
    for (int y = top; y < bottom && left < right; ++y) {
        const size_t at = static_cast<size_t>(y) * v->width + left, bytes = sizeof(uint32_t) * (right - left);
        if (std::memcmp(&v->pixels[at], &v->shown[at], bytes) == 0) continue;
        std::memcpy(&v->shown[at], &v->pixels[at], bytes);
        changed = true;
    }
    if (changed) ++v->presented;
}

int display_bits_per_pixel() {
    const char* e = std::getenv("CELWRIGHT_DISPLAY_BPP");
    const int n = e ? std::atoi(e) : 0;
    return n == 8 || n == 16 || n == 24 ? n : 32;
}

// Without a display, the screen is the size the program's windows were designed on.
RECT screen_rect() {
    return RECT{0, 0, 1920, 1080};
}

RECT work_area() {
    return screen_rect();
}

void font_base_units(const std::string&, int point_size, int* base_x, int* base_y) {
    const int cell = std::max(1, point_size * 4 / 3);
    *base_x = std::max(1, cell / 2);
    *base_y = cell + 1;
}
int menu_bar_height() {
    return kMenuBarHeight;
}
int status_bar_height() {
    return kStatusBarHeight;
}

bool process_events(bool wait, int timeout_ms) {
    const unsigned before = cw::win::input_count();
    if (wait && g_reports.empty() && cw::win::queue_empty()) {
        std::unique_lock<std::mutex> lock(g_wake_mutex);
        if (timeout_ms >= 0)
            g_wake.wait_for(lock, std::chrono::milliseconds(timeout_ms), [] { return g_woken; });
        else
            g_wake.wait(lock, [] { return g_woken; });
        g_woken = false;
    }
    while (!g_reports.empty()) {
        const HWND h = g_reports.front();
        g_reports.pop_front();
        // A desktop reports the windows it shows: one destroyed since is no report at all, not
        // word that none of the program's windows is active.
        Window* w = cw::win::window_from(h);
        if (h && !w) continue;
        cw::win::input_activated(w);
    }
    return cw::win::input_count() != before;
}

// The clipboard lives in this process: no other program reads it.
std::vector<ClipboardBlock>& clipboard_blocks() {
    static std::vector<ClipboardBlock> blocks;
    return blocks;
}

void clipboard_put(const std::vector<ClipboardBlock>& blocks) {
    clipboard_blocks() = blocks;
}

std::vector<std::string> clipboard_names() {
    std::vector<std::string> names;
    for (const ClipboardBlock& b : clipboard_blocks()) names.push_back(b.name);
    return names;
}

std::optional<std::vector<uint8_t>> clipboard_read(const std::string& name) {
    for (const ClipboardBlock& b : clipboard_blocks())
        if (b.name == name) return b.bytes;
    return std::nullopt;
}

void replay_key(Window*, UINT, UINT, LPARAM) {}

void wake() {
    std::lock_guard<std::mutex> lock(g_wake_mutex);
    g_woken = true;
    g_wake.notify_all();
}

UINT track_popup(HMENU, Window*, int, int, UINT) {
    return 0;
}

int message_box(Window*, const std::string&, const std::string&, UINT type) {
    switch (type & MB_TYPEMASK) {
        case MB_YESNO:
        case MB_YESNOCANCEL: return IDYES;
        case MB_RETRYCANCEL: return IDRETRY;
        case MB_ABORTRETRYIGNORE: return IDABORT;
    }
    return IDOK;
}

std::optional<std::string> file_dialog(const FileDialogRequest&) {
    return std::nullopt;
}

std::optional<COLORREF> choose_color(const ColorDialogRequest&) {
    return std::nullopt;
}

long long write_bytes(int fd, const void* bytes, size_t count) {
    return ::write(fd, bytes, count);
}

}  // namespace cw::null::impl

// The entries are named with their namespace: inside the table's own namespace an unqualified
// name would find the window manager's call of the same name (win/backend.h), which calls
// through this very table.
namespace impl = cw::null::impl;

constinit const cw::backend::Functions cw::backend::kLinkedTable{
    .ensure_started = impl::ensure_started,
    .has_display = impl::has_display,
    .create_view = impl::create_view,
    .destroy_view = impl::destroy_view,
    .sync_geometry = impl::sync_geometry,
    .sync_visible = impl::sync_visible,
    .sync_enabled = impl::sync_enabled,
    .sync_text = impl::sync_text,
    .sync_menu_bar = impl::sync_menu_bar,
    .sync_scrollbars = impl::sync_scrollbars,
    .sync_zorder = impl::sync_zorder,
    .invalidate = impl::invalidate,
    .request_activation = impl::request_activation,
    .focus_changed = impl::focus_changed,
    .control_changed = impl::control_changed,
    .tree_item_rect = impl::tree_item_rect,
    .tree_item_at = impl::tree_item_at,
    .tree_scroll_to = impl::tree_scroll_to,
    .listview_item_rect = impl::listview_item_rect,
    .listview_item_at = impl::listview_item_at,
    .listview_edit_started = impl::listview_edit_started,
    .updown_buddy_changed = impl::updown_buddy_changed,
    .show_cursor = impl::show_cursor,
    .capture_changed = impl::capture_changed,
    .cursor_position = impl::cursor_position,
    .set_cursor_position = impl::set_cursor_position,
    .window_pixels = impl::window_pixels,
    .window_pixels_changed = impl::window_pixels_changed,
    .display_bits_per_pixel = impl::display_bits_per_pixel,
    .screen_rect = impl::screen_rect,
    .work_area = impl::work_area,
    .font_base_units = impl::font_base_units,
    .menu_bar_height = impl::menu_bar_height,
    .status_bar_height = impl::status_bar_height,
    .process_events = impl::process_events,
    .wake = impl::wake,
    .replay_key = impl::replay_key,
    .clipboard_put = impl::clipboard_put,
    .clipboard_names = impl::clipboard_names,
    .clipboard_read = impl::clipboard_read,
    .track_popup = impl::track_popup,
    .message_box = impl::message_box,
    .file_dialog = impl::file_dialog,
    .choose_color = impl::choose_color,
    .write_bytes = impl::write_bytes,
};
