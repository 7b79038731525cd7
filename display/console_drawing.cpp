#include "display/console_drawing.h"

#include <algorithm>

#include "display/frame_drawing.h"
#include "display/playback_rules.h"

namespace {

constexpr uint16_t kStpBit = 0x8000;

int channel(uint16_t c, int shift) {
    return (c >> shift) & 0x1F;
}

int blend_channel(int below, int texel, int mode) {
    switch (mode) {
        case 0: return (below + texel) >> 1;
        case 1: return std::min(31, below + texel);
        case 2: return std::max(0, below - texel);
        default: return std::min(31, below + (texel >> 2));
    }
}

// The frame-buffer word at (x, y) where the sheet covers it.
bool sheet_word(const tim::TimImage& sheet, int x, int y, uint16_t* word) {
    const int sx = x - sheet.image_x, sy = y - sheet.image_y;
    if (sx < 0 || sy < 0 || sx >= sheet.width_words || sy >= sheet.height) return false;
    const size_t at = static_cast<size_t>(sy) * sheet.width_words + static_cast<size_t>(sx);
    if (at >= sheet.words.size()) return false;
    *word = sheet.words[at];
    return true;
}

// The CLUT entry at (x, y) where the sheet's CLUT rows cover it.
bool clut_word(const tim::TimImage& sheet, int x, int y, uint16_t* word) {
    if (!sheet.has_clut) return false;
    const int cx = x - sheet.clut_x, cy = y - sheet.clut_y;
    if (cx < 0 || cy < 0 || cx >= sheet.clut_entries || cy >= sheet.clut_rows) return false;
    const size_t at = static_cast<size_t>(cy) * sheet.clut_entries + static_cast<size_t>(cx);
    if (at >= sheet.clut.size()) return false;
    *word = sheet.clut[at];
    return true;
}

// The colour the console fetches for texel (u, v) of the page: the word of the 15-bit
// mode, or the CLUT entry an index of the 4- or 8-bit mode points at.
bool texel_colour(const tim::TimImage& sheet, uint32_t tpage, uint16_t clut, int u, int v, uint16_t* colour) {
    const int mode = static_cast<int>((tpage >> 7) & 3);
    const int page_x = static_cast<int>(tpage & 0xF) * 64, page_y = static_cast<int>((tpage >> 4) & 1) * 256;
    const int per_word = mode == 0 ? 4 : mode == 1 ? 2 : 1;
    uint16_t word = 0;
    if (!sheet_word(sheet, page_x + u / per_word, page_y + v, &word)) return false;
    if (mode == 2) {
        *colour = word;
        return true;
    }
    const int bits = 16 / per_word;
    const int index = (word >> (bits * (u % per_word))) & ((1 << bits) - 1);
    return clut_word(sheet, (clut & 0x3F) * 16 + index, (clut >> 6) & 0x1FF, colour);
}

}  // namespace

uint16_t blend_console_colours(uint16_t below, uint16_t texel, int mode) {
    uint16_t out = 0;
    for (int shift : {0, 5, 10})
        out |=
            static_cast<uint16_t>(blend_channel(channel(below, shift), channel(texel, shift), mode) << shift);
    return out;
}

std::vector<uint16_t> draw_console_frame(const tim::TimImage& sheet, const ConsoleFrame& f) {
    std::vector<uint16_t> base(static_cast<size_t>(f.base_w) * f.base_h,
                               static_cast<uint16_t>(f.background & ~kStpBit));
    draw_console_sprite(sheet, f, base);
    return base;
}

void draw_console_sprite(const tim::TimImage& sheet, const ConsoleFrame& f, std::vector<uint16_t>& base) {
    const FrameRecord& r = f.record;
    const int mode = static_cast<int>((f.tpage >> 7) & 3), semi = static_cast<int>((f.tpage >> 5) & 3);
    if (mode == 3 || base.size() < static_cast<size_t>(f.base_w) * f.base_h) return;
    const bool mirror_x = f.flips & kFlipLeftRight, mirror_y = f.flips & kFlipTopBottom;
    const int left = mirror_x ? f.base_w - r.correction_x - r.image_w : r.correction_x;
    const int top = mirror_y ? f.base_h - r.correction_y - r.image_h : r.correction_y;
    for (int j = 0; j < r.image_h; ++j) {
        const int y = top + j;
        if (y < 0 || y >= f.base_h) continue;
        const int v = (r.image_y + (mirror_y ? r.image_h - 1 - j : j)) & 0xFF;
        for (int i = 0; i < r.image_w; ++i) {
            const int x = left + i;
            if (x < 0 || x >= f.base_w) continue;
            const int u = (r.image_x + (mirror_x ? r.image_w - 1 - i : i)) & 0xFF;
            uint16_t colour = 0;
            if (!texel_colour(sheet, f.tpage, r.clut, u, v, &colour) || colour == 0) continue;
            uint16_t& below = base[static_cast<size_t>(y) * f.base_w + x];
            below =
                colour & kStpBit ? blend_console_colours(below, colour, semi) : static_cast<uint16_t>(colour);
        }
    }
}

void copy_console_picture_into_surface(LPDIRECTDRAWSURFACE surface, const std::vector<uint16_t>& picture,
                                       int w, int h) {
    if (!surface || w <= 0 || h <= 0 || picture.size() < static_cast<size_t>(w) * h) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        auto* px = static_cast<uint32_t*>(bits);
        for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
            const tim::Rgb c = tim::colour15(picture[i]);
            px[i] = static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 | c.b;
        }
        copy_bitmap_into_surface(surface, dib, w, h);
    }
    if (dib) DeleteObject(dib);
}
