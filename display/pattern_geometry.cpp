#include "display/pattern_geometry.h"

#include <windows.h>

uint32_t zoomed_dimension(uint32_t client, int zoom_shift) {
    const uint32_t factor = 1u << zoom_shift;
    if (client % factor == 0) return client;
    return ((client >> zoom_shift) + 1) << zoom_shift;
}

bool scroll_bar_needed(uint32_t client, uint16_t base, int zoom_shift) {
    return client < (static_cast<uint32_t>(base) << zoom_shift);
}

int16_t pattern_scroll_limit(uint16_t base, uint32_t zoomed, int zoom_shift) {
    const int16_t m = static_cast<int16_t>(base - static_cast<int32_t>(zoomed >> zoom_shift));
    return m < 0 ? 0 : m;
}

ScrollAxis pattern_scroll(ScrollAxis axis, int code, int thumb, uint16_t base, uint32_t zoomed,
                          uint32_t client, int zoom_shift) {
    int16_t pos = axis.position;
    switch (code) {
        case SB_LINELEFT: pos = static_cast<int16_t>(pos - 1); break;
        case SB_LINERIGHT: pos = static_cast<int16_t>(pos + 1); break;
        case SB_PAGELEFT: pos = static_cast<int16_t>(pos - 10); break;
        case SB_PAGERIGHT: pos = static_cast<int16_t>(pos + 10); break;
        case SB_THUMBPOSITION: pos = static_cast<int16_t>(thumb); break;
        default: break;
    }
    ScrollAxis out{pos, axis.view_offset};
    if (out.position <= 0) {
        out.position = 0;
        out.view_offset = 0;
    }
    const int16_t m = pattern_scroll_limit(base, zoomed, zoom_shift);
    if (out.position >= m) {
        out.position = m;
        out.view_offset = static_cast<int32_t>(zoomed) - static_cast<int32_t>(client);
    }
    return out;
}

int to_base_pixels(uint16_t coordinate, int zoom_shift) {
    return static_cast<int16_t>(coordinate) >> zoom_shift;
}

DragBounds drag_bounds(int mx, int my, int correction_x, int correction_y, int frame_w, int frame_h,
                       int base_w, int base_h) {
    return DragBounds{mx - correction_x, my - correction_y, mx + base_w - (correction_x + frame_w),
                      my + base_h - (correction_y + frame_h)};
}

Correction drag_correction(const DragBounds& b, int mx, int my) {
    if (mx < b.left) mx = b.left;
    if (my < b.top) my = b.top;
    if (mx > b.right) mx = b.right;
    if (my > b.bottom) my = b.bottom;
    return Correction{static_cast<uint8_t>(mx - b.left), static_cast<uint8_t>(my - b.top)};
}
