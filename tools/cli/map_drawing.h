// Drawing on a Picture for the frame-buffer map: rectangles, hatching and labels in a
// small built-in font (the tool has no Qt and no system fonts).
#pragma once

#include <cstdint>
#include <string>

#include "image_output.h"

namespace cli {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = kGlyphWidth + 1;

// Everything is clipped to the picture.
void fill_rect(Picture& p, int x, int y, int w, int h, uint32_t colour);
// A line one pixel wide just inside the rectangle's edges.
void frame_rect(Picture& p, int x, int y, int w, int h, uint32_t colour);
// Diagonal lines every 4 pixels across the rectangle.
void hatch_rect(Picture& p, int x, int y, int w, int h, uint32_t colour);

// Text in the 5 x 7 font, each font pixel size x size picture pixels, its top-left corner at
// (x, y). Printable ASCII is drawn; any other byte (a UTF-8 sequence) as '?'.
void draw_text(Picture& p, int x, int y, const std::string& text, uint32_t colour, int size);
int text_width(const std::string& text, int size);

}  // namespace cli
