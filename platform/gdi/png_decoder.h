// GDI+'s PNG decoder: PNG file bytes to a bitmap of the pixel format GDI+ gives the file,
// read with libpng.
//
// The formats follow the system's: a palette image of 1, 4 or 8 bits per pixel stays
// indexed, with the file's palette in its order; so does a black-and-white image of 1 bit.
// Every other image, and every image with a tRNS chunk (a palette with alpha, or a colour
// made transparent), comes out as 32-bit ARGB, except 8-bit RGB without tRNS, which is
// 24-bit RGB. Sixteen-bit channels keep their high byte; interlaced files decode to the
// same formats as the others. No gamma or colour profile is applied. Everything else is
// refused, and no input makes it read outside the given bytes; more compressed pixel data
// than any encoder makes of the image (a decompression bomb) is refused before inflating.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace cw::gdi {

// The GDI+ pixel formats the decoder gives (their values in gdiplus.h).
enum class PngPixels { Indexed1, Indexed4, Indexed8, Rgb24, Argb32 };

struct DecodedPng {
    int width = 0;
    int height = 0;
    PngPixels pixels = PngPixels::Argb32;
    // The palette as ARGB values (0xAARRGGBB), in the file's order, with as many entries as
    // the file gives, each with the alpha of its tRNS chunk: an indexed bitmap's, and the one
    // an ARGB bitmap keeps of a palette file. Empty for the others.
    std::vector<uint32_t> palette;
    bool grey_palette = false;  // the two entries of a black-and-white image
    // Bytes per row (padded to a multiple of 4, as GDI+ lays out its bitmaps) and the rows,
    // the top one first: indices packed from the high bits, B G R, or B G R A.
    int stride = 0;
    std::vector<uint8_t> rows;

    int bits_per_pixel() const;
};

enum class PngError {
    None,
    NotPng,    // no PNG signature
    Corrupt,   // anything libpng refuses (a bad header, a broken or short stream, bad CRCs),
               // and far more compressed data than the image holds
    TooLarge,  // more pixel bytes than max_pixel_bytes, or a side beyond 16384 pixels
};

inline constexpr int kMaxPngSide = 16384;

std::optional<DecodedPng> decode_png(std::span<const uint8_t> bytes, PngError* error = nullptr,
                                     uint64_t max_pixel_bytes = uint64_t{256} << 20);

}  // namespace cw::gdi
