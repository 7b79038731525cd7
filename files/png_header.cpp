#include "files/png_header.h"

#include <algorithm>
#include <cstring>

namespace png_file {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr size_t kIhdrLength = 13;
constexpr uint32_t kMaxSide = 0x7FFFFFFF;  // the format's own limit

uint32_t big_endian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

struct Chunk {
    char type[4];
    std::span<const uint8_t> data;
};

// The chunk at `at`, if the bytes hold all of it with its CRC; `at` moves past it.
bool next_chunk(std::span<const uint8_t> bytes, size_t& at, Chunk& chunk) {
    if (bytes.size() - at < 12) return false;
    const uint32_t length = big_endian32(bytes.data() + at);
    if (length > bytes.size() - at - 12) return false;
    std::memcpy(chunk.type, bytes.data() + at + 4, 4);
    chunk.data = bytes.subspan(at + 8, length);
    at += size_t{12} + length;
    return true;
}

bool is(const Chunk& c, const char* type) {
    return std::memcmp(c.type, type, 4) == 0;
}

// The bit depths the format allows for each colour type.
bool depth_allowed(int colour_type, int depth) {
    switch (colour_type) {
        case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case kColourTypePalette: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
        case 4:
        case 6: return depth == 8 || depth == 16;
        default: return false;
    }
}

bool read_ihdr(const Chunk& c, Header& h) {
    if (!is(c, "IHDR") || c.data.size() != kIhdrLength) return false;
    const uint8_t* d = c.data.data();
    h.width = big_endian32(d);
    h.height = big_endian32(d + 4);
    h.bit_depth = d[8];
    h.colour_type = d[9];
    h.interlaced = d[12] == 1;
    return h.width > 0 && h.height > 0 && h.width <= kMaxSide && h.height <= kMaxSide &&
           depth_allowed(h.colour_type, h.bit_depth) && d[10] == 0 && d[11] == 0 && d[12] <= 1;
}

bool read_plte(const Chunk& c, Header& h) {
    const size_t entries = c.data.size() / 3;
    if (c.data.size() % 3 != 0 || entries == 0 || entries > (size_t{1} << h.bit_depth) || !h.palette.empty())
        return false;
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t* rgb = c.data.data() + 3 * i;
        h.palette.push_back(0xFF000000u | (uint32_t{rgb[0]} << 16) | (uint32_t{rgb[1]} << 8) | rgb[2]);
    }
    return true;
}

// The alpha of the first entries; a tRNS longer than the palette, or before it, is broken.
bool read_trns(const Chunk& c, Header& h) {
    if (c.data.size() > h.palette.size()) return false;
    for (size_t i = 0; i < c.data.size(); ++i)
        h.palette[i] = (h.palette[i] & 0x00FFFFFFu) | (uint32_t{c.data[i]} << 24);
    return true;
}

HeaderResult broken() {
    HeaderResult r;
    r.error = HeaderError::Broken;
    return r;
}

}  // namespace

HeaderResult read_png_header(std::span<const uint8_t> bytes) {
    HeaderResult r;
    if (bytes.size() < sizeof kSignature || std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0) {
        r.error = HeaderError::NotPng;
        return r;
    }
    size_t at = sizeof kSignature;
    Chunk c;
    if (!next_chunk(bytes, at, c) || !read_ihdr(c, r.header)) return broken();
    const bool palette_image = r.header.colour_type == kColourTypePalette;
    bool pixels = false;
    while (next_chunk(bytes, at, c) && !is(c, "IEND")) {
        if (is(c, "IDAT")) {
            if (palette_image && r.header.palette.empty()) return broken();
            pixels = true;
            r.header.compressed_bytes += c.data.size();
        }
        if (pixels || !palette_image) continue;
        if (is(c, "PLTE") && !read_plte(c, r.header)) return broken();
        if (is(c, "tRNS") && !read_trns(c, r.header)) return broken();
    }
    return pixels ? r : broken();
}

uint64_t filtered_bytes(const Header& h) {
    // Beyond 2^20 pixels a side the count is not needed exactly; it stays clear of overflowing.
    constexpr uint32_t kCountedSide = 1u << 20;
    if (h.width > kCountedSide || h.height > kCountedSide) return UINT64_MAX / 2;
    const int channels = h.colour_type == 2 ? 3 : h.colour_type == 4 ? 2 : h.colour_type == 6 ? 4 : 1;
    const uint64_t bits = static_cast<uint64_t>(channels) * h.bit_depth;
    const auto pass = [&](uint64_t x0, uint64_t y0, uint64_t dx, uint64_t dy) -> uint64_t {
        const uint64_t w = h.width > x0 ? (h.width - x0 + dx - 1) / dx : 0;
        const uint64_t rows = h.height > y0 ? (h.height - y0 + dy - 1) / dy : 0;
        return w == 0 ? 0 : rows * (1 + (w * bits + 7) / 8);
    };
    if (!h.interlaced) return pass(0, 0, 1, 1);
    return pass(0, 0, 8, 8) + pass(4, 0, 8, 8) + pass(0, 4, 4, 8) + pass(2, 0, 4, 4) + pass(0, 2, 2, 4) +
           pass(1, 0, 2, 2) + pass(0, 1, 1, 2);
}

bool compressed_data_fits(const Header& h) {
    const uint64_t data = filtered_bytes(h);  // at most UINT64_MAX / 2, so that the sum holds
    return h.compressed_bytes <= data + data / 4 + 4096;
}

PaletteLookup::PaletteLookup(const std::vector<uint32_t>& palette) : palette_(palette) {
    for (size_t i = 0; i < palette.size(); ++i) exact_.emplace_back(palette[i], static_cast<int>(i));
    // Sorted by colour, then index: the first of equal colours is the lowest index.
    std::sort(exact_.begin(), exact_.end());
}

int PaletteLookup::index_of(uint32_t argb) const {
    const auto found = std::lower_bound(exact_.begin(), exact_.end(), std::make_pair(argb, 0));
    if (found != exact_.end() && found->first == argb) return found->second;
    int best = 0;
    uint32_t best_distance = UINT32_MAX;
    for (size_t i = 0; i < palette_.size(); ++i) {
        uint32_t distance = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            const int d =
                static_cast<int>((palette_[i] >> shift) & 0xFF) - static_cast<int>((argb >> shift) & 0xFF);
            distance += static_cast<uint32_t>(d * d);
        }
        if (distance < best_distance) {
            best_distance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

uint16_t rgb555_of(uint32_t argb) {
    if ((argb >> 24) < 0x80) return 0;
    const uint32_t r = (argb >> 19) & 0x1F, g = (argb >> 11) & 0x1F, b = (argb >> 3) & 0x1F;
    return static_cast<uint16_t>((r << 10) | (g << 5) | b);
}

}  // namespace png_file
