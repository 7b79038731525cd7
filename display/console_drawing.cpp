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

namespace {

// What one frame reads, worked out once rather than for every texel: the page's corner, how
// indices sit in a word, and the colour of every index through the CLUT the record names
// (kNoColour where the sheet's CLUT does not cover it: frame-buffer contents it does not give).
constexpr uint32_t kNoColour = 0x10000;

struct TexelSource {
    int page_x = 0, page_y = 0;
    int word_shift = 0;  // log2 of the texels a word holds
    int index_bits = 16;
    std::vector<uint32_t> palette;  // empty in the 15-bit mode
};

TexelSource texel_source(const tim::TimImage& sheet, uint32_t tpage, uint16_t clut) {
    TexelSource t;
    const int mode = static_cast<int>((tpage >> 7) & 3);
    t.page_x = static_cast<int>(tpage & 0xF) * 64;
    t.page_y = static_cast<int>((tpage >> 4) & 1) * 256;
    if (mode == 2) return t;
    t.word_shift = mode == 0 ? 2 : 1;
    t.index_bits = 16 >> t.word_shift;
    t.palette.assign(static_cast<size_t>(1) << t.index_bits, kNoColour);
    for (size_t index = 0; index < t.palette.size(); ++index) {
        uint16_t colour = 0;
        if (clut_word(sheet, (clut & 0x3F) * 16 + static_cast<int>(index), (clut >> 6) & 0x1FF, &colour))
            t.palette[index] = colour;
    }
    return t;
}

// The colour of texel u of the sheet's row `row` (words from the sheet's own top-left corner,
// known to be inside it), or kNoColour.
uint32_t row_texel(const tim::TimImage& sheet, const uint16_t* row, const TexelSource& t, int u) {
    const int x = t.page_x + (u >> t.word_shift) - sheet.image_x;
    if (x < 0 || x >= sheet.width_words) return kNoColour;
    const uint16_t word = row[x];
    if (t.palette.empty()) return word;
    const int index = (word >> (t.index_bits * (u & ((1 << t.word_shift) - 1)))) & ((1 << t.index_bits) - 1);
    return t.palette[static_cast<size_t>(index)];
}

}  // namespace

void draw_console_sprite(const tim::TimImage& sheet, const ConsoleFrame& f, std::vector<uint16_t>& base) {
    const FrameRecord& r = f.record;
    const int mode = static_cast<int>((f.tpage >> 7) & 3), semi = static_cast<int>((f.tpage >> 5) & 3);
    if (mode == 3 || base.size() < static_cast<size_t>(f.base_w) * f.base_h) return;
    const TexelSource source = texel_source(sheet, f.tpage, r.clut);
    const bool mirror_x = f.flips & kFlipLeftRight, mirror_y = f.flips & kFlipTopBottom;
    const int left = mirror_x ? f.base_w - r.correction_x - r.image_w : r.correction_x;
    const int top = mirror_y ? f.base_h - r.correction_y - r.image_h : r.correction_y;
    for (int j = 0; j < r.image_h; ++j) {
        const int y = top + j;
        if (y < 0 || y >= f.base_h) continue;
        const int v = (r.image_y + (mirror_y ? r.image_h - 1 - j : j)) & 0xFF;
        // A row the sheet does not cover, or does not hold whole, gives nothing to draw.
        const int sheet_row = source.page_y + v - sheet.image_y;
        if (sheet_row < 0 || sheet_row >= sheet.height ||
            (static_cast<size_t>(sheet_row) + 1) * static_cast<size_t>(sheet.width_words) >
                sheet.words.size())
            continue;
        const uint16_t* row = sheet.words.data() + static_cast<size_t>(sheet_row) * sheet.width_words;
        uint16_t* out = base.data() + static_cast<size_t>(y) * f.base_w;
        // The texels that land inside the base frame.
        const int first = std::max(0, -left), end = std::min<int>(r.image_w, f.base_w - left);
        for (int i = first; i < end; ++i) {
            const int x = left + i;
            const int u = (r.image_x + (mirror_x ? r.image_w - 1 - i : i)) & 0xFF;
            const uint32_t colour = row_texel(sheet, row, source, u);
            if (colour == kNoColour || colour == 0) continue;
            out[x] = colour & kStpBit ? blend_console_colours(out[x], static_cast<uint16_t>(colour), semi)
                                      : static_cast<uint16_t>(colour);
        }
    }
}

namespace {

// The DIB a console picture passes through on its way into a surface, kept from one picture to
// the next: a fresh one for every window of every tick cost its pages' faults and zeroing, a
// sixth of the heaviest tick.
struct PictureBitmap {
    HBITMAP dib = nullptr;
    uint32_t* bits = nullptr;
    int w = 0, h = 0;
};
PictureBitmap g_picture_bitmap;

uint32_t* picture_bitmap(int w, int h) {
    PictureBitmap& b = g_picture_bitmap;
    if (b.dib && b.w == w && b.h == h) return b.bits;
    release_console_picture_bitmap();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    b.dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!b.dib || !bits) {
        release_console_picture_bitmap();
        return nullptr;
    }
    b.bits = static_cast<uint32_t*>(bits);
    b.w = w;
    b.h = h;
    return b.bits;
}

}  // namespace

void release_console_picture_bitmap() {
    if (g_picture_bitmap.dib) DeleteObject(g_picture_bitmap.dib);
    g_picture_bitmap = PictureBitmap{};
}

void copy_console_picture_into_surface(LPDIRECTDRAWSURFACE surface, const std::vector<uint16_t>& picture,
                                       int w, int h) {
    if (!surface || w <= 0 || h <= 0 || picture.size() < static_cast<size_t>(w) * h) return;
    uint32_t* px = picture_bitmap(w, h);
    if (!px) return;
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
        const tim::Rgb c = tim::colour15(picture[i]);
        px[i] = static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 | c.b;
    }
    copy_bitmap_into_surface(surface, g_picture_bitmap.dib, w, h);
}
