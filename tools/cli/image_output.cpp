#include "image_output.h"

#include <gif_lib.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unordered_map>

namespace cli {

namespace {

constexpr int kMaxGifColours = 256;

uint8_t red(uint32_t c) {
    return static_cast<uint8_t>(c >> 16);
}
uint8_t green(uint32_t c) {
    return static_cast<uint8_t>(c >> 8);
}
uint8_t blue(uint32_t c) {
    return static_cast<uint8_t>(c);
}

// A palette with the transparent black at index 0 and the index of every pixel of
// every frame, in frame order.
struct Indexed {
    std::vector<uint32_t> palette{kTransparentColour};
    std::vector<uint8_t> indices;
};

void index_exactly(const std::vector<Picture>& frames, Indexed& out) {
    std::unordered_map<uint32_t, uint8_t> index{{kTransparentColour, 0}};
    for (const Picture& p : frames)
        for (uint32_t c : p.xrgb) {
            auto [at, added] = index.try_emplace(c, static_cast<uint8_t>(out.palette.size()));
            if (added) out.palette.push_back(c);
            out.indices.push_back(at->second);
        }
}

// More colours than a GIF holds: the opaque ones are reduced to 255 by giflib's
// quantizer, black stays index 0.
bool index_quantized(const std::vector<Picture>& frames, Indexed& out, std::string* error) {
    std::vector<GifByteType> r, g, b;
    for (const Picture& p : frames)
        for (uint32_t c : p.xrgb)
            if (c != kTransparentColour) {
                r.push_back(red(c));
                g.push_back(green(c));
                b.push_back(blue(c));
            }
    int size = kMaxGifColours - 1;
    std::vector<GifByteType> reduced(r.size());
    std::vector<GifColorType> map(kMaxGifColours);
    if (GifQuantizeBuffer(static_cast<unsigned>(r.size()), 1, &size, r.data(), g.data(), b.data(),
                          reduced.data(), map.data()) != GIF_OK) {
        *error = "the colours could not be reduced to a GIF palette";
        return false;
    }
    for (int i = 0; i < size; ++i)
        out.palette.push_back(static_cast<uint32_t>(map[i].Red) << 16 |
                              static_cast<uint32_t>(map[i].Green) << 8 | map[i].Blue);
    size_t next = 0;
    for (const Picture& p : frames)
        for (uint32_t c : p.xrgb)
            out.indices.push_back(c == kTransparentColour ? 0 : static_cast<uint8_t>(reduced[next++] + 1));
    return true;
}

int put_bytes(GifFileType* gif, const GifByteType* bytes, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), bytes, bytes + n);
    return n;
}

// Application extension that makes viewers loop the animation for ever.
bool put_loop(GifFileType* gif) {
    static const GifByteType kNetscape[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType kForever[] = {1, 0, 0};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof kNetscape, kNetscape) == GIF_OK &&
           EGifPutExtensionBlock(gif, sizeof kForever, kForever) == GIF_OK &&
           EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool put_frame(GifFileType* gif, const Picture& p, int delay, const uint8_t* indices) {
    GraphicsControlBlock gcb{};
    gcb.DisposalMode = DISPOSE_BACKGROUND;
    gcb.UserInputFlag = false;
    gcb.DelayTime = delay;
    gcb.TransparentColor = 0;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&gcb, extension);
    if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) != GIF_OK)
        return false;
    if (EGifPutImageDesc(gif, 0, 0, p.width, p.height, false, nullptr) != GIF_OK) return false;
    std::vector<GifPixelType> row(static_cast<size_t>(p.width));
    for (int y = 0; y < p.height; ++y) {
        std::copy_n(indices + static_cast<size_t>(y) * p.width, p.width, row.begin());
        if (EGifPutLine(gif, row.data(), p.width) != GIF_OK) return false;
    }
    return true;
}

bool put_gif(GifFileType* gif, const std::vector<Picture>& frames, const std::vector<int>& delays,
             const Indexed& indexed) {
    int bits = 1;
    while ((1 << bits) < static_cast<int>(indexed.palette.size())) ++bits;
    ColorMapObject* map = GifMakeMapObject(1 << bits, nullptr);
    if (!map) return false;
    for (int i = 0; i < map->ColorCount; ++i) {
        const uint32_t c =
            i < static_cast<int>(indexed.palette.size()) ? indexed.palette[i] : kTransparentColour;
        map->Colors[i] = GifColorType{red(c), green(c), blue(c)};
    }
    EGifSetGifVersion(gif, true);
    const bool screen = EGifPutScreenDesc(gif, frames[0].width, frames[0].height, 8, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    if (!screen || !put_loop(gif)) return false;
    const size_t pixels = static_cast<size_t>(frames[0].width) * frames[0].height;
    for (size_t i = 0; i < frames.size(); ++i)
        if (!put_frame(gif, frames[i], delays[i], indexed.indices.data() + i * pixels)) return false;
    return true;
}

struct PngSink {
    std::vector<uint8_t> bytes;
};

void png_put(png_structp png, png_bytep data, png_size_t n) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    sink->bytes.insert(sink->bytes.end(), data, data + n);
}

void png_flush(png_structp) {}

// libpng reports a failure by a long jump back here, so nothing in this frame has a
// destructor to skip.
bool write_png_rows(png_structp png, png_infop info, PngSink* sink, png_bytep* rows, int w, int h) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, sink, png_put, png_flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(w), static_cast<png_uint_32>(h), 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

}  // namespace

std::vector<int> gif_delays(const std::vector<uint32_t>& ticks, int rate) {
    std::vector<int> delays;
    const uint64_t per_second = rate > 0 ? static_cast<uint64_t>(rate) : 60;
    uint64_t total = 0, shown = 0;
    for (uint32_t t : ticks) {
        total += t;
        const uint64_t end = (total * 100 + per_second / 2) / per_second;  // hundredths, rounded
        delays.push_back(static_cast<int>(end - shown));
        shown = end;
    }
    return delays;
}

std::vector<uint8_t> encode_gif(const std::vector<Picture>& frames, const std::vector<int>& delays,
                                std::string* error) {
    if (frames.empty() || frames.size() != delays.size()) {
        *error = "no frames to write";
        return {};
    }
    Indexed indexed;
    index_exactly(frames, indexed);
    if (indexed.palette.size() > kMaxGifColours) {
        indexed = Indexed{};
        if (!index_quantized(frames, indexed, error)) return {};
    }
    std::vector<uint8_t> bytes;
    int status = 0;
    GifFileType* gif = EGifOpen(&bytes, put_bytes, &status);
    if (!gif) {
        *error = std::string("giflib: ") + GifErrorString(status);
        return {};
    }
    const bool written = put_gif(gif, frames, delays, indexed);
    const int gif_error = gif->Error;
    if (EGifCloseFile(gif, &status) != GIF_OK || !written) {
        *error = std::string("giflib: ") + GifErrorString(written ? status : gif_error);
        return {};
    }
    return bytes;
}

std::vector<uint8_t> encode_png(const Picture& picture, std::string* error, bool black_transparent) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, &info);
        *error = "libpng could not start";
        return {};
    }
    PngSink sink;
    std::vector<uint8_t> rgba(static_cast<size_t>(picture.width) * picture.height * 4);
    for (size_t i = 0; i < picture.xrgb.size(); ++i) {
        const uint32_t c = picture.xrgb[i];
        rgba[4 * i] = red(c);
        rgba[4 * i + 1] = green(c);
        rgba[4 * i + 2] = blue(c);
        rgba[4 * i + 3] = black_transparent && c == kTransparentColour ? 0 : 255;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y)
        rows[y] = rgba.data() + static_cast<size_t>(y) * picture.width * 4;
    const bool written = write_png_rows(png, info, &sink, rows.data(), picture.width, picture.height);
    png_destroy_write_struct(&png, &info);
    if (!written) {
        *error = "libpng could not write the picture";
        return {};
    }
    return std::move(sink.bytes);
}

bool write_output(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path temporary = target;
    temporary += ".part-" + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            *error = path + ": cannot be written";
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        *error = path + ": cannot be written (" + ec.message() + ")";
        return false;
    }
    return true;
}

}  // namespace cli
