// PNG files made by the tests: well-formed ones written with libpng (any colour type, bit
// depth, palette, tRNS chunk, interlacing), and the chunks of malformed ones put together by
// hand with zlib's CRC and compressor.
#pragma once

#include <png.h>
#include <zlib.h>

#include <array>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace png_files {

using Bytes = std::vector<uint8_t>;

constexpr int kGrey = PNG_COLOR_TYPE_GRAY;
constexpr int kRgb = PNG_COLOR_TYPE_RGB;
constexpr int kPalette = PNG_COLOR_TYPE_PALETTE;
constexpr int kGreyAlpha = PNG_COLOR_TYPE_GRAY_ALPHA;
constexpr int kRgba = PNG_COLOR_TYPE_RGB_ALPHA;

struct Image {
    int width = 0, height = 0, depth = 8, colour_type = kPalette;
    bool interlaced = false;
    std::vector<uint32_t> palette;  // 0xRRGGBB
    Bytes trns;  // palette alphas; for grey and RGB, the key's samples (16 bits each, big-endian)
    std::vector<std::vector<uint16_t>> samples;  // per pixel, row by row: its channels' samples

    int channels() const {
        return colour_type == kRgb ? 3 : colour_type == kRgba ? 4 : colour_type == kGreyAlpha ? 2 : 1;
    }
    const std::vector<uint16_t>& at(int x, int y) const {
        return samples[static_cast<size_t>(y) * width + x];
    }
};

// A palette image whose pixel (x, y) has index index(x, y).
template <class F>
Image palette_image(int w, int h, int depth, const std::vector<uint32_t>& palette, F index) {
    Image image;
    image.width = w;
    image.height = h;
    image.depth = depth;
    image.colour_type = kPalette;
    image.palette = palette;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.samples.push_back({static_cast<uint16_t>(index(x, y))});
    return image;
}

// A direct colour image whose pixel (x, y) has the channels pixel(x, y) gives.
template <class F>
Image direct_image(int w, int h, int colour_type, int depth, F pixel) {
    Image image;
    image.width = w;
    image.height = h;
    image.depth = depth;
    image.colour_type = colour_type;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.samples.push_back(pixel(x, y));
    return image;
}

namespace detail {

inline Bytes packed_row(const Image& image, int y) {
    Bytes row;
    int bits = 0;
    uint32_t pending = 0;
    for (int x = 0; x < image.width; ++x)
        for (uint16_t sample : image.at(x, y)) {
            if (image.depth == 16) {
                row.push_back(static_cast<uint8_t>(sample >> 8));
                row.push_back(static_cast<uint8_t>(sample));
                continue;
            }
            pending = (pending << image.depth) | sample;
            bits += image.depth;
            if (bits == 8) {
                row.push_back(static_cast<uint8_t>(pending));
                pending = 0;
                bits = 0;
            }
        }
    if (bits > 0) row.push_back(static_cast<uint8_t>(pending << (8 - bits)));
    return row;
}

inline void append(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

inline void flush(png_structp) {}

// libpng's part, in a function of its own: nothing here has a destructor for its long jump to skip.
inline bool write_with_libpng(png_structp png, png_infop info, const Image& image, std::vector<Bytes>& rows,
                              std::vector<png_bytep>& pointers, std::vector<png_color>& colours, Bytes* out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, append, flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
                 image.depth, image.colour_type, image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!colours.empty()) png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    if (!image.trns.empty()) {
        if (image.colour_type == kPalette) {
            png_set_tRNS(png, info, image.trns.data(), static_cast<int>(image.trns.size()), nullptr);
        } else {
            png_color_16 key{};
            const auto sample = [&](size_t i) {
                return static_cast<png_uint_16>(image.trns[2 * i] << 8 | image.trns[2 * i + 1]);
            };
            if (image.colour_type == kGrey) {
                key.gray = sample(0);
            } else {
                key.red = sample(0);
                key.green = sample(1);
                key.blue = sample(2);
            }
            png_set_tRNS(png, info, nullptr, 0, &key);
        }
    }
    png_write_info(png, info);
    // The rows are packed at the image's depth already, as libpng takes them by default.
    pointers.clear();
    for (Bytes& r : rows) pointers.push_back(r.data());
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    return true;
}

}  // namespace detail

// The image as a PNG file written by libpng; empty when libpng refuses it.
inline Bytes write_png(const Image& image) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return out;
    }
    std::vector<Bytes> rows;
    for (int y = 0; y < image.height; ++y) rows.push_back(detail::packed_row(image, y));
    std::vector<png_bytep> pointers;
    std::vector<png_color> colours;
    for (uint32_t c : image.palette)
        colours.push_back(png_color{static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8),
                                    static_cast<png_byte>(c)});
    const bool written = detail::write_with_libpng(png, info, image, rows, pointers, colours, &out);
    png_destroy_write_struct(&png, &info);
    if (!written) out.clear();
    return out;
}

// ---- chunks by hand ---------------------------------------------------------------------------

inline void put_be32(Bytes& b, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
}

inline Bytes signature() {
    return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
}

// One chunk with its length and its CRC.
inline Bytes chunk(const char* type, const Bytes& data) {
    Bytes c;
    put_be32(c, static_cast<uint32_t>(data.size()));
    c.insert(c.end(), type, type + 4);
    c.insert(c.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    if (!data.empty()) crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    put_be32(c, static_cast<uint32_t>(crc));
    return c;
}

inline Bytes ihdr(uint32_t w, uint32_t h, int depth, int colour_type, int interlace = 0) {
    Bytes d;
    put_be32(d, w);
    put_be32(d, h);
    d.insert(d.end(), {static_cast<uint8_t>(depth), static_cast<uint8_t>(colour_type), 0, 0,
                       static_cast<uint8_t>(interlace)});
    return chunk("IHDR", d);
}

inline Bytes compressed(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
    out.resize(size);
    return out;
}

inline Bytes joined(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

inline bool save(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace png_files
