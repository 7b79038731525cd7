// celwright-tool vram: the frame-buffer map holds each project's TIM picture and CLUT where
// the file places them, outlined and labelled; an overlap is hatched where the words differ
// and only outlined where they agree; --json says the same as data; a project that cannot
// be read writes no map.
#include <png.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QFileInfo>
#include <QJsonObject>

#include <vector>

#include "files/tim.h"
#include "tool_support.h"

using namespace tool_test;

namespace {

constexpr uint32_t kFirstProject = 0xFFD700, kConflict = 0xFF2020, kShared = 0xFFFFFF;

struct Map {
    int width = 0, height = 0;
    std::vector<uint32_t> px;
    uint32_t at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
    int count(int x0, int y0, int w, int h, uint32_t colour) const {
        int n = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x) n += at(x, y) == colour;
        return n;
    }
};

Map read_map(const QString& path) {
    Map m;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.toLocal8Bit().constData())) return m;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) return m;
    m.width = static_cast<int>(image.width);
    m.height = static_cast<int>(image.height);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        EXPECT_EQ(rgba[i + 3], 255) << "the map is opaque";
        m.px.push_back(uint32_t(rgba[i]) << 16 | uint32_t(rgba[i + 1]) << 8 | rgba[i + 2]);
    }
    return m;
}

tim::TimImage example_tim() {
    const QByteArray bytes = read_bytes(source_path("examples/walk.tim"));
    return tim::decode_tim(
               std::span(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<size_t>(bytes.size())))
        .image;
}

uint32_t rgb_of(uint16_t word) {
    const tim::Rgb c = tim::colour15(word);
    return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b;
}

// A second project beside the example whose TIM (b.tim) is the example's at another place.
void add_moved_project(const QTemporaryDir& dir, uint16_t x, uint16_t y) {
    QByteArray t = read_bytes(dir.filePath("walk.tim"));
    put16(t, 8 + 12 + 32 + 4, x);  // the pixel block's place, after the 16-entry CLUT block
    put16(t, 8 + 12 + 32 + 6, y);
    ASSERT_TRUE(write_bytes(dir.filePath("b.tim"), t));
    QByteArray cwp = read_bytes(dir.filePath("walk.cwp"));
    cwp.replace(0, 6, QByteArray("b.tim\0", 6));
    ASSERT_TRUE(write_bytes(dir.filePath("b.cwp"), cwp));
    ASSERT_TRUE(QFile::copy(dir.filePath("walk.spa"), dir.filePath("b.spa")));
}

QJsonObject json_of(const std::string& out) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(out)).object();
}

}  // namespace

TEST(ToolVram, TheExamplesPictureAndClutStandWhereItsTimPlacesThem) {
    QTemporaryDir dir;
    const ToolRun run =
        run_tool({"vram", source_path("examples/walk.cwp"), "--out", dir.filePath("map.png")});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(line_count(run.out), 1) << run.out;
    EXPECT_NE(run.out.find(
                  "walk.tim at (640, 0) 32 x 64 words (4bitCLUT, 128 x 64 pixels), CLUT at (0, 480) 16 x 1"),
              std::string::npos)
        << run.out;
    const Map map = read_map(dir.filePath("map.png"));
    ASSERT_EQ(map.width, 1024);
    ASSERT_EQ(map.height, 512);
    // Four texels a word: word 640 + i shows texel 4 i of the sheet.
    const tim::TimImage t = example_tim();
    int wrong = 0, coloured = 0;
    for (int y = 0; y < 64; ++y)
        for (int i = 0; i < 32; ++i) {
            const uint32_t want = rgb_of(t.clut[tim::tim_texel(t, 4 * i, y)]);
            wrong += map.at(640 + i, y) != want;
            coloured += want != 0;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(coloured, 50);
    for (int e = 0; e < 16; ++e) EXPECT_EQ(map.at(e, 480), rgb_of(t.clut[e])) << e;
    // Outlined around both in the first project's colour, and labelled with the file name.
    EXPECT_EQ(map.at(639, 30), kFirstProject);
    EXPECT_EQ(map.at(672, 30), kFirstProject);
    EXPECT_EQ(map.at(8, 479), kFirstProject);
    EXPECT_GT(map.count(640, 66, 60, 10, kFirstProject), 20);  // "walk.tim" below the picture
    // Twice the scale: a word is two pixels each way.
    ASSERT_EQ(run_tool({"vram", source_path("examples/walk.cwp"), "--out", dir.filePath("map2.png"),
                        "--scale", "2"})
                  .exit_code,
              0);
    const Map twice = read_map(dir.filePath("map2.png"));
    ASSERT_EQ(twice.width, 2048);
    EXPECT_EQ(twice.at(2 * 5 + 1, 2 * 480 + 1), map.at(5, 480));
}

TEST(ToolVram, OverlapsAreHatchedWhereTheWordsDifferAndOutlinedWhereTheyAgree) {
    QTemporaryDir dir;
    copy_example(dir);
    add_moved_project(dir, 656, 32);  // over the lower right half of the example's picture
    const ToolRun run = run_tool({"vram", dir.filePath("walk.cwp"), dir.filePath("b.cwp"), "--out",
                                  dir.filePath("map.png"), "--json"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const QJsonObject json = json_of(run.out);
    const QJsonArray projects = json["projects"].toArray();
    ASSERT_EQ(projects.size(), 2);
    const QJsonObject b = projects[1].toObject();
    EXPECT_EQ(b["picture"].toObject()["area"].toObject()["x"].toInt(), 656);
    EXPECT_EQ(b["clut"].toObject()["entries"].toInt(), 16);
    ASSERT_EQ(b["problems"].toArray().size(), 1);
    EXPECT_EQ(b["problems"].toArray()[0].toObject()["rule"].toString(), "sheet_off_page_corner");
    EXPECT_TRUE(projects[0].toObject()["problems"].toArray().isEmpty());
    // The pictures clash; the two CLUTs, one and the same at (0, 480), do not.
    const QJsonArray overlaps = json["overlaps"].toArray();
    ASSERT_EQ(overlaps.size(), 2);
    const QJsonObject pictures = overlaps[0].toObject(), cluts = overlaps[1].toObject();
    EXPECT_EQ(pictures["a"].toObject()["part"].toString(), "picture");
    EXPECT_EQ(pictures["b"].toObject()["project"].toInt(), 1);
    EXPECT_TRUE(pictures["conflict"].toBool());
    const QJsonObject area = pictures["area"].toObject();
    EXPECT_EQ(QList<int>({area["x"].toInt(), area["y"].toInt(), area["w"].toInt(), area["h"].toInt()}),
              QList<int>({656, 32, 16, 32}));
    EXPECT_EQ(cluts["a"].toObject()["part"].toString(), "clut");
    EXPECT_FALSE(cluts["conflict"].toBool());
    const Map map = read_map(dir.filePath("map.png"));
    ASSERT_EQ(map.width, 1024);
    EXPECT_GT(map.count(657, 33, 14, 30, kConflict), 60);  // hatched inside the overlap
    EXPECT_EQ(map.count(641, 1, 14, 30, kConflict), 0);    // and nowhere else in the picture
    EXPECT_EQ(map.at(656, 40), kConflict);                 // its frame
    EXPECT_EQ(map.at(0, 480), kShared);                    // the shared CLUT, outlined only
    EXPECT_EQ(map.count(1, 480, 14, 1, kConflict), 0);
    // Without --json: one line a project and an overlap.
    const ToolRun text =
        run_tool({"vram", dir.filePath("walk.cwp"), dir.filePath("b.cwp"), "--out", dir.filePath("map.png")});
    EXPECT_EQ(line_count(text.out), 4) << text.out;
    EXPECT_NE(text.out.find("overlap: walk.tim picture (" + dir.filePath("walk.cwp").toStdString() +
                            ") and b.tim picture (" + dir.filePath("b.cwp").toStdString() +
                            ") share (656, 32) 16 x 32 with different words"),
              std::string::npos)
        << text.out;
}

TEST(ToolVram, ASheetWithoutAPlaceIsListedAndAProjectThatFailsWritesNoMap) {
    QTemporaryDir dir;
    copy_example(dir);
    QByteArray cwp = read_bytes(dir.filePath("walk.cwp"));
    cwp.replace(0, 9, QByteArray("walk.bmp\0", 9));
    ASSERT_TRUE(write_bytes(dir.filePath("bmp.cwp"), cwp));
    ASSERT_TRUE(QFile::copy(dir.filePath("walk.spa"), dir.filePath("bmp.spa")));
    const ToolRun run = run_tool({"vram", dir.filePath("bmp.cwp"), "--out", dir.filePath("map.png")});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.out.find("walk.bmp has no place in the frame buffer (not a TIM); not drawn"),
              std::string::npos)
        << run.out;
    const Map map = read_map(dir.filePath("map.png"));
    EXPECT_EQ(map.count(0, 0, 1024, 512, kFirstProject), 0);

    ASSERT_TRUE(QFile::remove(dir.filePath("map.png")));
    ASSERT_TRUE(QFile::remove(dir.filePath("walk.tim")));
    const ToolRun failed = run_tool(
        {"vram", dir.filePath("bmp.cwp"), dir.filePath("walk.cwp"), "--out", dir.filePath("map.png")});
    EXPECT_EQ(failed.exit_code, 1);
    EXPECT_EQ(line_count(failed.err), 1) << failed.err;
    EXPECT_NE(failed.err.find("walk.tim が開けません."), std::string::npos) << failed.err;
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("map.png")));
    const ToolRun usage = run_tool({"vram", dir.filePath("bmp.cwp")});
    EXPECT_EQ(usage.exit_code, 2);
    EXPECT_NE(usage.err.find("which picture? (--out MAP.png)"), std::string::npos) << usage.err;
}
