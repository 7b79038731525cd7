// A sprite sheet as the console's frame buffer would hold it: the 16-bit words of a TIM
// file, made from any decoded picture (a BMP, or whatever decode_image_file reads) in
// the 4-bit, 8-bit or 15-bit mode. The tool writes TIM files from it, and the console
// preview draws a sheet without a place (a BMP) from it as a TIM would bring it.
//
// Colours become words as the console has them: 5 bits a channel (the low 3 bits of
// each 8-bit channel go), bit 15 the STP bit. Black needs care, because the console
// never draws the word 0x0000:
//   - black (0, 0, 0) is 0x0000, transparent, or with BlackTexels::Opaque 0x8000, the one
//     black that is drawn (its STP bit set, so a semi-transparent draw blends it);
//   - another colour too dark for 5 bits a channel (each channel below 8) would become
//     0x0000 and vanish; it is drawn, so it is written 0x8000 as well;
//   - StpBits::NonBlack sets the STP bit on every other colour, StpBits::All on black too,
//     which makes black drawn (0x8000) whatever BlackTexels says, StpBits::None on none.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "files/image_decoding.h"
#include "files/tim.h"

enum class BlackTexels { Transparent, Opaque };
enum class StpBits { None, NonBlack, All };

struct ConsoleColours {
    BlackTexels black = BlackTexels::Transparent;
    StpBits stp = StpBits::None;
};

// The console's word for the colour 0x00RRGGBB.
uint16_t console_word(uint32_t rgb, const ConsoleColours& colours);

// A decoded picture's pixels as GDI holds them: indices and the colour table for a
// picture of 8 bits per pixel or fewer, colours otherwise.
struct SheetPixels {
    int width = 0, height = 0;
    bool indexed = false;
    std::vector<uint8_t> indices;   // indexed: one a pixel, top row first
    std::vector<uint32_t> palette;  // indexed: the colour table in its own order, 0x00RRGGBB
    std::vector<uint32_t> rgb;      // otherwise: 0x00RRGGBB a pixel, top row first
};
// The pixels of a bitmap (a DIB section keeps its indices and colour table; any other
// bitmap is read as colours). Empty (width 0) when the bitmap cannot be read.
SheetPixels read_sheet_pixels(HBITMAP bitmap);

// Where and how the sheet is to stand in the frame buffer.
struct SheetConversion {
    int mode = 0;                     // 0 4-bit CLUT, 1 8-bit CLUT, 2 15-bit direct
    uint16_t x = 0, y = 0;            // the picture's place (words, lines)
    uint16_t clut_x = 0, clut_y = 0;  // the CLUT's (modes 0 and 1)
    ConsoleColours colours;
};

enum class ConversionProblem {
    None,
    TooManyColours,  // the mode's CLUT holds 16 or 256 colours; the picture needs more
    NoSuchMode,      // mode is not 0, 1 or 2
    NoPixels,
};

struct Conversion {
    ConversionProblem problem = ConversionProblem::None;
    int colours_needed = 0;  // TooManyColours: distinct words, or the highest index used plus one
    int colours_held = 0;    // TooManyColours: what the mode's CLUT holds
    // The frame-buffer fields of a TIM (mode, places, width_words, height, CLUT, words); the
    // DIB fields stay empty. An indexed picture keeps its palette order: index i stays i and
    // CLUT entry i is colour table entry i. Other pictures take their words in the order they
    // first appear, the transparent 0x0000 first. The CLUT is one row of 16 (4-bit) or 256
    // (8-bit) entries, the rest 0x0000. A width that does not fill its last word is padded
    // on the right with texel 0.
    tim::TimImage image;
};
Conversion convert_sheet(const SheetPixels& pixels, const SheetConversion& how);

// The sheet the console would draw for a decoded image: a TIM's own words, or for a
// picture without a place its conversion (4- and 8-bit pictures keep their indices,
// deeper ones become 15-bit words, black transparent, no STP bits), placed at the
// corner of the page tpage names with its CLUT where clut_attribute points. drawable is
// false when a picture without a place has no mode the console draws sprites in (24 or
// 32 bits per pixel) or cannot be read.
struct ConsoleSheet {
    bool drawable = false;
    tim::TimImage image;
};
ConsoleSheet console_sheet_of(const DecodedImage& decoded, uint32_t tpage, uint16_t clut_attribute);

// What of a decoded image the console's view needs once its bitmap is gone: the editor keeps it
// for as long as the image is its working image, to check the sheet's place and to draw the
// console preview wherever tpage and the CLUT attribute are set later.
struct SheetSource {
    bool loaded = false;
    int colour_mode = -1;  // as frame_buffer::Sheet has it
    int width = 0, height = 0;
    bool placed = false;
    tim::TimImage frame_buffer;  // a TIM's words, when placed
    SheetPixels pixels;          // the picture's pixels, when not
};
SheetSource sheet_source_of(const DecodedImage& decoded);
ConsoleSheet console_sheet_of(const SheetSource& source, uint32_t tpage, uint16_t clut_attribute);
