// The Qt backend as the window manager calls it.
#include <unistd.h>

#include "qt/backend_impl.h"

namespace cw::qt::impl {

long long write_bytes(int fd, const void* bytes, size_t count) {
    return ::write(fd, bytes, count);
}

}  // namespace cw::qt::impl

// The entries are named with their namespace: inside the table's own namespace an unqualified
// name would find the window manager's call of the same name (win/backend.h), which calls
// through this very table.
namespace impl = cw::qt::impl;

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
