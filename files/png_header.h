// What the program reads of a PNG file itself: the header chunk and, for a palette image,
// the palette with the alpha of each entry. The pixels come from the system's decoder
// (GDI+), which hands a palette image out indexed only while it has no tRNS chunk and is not
// of 2 bits per pixel; otherwise it gives 32-bit ARGB colours, and the palette read here is
// what turns them back into the file's indices.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace png_file {

inline constexpr int kColourTypePalette = 3;

enum class HeaderError {
    None,
    NotPng,  // no PNG signature
    Broken,  // no readable header chunk, a palette that does not fit, or no pixel data
};

struct Header {
    uint32_t width = 0;
    uint32_t height = 0;
    int bit_depth = 0;
    int colour_type = 0;
    bool interlaced = false;
    // A palette image's palette as 0xAARRGGBB, in the file's order, each entry's alpha from
    // the tRNS chunk (0xFF where it gives none). Empty for the other colour types.
    std::vector<uint32_t> palette;
    // The compressed pixel data: the bytes of all its IDAT chunks.
    uint64_t compressed_bytes = 0;
};

struct HeaderResult {
    HeaderError error = HeaderError::None;
    Header header;
};

// Walks the chunks from the signature to IEND or the end of the bytes; the header and the
// palette count before the first pixel data chunk (IDAT), which must be there. No chunk's CRC
// is checked (the decoder does).
HeaderResult read_png_header(std::span<const uint8_t> bytes);

// The bytes the pixel data inflates to: every row (of every pass, when interlaced) with its
// filter byte.
uint64_t filtered_bytes(const Header& h);

// Whether the compressed pixel data is no larger than an encoder can make it: a quarter more
// than the data it holds, and 4 KB. Inflating more than that only ever produces data past the
// image, which a decoder spends its time on for nothing (a decompression bomb).
bool compressed_data_fits(const Header& h);

// The index of the palette entry a decoded ARGB colour stands for: the first entry of exactly
// that colour and alpha, else the nearest one (smallest squared distance over alpha, red,
// green and blue, the lowest index among equals), for a decoder that corrected the colours.
// The palette must not be empty.
class PaletteLookup {
  public:
    explicit PaletteLookup(const std::vector<uint32_t>& palette);
    int index_of(uint32_t argb) const;

  private:
    std::vector<uint32_t> palette_;
    std::vector<std::pair<uint32_t, int>> exact_;  // colour and its first index, by colour
};

// A direct colour as the 15-bit colour mode holds it in a 16-bit 5-5-5 DIB: each channel's top
// five bits. A pixel less than half opaque becomes 0, the transparent pixel value of the
// working image and of the target's direct colour modes.
uint16_t rgb555_of(uint32_t argb);

}  // namespace png_file
