// The data file, the game-side header and the tool's console preview say the same thing:
// cw_spa_console loads the example's TIM into a model of the console's frame buffer and
// draws every frame of a pattern through sdk/celwright_spa.h as a game would, and each
// picture equals `celwright-tool render --console --sheet` texel for texel, for every
// flip; with STP bits in the sheet, in every semi-transparency mode over a coloured
// background.
#include <png.h>

#include <QDir>

#include <cstdio>
#include <string>
#include <vector>

#include "tool_support.h"

using namespace tool_test;

namespace {

struct Rgb {
    int width = 0, height = 0;
    std::vector<uint32_t> px;  // 0x00RRGGBB
};

// The tool's sheet: a transparent pixel is the black it stands for.
Rgb read_png(const QString& path) {
    Rgb out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.toLocal8Bit().constData())) return out;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    for (size_t i = 0; i < rgba.size(); i += 4)
        out.px.push_back(
            rgba[i + 3] == 0 ? 0 : uint32_t(rgba[i]) << 16 | uint32_t(rgba[i + 1]) << 8 | rgba[i + 2]);
    return out;
}

Rgb read_ppm(const QString& path) {
    Rgb out;
    const QByteArray bytes = read_bytes(path);
    int w = 0, h = 0, max = 0, header = 0;
    if (std::sscanf(bytes.constData(), "P6 %d %d %d%n", &w, &h, &max, &header) != 3 || max != 255) return out;
    const int start = header + 1;  // one whitespace byte ends the header
    if (bytes.size() < start + 3LL * w * h) return out;
    out.width = w;
    out.height = h;
    for (int i = 0; i < w * h; ++i) {
        const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData()) + start + 3 * i;
        out.px.push_back(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
    }
    return out;
}

struct Drawn {
    Rgb tool, game;
};

Drawn draw_both(const QTemporaryDir& dir, int pattern, int flip, const char* background) {
    static const char* const kFlips[] = {nullptr, "h", "v", "hv"};
    QStringList args = {"render",
                        dir.filePath("walk.cwp"),
                        "--pattern",
                        QString::number(pattern),
                        "--console",
                        "--sheet",
                        dir.filePath("tool.png"),
                        "--background",
                        background};
    if (kFlips[flip]) args << "--flip" << kFlips[flip];
    const ToolRun run = run_tool(args);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    QProcess game;
    game.start(QString::fromUtf8(build_paths::spa_console_exe),
               {dir.filePath("walk.tim"), dir.filePath("walk.spa"), QString::number(pattern),
                QString::number(flip), background, dir.filePath("game.ppm")});
    EXPECT_TRUE(game.waitForFinished(30000));
    EXPECT_EQ(game.exitCode(), 0) << game.readAllStandardError().toStdString();
    return Drawn{read_png(dir.filePath("tool.png")), read_ppm(dir.filePath("game.ppm"))};
}

int differing(const Rgb& a, const Rgb& b) {
    if (a.width != b.width || a.height != b.height || a.px.size() != b.px.size()) return -1;
    int n = 0;
    for (size_t i = 0; i < a.px.size(); ++i) n += a.px[i] != b.px[i];
    return n;
}

int not_background(const Rgb& a, uint32_t background) {
    int n = 0;
    for (uint32_t c : a.px) n += c != background;
    return n;
}

void set_semi_transparency(const QTemporaryDir& dir, int mode) {
    QByteArray spa = read_bytes(dir.filePath("walk.spa"));
    const uint32_t tpage = (static_cast<uint8_t>(spa[0]) | static_cast<uint8_t>(spa[1]) << 8) & ~0x60u;
    put32(spa, 0, tpage | static_cast<uint32_t>(mode) << 5);
    ASSERT_TRUE(write_bytes(dir.filePath("walk.spa"), spa));
}

}  // namespace

TEST(ConsoleAgrees, EveryFrameOfTheExampleAsTheGameDrawsItForEveryFlip) {
    QTemporaryDir dir;
    copy_example(dir);
    for (int pattern = 0; pattern < 2; ++pattern)
        for (int flip = 0; flip < 4; ++flip) {
            SCOPED_TRACE("pattern " + std::to_string(pattern) + " flip " + std::to_string(flip));
            const Drawn d = draw_both(dir, pattern, flip, "000000");
            ASSERT_GT(d.game.width, 0);
            EXPECT_EQ(d.game.width, pattern == 0 ? 4 * 32 : 2 * 32);
            EXPECT_GT(not_background(d.game, 0), 200);  // the figures are there
            EXPECT_EQ(differing(d.tool, d.game), 0);
        }
}

TEST(ConsoleAgrees, SemiTransparentTexelsBlendAlikeInEveryMode) {
    QTemporaryDir dir;
    copy_example(dir);
    // The same sheet with the STP bit on every colour but black, at the example's places.
    const ToolRun tim = run_tool({"tim", dir.filePath("walk.bmp"), "--mode", "4", "--at", "640,0", "--clut",
                                  "0,480", "--stp", "nonblack", "--out", dir.filePath("walk.tim")});
    ASSERT_EQ(tim.exit_code, 0) << tim.err;
    std::vector<std::vector<uint32_t>> by_mode;
    for (int mode = 0; mode < 4; ++mode) {
        set_semi_transparency(dir, mode);
        for (int flip : {0, 3}) {
            SCOPED_TRACE("mode " + std::to_string(mode) + " flip " + std::to_string(flip));
            const Drawn d = draw_both(dir, 0, flip, "3060A0");
            ASSERT_GT(d.game.width, 0);
            EXPECT_GT(not_background(d.game, 0x3060A0), 200);
            EXPECT_EQ(differing(d.tool, d.game), 0);
            if (flip == 0) by_mode.push_back(d.game.px);
        }
    }
    // The modes really differ: each blends the figures differently with the background.
    ASSERT_EQ(by_mode.size(), 4u);
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b) EXPECT_NE(by_mode[a], by_mode[b]) << a << " " << b;
}
