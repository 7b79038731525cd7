// PNG files decoded through GDI+'s flat API as the program decodes its sprite sheets: the pixel
// format each kind of file gets, the palette in the file's order, and the pixels read back in
// the bitmap's own format and as 32-bit ARGB. The files are made here byte for byte, their pixel
// data in stored (uncompressed) deflate blocks, so that both systems read the very same bytes
// and the test needs no library of its own.
#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "conformance.h"

namespace {

namespace gp = Gdiplus;
namespace gdip = Gdiplus::DllExports;

using Bytes = std::vector<uint8_t>;

// ---- making PNG files -------------------------------------------------------------------------

uint32_t crc32_of(const uint8_t* p, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return crc ^ 0xFFFFFFFFu;
}

void put_be32(Bytes& b, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
}

Bytes chunk(const char* type, const Bytes& data) {
    Bytes c;
    put_be32(c, static_cast<uint32_t>(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    c.insert(c.end(), typed.begin(), typed.end());
    put_be32(c, crc32_of(typed.data(), typed.size()));
    return c;
}

// A zlib stream of stored blocks.
Bytes zlib_stored(const Bytes& raw) {
    Bytes z = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.push_back(static_cast<uint8_t>(n));
        z.push_back(static_cast<uint8_t>(n >> 8));
        z.push_back(static_cast<uint8_t>(~n));
        z.push_back(static_cast<uint8_t>(~n >> 8));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                 raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    put_be32(z, (b << 16) | a);
    return z;
}

enum ColourType { kGrey = 0, kRgb = 2, kPalette = 3, kRgba = 6 };

struct Image {
    int width = 0, height = 0, depth = 8, colour_type = kPalette;
    bool interlaced = false;
    std::vector<uint32_t> palette;               // PLTE entries as 0xRRGGBB
    Bytes trns;                                  // the tRNS chunk's contents; no chunk when empty
    std::vector<std::vector<uint16_t>> samples;  // per pixel, row by row: its channels' samples

    int channels() const { return colour_type == kRgb ? 3 : colour_type == kRgba ? 4 : 1; }
    const std::vector<uint16_t>& at(int x, int y) const {
        return samples[static_cast<size_t>(y) * width + x];
    }
};

// The samples of the pixels at xs of row y, packed at the image's depth, after a filter byte of 0.
Bytes packed_row(const Image& image, const std::vector<int>& xs, int y) {
    Bytes row = {0};
    int bits = 0;
    uint32_t pending = 0;
    for (int x : xs)
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

// The filtered rows: the whole image, or the seven passes of an interlaced one.
Bytes raw_rows(const Image& image) {
    struct Pass {
        int x0, y0, dx, dy;
    };
    const Pass whole[] = {{0, 0, 1, 1}};
    const Pass adam7[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                          {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    Bytes raw;
    const Pass* passes = image.interlaced ? adam7 : whole;
    const int count = image.interlaced ? 7 : 1;
    for (int p = 0; p < count; ++p) {
        std::vector<int> xs;
        for (int x = passes[p].x0; x < image.width; x += passes[p].dx) xs.push_back(x);
        if (xs.empty()) continue;
        for (int y = passes[p].y0; y < image.height; y += passes[p].dy) {
            const Bytes row = packed_row(image, xs, y);
            raw.insert(raw.end(), row.begin(), row.end());
        }
    }
    return raw;
}

Bytes png_file(const Image& image) {
    Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    put_be32(ihdr, static_cast<uint32_t>(image.width));
    put_be32(ihdr, static_cast<uint32_t>(image.height));
    ihdr.insert(ihdr.end(), {static_cast<uint8_t>(image.depth), static_cast<uint8_t>(image.colour_type), 0, 0,
                             static_cast<uint8_t>(image.interlaced ? 1 : 0)});
    const auto append = [&](const Bytes& c) { out.insert(out.end(), c.begin(), c.end()); };
    append(chunk("IHDR", ihdr));
    if (!image.palette.empty()) {
        Bytes plte;
        for (uint32_t c : image.palette)
            plte.insert(plte.end(), {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                     static_cast<uint8_t>(c)});
        append(chunk("PLTE", plte));
    }
    if (!image.trns.empty()) append(chunk("tRNS", image.trns));
    append(chunk("IDAT", zlib_stored(raw_rows(image))));
    append(chunk("IEND", {}));
    return out;
}

uint32_t palette_colour(int i) {
    return static_cast<uint32_t>(((i * 37) & 0xFF) << 16 | ((255 - i * 11) & 0xFF) << 8 |
                                 ((i * 5 + 3) & 0xFF));
}

// A palette image of w x h at depth with `colours` palette entries, pixel (x, y) of index
// (3x + 5y) mod colours.
Image palette_image(int w, int h, int depth, int colours) {
    Image image;
    image.width = w;
    image.height = h;
    image.depth = depth;
    image.colour_type = kPalette;
    for (int i = 0; i < colours; ++i) image.palette.push_back(palette_colour(i));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.samples.push_back({static_cast<uint16_t>((3 * x + 5 * y) % colours)});
    return image;
}

// An RGB or RGBA image whose channels follow x and y.
Image direct_image(int w, int h, int colour_type, int depth) {
    Image image;
    image.width = w;
    image.height = h;
    image.depth = depth;
    image.colour_type = colour_type;
    const int top = depth == 16 ? 0xFFFF : 0xFF;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::vector<uint16_t> px = {static_cast<uint16_t>((x * 70 + 13) * top / 0xFF % (top + 1)),
                                        static_cast<uint16_t>((y * 90 + 7) * top / 0xFF % (top + 1)),
                                        static_cast<uint16_t>(((x + y) * 40 + 200) * top / 0xFF % (top + 1))};
            if (colour_type == kRgba)
                px.push_back(static_cast<uint16_t>((x * 120 + y * 60) % 256 * top / 0xFF));
            image.samples.push_back(px);
        }
    return image;
}

// The 8-bit value of a sample: GDI+ keeps the high byte of a 16-bit one.
uint32_t byte_of(const Image& image, uint16_t sample) {
    return image.depth == 16 ? sample >> 8 : sample;
}

// The colour pixel (x, y) of the file stands for, as 0xAARRGGBB.
uint32_t expected_argb(const Image& image, int x, int y) {
    const std::vector<uint16_t>& s = image.at(x, y);
    if (image.colour_type == kPalette) {
        const uint32_t alpha = static_cast<size_t>(s[0]) < image.trns.size() ? image.trns[s[0]] : 0xFF;
        return alpha << 24 | image.palette[s[0]];
    }
    if (image.colour_type == kGrey) {
        const uint32_t v = s[0] ? 0xFF : 0;  // the 1-bit greys here
        return 0xFF000000u | v << 16 | v << 8 | v;
    }
    const uint32_t alpha = image.colour_type == kRgba ? byte_of(image, s[3]) : 0xFF;
    return alpha << 24 | byte_of(image, s[0]) << 16 | byte_of(image, s[1]) << 8 | byte_of(image, s[2]);
}

// ---- decoding them ----------------------------------------------------------------------------

// GDI+ started for one case.
struct Session {
    ULONG_PTR token = 0;
    bool started = false;
    Session() {
        gp::GdiplusStartupInput input;
        started = CHECK_EQ(gp::GdiplusStartup(&token, &input, nullptr), gp::Ok);
    }
    ~Session() {
        if (started) gp::GdiplusShutdown(token);
    }
};

bool write_file(const char* path, const Bytes& bytes) {
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

std::wstring wide(const char* cp932) {
    WCHAR buffer[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, cp932, -1, buffer, MAX_PATH);
    return buffer;
}

// The file's bitmap from GDI+, disposed of with this object; null when it was refused.
struct Decoded {
    gp::GpBitmap* bitmap = nullptr;
    gp::GpStatus status = gp::GenericError;
    explicit Decoded(const char* path) {
        status = gdip::GdipCreateBitmapFromFile(wide(path).c_str(), &bitmap);
    }
    ~Decoded() {
        if (bitmap) gdip::GdipDisposeImage(bitmap);
    }
    gp::PixelFormat format() const {
        gp::PixelFormat f = 0;
        CHECK_EQ(gdip::GdipGetImagePixelFormat(bitmap, &f), gp::Ok);
        return f;
    }
    std::vector<uint32_t> palette(UINT* flags = nullptr) const {
        INT size = 0;
        CHECK_EQ(gdip::GdipGetImagePaletteSize(bitmap, &size), gp::Ok);
        std::vector<uint32_t> storage(static_cast<size_t>(size) / 4 + 1, 0);
        auto* p = reinterpret_cast<gp::ColorPalette*>(storage.data());
        if (!CHECK_EQ(gdip::GdipGetImagePalette(bitmap, p, size), gp::Ok)) return {};
        CHECK(sizeof(UINT) * 2 + p->Count * sizeof(gp::ARGB) <= static_cast<size_t>(size));
        if (flags) *flags = p->Flags;
        return std::vector<uint32_t>(p->Entries, p->Entries + p->Count);
    }
};

// Every pixel of the bitmap locked in format, row by row, as the values read from the rows:
// indices for indexed formats, 0xAARRGGBB for 32-bit ones, 0xRRGGBB for 24-bit ones.
std::vector<uint32_t> locked_pixels(const Decoded& d, int w, int h, gp::PixelFormat format) {
    gp::BitmapData data;
    std::memset(&data, 0, sizeof data);
    gp::GpRect whole(0, 0, w, h);
    if (!CHECK_EQ(gdip::GdipBitmapLockBits(d.bitmap, &whole, gp::ImageLockModeRead, format, &data), gp::Ok))
        return {};
    CHECK_EQ(data.Width, w);
    CHECK_EQ(data.Height, h);
    CHECK_EQ(data.PixelFormat, format);
    const int bits = static_cast<int>(gp::GetPixelFormatSize(format));
    CHECK(data.Stride >= (w * bits + 7) / 8);
    std::vector<uint32_t> values;
    for (int y = 0; y < h; ++y) {
        const auto* row =
            static_cast<const uint8_t*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride;
        for (int x = 0; x < w; ++x) {
            if (bits < 8) {
                const int per_byte = 8 / bits;
                values.push_back((row[x / per_byte] >> ((per_byte - 1 - x % per_byte) * bits)) &
                                 ((1u << bits) - 1));
            } else if (bits == 8) {
                values.push_back(row[x]);
            } else if (bits == 24) {
                values.push_back(uint32_t{row[3 * x + 2]} << 16 | uint32_t{row[3 * x + 1]} << 8 | row[3 * x]);
            } else {
                uint32_t v = 0;
                std::memcpy(&v, row + 4 * x, 4);
                values.push_back(v);
            }
        }
    }
    CHECK_EQ(gdip::GdipBitmapUnlockBits(d.bitmap, &data), gp::Ok);
    return values;
}

std::vector<uint32_t> expected_colours(const Image& image) {
    std::vector<uint32_t> v;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) v.push_back(expected_argb(image, x, y));
    return v;
}

std::vector<uint32_t> expected_indices(const Image& image) {
    std::vector<uint32_t> v;
    for (const std::vector<uint16_t>& s : image.samples) v.push_back(s[0]);
    return v;
}

// How many values differ (the whole count when the sizes differ), so that a failure says how much.
long long differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return static_cast<long long>(a.size()) + static_cast<long long>(b.size());
    long long n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

// Writes the image to a file, decodes it and checks its size and format; the decoded bitmap.
void check_file(const char* name, const Image& image, gp::PixelFormat format,
                void (*more)(const Decoded&, const Image&)) {
    conformance::Context context(name);
    if (!CHECK(write_file(name, png_file(image)))) return;
    {
        const Decoded d(name);
        if (CHECK_EQ(d.status, gp::Ok) && CHECK(d.bitmap != nullptr)) {
            UINT w = 0, h = 0;
            CHECK_EQ(gdip::GdipGetImageWidth(d.bitmap, &w), gp::Ok);
            CHECK_EQ(gdip::GdipGetImageHeight(d.bitmap, &h), gp::Ok);
            CHECK_EQ(w, image.width);
            CHECK_EQ(h, image.height);
            if (CHECK_EQ(d.format(), format)) more(d, image);
        }
    }
    DeleteFileA(name);
}

// An indexed bitmap: the file's palette in its order and count, its indices, and their colours.
void check_indexed(const Decoded& d, const Image& image) {
    UINT flags = 0xFFFF;
    const std::vector<uint32_t> palette = d.palette(&flags);
    CHECK_EQ(palette.size(), image.palette.size());
    std::vector<uint32_t> opaque;
    for (uint32_t c : image.palette) opaque.push_back(0xFF000000u | c);
    CHECK_EQ(differing(palette, opaque), 0);
    CHECK_EQ(flags, 0);
    CHECK_EQ(differing(locked_pixels(d, image.width, image.height, d.format()), expected_indices(image)), 0);
    CHECK_EQ(
        differing(locked_pixels(d, image.width, image.height, PixelFormat32bppARGB), expected_colours(image)),
        0);
}

// A 32-bit ARGB bitmap: the colours with their alpha. It keeps the palette of a palette file,
// each entry with the alpha the tRNS chunk gives it; other files give it none.
void check_argb(const Decoded& d, const Image& image) {
    UINT flags = 0xFFFF;
    const std::vector<uint32_t> palette = d.palette(&flags);
    std::vector<uint32_t> expected;
    bool alpha = false;
    for (size_t i = 0; i < image.palette.size(); ++i) {
        const uint32_t a = i < image.trns.size() ? image.trns[i] : 0xFF;
        alpha = alpha || a != 0xFF;
        expected.push_back(a << 24 | image.palette[i]);
    }
    CHECK_EQ(differing(palette, expected), 0);
    if (!palette.empty()) CHECK_EQ(flags, alpha ? gp::PaletteFlagsHasAlpha : 0);
    CHECK_EQ(
        differing(locked_pixels(d, image.width, image.height, PixelFormat32bppARGB), expected_colours(image)),
        0);
}

// A 24-bit RGB bitmap: its own rows hold the colours, which lock as opaque ARGB.
void check_rgb(const Decoded& d, const Image& image) {
    std::vector<uint32_t> rgb;
    for (uint32_t c : expected_colours(image)) rgb.push_back(c & 0xFFFFFF);
    CHECK_EQ(differing(locked_pixels(d, image.width, image.height, PixelFormat24bppRGB), rgb), 0);
    CHECK_EQ(
        differing(locked_pixels(d, image.width, image.height, PixelFormat32bppARGB), expected_colours(image)),
        0);
}

}  // namespace

CONFORMANCE_CASE(PalettePngsStayIndexedWithTheirPaletteInTheFilesOrder) {
    Session g;
    if (!g.started) return;
    // Palettes shorter than the depth allows: the bitmap has the file's entries, no more.
    check_file("palette4.png", palette_image(7, 3, 4, 5), PixelFormat4bppIndexed, check_indexed);
    check_file("palette8.png", palette_image(9, 4, 8, 20), PixelFormat8bppIndexed, check_indexed);
    check_file("palette1.png", palette_image(11, 2, 1, 2), PixelFormat1bppIndexed, check_indexed);
    // Interlacing changes the order of the rows in the file, nothing of the bitmap.
    Image interlaced = palette_image(10, 9, 8, 30);
    interlaced.interlaced = true;
    check_file("interlaced.png", interlaced, PixelFormat8bppIndexed, check_indexed);
}

CONFORMANCE_CASE(TransparencyAndTwoBitPalettesGiveArgbColours) {
    Session g;
    if (!g.started) return;
    // A tRNS chunk: the palette's colours with their alpha, index by index, as 32-bit ARGB.
    Image transparent = palette_image(6, 4, 8, 12);
    transparent.trns = {0, 128, 255, 64};
    check_file("trns8.png", transparent, PixelFormat32bppARGB, check_argb);
    Image transparent4 = palette_image(5, 3, 4, 16);
    transparent4.trns = {0};
    check_file("trns4.png", transparent4, PixelFormat32bppARGB, check_argb);
    // There is no 2-bit indexed format.
    check_file("palette2.png", palette_image(6, 2, 2, 4), PixelFormat32bppARGB, check_argb);
}

CONFORMANCE_CASE(TrueColourPngsGiveRgbOrArgb) {
    Session g;
    if (!g.started) return;
    check_file("rgb.png", direct_image(5, 3, kRgb, 8), PixelFormat24bppRGB, check_rgb);
    check_file("rgba.png", direct_image(4, 4, kRgba, 8), PixelFormat32bppARGB, check_argb);
    // A colour key: the pixels of that colour become transparent, the bitmap ARGB.
    Image keyed = direct_image(4, 2, kRgb, 8);
    const std::vector<uint16_t> key = keyed.at(1, 1);
    keyed.trns = {0, static_cast<uint8_t>(key[0]), 0, static_cast<uint8_t>(key[1]),
                  0, static_cast<uint8_t>(key[2])};
    check_file("keyed.png", keyed, PixelFormat32bppARGB, [](const Decoded& d, const Image& image) {
        std::vector<uint32_t> colours = expected_colours(image);
        for (size_t i = 0; i < colours.size(); ++i)
            if (image.samples[i] == image.at(1, 1)) colours[i] &= 0x00FFFFFF;
        CHECK_EQ(differing(locked_pixels(d, image.width, image.height, PixelFormat32bppARGB), colours), 0);
    });
    // A black-and-white image is indexed, with black and white as its palette.
    Image grey;
    grey.width = 9;
    grey.height = 2;
    grey.depth = 1;
    grey.colour_type = kGrey;
    for (int i = 0; i < 18; ++i) grey.samples.push_back({static_cast<uint16_t>(i % 3 == 0)});
    check_file("grey1.png", grey, PixelFormat1bppIndexed, [](const Decoded& d, const Image& image) {
        CHECK_EQ(differing(d.palette(), {0xFF000000u, 0xFFFFFFFFu}), 0);
        CHECK_EQ(differing(locked_pixels(d, image.width, image.height, PixelFormat1bppIndexed),
                           expected_indices(image)),
                 0);
    });
}

// Sixteen-bit channels come down to 8 bits. Only the pixels are compared: Wine hands such a
// bitmap a halftone palette, which the program does not use and no documentation settles.
CONFORMANCE_CASE(SixteenBitChannelsKeepTheirHighByte) {
    Session g;
    if (!g.started) return;
    const auto colours = [](const Decoded& d, const Image& image) {
        CHECK_EQ(differing(locked_pixels(d, image.width, image.height, PixelFormat32bppARGB),
                           expected_colours(image)),
                 0);
    };
    check_file("rgb16.png", direct_image(4, 3, kRgb, 16), PixelFormat32bppARGB, colours);
    check_file("rgba16.png", direct_image(5, 2, kRgba, 16), PixelFormat32bppARGB, colours);
    Image interlaced = direct_image(9, 9, kRgba, 16);
    interlaced.interlaced = true;
    check_file("interlaced16.png", interlaced, PixelFormat32bppARGB, colours);
}

CONFORMANCE_CASE(BrokenAndMissingFilesGiveNoBitmap) {
    Session g;
    if (!g.started) return;
    Bytes cut = png_file(palette_image(16, 16, 8, 40));
    cut.resize(cut.size() - 40);
    CHECK(write_file("cut.png", cut));
    {
        const Decoded d("cut.png");
        CHECK(d.status != gp::Ok);
        CHECK(d.bitmap == nullptr);
    }
    DeleteFileA("cut.png");
    const Decoded missing("no such file.png");
    CHECK(missing.bitmap == nullptr);
    WINE_DIFFERS("Wine's GDI+ says GenericError for a file that does not exist, the system InvalidParameter",
                 CHECK_EQ(missing.status, gp::InvalidParameter));
}

CONFORMANCE_CASE(ABitmapIsLockedOnceAtATime) {
    Session g;
    if (!g.started) return;
    const Image image = palette_image(4, 4, 8, 10);
    CHECK(write_file("lock.png", png_file(image)));
    {
        const Decoded d("lock.png");
        if (CHECK(d.bitmap != nullptr)) {
            gp::BitmapData first, second;
            std::memset(&first, 0, sizeof first);
            std::memset(&second, 0, sizeof second);
            gp::GpRect part(1, 2, 3, 2);
            CHECK_EQ(gdip::GdipBitmapLockBits(d.bitmap, &part, gp::ImageLockModeRead, PixelFormat8bppIndexed,
                                              &first),
                     gp::Ok);
            CHECK_EQ(first.Width, 3);
            CHECK_EQ(first.Height, 2);
            // The rectangle's first pixel is the bitmap's pixel (1, 2).
            CHECK_EQ(static_cast<const uint8_t*>(first.Scan0)[0], image.at(1, 2)[0]);
            CHECK_EQ(static_cast<const uint8_t*>(first.Scan0)[first.Stride + 2], image.at(3, 3)[0]);
            CHECK_EQ(gdip::GdipBitmapLockBits(d.bitmap, nullptr, gp::ImageLockModeRead,
                                              PixelFormat8bppIndexed, &second),
                     gp::WrongState);
            CHECK_EQ(gdip::GdipBitmapUnlockBits(d.bitmap, &first), gp::Ok);
            // A rectangle beyond the bitmap is refused.
            gp::GpRect beyond(2, 2, 3, 3);
            CHECK_EQ(gdip::GdipBitmapLockBits(d.bitmap, &beyond, gp::ImageLockModeRead,
                                              PixelFormat8bppIndexed, &second),
                     gp::InvalidParameter);
        }
    }
    DeleteFileA("lock.png");
}

// The program names its files in CP932; GDI+ takes them as wide characters.
CONFORMANCE_CASE(AJapaneseFileNameReachesTheDecoder) {
    Session g;
    if (!g.started) return;
    const char name[] = "新規ｽﾌﾟﾗｲﾄ表.png";  // 表's trail byte is the backslash
    const Image image = palette_image(3, 3, 4, 6);
    CHECK(write_file(name, png_file(image)));
    {
        const Decoded d(name);
        if (CHECK_EQ(d.status, gp::Ok)) CHECK_EQ(d.format(), PixelFormat4bppIndexed);
    }
    CHECK(DeleteFileA(name));
}

// Before GdiplusStartup and after the last GdiplusShutdown no image is made.
CONFORMANCE_CASE(NothingIsDecodedOutsideAStartup) {
    CHECK(write_file("early.png", png_file(palette_image(2, 2, 8, 3))));
    {
        const Decoded before("early.png");
        WINE_DIFFERS("Wine's GDI+ decodes without GdiplusStartup; the system says GdiplusNotInitialized",
                     CHECK_EQ(before.status, gp::GdiplusNotInitialized));
    }
    {
        Session outer;
        Session inner;
        const Decoded within("early.png");
        CHECK_EQ(within.status, gp::Ok);
    }
    const Decoded after("early.png");
    WINE_DIFFERS("Wine's GDI+ decodes after GdiplusShutdown; the system says GdiplusNotInitialized",
                 CHECK_EQ(after.status, gp::GdiplusNotInitialized));
    DeleteFileA("early.png");
}
