// The Qt backend as the window manager calls it.
#include <unistd.h>

#include "qt/backend_impl.h"

namespace cw::qt::impl {

long long write_bytes(int fd, const void* bytes, size_t count) {
    return ::write(fd, bytes, count);
}

const cw::backend::Functions kTable{
    .ensure_started = ensure_started,
    .has_display = has_display,
    .create_view = create_view,
    .destroy_view = destroy_view,
    .sync_geometry = sync_geometry,
    .sync_visible = sync_visible,
    .sync_enabled = sync_enabled,
    .sync_text = sync_text,
    .sync_menu_bar = sync_menu_bar,
    .sync_scrollbars = sync_scrollbars,
    .sync_zorder = sync_zorder,
    .invalidate = invalidate,
    .request_activation = request_activation,
    .focus_changed = focus_changed,
    .control_changed = control_changed,
    .tree_item_rect = tree_item_rect,
    .tree_item_at = tree_item_at,
    .tree_scroll_to = tree_scroll_to,
    .listview_item_rect = listview_item_rect,
    .listview_item_at = listview_item_at,
    .listview_edit_started = listview_edit_started,
    .updown_buddy_changed = updown_buddy_changed,
    .show_cursor = show_cursor,
    .capture_changed = capture_changed,
    .cursor_position = cursor_position,
    .set_cursor_position = set_cursor_position,
    .window_pixels = window_pixels,
    .window_pixels_changed = window_pixels_changed,
    .display_bits_per_pixel = display_bits_per_pixel,
    .screen_rect = screen_rect,
    .work_area = work_area,
    .font_base_units = font_base_units,
    .menu_bar_height = menu_bar_height,
    .status_bar_height = status_bar_height,
    .process_events = process_events,
    .wake = wake,
    .replay_key = replay_key,
    .clipboard_put = clipboard_put,
    .clipboard_names = clipboard_names,
    .clipboard_read = clipboard_read,
    .track_popup = track_popup,
    .message_box = message_box,
    .file_dialog = file_dialog,
    .choose_color = choose_color,
    .write_bytes = write_bytes,
};

}  // namespace cw::qt::impl

const cw::backend::Functions& cw::backend::linked() {
    return cw::qt::impl::kTable;
}
