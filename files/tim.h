// TIM images: the console's frame-buffer picture format. The decoder is a pure
// function over the file's bytes so that it can be tested and fuzzed without any
// window or surface; the loader turns its result into the working image.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tim {

// Why a file was refused. Every refusal leaves the program unchanged.
enum class TimError {
    None,
    Truncated,        // the file ends inside a header, the CLUT row or the pixel rows
    UnsupportedMode,  // pixel mode 4..7: no conversion exists for them
    ClutTooLarge,     // a CLUT row of more than 256 entries does not fit a DIB colour table
    PixelsShort,      // the pixel block's own length is shorter than its rows
    EmptyImage,       // zero pixels wide or high
    TooLarge,         // wider or higher than 256 pixels: frame records hold one byte per axis
};

inline constexpr int kMaxClutEntries = 256;
inline constexpr int kMaxImageSide = 256;

inline constexpr int kFrameBufferWidth = 1024;  // 16-bit words
inline constexpr int kFrameBufferHeight = 512;  // lines

struct TimImage {
    int mode = 0;                       // 0 4-bit CLUT, 1 8-bit CLUT, 2 15-bit direct, 3 24-bit direct
    int width = 0;                      // pixels
    int height = 0;                     // rows
    uint16_t image_x = 0, image_y = 0;  // frame-buffer position of the picture
    bool has_clut = false;
    uint16_t clut_x = 0, clut_y = 0;
    int clut_entries = 0;
    // What the file puts into the frame buffer, word for word: the picture's width there,
    // every CLUT row with the STP bits (bit 15) and the pixel block as stored. The console
    // reads these, not the DIB below, so its own view of the picture (transparent and
    // semi-transparent texels, the indices, the places) is checked and drawn from them.
    // encode_tim writes a file from these fields and the places above alone.
    uint16_t width_words = 0;
    int clut_rows = 0;            // rows of the CLUT block kept (0 without one)
    std::vector<uint16_t> clut;   // clut_entries x clut_rows entries, first row first
    std::vector<uint16_t> words;  // width_words x height words, top row first
    // The DIB the pixels become: top-down rows of `stride` bytes (padded to 4),
    // bits_per_pixel 4, 8 or 24, and the colour table as blue, green, red, 0 quads.
    int bits_per_pixel = 0;
    int stride = 0;
    std::vector<uint8_t> colour_table;  // 4 bytes per CLUT entry
    std::vector<uint8_t> bits;          // stride * height bytes
    uint32_t tpage = 0;
    uint16_t clut_attribute = 0;
};

struct TimResult {
    TimError error = TimError::None;
    TimImage image;
};

// Texture-page word for a picture at (x, y) in the given pixel mode; the
// semi-transparency bits stay 0.
constexpr uint32_t tim_tpage(uint16_t x, uint16_t y, int mode) {
    return ((x >> 6) & 0xFu) | (((y >> 8) & 1u) << 4) | (static_cast<uint32_t>(mode) << 7);
}

// CLUT attribute of a CLUT at (x, y), in the frame record's format.
constexpr uint16_t tim_clut_attribute(uint16_t x, uint16_t y) {
    return static_cast<uint16_t>(((x >> 4) & 0x3Fu) | (static_cast<uint32_t>(y) << 6));
}

// A 15-bit colour (bits 0-4 red, 5-9 green, 10-14 blue) as 8-bit channels.
struct Rgb {
    uint8_t r, g, b;
};
constexpr Rgb colour15(uint16_t c) {
    return Rgb{static_cast<uint8_t>((c & 0x1F) << 3), static_cast<uint8_t>(((c >> 5) & 0x1F) << 3),
               static_cast<uint8_t>(((c >> 10) & 0x1F) << 3)};
}
// And back: the colour 0x00RRGGBB as a 15-bit word, each channel cut to its top five bits
// (the STP bit clear).
constexpr uint16_t colour15_of(uint32_t rgb) {
    return static_cast<uint16_t>(((rgb >> 19) & 0x1F) | ((rgb >> 11) & 0x1F) << 5 |
                                 ((rgb >> 3) & 0x1F) << 10);
}

// Pixel width a pixel block of width_words 16-bit units has in the given mode
// (0..3); the 24-bit mode packs two pixels into three words.
constexpr int tim_pixel_width(int mode, int width_words) {
    switch (mode) {
        case 0: return width_words * 4;
        case 1: return width_words * 2;
        case 2: return width_words;
        case 3: return (width_words / 3) * 2;
    }
    return 0;
}

// Texel x of row y as the frame buffer holds it in the picture's own mode: the CLUT
// index (modes 0 and 1) or the stored colour word with its STP bit (mode 2). 0 for a
// texel outside the picture and for mode 3, whose pixels are no sprite texels.
uint16_t tim_texel(const TimImage& img, int x, int y);

// Decodes a whole TIM file. The fields are read in file order: the file header,
// the CLUT block when flags bit 3 says there is one (its first row is the colour
// table; further rows are skipped by the block length), then the pixel block,
// whose rows follow each other with no padding: width_words * 2 bytes each in
// every mode. A pixel block shorter than its rows is refused.
TimResult decode_tim(std::span<const uint8_t> file);

// The TIM file of a picture: its mode, places, width_words, height, CLUT rows and words
// (the DIB fields are not read). The same picture gives the same bytes every time, and
// decode_tim gives the picture back.
std::vector<uint8_t> encode_tim(const TimImage& img);

}  // namespace tim
