// PNG sprite sheets in the editor: New with a palette PNG shows its colours in the image window
// and the drawing environment names the colour mode its palette gives; a true-colour PNG is
// shown as the 15-bit mode shows it; a project names a PNG as its image; a sheet on the command
// line starts a project over it; and a PNG that is refused when dropped leaves the open
// project, its patterns and its unsaved changes as they were.
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "harness.h"
#include "png_files.h"
#include "test_file_support.h"

using namespace file_test;
using png_files::Image;

namespace {

const QString kImageCaption = QString::fromUtf8("ｲﾒｰｼﾞﾌｧｲﾙのｵｰﾌﾟﾝ");

std::vector<uint32_t> palette_of(int colours) {
    std::vector<uint32_t> p = {0xFF00FF};  // index 0, the transparent one, in the artist's magenta
    for (int i = 1; i < colours; ++i)
        p.push_back(static_cast<uint32_t>(((i * 53 + 9) & 0xFF) << 16 | ((i * 29) & 0xFF) << 8 |
                                          ((200 - i * 7) & 0xFF)));
    return p;
}

int index_at(int x, int y, int colours) {
    return (x / 4 + y / 3) % colours;
}

Image palette_sheet(int w, int h, int depth, int colours) {
    Image image = png_files::palette_image(w, h, depth, palette_of(colours),
                                           [=](int x, int y) { return index_at(x, y, colours); });
    image.trns = {0};  // as drawing programs mark the transparent index
    return image;
}

QString written(const QTemporaryDir& dir, const char* name, const png_files::Bytes& bytes) {
    QString path = dir.filePath(name);
    EXPECT_TRUE(png_files::save(path.toStdString(), bytes));
    return path;
}

QJsonArray rgb_of(uint32_t c) {
    return QJsonArray{static_cast<int>(c >> 16 & 0xFF), static_cast<int>(c >> 8 & 0xFF),
                      static_cast<int>(c & 0xFF)};
}

// What the display shows of a channel the 15-bit mode keeps five bits of.
int shown(int channel) {
    return ((channel >> 3) * 255 + 15) / 31;
}

QJsonArray probe(const QJsonObject& d, const char* name) {
    return d["probes"].toObject()[name].toArray();
}

// The drawing environment dialog opened and its colour mode field read, then cancelled.
const std::string kColourMode =
    "menu ID_EDIT_DRAWING_ENVIRONMENT\non dialog IDD_DRAWING_ENVIRONMENT\n  dump\n  click IDCANCEL\nend\n";

// The text of the dialog's colour mode field.
QString colour_mode(const QJsonObject& dialog_dump) {
    for (const auto& c : dialog_dump["dialog"].toObject()["controls"].toArray())
        if (c.toObject()["id"].toInt() == IDC_COLOR_MODE) return c.toObject()["text"].toString();
    return QString();
}

TEST(PngSheets, NewWithAPalettePngShowsItsColoursInTheImageWindowInTheFourBitMode) {
    QTemporaryDir dir;
    const Image image = palette_sheet(40, 30, 4, 11);
    const QString path = written(dir, "sheet.png", png_files::write_png(image));
    // The 40 x 30 sheet stands centred in the 256 x 256 image window, at (108, 113).
    const ScenarioRun run = run_scenario(new_project(path) +
                                         "tick\nprobe a working 0 0\nprobe b working 13 7\n"
                                         "probe shown window 121 120\ndump\n" +
                                         kColourMode);
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.dumps[0];
    EXPECT_EQ(boxes(d).size(), 1) << "only the hint before the image dialog";
    EXPECT_EQ(tables(d)["image_path"].toString(), path);
    EXPECT_EQ(tables(d)["tpage"].toInt(), 0x000);
    EXPECT_EQ(d["image"].toObject()["image_width"].toInt(), 40);
    EXPECT_EQ(d["image"].toObject()["image_height"].toInt(), 30);
    const QJsonObject window = d["windows"].toObject()["image"].toObject();
    EXPECT_TRUE(window["visible"].toBool());
    EXPECT_EQ(window["client_size"].toArray(), (QJsonArray{256, 256}));
    // Index 0 keeps its own colour, as in a BMP; the tRNS chunk changes no colour.
    EXPECT_EQ(probe(d, "a"), rgb_of(image.palette[0]));
    EXPECT_EQ(probe(d, "b"), rgb_of(image.palette[static_cast<size_t>(index_at(13, 7, 11))]));
    EXPECT_EQ(probe(d, "shown"), probe(d, "b"));
    EXPECT_EQ(colour_mode(run.dumps[1]), QStringLiteral("4bitCLUT"));
    // The image dialog offered PNG beside BMP and TIM.
    const QJsonArray dialogs = d["file_dialogs"].toArray();
    ASSERT_FALSE(dialogs.isEmpty());
    EXPECT_EQ(strings(dialogs[0].toObject()["filter"].toArray()),
              (QStringList{QString::fromUtf8("ｲﾒｰｼﾞﾌｧｲﾙ(*.bmp,*.tim,*.png)"), "*.bmp;*.tim;*.png"}));
}

TEST(PngSheets, MorePaletteColoursGiveTheEightBitModeAndTrueColourTheFifteenBitOne) {
    QTemporaryDir dir;
    const QString eight = written(dir, "eight.png", png_files::write_png(palette_sheet(24, 24, 8, 17)));
    const ScenarioRun run8 = run_scenario(new_project(eight) + "dump\n" + kColourMode);
    ASSERT_EQ(run8.exit_code, 0) << run8.errors.toStdString();
    EXPECT_EQ(tables(run8.dumps[0])["tpage"].toInt(), 0x080);
    EXPECT_EQ(colour_mode(run8.dumps[1]), QStringLiteral("8bitCLUT"));

    // Two transparent columns on the left, then opaque colours that lose their low three bits.
    const Image rgba = png_files::direct_image(16, 16, png_files::kRgba, 8, [](int x, int y) {
        return std::vector<uint16_t>{static_cast<uint16_t>(x * 16 + 7), 200,
                                     static_cast<uint16_t>(255 - y * 16),
                                     static_cast<uint16_t>(x < 2 ? 0 : 255)};
    });
    const QString direct = written(dir, "direct.png", png_files::write_png(rgba));
    const ScenarioRun run = run_scenario(
        new_project(direct) + "probe clear working 1 5\nprobe colour working 5 9\ndump\n" + kColourMode);
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.dumps[0];
    EXPECT_EQ(tables(d)["tpage"].toInt(), 0x100);
    EXPECT_EQ(probe(d, "clear"), (QJsonArray{0, 0, 0}));
    EXPECT_EQ(probe(d, "colour"), (QJsonArray{shown(5 * 16 + 7), shown(200), shown(255 - 9 * 16)}));
    EXPECT_EQ(colour_mode(run.dumps[1]), QStringLiteral("15bitDirect"));
}

TEST(PngSheets, AProjectNamesAPngBesideItAsItsImage) {
    QTemporaryDir dir;
    written(dir, "walk.png", png_files::write_png(palette_sheet(64, 48, 4, 16)));
    const QString cwp = dir.filePath("walk.cwp");
    ASSERT_TRUE(write_file(cwp, project_file("walk.png", "walk", {{"run", "a", "b"}})));
    ASSERT_TRUE(write_file(dir.filePath("walk.spa"), data_file(0x000, 2, {{2, 40, 30}})));
    const QJsonObject d = run_in(dir, open_project(cwp) + "dump\n").last();
    EXPECT_FALSE(no_project_open(d));
    EXPECT_TRUE(boxes(d).isEmpty());
    EXPECT_EQ(tables(d)["image_path"].toString(), QStringLiteral("walk.png"));
    EXPECT_EQ(d["image"].toObject()["image_width"].toInt(), 64);
    EXPECT_EQ(pattern_items(d), (QStringList{"run"}));
}

TEST(PngSheets, ASheetOnTheCommandLineStartsAProjectAndARefusedOneNone) {
    QTemporaryDir dir;
    const QString sheet = written(dir, "my sheet.png", png_files::write_png(palette_sheet(20, 10, 8, 40)));
    const ScenarioRun good = run_scenario_with_args("dump\n", "\"" + sheet + "\"", dir.path());
    ASSERT_EQ(good.exit_code, 0) << good.errors.toStdString();
    EXPECT_FALSE(no_project_open(good.last()));
    EXPECT_EQ(tables(good.last())["image_path"].toString(), sheet);
    EXPECT_EQ(tables(good.last())["tpage"].toInt(), 0x080);

    const QString wide = written(dir, "wide.png", png_files::write_png(palette_sheet(300, 4, 8, 3)));
    const ScenarioRun refused =
        run_scenario_with_args("answer box IDOK\ndump\n", "\"" + wide + "\"", dir.path());
    ASSERT_EQ(refused.exit_code, 0) << refused.errors.toStdString();
    EXPECT_TRUE(no_project_open(refused.last()));
    EXPECT_EQ(last_box(refused.last())["text"].toString(),
              QString::fromUtf8("256pixel以上のｻｲｽﾞのｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません."));
}

TEST(PngSheets, ARefusedDroppedSheetKeepsTheOpenProjectAndItsUnsavedChanges) {
    QTemporaryDir dir;
    png_files::Bytes cut = png_files::write_png(palette_sheet(32, 32, 8, 20));
    cut.resize(cut.size() / 2);
    struct Case {
        QString path;
        QString text;
    };
    const Case cases[] = {
        {written(dir, "cut.png", cut),
         QString::fromUtf8("PNGﾌｧｲﾙが壊れています.\n壊れたﾌｧｲﾙはｻﾎﾟｰﾄしていません.")},
        {written(dir, "notes.png", {'n', 'o', 't', 'e', 's'}),
         QString::fromUtf8("PNGﾌｧｲﾙではありません.\nﾌｧｲﾙの内容を確認してください.")},
        // A refused BMP is decoded before anything is closed too.
        {testdata("bmpsuite/g/pal1.bmp"), QString::fromUtf8("16色以下のｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        // The project has changes: the save prompt is answered No, then the refusal OK. Leaving
        // afterwards still asks about the changes (and is called off).
        const ScenarioRun run =
            run_in(dir, patterns({"run", "stand"}) + "answer box IDNO\nanswer box IDOK\ndrop " +
                            quoted(c.path) + "\ndump\nanswer box IDCANCEL\nexit\ndump\n");
        const QJsonObject d = run.dumps[0];
        EXPECT_EQ(last_box(d)["text"].toString(), c.text);
        EXPECT_EQ(last_box(d)["caption"].toString(), kImageCaption);
        EXPECT_EQ(last_box(d)["style"].toInt() & 0xF0, 0x10);  // MB_ICONERROR
        EXPECT_EQ(d["current_path"].toString(), QString::fromUtf8("新規ｱﾆﾒｰｼｮﾝ.cwp"));
        EXPECT_EQ(pattern_items(d), (QStringList{"run", "stand"}));
        EXPECT_EQ(tables(d)["image_path"].toString(), testdata("tim/sheet64x48.bmp"));
        EXPECT_EQ(d["surfaces"].toObject()["image"].toObject()["working"].toObject()["width"].toInt(), 64);
        EXPECT_TRUE(run.last()["exit"].toObject()["asked"].toBool());
        EXPECT_FALSE(run.last()["quit"].toBool());
    }
    // A sheet that loads replaces the project, as a dropped BMP does.
    const QString good = written(dir, "good.png", png_files::write_png(palette_sheet(16, 16, 4, 5)));
    const QJsonObject d =
        run_in(dir, patterns({"run"}) + "answer box IDNO\ndrop " + quoted(good) + "\ndump\n").last();
    EXPECT_EQ(tables(d)["image_path"].toString(), good);
    EXPECT_EQ(pattern_count_of(d), 0);
}

}  // namespace
