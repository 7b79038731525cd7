// One frame drawn by the console's rules: the word 0x0000 never drawn, STP texels blended
// with the background by each semi-transparency mode (values worked out by hand), others
// drawn as they are; CLUT indices looked up where the record's attribute points; texels
// read from the page tpage names, mirrored by the flips.
#include <gtest/gtest.h>

#include <vector>

#include "display/console_drawing.h"
#include "display/playback_rules.h"

namespace {

constexpr uint16_t rgb15(int r, int g, int b) {
    return static_cast<uint16_t>(r | g << 5 | b << 10);
}

// A 15-bit sheet of one row at the frame buffer's (x, 0).
tim::TimImage direct_sheet(uint16_t x, std::vector<uint16_t> words) {
    tim::TimImage t;
    t.mode = 2;
    t.image_x = x;
    t.width_words = static_cast<uint16_t>(words.size());
    t.width = t.width_words;
    t.height = 1;
    t.words = std::move(words);
    return t;
}

ConsoleFrame one_row(uint32_t tpage, int w) {
    ConsoleFrame f;
    f.tpage = tpage;
    f.record.image_w = static_cast<uint16_t>(w);
    f.record.image_h = 1;
    f.base_w = static_cast<uint16_t>(w);
    f.base_h = 1;
    f.background = rgb15(10, 20, 30);
    return f;
}

}  // namespace

TEST(ConsoleDrawing, EachSemiTransparencyModeBlendsStpTexelsAsWorkedOutByHand) {
    // Page (0, 0) in the 15-bit mode: transparent, opaque red, red with STP, black with STP.
    const tim::TimImage sheet = direct_sheet(0, {0x0000, rgb15(31, 0, 0), 0x8000 | rgb15(31, 0, 0), 0x8000});
    const uint16_t b = rgb15(10, 20, 30);
    struct Case {
        int mode;
        uint16_t red, black;  // what the STP red and the STP black leave on the background
    };
    const Case cases[] = {
        {0, rgb15(20, 10, 15), rgb15(5, 10, 15)},  // (B + F) / 2, rounded down
        {1, rgb15(31, 20, 30), b},                 // B + F, clamped at 31
        {2, rgb15(0, 20, 30), b},                  // B - F, clamped at 0
        {3, rgb15(17, 20, 30), b},                 // B + F / 4: 10 + 7
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        const std::vector<uint16_t> drawn = draw_console_frame(sheet, one_row(2u << 7 | c.mode << 5, 4));
        EXPECT_EQ(drawn, (std::vector<uint16_t>{b, rgb15(31, 0, 0), c.red, c.black}));
    }
}

TEST(ConsoleDrawing, BlendingClampsEveryChannel) {
    EXPECT_EQ(blend_console_colours(0x7FFF, 0x7FFF, 1), 0x7FFF);
    EXPECT_EQ(blend_console_colours(rgb15(1, 2, 3), 0xFFFF, 2), 0x0000);
    EXPECT_EQ(blend_console_colours(rgb15(30, 1, 31), rgb15(31, 31, 4), 3), rgb15(31, 8, 31));
    EXPECT_EQ(blend_console_colours(rgb15(31, 0, 1), rgb15(0, 31, 0), 0), rgb15(15, 15, 0));
}

TEST(ConsoleDrawing, ClutIndicesAreLookedUpWhereTheRecordsAttributePoints) {
    // A 4-bit sheet at (640, 0): one word of texels 1, 2, 0, 3; its CLUT at (16, 480).
    tim::TimImage t;
    t.mode = 0;
    t.image_x = 640;
    t.width_words = 1;
    t.width = 4;
    t.height = 1;
    t.words = {0x3021};
    t.has_clut = true;
    t.clut_x = 16;
    t.clut_y = 480;
    t.clut_entries = 16;
    t.clut_rows = 1;
    t.clut.assign(16, 0);
    t.clut[1] = rgb15(31, 0, 0);
    t.clut[2] = rgb15(0, 31, 0);
    t.clut[3] = 0x0000;  // an index whose colour is transparent
    ConsoleFrame f = one_row(10, 4);
    f.record.clut = static_cast<uint16_t>(1 | 480 << 6);
    const uint16_t b = f.background;
    EXPECT_EQ(draw_console_frame(t, f), (std::vector<uint16_t>{rgb15(31, 0, 0), rgb15(0, 31, 0), b, b}));
    // An attribute pointing at (0, 480), where the sheet has no CLUT: nothing the sheet gives.
    f.record.clut = static_cast<uint16_t>(480 << 6);
    EXPECT_EQ(draw_console_frame(t, f), (std::vector<uint16_t>(4, b)));
}

TEST(ConsoleDrawing, TexelsAreReadFromThePageCornerSoASheetOffItIsReadOff) {
    // The sheet starts 10 words right of the page's corner (640, 0).
    const tim::TimImage sheet = direct_sheet(650, {rgb15(1, 1, 1), rgb15(2, 2, 2)});
    ConsoleFrame f = one_row(10 | 2u << 7, 2);
    const uint16_t b = f.background;
    EXPECT_EQ(draw_console_frame(sheet, f), (std::vector<uint16_t>{b, b}));  // u 0, 1: before the sheet
    f.record.image_x = 10;
    EXPECT_EQ(draw_console_frame(sheet, f), (std::vector<uint16_t>{rgb15(1, 1, 1), rgb15(2, 2, 2)}));
    // A tpage in the 24-bit mode draws no sprite.
    f.tpage = 10 | 3u << 7;
    EXPECT_EQ(draw_console_frame(sheet, f), (std::vector<uint16_t>{b, b}));
}

TEST(ConsoleDrawing, FlipsMirrorTheFrameAcrossTheBaseFrame) {
    // 3 x 2 texels, each its own colour, on a base frame of 5 x 3 at correction (0, 0).
    tim::TimImage t = direct_sheet(0, {});
    t.width_words = 3;
    t.width = 3;
    t.height = 2;
    for (int i = 0; i < 6; ++i) t.words.push_back(rgb15(i + 1, 0, 0));
    ConsoleFrame f = one_row(2u << 7, 3);
    f.record.image_h = 2;
    f.base_w = 5;
    f.base_h = 3;
    f.background = 0;
    const auto c = [](int i) { return rgb15(i, 0, 0); };
    EXPECT_EQ(draw_console_frame(t, f),
              (std::vector<uint16_t>{c(1), c(2), c(3), 0, 0, c(4), c(5), c(6), 0, 0, 0, 0, 0, 0, 0}));
    f.flips = kFlipLeftRight;  // lands at 5 - 0 - 3 = 2, read backwards
    EXPECT_EQ(draw_console_frame(t, f),
              (std::vector<uint16_t>{0, 0, c(3), c(2), c(1), 0, 0, c(6), c(5), c(4), 0, 0, 0, 0, 0}));
    f.flips = kFlipLeftRight | kFlipTopBottom;  // and from row 3 - 0 - 2 = 1, rows swapped
    EXPECT_EQ(draw_console_frame(t, f),
              (std::vector<uint16_t>{0, 0, 0, 0, 0, 0, 0, c(6), c(5), c(4), 0, 0, c(3), c(2), c(1)}));
}
