// The Qt backend's side of win/backend.h: one function per entry of the table it hands to
// the window manager (backend_table.cpp). Only platform/qt includes this.
#pragma once

#include "win/backend.h"

namespace cw::qt::impl {

using cw::backend::ClipboardBlock;
using cw::backend::ColorDialogRequest;
using cw::backend::FileDialogRequest;
using cw::backend::ScreenPixels;
using cw::win::Window;

void ensure_started();
bool has_display();
void create_view(Window* w);
void destroy_view(Window* w);
void sync_geometry(Window* w);
void sync_visible(Window* w);
void sync_enabled(Window* w);
void sync_text(Window* w);
void sync_menu_bar(Window* w);
void sync_scrollbars(Window* w);
void sync_zorder(Window* w);
void invalidate(Window* w);
void request_activation(Window* w);
void focus_changed(Window* w);
void control_changed(Window* w);
bool tree_item_rect(Window* w, cw::win::TreeItem* item, bool text_only, RECT* out);
cw::win::TreeItem* tree_item_at(Window* w, POINT p, UINT* flags);
void tree_scroll_to(Window* w, cw::win::TreeItem* item);
bool listview_item_rect(Window* w, int index, RECT* out);
int listview_item_at(Window* w, POINT p);
void listview_edit_started(Window* list, Window* edit);
void updown_buddy_changed(Window* w);
void show_cursor(Window* capture, HCURSOR cursor);
void capture_changed(Window* old_capture, Window* new_capture);
POINT cursor_position();
void set_cursor_position(POINT p);
ScreenPixels window_pixels(Window* w);
void window_pixels_changed(Window* w, RECT dirty);
int display_bits_per_pixel();
RECT screen_rect();
RECT work_area();
void font_base_units(const std::string& face_cp932, int point_size, int* base_x, int* base_y);
int menu_bar_height();
int status_bar_height();
bool process_events(bool wait, int timeout_ms);
void wake();
void replay_key(cw::win::Window* w, UINT msg, UINT vk, LPARAM lp);
void clipboard_put(const std::vector<ClipboardBlock>& blocks);
std::vector<std::string> clipboard_names();
std::optional<std::vector<uint8_t>> clipboard_read(const std::string& name);
UINT track_popup(HMENU menu, Window* owner, int x, int y, UINT flags);
int message_box(Window* owner, const std::string& text_utf8, const std::string& caption_utf8, UINT type);
std::optional<std::string> file_dialog(const FileDialogRequest& request);
std::optional<COLORREF> choose_color(const ColorDialogRequest& request);
long long write_bytes(int fd, const void* bytes, size_t count);

}  // namespace cw::qt::impl
