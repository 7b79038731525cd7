// The system bitmap loader's decoder: BMP file bytes to an uncompressed DIB.
//
// Reads what a system loader reads: core (12-byte), info (40), V2/V3 (52/56), V4 (108)
// and V5 (124) headers; 1, 2, 4, 8, 16, 24 and 32 bits per pixel; BI_RGB, BI_BITFIELDS,
// BI_RLE8 and BI_RLE4; bottom-up and top-down rows. Everything else is refused, and no
// input makes it read outside the given bytes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace cw::gdi {

// Limits a file may not exceed, whatever its header says.
inline constexpr int kMaxBmpDimension = 16384;
inline constexpr uint64_t kMaxBmpPixelBytes = 256ull << 20;

struct DecodedBmp {
    int width = 0;
    int height = 0;     // as in the header: negative for a top-down file
    int bit_count = 0;  // RLE files come out uncompressed at 8 or 4 bits
    // The colour table, always 1 << bit_count entries for bit_count <= 8 (entries the
    // file does not give are black), empty otherwise.
    std::vector<RGBQUAD> colors;
    // Red, green, blue and alpha masks of a 16- or 32-bit pixel (the implied 5-5-5 and
    // 8-8-8 masks of BI_RGB files); 0 for other depths.
    uint32_t masks[4] = {0, 0, 0, 0};
    int stride = 0;             // bytes per row, padded to a multiple of 4 as in a DIB
    std::vector<uint8_t> rows;  // |height| rows of stride bytes, the top row first

    int row_count() const { return height < 0 ? -height : height; }
};

enum class BmpError {
    None,
    NotBmp,       // no "BM" signature or too short for the headers
    BadHeader,    // header size, planes, dimensions or bit count not readable
    Unsupported,  // a compression or combination no system loader reads
    TooLarge,     // beyond kMaxBmpDimension or kMaxBmpPixelBytes
    Truncated,    // colour table or pixel data cut short
};

std::optional<DecodedBmp> decode_bmp(std::span<const uint8_t> bytes, BmpError* error = nullptr);

}  // namespace cw::gdi
