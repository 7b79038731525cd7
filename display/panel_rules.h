// The edit panel's conversions: a chosen colour to a pixel value of the display,
// a typed timing to its stored value, and the base frame size that holds every
// frame. Pure functions, so the rules are checked without a window.
#pragma once

#include <windows.h>

#include <cstdint>

#include "project/tables.h"

// The pixel value of colour c in an RGB format with these channel masks: each
// channel keeps its top bits, as many as its mask has, placed where the mask is.
// With 8-8-8 masks RGB(0x12,0x34,0x56) becomes 0x00123456; on a 5-6-5 display red
// becomes 0xF800. Masks that describe no channel (a palette) give 0x00RRGGBB.
uint32_t colour_to_pixel(COLORREF c, uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask);

// The timing typed into the panel: the first four characters of the text in
// decimal (an empty field gives 0), so at most 9999.
uint16_t timing_from_text(const char* text);

// The smallest base frame that holds every frame's image at correction (0, 0):
// the widest and the tallest image of the pattern's 20 records, taken apart.
struct BaseSize {
    uint16_t w, h;
};
BaseSize base_size_of(const FrameRecord (&frames)[kMaxFrames]);
