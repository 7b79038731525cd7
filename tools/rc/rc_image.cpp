// .ico and .cur files: the icon directory, then the DIB of the 32x32 entry (BITMAPINFOHEADER,
// colour table, XOR bitmap, AND mask), decoded to ARGB. Every read is bounds-checked.
#include <cstring>

#include "rc_script.h"

namespace cw::rc {
namespace {

constexpr int kSize = 32;

uint16_t u16(std::string_view b, size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}
uint32_t u32(std::string_view b, size_t at) {
    return u16(b, at) | static_cast<uint32_t>(u16(b, at + 2)) << 16;
}
int32_t i32(std::string_view b, size_t at) {
    return static_cast<int32_t>(u32(b, at));
}

struct Entry {
    std::string_view data;  // the entry's bytes inside the file
    int hotspot_x = 0, hotspot_y = 0;
};

struct Dib {
    uint32_t header_size;
    int bit_count;
    uint32_t colors_used;
};

bool read_dib_header(std::string_view data, Dib& dib, std::string& error) {
    if (data.size() < 40) {
        error = "the 32x32 image is truncated";
        return false;
    }
    dib.header_size = u32(data, 0);
    const int32_t width = i32(data, 4), height = i32(data, 8);
    const uint16_t planes = u16(data, 12);
    dib.bit_count = u16(data, 14);
    const uint32_t compression = u32(data, 16);
    dib.colors_used = u32(data, 32);
    if (dib.header_size < 40 || dib.header_size > data.size()) {
        error = "the 32x32 image has an unknown bitmap header";
        return false;
    }
    if (width != kSize || height != 2 * kSize || planes != 1) {
        error = "the 32x32 entry does not hold a 32x32 bitmap with its mask";
        return false;
    }
    if (compression != 0) {
        error = "the 32x32 image is compressed; only uncompressed bitmaps are read";
        return false;
    }
    switch (dib.bit_count) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32: break;
        default: error = "the 32x32 image has an unsupported depth"; return false;
    }
    if (dib.bit_count <= 8 && dib.colors_used > (1u << dib.bit_count)) {
        error = "the 32x32 image has too many palette colours";
        return false;
    }
    return true;
}

bool decode_dib(std::string_view data, const Dib& dib, std::vector<uint32_t>& argb, std::string& error) {
    const size_t palette_count =
        dib.bit_count <= 8 ? (dib.colors_used ? dib.colors_used : (1u << dib.bit_count)) : 0;
    const size_t palette_at = dib.header_size;
    const size_t xor_stride = (kSize * dib.bit_count + 31) / 32 * 4;
    const size_t and_stride = (kSize + 31) / 32 * 4;
    const size_t xor_at = palette_at + palette_count * 4;
    const size_t and_at = xor_at + xor_stride * kSize;
    if (and_at + and_stride * kSize > data.size()) {
        error = "the 32x32 image is truncated";
        return false;
    }
    std::vector<uint32_t> colour(kSize * kSize);
    std::vector<bool> masked(kSize * kSize);
    bool any_alpha = false;
    for (int row = 0; row < kSize; ++row) {
        const int y = kSize - 1 - row;  // bottom-up
        const size_t line = xor_at + xor_stride * row;
        const size_t mask_line = and_at + and_stride * row;
        for (int x = 0; x < kSize; ++x) {
            uint32_t c = 0;
            const auto byte = [&](size_t k) { return static_cast<uint8_t>(data[line + k]); };
            if (dib.bit_count <= 8) {
                const int per_byte = 8 / dib.bit_count;
                const int shift = 8 - dib.bit_count * (x % per_byte + 1);
                const uint32_t index = (byte(x / per_byte) >> shift) & ((1u << dib.bit_count) - 1);
                if (index >= palette_count) {
                    error = "the 32x32 image uses a colour beyond its palette";
                    return false;
                }
                const size_t p = palette_at + index * 4;
                c = 0xFF000000u | static_cast<uint32_t>(static_cast<uint8_t>(data[p + 2])) << 16 |
                    static_cast<uint32_t>(static_cast<uint8_t>(data[p + 1])) << 8 |
                    static_cast<uint8_t>(data[p]);
            } else if (dib.bit_count == 16) {
                const uint16_t v = static_cast<uint16_t>(byte(x * 2) | byte(x * 2 + 1) << 8);
                const auto expand = [](uint32_t five) { return (five << 3) | (five >> 2); };
                c = 0xFF000000u | expand((v >> 10) & 31) << 16 | expand((v >> 5) & 31) << 8 | expand(v & 31);
            } else if (dib.bit_count == 24) {
                c = 0xFF000000u | static_cast<uint32_t>(byte(x * 3 + 2)) << 16 |
                    static_cast<uint32_t>(byte(x * 3 + 1)) << 8 | byte(x * 3);
            } else {
                c = static_cast<uint32_t>(byte(x * 4 + 3)) << 24 |
                    static_cast<uint32_t>(byte(x * 4 + 2)) << 16 |
                    static_cast<uint32_t>(byte(x * 4 + 1)) << 8 | byte(x * 4);
                if (byte(x * 4 + 3) != 0) any_alpha = true;
            }
            colour[y * kSize + x] = c;
            masked[y * kSize + x] = (static_cast<uint8_t>(data[mask_line + x / 8]) >> (7 - x % 8)) & 1;
        }
    }
    argb.assign(kSize * kSize, 0);
    for (size_t i = 0; i < colour.size(); ++i) {
        if (any_alpha) {
            argb[i] = colour[i];  // a 32-bit image with alpha: the mask is only for old systems
        } else if (!masked[i]) {
            argb[i] = colour[i] | 0xFF000000u;
        }
        // A masked pixel is transparent. (A masked pixel with a non-black colour inverts the
        // screen on a real cursor; ARGB cannot say that, so it is transparent too.)
    }
    return true;
}

}  // namespace

bool decode_icon_file(std::string_view bytes, bool cursor, ImageResource& out, std::string& error) {
    const char* kind = cursor ? "cursor" : "icon";
    if (bytes.size() < 6 || u16(bytes, 0) != 0 || (u16(bytes, 2) != 1 && u16(bytes, 2) != 2)) {
        error = std::string("not an ") + (cursor ? ".cur" : ".ico") + " file";
        return false;
    }
    if ((u16(bytes, 2) == 2) != cursor) {
        error = cursor ? "this is an icon file, not a cursor" : "this is a cursor file, not an icon";
        return false;
    }
    const size_t count = u16(bytes, 4);
    if (count == 0 || 6 + 16 * count > bytes.size()) {
        error = std::string("the ") + kind + " directory is empty or truncated";
        return false;
    }
    bool saw_png = false;
    bool found = false;
    Entry best;
    Dib best_dib{};
    for (size_t n = 0; n < count; ++n) {
        const size_t e = 6 + 16 * n;
        const int w = static_cast<uint8_t>(bytes[e]) ? static_cast<uint8_t>(bytes[e]) : 256;
        const int h = static_cast<uint8_t>(bytes[e + 1]) ? static_cast<uint8_t>(bytes[e + 1]) : 256;
        if (w != kSize || h != kSize) continue;
        const uint32_t size = u32(bytes, e + 8), offset = u32(bytes, e + 12);
        if (offset > bytes.size() || size > bytes.size() - offset) {
            error = std::string("the 32x32 ") + kind + " entry points outside the file";
            return false;
        }
        Entry entry{bytes.substr(offset, size), u16(bytes, e + 4), u16(bytes, e + 6)};
        if (entry.data.size() >= 8 && std::memcmp(entry.data.data(), "\x89PNG\r\n\x1a\n", 8) == 0) {
            saw_png = true;
            continue;
        }
        Dib dib;
        if (!read_dib_header(entry.data, dib, error)) return false;
        if (!found || dib.bit_count > best_dib.bit_count) {
            best = entry;
            best_dib = dib;
            found = true;
        }
    }
    if (!found) {
        error = saw_png ? std::string("the 32x32 ") + kind +
                              " image is PNG-compressed; store it as an uncompressed bitmap"
                        : std::string("the ") + kind + " has no 32x32 image";
        return false;
    }
    if (cursor && (best.hotspot_x >= kSize || best.hotspot_y >= kSize)) {
        error = "the cursor's hot spot lies outside its image";
        return false;
    }
    if (!decode_dib(best.data, best_dib, out.argb, error)) return false;
    out.is_cursor = cursor;
    out.width = out.height = kSize;
    out.hotspot_x = cursor ? best.hotspot_x : 0;
    out.hotspot_y = cursor ? best.hotspot_y : 0;
    return true;
}

}  // namespace cw::rc
