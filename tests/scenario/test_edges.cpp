// Edges no other scenario reaches: the edit panel's handlers while a combo has no selection,
// the running display over a background that is not black, the played pattern's window closed
// while it plays, the window sizes the next run starts with, and Yes at the save prompt
// followed by a cancelled save dialog.
#include <QFileInfo>

#include "playback_support.h"

using namespace playback_test;
using file_test::boxes;
using file_test::quoted;
using file_test::tables;

namespace {

const QString kNewPath = QString::fromUtf8("新規ｱﾆﾒｰｼｮﾝ.cwp");
const QString kSaveQuestion = QString::fromUtf8("編集中のﾌﾟﾛｼﾞｪｸﾄを保存しますか？\n");

QJsonObject combo(const QJsonObject& d, int id) {
    return d["combos"].toObject()[id_key(id)].toObject();
}
QString title(const QJsonObject& d) {
    return d["windows"].toObject()["main"].toObject()["title"].toString();
}
QJsonArray client_size(const QJsonObject& d, const char* window) {
    return d["windows"].toObject()[window].toObject()["client_size"].toArray();
}
uint32_t stored_u32(const QTemporaryDir& dir, int at) {
    return file_test::u32(file_test::read_bytes(dir.filePath("Celwin.cfg")), at);
}

// Every panel handler that reads a combo selection, as a user reaches it.
const std::string kEveryHandler =
    "set IDC_TIMING \"77\"\nclick IDC_HIDE_OTHER_FRAMES\nclick IDC_SHOW_ALL_FRAMES\nclick IDC_BASE_RESET\n"
    "tick\ndump\n";

}  // namespace

TEST(PanelWithoutSelection, TheHandlersChangeNothingWhileAComboIsEmpty) {
    // A new project: no pattern, both combos empty.
    QTemporaryDir fresh;
    ScenarioRun run = run_in(fresh, "resize main 900 1000\n" + new_project() + kEveryHandler);
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    QJsonObject d = run.last();
    EXPECT_EQ(combo(d, IDC_PATTERN)["selection"].toInt(), -1);
    EXPECT_EQ(combo(d, IDC_FRAME)["selection"].toInt(), -1);
    for (int p = 0; p < 12; ++p) EXPECT_EQ(frame_record(d, p, 0), (QJsonArray{0, 0, 0, 0, 0, 0, 0, 0})) << p;
    EXPECT_EQ(boxes_after_new(d).size(), 0);
    EXPECT_FALSE(title(d).endsWith(" *")) << "nothing changed";

    // A pattern without frames (a data file can hold one) beside one with two: the pattern combo
    // has pattern 0, the frame combo nothing; the handlers that read the frame do nothing, and
    // the other pattern's frames keep their values.
    QTemporaryDir dir;
    run = run_in(dir, open_written_project(dir, {{0, 20, 10}, {2, 16, 16}}, {{"empty"}, {"two", "a", "b"}}) +
                          "combo IDC_PATTERN select 0\nset IDC_TIMING \"77\"\nclick IDC_HIDE_OTHER_FRAMES\n"
                          "tick\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    d = run.last();
    EXPECT_EQ(combo(d, IDC_PATTERN)["selection"].toInt(), 0);
    EXPECT_EQ(combo(d, IDC_FRAME)["selection"].toInt(), -1);
    EXPECT_EQ(frame_record(d, 0, 0), (QJsonArray{0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(frame_record(d, 1, 0)[2].toInt(), 100);
    EXPECT_EQ(frame_record(d, 1, 1)[2].toInt(), 101);
    EXPECT_EQ(boxes(d).size(), 0);
}

TEST(RunningDisplay, NeverKeysItsFrameOverABackgroundThatIsNotBlack) {
    // Frame 1 (32 x 16) makes the base frame 32 wide; frame 0 is the green cell at (0, 0).
    QTemporaryDir dir;
    const ScenarioRun run = run_in(
        dir, project(2) + frame_set(0, 1, 0, 0, 32, 16) + cell(0, 0, 1, 0) +
                 "answer color 255 0 0\nclick IDC_BACKGROUND_CHANGE\ntick\nsnapshot pattern 0 still.png\n"
                 "click IDC_PLAY_FORWARD\nclick IDC_PLAY_PAUSE\ntick\nsnapshot pattern 0 running.png\n"
                 "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(playback(run.last())["background_fill"].toInt(), 0x00FF0000);
    const Shot running = shot(dir, "running.png", 32, 16);
    EXPECT_EQ(running.base(8, 8), kGreen);
    EXPECT_EQ(running.base(1, 8), kBlack) << "the frame's black is drawn, not keyed";
    EXPECT_EQ(running.base(24, 8), kRed) << "the base frame outside the frame";
    // The still display keys black away: frame 1 (the red and green cells) lies below frame 0
    // and shows, and where both are black the background does.
    const Shot still = shot(dir, "still.png", 32, 16);
    EXPECT_EQ(still.base(8, 8), kGreen);
    EXPECT_EQ(still.base(24, 8), kGreen) << "frame 1's green cell at (16, 0)";
    EXPECT_EQ(still.base(17, 8), kRed) << "black of frame 1 keyed: the background";
}

TEST(RunningDisplay, ClosingThePlayedPatternsWindowWhileItPlaysStopsNothingElse) {
    QTemporaryDir dir;
    const ScenarioRun run =
        run_in(dir, project(3) + cell(0, 0, 0, 0) + cell(0, 1, 1, 0) + cell(0, 2, 2, 0) +
                        "click IDC_PLAY_FORWARD\ntick 2\ndump\ncaption pattern 0 close\ntick 3\ndump\n"
                        "click IDC_PLAY_STOP\ncombo IDC_PATTERN select 0\ntick\nsnapshot pattern 0 back.png\n"
                        "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 3u);
    const QJsonObject playing = run.dumps[0], closed = run.dumps[1], back = run.dumps[2];
    EXPECT_FALSE(tables(closed)["pattern_window"].toArray()[0].toBool());
    // Without its window the running display does nothing: the frame stays where it was.
    EXPECT_EQ(settings(closed, 0)["play_mode"].toInt(), IDC_PLAY_FORWARD);
    EXPECT_EQ(play_frame(closed), play_frame(playing));
    EXPECT_FALSE(enabled(closed, IDC_PATTERN)) << "still playing: the selection stays locked";
    EXPECT_EQ(boxes(closed).size(), boxes(playing).size()) << "no error report";
    // Stopped and opened again: the still display, every frame shown, frame 0 on top.
    EXPECT_TRUE(enabled(back, IDC_PATTERN));
    EXPECT_TRUE(tables(back)["pattern_window"].toArray()[0].toBool());
    EXPECT_EQ(settings(back, 0)["play_mode"].toInt(), IDC_PLAY_STOP);
    EXPECT_EQ(shot(dir, "back.png", 16, 16).base(8, 8), kRed);
}

TEST(WindowSizes, TheImageWindowsSizeAndAMaximisedPatternWindowCarryOverToTheNextRun) {
    QTemporaryDir dir;
    ScenarioRun run = run_in(dir, project(1) +
                                      "resize image 320 300\n"
                                      "caption pattern 0 maximize\ndump\n"
                                      "answer box IDNO\nexit\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(client_size(run.last(), "image"), (QJsonArray{320, 300}));
    EXPECT_EQ(stored_u32(dir, 104), 320u);
    EXPECT_EQ(stored_u32(dir, 108), 300u);
    EXPECT_EQ(stored_u32(dir, 112), 0x01000000u) << "WS_MAXIMIZE";
    // The next run starts with them: the image window at its size until an image is loaded
    // (which starts it at 256 x 256), and a new pattern window maximised.
    run = run_in(dir, "dump\n" + project(1) + "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_EQ(tables(run.dumps[0])["client_size"].toArray()[12].toArray(), (QJsonArray{320, 300}));
    EXPECT_EQ(tables(run.dumps[0])["new_window_style"].toInt(), 0x01000000);
    EXPECT_EQ(client_size(run.dumps[1], "image"), (QJsonArray{256, 256}));
    const QJsonObject windows = run.dumps[1]["windows"].toObject();
    EXPECT_EQ(windows["patterns"].toArray()[0].toObject()["client_size"].toArray(),
              windows["mdi"].toObject()["client_size"].toArray())
        << "a maximised window fills the MDI client";
}

// A save the user asked for and then cancelled keeps the project: New and Open do not go on
// and discard the edits.
TEST(SavePrompt, YesThenACancelledSaveDialogKeepsTheProjectBeforeNewAndOpen) {
    QTemporaryDir dir;
    const std::string edited = project(1);
    for (const char* command : {"menu ID_FILE_NEW\n", "menu ID_FILE_OPEN\n"}) {
        const ScenarioRun run =
            run_in(dir, edited + "answer box IDYES\nanswer save cancel\n" + command + "dump\n");
        ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
        const QJsonObject d = run.last();
        const QJsonArray dialogs = d["file_dialogs"].toArray();
        ASSERT_GE(dialogs.size(), 2);
        const QJsonObject save = dialogs.last().toObject();
        EXPECT_TRUE(save["save"].toBool()) << command << "no other file dialog follows the cancelled save";
        EXPECT_EQ(save["initial_name"].toString(), kNewPath);
        EXPECT_EQ(save["result"].toString(), "");
        EXPECT_EQ(boxes_after_new(d).last().toObject()["text"].toString(), kSaveQuestion);
        EXPECT_EQ(d["current_path"].toString(), kNewPath);
        EXPECT_EQ(tables(d)["pattern_count"].toInt(), 1) << command << "the edits are still there";
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(kNewPath)));
    }
}
