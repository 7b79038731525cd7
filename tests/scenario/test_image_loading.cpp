// Loading images with New: BMP sizes and depths, every shipped TIM file, the
// refusals, the retry after a file that cannot be opened and the display depth.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "harness.h"
#include "test_image_support.h"

using namespace image_test;

namespace {

const QString kCaption = QString::fromUtf8("ｲﾒｰｼﾞﾌｧｲﾙのｵｰﾌﾟﾝ");
const QString kSizeText = QString::fromUtf8("256pixel以上のｻｲｽﾞのｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません.");
constexpr int kIconError = 0x10;

bool no_project_open(const QJsonObject& d) {
    return d["current_path"].toString().isEmpty() &&
           d["menu_bar"].toObject()["resource"].toInt() == IDR_NO_PROJECT_MENU &&
           !d["panel_enabled"].toBool() && d["tables"].toObject()["image_path"].toString().isEmpty();
}

uint32_t stripes(int x, int y) {
    return static_cast<uint32_t>(((x & 0xFF) << 16) | ((y & 0xFF) << 8) | 0x40);
}

QJsonObject load(const QString& path, const std::string& after = "dump\n", int refusals = 0) {
    const ScenarioRun run = run_scenario(new_project(path, refusals) + after);
    EXPECT_EQ(run.exit_code, 0) << run.errors.toStdString();
    return run.last();
}

TEST(LoadBmp, A256By256ImageLoadsAndOpensTheNewProject) {
    QTemporaryDir dir;
    const QString path = dir.filePath("full.bmp");
    ASSERT_TRUE(write_file(path, bmp24(256, 256, stripes)));
    const QJsonObject d = load(path, "probe a working 0 0\nprobe b working 255 17\ndump\n");
    EXPECT_EQ(image(d)["image_width"].toInt(), 256);
    EXPECT_EQ(image(d)["image_height"].toInt(), 256);
    EXPECT_EQ(surface(d, "working")["width"].toInt(), 256);
    EXPECT_EQ(surface(d, "selection")["height"].toInt(), 256);
    EXPECT_EQ(surface(d, "working")["caps"].toInt(), 0x840);
    EXPECT_EQ(probe(d, "a"), rgb(0, 0, 0x40));
    EXPECT_EQ(probe(d, "b"), rgb(255, 17, 0x40));
    EXPECT_EQ(d["tables"].toObject()["tpage"].toInt(), 0x180);
    EXPECT_EQ(d["tables"].toObject()["clut_attribute"].toInt(), 0);
    EXPECT_EQ(d["tables"].toObject()["image_path"].toString(), path);
    EXPECT_EQ(d["tables"].toObject()["project_name"].toString(), QString::fromUtf8("新規ｱﾆﾒｰｼｮﾝ"));
    EXPECT_EQ(d["tree"].toArray()[0].toObject()["text"].toString(), QString::fromUtf8("新規ｱﾆﾒｰｼｮﾝ"));
    EXPECT_EQ(d["current_path"].toString(), QString::fromUtf8("新規ｱﾆﾒｰｼｮﾝ.cwp"));
    EXPECT_EQ(d["menu_bar"].toObject()["resource"].toInt(), IDR_PROJECT_MENU);
    EXPECT_TRUE(d["panel_enabled"].toBool());
    const QJsonObject w = d["windows"].toObject()["image"].toObject();
    EXPECT_TRUE(w["visible"].toBool());
    EXPECT_EQ(w["client_size"].toArray(), (QJsonArray{256, 256}));
    ASSERT_EQ(boxes(d).size(), 1);  // only the hint before the image dialog
    EXPECT_EQ(boxes(d)[0].toObject()["caption"].toString(), QString::fromUtf8("新規作成"));
}

TEST(LoadBmp, SizesBeyond256AreRefusedAndTopDownRowsLoadTheRightWayUp) {
    QTemporaryDir dir;
    ASSERT_TRUE(write_file(dir.filePath("wide.bmp"), bmp24(257, 10, stripes)));
    ASSERT_TRUE(write_file(dir.filePath("down.bmp"), bmp24(16, -256, stripes)));
    const QJsonObject wide = load(dir.filePath("wide.bmp"), "dump\n", 1);
    EXPECT_EQ(last_box_text(wide), kSizeText);
    EXPECT_EQ(boxes(wide).last().toObject()["caption"].toString(), kCaption);
    EXPECT_EQ(boxes(wide).last().toObject()["style"].toInt(), kIconError);
    EXPECT_TRUE(surface(wide, "working").isEmpty());
    EXPECT_FALSE(wide["windows"].toObject()["image"].toObject()["visible"].toBool());
    // Without its image there is no project: nothing that could be saved names a file that does not load.
    EXPECT_TRUE(no_project_open(wide));

    const QJsonObject down =
        load(dir.filePath("down.bmp"), "probe top working 3 0\nprobe low working 3 255\ndump\n");
    EXPECT_EQ(image(down)["image_height"].toInt(), 256);
    EXPECT_EQ(surface(down, "working")["height"].toInt(), 256);
    EXPECT_EQ(probe(down, "top"), rgb(3, 0, 0x40));
    EXPECT_EQ(probe(down, "low"), rgb(3, 255, 0x40));
}

TEST(LoadBmp, DepthsGiveTheirColourModeAndTwoColoursAreRefused) {
    struct Case {
        const char* file;
        int tpage;
    };
    for (const Case& c : {Case{"pal4.bmp", 0x000}, Case{"pal8.bmp", 0x080}, Case{"rgb16.bmp", 0x100},
                          Case{"rgb24.bmp", 0x180}}) {
        SCOPED_TRACE(c.file);
        const QJsonObject d = load(testdata(QStringLiteral("bmpsuite/g/") + c.file));
        EXPECT_EQ(d["tables"].toObject()["tpage"].toInt(), c.tpage);
        EXPECT_EQ(d["tables"].toObject()["clut_attribute"].toInt(), 0);
        EXPECT_EQ(image(d)["image_width"].toInt(), 127);
        EXPECT_EQ(boxes(d).size(), 1);
    }
    // New has closed the project before the image is refused: nothing of the previous image
    // stays behind, and no project is open.
    const ScenarioRun run = run_scenario(new_project(testdata("tim/sheet_8bit_896_0_clut0_500.tim")) +
                                         new_project(testdata("bmpsuite/g/pal1.bmp"), 1) + "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    EXPECT_EQ(last_box_text(d), QString::fromUtf8("16色以下のｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません."));
    EXPECT_TRUE(surface(d, "working").isEmpty());
    EXPECT_TRUE(no_project_open(d));
    EXPECT_EQ(d["tables"].toObject()["clut_attribute"].toInt(), 0);
}

TEST(LoadTim, EveryShippedFileLoadsWithItsSizeAndAttributes) {
    QFile f(testdata("tim/manifest.json"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QJsonArray files = QJsonDocument::fromJson(f.readAll()).array();
    ASSERT_GE(files.size(), 9);
    for (const auto& entry : files) {
        const QJsonObject m = entry.toObject();
        SCOPED_TRACE(m["file"].toString().toStdString());
        // A pixel block shorter than its rows (width_words * 2 bytes each) is refused.
        const int clut_bytes = m["has_clut"].toBool() ? 12 + 2 * m["clut_entries"].toInt() : 0;
        const int rows_need = 8 + clut_bytes + 12 + 2 * m["width_words"].toInt() * m["height"].toInt();
        if (m["size"].toInt() < rows_need) {
            const QJsonObject d = load(testdata("tim/" + m["file"].toString()), "dump\n", 1);
            EXPECT_EQ(last_box_text(d),
                      QString::fromUtf8("TIMﾌｧｲﾙのﾃﾞｰﾀが不足しています.\n壊れたﾌｧｲﾙはｻﾎﾟｰﾄしていません."));
            EXPECT_TRUE(no_project_open(d));
            continue;
        }
        // Every shipped sheet lies where the console can draw it from: no word about its place.
        const QJsonObject d = load(testdata("tim/" + m["file"].toString()));
        EXPECT_EQ(boxes(d).size(), 1);
        EXPECT_EQ(surface(d, "working")["width"].toInt(), m["pixel_width"].toInt());
        EXPECT_EQ(surface(d, "working")["height"].toInt(), m["height"].toInt());
        EXPECT_EQ(image(d)["image_width"].toInt(), m["pixel_width"].toInt());
        EXPECT_EQ(d["tables"].toObject()["tpage"].toInt(), m["tpage"].toInt());
        EXPECT_EQ(d["tables"].toObject()["clut_attribute"].toInt(), m["clut_attribute"].toInt());
        EXPECT_TRUE(d["windows"].toObject()["image"].toObject()["visible"].toBool());
    }
}

TEST(LoadTim, PixelsReachTheWorkingImageInEveryMode) {
    QTemporaryDir dir;
    // 4-bit: the byte 0x21 is index 1 then index 2.
    const std::vector<uint16_t> clut = {0x0000, 0x001F, 0x03E0, 0x7C00};
    ASSERT_TRUE(write_file(dir.filePath("four.tim"),
                           tim(8 | 0, clut, 0, 0, 0, 0, 1, 1, QByteArray::fromHex("2103"))));
    // Its CLUT lies on its own picture: the load says so once, in words with the numbers, and
    // goes on with the file as it is.
    const QJsonObject four = load(dir.filePath("four.tim"),
                                  "probe a working 0 0\nprobe b working 1 0\n"
                                  "probe c working 2 0\ndump\n",
                                  1);
    ASSERT_EQ(boxes(four).size(), 2);
    EXPECT_EQ(last_box_text(four),
              dir.filePath("four.tim") +
                  QString::fromUtf8("\nはﾌﾚｰﾑﾊﾞｯﾌｧ上の配置に問題があります.\n\n"
                                    "CLUT(0, 0) 4 x 1がｲﾒｰｼﾞ(0, 0) 1 x 1に重なっています.\n\n"
                                    "ｲﾒｰｼﾞはこのまま読み込みます."));
    EXPECT_EQ(boxes(four).last().toObject()["caption"].toString(), kCaption);
    EXPECT_EQ(probe(four, "a"), rgb(248, 0, 0));
    EXPECT_EQ(probe(four, "b"), rgb(0, 248, 0));
    EXPECT_EQ(probe(four, "c"), rgb(0, 0, 248));
    // The 24-bit and the 4-bit sheet show the same colours (to five bits a channel).
    const std::string probes = "probe a working 5 5\nprobe b working 20 20\nprobe c working 40 36\ndump\n";
    const QJsonObject full = load(testdata("tim/sheet_24bit_0_0.tim"), probes);
    const QJsonObject paletted = load(testdata("tim/sheet_4bit_768_256_clut16_481.tim"), probes);
    int coloured = 0;
    for (const char* p : {"a", "b", "c"}) {
        const QJsonArray x = probe(full, p), y = probe(paletted, p);
        ASSERT_EQ(x.size(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(x[i].toInt() & 0xF8, y[i].toInt()) << p;
            coloured += x[i].toInt();
        }
    }
    EXPECT_GT(coloured, 0);
}

TEST(LoadTim, FilesThatDoNotFitAreRefusedAndLeaveNoProject) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* text;
    };
    const QByteArray rows(8, '\0');
    const Case cases[] = {
        {"mode5.tim", tim(5, {}, 0, 0, 0, 0, 2, 2, rows), "このﾋﾟｸｾﾙﾓｰﾄﾞのTIMﾌｧｲﾙは\nｻﾎﾟｰﾄしていません."},
        {"bigclut.tim", tim(8 | 1, std::vector<uint16_t>(300, 0), 0, 0, 0, 0, 2, 2, rows),
         "257色以上のCLUTを持つTIMﾌｧｲﾙは\nｻﾎﾟｰﾄしていません."},
        {"short.tim", tim(2, {}, 0, 0, 0, 0, 2, 3, rows),
         "TIMﾌｧｲﾙのﾃﾞｰﾀが不足しています.\n壊れたﾌｧｲﾙはｻﾎﾟｰﾄしていません."},
        {"empty.tim", tim(2, {}, 0, 0, 0, 0, 0, 2, rows), "幅または高さが0のｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません."},
        {"wide.tim", tim(2, {}, 0, 0, 0, 0, 257, 1, QByteArray(514, '\0')),
         "256pixel以上のｻｲｽﾞのｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません."},
        {"cut.tim", QByteArray::fromHex("1000000008000000"),
         "TIMﾌｧｲﾙのﾃﾞｰﾀが不足しています.\n壊れたﾌｧｲﾙはｻﾎﾟｰﾄしていません."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(write_file(dir.filePath(c.name), c.bytes));
        const ScenarioRun run = run_scenario(new_project(testdata("tim/pal8_640_256_clut80_480.tim")) +
                                             new_project(dir.filePath(c.name), 1) + "dump\n");
        ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
        const QJsonObject d = run.last();
        EXPECT_EQ(last_box_text(d), QString::fromUtf8(c.text));
        EXPECT_EQ(boxes(d).last().toObject()["caption"].toString(), kCaption);
        EXPECT_EQ(boxes(d).last().toObject()["style"].toInt(), kIconError);
        // The image of the project New closed is gone with it.
        EXPECT_TRUE(surface(d, "working").isEmpty());
        EXPECT_TRUE(no_project_open(d));
        EXPECT_EQ(d["tables"].toObject()["tpage"].toInt(), 0);
        EXPECT_EQ(d["tables"].toObject()["clut_attribute"].toInt(), 0);
    }
}

TEST(LoadImage, APathWithoutAKnownExtensionIsRefused) {
    QTemporaryDir dir;
    const QString path = dir.filePath("PICTURE.BMP");  // the classification is case-sensitive
    ASSERT_TRUE(write_file(path, bmp24(8, 8, stripes)));
    const QJsonObject d = load(path, "dump\n", 1);
    ASSERT_EQ(boxes(d).size(), 2);
    EXPECT_EQ(last_box_text(d), path + QString::fromUtf8("\nはｻﾎﾟｰﾄしていないﾌｧｲﾙ形式です."));
    EXPECT_EQ(boxes(d).last().toObject()["caption"].toString(), kCaption);
    EXPECT_TRUE(surface(d, "working").isEmpty());
    EXPECT_FALSE(d["windows"].toObject()["image"].toObject()["visible"].toBool());
}

TEST(LoadImage, AFileThatCannotBeOpenedOffersAnotherOne) {
    QTemporaryDir dir;
    // The file is there, but the system loader reads no bitmap from it.
    const QString missing = dir.filePath("broken.bmp"), other = testdata("tim/sheet_16bit_640_0.tim");
    ASSERT_TRUE(write_file(missing, QByteArray("BM not a bitmap")));
    const std::string start =
        "answer box IDOK\nanswer open \"" + missing.toStdString() + "\"\nanswer box IDOK\n";
    // Cancelled: nothing is loaded.
    ScenarioRun run = run_scenario(start + "answer open cancel\nmenu ID_FILE_NEW\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    QJsonObject d = run.last();
    ASSERT_EQ(boxes(d).size(), 2);
    EXPECT_EQ(last_box_text(d), missing + QString::fromUtf8("\nが開けません.\n別のｲﾒｰｼﾞﾌｧｲﾙを開きます."));
    EXPECT_EQ(boxes(d).last().toObject()["style"].toInt(), kIconError);
    EXPECT_TRUE(surface(d, "working").isEmpty());
    // Another file chosen: it is loaded and becomes the image path.
    run = run_scenario(start + "answer open \"" + other.toStdString() + "\"\nmenu ID_FILE_NEW\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    d = run.last();
    EXPECT_EQ(QFileInfo(d["tables"].toObject()["image_path"].toString()).canonicalFilePath(),
              QFileInfo(other).canonicalFilePath());
    EXPECT_EQ(surface(d, "working")["width"].toInt(), 64);
    EXPECT_EQ(d["tables"].toObject()["tpage"].toInt(), 266);
    const QJsonArray dialogs = d["file_dialogs"].toArray();
    ASSERT_EQ(dialogs.size(), 2);
    EXPECT_EQ(dialogs[1].toObject()["default_ext"].toString(), QStringLiteral("bmp"));
}

TEST(LoadImage, AnEightBitDisplayRefusesEveryImage) {
    qputenv("CELWRIGHT_DISPLAY_BPP", "8");
    const QJsonObject bmp = load(testdata("bmpsuite/g/rgb24.bmp"), "dump\n", 1);
    const QJsonObject tim_file = load(testdata("tim/sheet_24bit_0_0.tim"), "dump\n", 1);
    qunsetenv("CELWRIGHT_DISPLAY_BPP");
    for (const QJsonObject& d : {bmp, tim_file}) {
        EXPECT_EQ(last_box_text(d), QString::fromUtf8("256色以下の解像度は使用できません．\n"));
        EXPECT_EQ(boxes(d).last().toObject()["style"].toInt(), kIconError);
        EXPECT_FALSE(d["windows"].toObject()["image"].toObject()["visible"].toBool());
        // The surfaces made for the refused image go with the project New could not start.
        EXPECT_TRUE(surface(d, "working").isEmpty());
        EXPECT_TRUE(no_project_open(d));
    }
}

}  // namespace
