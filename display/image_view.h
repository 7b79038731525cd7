// The image window's view of the working image: magnification, scrolling,
// centring, the grid and the selection, as plain arithmetic on one record so
// that it is tested without a window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "project/tables.h"

// In memory only; image loading resets it for each new image.
struct ImageViewState {
    int16_t scroll_x;  // image column at the left edge of the window
    int16_t scroll_y;
    uint16_t image_width;
    uint16_t image_height;
    uint16_t zoomed_width;  // image_width << zoom_shift
    uint16_t zoomed_height;
    int32_t view_offset_x;  // left edge of the part of the canvas copied to the window
    int32_t view_offset_y;
    uint32_t shown_width;   // the image's destination rectangle on the canvas
    uint32_t source_width;  // and its source rectangle in the working image
    uint32_t shown_height;
    uint32_t source_height;
    int8_t zoom_shift;  // 0..5
    int32_t grid_shown;
    uint16_t grid_w;  // grid cell in image pixels, 4..99
    uint16_t grid_h;
    RECT selection;  // image pixels
};

inline constexpr int kMinGridSize = 4;

// The state for a freshly loaded image of w x h: no zoom, no scroll, grid hidden at 4 x 4, empty selection.
void reset_image_view(ImageViewState& v, int w, int h);

// A client extent rounded up to a multiple of 1 << shift.
uint32_t zoomed_extent(uint32_t client, int shift);

// shown_* and source_* for the given canvas (the zoomed client size).
void compute_view(ImageViewState& v, const WindowSize& zoomed_client);

// Scroll position limit of one axis: how far the image can move before its far
// edge meets the canvas's, in image pixels.
int16_t scroll_limit(uint16_t image_extent, uint32_t zoomed_client_extent, int shift);

// One scroll bar message on one axis. code is the scroll code, thumb the thumb
// position; end_offset is the view offset at the far end (zoomed client - client).
void apply_scroll(int16_t& scroll, int32_t& view_offset, int code, int thumb, int16_t limit,
                  int32_t end_offset);

// Where on the canvas the image starts: it is centred when it is smaller than the canvas.
int32_t centring_offset(uint32_t zoomed_client_extent, uint32_t shown_extent);

// The image pixel (one axis) under client coordinate `client`, kept inside the image.
int32_t image_pixel_at(int32_t client, int32_t view_offset, int32_t centring, int16_t scroll, int shift,
                       uint16_t image_extent);

// (min, min, max + 1, max + 1): both dragged-over corner pixels lie inside.
RECT normalised(const RECT& r);

// Canvas positions of the grid lines of one axis: the edges of the image columns
// (rows) that are multiples of `grid` and lie strictly inside the shown part of the image.
std::vector<int32_t> grid_lines(int16_t scroll, uint16_t grid, int shift, int32_t centring,
                                uint32_t shown_extent);

// The value the grid dialog takes from a field: its first two characters in decimal; anything else counts 0.
int grid_field_value(const char* text);
