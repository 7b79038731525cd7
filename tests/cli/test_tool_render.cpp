// celwright-tool render: the GIF and the sheet decoded again with giflib and libpng
// hold one picture per frame of the pattern, for as long as the running display shows
// it, with the pixels an independent drawing of the frames and flips gives; a render
// that fails writes nothing.
#include <gif_lib.h>
#include <png.h>

#include <QFileInfo>

#include <vector>

#include "files/project_reading.h"
#include "files/tim.h"
#include "image_output.h"
#include "png_files.h"
#include "tool_support.h"

using namespace tool_test;

namespace {

constexpr uint32_t kBlack = 0x000000;

struct Gif {
    bool read = false;
    int width = 0, height = 0;
    std::vector<std::vector<uint32_t>> frames;  // 0x00RRGGBB; transparent pixels read as black
    std::vector<int> delays;
    std::vector<int> transparent;
    std::vector<int> disposal;
    bool loops = false;
};

Gif read_gif(const QString& path) {
    Gif g;
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.toLocal8Bit().constData(), &error);
    if (!gif) return g;
    if (DGifSlurp(gif) == GIF_OK && gif->SColorMap) {
        g.read = true;
        g.width = gif->SWidth;
        g.height = gif->SHeight;
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& image = gif->SavedImages[i];
            GraphicsControlBlock gcb{};
            DGifSavedExtensionToGCB(gif, i, &gcb);
            g.delays.push_back(gcb.DelayTime);
            g.transparent.push_back(gcb.TransparentColor);
            g.disposal.push_back(gcb.DisposalMode);
            std::vector<uint32_t> px;
            const int n = image.ImageDesc.Width * image.ImageDesc.Height;
            for (int k = 0; k < n; ++k) {
                const int index = image.RasterBits[k];
                const GifColorType c = gif->SColorMap->Colors[index];
                px.push_back(index == gcb.TransparentColor
                                 ? kBlack
                                 : (uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue));
            }
            g.frames.push_back(px);
        }
        // giflib keeps the blocks before the first picture with that picture.
        const SavedImage& first = gif->SavedImages[0];
        for (int e = 0; e + 1 < first.ExtensionBlockCount; ++e) {
            const ExtensionBlock& b = first.ExtensionBlocks[e];
            const ExtensionBlock& sub = first.ExtensionBlocks[e + 1];
            if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
                std::string(reinterpret_cast<char*>(b.Bytes), 11) == "NETSCAPE2.0" && sub.ByteCount == 3 &&
                sub.Bytes[0] == 1 && sub.Bytes[1] == 0 && sub.Bytes[2] == 0)
                g.loops = true;
        }
    }
    DGifCloseFile(gif, &error);
    return g;
}

// The example's sprite sheet as colours, straight from its TIM's pixels and CLUT.
struct Sheet {
    int width = 0, height = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

Sheet example_sheet() {
    const QByteArray bytes = read_bytes(source_path("examples/walk.tim"));
    const tim::TimResult t = tim::decode_tim(
        std::span(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<size_t>(bytes.size())));
    EXPECT_EQ(t.error, tim::TimError::None);
    Sheet s{t.image.width, t.image.height, {}};
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const uint8_t byte = t.image.bits[static_cast<size_t>(y) * t.image.stride + x / 2];
            const int i = x % 2 ? byte & 0xF : byte >> 4;
            const uint8_t* q = &t.image.colour_table[4 * static_cast<size_t>(i)];
            s.px.push_back(uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0]);
        }
    return s;
}

// What the running display shows of frame r on a black base frame, drawn pixel by
// pixel: a mirrored axis puts the frame at its mirror place and reads it backwards.
std::vector<uint32_t> expected_frame(const Sheet& sheet, const FrameRecord& r, int base_w, int base_h,
                                     int flips, int scale) {
    std::vector<uint32_t> base(static_cast<size_t>(base_w) * base_h, kBlack);
    const int left = flips & 1 ? base_w - r.correction_x - r.image_w : r.correction_x;
    const int top = flips & 2 ? base_h - r.correction_y - r.image_h : r.correction_y;
    for (int y = 0; y < r.image_h; ++y)
        for (int x = 0; x < r.image_w; ++x) {
            const int bx = left + x, by = top + y;
            if (bx < 0 || by < 0 || bx >= base_w || by >= base_h) continue;
            const int sx = r.image_x + (flips & 1 ? r.image_w - 1 - x : x);
            const int sy = r.image_y + (flips & 2 ? r.image_h - 1 - y : y);
            base[static_cast<size_t>(by) * base_w + bx] = sheet.at(sx, sy);
        }
    std::vector<uint32_t> scaled;
    for (int y = 0; y < base_h * scale; ++y)
        for (int x = 0; x < base_w * scale; ++x)
            scaled.push_back(base[static_cast<size_t>(y / scale) * base_w + x / scale]);
    return scaled;
}

AnimationDataContents example_data() {
    const ProjectFiles files = read_project_files(source_path("examples/walk.cwp").toLocal8Bit().constData());
    EXPECT_TRUE(files.ok());
    return files.data;
}

int differing(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

}  // namespace

TEST(ToolRender, GifHoldsEveryFrameWithItsDelayAndItsPixelsForEveryFlip) {
    const Sheet sheet = example_sheet();
    const AnimationDataContents data = example_data();
    struct Case {
        int pattern;
        const char* flip;
        int flips;
        int scale;
        std::vector<int> delays;  // hundredths: (timing + 1) x (speed + 1) ticks of 1/60 s
    };
    // walk: timing 5 at speed 1 is 12 ticks, 0.2 s; idle: 60 ticks (1 s), then 40 (0.67 s).
    const std::vector<Case> cases = {{0, nullptr, 0, 1, {20, 20, 20, 20}},
                                     {0, "h", 1, 1, {20, 20, 20, 20}},
                                     {0, "v", 2, 2, {20, 20, 20, 20}},
                                     {1, "hv", 3, 3, {100, 67}},
                                     {1, nullptr, 0, 4, {100, 67}}};
    for (const Case& c : cases) {
        SCOPED_TRACE("pattern " + std::to_string(c.pattern) + " flip " + (c.flip ? c.flip : "none") +
                     " scale " + std::to_string(c.scale));
        QTemporaryDir dir;
        QStringList args = {
            "render", source_path("examples/walk.cwp"), "--pattern", QString::number(c.pattern),
            "--out",  dir.filePath("out.gif"),          "--scale",   QString::number(c.scale)};
        if (c.flip) args << "--flip" << c.flip;
        const ToolRun run = run_tool(args);
        ASSERT_EQ(run.exit_code, 0) << run.err;
        const Gif gif = read_gif(dir.filePath("out.gif"));
        ASSERT_TRUE(gif.read);
        const PatternEntry& e = data.entries[c.pattern];
        EXPECT_EQ(gif.width, e.base_w * c.scale);
        EXPECT_EQ(gif.height, e.base_h * c.scale);
        ASSERT_EQ(gif.frames.size(), e.frame_count);
        EXPECT_EQ(gif.delays, c.delays);
        EXPECT_TRUE(gif.loops);
        for (size_t f = 0; f < gif.frames.size(); ++f) {
            SCOPED_TRACE("frame " + std::to_string(f));
            EXPECT_EQ(gif.transparent[f], 0);
            EXPECT_EQ(gif.disposal[f], DISPOSE_BACKGROUND);
            const auto expected =
                expected_frame(sheet, data.frames[c.pattern][f], e.base_w, e.base_h, c.flips, c.scale);
            EXPECT_EQ(differing(gif.frames[f], expected), 0);
        }
    }
}

TEST(ToolRender, SheetHoldsEveryFrameSideBySideWithBlackTransparent) {
    const Sheet sheet = example_sheet();
    const AnimationDataContents data = example_data();
    QTemporaryDir dir;
    const ToolRun run = run_tool({"render", source_path("examples/walk.cwp"), "--pattern", "walk", "--sheet",
                                  dir.filePath("walk.png"), "--scale", "2", "--flip", "h"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, dir.filePath("walk.png").toLocal8Bit().constData()));
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr));
    const int w = 64, h = 64;  // a 32 x 32 base frame at twice the size
    ASSERT_EQ(image.width, 4u * w);
    ASSERT_EQ(image.height, unsigned(h));
    int wrong = 0, transparent = 0;
    for (int f = 0; f < 4; ++f) {
        const auto expected = expected_frame(sheet, data.frames[0][f], 32, 32, 1, 2);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = &rgba[(static_cast<size_t>(y) * image.width + f * w + x) * 4];
                const uint32_t want = expected[static_cast<size_t>(y) * w + x];
                const uint32_t got = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
                if (want == kBlack) {
                    wrong += p[3] != 0;
                    transparent += p[3] == 0;
                } else {
                    wrong += p[3] != 255 || got != want;
                }
            }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(transparent, 0);
}

TEST(ToolRender, AFailedRenderWritesNothingAndLeavesAnOldFile) {
    QTemporaryDir dir;
    copy_example(dir);
    ASSERT_TRUE(write_bytes(dir.filePath("old.gif"), "previous"));
    const QString cwp = dir.filePath("walk.cwp");
    struct Case {
        QStringList args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"render", cwp, "--pattern", "2", "--out", dir.filePath("old.gif")}, "no pattern 2 (it has 2"},
        {{"render", cwp, "--pattern", "run", "--out", dir.filePath("old.gif")}, "no pattern run"},
        {{"render", cwp, "--pattern", "0", "--out", dir.filePath("no/such/folder.gif")}, "cannot be written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        const ToolRun run = run_tool(c.args);
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_EQ(line_count(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
    // The image is gone: refused before anything is drawn.
    ASSERT_TRUE(QFile::remove(dir.filePath("walk.tim")));
    const ToolRun gone = run_tool({"render", cwp, "--pattern", "0", "--out", dir.filePath("old.gif")});
    EXPECT_EQ(gone.exit_code, 1);
    EXPECT_NE(gone.err.find("walk.tim が開けません."), std::string::npos) << gone.err;
    EXPECT_EQ(read_bytes(dir.filePath("old.gif")), "previous");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);  // walk.cwp, .spa, .bmp and old.gif only
    // A pattern without frames has nothing to show.
    QByteArray spa = read_bytes(dir.filePath("walk.spa"));
    put32(spa, 12 + 12 + 4, 0);
    spa.chop(24);
    ASSERT_TRUE(write_bytes(dir.filePath("walk.spa"), spa));
    const ToolRun empty = run_tool({"render", cwp, "--pattern", "1", "--image",
                                    source_path("examples/walk.bmp"), "--out", dir.filePath("idle.gif")});
    EXPECT_EQ(empty.exit_code, 1);
    EXPECT_NE(empty.err.find("pattern 1 has no frames"), std::string::npos) << empty.err;
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("idle.gif")));
}

TEST(ToolRender, TheBmpSheetRendersAsTheTimDoes) {
    // The example's two sprite sheets hold the same pixels: --image swaps one for the other.
    QTemporaryDir dir;
    const QString cwp = source_path("examples/walk.cwp");
    ASSERT_EQ(run_tool({"render", cwp, "--pattern", "0", "--out", dir.filePath("tim.gif")}).exit_code, 0);
    ASSERT_EQ(run_tool({"render", cwp, "--pattern", "0", "--out", dir.filePath("bmp.gif"), "--image",
                        source_path("examples/walk.bmp")})
                  .exit_code,
              0);
    EXPECT_EQ(read_bytes(dir.filePath("tim.gif")), read_bytes(dir.filePath("bmp.gif")));
}

// The example's TIM sheet as a 4-bit palette PNG with its CLUT in order and index 0 marked
// transparent, as a drawing program saves it; or, with as_rgb, as 8-bit RGB.
png_files::Bytes example_sheet_as_png(bool as_rgb) {
    const QByteArray bytes = read_bytes(source_path("examples/walk.tim"));
    const tim::TimResult t = tim::decode_tim(
        std::span(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<size_t>(bytes.size())));
    EXPECT_EQ(t.error, tim::TimError::None);
    const auto colour = [&](int i) {
        const uint8_t* q = &t.image.colour_table[4 * static_cast<size_t>(i)];
        return uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0];
    };
    const auto index = [&](int x, int y) {
        const uint8_t byte = t.image.bits[static_cast<size_t>(y) * t.image.stride + x / 2];
        return x % 2 ? byte & 0xF : byte >> 4;
    };
    if (as_rgb)
        return png_files::write_png(
            png_files::direct_image(t.image.width, t.image.height, png_files::kRgb, 8, [&](int x, int y) {
                const uint32_t c = colour(index(x, y));
                return std::vector<uint16_t>{static_cast<uint16_t>(c >> 16),
                                             static_cast<uint16_t>(c >> 8 & 0xFF),
                                             static_cast<uint16_t>(c & 0xFF)};
            }));
    std::vector<uint32_t> palette;
    for (int i = 0; i < t.image.clut_entries; ++i) palette.push_back(colour(i));
    png_files::Image image = png_files::palette_image(t.image.width, t.image.height, 4, palette, index);
    image.trns = {0};
    return png_files::write_png(image);
}

TEST(ToolRender, APngSheetRendersAsTheTimDoesFromTheProjectOrFromImage) {
    QTemporaryDir dir;
    copy_example(dir);
    ASSERT_TRUE(png_files::save(dir.filePath("walk.png").toStdString(), example_sheet_as_png(false)));
    ASSERT_EQ(
        run_tool({"render", dir.filePath("walk.cwp"), "--pattern", "0", "--out", dir.filePath("tim.gif")})
            .exit_code,
        0);
    const ToolRun swapped = run_tool({"render", dir.filePath("walk.cwp"), "--pattern", "0", "--out",
                                      dir.filePath("swapped.gif"), "--image", dir.filePath("walk.png")});
    ASSERT_EQ(swapped.exit_code, 0) << swapped.err;
    EXPECT_EQ(read_bytes(dir.filePath("swapped.gif")), read_bytes(dir.filePath("tim.gif")));
    // A project whose image path names the PNG: rendered and checked as the editor opens it.
    QByteArray cwp = read_bytes(dir.filePath("walk.cwp"));
    cwp.replace(0, 512, QByteArray("walk.png").leftJustified(512, '\0'));
    ASSERT_TRUE(write_bytes(dir.filePath("png.cwp"), cwp));
    ASSERT_TRUE(QFile::copy(dir.filePath("walk.spa"), dir.filePath("png.spa")));
    const ToolRun named =
        run_tool({"render", dir.filePath("png.cwp"), "--pattern", "0", "--out", dir.filePath("png.gif")});
    ASSERT_EQ(named.exit_code, 0) << named.err;
    EXPECT_EQ(read_bytes(dir.filePath("png.gif")), read_bytes(dir.filePath("tim.gif")));
    const ToolRun checked = run_tool({"check", dir.filePath("png.cwp")});
    EXPECT_EQ(checked.exit_code, 0) << checked.out;
    EXPECT_NE(checked.out.find("4 bits per pixel"), std::string::npos) << checked.out;
    // The same picture in true colour is the 15-bit mode, which the example's tpage is not.
    ASSERT_TRUE(png_files::save(dir.filePath("walk.png").toStdString(), example_sheet_as_png(true)));
    const ToolRun direct = run_tool({"check", dir.filePath("png.cwp")});
    EXPECT_EQ(direct.exit_code, 1) << direct.out;
    EXPECT_NE(direct.out.find(
                  "tpage gives colour mode 0 (4bitCLUT) but the image is 15bitDirect (16 bits per pixel)"),
              std::string::npos)
        << direct.out;
}

TEST(GifOutput, DelaysKeepTheLoopsLengthInHundredthsAtEitherRate) {
    EXPECT_EQ(cli::gif_delays({12, 12, 12}, 60), (std::vector<int>{20, 20, 20}));
    // One tick is 1.67 hundredths: 2, 3 and 5 hundredths have passed after 1, 2 and 3 ticks.
    EXPECT_EQ(cli::gif_delays({1, 1, 1}, 60), (std::vector<int>{2, 1, 2}));
    EXPECT_EQ(cli::gif_delays({60, 40}, 60), (std::vector<int>{100, 67}));
    const std::vector<int> d =
        cli::gif_delays(std::vector<uint32_t>(7, 5), 60);  // 35 ticks: 58.33 hundredths
    int total = 0;
    for (int v : d) total += v;
    EXPECT_EQ(total, 58);
    // At 50 a second a tick is two hundredths exactly.
    EXPECT_EQ(cli::gif_delays({12, 1, 60, 40}, 50), (std::vector<int>{24, 2, 120, 80}));
}

TEST(ToolRender, AtFiftyTicksASecondEachFrameStaysLonger) {
    QTemporaryDir dir;
    const QString cwp = source_path("examples/walk.cwp");
    for (const char* rate : {"50", "60"}) {
        SCOPED_TRACE(rate);
        const ToolRun run =
            run_tool({"render", cwp, "--pattern", "idle", "--out", dir.filePath("idle.gif"), "--rate", rate});
        ASSERT_EQ(run.exit_code, 0) << run.err;
        const Gif gif = read_gif(dir.filePath("idle.gif"));
        ASSERT_TRUE(gif.read);
        // idle: timings 29 and 19 at speed 1 stay 60 and 40 ticks.
        EXPECT_EQ(gif.delays,
                  std::string(rate) == "50" ? (std::vector<int>{120, 80}) : (std::vector<int>{100, 67}));
    }
    const ToolRun wrong =
        run_tool({"render", cwp, "--pattern", "0", "--out", dir.filePath("x.gif"), "--rate", "30"});
    EXPECT_EQ(wrong.exit_code, 2);
    EXPECT_NE(wrong.err.find("--rate takes 50 or 60"), std::string::npos) << wrong.err;
}

// The sheet a render wrote, as 0x00RRGGBB (a transparent pixel as the black it stands for).
std::vector<uint32_t> sheet_pixels(const QString& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint32_t> out;
    if (!png_image_begin_read_from_file(&image, path.toLocal8Bit().constData())) return out;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return out;
    for (size_t i = 0; i < rgba.size(); i += 4)
        out.push_back(rgba[i + 3] ? uint32_t(rgba[i]) << 16 | uint32_t(rgba[i + 1]) << 8 | rgba[i + 2] : 0);
    return out;
}

TEST(ToolRender, TheConsoleDrawsTheExampleAsTheRunningDisplayButForItsTransparentTexels) {
    // The example has no STP bit and its CLUT is where its records point. On black the
    // console and the running display draw the same pixels; on a colour the console lets it
    // show through the transparent texels, which the running display, unkeyed, paints black.
    QTemporaryDir dir;
    const QString cwp = source_path("examples/walk.cwp");
    for (const char* background : {"000000", "3060A0"}) {
        SCOPED_TRACE(background);
        const QStringList extra = {"--background", background, "--flip", "hv"};
        const ToolRun editor = run_tool(
            QStringList{"render", cwp, "--pattern", "0", "--sheet", dir.filePath("editor.png")} + extra);
        const ToolRun console = run_tool(QStringList{"render", cwp, "--pattern", "0", "--sheet",
                                                     dir.filePath("console.png"), "--console"} +
                                         extra);
        ASSERT_EQ(editor.exit_code, 0) << editor.err;
        ASSERT_EQ(console.exit_code, 0) << console.err;
        const std::vector<uint32_t> e = sheet_pixels(dir.filePath("editor.png")),
                                    c = sheet_pixels(dir.filePath("console.png"));
        ASSERT_EQ(e.size(), 4u * 32 * 32);
        ASSERT_EQ(c.size(), e.size());
        int differ = 0, shown_through = 0;
        for (size_t i = 0; i < e.size(); ++i) {
            if (e[i] == c[i]) continue;
            ++differ;
            shown_through += e[i] == 0 && c[i] == 0x3060A0;
        }
        EXPECT_EQ(differ, shown_through);
        if (std::string(background) == "3060A0") {
            EXPECT_GT(shown_through, 100);
        }
    }
    // A sheet with no texels in tpage's mode is refused before anything is written.
    QTemporaryDir broken;
    copy_example(broken);
    QByteArray spa = read_bytes(broken.filePath("walk.spa"));
    put32(spa, 0, 10 | 3 << 7);
    ASSERT_TRUE(write_bytes(broken.filePath("walk.spa"), spa));
    const ToolRun refused =
        run_tool({"render", broken.filePath("walk.cwp"), "--pattern", "0", "--console", "--image",
                  broken.filePath("walk.bmp"), "--sheet", broken.filePath("out.png")});
    EXPECT_EQ(refused.exit_code, 1);
    EXPECT_NE(refused.err.find("no texels in the colour mode tpage gives (24bitDirect)"), std::string::npos)
        << refused.err;
    EXPECT_FALSE(QFileInfo::exists(broken.filePath("out.png")));
}

TEST(GifOutput, ManyColoursAreReducedAndBlackStaysTransparent) {
    cli::Picture p{40, 10, {}};
    for (int i = 0; i < 400; ++i)
        p.xrgb.push_back(i % 40 == 0 ? kBlack : uint32_t(i * 613 % 255) << 16 | uint32_t(i) << 4);
    std::string error;
    const std::vector<uint8_t> bytes = cli::encode_gif({p}, {10}, &error);
    ASSERT_FALSE(bytes.empty()) << error;
    QTemporaryDir dir;
    ASSERT_TRUE(write_bytes(dir.filePath("many.gif"), QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                                                 static_cast<qsizetype>(bytes.size()))));
    const Gif gif = read_gif(dir.filePath("many.gif"));
    ASSERT_TRUE(gif.read);
    ASSERT_EQ(gif.frames.size(), 1u);
    int black = 0;
    for (size_t i = 0; i < p.xrgb.size(); ++i) {
        if (p.xrgb[i] == kBlack) {
            black += gif.frames[0][i] == kBlack;
            continue;
        }
        // Reduced colours stay near their originals.
        const uint32_t a = p.xrgb[i], b = gif.frames[0][i];
        const int dr = int(a >> 16) - int(b >> 16), dg = int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF),
                  db = int(a & 0xFF) - int(b & 0xFF);
        EXPECT_LT(dr * dr + dg * dg + db * db, 48 * 48) << i;
    }
    EXPECT_EQ(black, 10);
}
