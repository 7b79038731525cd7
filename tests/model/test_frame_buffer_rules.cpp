// The console's frame-buffer rules: each rule fires on the sheet or data that breaks it,
// with the numbers it is about, and not on the example or on a sheet just inside the limit;
// each problem is worded as one line naming its numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files/frame_buffer_rules.h"

namespace {

using frame_buffer::Area;
using frame_buffer::Point;
using frame_buffer::Problem;
using frame_buffer::Rule;

// A 4-bit TIM of 128 x 64 texels at (640, 0) with 16 CLUT entries at (0, 480), its texels
// using indices up to 9: the example's places.
tim::TimImage example_sheet() {
    tim::TimImage t;
    t.mode = 0;
    t.image_x = 640;
    t.image_y = 0;
    t.width_words = 32;
    t.width = 128;
    t.height = 64;
    t.words.assign(32 * 64, 0x0000);
    t.words[5] = 0x9000;  // one texel of index 9
    t.has_clut = true;
    t.clut_x = 0;
    t.clut_y = 480;
    t.clut_entries = 16;
    t.clut_rows = 1;
    t.clut.assign(16, 0x7FFF);
    return t;
}

frame_buffer::Sheet sheet_of(const tim::TimImage& t) {
    frame_buffer::Sheet s;
    s.colour_mode = t.mode;
    s.width = t.width;
    s.height = t.height;
    s.placed = &t;
    return s;
}

// The example's data: a 4-bit tpage at (640, 0), the CLUT attribute of (0, 480), one pattern
// of two frames inside the sheet.
struct ExampleData {
    PatternEntry entries[kMaxPatterns]{};
    FrameRecord frames[kMaxPatterns][kMaxFrames]{};
    frame_buffer::Data data;
    ExampleData() {
        entries[0].frame_count = 2;
        entries[0].base_w = entries[0].base_h = 32;
        frames[0][0] = FrameRecord{0, 0, 5, 0, 0, 0, 15, 29};
        frames[0][1] = FrameRecord{0, 0, 5, 96, 32, 0, 32, 32};
        data.tpage = 10;
        data.clut_attribute = 480 << 6;
        data.has_frames = true;
        data.pattern_count = 1;
        data.entries = entries;
        data.frames = frames;
    }
};

std::vector<Rule> rules_of(const std::vector<Problem>& problems) {
    std::vector<Rule> out;
    for (const Problem& p : problems) out.push_back(p.rule);
    return out;
}

const Problem* find(const std::vector<Problem>& problems, Rule rule) {
    const auto it =
        std::find_if(problems.begin(), problems.end(), [&](const Problem& p) { return p.rule == rule; });
    return it == problems.end() ? nullptr : &*it;
}

// The line for the user, compared with the literals here, which are CP932 as the program's.
std::string text_of(const Problem& p) {
    return frame_buffer::problem_text(p);
}

}  // namespace

TEST(FrameBufferRules, TheExampleBreaksNone) {
    const tim::TimImage t = example_sheet();
    const frame_buffer::Sheet s = sheet_of(t);
    ExampleData d;
    EXPECT_TRUE(frame_buffer::check_sheet(s).empty());
    EXPECT_TRUE(frame_buffer::check_data(d.data, &s).empty());
}

TEST(FrameBufferRules, ASheetHalfAPageRightPutsEveryFrame128TexelsOff) {
    tim::TimImage t = example_sheet();
    t.image_x = 672;  // 32 words: 128 texels of the 4-bit mode
    t.image_y = 260;
    const std::vector<Problem> p = frame_buffer::check_sheet(sheet_of(t));
    ASSERT_EQ(rules_of(p), std::vector<Rule>{Rule::SheetOffPageCorner});
    EXPECT_EQ(p[0].off, (Point{128, 4}));
    EXPECT_EQ(p[0].page, (Point{640, 256}));
    EXPECT_EQ(p[0].sheet, (Area{672, 260, 32, 64}));
    EXPECT_EQ(text_of(p[0]),
              "ｲﾒｰｼﾞの配置座標(672, 260)がﾃｸｽﾁｬﾍﾟｰｼﾞの角(640, 256)にありません. "
              "全ﾌﾚｰﾑのﾃｸｾﾙが横に128, 縦に4ずれます.");
    // In the 8-bit and 15-bit modes the same words are fewer texels.
    t.mode = 1;
    t.image_y = 0;
    EXPECT_EQ(frame_buffer::check_sheet(sheet_of(t))[0].off, (Point{64, 0}));
    t.mode = 2;
    t.has_clut = false;
    EXPECT_EQ(frame_buffer::check_sheet(sheet_of(t))[0].off, (Point{32, 0}));
}

TEST(FrameBufferRules, AFramePastTexel255IsNamedWithItsTexels) {
    tim::TimImage t = example_sheet();
    t.image_x = 672;
    const frame_buffer::Sheet s = sheet_of(t);
    ExampleData d;
    d.data.tpage = 10;
    // Frame 1 covers texels 96..127 of the sheet: 224..255 from the page's corner, still inside.
    std::vector<Problem> p = frame_buffer::check_data(d.data, &s);
    EXPECT_EQ(find(p, Rule::TexelsPastPage), nullptr);
    d.frames[0][1].image_w = 33;  // one more reaches texel 256
    p = frame_buffer::check_data(d.data, &s);
    const Problem* past = find(p, Rule::TexelsPastPage);
    ASSERT_NE(past, nullptr);
    EXPECT_EQ(past->pattern, 0);
    EXPECT_EQ(past->frame, 1);
    EXPECT_EQ(past->texels, (Area{224, 32, 33, 32}));
    EXPECT_EQ(text_of(*past), "ﾌﾚｰﾑのﾃｸｾﾙ(u 224-256, v 32-63)がﾃｸｽﾁｬﾍﾟｰｼﾞの角から255を越えます(4bitCLUT).");
    // Without an image the data's own texels are counted from the corner tpage names.
    d.frames[0][1] = FrameRecord{0, 0, 0, 250, 250, 0, 10, 3};
    p = frame_buffer::check_data(d.data, nullptr);
    ASSERT_EQ(rules_of(p), std::vector<Rule>{Rule::TexelsPastPage});
    EXPECT_EQ(p[0].texels, (Area{250, 250, 10, 3}));
    EXPECT_EQ(p[0].page, (Point{640, 0}));
}

TEST(FrameBufferRules, PicturesAndClutsLeavingTheFrameBufferAreNamed) {
    tim::TimImage t = example_sheet();
    t.image_x = 960;  // the last page: 64 words are left, the picture takes 32
    t.image_y = 256;
    t.clut_x = 1024 - 16;  // the CLUT's 16 entries end at the last word of the last line
    t.clut_y = 511;
    EXPECT_TRUE(frame_buffer::check_sheet(sheet_of(t)).empty());
    t.width_words = 96;
    t.words.assign(96 * 64, 0);
    t.clut_x = 1024;
    const std::vector<Problem> p = frame_buffer::check_sheet(sheet_of(t));
    ASSERT_EQ(rules_of(p), (std::vector<Rule>{Rule::SheetOutsideFrameBuffer, Rule::ClutOutsideFrameBuffer}));
    EXPECT_EQ(p[0].sheet, (Area{960, 256, 96, 64}));
    EXPECT_EQ(p[1].clut, (Area{1024, 511, 16, 1}));
    EXPECT_EQ(text_of(p[0]), "ｲﾒｰｼﾞ(960, 256) 96 x 64がﾌﾚｰﾑﾊﾞｯﾌｧ(1024 x 512)からはみ出します.");
    EXPECT_EQ(text_of(p[1]), "CLUT(1024, 511) 16 x 1がﾌﾚｰﾑﾊﾞｯﾌｧ(1024 x 512)からはみ出します.");
}

TEST(FrameBufferRules, AClutOffTheSixteenWordStepSaysWhereTheAttributePoints) {
    tim::TimImage t = example_sheet();
    t.clut_x = 8;
    const std::vector<Problem> p = frame_buffer::check_sheet(sheet_of(t));
    ASSERT_EQ(rules_of(p), std::vector<Rule>{Rule::ClutXNotMultipleOf16});
    EXPECT_EQ(p[0].named, (Point{0, 480}));
    EXPECT_EQ(text_of(p[0]), "CLUT座標X 8が16の倍数ではありません. CLUT属性は(0, 480)を指します.");
}

TEST(FrameBufferRules, AClutShorterThanTheIndicesUsedOrNoneAtAll) {
    tim::TimImage t = example_sheet();
    t.clut_entries = 10;  // indices 0..9 are used: just enough
    t.clut.resize(10);
    EXPECT_TRUE(frame_buffer::check_sheet(sheet_of(t)).empty());
    t.clut_entries = 9;
    t.clut.resize(9);
    std::vector<Problem> p = frame_buffer::check_sheet(sheet_of(t));
    ASSERT_EQ(rules_of(p), std::vector<Rule>{Rule::ClutTooShort});
    EXPECT_EQ(p[0].indices_used, 10);
    EXPECT_EQ(text_of(p[0]), "CLUTの色数9に対してｲﾒｰｼﾞはｲﾝﾃﾞｯｸｽ9まで使っています.");
    t.has_clut = false;
    t.clut.clear();
    p = frame_buffer::check_sheet(sheet_of(t));
    ASSERT_EQ(rules_of(p), std::vector<Rule>{Rule::ClutTooShort});
    EXPECT_EQ(text_of(p[0]), "CLUTがありませんがｲﾒｰｼﾞはｲﾝﾃﾞｯｸｽ9まで使っています.");
    // The 15-bit mode uses no CLUT.
    t.mode = 2;
    EXPECT_TRUE(frame_buffer::check_sheet(sheet_of(t)).empty());
}

TEST(FrameBufferRules, AClutInsideThePictureOverlapsIt) {
    tim::TimImage t = example_sheet();
    t.clut_x = 640 + 16;
    t.clut_y = 63;  // the picture's last row
    std::vector<Problem> p = frame_buffer::check_sheet(sheet_of(t));
    ASSERT_EQ(rules_of(p), std::vector<Rule>{Rule::ClutOverSheet});
    EXPECT_EQ(text_of(p[0]), "CLUT(656, 63) 16 x 1がｲﾒｰｼﾞ(640, 0) 32 x 64に重なっています.");
    t.clut_y = 64;  // the row below it
    EXPECT_TRUE(frame_buffer::check_sheet(sheet_of(t)).empty());
    // Every row of the CLUT block counts: a second row at line 64 reaches back into nothing,
    // a block starting at 62 with two rows does.
    t.clut_y = 62;
    t.clut_rows = 2;
    t.clut.resize(32, 0x7FFF);
    p = frame_buffer::check_sheet(sheet_of(t));
    ASSERT_EQ(rules_of(p), std::vector<Rule>{Rule::ClutOverSheet});
    EXPECT_EQ(p[0].clut, (Area{656, 62, 16, 2}));
}

TEST(FrameBufferRules, ATwentyFourBitSheetIsNoSpriteWithOrWithoutAPlace) {
    tim::TimImage t;
    t.mode = 3;
    t.image_x = 0;
    t.image_y = 0;
    t.width_words = 3;
    t.width = 2;
    t.height = 1;
    t.words.assign(3, 0);
    std::vector<Problem> p = frame_buffer::check_sheet(sheet_of(t));
    ASSERT_EQ(rules_of(p), std::vector<Rule>{Rule::TrueColourSheet});
    EXPECT_EQ(text_of(p[0]), "24bitDirectのｲﾒｰｼﾞはｽﾌﾟﾗｲﾄとして描画できません.");
    frame_buffer::Sheet bmp;  // a 24-bit BMP: no place
    bmp.colour_mode = 3;
    bmp.width = bmp.height = 16;
    EXPECT_EQ(rules_of(frame_buffer::check_sheet(bmp)), std::vector<Rule>{Rule::TrueColourSheet});
    ExampleData d;
    d.data.tpage = 3 << 7;  // a data file alone that says 24-bit
    EXPECT_EQ(rules_of(frame_buffer::check_data(d.data, nullptr)), std::vector<Rule>{Rule::TrueColourSheet});
}

TEST(FrameBufferRules, TheDataNamingAnotherPageOrClutThanTheSheet) {
    const tim::TimImage t = example_sheet();
    const frame_buffer::Sheet s = sheet_of(t);
    ExampleData d;
    d.data.tpage = 11 | 1 << 4 | 2 << 5;  // (704, 256); the semi-transparency mode does not matter
    std::vector<Problem> p = frame_buffer::check_data(d.data, &s);
    ASSERT_EQ(rules_of(p), std::vector<Rule>{Rule::TpageNotSheetPage});
    EXPECT_EQ(p[0].named, (Point{704, 256}));
    EXPECT_EQ(p[0].page, (Point{640, 0}));
    EXPECT_EQ(text_of(p[0]), "tpageのﾃｸｽﾁｬﾍﾟｰｼﾞ(704, 256)がｲﾒｰｼﾞの配置から求まるﾍﾟｰｼﾞ(640, 0)と違います.");
    d.data.tpage = 10 | 2 << 5;
    EXPECT_TRUE(frame_buffer::check_data(d.data, &s).empty());
    d.data.clut_attribute = 1 | 481 << 6;
    p = frame_buffer::check_data(d.data, &s);
    ASSERT_EQ(rules_of(p), std::vector<Rule>{Rule::ClutAttributeNotSheetClut});
    EXPECT_EQ(p[0].named, (Point{16, 481}));
    EXPECT_EQ(text_of(p[0]), "ﾌﾚｰﾑのCLUT属性が指すCLUT(16, 481)がｲﾒｰｼﾞのCLUT(0, 480)と違います.");
    // Without a frame the attribute is the image's own and is not compared.
    d.data.has_frames = false;
    EXPECT_TRUE(frame_buffer::check_data(d.data, &s).empty());
}

TEST(FrameBufferRules, AreasOverlapOnlyWhereTheyShareAWord) {
    EXPECT_EQ(frame_buffer::overlap(Area{0, 0, 16, 1}, Area{15, 0, 4, 4}), (Area{15, 0, 1, 1}));
    EXPECT_EQ(frame_buffer::overlap(Area{0, 0, 16, 1}, Area{16, 0, 4, 4}).w, 0);
    EXPECT_EQ(frame_buffer::overlap(Area{0, 0, 16, 1}, Area{0, 1, 4, 4}).h, 0);
    EXPECT_EQ(frame_buffer::overlap(Area{640, 0, 32, 64}, Area{600, 10, 100, 2}), (Area{640, 10, 32, 2}));
}
