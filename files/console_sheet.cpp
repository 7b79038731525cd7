#include "files/console_sheet.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr uint16_t kTransparent = 0x0000;
constexpr uint16_t kDrawnBlack = 0x8000;  // black with the STP bit, the one black the console draws
constexpr uint16_t kStpBit = 0x8000;

int clut_size(int mode) {
    return mode == 0 ? 16 : 256;
}

int texels_per_word(int mode) {
    return mode == 0 ? 4 : mode == 1 ? 2 : 1;
}

uint32_t rgb_of(const RGBQUAD& q) {
    return static_cast<uint32_t>(q.rgbRed) << 16 | static_cast<uint32_t>(q.rgbGreen) << 8 | q.rgbBlue;
}

// The indices of the section's rows, top row first, read in the given row order.
std::vector<uint8_t> indices_of(const DIBSECTION& ds, int w, int h, bool top_down) {
    std::vector<uint8_t> out;
    const int bpp = ds.dsBm.bmBitsPixel;
    const size_t stride = (static_cast<size_t>(w) * bpp + 31) / 32 * 4;
    const auto* bits = static_cast<const uint8_t*>(ds.dsBm.bmBits);
    out.reserve(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = bits + stride * static_cast<size_t>(top_down ? y : h - 1 - y);
        for (int x = 0; x < w; ++x) {
            const size_t bit = static_cast<size_t>(x) * bpp;
            const int shift = 8 - bpp - static_cast<int>(bit % 8);
            out.push_back(static_cast<uint8_t>((row[bit / 8] >> shift) & ((1 << bpp) - 1)));
        }
    }
    return out;
}

// Whether the indices show what GDI shows of the bitmap (selected into dc) pixel for pixel.
bool shows_as_gdi(HDC dc, const SheetPixels& px) {
    for (int y = 0; y < px.height; ++y)
        for (int x = 0; x < px.width; ++x) {
            const uint8_t i = px.indices[static_cast<size_t>(y) * px.width + x];
            const uint32_t c = i < px.palette.size() ? px.palette[i] : 0;
            const COLORREF shown = GetPixel(dc, x, y);
            if (RGB(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF) != shown) return false;
        }
    return true;
}

// The indices straight from the section's bits and its colour table through GDI, so that
// the palette order is the file's. Which way the rows run is taken from what GDI shows
// of them, which does not depend on how the section's header reports its height.
SheetPixels read_indexed(HBITMAP bitmap, const DIBSECTION& ds, int w, int h) {
    SheetPixels px;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    if (previous) {
        RGBQUAD table[256] = {};
        const UINT entries = GetDIBColorTable(dc, 0, 256, table);
        px.width = w;
        px.height = h;
        px.indexed = true;
        for (UINT i = 0; i < entries; ++i) px.palette.push_back(rgb_of(table[i]));
        const bool top_down = ds.dsBmih.biHeight < 0;
        px.indices = indices_of(ds, w, h, top_down);
        if (!shows_as_gdi(dc, px)) {
            px.indices = indices_of(ds, w, h, !top_down);
            if (!shows_as_gdi(dc, px)) px = SheetPixels{};
        }
        SelectObject(dc, previous);
    }
    DeleteDC(dc);
    return px;
}

// Any other bitmap, copied by GDI into a top-down 32-bit section.
SheetPixels read_colours(HBITMAP bitmap, int w, int h) {
    SheetPixels px;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) DeleteObject(dib);
        return px;
    }
    HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
    HGDIOBJ previous_from = SelectObject(from, bitmap), previous_to = SelectObject(to, dib);
    const bool copied = previous_from && previous_to && BitBlt(to, 0, 0, w, h, from, 0, 0, SRCCOPY);
    if (previous_from) SelectObject(from, previous_from);
    if (previous_to) SelectObject(to, previous_to);
    DeleteDC(from);
    DeleteDC(to);
    if (copied) {
        px.width = w;
        px.height = h;
        const auto* p = static_cast<const uint32_t*>(bits);
        px.rgb.assign(p, p + static_cast<size_t>(w) * h);
        for (uint32_t& c : px.rgb) c &= 0xFFFFFF;
    }
    DeleteObject(dib);
    return px;
}

uint32_t colour_at(const SheetPixels& px, size_t i) {
    if (!px.indexed) return px.rgb[i];
    const uint8_t index = px.indices[i];
    return index < px.palette.size() ? px.palette[index] : 0;
}

// The texel of every pixel (an index, or a 15-bit word) and the CLUT for the indices;
// false when the mode's CLUT cannot hold the colours.
bool texels_and_clut(const SheetPixels& px, const SheetConversion& how, std::vector<uint16_t>& texels,
                     Conversion& c) {
    const size_t n = static_cast<size_t>(px.width) * px.height;
    texels.resize(n);
    if (how.mode == 2) {
        for (size_t i = 0; i < n; ++i) texels[i] = console_word(colour_at(px, i), how.colours);
        return true;
    }
    const int held = clut_size(how.mode);
    std::vector<uint16_t> clut;
    if (px.indexed) {
        const int highest = px.indices.empty() ? 0 : *std::max_element(px.indices.begin(), px.indices.end());
        c.colours_needed = highest + 1;
        for (int i = 0; i < held && i < static_cast<int>(px.palette.size()); ++i)
            clut.push_back(console_word(px.palette[i], how.colours));
        std::copy(px.indices.begin(), px.indices.end(), texels.begin());
    } else {
        std::unordered_map<uint16_t, uint16_t> index;
        for (size_t i = 0; i < n; ++i)
            if (console_word(px.rgb[i], how.colours) == kTransparent) {
                index.emplace(kTransparent, 0);
                clut.push_back(kTransparent);
                break;
            }
        for (size_t i = 0; i < n; ++i) {
            const uint16_t word = console_word(px.rgb[i], how.colours);
            const auto [at, added] = index.try_emplace(word, static_cast<uint16_t>(clut.size()));
            if (added) clut.push_back(word);
            texels[i] = at->second;
        }
        c.colours_needed = static_cast<int>(clut.size());
    }
    if (c.colours_needed > held) {
        c.problem = ConversionProblem::TooManyColours;
        c.colours_held = held;
        return false;
    }
    clut.resize(static_cast<size_t>(held), kTransparent);
    c.image.has_clut = true;
    c.image.clut_x = how.clut_x;
    c.image.clut_y = how.clut_y;
    c.image.clut_entries = held;
    c.image.clut_rows = 1;
    c.image.clut = std::move(clut);
    return true;
}

}  // namespace

uint16_t console_word(uint32_t rgb, const ConsoleColours& colours) {
    rgb &= 0xFFFFFF;
    if (rgb == 0)
        return colours.black == BlackTexels::Opaque || colours.stp == StpBits::All ? kDrawnBlack
                                                                                   : kTransparent;
    const uint16_t word = tim::colour15_of(rgb);
    if (word == 0) return kDrawnBlack;  // too dark for 15 bits, yet not black: drawn, not transparent
    return colours.stp == StpBits::None ? word : static_cast<uint16_t>(word | kStpBit);
}

SheetPixels read_sheet_pixels(HBITMAP bitmap) {
    DIBSECTION ds{};
    const int got = bitmap ? GetObjectA(bitmap, sizeof ds, &ds) : 0;
    if (got < static_cast<int>(sizeof(BITMAP))) return SheetPixels{};
    const int w = ds.dsBm.bmWidth, h = ds.dsBm.bmHeight < 0 ? -ds.dsBm.bmHeight : ds.dsBm.bmHeight;
    if (w <= 0 || h <= 0) return SheetPixels{};
    if (got == static_cast<int>(sizeof ds) && ds.dsBm.bmBitsPixel <= 8 && ds.dsBm.bmBits) {
        SheetPixels indexed = read_indexed(bitmap, ds, w, h);
        if (indexed.width != 0) return indexed;
    }
    return read_colours(bitmap, w, h);
}

Conversion convert_sheet(const SheetPixels& px, const SheetConversion& how) {
    Conversion c;
    if (how.mode < 0 || how.mode > 2) {
        c.problem = ConversionProblem::NoSuchMode;
        return c;
    }
    if (px.width <= 0 || px.height <= 0) {
        c.problem = ConversionProblem::NoPixels;
        return c;
    }
    std::vector<uint16_t> texels;
    if (!texels_and_clut(px, how, texels, c)) return c;
    tim::TimImage& img = c.image;
    const int per_word = texels_per_word(how.mode), bits = 16 / per_word;
    img.mode = how.mode;
    img.image_x = how.x;
    img.image_y = how.y;
    img.width_words = static_cast<uint16_t>((px.width + per_word - 1) / per_word);
    img.width = tim::tim_pixel_width(how.mode, img.width_words);
    img.height = px.height;
    img.words.assign(static_cast<size_t>(img.width_words) * img.height, 0);
    for (int y = 0; y < px.height; ++y)
        for (int x = 0; x < px.width; ++x) {
            const uint16_t t = texels[static_cast<size_t>(y) * px.width + x];
            img.words[static_cast<size_t>(y) * img.width_words + x / per_word] |=
                static_cast<uint16_t>(t << (bits * (x % per_word)));
        }
    return c;
}

namespace {

ConsoleSheet converted_sheet(const SheetPixels& pixels, uint32_t tpage, uint16_t clut_attribute) {
    ConsoleSheet s;
    SheetConversion how;
    how.mode = static_cast<int>((tpage >> 7) & 3);
    how.x = static_cast<uint16_t>((tpage & 0xF) * 64);
    how.y = static_cast<uint16_t>(((tpage >> 4) & 1) * 256);
    how.clut_x = static_cast<uint16_t>((clut_attribute & 0x3F) * 16);
    how.clut_y = static_cast<uint16_t>((clut_attribute >> 6) & 0x1FF);
    Conversion c = convert_sheet(pixels, how);
    if (c.problem != ConversionProblem::None) return s;
    s.image = std::move(c.image);
    s.drawable = true;
    return s;
}

}  // namespace

ConsoleSheet console_sheet_of(const DecodedImage& decoded, uint32_t tpage, uint16_t clut_attribute) {
    if (decoded.placed) return ConsoleSheet{true, decoded.frame_buffer};
    return converted_sheet(read_sheet_pixels(decoded.bitmap), tpage, clut_attribute);
}

SheetSource sheet_source_of(const DecodedImage& decoded) {
    SheetSource s;
    s.loaded = true;
    s.colour_mode =
        decoded.placed ? decoded.frame_buffer.mode : colour_mode_for_depth(decoded.bits_per_pixel);
    s.width = decoded.width;
    s.height = decoded.height;
    s.placed = decoded.placed;
    if (decoded.placed)
        s.frame_buffer = decoded.frame_buffer;
    else
        s.pixels = read_sheet_pixels(decoded.bitmap);
    return s;
}

ConsoleSheet console_sheet_of(const SheetSource& source, uint32_t tpage, uint16_t clut_attribute) {
    if (!source.loaded) return ConsoleSheet{};
    if (source.placed) return ConsoleSheet{true, source.frame_buffer};
    return converted_sheet(source.pixels, tpage, clut_attribute);
}
