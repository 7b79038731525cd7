#include "gdi/png_decoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

namespace cw::gdi {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Chunks whose contents no format here depends on and which libpng would otherwise inflate or
// keep (texts, profiles, suggested palettes, metadata): they are skipped unread.
constexpr png_byte kSkippedChunks[] = {'i', 'C', 'C', 'P', '\0', 'i', 'T', 'X', 't', '\0',
                                       't', 'E', 'X', 't', '\0', 'z', 'T', 'X', 't', '\0',
                                       's', 'P', 'L', 'T', '\0', 'e', 'X', 'I', 'f', '\0'};
constexpr size_t kAncillaryAllocationLimit = size_t{8} << 20;

uint32_t big_endian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// What the chunks say before libpng reads them: whether a tRNS chunk comes before the pixel
// data (the system's decoder makes every such image 32-bit ARGB, whether the chunk's contents
// are usable or not, so they are walked here the same way instead of asking libpng, which drops
// a malformed tRNS), and how many bytes of compressed pixel data the IDAT chunks hold.
struct Survey {
    bool transparency = false;
    uint64_t compressed = 0;
};

Survey survey_chunks(std::span<const uint8_t> bytes) {
    Survey s;
    bool pixels = false;
    size_t at = sizeof kSignature;
    while (bytes.size() - at >= 12) {
        const uint32_t length = big_endian32(bytes.data() + at);
        const char* type = reinterpret_cast<const char*>(bytes.data() + at + 4);
        if (std::memcmp(type, "IEND", 4) == 0 || length > bytes.size() - at - 12) break;
        if (std::memcmp(type, "IDAT", 4) == 0) {
            pixels = true;
            s.compressed += length;
        }
        if (!pixels && std::memcmp(type, "tRNS", 4) == 0) s.transparency = true;
        at += size_t{12} + length;
    }
    return s;
}

// The bytes the pixel data inflates to: every row of every pass with its filter byte.
uint64_t filtered_bytes(uint64_t width, uint64_t height, uint64_t bits_per_pixel, bool interlaced) {
    const auto pass = [&](uint64_t x0, uint64_t y0, uint64_t dx, uint64_t dy) -> uint64_t {
        const uint64_t w = width > x0 ? (width - x0 + dx - 1) / dx : 0;
        const uint64_t rows = height > y0 ? (height - y0 + dy - 1) / dy : 0;
        return w == 0 ? 0 : rows * (1 + (w * bits_per_pixel + 7) / 8);
    };
    if (!interlaced) return pass(0, 0, 1, 1);
    return pass(0, 0, 8, 8) + pass(4, 0, 8, 8) + pass(0, 4, 4, 8) + pass(2, 0, 4, 4) + pass(0, 2, 2, 4) +
           pass(1, 0, 2, 2) + pass(0, 1, 1, 2);
}

// libpng inflates whatever follows the last row to its end, however long that takes: more
// compressed data than an encoder makes of the image (a quarter more, and 4 KB) is refused.
bool compressed_data_fits(png_structp png, png_infop info, uint64_t compressed) {
    const uint64_t bits = uint64_t{png_get_channels(png, info)} * png_get_bit_depth(png, info);
    const uint64_t data = filtered_bytes(png_get_image_width(png, info), png_get_image_height(png, info),
                                         bits, png_get_interlace_type(png, info) != PNG_INTERLACE_NONE);
    return compressed <= data + data / 4 + 4096;
}

PngPixels format_for(int colour_type, int bit_depth, bool transparency) {
    if (transparency) return PngPixels::Argb32;
    if (colour_type == PNG_COLOR_TYPE_PALETTE) {
        switch (bit_depth) {
            case 1: return PngPixels::Indexed1;
            case 4: return PngPixels::Indexed4;
            case 8: return PngPixels::Indexed8;
            default: return PngPixels::Argb32;  // 2 bits: there is no such GDI+ format
        }
    }
    if (colour_type == PNG_COLOR_TYPE_GRAY && bit_depth == 1) return PngPixels::Indexed1;
    if (colour_type == PNG_COLOR_TYPE_RGB && bit_depth == 8) return PngPixels::Rgb24;
    return PngPixels::Argb32;
}

bool indexed(PngPixels p) {
    return p == PngPixels::Indexed1 || p == PngPixels::Indexed4 || p == PngPixels::Indexed8;
}

struct Source {
    std::span<const uint8_t> bytes;
    size_t at = 0;
};

void read_source(png_structp png, png_bytep out, size_t count) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (count > source->bytes.size() - source->at) png_error(png, "the file ends early");
    std::memcpy(out, source->bytes.data() + source->at, count);
    source->at += count;
}

[[noreturn]] void on_error(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

// One decode's libpng structures, freed on every way out.
struct Reading {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Reading() {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, on_error, on_warning);
        if (png) info = png_create_info_struct(png);
    }
    ~Reading() { png_destroy_read_struct(&png, &info, nullptr); }
    Reading(const Reading&) = delete;
    Reading& operator=(const Reading&) = delete;
};

// The palette of a palette file, each entry with the alpha its tRNS chunk gives it (which a
// bitmap made ARGB keeps too), or the black and white of a 1-bit grey one.
void take_palette(png_structp png, png_infop info, int colour_type, DecodedPng& out) {
    if (colour_type != PNG_COLOR_TYPE_PALETTE) {
        out.palette = {0xFF000000u, 0xFFFFFFFFu};
        out.grey_palette = true;
        return;
    }
    png_colorp colours = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &colours, &count);
    png_bytep alpha = nullptr;
    int alpha_count = 0;
    png_get_tRNS(png, info, &alpha, &alpha_count, nullptr);
    for (int i = 0; i < count; ++i) {
        const uint32_t a = alpha && i < alpha_count ? alpha[i] : 0xFF;
        out.palette.push_back(a << 24 | (uint32_t{colours[i].red} << 16) | (uint32_t{colours[i].green} << 8) |
                              colours[i].blue);
    }
}

// Direct colour as GDI+ lays it out: B G R, or B G R A with opaque alpha where the file has none.
void ask_for_direct_colour(png_structp png, PngPixels pixels) {
    png_set_expand(png);  // palette to RGB, small greys to 8 bits, tRNS to alpha
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    if (pixels == PngPixels::Argb32) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
}

// libpng reports a refusal by a long jump back into this function, so nothing here has a
// destructor: what outlives a jump was made by the caller before it.
PngError read_png(Reading& r, Source& source, const Survey& survey, uint64_t max_pixel_bytes, DecodedPng& out,
                  std::vector<png_bytep>& row_pointers) {
    if (setjmp(png_jmpbuf(r.png))) return PngError::Corrupt;
    png_set_read_fn(r.png, &source, read_source);
    // The sides are judged below against our own limit, as too large rather than broken.
    png_set_user_limits(r.png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_chunk_malloc_max(r.png, kAncillaryAllocationLimit);
    png_set_keep_unknown_chunks(r.png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks,
                                static_cast<int>(sizeof kSkippedChunks / 5));
    png_read_info(r.png, r.info);
    png_uint_32 width = 0, height = 0;
    int bit_depth = 0, colour_type = 0;
    png_get_IHDR(r.png, r.info, &width, &height, &bit_depth, &colour_type, nullptr, nullptr, nullptr);
    if (width > kMaxPngSide || height > kMaxPngSide) return PngError::TooLarge;
    if (!compressed_data_fits(r.png, r.info, survey.compressed)) return PngError::Corrupt;
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.pixels = format_for(colour_type, bit_depth, survey.transparency);
    if (indexed(out.pixels) || colour_type == PNG_COLOR_TYPE_PALETTE)
        take_palette(r.png, r.info, colour_type, out);
    if (!indexed(out.pixels)) ask_for_direct_colour(r.png, out.pixels);
    png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    const uint64_t stride = (uint64_t{width} * out.bits_per_pixel() + 31) / 32 * 4;
    if (stride * height > max_pixel_bytes) return PngError::TooLarge;
    if (png_get_rowbytes(r.png, r.info) > stride) return PngError::Corrupt;
    out.stride = static_cast<int>(stride);
    out.rows.assign(static_cast<size_t>(stride * height), 0);
    row_pointers.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) row_pointers[y] = out.rows.data() + y * stride;
    // The pixel data ends the decode: what follows it in the file is not read.
    png_read_image(r.png, row_pointers.data());
    return PngError::None;
}

}  // namespace

int DecodedPng::bits_per_pixel() const {
    switch (pixels) {
        case PngPixels::Indexed1: return 1;
        case PngPixels::Indexed4: return 4;
        case PngPixels::Indexed8: return 8;
        case PngPixels::Rgb24: return 24;
        case PngPixels::Argb32: return 32;
    }
    return 32;
}

std::optional<DecodedPng> decode_png(std::span<const uint8_t> bytes, PngError* error,
                                     uint64_t max_pixel_bytes) {
    PngError ignored = PngError::None;
    PngError& result = error ? *error : ignored;
    result = PngError::None;
    if (bytes.size() < sizeof kSignature || std::memcmp(bytes.data(), kSignature, sizeof kSignature) != 0) {
        result = PngError::NotPng;
        return std::nullopt;
    }
    Reading reading;
    if (!reading.info) {
        result = PngError::Corrupt;
        return std::nullopt;
    }
    Source source{bytes, 0};
    DecodedPng out;
    std::vector<png_bytep> row_pointers;
    result = read_png(reading, source, survey_chunks(bytes), max_pixel_bytes, out, row_pointers);
    if (result != PngError::None) return std::nullopt;
    return out;
}

}  // namespace cw::gdi
