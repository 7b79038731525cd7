// A sprite sheet as the console's frame buffer would hold it: how colours become words
// (black, too-dark colours and the STP bit), how pictures become texels and CLUTs in each
// mode (the palette order kept, first appearance otherwise, too many colours refused), and
// how a decoded bitmap's indices and colour table are read whichever way its rows run.
#include <gtest/gtest.h>

#include <vector>

#include "files/console_sheet.h"

namespace {

constexpr uint32_t kBlack = 0x000000, kRed = 0xF80000, kGreen = 0x00F800, kBlue = 0x0000F8;

SheetPixels indexed(int w, int h, std::vector<uint8_t> indices, std::vector<uint32_t> palette) {
    SheetPixels p;
    p.width = w;
    p.height = h;
    p.indexed = true;
    p.indices = std::move(indices);
    p.palette = std::move(palette);
    return p;
}

SheetPixels colours(int w, int h, std::vector<uint32_t> rgb) {
    SheetPixels p;
    p.width = w;
    p.height = h;
    p.rgb = std::move(rgb);
    return p;
}

SheetConversion in_mode(int mode) {
    SheetConversion how;
    how.mode = mode;
    how.x = 640;
    how.y = 256;
    how.clut_x = 16;
    how.clut_y = 480;
    return how;
}

// A DIB section of 4 x 2 pixels, 4 bits a pixel, the rows given top first.
HBITMAP four_bit_section(bool top_down, const uint8_t top[2], const uint8_t bottom[2], int colours) {
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 16 * sizeof(RGBQUAD), 0);
    auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi->bmiHeader.biWidth = 4;
    bmi->bmiHeader.biHeight = top_down ? -2 : 2;
    bmi->bmiHeader.biPlanes = 1;
    bmi->bmiHeader.biBitCount = 4;
    bmi->bmiHeader.biCompression = BI_RGB;
    bmi->bmiHeader.biClrUsed = static_cast<DWORD>(colours);
    auto* table = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
    table[0] = RGBQUAD{0, 0, 0, 0};
    table[1] = RGBQUAD{0, 0, 255, 0};  // red
    table[2] = RGBQUAD{0, 255, 0, 0};  // green
    table[3] = RGBQUAD{0, 0, 0, 0};    // black again
    void* bits = nullptr;
    HBITMAP b = CreateDIBSection(nullptr, bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* row = static_cast<uint8_t*>(bits);
    const uint8_t* first = top_down ? top : bottom;
    const uint8_t* second = top_down ? bottom : top;
    row[0] = first[0], row[1] = first[1], row[4] = second[0], row[5] = second[1];  // rows of 4 bytes
    return b;
}

}  // namespace

TEST(ConsoleColours, BlackTooDarkColoursAndTheStpBitBecomeTheConsolesWords) {
    struct Case {
        uint32_t rgb;
        BlackTexels black;
        StpBits stp;
        uint16_t word;
    };
    const BlackTexels T = BlackTexels::Transparent, O = BlackTexels::Opaque;
    const Case cases[] = {
        {kBlack, T, StpBits::None, 0x0000},       {kBlack, O, StpBits::None, 0x8000},
        {kBlack, T, StpBits::NonBlack, 0x0000},   {kBlack, O, StpBits::NonBlack, 0x8000},
        {kBlack, T, StpBits::All, 0x8000},        {kRed, T, StpBits::None, 0x001F},
        {kGreen, T, StpBits::None, 0x03E0},       {kBlue, T, StpBits::None, 0x7C00},
        {0xFFFFFF, T, StpBits::None, 0x7FFF},     {0xFFFFFF, T, StpBits::NonBlack, 0xFFFF},
        {0xFFFFFF, O, StpBits::All, 0xFFFF},      {0xFF0781, T, StpBits::None, 0x401F},  // low 3 bits go
        {0x080808, T, StpBits::None, 0x0421},  // the darkest grey there is
        {0x070707, T, StpBits::None, 0x8000},  // darker, not black: drawn black, not transparent
        {0x000001, T, StpBits::NonBlack, 0x8000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rgb);
        EXPECT_EQ(console_word(c.rgb, ConsoleColours{c.black, c.stp}), c.word);
    }
}

TEST(ConsoleConversion, AnIndexedPictureKeepsItsPaletteOrderAndIsPaddedToWholeWords) {
    // 5 x 2 pixels: the width takes two words of four texels, the last three padding.
    const SheetPixels p = indexed(5, 2, {2, 1, 0, 2, 1, 0, 0, 1, 1, 2}, {kRed, kBlack, kGreen});
    const Conversion c = convert_sheet(p, in_mode(0));
    ASSERT_EQ(c.problem, ConversionProblem::None);
    const tim::TimImage& t = c.image;
    EXPECT_EQ(t.mode, 0);
    EXPECT_EQ(t.width_words, 2);
    EXPECT_EQ(t.width, 8);
    EXPECT_EQ(t.height, 2);
    EXPECT_EQ(t.image_x, 640);
    EXPECT_EQ(t.image_y, 256);
    EXPECT_TRUE(t.has_clut);
    EXPECT_EQ(t.clut_x, 16);
    EXPECT_EQ(t.clut_y, 480);
    EXPECT_EQ(t.clut_entries, 16);
    EXPECT_EQ(t.clut_rows, 1);
    std::vector<uint16_t> clut(16, 0x0000);
    clut[0] = 0x001F;  // entry 0 stays red: the order is the palette's
    clut[2] = 0x03E0;
    EXPECT_EQ(t.clut, clut);
    // Texel 0 in the low nibble: 2 1 0 2 | 1 and padding, then 0 0 1 1 | 2 and padding.
    EXPECT_EQ(t.words, (std::vector<uint16_t>{0x2012, 0x0001, 0x1100, 0x0002}));
    // The 8-bit mode's CLUT has 256 entries and two texels a word.
    const Conversion eight = convert_sheet(p, in_mode(1));
    ASSERT_EQ(eight.problem, ConversionProblem::None);
    EXPECT_EQ(eight.image.clut.size(), 256u);
    EXPECT_EQ(eight.image.width_words, 3);
    EXPECT_EQ(eight.image.words[0], 0x0102);
}

TEST(ConsoleConversion, MoreColoursThanTheClutHoldsAreRefused) {
    std::vector<uint8_t> indices(16);
    for (int i = 0; i < 16; ++i) indices[i] = static_cast<uint8_t>(i);
    std::vector<uint32_t> palette(17, kRed);
    SheetPixels p = indexed(16, 1, indices, palette);
    EXPECT_EQ(convert_sheet(p, in_mode(0)).problem, ConversionProblem::None);  // index 15 is the last
    p.indices[3] = 16;
    Conversion c = convert_sheet(p, in_mode(0));
    EXPECT_EQ(c.problem, ConversionProblem::TooManyColours);
    EXPECT_EQ(c.colours_needed, 17);
    EXPECT_EQ(c.colours_held, 16);
    EXPECT_EQ(convert_sheet(p, in_mode(1)).problem, ConversionProblem::None);
    // Colours count as the console's words: two reds that differ below 5 bits are one.
    std::vector<uint32_t> rgb;
    for (int i = 0; i < 16; ++i) rgb.push_back(static_cast<uint32_t>(i + 1) << 19);
    rgb.push_back(0x010000);  // too dark: 0x8000
    rgb.push_back(0x0F0000);  // 1 << 19 again once the low bits go
    c = convert_sheet(colours(18, 1, rgb), in_mode(0));
    EXPECT_EQ(c.problem, ConversionProblem::TooManyColours);
    EXPECT_EQ(c.colours_needed, 17);
}

TEST(ConsoleConversion, OtherPicturesTakeTheirColoursInOrderTheTransparentOneFirst) {
    const SheetPixels p = colours(4, 1, {kBlue, kBlack, kRed, kBlue});
    const Conversion c = convert_sheet(p, in_mode(1));
    ASSERT_EQ(c.problem, ConversionProblem::None);
    EXPECT_EQ(std::vector<uint16_t>(c.image.clut.begin(), c.image.clut.begin() + 4),
              (std::vector<uint16_t>{0x0000, 0x7C00, 0x001F, 0x0000}));
    EXPECT_EQ(c.image.words, (std::vector<uint16_t>{0x0001, 0x0102}));
    // With black drawn there is no transparent word to put first.
    SheetConversion how = in_mode(1);
    how.colours.black = BlackTexels::Opaque;
    const Conversion opaque = convert_sheet(p, how);
    EXPECT_EQ(std::vector<uint16_t>(opaque.image.clut.begin(), opaque.image.clut.begin() + 3),
              (std::vector<uint16_t>{0x7C00, 0x8000, 0x001F}));
}

TEST(ConsoleConversion, TheFifteenBitModeWritesEveryPixelsWord) {
    SheetConversion how = in_mode(2);
    how.colours.stp = StpBits::NonBlack;
    const Conversion c = convert_sheet(indexed(3, 1, {0, 1, 2}, {kBlack, kRed, 0x040404}), how);
    ASSERT_EQ(c.problem, ConversionProblem::None);
    EXPECT_FALSE(c.image.has_clut);
    EXPECT_TRUE(c.image.clut.empty());
    EXPECT_EQ(c.image.width_words, 3);
    EXPECT_EQ(c.image.words, (std::vector<uint16_t>{0x0000, 0x801F, 0x8000}));
    EXPECT_EQ(convert_sheet(colours(1, 1, {kRed}), in_mode(3)).problem, ConversionProblem::NoSuchMode);
}

TEST(SheetPixels, AnIndexedSectionGivesItsIndicesTopRowFirstAndItsColourTable) {
    const uint8_t top[2] = {0x12, 0x30}, bottom[2] = {0x00, 0x21};
    for (const bool top_down : {true, false}) {
        SCOPED_TRACE(top_down ? "top-down" : "bottom-up");
        HBITMAP b = four_bit_section(top_down, top, bottom, 4);
        ASSERT_NE(b, nullptr);
        const SheetPixels p = read_sheet_pixels(b);
        EXPECT_TRUE(p.indexed);
        EXPECT_EQ(p.width, 4);
        EXPECT_EQ(p.height, 2);
        EXPECT_EQ(p.indices, (std::vector<uint8_t>{1, 2, 3, 0, 0, 0, 2, 1}));
        // The whole table of 16, the entries the section was not given black.
        std::vector<uint32_t> palette(16, 0x000000);
        palette[1] = 0xFF0000;
        palette[2] = 0x00FF00;
        EXPECT_EQ(p.palette, palette);
        DeleteObject(b);
    }
}

TEST(SheetPixels, ADeeperSectionGivesItsColours) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 2;
    info.bmiHeader.biHeight = 2;  // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP b = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(b, nullptr);
    auto* px = static_cast<uint8_t*>(bits);
    const uint8_t rows[8 * 2] = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};  // blue, green, red
    std::copy(rows, rows + 16, px);
    const SheetPixels p = read_sheet_pixels(b);
    EXPECT_FALSE(p.indexed);
    EXPECT_EQ(p.rgb, (std::vector<uint32_t>{0x090807, 0x0C0B0A, 0x030201, 0x060504}));
    DeleteObject(b);
}

TEST(ConsoleSheet, APictureWithoutAPlaceStandsAtThePageTpageNamesInItsMode) {
    const uint8_t top[2] = {0x12, 0x30}, bottom[2] = {0x00, 0x21};
    DecodedImage d;
    d.bitmap = four_bit_section(true, top, bottom, 4);
    d.width = 4;
    d.height = 2;
    d.bits_per_pixel = 4;
    // tpage: page (704, 256) in the 8-bit mode; CLUT attribute (32, 500).
    const ConsoleSheet s = console_sheet_of(d, 11 | 1 << 4 | 1 << 7, static_cast<uint16_t>(2 | 500 << 6));
    ASSERT_TRUE(s.drawable);
    EXPECT_EQ(s.image.mode, 1);
    EXPECT_EQ(s.image.image_x, 704);
    EXPECT_EQ(s.image.image_y, 256);
    EXPECT_EQ(s.image.clut_x, 32);
    EXPECT_EQ(s.image.clut_y, 500);
    EXPECT_EQ(s.image.words, (std::vector<uint16_t>{0x0201, 0x0003, 0x0000, 0x0102}));
    // No sprite mode in a 24-bit tpage.
    EXPECT_FALSE(console_sheet_of(d, 3 << 7, 0).drawable);
    DeleteObject(d.bitmap);
}
