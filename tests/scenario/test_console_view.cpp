// The view menu's choices as a user meets them: the pattern windows drawn as the console draws
// them (colours to 15 bits, semi-transparent texels blended by the drawing environment's mode),
// NTSC's or PAL's rate for playback with the frame's time in the status bar, both kept for the
// next run; and the frame-buffer check listing what the console would draw wrong, choosing a
// line selecting its frame in the tree.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

#include "harness.h"
#include "playback_support.h"
#include "test_image_support.h"

using namespace playback_test;
using image_test::boxes;
using image_test::last_box_text;

namespace {

QJsonObject view_checks(const QJsonObject& d) {
    return d["view_checks"].toObject();
}
QString frame_time(const QJsonObject& d) {
    const QJsonArray parts = d["status_parts"].toArray();
    return parts.size() > 1 ? parts[1].toString() : QString();
}

// A 16 x 16 15-bit sheet at the frame buffer's corner, every texel red with the STP bit.
QString semi_transparent_sheet(const QTemporaryDir& dir) {
    QByteArray pixels;
    for (int i = 0; i < 16 * 16; ++i) pixels.append('\x1F').append('\x80');
    const QString path = dir.filePath("stp.tim");
    EXPECT_TRUE(image_test::write_file(path, image_test::tim(2, {}, 0, 0, 0, 0, 16, 16, pixels)));
    return path;
}

// A project on that sheet whose one frame shows all of it on a blue base frame, the drawing
// environment's semi-transparency mode set to `semi`.
std::string on_semi_transparent_sheet(const QTemporaryDir& dir, int semi) {
    return "resize main 900 1000\n" + new_project(semi_transparent_sheet(dir)) + add_pattern_with("A", 1) +
           frame_set(0, 0, 0, 0, 16, 16, 120, 120) + "answer color 0 0 248\nclick IDC_BACKGROUND_CHANGE\n" +
           "menu ID_EDIT_DRAWING_ENVIRONMENT\non dialog IDD_DRAWING_ENVIRONMENT\n  select "
           "IDC_SEMI_TRANSPARENCY " +
           std::to_string(semi) + "\n  click IDOK\nend\n";
}

}  // namespace

TEST(ConsolePreview, TheViewMenuDrawsThePatternsAsTheConsoleDoesAndTheNextRunKeepsIt) {
    QTemporaryDir dir;
    const ScenarioRun run =
        run_in(dir, on_semi_transparent_sheet(dir, 1) +
                        "tick\nsnapshot pattern 0 editor.png\ndump\n"
                        "menu ID_VIEW_CONSOLE_PREVIEW\ntick\nsnapshot pattern 0 console.png\n"
                        "dump\nanswer box IDNO\nmenu ID_FILE_EXIT\n");
    EXPECT_FALSE(view_checks(run.dumps[0])["console_preview"].toBool());
    EXPECT_TRUE(view_checks(run.dumps[1])["console_preview"].toBool());
    // Additive: the red texel with its STP bit on the blue base frame gives magenta.
    EXPECT_EQ(shot(dir, "editor.png", 16, 16).base(8, 8), QColor(248, 0, 0));
    EXPECT_EQ(shot(dir, "console.png", 16, 16).base(8, 8), QColor(248, 0, 248));

    const ScenarioRun next =
        run_in(dir, on_semi_transparent_sheet(dir, 1) + "tick\nsnapshot pattern 0 next.png\ndump\n");
    EXPECT_TRUE(view_checks(next.last())["console_preview"].toBool());
    EXPECT_EQ(shot(dir, "next.png", 16, 16).base(8, 8), QColor(248, 0, 248));
    QFile settings(dir.filePath("Celwin.ini"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("console_preview=1\n"));
}

TEST(ConsolePreview, ATrueColourSheetIsNoSpriteAndShowsNothingOfItsFrames) {
    QTemporaryDir dir;
    // The test sheet is a 24-bit BMP: its frames show in the editor's drawing and not at all in
    // the console's, where the base frame keeps its background colour.
    const ScenarioRun run =
        run_in(dir, project(1) + cell(0, 0, 0, 0) +
                        "tick\nsnapshot pattern 0 editor.png\n"
                        "menu ID_VIEW_CONSOLE_PREVIEW\ntick\nsnapshot pattern 0 console.png\n");
    EXPECT_EQ(shot(dir, "editor.png", 16, 16).base(8, 8), kRed);
    EXPECT_EQ(shot(dir, "console.png", 16, 16).base(8, 8), kBlack);  // the background colour
}

TEST(ConsolePreview, TexelsWithTheStpBitAreBlendedByTheDrawingEnvironmentsMode) {
    // Below: blue (0, 0, 31); the texel: red (31, 0, 0) with its STP bit; per 5-bit channel
    // 0: (B + F) / 2, 1: B + F, 2: B - F, 3: B + F / 4, each clamped to 0..31, then widened by 8.
    const QColor expected[] = {QColor(120, 0, 120), QColor(248, 0, 248), QColor(0, 0, 248),
                               QColor(56, 0, 248)};
    for (int semi = 0; semi < 4; ++semi) {
        SCOPED_TRACE(semi);
        QTemporaryDir dir;
        const ScenarioRun run = run_in(dir, on_semi_transparent_sheet(dir, semi) +
                                                "tick\nsnapshot pattern 0 editor.png\n"
                                                "menu ID_VIEW_CONSOLE_PREVIEW\ntick\n"
                                                "snapshot pattern 0 console.png\n");
        ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
        // Without the preview the editor draws every texel opaque, as it always did.
        EXPECT_EQ(shot(dir, "editor.png", 16, 16).base(8, 8), QColor(248, 0, 0));
        EXPECT_EQ(shot(dir, "console.png", 16, 16).base(8, 8), expected[semi]);
    }
}

TEST(ConsolePreview, ThePlayingWindowIsDrawnByTheConsolesRulesToo) {
    QTemporaryDir dir;
    const ScenarioRun run = run_in(dir, on_semi_transparent_sheet(dir, 1) +
                                            "menu ID_VIEW_CONSOLE_PREVIEW\nclick IDC_PLAY_FORWARD\ntick\n"
                                            "snapshot pattern 0 playing.png\nclick IDC_PLAY_STOP\n"
                                            "menu ID_VIEW_CONSOLE_PREVIEW\nclick IDC_PLAY_FORWARD\ntick\n"
                                            "snapshot pattern 0 editor.png\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(shot(dir, "playing.png", 16, 16).base(8, 8), QColor(248, 0, 248));
    EXPECT_EQ(shot(dir, "editor.png", 16, 16).base(8, 8), QColor(248, 0, 0));
}

TEST(DisplayRate, PalPlaysFiftyTicksASecondTheStatusBarTellsTheFramesTimeAndTheNextRunKeepsIt) {
    QTemporaryDir dir;
    // Timing 3 at speed 2: each frame stays 12 ticks, 200 ms at 60 ticks a second, 240 at 50.
    const std::string timed = project(2) + "set IDC_TIMING \"3\"\nkey enter\n" +
                              "slider IDC_SPEED key right\nslider IDC_SPEED key right\n";
    const ScenarioRun run =
        run_in(dir, timed +
                        "dump\nmenu ID_VIEW_RATE_PAL\ndump\n"
                        "click IDC_PLAY_FORWARD\nrun 1\ndump\nanswer box IDNO\nmenu ID_FILE_EXIT\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_EQ(frame_time(run.dumps[0]), "200 ms");
    EXPECT_TRUE(view_checks(run.dumps[0])["ntsc"].toBool());
    EXPECT_FALSE(view_checks(run.dumps[0])["pal"].toBool());
    EXPECT_EQ(frame_time(run.dumps[1]), "240 ms");
    EXPECT_FALSE(view_checks(run.dumps[1])["ntsc"].toBool());
    EXPECT_TRUE(view_checks(run.dumps[1])["pal"].toBool());
    // A second of playing is fifty ticks, give or take the one the second began or ended in.
    const int ticks = run.dumps[2]["last_run"].toObject()["ticks"].toInt();
    EXPECT_GE(ticks, 48);
    EXPECT_LE(ticks, 52);

    const ScenarioRun next = run_in(dir, timed + "dump\nclick IDC_PLAY_FORWARD\nrun 1\ndump\n");
    ASSERT_EQ(next.exit_code, 0) << next.errors.toStdString();
    EXPECT_TRUE(view_checks(next.dumps[0])["pal"].toBool());
    EXPECT_EQ(frame_time(next.dumps[0]), "240 ms");
    QFile settings(dir.filePath("Celwin.ini"));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("ticks_per_second=50\n"));
}

TEST(FrameBufferCheck, TheCommandListsTheProblemsAndChoosingOneSelectsItsFrame) {
    QTemporaryDir dir;
    const ScenarioRun clean = run_in(
        dir, on_semi_transparent_sheet(dir, 0) + "answer box IDOK\nmenu ID_EDIT_FRAME_BUFFER_CHECK\ndump\n");
    EXPECT_EQ(last_box_text(clean.last()), QString::fromUtf8("ﾌﾚｰﾑﾊﾞｯﾌｧ上の配置に問題はありません."));

    // A 15-bit sheet half a page right of a page's corner: every frame's texels are 32 off, and
    // the second frame of "A", 16 texels from x 240, reaches past texel 255 of its page.
    const QString off = dir.filePath("off.tim");
    ASSERT_TRUE(image_test::write_file(
        off, image_test::tim(2, {}, 0, 0, 32, 0, 256, 2, QByteArray(256 * 2 * 2, '\x11'))));
    const ScenarioRun run =
        run_in(dir, "resize main 900 1000\n" + new_project(off, 1) + add_pattern_with("A", 2) +
                        frame_set(0, 0, 0, 0, 16, 2, 0, 127) + frame_set(0, 1, 240, 0, 16, 2, 0, 127) +
                        "tree select root\n" +
                        "menu ID_EDIT_FRAME_BUFFER_CHECK\non dialog IDD_FRAME_BUFFER_CHECK\n  dump\n"
                        "  treepick 1\n  dump\n  key escape\nend\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 3u);
    // The load told the place once, with the numbers, and went on.
    EXPECT_TRUE(boxes(run.dumps[0]).last().toObject()["text"].toString().contains(QString::fromUtf8("32")));
    const QJsonArray lists = run.dumps[0]["tree_views"].toArray();
    ASSERT_EQ(lists.size(), 1);
    const QJsonArray lines = lists[0].toObject()["items"].toArray();
    ASSERT_EQ(lines.size(), 2) << QJsonDocument(lines).toJson().toStdString();
    EXPECT_TRUE(lines[0].toString().contains(QString::fromUtf8("32"))) << lines[0].toString().toStdString();
    EXPECT_TRUE(lines[1].toString().contains("A")) << lines[1].toString().toStdString();
    EXPECT_TRUE(lines[1].toString().contains("255")) << lines[1].toString().toStdString();
    // Choosing the frame's line selects that frame in the project tree, behind the window.
    EXPECT_EQ(selected_item(run.dumps[1]), "frame 0 1");
    EXPECT_EQ(selected_item(run.dumps[2]), "frame 0 1");
}
