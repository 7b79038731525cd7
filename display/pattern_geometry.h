// The arithmetic of a pattern window's view: how the client area maps onto the
// magnified base frame, where scrolling may go and how far a frame may be dragged.
// Pure functions, so the rules can be checked without a window.
#pragma once

#include <cstdint>

// A client dimension rounded up to a whole multiple of 1 << zoom_shift.
uint32_t zoomed_dimension(uint32_t client, int zoom_shift);

// A scroll bar is needed while the magnified base frame is wider (or taller) than
// the client area.
bool scroll_bar_needed(uint32_t client, uint16_t base, int zoom_shift);

// The last scroll position: base pixels minus the base pixels the canvas spans.
// Never below 0, so a view that is not scrollable stays at its origin.
int16_t pattern_scroll_limit(uint16_t base, uint32_t zoomed, int zoom_shift);

// One axis of the view: the first base-frame pixel shown and the offset of the
// shown part within the canvas.
struct ScrollAxis {
    int16_t position;
    int32_t view_offset;
};

// Applies a scroll bar code (SB_LINELEFT ... SB_THUMBPOSITION; the vertical codes
// have the same values) and clamps the result. The view offset changes only at
// the two ends: 0 at the start, zoomed - client at the end.
ScrollAxis pattern_scroll(ScrollAxis axis, int code, int thumb, uint16_t base, uint32_t zoomed,
                          uint32_t client, int zoom_shift);

// A mouse coordinate of the client area in base-frame pixels.
int to_base_pixels(uint16_t coordinate, int zoom_shift);

// The mouse positions (in base-frame pixels) at which the frame being dragged
// touches the left, top, right and bottom edge of the base frame.
struct DragBounds {
    int32_t left, top, right, bottom;
};
DragBounds drag_bounds(int mx, int my, int correction_x, int correction_y, int frame_w, int frame_h,
                       int base_w, int base_h);

// The correction offset for a mouse position during the drag, clamped into the
// bounds (the right and bottom bounds win when a frame is larger than the base).
struct Correction {
    uint8_t x, y;
};
Correction drag_correction(const DragBounds& b, int mx, int my);
