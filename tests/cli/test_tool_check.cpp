// celwright-tool check: passes the example with one summary line, and in broken copies
// of it names every planted problem on its own line (the file, what is wrong) and
// exits with status 1.
#include <vector>

#include "tool_support.h"

using namespace tool_test;

namespace {

struct Planted {
    const char* what;
    void (*plant)(const QTemporaryDir& dir);
    std::vector<std::string> lines;  // each must stand in the output, on a line of its own
    int problems;                    // and nothing else: the output has this many lines
};

void patch_spa(const QTemporaryDir& dir, void (*change)(QByteArray&)) {
    QByteArray b = read_bytes(dir.filePath("walk.spa"));
    change(b);
    ASSERT_TRUE(write_bytes(dir.filePath("walk.spa"), b));
}

void patch_cwp(const QTemporaryDir& dir, void (*change)(QByteArray&)) {
    QByteArray b = read_bytes(dir.filePath("walk.cwp"));
    change(b);
    ASSERT_TRUE(write_bytes(dir.filePath("walk.cwp"), b));
}

void patch_tim(const QTemporaryDir& dir, void (*change)(QByteArray&)) {
    QByteArray b = read_bytes(dir.filePath("walk.tim"));
    change(b);
    ASSERT_TRUE(write_bytes(dir.filePath("walk.tim"), b));
}

// Where the example's TIM keeps its places: the CLUT block's at 12 (its 16 entries at 16 on),
// the pixel block's at 56.
constexpr int kTimClutPlace = 12, kTimClutEntries = 16, kTimPicturePlace = 56;

void move_picture(QByteArray& b, uint16_t x, uint16_t y) {
    put16(b, kTimPicturePlace, x);
    put16(b, kTimPicturePlace + 2, y);
}

void move_clut(QByteArray& b, uint16_t x, uint16_t y) {
    put16(b, kTimClutPlace, x);
    put16(b, kTimClutPlace + 2, y);
}

// The lines of the output that contain text.
int lines_with(const std::string& out, const std::string& text) {
    int n = 0;
    size_t start = 0;
    while (start < out.size()) {
        const size_t end = out.find('\n', start);
        if (out.substr(start, end - start).find(text) != std::string::npos) ++n;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return n;
}

// The example: pattern 0 "walk" has 4 frames (records 0-3), pattern 1 "idle" 2 (records 4-5).
const std::vector<Planted> kPlanted = {
    {"a frame outside the image",
     [](const QTemporaryDir& d) { patch_spa(d, [](QByteArray& b) { b[record_at(0, 2) + 4] = char(120); }); },
     {"walk.spa: frame 2 \"contact_l\" of pattern 0 \"walk\" takes (120, 2) 13 x 29 of the image, which is "
      "only "
      "128 x 64"},
     1},
    {"a truncated data file",
     [](const QTemporaryDir& d) { patch_spa(d, [](QByteArray& b) { b.chop(1); }); },
     {"walk.spa: ", "ﾌﾚｰﾑﾃﾞｰﾀまでに108ﾊﾞｲﾄ必要ですが107ﾊﾞｲﾄしかありません"},
     1},
    {"a frame label missing",
     [](const QTemporaryDir& d) { patch_cwp(d, [](QByteArray& b) { b[frame_label_at(1, 1)] = 0; }); },
     {"walk.cwp: frame 1 of pattern 1 \"idle\" has no label", "walk.spa holds 2 frames)"},
     1},
    {"a pattern label missing and one too many",
     [](const QTemporaryDir& d) {
         patch_cwp(d, [](QByteArray& b) {
             b[542 + 30] = 0;                            // pattern 1's label
             b.replace(frame_label_at(0, 4), 3, "odd");  // a fifth frame label for pattern 0
         });
     },
     {"walk.cwp: pattern 1 has no label (",
      "walk.cwp: the label of frame 4 \"odd\" of pattern 0 \"walk\" has no frame"},
     2},
    {"a zero-sized frame and a frame off its base",
     [](const QTemporaryDir& d) {
         patch_spa(d, [](QByteArray& b) {
             put16(b, record_at(4, 1) + 10, 0);  // idle frame 1: no height
             b[record_at(0, 0)] = char(30);      // walk frame 0 placed at x 30 on a 32-wide base
         });
     },
     {"frame 1 \"breathe\" of pattern 1 \"idle\" is 11 x 0 pixels",
      "frame 0 \"contact_r\" of pattern 0 \"walk\" placed at (30, 2) with 15 x 29 leaves its base frame of "
      "32 x 32"},
     2},
    {"a colour mode other than the image's",
     [](const QTemporaryDir& d) { patch_spa(d, [](QByteArray& b) { put32(b, 0, 0x8A); }); },
     {"walk.spa: tpage gives colour mode 1 (8bitCLUT) but the image is 4bitCLUT (4 bits per pixel)"},
     1},
    {"a pattern without frames",
     [](const QTemporaryDir& d) {
         patch_spa(d, [](QByteArray& b) {
             put32(b, 12 + 12 + 4, 0);  // pattern 1 loses its two records
             b.chop(24);
         });
         patch_cwp(d, [](QByteArray& b) { b.replace(frame_label_at(1, 0), 60, QByteArray(60, '\0')); });
     },
     {"walk.spa: pattern 1 \"idle\" has no frames"},
     1},
    {"an image that does not load",
     [](const QTemporaryDir& d) { ASSERT_TRUE(QFile::remove(d.filePath("walk.tim"))); },
     {"walk.cwp: image ", "walk.tim が開けません."},
     1},
    {"an image the editor refuses",
     [](const QTemporaryDir& d) {
         patch_cwp(d, [](QByteArray& b) { b.replace(0, 9, QByteArray("wide.bmp\0", 9)); });
         ASSERT_TRUE(write_bytes(d.filePath("wide.bmp"), bmp24(300, 2)));
     },
     {"walk.cwp: image 256pixel以上のｻｲｽﾞのｲﾒｰｼﾌｧｲﾙは ｻﾎﾟｰﾄしていません."},
     1},
    // The console's frame buffer: what the TIM's places and the data file's words mean there.
    {"a TIM half a page right of its page's corner",
     [](const QTemporaryDir& d) { patch_tim(d, [](QByteArray& b) { move_picture(b, 672, 0); }); },
     {"walk.tim: ｲﾒｰｼﾞの配置座標(672, 0)がﾃｸｽﾁｬﾍﾟｰｼﾞの角(640, 0)にありません. 全ﾌﾚｰﾑのﾃｸｾﾙが横に128, "
      "縦に0ずれます."},
     1},
    {"frames past texel 255 of their page",
     [](const QTemporaryDir& d) { patch_tim(d, [](QByteArray& b) { move_picture(b, 640, 200); }); },
     {"縦に200ずれます.",
      "walk.spa: frame 0 \"stand\" of pattern 1 \"idle\": ﾌﾚｰﾑのﾃｸｾﾙ(u 10-20, v 234-262)がﾃｸｽﾁｬﾍﾟｰｼﾞの角から"
      "255を越えます(4bitCLUT).",
      "walk.spa: frame 1 \"breathe\" of pattern 1 \"idle\": ﾌﾚｰﾑのﾃｸｾﾙ(u 42-52, v 235-262)"},
     3},
    {"a TIM leaving the frame buffer",
     [](const QTemporaryDir& d) { patch_tim(d, [](QByteArray& b) { move_picture(b, 640, 480); }); },
     {"walk.tim: ｲﾒｰｼﾞ(640, 480) 32 x 64がﾌﾚｰﾑﾊﾞｯﾌｧ(1024 x 512)からはみ出します.",
      "walk.spa: tpageのﾃｸｽﾁｬﾍﾟｰｼﾞ(640, 0)がｲﾒｰｼﾞの配置から求まるﾍﾟｰｼﾞ(640, 256)と違います.",
      "縦に224ずれます.", "v 258-286", "v 259-286"},
     5},
    {"a CLUT leaving the frame buffer",
     [](const QTemporaryDir& d) { patch_tim(d, [](QByteArray& b) { move_clut(b, 1024, 0); }); },
     {"walk.tim: CLUT(1024, 0) 16 x 1がﾌﾚｰﾑﾊﾞｯﾌｧ(1024 x 512)からはみ出します.",
      "walk.spa: ﾌﾚｰﾑのCLUT属性が指すCLUT(0, 480)がｲﾒｰｼﾞのCLUT(1024, 0)と違います."},
     2},
    {"a CLUT at x 8",
     [](const QTemporaryDir& d) { patch_tim(d, [](QByteArray& b) { move_clut(b, 8, 480); }); },
     {"walk.tim: CLUT座標X 8が16の倍数ではありません. CLUT属性は(0, 480)を指します."},
     1},
    {"a CLUT shorter than the indices the picture uses",
     [](const QTemporaryDir& d) {
         patch_tim(d, [](QByteArray& b) {
             put32(b, 8, 12 + 2 * 8);  // 8 entries instead of 16: the picture uses 0 to 9
             put16(b, kTimClutEntries, 8);
             b.remove(20 + 16, 16);
         });
     },
     {"walk.tim: CLUTの色数8に対してｲﾒｰｼﾞはｲﾝﾃﾞｯｸｽ9まで使っています."},
     1},
    {"a CLUT inside the picture",
     [](const QTemporaryDir& d) { patch_tim(d, [](QByteArray& b) { move_clut(b, 656, 10); }); },
     {"walk.tim: CLUT(656, 10) 16 x 1がｲﾒｰｼﾞ(640, 0) 32 x 64に重なっています.",
      "walk.spa: ﾌﾚｰﾑのCLUT属性が指すCLUT(0, 480)がｲﾒｰｼﾞのCLUT(656, 10)と違います."},
     2},
    {"a 24-bit sheet",
     [](const QTemporaryDir& d) {
         patch_cwp(d, [](QByteArray& b) { b.replace(0, 9, QByteArray("true.bmp\0", 9)); });
         ASSERT_TRUE(write_bytes(d.filePath("true.bmp"), bmp24(128, 64)));
         patch_spa(d, [](QByteArray& b) { put32(b, 0, 10 | 3 << 7); });
     },
     {"true.bmp: 24bitDirectのｲﾒｰｼﾞはｽﾌﾟﾗｲﾄとして描画できません."},
     1},
    {"a tpage naming another page than the TIM's",
     [](const QTemporaryDir& d) { patch_spa(d, [](QByteArray& b) { put32(b, 0, 11); }); },
     {"walk.spa: tpageのﾃｸｽﾁｬﾍﾟｰｼﾞ(704, 0)がｲﾒｰｼﾞの配置から求まるﾍﾟｰｼﾞ(640, 0)と違います."},
     1},
};

}  // namespace

TEST(ToolCheck, TheExamplePassesWithOneSummaryLine) {
    const ToolRun run = run_tool({"check", source_path("examples/walk.cwp")});
    EXPECT_EQ(run.exit_code, 0) << run.out;
    EXPECT_EQ(line_count(run.out), 1);
    EXPECT_NE(run.out.find("no problems: 2 patterns, 6 frames; image "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("128 x 64, 4 bits per pixel"), std::string::npos) << run.out;
    EXPECT_TRUE(run.err.empty());
}

TEST(ToolCheck, EveryPlantedProblemIsNamedOnItsOwnLine) {
    for (const Planted& planted : kPlanted) {
        SCOPED_TRACE(planted.what);
        QTemporaryDir dir;
        copy_example(dir);
        planted.plant(dir);
        const ToolRun run = run_tool({"check", dir.filePath("walk.cwp")});
        EXPECT_EQ(run.exit_code, 1) << run.out;
        EXPECT_EQ(run.out.find("no problems"), std::string::npos);
        for (const std::string& line : planted.lines) EXPECT_EQ(lines_with(run.out, line), 1) << run.out;
        EXPECT_EQ(line_count(run.out), planted.problems) << run.out;
    }
}

TEST(ToolCheck, ADataFileAloneIsCheckedWithoutAnImage) {
    QTemporaryDir dir;
    copy_example(dir);
    const ToolRun fine = run_tool({"check", dir.filePath("walk.spa")});
    EXPECT_EQ(fine.exit_code, 0);
    EXPECT_NE(fine.out.find("no problems: 2 patterns, 6 frames; a data file names no image"),
              std::string::npos)
        << fine.out;
    patch_spa(dir, [](QByteArray& b) { b[record_at(0, 0)] = char(30); });
    const ToolRun run = run_tool({"check", dir.filePath("walk.spa")});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(line_count(run.out), 1) << run.out;
    EXPECT_EQ(lines_with(run.out, "frame_00\" of pattern 0 \"pattern_00\" placed at (30, 2)"), 1) << run.out;
}
