#include "gdi/pixels.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace cw::gdi {

namespace {

uint32_t expand_channel(uint32_t raw, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const uint64_t max = static_cast<uint64_t>(mask) >> shift;
    const uint64_t v = (raw & mask) >> shift;
    return static_cast<uint32_t>((v * 255 + max / 2) / max);
}

uint32_t pack_channel(uint32_t c8, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const int width = std::popcount(mask);
    const uint64_t max = static_cast<uint64_t>(mask) >> shift;
    // Up to 8 bits a channel keeps the top bits of the colour, as display hardware does.
    const uint64_t v = width <= 8 ? c8 >> (8 - width) : (c8 * max + 127) / 255;
    return static_cast<uint32_t>(v << shift) & mask;
}

}  // namespace

PixelFormat xrgb32_format() {
    return PixelFormat{32, false, 0xFF0000, 0x00FF00, 0x0000FF};
}
PixelFormat bgr24_format() {
    return PixelFormat{24, false, 0xFF0000, 0x00FF00, 0x0000FF};
}
PixelFormat rgb565_format() {
    return PixelFormat{16, false, 0xF800, 0x07E0, 0x001F};
}
PixelFormat rgb555_format() {
    return PixelFormat{16, false, 0x7C00, 0x03E0, 0x001F};
}
PixelFormat indexed_format(int bpp) {
    return PixelFormat{bpp, true, 0, 0, 0};
}
PixelFormat masked_format(int bpp, uint32_t red, uint32_t green, uint32_t blue) {
    return PixelFormat{bpp, false, red, green, blue};
}

PixelFormat display_format(int bpp) {
    switch (bpp) {
        case 8: return indexed_format(8);
        case 16: return rgb565_format();
        case 24: return bgr24_format();
    }
    return xrgb32_format();
}

const RGBQUAD* display_palette() {
    static const auto palette = [] {
        static RGBQUAD p[256];
        for (int i = 0; i < 256; ++i)
            p[i] = RGBQUAD{static_cast<BYTE>((i & 3) * 255 / 3), static_cast<BYTE>(((i >> 2) & 7) * 255 / 7),
                           static_cast<BYTE>(((i >> 5) & 7) * 255 / 7), 0};
        return p;
    }();
    return palette;
}

uint32_t read_raw(const PixelBuffer& b, int x, int y) {
    const uint8_t* row = b.row(y);
    switch (b.format.bpp) {
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 2: return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        case 4: return (row[x >> 1] >> (x & 1 ? 0 : 4)) & 0xF;
        case 8: return row[x];
        case 16: return static_cast<uint32_t>(row[2 * x] | row[2 * x + 1] << 8);
        case 24: return static_cast<uint32_t>(row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16);
    }
    uint32_t v;
    std::memcpy(&v, row + 4 * x, 4);
    return v;
}

void write_raw(const PixelBuffer& b, int x, int y, uint32_t raw) {
    uint8_t* row = b.row(y);
    switch (b.format.bpp) {
        case 1: {
            const int s = 7 - (x & 7);
            row[x >> 3] = static_cast<uint8_t>((row[x >> 3] & ~(1 << s)) | (raw & 1) << s);
            return;
        }
        case 2: {
            const int s = 6 - 2 * (x & 3);
            row[x >> 2] = static_cast<uint8_t>((row[x >> 2] & ~(3 << s)) | (raw & 3) << s);
            return;
        }
        case 4: {
            const int s = x & 1 ? 0 : 4;
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & ~(0xF << s)) | (raw & 0xF) << s);
            return;
        }
        case 8: row[x] = static_cast<uint8_t>(raw); return;
        case 16:
            row[2 * x] = static_cast<uint8_t>(raw);
            row[2 * x + 1] = static_cast<uint8_t>(raw >> 8);
            return;
        case 24:
            row[3 * x] = static_cast<uint8_t>(raw);
            row[3 * x + 1] = static_cast<uint8_t>(raw >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(raw >> 16);
            return;
    }
    std::memcpy(row + 4 * x, &raw, 4);
}

COLORREF raw_to_rgb(const PixelBuffer& b, uint32_t raw) {
    if (b.format.indexed) {
        if (!b.palette || raw >= static_cast<uint32_t>(b.palette_size)) return 0;
        const RGBQUAD& q = b.palette[raw];
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    return RGB(expand_channel(raw, b.format.red), expand_channel(raw, b.format.green),
               expand_channel(raw, b.format.blue));
}

uint32_t rgb_to_raw(const PixelBuffer& b, COLORREF color) {
    const uint32_t r = GetRValue(color), g = GetGValue(color), bl = GetBValue(color);
    if (!b.format.indexed)
        return pack_channel(r, b.format.red) | pack_channel(g, b.format.green) |
               pack_channel(bl, b.format.blue);
    if (b.palette == display_palette()) return (r & 0xE0) | (g & 0xE0) >> 3 | bl >> 6;
    uint32_t best = 0;
    int best_distance = 1 << 30;
    for (int i = 0; i < b.palette_size; ++i) {
        const RGBQUAD& q = b.palette[i];
        const int dr = q.rgbRed - static_cast<int>(r), dg = q.rgbGreen - static_cast<int>(g),
                  db = q.rgbBlue - static_cast<int>(bl);
        const int d = dr * dr + dg * dg + db * db;
        if (d < best_distance) best_distance = d, best = static_cast<uint32_t>(i);
    }
    return best;
}

RECT intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    if (is_empty(r)) r = RECT{0, 0, 0, 0};
    return r;
}

void fill_raw(const PixelBuffer& b, RECT r, uint32_t raw) {
    r = intersect(r, bounds_of(b));
    if (is_empty(r)) return;
    const int n = r.right - r.left;
    uint8_t* first = b.row(r.top);
    switch (b.format.bpp) {
        case 8: std::memset(first + r.left, static_cast<int>(raw & 0xFF), n); break;
        case 16:
            std::fill_n(reinterpret_cast<uint16_t*>(first) + r.left, n, static_cast<uint16_t>(raw));
            break;
        case 32: std::fill_n(reinterpret_cast<uint32_t*>(first) + r.left, n, raw); break;
        default:
            for (int x = r.left; x < r.right; ++x) write_raw(b, x, r.top, raw);
    }
    // The other rows are copies of the first: a row copy is far faster than storing pixel by pixel.
    const size_t offset = static_cast<size_t>(r.left) * b.format.bpp / 8;
    const size_t bytes = static_cast<size_t>(n) * b.format.bpp / 8;
    for (int y = r.top + 1; y < r.bottom; ++y) std::memcpy(b.row(y) + offset, first + offset, bytes);
}

}  // namespace cw::gdi
