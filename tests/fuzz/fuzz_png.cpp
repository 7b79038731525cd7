// libFuzzer target for the PNG readers: the layer's decoder behind GDI+ and the program's own
// reading of a PNG's header and palette. Any bytes are refused by each or read into something
// self-consistent, never read or written out of bounds, and the two agree on what they share.
#include <cstddef>
#include <cstdint>
#include <span>

#include "files/png_header.h"
#include "gdi/png_decoder.h"
#include "tests/fuzz/reader_check.h"

namespace reader_check {

namespace {

// Far below the decoder's own limit: the fuzzer is after mistakes, not after memory.
constexpr uint64_t kFuzzPixelBytes = uint64_t{16} << 20;

const char* decoded_fault(const cw::gdi::DecodedPng& d) {
    const size_t rows = static_cast<size_t>(d.height);
    if (d.width <= 0 || d.height <= 0 || d.width > cw::gdi::kMaxPngSide || d.height > cw::gdi::kMaxPngSide)
        return "the decoded size is out of range";
    if (d.stride % 4 != 0 ||
        static_cast<int64_t>(d.stride) * 8 < static_cast<int64_t>(d.width) * d.bits_per_pixel() ||
        d.rows.size() != rows * static_cast<size_t>(d.stride))
        return "the rows do not match the decoded size";
    const bool indexed = d.bits_per_pixel() <= 8;
    if (indexed && (d.palette.empty() || d.palette.size() > (size_t{1} << d.bits_per_pixel())))
        return "an indexed bitmap has no palette, or more entries than its depth holds";
    if (d.palette.size() > 256) return "a palette of more than 256 entries";
    return nullptr;
}

const char* header_fault(const png_file::Header& h, size_t size) {
    if (h.width == 0 || h.height == 0) return "a header without a size";
    if (h.colour_type != png_file::kColourTypePalette && !h.palette.empty())
        return "a palette for a direct image";
    if (h.colour_type == png_file::kColourTypePalette &&
        (h.palette.empty() || h.palette.size() > (size_t{1} << h.bit_depth)))
        return "a palette that does not fit the depth";
    if (h.compressed_bytes > size) return "more compressed bytes than the file holds";
    if (!h.palette.empty()) {
        const png_file::PaletteLookup lookup(h.palette);
        for (uint32_t argb : {h.palette.front(), h.palette.back(), 0x80808080u, 0u})
            if (lookup.index_of(argb) < 0 || static_cast<size_t>(lookup.index_of(argb)) >= h.palette.size())
                return "a colour was looked up outside the palette";
    }
    return nullptr;
}

}  // namespace

Verdict check_png(std::span<const uint8_t> bytes) {
    cw::gdi::PngError error = cw::gdi::PngError::None;
    const auto decoded = cw::gdi::decode_png(bytes, &error, kFuzzPixelBytes);
    if (!decoded && error == cw::gdi::PngError::None) return fault(false, "refused without saying why");
    if (decoded && error != cw::gdi::PngError::None) return fault(true, "decoded and reported an error");
    if (decoded)
        if (const char* what = decoded_fault(*decoded)) return fault(true, what);
    const png_file::HeaderResult header = png_file::read_png_header(bytes);
    if (header.error == png_file::HeaderError::None) {
        if (const char* what = header_fault(header.header, bytes.size()))
            return fault(decoded.has_value(), what);
        if (decoded && (header.header.width != static_cast<uint32_t>(decoded->width) ||
                        header.header.height != static_cast<uint32_t>(decoded->height)))
            return fault(true, "the header and the decoder disagree on the size");
    }
    return decoded ? read() : refused();
}

}  // namespace reader_check

CELWRIGHT_FUZZ_TARGET(reader_check::check_png)
