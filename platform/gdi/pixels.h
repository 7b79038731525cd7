// Pixel formats and views of pixel memory, shared by GDI bitmaps, DirectDraw
// surfaces and the blitter. Pure C++: no window system involved.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace cw::gdi {

struct PixelFormat {
    int bpp = 32;          // 1, 2, 4, 8, 16, 24 or 32
    bool indexed = false;  // 1..8 bits per pixel through a colour table
    uint32_t red = 0x00FF0000, green = 0x0000FF00, blue = 0x000000FF;  // direct formats

    bool operator==(const PixelFormat&) const = default;
};

PixelFormat xrgb32_format();
PixelFormat bgr24_format();
PixelFormat rgb565_format();
PixelFormat rgb555_format();
PixelFormat indexed_format(int bpp);
PixelFormat masked_format(int bpp, uint32_t red, uint32_t green, uint32_t blue);

// The pixel format of an emulated display of the given depth: 8 (a fixed palette of
// 3-3-2 levels), 16 (5-6-5), 24 or 32 (X8R8G8B8).
PixelFormat display_format(int bpp);
const RGBQUAD* display_palette();  // the 256 entries of the 8-bit display

// A rectangle of pixel memory. Rows are addressed top row first whatever their order in
// memory: pitch is negative for memory that holds the bottom row first.
struct PixelBuffer {
    int width = 0;
    int height = 0;
    uint8_t* top = nullptr;
    ptrdiff_t pitch = 0;
    PixelFormat format;
    const RGBQUAD* palette = nullptr;  // indexed formats: 1 << bpp entries
    int palette_size = 0;

    uint8_t* row(int y) const { return top + y * pitch; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

uint32_t read_raw(const PixelBuffer& b, int x, int y);
void write_raw(const PixelBuffer& b, int x, int y, uint32_t raw);
COLORREF raw_to_rgb(const PixelBuffer& b, uint32_t raw);
uint32_t rgb_to_raw(const PixelBuffer& b, COLORREF color);  // nearest entry for indexed formats

// Rectangles: right and bottom exclusive.
RECT intersect(const RECT& a, const RECT& b);
inline bool is_empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}
inline RECT bounds_of(const PixelBuffer& b) {
    return RECT{0, 0, b.width, b.height};
}

// Fills the part of r inside the buffer with one raw pixel value.
void fill_raw(const PixelBuffer& b, RECT r, uint32_t raw);

}  // namespace cw::gdi
