// celwright-tool tim: every TIM it writes reads back through the editor's own image decoder
// with the sheet's pixels at 15 bits and the places asked for; black and the STP bits are
// written as the options say; too many colours are refused unless quantised; places that
// break the frame-buffer rules and wrong command lines write nothing.
#include <QDir>
#include <QFileInfo>

#include <functional>
#include <set>
#include <vector>

#include "files/image_decoding.h"
#include "files/tim.h"
#include "text/cp932.h"
#include "tool_support.h"

using namespace tool_test;

namespace {

struct Pixels {
    bool read = false;
    int width = 0, height = 0;
    uint32_t tpage = 0;
    uint16_t clut_attribute = 0;
    std::vector<uint32_t> rgb;
    uint32_t at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

// The picture as the editor's loader decodes it, read back through GDI.
Pixels decoded(const QString& path) {
    Pixels p;
    const std::string cp932 = cw::text::utf8_to_cp932(path.toStdString());
    DecodedImage image = decode_image_file(cp932.c_str());
    if (image.problem != ImageProblem::None) return p;
    p.read = true;
    p.width = image.width;
    p.height = image.height;
    p.tpage = image.tpage;
    p.clut_attribute = image.clut_attribute;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, image.bitmap);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            p.rgb.push_back(uint32_t(GetRValue(c)) << 16 | uint32_t(GetGValue(c)) << 8 | GetBValue(c));
        }
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(image.bitmap);
    return p;
}

tim::TimImage tim_of(const QString& path) {
    const QByteArray bytes = read_bytes(path);
    const tim::TimResult r = tim::decode_tim(
        std::span(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<size_t>(bytes.size())));
    EXPECT_EQ(r.error, tim::TimError::None);
    return r.image;
}

// Pixels the sheet and the TIM read back show differently, the sheet's taken to 15 bits.
int differing(const Pixels& sheet, const Pixels& back) {
    int n = 0;
    for (int y = 0; y < sheet.height; ++y)
        for (int x = 0; x < sheet.width; ++x) n += (sheet.at(x, y) & 0xF8F8F8) != back.at(x, y);
    return n;
}

// 13 x 5 pixels of ten colours, black among them: a width no mode fills whole words with.
uint32_t ten_colours(int x, int y) {
    static const uint32_t colours[] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF,
                                       0x808080, 0x123456, 0xFEDCBA, 0x070707, 0x09F911};
    return colours[(x + 3 * y) % 10];
}

}  // namespace

TEST(ToolTim, TheExamplesBmpBecomesTheExamplesTimByteForByte) {
    QTemporaryDir dir;
    for (int run = 0; run < 2; ++run) {
        const ToolRun r = run_tool({"tim", source_path("examples/walk.bmp"), "--mode", "4", "--at", "640,0",
                                    "--clut", "0,480", "--out", dir.filePath("walk.tim")});
        ASSERT_EQ(r.exit_code, 0) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(read_bytes(dir.filePath("walk.tim")), read_bytes(source_path("examples/walk.tim")));
    }
}

TEST(ToolTim, EveryTimWrittenReadsBackThroughTheEditorsDecoderWithTheSheetsPixels) {
    QTemporaryDir dir;
    ASSERT_TRUE(write_bytes(dir.filePath("ten.bmp"), bmp24(13, 5, ten_colours)));
    struct Case {
        QString sheet;
        const char* mode;
        int colour_mode, width;  // the width the TIM holds, padded to whole words
    };
    const QString walk = source_path("examples/walk.bmp"), ten = dir.filePath("ten.bmp");
    const std::vector<Case> cases = {{walk, "4", 0, 128}, {walk, "8", 1, 128}, {walk, "15", 2, 128},
                                     {ten, "4", 0, 16},   {ten, "8", 1, 14},   {ten, "15", 2, 13}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QFileInfo(c.sheet).fileName().toStdString() + " mode " + c.mode);
        QStringList args = {"tim",  c.sheet,   "--mode", c.mode,
                            "--at", "704,256", "--out",  dir.filePath("out.tim")};
        if (c.colour_mode < 2)
            args << "--clut"
                 << "32,500";
        const ToolRun r = run_tool(args);
        ASSERT_EQ(r.exit_code, 0) << r.err;
        const Pixels sheet = decoded(c.sheet), back = decoded(dir.filePath("out.tim"));
        ASSERT_TRUE(sheet.read && back.read);
        EXPECT_EQ(back.width, c.width);
        EXPECT_EQ(back.height, sheet.height);
        EXPECT_EQ(differing(sheet, back), 0);
        EXPECT_EQ(back.tpage, 11u | 1u << 4 | static_cast<uint32_t>(c.colour_mode) << 7);
        EXPECT_EQ(back.clut_attribute, c.colour_mode < 2 ? 2 | 500 << 6 : 0);
    }
}

TEST(ToolTim, BlackAndTheStpBitsAreWrittenAsTheOptionsSay) {
    QTemporaryDir dir;
    // Black, red, a grey too dark for 15 bits, white.
    const uint32_t colours[] = {0x000000, 0xFF0000, 0x040404, 0xFFFFFF};
    ASSERT_TRUE(write_bytes(dir.filePath("four.bmp"), bmp24(4, 1, [&](int x, int) { return colours[x]; })));
    struct Case {
        QStringList options;
        std::vector<uint16_t> words;
    };
    const std::vector<Case> cases = {
        {{}, {0x0000, 0x001F, 0x8000, 0x7FFF}},
        {{"--black", "opaque"}, {0x8000, 0x001F, 0x8000, 0x7FFF}},
        {{"--stp", "none", "--black", "transparent"}, {0x0000, 0x001F, 0x8000, 0x7FFF}},
        {{"--stp", "nonblack"}, {0x0000, 0x801F, 0x8000, 0xFFFF}},
        {{"--stp", "nonblack", "--black", "opaque"}, {0x8000, 0x801F, 0x8000, 0xFFFF}},
        {{"--stp", "all"}, {0x8000, 0x801F, 0x8000, 0xFFFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.join(" ").toStdString());
        const ToolRun r = run_tool(QStringList{"tim", dir.filePath("four.bmp"), "--mode", "15", "--at", "0,0",
                                               "--out", dir.filePath("four.tim")} +
                                   c.options);
        ASSERT_EQ(r.exit_code, 0) << r.err;
        EXPECT_EQ(tim_of(dir.filePath("four.tim")).words, c.words);
        // The same words stand in a CLUT in the 4-bit mode, the transparent one first.
        const ToolRun four =
            run_tool(QStringList{"tim", dir.filePath("four.bmp"), "--mode", "4", "--at", "0,0", "--clut",
                                 "0,500", "--out", dir.filePath("four.tim")} +
                     c.options);
        ASSERT_EQ(four.exit_code, 0) << four.err;
        const tim::TimImage t = tim_of(dir.filePath("four.tim"));
        for (int x = 0; x < 4; ++x) EXPECT_EQ(t.clut[tim::tim_texel(t, x, 0)], c.words[x]) << x;
    }
}

TEST(ToolTim, MoreColoursThanTheModeHoldsAreRefusedUnlessAPaletteIsMade) {
    QTemporaryDir dir;
    // 40 colours in bands, each its own 15-bit word, and black every fifth column.
    const auto band = [](int x, int y) -> uint32_t {
        if (x % 5 == 0) return 0;
        const int k = (x + y) % 40;
        return uint32_t(8 * (1 + k % 30)) << 16 | uint32_t(8 * (1 + k / 30 * 10)) << 8 | 88;
    };
    ASSERT_TRUE(write_bytes(dir.filePath("many.bmp"), bmp24(48, 8, band)));
    ASSERT_TRUE(write_bytes(dir.filePath("many.tim"), "previous"));
    const QStringList base = {"tim",   dir.filePath("many.bmp"), "--at", "0,0", "--clut", "0,500",
                              "--out", dir.filePath("many.tim")};
    const ToolRun refused = run_tool(base + QStringList{"--mode", "4"});
    EXPECT_EQ(refused.exit_code, 1);
    EXPECT_EQ(line_count(refused.err), 1) << refused.err;
    EXPECT_NE(
        refused.err.find("41 colours, but the 4-bit mode's CLUT holds 16 (--quantise makes a palette of 16)"),
        std::string::npos)
        << refused.err;
    EXPECT_EQ(read_bytes(dir.filePath("many.tim")), "previous");
    ASSERT_EQ(run_tool(base + QStringList{"--mode", "8"}).exit_code, 0);  // 256 entries hold them

    const ToolRun reduced = run_tool(base + QStringList{"--mode", "4", "--quantise"});
    ASSERT_EQ(reduced.exit_code, 0) << reduced.err;
    const QByteArray first = read_bytes(dir.filePath("many.tim"));
    ASSERT_EQ(run_tool(base + QStringList{"--mode", "4", "--quantise"}).exit_code, 0);
    EXPECT_EQ(read_bytes(dir.filePath("many.tim")), first);  // the same palette every time
    const tim::TimImage t = tim_of(dir.filePath("many.tim"));
    ASSERT_EQ(t.clut.size(), 16u);
    int far = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 48; ++x) {
            const uint16_t word = t.clut[tim::tim_texel(t, x, y)];
            if (band(x, y) == 0) {
                EXPECT_EQ(word, 0x0000) << x << "," << y;  // black stays transparent
                continue;
            }
            ASSERT_NE(word, 0x0000) << x << "," << y;  // nothing else becomes transparent
            const tim::Rgb c = tim::colour15(word);
            const int dr = c.r - int(band(x, y) >> 16), dg = c.g - int((band(x, y) >> 8) & 0xFF),
                      db = c.b - int(band(x, y) & 0xFF);
            far += dr * dr + dg * dg + db * db > 40 * 40;
        }
    EXPECT_EQ(far, 0);
}

TEST(ToolTim, PlacesThatBreakTheFrameBufferRulesWriteNothing) {
    QTemporaryDir dir;
    const QString walk = source_path("examples/walk.bmp");
    ASSERT_TRUE(write_bytes(dir.filePath("walk.tim"), "previous"));
    struct Case {
        const char* at;
        const char* clut;
        std::vector<std::string> says;
    };
    const std::vector<Case> cases = {
        {"672,0",
         "0,480",
         {"ｲﾒｰｼﾞの配置座標(672, 0)がﾃｸｽﾁｬﾍﾟｰｼﾞの角(640, 0)にありません. 全ﾌﾚｰﾑのﾃｸｾﾙが横に128"}},
        {"640,0", "8,480", {"CLUT座標X 8が16の倍数ではありません."}},
        {"640,0", "656,63", {"CLUT(656, 63) 16 x 1がｲﾒｰｼﾞ(640, 0) 32 x 64に重なっています."}},
        {"1008,480",
         "0,0",
         {"ｲﾒｰｼﾞ(1008, 480) 32 x 64がﾌﾚｰﾑﾊﾞｯﾌｧ(1024 x 512)からはみ出します.", "ﾃｸｽﾁｬﾍﾟｰｼﾞの角(960, 256)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at + std::string(" ") + c.clut);
        const ToolRun r = run_tool(
            {"tim", walk, "--mode", "4", "--at", c.at, "--clut", c.clut, "--out", dir.filePath("walk.tim")});
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_EQ(line_count(r.err), static_cast<int>(c.says.size())) << r.err;
        for (const std::string& text : c.says) EXPECT_NE(r.err.find(text), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("walk.tim: "), std::string::npos) << r.err;
        EXPECT_EQ(read_bytes(dir.filePath("walk.tim")), "previous");
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST(ToolTim, AWrongCommandLineIsOneLineAndStatus2) {
    QTemporaryDir dir;
    const QString walk = source_path("examples/walk.bmp"), out = dir.filePath("x.tim");
    struct Case {
        QStringList args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"tim", walk, "--mode", "4", "--at", "640,0", "--out", out},
         "the 4-bit mode needs a place for its CLUT"},
        {{"tim", walk, "--mode", "15", "--at", "640,0", "--clut", "0,480", "--out", out},
         "--clut does not go"},
        {{"tim", walk, "--mode", "15", "--at", "640,0", "--quantise", "--out", out},
         "--quantise does not go"},
        {{"tim", walk, "--mode", "16", "--at", "640,0", "--out", out}, "--mode takes 4, 8 or 15"},
        {{"tim", walk, "--mode", "15", "--at", "1024,0", "--out", out}, "--at takes X,Y"},
        {{"tim", walk, "--mode", "15", "--at", "640,0"}, "which TIM file?"},
        {{"tim", walk, "--mode", "15", "--at", "640,0", "--out", out, "--black", "grey"}, "--black takes"},
        {{"tim", walk, "--mode", "15", "--at", "640,0", "--out", out, "--stp", "all", "--black",
          "transparent"},
         "--stp all puts the STP bit on black too"},
        {{"tim", "--mode", "15", "--at", "640,0", "--out", out}, "which sprite sheet?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        const ToolRun r = run_tool(c.args);
        EXPECT_EQ(r.exit_code, 2);
        EXPECT_EQ(line_count(r.err), 1) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_FALSE(QFileInfo::exists(out));
}
