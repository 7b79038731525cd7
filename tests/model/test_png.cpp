// PNG sprite sheets: the layer's decoder behind GDI+ (the pixel formats the system gives each
// kind of file, refusals, limits), the program's reading of a PNG's header and palette, and
// the sheets decode_image_file makes of PNG files: palette images in the file's order as 4-bit
// or 8-bit DIBs by their colour count, everything else as 5-5-5 DIBs, and every refusal.
#include <windows.h>

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "files/image_decoding.h"
#include "files/png_header.h"
#include "gdi/objects.h"
#include "gdi/png_decoder.h"
#include "png_files.h"

namespace {

using cw::gdi::decode_png;
using cw::gdi::PngError;
using cw::gdi::PngPixels;
using png_files::Bytes;
using png_files::Image;

std::span<const uint8_t> span_of(const Bytes& b) {
    return std::span<const uint8_t>(b.data(), b.size());
}

std::vector<uint32_t> palette_of(int colours) {
    std::vector<uint32_t> p;
    for (int i = 0; i < colours; ++i)
        p.push_back(static_cast<uint32_t>(((i * 53 + 9) & 0xFF) << 16 | ((i * 29) & 0xFF) << 8 |
                                          ((200 - i * 7) & 0xFF)));
    return p;
}

// Index (x, y) of the test pictures: every index of the palette turns up.
int index_at(int x, int y, int colours) {
    return (x * 3 + y * 7) % colours;
}

Image palette_sheet(int w, int h, int depth, int colours) {
    return png_files::palette_image(w, h, depth, palette_of(colours),
                                    [=](int x, int y) { return index_at(x, y, colours); });
}

std::vector<uint16_t> rgb_at(int x, int y) {
    return {static_cast<uint16_t>(x * 40 % 256), static_cast<uint16_t>(y * 60 % 256),
            static_cast<uint16_t>((x + y) * 25 % 256)};
}

// ---- the layer's decoder: what GDI+ gives each kind of file -------------------------------------

TEST(PngDecoder, EachColourTypeAndDepthGetsTheSystemsPixelFormat) {
    struct Case {
        int colour_type, depth;
        bool transparency;
        PngPixels pixels;
    };
    const Case cases[] = {
        {png_files::kPalette, 1, false, PngPixels::Indexed1},
        {png_files::kPalette, 2, false, PngPixels::Argb32},
        {png_files::kPalette, 4, false, PngPixels::Indexed4},
        {png_files::kPalette, 8, false, PngPixels::Indexed8},
        {png_files::kPalette, 4, true, PngPixels::Argb32},
        {png_files::kPalette, 8, true, PngPixels::Argb32},
        {png_files::kGrey, 1, false, PngPixels::Indexed1},
        {png_files::kGrey, 1, true, PngPixels::Argb32},
        {png_files::kGrey, 4, false, PngPixels::Argb32},
        {png_files::kGrey, 16, false, PngPixels::Argb32},
        {png_files::kGreyAlpha, 8, false, PngPixels::Argb32},
        {png_files::kRgb, 8, false, PngPixels::Rgb24},
        {png_files::kRgb, 8, true, PngPixels::Argb32},
        {png_files::kRgb, 16, false, PngPixels::Argb32},
        {png_files::kRgba, 8, false, PngPixels::Argb32},
        {png_files::kRgba, 16, false, PngPixels::Argb32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("colour type " + std::to_string(c.colour_type) + ", " + std::to_string(c.depth) +
                     " bits" + (c.transparency ? ", tRNS" : ""));
        Image image;
        if (c.colour_type == png_files::kPalette) {
            image = palette_sheet(5, 3, c.depth, 1 << std::min(c.depth, 4));
            if (c.transparency) image.trns = {0};
        } else {
            const int channels = c.colour_type == png_files::kRgb         ? 3
                                 : c.colour_type == png_files::kRgba      ? 4
                                 : c.colour_type == png_files::kGreyAlpha ? 2
                                                                          : 1;
            image = png_files::direct_image(5, 3, c.colour_type, c.depth, [&](int x, int) {
                return std::vector<uint16_t>(static_cast<size_t>(channels), static_cast<uint16_t>(x % 2));
            });
            if (c.transparency) image.trns = Bytes(c.colour_type == png_files::kRgb ? 6 : 2, 0);
        }
        const Bytes file = png_files::write_png(image);
        ASSERT_FALSE(file.empty());
        PngError error = PngError::Corrupt;
        const auto d = decode_png(span_of(file), &error);
        ASSERT_TRUE(d.has_value());
        EXPECT_EQ(error, PngError::None);
        EXPECT_EQ(d->pixels, c.pixels);
        EXPECT_EQ(d->stride % 4, 0);
        EXPECT_EQ(d->rows.size(), static_cast<size_t>(d->stride) * 3);
    }
}

TEST(PngDecoder, APaletteWithTransparencyIsKeptBesideItsArgbColours) {
    Image image = palette_sheet(6, 4, 8, 12);
    image.trns = {0, 128};
    const auto d = decode_png(span_of(png_files::write_png(image)));
    ASSERT_TRUE(d.has_value());
    ASSERT_EQ(d->pixels, PngPixels::Argb32);
    ASSERT_EQ(d->palette.size(), 12u);
    EXPECT_EQ(d->palette[0], palette_of(12)[0]);  // alpha 0
    EXPECT_EQ(d->palette[1], 0x80000000u | palette_of(12)[1]);
    EXPECT_EQ(d->palette[11], 0xFF000000u | palette_of(12)[11]);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            uint32_t argb = 0;
            std::memcpy(&argb, d->rows.data() + y * d->stride + 4 * x, 4);
            EXPECT_EQ(argb, d->palette[static_cast<size_t>(index_at(x, y, 12))]) << x << "," << y;
        }
}

TEST(PngDecoder, SixteenBitChannelsKeepTheirHighByteAndInterlacingChangesNothing) {
    const Image deep = png_files::direct_image(9, 7, png_files::kRgb, 16, [](int x, int y) {
        return std::vector<uint16_t>{static_cast<uint16_t>(x * 0x1F00 + 0xFF),
                                     static_cast<uint16_t>(y * 0x2400 + 0x80), 0x12FF};
    });
    const auto d = decode_png(span_of(png_files::write_png(deep)));
    ASSERT_TRUE(d.has_value());
    ASSERT_EQ(d->pixels, PngPixels::Argb32);
    const uint8_t* px = d->rows.data() + 2 * d->stride + 4 * 3;  // (3, 2): B G R A
    EXPECT_EQ(px[0], 0x12);
    EXPECT_EQ(px[1], (2 * 0x24) & 0xFF);
    EXPECT_EQ(px[2], (3 * 0x1F) & 0xFF);
    EXPECT_EQ(px[3], 0xFF);

    for (Image image : {palette_sheet(13, 11, 4, 16), palette_sheet(10, 9, 1, 2),
                        png_files::direct_image(12, 10, png_files::kRgb, 8, rgb_at)}) {
        const auto plain = decode_png(span_of(png_files::write_png(image)));
        image.interlaced = true;
        const Bytes interlaced_file = png_files::write_png(image);
        const auto interlaced = decode_png(span_of(interlaced_file));
        ASSERT_TRUE(plain.has_value() && interlaced.has_value());
        EXPECT_EQ(interlaced->pixels, plain->pixels);
        EXPECT_EQ(interlaced->rows, plain->rows);
    }
}

TEST(PngDecoder, AMalformedTransparencyChunkStillMakesTheBitmapArgb) {
    // A tRNS of two bytes cannot key an RGB colour; libpng drops it, the system still goes by it.
    const Bytes file = png_files::joined(
        {png_files::signature(), png_files::ihdr(2, 1, 8, png_files::kRgb), png_files::chunk("tRNS", {0, 0}),
         png_files::chunk("IDAT", png_files::compressed({0, 1, 2, 3, 4, 5, 6})),
         png_files::chunk("IEND", {})});
    const auto d = decode_png(span_of(file));
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->pixels, PngPixels::Argb32);
    EXPECT_EQ(d->rows[3], 0xFF);  // opaque
    EXPECT_EQ(d->rows[2], 1);     // red of (0, 0)
}

TEST(PngDecoder, WhatIsNotAWholePngIsRefused) {
    PngError error = PngError::None;
    EXPECT_FALSE(decode_png(span_of(Bytes{'B', 'M', 0, 0}), &error).has_value());
    EXPECT_EQ(error, PngError::NotPng);
    const Bytes good = png_files::write_png(palette_sheet(7, 5, 8, 20));
    for (size_t n = 0; n < good.size(); ++n) {
        const Bytes prefix(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        const auto d = decode_png(span_of(prefix), &error);
        // Only IEND (12 bytes) may be missing: the pixels are all there before it.
        if (n + 12 < good.size()) {
            EXPECT_FALSE(d.has_value()) << n;
        }
        if (!d) {
            EXPECT_NE(error, PngError::None) << n;
        }
    }
    Bytes bad_crc = good;
    bad_crc[bad_crc.size() - 13] ^= 0x40;  // the last byte of the IDAT chunk's CRC
    EXPECT_FALSE(decode_png(span_of(bad_crc), &error).has_value());
    EXPECT_EQ(error, PngError::Corrupt);
    const Bytes no_palette = png_files::joined(
        {png_files::signature(), png_files::ihdr(1, 1, 8, png_files::kPalette),
         png_files::chunk("IDAT", png_files::compressed({0, 0})), png_files::chunk("IEND", {})});
    EXPECT_FALSE(decode_png(span_of(no_palette), &error).has_value());
    EXPECT_EQ(error, PngError::Corrupt);
}

TEST(PngDecoder, HugeSidesAndPixelsAreRefusedBeforeAnyAllocation) {
    PngError error = PngError::None;
    const Bytes wide = png_files::joined(
        {png_files::signature(), png_files::ihdr(16385, 1, 8, png_files::kRgb),
         png_files::chunk("IDAT", png_files::compressed({0})), png_files::chunk("IEND", {})});
    EXPECT_FALSE(decode_png(span_of(wide), &error).has_value());
    EXPECT_EQ(error, PngError::TooLarge);
    // 16384 x 16384 at 32 bits is 1 GB of pixels, four times what a bitmap may hold.
    const Bytes big = png_files::joined(
        {png_files::signature(), png_files::ihdr(16384, 16384, 8, png_files::kRgba),
         png_files::chunk("IDAT", png_files::compressed(Bytes(65537, 0))), png_files::chunk("IEND", {})});
    EXPECT_FALSE(decode_png(span_of(big), &error).has_value());
    EXPECT_EQ(error, PngError::TooLarge);
    EXPECT_FALSE(
        decode_png(span_of(png_files::write_png(palette_sheet(64, 64, 8, 4))), &error, 4095).has_value());
    EXPECT_EQ(error, PngError::TooLarge);
}

TEST(PngDecoder, CompressedDataFarBeyondTheImageIsNotInflated) {
    // 4 x 4 RGB needs 52 bytes; 6 MB of zeros compress to about 6 KB, which libpng would
    // inflate whole after the last row.
    const Bytes bomb = png_files::joined({png_files::signature(), png_files::ihdr(4, 4, 8, png_files::kRgb),
                                          png_files::chunk("IDAT", png_files::compressed(Bytes(6u << 20, 0))),
                                          png_files::chunk("IEND", {})});
    PngError error = PngError::None;
    EXPECT_FALSE(decode_png(span_of(bomb), &error).has_value());
    EXPECT_EQ(error, PngError::Corrupt);
    // An encoder that cannot compress at all stays well inside the allowance.
    const Image noise = png_files::direct_image(64, 64, png_files::kRgb, 8, [](int x, int y) {
        const uint32_t v = static_cast<uint32_t>(x * 2654435761u ^ y * 40503u);
        return std::vector<uint16_t>{static_cast<uint16_t>(v & 0xFF), static_cast<uint16_t>(v >> 8 & 0xFF),
                                     static_cast<uint16_t>(v >> 16 & 0xFF)};
    });
    EXPECT_TRUE(decode_png(span_of(png_files::write_png(noise))).has_value());
}

// ---- the program's own reading of the header and palette ----------------------------------------

TEST(PngHeader, PaletteTransparencyAndCompressedBytesAreReadUpToTheEnd) {
    Image image = palette_sheet(10, 3, 4, 9);
    image.trns = {0, 77};
    const png_file::HeaderResult r = png_file::read_png_header(span_of(png_files::write_png(image)));
    ASSERT_EQ(r.error, png_file::HeaderError::None);
    EXPECT_EQ(r.header.width, 10u);
    EXPECT_EQ(r.header.height, 3u);
    EXPECT_EQ(r.header.bit_depth, 4);
    EXPECT_EQ(r.header.colour_type, png_file::kColourTypePalette);
    ASSERT_EQ(r.header.palette.size(), 9u);
    EXPECT_EQ(r.header.palette[0], palette_of(9)[0]);
    EXPECT_EQ(r.header.palette[1], 77u << 24 | palette_of(9)[1]);
    EXPECT_EQ(r.header.palette[8], 0xFF000000u | palette_of(9)[8]);
    EXPECT_EQ(png_file::filtered_bytes(r.header), 3u * (1 + 5));
    EXPECT_TRUE(png_file::compressed_data_fits(r.header));
    // Two IDAT chunks count together.
    const Bytes split =
        png_files::joined({png_files::signature(), png_files::ihdr(2, 2, 8, png_files::kRgb),
                           png_files::chunk("IDAT", Bytes(3000, 0)), png_files::chunk("IDAT", Bytes(2000, 0)),
                           png_files::chunk("IEND", {})});
    const png_file::HeaderResult s = png_file::read_png_header(span_of(split));
    ASSERT_EQ(s.error, png_file::HeaderError::None);
    EXPECT_EQ(s.header.compressed_bytes, 5000u);
    EXPECT_FALSE(png_file::compressed_data_fits(s.header));
}

TEST(PngHeader, WhatCannotGiveAHeaderAndAPaletteIsBroken) {
    const Bytes ihdr8 = png_files::ihdr(4, 4, 8, png_files::kPalette);
    const Bytes idat = png_files::chunk("IDAT", png_files::compressed(Bytes(20, 0)));
    const auto plte = [](size_t entries) { return png_files::chunk("PLTE", Bytes(3 * entries, 9)); };
    Bytes cut_plte = plte(4);
    cut_plte.resize(cut_plte.size() - 2);
    struct Case {
        const char* what;
        Bytes file;
        png_file::HeaderError error;
    };
    const Case cases[] = {
        {"no signature", Bytes{'G', 'I', 'F', '8'}, png_file::HeaderError::NotPng},
        {"no IHDR first", png_files::joined({png_files::signature(), plte(4), ihdr8, idat}),
         png_file::HeaderError::Broken},
        {"2-bit RGB",
         png_files::joined({png_files::signature(), png_files::ihdr(4, 4, 2, png_files::kRgb), idat}),
         png_file::HeaderError::Broken},
        {"no width",
         png_files::joined({png_files::signature(), png_files::ihdr(0, 4, 8, png_files::kRgb), idat}),
         png_file::HeaderError::Broken},
        {"no PLTE", png_files::joined({png_files::signature(), ihdr8, idat}), png_file::HeaderError::Broken},
        {"PLTE beyond the depth",
         png_files::joined(
             {png_files::signature(), png_files::ihdr(4, 4, 1, png_files::kPalette), plte(3), idat}),
         png_file::HeaderError::Broken},
        {"two PLTEs", png_files::joined({png_files::signature(), ihdr8, plte(4), plte(4), idat}),
         png_file::HeaderError::Broken},
        {"tRNS beyond the palette",
         png_files::joined(
             {png_files::signature(), ihdr8, plte(2), png_files::chunk("tRNS", {0, 0, 0}), idat}),
         png_file::HeaderError::Broken},
        {"no pixel data",
         png_files::joined({png_files::signature(), ihdr8, plte(4), png_files::chunk("IEND", {})}),
         png_file::HeaderError::Broken},
        {"a chunk cut short", png_files::joined({png_files::signature(), ihdr8, cut_plte}),
         png_file::HeaderError::Broken},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(png_file::read_png_header(span_of(c.file)).error, c.error);
    }
}

TEST(PngHeader, ColoursFindTheirFirstEntryOrTheNearestAndTheFiveBitColourHalvesAlpha) {
    const std::vector<uint32_t> palette = {0x00FF00FFu, 0xFF101010u, 0xFF808080u, 0xFF101010u, 0x80101010u};
    const png_file::PaletteLookup lookup(palette);
    EXPECT_EQ(lookup.index_of(0x00FF00FFu), 0);
    EXPECT_EQ(lookup.index_of(0xFF101010u), 1);  // 3 holds the same colour
    EXPECT_EQ(lookup.index_of(0x80101010u), 4);  // the alpha tells it from 1
    EXPECT_EQ(lookup.index_of(0xFF7A8284u), 2);  // corrected by a decoder: the nearest
    EXPECT_EQ(png_file::rgb555_of(0xFFFFFFFFu), 0x7FFF);
    EXPECT_EQ(png_file::rgb555_of(0xFFF80000u), 0x7C00);
    EXPECT_EQ(png_file::rgb555_of(0xFF0007F8u), 0x001F);  // the low three bits go
    EXPECT_EQ(png_file::rgb555_of(0x80084210u), (1 << 10) | (8 << 5) | 2);
    EXPECT_EQ(png_file::rgb555_of(0x7FFFFFFFu), 0);  // less than half opaque
}

// ---- the sheets the program makes of PNG files --------------------------------------------------

// Each test writes its files into a folder of its own, removed afterwards.
class PngSheets : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "cw_png_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    std::string write(const char* name, const Bytes& bytes) {
        EXPECT_TRUE(png_files::save(path(name), bytes));
        return path(name);
    }
    std::string write(const char* name, const Image& image) {
        return write(name, png_files::write_png(image));
    }

    std::filesystem::path dir_;
};

// A decoded sheet's DIB as the working image gets it.
struct Dib {
    int width = 0, height = 0, bpp = 0;
    std::vector<RGBQUAD> colours;
    std::vector<uint32_t> pixels;  // indices, or 5-5-5 values
};

Dib dib_of(const DecodedImage& image) {
    Dib d;
    auto* b = cw::gdi::object_as<cw::gdi::Bitmap>(image.bitmap, cw::gdi::ObjectKind::Bitmap);
    if (!b) return d;
    d.width = b->width;
    d.height = b->height;
    d.bpp = b->format.bpp;
    d.colours = b->palette;
    const cw::gdi::PixelBuffer px = b->buffer();
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x) d.pixels.push_back(cw::gdi::read_raw(px, x, y));
    return d;
}

// Decodes the file and hands its DIB over, the bitmap deleted.
Dib decoded_dib(const std::string& path, DecodedImage* out = nullptr) {
    DecodedImage image = decode_image_file(path.c_str());
    EXPECT_EQ(image.problem, ImageProblem::None) << image_refusal_text(image, path.c_str());
    Dib d = dib_of(image);
    if (image.bitmap) DeleteObject(image.bitmap);
    image.bitmap = nullptr;
    if (out) *out = image;
    return d;
}

std::vector<uint32_t> expected_indices(const Image& image) {
    std::vector<uint32_t> v;
    for (const auto& s : image.samples) v.push_back(s[0]);
    return v;
}

void expect_colour_table(const Dib& d, const std::vector<uint32_t>& palette) {
    ASSERT_GE(d.colours.size(), palette.size());
    for (size_t i = 0; i < palette.size(); ++i) {
        EXPECT_EQ(d.colours[i].rgbRed, (palette[i] >> 16) & 0xFF) << i;
        EXPECT_EQ(d.colours[i].rgbGreen, (palette[i] >> 8) & 0xFF) << i;
        EXPECT_EQ(d.colours[i].rgbBlue, palette[i] & 0xFF) << i;
    }
}

TEST_F(PngSheets, PalettesOfUpTo16ColoursGiveA4BitDibWhateverTheDepth) {
    for (int depth : {1, 2, 4, 8}) {
        SCOPED_TRACE(std::to_string(depth) + " bits");
        const int colours = depth == 1 ? 2 : depth == 2 ? 4 : 16;
        const Image image = palette_sheet(9, 5, depth, colours);
        DecodedImage info;
        const Dib d = decoded_dib(write("sheet.png", image), &info);
        EXPECT_EQ(d.bpp, 4);
        EXPECT_EQ(info.bits_per_pixel, 4);
        EXPECT_TRUE(info.sets_tpage);
        EXPECT_EQ(info.tpage, 0x000u);
        EXPECT_EQ(info.clut_attribute, 0);
        EXPECT_EQ(d.width, 9);
        EXPECT_EQ(d.height, 5);
        expect_colour_table(d, image.palette);
        EXPECT_EQ(d.pixels, expected_indices(image));
    }
}

TEST_F(PngSheets, PalettesOfUpTo256ColoursGiveAn8BitDib) {
    for (int colours : {17, 256}) {
        const Image image = palette_sheet(40, 7, 8, colours);
        DecodedImage info;
        const Dib d = decoded_dib(write("sheet.png", image), &info);
        EXPECT_EQ(d.bpp, 8);
        EXPECT_EQ(info.tpage, 0x080u);
        expect_colour_table(d, image.palette);
        EXPECT_EQ(d.pixels, expected_indices(image));
    }
}

TEST_F(PngSheets, TransparencyKeepsTheIndicesAndIndexZeroItsColour) {
    // The system's decoder gives such files as colours; the file's palette turns them back into
    // indices. Entry 3 repeats entry 1 with another alpha, which tells them apart.
    std::vector<uint32_t> palette = palette_of(8);
    palette[3] = palette[1];
    Image image = png_files::palette_image(8, 6, 4, palette, [](int x, int y) { return (x + 2 * y) % 8; });
    image.trns = {0, 255, 255, 40};
    const Dib d = decoded_dib(write("alpha.png", image));
    EXPECT_EQ(d.bpp, 4);
    expect_colour_table(d, palette);
    EXPECT_EQ(d.pixels, expected_indices(image));
    image.interlaced = true;
    EXPECT_EQ(decoded_dib(write("interlaced.png", image)).pixels, expected_indices(image));
}

TEST_F(PngSheets, EveryOtherPngGivesA555DibWithLessThanHalfOpaqueAsZero) {
    const Image rgba = png_files::direct_image(4, 2, png_files::kRgba, 8, [](int x, int y) {
        return std::vector<uint16_t>{static_cast<uint16_t>(0xF8 - x), 0x47, static_cast<uint16_t>(y * 0x80),
                                     static_cast<uint16_t>(x == 0   ? 0
                                                           : x == 1 ? 127
                                                           : x == 2 ? 128
                                                                    : 255)};
    });
    DecodedImage info;
    const Dib d = decoded_dib(write("rgba.png", rgba), &info);
    EXPECT_EQ(d.bpp, 16);
    EXPECT_EQ(info.bits_per_pixel, 16);
    EXPECT_EQ(info.tpage, 0x100u);
    const uint32_t green = 0x47 >> 3;
    EXPECT_EQ(d.pixels, (std::vector<uint32_t>{
                            0, 0, (0xF6u >> 3) << 10 | green << 5, (0xF5u >> 3) << 10 | green << 5, 0, 0,
                            (0xF6u >> 3) << 10 | green << 5 | 0x10, (0xF5u >> 3) << 10 | green << 5 | 0x10}));
    // 16-bit channels, greys and true colour without alpha all end up the same way.
    const Image deep = png_files::direct_image(3, 1, png_files::kRgb, 16, [](int x, int) {
        return std::vector<uint16_t>{static_cast<uint16_t>(0x8000 + x * 0x0800), 0x07FF, 0xFFFF};
    });
    EXPECT_EQ(decoded_dib(write("deep.png", deep)).pixels,
              (std::vector<uint32_t>{16u << 10 | 31, 17u << 10 | 31, 18u << 10 | 31}));
    const Image grey = png_files::direct_image(2, 1, png_files::kGrey, 8, [](int x, int) {
        return std::vector<uint16_t>{static_cast<uint16_t>(x ? 0x84 : 0x07)};
    });
    EXPECT_EQ(decoded_dib(write("grey.png", grey)).pixels,
              (std::vector<uint32_t>{0, 16u << 10 | 16u << 5 | 16}));
    Image rgb = png_files::direct_image(20, 11, png_files::kRgb, 8, rgb_at);
    const Dib plain = decoded_dib(write("rgb.png", rgb));
    rgb.interlaced = true;
    EXPECT_EQ(decoded_dib(write("rgb_interlaced.png", rgb)).pixels, plain.pixels);
}

TEST_F(PngSheets, ThePathNamesTheLoaderCaseSensitively) {
    const Bytes file = png_files::write_png(palette_sheet(3, 3, 8, 5));
    EXPECT_EQ(decode_image_file(write("SHEET.PNG", file).c_str()).problem, ImageProblem::UnknownFormat);
    DecodedImage image = decode_image_file(write("sheet.png.bak", file).c_str());
    EXPECT_EQ(image.problem, ImageProblem::None);
    DeleteObject(image.bitmap);
    // A BMP by name that is a PNG inside is the BMP loader's to refuse, as before.
    EXPECT_EQ(decode_image_file(write("sheet.bmp", file).c_str()).problem, ImageProblem::CannotOpen);
}

TEST_F(PngSheets, BadFilesAreRefusedWithTheirReason) {
    struct Case {
        const char* name;
        Bytes file;
        ImageProblem problem;
        PngRefusal why;
        const char* text;
    };
    const Bytes good = png_files::write_png(palette_sheet(8, 8, 8, 30));
    Bytes cut = good;
    cut.resize(good.size() - 30);
    Bytes broken_stream = good;
    broken_stream[good.size() - 20] ^= 0xFF;  // inside the IDAT data, the CRC no longer holds
    // Indices 4 and 6 beyond the 3 colours of the palette.
    const Bytes beyond = png_files::joined(
        {png_files::signature(), png_files::ihdr(4, 1, 4, png_files::kPalette),
         png_files::chunk("PLTE", Bytes(9, 0x40)),
         png_files::chunk("IDAT", png_files::compressed({0, 0x02, 0x46})), png_files::chunk("IEND", {})});
    // 16 MB and a byte: a text chunk carries the size.
    const Bytes pixels = png_files::chunk("IDAT", png_files::compressed({0, 1, 2, 3}));
    const size_t text = (16u << 20) + 1 - (8 + 25 + 12 + pixels.size() + 12);
    const Bytes huge =
        png_files::joined({png_files::signature(), png_files::ihdr(1, 1, 8, png_files::kRgb),
                           png_files::chunk("tEXt", Bytes(text, 'a')), pixels, png_files::chunk("IEND", {})});
    ASSERT_EQ(huge.size(), (16u << 20) + 1);
    const Bytes bomb = png_files::joined({png_files::signature(), png_files::ihdr(16, 16, 8, png_files::kRgb),
                                          png_files::chunk("IDAT", png_files::compressed(Bytes(8u << 20, 0))),
                                          png_files::chunk("IEND", {})});
    const char* broken_text = "PNGﾌｧｲﾙが壊れています.\n壊れたﾌｧｲﾙはｻﾎﾟｰﾄしていません.";
    const Case cases[] = {
        {"wide.png", png_files::write_png(palette_sheet(257, 1, 8, 4)), ImageProblem::TooLarge,
         PngRefusal::None, "256pixel以上のｻｲｽﾞのｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません."},
        {"high.png", png_files::write_png(palette_sheet(1, 257, 8, 4)), ImageProblem::TooLarge,
         PngRefusal::None, "256pixel以上のｻｲｽﾞのｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません."},
        {"text.png", Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'}, ImageProblem::PngRefused,
         PngRefusal::NotPng, "PNGﾌｧｲﾙではありません.\nﾌｧｲﾙの内容を確認してください."},
        {"cut.png", cut, ImageProblem::PngRefused, PngRefusal::Broken, broken_text},
        {"stream.png", broken_stream, ImageProblem::PngRefused, PngRefusal::Broken, broken_text},
        {"beyond.png", beyond, ImageProblem::PngRefused, PngRefusal::Broken, broken_text},
        {"huge.png", huge, ImageProblem::PngRefused, PngRefusal::FileTooLarge,
         "16MBを超えるPNGﾌｧｲﾙは\nｻﾎﾟｰﾄしていません."},
        {"bomb.png", bomb, ImageProblem::PngRefused, PngRefusal::DataTooLarge,
         "PNGﾌｧｲﾙの圧縮ﾃﾞｰﾀが画像の大きさを超えています.\n壊れたﾌｧｲﾙはｻﾎﾟｰﾄしていません."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = write(c.name, c.file);
        const DecodedImage image = decode_image_file(path.c_str());
        EXPECT_EQ(image.problem, c.problem);
        EXPECT_EQ(image.png_refusal, c.why);
        EXPECT_EQ(image.bitmap, nullptr);
        EXPECT_EQ(image_refusal_text(image, path.c_str()), c.text);
    }
    // 256 pixels each way is as far as a sheet goes.
    DecodedImage full;
    EXPECT_EQ(decoded_dib(write("full.png", palette_sheet(256, 256, 8, 200)), &full).width, 256);
    EXPECT_EQ(decode_image_file(path("missing.png").c_str()).problem, ImageProblem::CannotOpen);
}

}  // namespace
