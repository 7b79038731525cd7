// The image window as a user drives it: the selection drag and frame set, zoom
// and scrolling, the grid dialog, what the window shows, hiding, and the
// DirectDraw sets and error report behind it.
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "harness.h"
#include "test_image_support.h"

using namespace image_test;

namespace {

uint32_t gradient(int x, int y) {
    return static_cast<uint32_t>(((x & 0xFF) << 16) | ((y & 0xFF) << 8) | 0x40);
}

// A new project on a 256 x 256 image, then the given steps.
ScenarioRun on_full_image(const std::string& steps) {
    static QTemporaryDir dir;
    const QString path = dir.filePath("full.bmp");
    if (!QFileInfo::exists(path)) write_file(path, bmp24(256, 256, gradient));
    ScenarioRun run = run_scenario(new_project(path) + steps);
    EXPECT_EQ(run.exit_code, 0) << run.errors.toStdString();
    return run;
}

ScenarioRun on_sheet(const std::string& steps) {
    ScenarioRun run = run_scenario(new_project(testdata("tim/sheet_24bit_0_0.tim")) + steps);
    EXPECT_EQ(run.exit_code, 0) << run.errors.toStdString();
    return run;
}

const std::string kPatternWithFrame =
    "on dialog IDD_ADD_PATTERN\nclick IDOK\nend\nmenu ID_EDIT_ADD_PATTERN\nmenu ID_EDIT_ADD_FRAME\n";

QJsonArray selection(const QJsonObject& d) {
    return image(d)["selection"].toArray();
}
QJsonArray frame(const QJsonObject& d, int p, int f) {
    return d["tables"].toObject()["frames"].toArray()[p].toArray()[f].toArray();
}
// The frame record of the current frame of pattern 0 (the frame combo's selection).
QJsonArray current_frame(const QJsonObject& d) {
    return frame(d, 0, d["combos"].toObject()[id_key(IDC_FRAME)].toObject()["selection"].toInt());
}
QJsonObject settings(const QJsonObject& d, int p) {
    return d["tables"].toObject()["settings"].toArray()[p].toObject();
}
QJsonObject pattern_set(const QJsonObject& d, int p) {
    return d["surfaces"].toObject()["patterns"].toArray()[p].toObject();
}
QJsonArray checks(const QJsonObject& d) {
    return image(d)["zoom_checks"].toArray();
}
QJsonArray xor80(const QJsonArray& c) {
    return QJsonArray{c[0].toInt() ^ 0x80, c[1].toInt() ^ 0x80, c[2].toInt() ^ 0x80};
}

TEST(ImageSelection, ADragSelectsBothCornersAndFrameSetStoresIt) {
    const ScenarioRun run =
        on_full_image(kPatternWithFrame +
                      "mouse image down 30 40\nmouse image move 20 30\nmouse image move 10 20\n"
                      "mouse image up 10 20\ndump\nmenu image ID_FRAME_SET\ndump\n");
    EXPECT_EQ(selection(run.dumps[0]), (QJsonArray{10, 20, 31, 41}));
    const QJsonObject d = run.last();
    const QJsonArray r = current_frame(d);  // correction x, y, timing, image x, y, clut, w, h
    EXPECT_EQ(r[3].toInt(), 10);
    EXPECT_EQ(r[4].toInt(), 20);
    EXPECT_EQ(r[6].toInt(), 21);
    EXPECT_EQ(r[7].toInt(), 21);
    EXPECT_EQ(settings(d, 0)["base_w"].toInt(), 21);
    EXPECT_EQ(settings(d, 0)["base_h"].toInt(), 21);
    // The base surface was made again at the grown size.
    EXPECT_EQ(pattern_set(d, 0)["base"].toObject()["width"].toInt(), 21);
    EXPECT_EQ(pattern_set(d, 0)["base"].toObject()["height"].toInt(), 21);
    EXPECT_EQ(boxes(d).size(), 1);
}

TEST(ImageSelection, FrameSetGrowsTheBaseFrameOnlyWhereTheSelectionIsLarger) {
    const ScenarioRun run =
        on_full_image(kPatternWithFrame +
                      // A first frame set of 32 x 32 makes the base frame that size.
                      "mouse image down 0 0\nmouse image move 31 31\nmouse image up 31 31\n"
                      "menu image ID_FRAME_SET\nmouse image down 0 0\nmouse image move 39 29\n"
                      "mouse image up 39 29\nmenu image ID_FRAME_SET\ndump\n");
    const QJsonObject d = run.last();
    EXPECT_EQ(current_frame(d)[6].toInt(), 40);
    EXPECT_EQ(current_frame(d)[7].toInt(), 30);
    EXPECT_EQ(settings(d, 0)["base_w"].toInt(), 40);
    EXPECT_EQ(settings(d, 0)["base_h"].toInt(), 32);
}

TEST(ImageSelection, FrameSetWithoutAFrameOnlyAsksForOne) {
    const ScenarioRun run = on_full_image(
        "mouse image down 3 3\nmouse image up 3 3\nanswer box IDOK\nmenu image ID_FRAME_SET\ndump\n");
    const QJsonObject d = run.last();
    ASSERT_EQ(boxes(d).size(), 2);
    const QJsonObject box = boxes(d)[1].toObject();
    EXPECT_EQ(box["text"].toString(), QString::fromUtf8("ﾃﾞｰﾀを設定するﾌﾚｰﾑを選択してください."));
    EXPECT_EQ(box["caption"].toString(), QString::fromUtf8("ﾌﾚｰﾑｾｯﾄ"));
    EXPECT_EQ(box["style"].toInt(), 0x40);
    EXPECT_EQ(box["owner"].toString(), QStringLiteral("image"));
    EXPECT_EQ(frame(d, 0, 0), (QJsonArray{0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(ImageSelection, AClickSelectsThePixelUnderThePointerEvenOnACentredImage) {
    // The 64 x 48 sheet lies centred on the 256 x 256 canvas, at (96, 104).
    const ScenarioRun run = on_sheet(
        "mouse image down 100 107\nmouse image up 100 107\ndump\nmouse image up 100 107\ndump\n"
        "mouse image down 10 10\nmouse image move 250 250\nmouse image up 250 250\ndump\n");
    EXPECT_EQ(selection(run.dumps[0]), (QJsonArray{4, 3, 5, 4}));
    // A release without a press leaves the selection as it is.
    EXPECT_EQ(selection(run.dumps[1]), (QJsonArray{4, 3, 5, 4}));
    // Outside the image the selection stops at its edges.
    EXPECT_EQ(selection(run.dumps[2]), (QJsonArray{0, 0, 64, 48}));
}

TEST(ImageZoom, ZoomChecksItsItemAndPressesMapThroughScrollAndMagnification) {
    // The scroll bar's thumb dragged to position 8.
    const ScenarioRun run = on_full_image(
        "menu image ID_ZOOM_4X4\nscroll image horizontal thumb 8\nmouse image down 13 6\ndump\n" +
        new_project(testdata("tim/sheet_16bit_640_0.tim")) + "dump\n");
    const QJsonObject zoomed = run.dumps[0];
    EXPECT_EQ(image(zoomed)["zoom_shift"].toInt(), 2);
    EXPECT_EQ(image(zoomed)["zoomed_width"].toInt(), 1024);
    EXPECT_EQ(checks(zoomed), (QJsonArray{false, false, true, false, false, false}));
    EXPECT_EQ(image(zoomed)["scroll_x"].toInt(), 8);
    EXPECT_EQ(selection(zoomed)[0].toInt(), 11);
    EXPECT_EQ(selection(zoomed)[1].toInt(), 1);
    // The canvas is the client rounded up to the zoom; the shown part fills it.
    const QJsonArray c = image(zoomed)["client_size"].toArray(),
                     z = image(zoomed)["zoomed_client_size"].toArray();
    EXPECT_EQ(z[0].toInt() % 4, 0);
    EXPECT_GE(z[0].toInt(), c[0].toInt());
    EXPECT_LT(z[0].toInt() - c[0].toInt(), 4);
    EXPECT_EQ(image(zoomed)["source_width"].toInt(), z[0].toInt() >> 2);
    EXPECT_EQ(surface(zoomed, "canvas")["width"].toInt(), z[0].toInt());
    // A new image starts at 1x1 again, and the marks say so.
    const QJsonObject reloaded = run.last();
    EXPECT_EQ(image(reloaded)["zoom_shift"].toInt(), 0);
    EXPECT_EQ(checks(reloaded), (QJsonArray{true, false, false, false, false, false}));
    EXPECT_EQ(selection(reloaded), (QJsonArray{0, 0, 0, 0}));
}

TEST(ImageZoom, ScrollingStopsAtTheFarEndWithTheRoundingOffset) {
    // Two pages with the mouse, then the thumb dragged beyond the end of the bar.
    const QJsonObject d = on_full_image(
                              "menu image ID_ZOOM_8X8\nscroll image horizontal pagedown\n"
                              "scroll image horizontal pagedown\nscroll image horizontal thumb 9999\ndump\n")
                              .dumps[0];
    const QJsonObject v = image(d);
    const int zc = v["zoomed_client_size"].toArray()[0].toInt(), c = v["client_size"].toArray()[0].toInt();
    EXPECT_EQ(v["scroll_x"].toInt(), 256 - (zc >> 3));
    EXPECT_EQ(v["view_offset_x"].toInt(), zc - c);
    EXPECT_EQ(v["scroll_x"].toInt() + v["source_width"].toInt(), 256);  // never past the image
}

TEST(GridDialog, FieldsNeverGoBelowFourAndOnlyTwoDigitsCount) {
    const ScenarioRun run = on_full_image(
        "on dialog IDD_GRID_SETTINGS\nset IDC_GRID_WIDTH \"3\"\ndump\nset IDC_GRID_WIDTH \"\"\ndump\nset "
        "IDC_GRID_WIDTH \"6\"\n"
        // 16 is typed as a user must: 6 first, then 1 put in front of it.
        "mouse control IDC_GRID_WIDTH down 1 3\nmouse control IDC_GRID_WIDTH up 1 3\ntype \"1\"\n"
        "set IDC_GRID_HEIGHT \"500\"\ncheck IDC_GRID_SHOW 1\nclick IDOK\nend\nmenu image "
        "ID_GRID_SETTINGS\ndump\n"
        "on dialog IDD_GRID_SETTINGS\nset IDC_GRID_WIDTH \"50\"\nclick IDCANCEL\nend\nmenu image "
        "ID_GRID_SETTINGS\ndump\n");
    ASSERT_EQ(run.dumps.size(), 4u);
    auto field = [](const QJsonObject& d, int id) {
        for (const auto& c : d["dialog"].toObject()["controls"].toArray())
            if (c.toObject()["id"].toInt() == id) return c.toObject()["text"].toString();
        return QStringLiteral("missing");
    };
    EXPECT_EQ(field(run.dumps[0], IDC_GRID_WIDTH), QStringLiteral("4"));
    EXPECT_EQ(field(run.dumps[1], IDC_GRID_WIDTH), QStringLiteral("4"));
    EXPECT_EQ(field(run.dumps[0], IDC_GRID_HEIGHT), QStringLiteral("4"));
    const QJsonObject ok = image(run.dumps[2]);
    EXPECT_EQ(ok["grid_w"].toInt(), 16);
    EXPECT_EQ(ok["grid_h"].toInt(), 50);  // only the first two digits of 500 count
    EXPECT_EQ(ok["grid_shown"].toInt(), 1);
    const QJsonObject cancelled = image(run.dumps[3]);
    EXPECT_EQ(cancelled["grid_w"].toInt(), 16);
}

TEST(ImageDrawing, TheWindowShowsTheImageMagnifiedWithGridAndSelection) {
    QTemporaryDir dir;
    const QString png = dir.filePath("image.png");
    // At 2x2 the 64 x 48 sheet is 128 x 96 on the canvas, centred at (64, 80).
    // Selection from image (10, 10) to (20, 15); grid lines every 4 image pixels.
    const ScenarioRun run = on_sheet(
        "tick\nprobe corner window 96 104\nprobe surround window 5 5\nprobe image working 0 0\n"
        "menu image ID_ZOOM_2X2\non dialog IDD_GRID_SETTINGS\ncheck IDC_GRID_SHOW 1\nclick IDOK\nend\n"
        "menu image ID_GRID_SETTINGS\nmouse image down 84 100\nmouse image move 104 110\n"
        "mouse image up 104 110\ntick\n"
        "probe line window 72 90\nprobe beside window 73 90\nprobe beside_src working 4 5\n"
        "probe outline window 84 105\nprobe outline_src working 10 12\n"
        "probe inside window 87 105\nprobe inside_src working 11 12\nsnapshot image \"" +
        png.toStdString() + "\"\ndump\n");
    const QJsonObject d = run.last();
    EXPECT_EQ(probe(d, "corner"), probe(d, "image"));
    EXPECT_NE(probe(d, "surround"), probe(d, "image"));
    EXPECT_EQ(probe(d, "line"), rgb(192, 192, 192));
    EXPECT_EQ(probe(d, "beside"), probe(d, "beside_src"));
    EXPECT_EQ(probe(d, "outline"), xor80(probe(d, "outline_src")));
    EXPECT_EQ(probe(d, "inside"), probe(d, "inside_src"));
    EXPECT_EQ(selection(d), (QJsonArray{10, 10, 21, 16}));
    EXPECT_GT(QFileInfo(png).size(), 0);
}

TEST(ImageWindowFrame, ClosingHidesAndTheViewCommandShowsItUnchanged) {
    const ScenarioRun run = on_full_image(
        "resize image 100 100\ndump\nmenu image ID_ZOOM_2X2\nclose image\ndump\n"
        "menu ID_VIEW_IMAGE_WINDOW\ndump\n");
    // The window cannot be made smaller than a 256 x 256 client area.
    EXPECT_EQ(image(run.dumps[0])["client_size"].toArray()[0].toInt(), 256);
    EXPECT_FALSE(run.dumps[1]["windows"].toObject()["image"].toObject()["visible"].toBool());
    EXPECT_TRUE(run.dumps[2]["windows"].toObject()["image"].toObject()["visible"].toBool());
    EXPECT_EQ(image(run.dumps[2])["zoom_shift"].toInt(), 1);
}

TEST(DirectDrawSets, EveryPictureWindowHasItsOwnSetWhileItExists) {
    const ScenarioRun run = on_full_image(kPatternWithFrame +
                                          "dump\nresize pattern 0 300 250\ndump\n"
                                          "menu ID_WINDOW_CLOSE_ALL\ndump\n");
    const QJsonObject start = run.dumps[0];
    const QJsonObject image_set = start["surfaces"].toObject()["image"].toObject();
    EXPECT_TRUE(image_set["ddraw"].toBool());
    EXPECT_TRUE(image_set["primary"].toBool());
    EXPECT_TRUE(image_set["clipper"].toBool());
    const QJsonObject p = pattern_set(start, 0);
    EXPECT_TRUE(p["ddraw"].toBool());
    EXPECT_TRUE(p["primary"].toBool());
    EXPECT_TRUE(p["clipper"].toBool());
    EXPECT_EQ(p["base"].toObject()["width"].toInt(), 1);
    EXPECT_EQ(p["canvas"].toObject()["caps"].toInt(), 0x840);
    // Each resize makes the canvas anew at the zoomed client size.
    const QJsonObject resized = run.dumps[1];
    const QJsonArray z = resized["tables"].toObject()["zoomed_client_size"].toArray()[0].toArray();
    EXPECT_EQ(pattern_set(resized, 0)["canvas"].toObject()["width"].toInt(), z[0].toInt());
    EXPECT_EQ(pattern_set(resized, 0)["canvas"].toObject()["height"].toInt(), z[1].toInt());
    EXPECT_GT(z[0].toInt(), 200);
    // A closed window leaves nothing behind.
    const QJsonObject closed = pattern_set(run.dumps[2], 0);
    EXPECT_FALSE(closed["ddraw"].toBool());
    EXPECT_FALSE(closed["primary"].toBool());
    EXPECT_TRUE(closed["canvas"].isNull());
    EXPECT_TRUE(closed["base"].isNull());
}

TEST(DirectDrawErrors, ACodeIsShownByItsName) {
    const ScenarioRun run = run_scenario(
        "ddraw_error 0\nanswer box IDOK\nddraw_error 0x8876017C\nanswer box IDOK\nddraw_error 0x88760235\n"
        "answer box IDOK\nddraw_error 0x88760001\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonArray b = boxes(run.last());
    ASSERT_EQ(b.size(), 3);  // code 0 shows nothing
    EXPECT_EQ(b[0].toObject()["text"].toString(), QStringLiteral("DDERR_OUTOFVIDEOMEMORY"));
    EXPECT_EQ(b[0].toObject()["caption"].toString(), QStringLiteral("DirectDraw:CreateSurface Error!"));
    EXPECT_EQ(b[0].toObject()["style"].toInt(), 0x10);
    EXPECT_EQ(b[1].toObject()["text"].toString(), QStringLiteral("DDERR_NOEMULATION:"));
    EXPECT_EQ(b[2].toObject()["text"].toString(), QStringLiteral("DDERR_UNKNOWN (0x88760001)"));
}

}  // namespace
