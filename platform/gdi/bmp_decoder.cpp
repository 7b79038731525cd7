#include "gdi/bmp_decoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace cw::gdi {

namespace {

// Bounds-checked little-endian reads: every read of the file goes through here.
class Reader {
  public:
    explicit Reader(std::span<const uint8_t> b) : b_(b) {}
    size_t size() const { return b_.size(); }
    bool has(uint64_t offset, uint64_t count) const {
        return offset <= b_.size() && count <= b_.size() - offset;
    }
    uint16_t u16(size_t at) const { return static_cast<uint16_t>(b_[at] | b_[at + 1] << 8); }
    uint32_t u32(size_t at) const {
        return static_cast<uint32_t>(b_[at]) | static_cast<uint32_t>(b_[at + 1]) << 8 |
               static_cast<uint32_t>(b_[at + 2]) << 16 | static_cast<uint32_t>(b_[at + 3]) << 24;
    }
    int32_t i32(size_t at) const { return static_cast<int32_t>(u32(at)); }
    const uint8_t* at(size_t offset) const { return b_.data() + offset; }

  private:
    std::span<const uint8_t> b_;
};

struct Header {
    uint32_t size = 0;
    int64_t width = 0;
    int64_t height = 0;
    uint32_t planes = 0;
    uint32_t bit_count = 0;
    uint32_t compression = 0;
    uint32_t size_image = 0;
    uint32_t colors_used = 0;
    bool core = false;
};

bool contiguous(uint32_t mask) {
    if (mask == 0) return true;
    const uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

std::optional<DecodedBmp> fail(BmpError* error, BmpError why) {
    if (error) *error = why;
    return std::nullopt;
}

// Both RLE flavours: codes are byte pairs; rows run bottom-up. Pixels outside the image
// are dropped and pixels the data never reaches stay index 0. The data ends at the
// end-of-bitmap code, at the end of the bytes, or when it leaves the top of the image.
void decode_rle(const uint8_t* data, size_t size, bool four_bit, DecodedBmp* out) {
    const int w = out->width, h = out->row_count();
    auto put = [&](int x, int y, uint8_t index) {
        if (x < 0 || x >= w || y < 0 || y >= h) return;
        uint8_t* row = out->rows.data() + static_cast<size_t>(h - 1 - y) * out->stride;
        if (!four_bit) {
            row[x] = index;
        } else if (x & 1) {
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | (index & 0x0F));
        } else {
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | (index << 4));
        }
    };
    int x = 0, y = 0;
    size_t i = 0;
    while (i + 1 < size && y < h) {
        const uint8_t count = data[i], value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (int k = 0; k < count && x < w; ++k, ++x)
                put(x, y, four_bit ? static_cast<uint8_t>(k & 1 ? value & 0x0F : value >> 4) : value);
            continue;
        }
        switch (value) {
            case 0: x = 0, ++y; break;
            case 1: return;
            case 2:
                if (i + 1 >= size) return;
                x = std::min(x + data[i], w);
                y += data[i + 1];
                i += 2;
                break;
            default: {
                const size_t bytes = four_bit ? (value + 1u) / 2 : value;
                const size_t padded = (bytes + 1) & ~size_t{1};
                for (int k = 0; k < value; ++k) {
                    const size_t b = i + (four_bit ? k / 2 : k);
                    if (b >= size) return;
                    const uint8_t v =
                        four_bit ? static_cast<uint8_t>(k & 1 ? data[b] & 0x0F : data[b] >> 4) : data[b];
                    if (x < w) put(x++, y, v);
                }
                i += padded;
                break;
            }
        }
    }
}

}  // namespace

std::optional<DecodedBmp> decode_bmp(std::span<const uint8_t> bytes, BmpError* error) {
    if (error) *error = BmpError::None;
    const Reader r(bytes);
    if (!r.has(0, 18) || bytes[0] != 'B' || bytes[1] != 'M') return fail(error, BmpError::NotBmp);
    const uint32_t off_bits = r.u32(10);

    Header h;
    h.size = r.u32(14);
    if (h.size != 12 && h.size != 40 && h.size != 52 && h.size != 56 && h.size != 108 && h.size != 124)
        return fail(error, BmpError::BadHeader);
    if (!r.has(14, h.size)) return fail(error, BmpError::NotBmp);
    if (h.size == 12) {
        h.core = true;
        h.width = r.u16(18);
        h.height = r.u16(20);
        h.planes = r.u16(22);
        h.bit_count = r.u16(24);
    } else {
        h.width = r.i32(18);
        h.height = r.i32(22);
        h.planes = r.u16(26);
        h.bit_count = r.u16(28);
        h.compression = r.u32(30);
        h.size_image = r.u32(34);
        h.colors_used = r.u32(46);
    }
    if (h.planes != 1 || h.width <= 0 || h.height == 0) return fail(error, BmpError::BadHeader);
    const uint32_t bpp = h.bit_count;
    const bool top_down = h.height < 0;
    const int64_t abs_height = top_down ? -h.height : h.height;
    switch (h.compression) {
        case BI_RGB: break;
        case BI_RLE8:
            if (bpp != 8 || top_down) return fail(error, BmpError::Unsupported);
            break;
        case BI_RLE4:
            if (bpp != 4 || top_down) return fail(error, BmpError::Unsupported);
            break;
        case BI_BITFIELDS:
            if (bpp != 16 && bpp != 32) return fail(error, BmpError::Unsupported);
            break;
        default: return fail(error, BmpError::Unsupported);
    }
    if (h.core ? (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24)
               : (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32))
        return fail(error, BmpError::BadHeader);
    if (h.width > kMaxBmpDimension || abs_height > kMaxBmpDimension) return fail(error, BmpError::TooLarge);
    const uint64_t stride = (static_cast<uint64_t>(h.width) * bpp + 31) / 32 * 4;
    const uint64_t pixel_bytes = stride * static_cast<uint64_t>(abs_height);
    if (pixel_bytes > kMaxBmpPixelBytes) return fail(error, BmpError::TooLarge);

    DecodedBmp out;
    out.width = static_cast<int>(h.width);
    out.height = static_cast<int>(h.height);
    out.bit_count = static_cast<int>(bpp);
    out.stride = static_cast<int>(stride);

    // Bit fields: after a 40-byte header they follow it; larger headers hold them.
    uint64_t table_at = 14 + static_cast<uint64_t>(h.size);
    if (bpp == 16 || bpp == 32) {
        if (h.compression == BI_BITFIELDS) {
            if (h.size == 40) {
                if (!r.has(54, 12)) return fail(error, BmpError::Truncated);
                table_at += 12;
            }
            for (int c = 0; c < 3; ++c) out.masks[c] = r.u32(54 + 4 * c);
            if (h.size >= 56) out.masks[3] = r.u32(66);
        } else if (bpp == 16) {
            out.masks[0] = 0x7C00, out.masks[1] = 0x03E0, out.masks[2] = 0x001F;
        } else {
            out.masks[0] = 0xFF0000, out.masks[1] = 0x00FF00, out.masks[2] = 0x0000FF;
        }
        const uint32_t limit = bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        uint32_t seen = 0;
        for (uint32_t m : out.masks) {
            if ((m & ~limit) || !contiguous(m) || (seen & m)) return fail(error, BmpError::BadHeader);
            seen |= m;
        }
    }

    if (bpp <= 8) {
        const uint32_t full = 1u << bpp;
        const uint32_t count = h.core || h.colors_used == 0 || h.colors_used > full ? full : h.colors_used;
        const uint32_t entry = h.core ? 3 : 4;
        if (!r.has(table_at, static_cast<uint64_t>(count) * entry)) return fail(error, BmpError::Truncated);
        out.colors.assign(full, RGBQUAD{0, 0, 0, 0});
        for (uint32_t i = 0; i < count; ++i) {
            const uint8_t* e = r.at(static_cast<size_t>(table_at + i * entry));
            out.colors[i] = RGBQUAD{e[0], e[1], e[2], 0};
        }
        table_at += static_cast<uint64_t>(count) * entry;
    }

    // The pixels start where the file header says; a file that leaves the offset 0
    // has them right after the colour table.
    const uint64_t pixels_at = off_bits != 0 ? off_bits : table_at;
    if (pixels_at > r.size()) return fail(error, BmpError::Truncated);
    const size_t available = r.size() - static_cast<size_t>(pixels_at);
    const bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
    // Uncompressed rows must all be there (the last row without its padding); a file too
    // short for them is refused before room is made for them, which can be 256 MB.
    const uint64_t last_row = (static_cast<uint64_t>(h.width) * bpp + 7) / 8;
    if (!rle && static_cast<uint64_t>(available) < pixel_bytes - stride + last_row)
        return fail(error, BmpError::Truncated);
    out.rows.assign(static_cast<size_t>(pixel_bytes), 0);

    if (rle) {
        const size_t size = h.size_image != 0 && h.size_image < available ? h.size_image : available;
        decode_rle(r.at(static_cast<size_t>(pixels_at)), size, h.compression == BI_RLE4, &out);
        return out;
    }
    const uint8_t* src = r.at(static_cast<size_t>(pixels_at));
    const size_t rows = static_cast<size_t>(abs_height);
    for (size_t y = 0; y < rows; ++y) {
        const size_t from = (top_down ? y : rows - 1 - y) * static_cast<size_t>(stride);
        const size_t n = std::min<size_t>(static_cast<size_t>(stride), available - from);
        std::memcpy(out.rows.data() + y * static_cast<size_t>(stride), src + from, n);
    }
    return out;
}

}  // namespace cw::gdi
