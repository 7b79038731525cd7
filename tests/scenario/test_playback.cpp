// Playback as a user sees it in the pattern windows: the running display advancing
// by timing and speed in both directions, the stepping buttons, flips, and the
// still display's frame order, transparency, check marks and outline.
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"
#include "playback_support.h"

using namespace playback_test;

namespace {

// Pattern A with three frames showing the red, green and blue cells.
std::string three_colours() {
    return project(3) + cell(0, 0, 0, 0) + cell(0, 1, 1, 0) + cell(0, 2, 2, 0);
}

// `ticks` ticks, each followed by a snapshot "<prefix>N.png" and a dump.
std::string ticks_with_shots(int ticks, const std::string& prefix) {
    std::string s;
    for (int i = 0; i < ticks; ++i)
        s += "tick\nsnapshot pattern 0 " + prefix + std::to_string(i) + ".png\ndump\n";
    return s;
}

// The centre colour of each shot: which of the three frames it shows.
std::vector<QColor> shown(const QTemporaryDir& dir, const std::string& prefix, int ticks) {
    std::vector<QColor> out;
    for (int i = 0; i < ticks; ++i)
        out.push_back(
            shot(dir, QString::fromStdString(prefix + std::to_string(i) + ".png"), 16, 16).base(8, 8));
    return out;
}

}  // namespace

TEST(RunningDisplay, AtSpeedZeroAndTimingZeroEveryTickShowsTheNextFrameAndLoops) {
    QTemporaryDir dir;
    const ScenarioRun run =
        run_in(dir, three_colours() + "click IDC_PLAY_FORWARD\n" + ticks_with_shots(5, "f"));
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(shown(dir, "f", 5), (std::vector<QColor>{kRed, kGreen, kBlue, kRed, kGreen}));
    QTemporaryDir back;
    const ScenarioRun backwards =
        run_in(back, three_colours() + "click IDC_PLAY_BACKWARD\n" + ticks_with_shots(4, "b"));
    ASSERT_EQ(backwards.exit_code, 0) << backwards.errors.toStdString();
    EXPECT_EQ(shown(back, "b", 4), (std::vector<QColor>{kBlue, kGreen, kRed, kBlue}));
    EXPECT_EQ(playback(backwards.last())["play_step"].toInt(), -1);
}

TEST(RunningDisplay, SpeedTwoAndTimingThreeHoldEachFrameTwelveTicks) {
    std::string timings;
    for (int f = 0; f < 3; ++f)
        timings += "combo IDC_FRAME select " + std::to_string(f) + "\nset IDC_TIMING \"3\"\n";
    const ScenarioRun run =
        run_scenario(three_colours() + timings +
                     "slider IDC_SPEED key right\nslider IDC_SPEED key right\n"
                     "click IDC_PLAY_FORWARD\ntick 11\ndump\ntick\ndump\ntick 11\ndump\ntick\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 4u);
    EXPECT_EQ(run.dumps[0]["tables"].toObject()["speed"].toInt(), 2);
    EXPECT_EQ(frame_record(run.dumps[0], 0, 2)[2].toInt(), 3);
    EXPECT_EQ(play_frame(run.dumps[0]), 0);
    EXPECT_EQ(play_frame(run.dumps[1]), 1);
    EXPECT_EQ(play_frame(run.dumps[2]), 1);
    EXPECT_EQ(play_frame(run.dumps[3]), 2);
}

TEST(PlaybackButtons, SteppingStopsAtTheEndsAndDisablesTheWayOn) {
    const ScenarioRun run =
        run_scenario(three_colours() +
                     "click IDC_PLAY_FORWARD\ntick 2\nclick IDC_PLAY_PAUSE\ntick 3\ndump\n"
                     "click IDC_PLAY_NEXT\ndump\n"
                     "click IDC_PLAY_FIRST\nclick IDC_PLAY_NEXT\nclick IDC_PLAY_PREVIOUS\ndump\n"
                     "click IDC_PLAY_FORWARD\ndump\nclick IDC_PLAY_PAUSE\n"
                     "click IDC_PLAY_BACKWARD\ndump\nclick IDC_PLAY_STOP\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 6u);
    const QJsonObject paused = run.dumps[0];
    EXPECT_EQ(play_frame(paused), 2) << "pause keeps the frame shown";
    EXPECT_TRUE(enabled(paused, IDC_PLAY_NEXT));
    const QJsonObject at_end = run.dumps[1];
    EXPECT_EQ(play_frame(at_end), 2);
    EXPECT_FALSE(enabled(at_end, IDC_PLAY_NEXT));
    EXPECT_FALSE(enabled(at_end, IDC_PLAY_LAST));
    EXPECT_TRUE(enabled(at_end, IDC_PLAY_PREVIOUS));
    const QJsonObject at_start = run.dumps[2];
    EXPECT_EQ(play_frame(at_start), 0);
    EXPECT_FALSE(enabled(at_start, IDC_PLAY_FIRST));
    EXPECT_FALSE(enabled(at_start, IDC_PLAY_PREVIOUS));
    EXPECT_TRUE(enabled(at_start, IDC_PLAY_NEXT));
    EXPECT_EQ(play_frame(run.dumps[3]), 0) << "> restarts at the first frame";
    EXPECT_EQ(play_frame(run.dumps[4]), 2) << "< restarts at the last frame";
    const QJsonObject stopped = run.dumps[5];
    EXPECT_EQ(settings(stopped, 0)["play_mode"].toInt(), IDC_PLAY_STOP);
    for (int id : {IDC_PLAY_BACKWARD, IDC_PLAY_FORWARD}) EXPECT_TRUE(enabled(stopped, id)) << id;
    for (int id = IDC_PLAY_STOP; id <= IDC_PLAY_LAST; ++id) EXPECT_FALSE(enabled(stopped, id)) << id;
}

TEST(PlaybackButtons, PlayingLocksTheSelectionUntilStop) {
    const ScenarioRun run = run_scenario(three_colours() + add_pattern_with("B", 1) +
                                         "combo IDC_PATTERN select 0\nclick IDC_PLAY_FORWARD\ndump\n"
                                         "click IDC_PLAY_STOP\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject playing = run.dumps[0];
    EXPECT_FALSE(enabled(playing, IDC_PATTERN));
    EXPECT_FALSE(enabled(playing, IDC_FRAME));
    EXPECT_FALSE(playing["windows"].toObject()["tree"].toObject()["enabled"].toBool());
    const QJsonArray windows = playing["pattern_windows"].toArray();
    EXPECT_TRUE(windows[0].toObject()["enabled"].toBool()) << "the played pattern's window";
    EXPECT_FALSE(windows[1].toObject()["enabled"].toBool());
    const QJsonObject stopped = run.dumps[1];
    EXPECT_TRUE(enabled(stopped, IDC_PATTERN));
    EXPECT_TRUE(enabled(stopped, IDC_FRAME));
    EXPECT_TRUE(stopped["windows"].toObject()["tree"].toObject()["enabled"].toBool());
    EXPECT_TRUE(stopped["pattern_windows"].toArray()[1].toObject()["enabled"].toBool());
}

TEST(RunningDisplay, FlipsMirrorTheFrameAboutTheBaseFrame) {
    // Frame 0 is the 10 x 12 strip at (10, 2): four red columns, four black, two green.
    // Frame 1 (32 x 16) only makes the base frame 32 wide. Frame 0 is dragged to correction 2.
    QTemporaryDir dir;
    const ScenarioRun run =
        run_in(dir, project(2) + frame_set(0, 1, 0, 0, 32, 16) + frame_set(0, 0, 10, 2, 10, 12) +
                        drag_frame(0, 2, 0) +
                        "click IDC_PLAY_FORWARD\nclick IDC_PLAY_PAUSE\ntick\nsnapshot pattern 0 plain.png\n"
                        "check IDC_FLIP_LEFT_RIGHT 1\ntick\nsnapshot pattern 0 lr.png\n"
                        "check IDC_FLIP_TOP_BOTTOM 1\ntick\nsnapshot pattern 0 both.png\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(frame_record(run.last(), 0, 0)[0].toInt(), 2);
    EXPECT_EQ(playback(run.last())["flip_flags"].toInt(), 3);
    const Shot plain = shot(dir, "plain.png", 32, 16);
    EXPECT_EQ(plain.base(3, 5), kRed);
    EXPECT_EQ(plain.base(11, 5), kGreen);
    EXPECT_EQ(plain.base(27, 5), kBlack);
    // Mirrored: x 30, width -10 covers 20..29 with the green columns first.
    const Shot lr = shot(dir, "lr.png", 32, 16);
    EXPECT_EQ(lr.base(20, 5), kGreen);
    EXPECT_EQ(lr.base(21, 5), kGreen);
    EXPECT_EQ(lr.base(27, 5), kRed);
    EXPECT_EQ(lr.base(3, 5), kBlack);
    // Top-bottom as well: y 16, height -12 covers rows 4..15.
    const Shot both = shot(dir, "both.png", 32, 16);
    EXPECT_EQ(both.base(27, 2), kBlack);
    EXPECT_EQ(both.base(27, 14), kRed);
}

TEST(StillDisplay, LowerFramesCoverHigherOnesAndOnlyCheckedOnesShow) {
    // Frame 0 red at (0, 0); frame 1 green dragged to (4, 4); frame 2 (32 x 32 of the
    // sheet) only makes the base frame 32 x 32 and starts hidden. Frame 1 stays current.
    QTemporaryDir dir;
    const ScenarioRun run =
        run_in(dir, project(3) + frame_set(0, 2, 0, 0, 32, 32) + cell(0, 0, 0, 0) + cell(0, 1, 1, 0) +
                        drag_frame(0, 4, 4) +
                        "tree check frame 0 2 0\ntick\nsnapshot pattern 0 keyed.png\n"
                        "check IDC_TRANSPARENT 1\ntick\nsnapshot pattern 0 opaque.png\ndump\n"
                        "tree check frame 0 2 1\ntick\nsnapshot pattern 0 shown.png\n"
                        "tree check pattern 0 0\ntick\nsnapshot pattern 0 none.png\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(playback(run.dumps[0])["still_blt_flags"].toInt(), 0);
    const Shot keyed = shot(dir, "keyed.png", 32, 32);
    EXPECT_EQ(keyed.base(8, 8), kRed) << "frame 0 lies on top of frame 1";
    EXPECT_EQ(keyed.base(14, 8), kGreen) << "frame 0's black border lets frame 1 show";
    EXPECT_EQ(keyed.base(16, 8), kGreen);
    EXPECT_EQ(keyed.base(24, 24), kBlack) << "the unchecked frame 2 is hidden";
    const Shot opaque = shot(dir, "opaque.png", 32, 32);
    EXPECT_EQ(opaque.base(14, 8), kBlack) << "with 透明色 the border covers frame 1";
    EXPECT_EQ(opaque.base(8, 8), kRed);
    const Shot shown_again = shot(dir, "shown.png", 32, 32);
    EXPECT_EQ(shown_again.base(24, 24), kBlue) << "frame 2 checked again: cell (1, 1) is blue";
    const Shot none = shot(dir, "none.png", 32, 32);
    EXPECT_EQ(none.base(8, 8), kBlack) << "the pattern's own check mark hides every frame";
}

TEST(StillDisplay, TheOutlineMarksTheCurrentFrameOfTheCurrentPatternOnlyWhileStopped) {
    QTemporaryDir dir;
    const ScenarioRun run = run_in(
        dir, project(1) + cell(0, 0, 0, 0) + add_pattern_with("B", 1) + cell(1, 0, 0, 0) +
                 "combo IDC_PATTERN select 0\ntick\n"
                 "snapshot pattern 0 current.png\nsnapshot pattern 1 other.png\n"
                 "click IDC_PLAY_FORWARD\nclick IDC_PLAY_PAUSE\ntick\nsnapshot pattern 0 playing.png\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    // The outline runs along the frame's edge, where the cell is black: XOR with grey.
    const Shot current = shot(dir, "current.png", 16, 16);
    EXPECT_EQ(current.base(0, 8), kGrey);
    EXPECT_EQ(current.base(15, 8), kGrey);
    EXPECT_EQ(current.base(1, 8), kBlack);
    EXPECT_EQ(current.base(8, 8), kRed);
    EXPECT_EQ(shot(dir, "other.png", 16, 16).base(0, 8), kBlack);
    EXPECT_EQ(shot(dir, "playing.png", 16, 16).base(0, 8), kBlack);
}

TEST(SoundPlayback, APatternWithoutFramesShowsItsEmptyBaseFrameAndNeverLeavesFrameZero) {
    QTemporaryDir dir;
    const ScenarioRun run = run_in(dir, open_written_project(dir, {{0}}, {{"A"}}) +
                                            "click IDC_PLAY_BACKWARD\ntick 3\ndump\n"
                                            // The stepping buttons are disabled.
                                            "click IDC_PLAY_PAUSE\n"
                                            "tick\ndump\n"
                                            "snapshot pattern 0 empty.png\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(play_frame(run.dumps[0]), 0);
    EXPECT_EQ(play_frame(run.dumps[1]), 0);
    for (int id = IDC_PLAY_FIRST; id <= IDC_PLAY_LAST; ++id) EXPECT_FALSE(enabled(run.dumps[1], id)) << id;
    EXPECT_EQ(shot(dir, "empty.png", 1, 1).base(0, 0), kBlack);
}

TEST(SoundPlayback, AFrameReachingPastTheImageAndTheBaseFrameIsDrawnCut) {
    // Frame 0 shows the white cell (3, 2) from (48, 32) but is 40 x 40, far past the 64 x 48
    // image and the 16 x 16 base frame, at correction (8, 8). Frame set keeps a rectangle
    // inside the image and grows the base frame to it, so such a frame comes from a data
    // file: written here and opened as a user opens it.
    QTemporaryDir dir;
    QByteArray spa = file_test::data_file(0x100, 0, {{1, 16, 16}});
    const char record[12] = {8, 8, 0, 0, 48, 32, 0, 0, 40, 0, 40, 0};  // timing 0, CLUT 0
    spa.replace(24, 12, QByteArray(record, 12));
    const ScenarioRun run = run_in(
        dir,
        open_written_files(dir, spa, {{"A", "frame_00"}}) +
            "tree select frame 0 0\ntick\nsnapshot pattern 0 still.png\n"
            "click IDC_PLAY_FORWARD\nclick IDC_PLAY_PAUSE\ntick\nsnapshot pattern 0 running.png\n"
            "check IDC_FLIP_LEFT_RIGHT 1\ncheck IDC_FLIP_TOP_BOTTOM 1\ntick\nsnapshot pattern 0 flipped.png\n"
            "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(frame_record(run.last(), 0, 0)[6].toInt(), 40);
    for (const char* name : {"still.png", "running.png"}) {
        const Shot s = shot(dir, name, 16, 16);
        EXPECT_EQ(s.base(12, 12), kWhite) << name;
        EXPECT_EQ(s.base(4, 4), kBlack) << name;
    }
    // Mirrored about both axes it reaches up and left of the base frame instead.
    const Shot flipped = shot(dir, "flipped.png", 16, 16);
    EXPECT_EQ(flipped.base(2, 2), kWhite);
    EXPECT_EQ(flipped.base(12, 12), kBlack);
}

// An idle editor draws a window again only when something it shows changed; these
// are changes that touch nothing else the window shows.
TEST(StillRedraw, ZoomAndWindowSizeChangesAreDrawnAtTheNextTick) {
    QTemporaryDir dir;
    const ScenarioRun run = run_in(
        dir,
        project(1) + cell(0, 0, 0, 0) +
            "tick\nsnapshot pattern 0 one.png\n"
            "on menu\n  choose ID_ZOOM_2X2\nend\nrclick pattern 0 5 5\ntick\nsnapshot pattern 0 two.png\n"
            "resize pattern 0 100 100\ntick\nsnapshot pattern 0 small.png\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const Shot one = shot(dir, "one.png", 16, 16);
    EXPECT_EQ(one.image.pixelColor(88, 100), kGrey) << "around the base frame at 1x1";
    const Shot two = shot(dir, "two.png", 16, 16, 2);
    EXPECT_EQ(two.image.pixelColor(88, 100), kRed) << "inside it at 2x2";
    EXPECT_EQ(two.base(8, 8), kRed);
    const Shot small = shot(dir, "small.png", 16, 16, 2);
    EXPECT_EQ(small.image.size(), QSize(100, 100));
    EXPECT_EQ(small.base(8, 8), kRed);
    EXPECT_EQ(small.image.pixelColor(30, 50), kGrey);
}

TEST(StillRedraw, StoppingBringsBackEveryFrameOfThePlayedWindow) {
    // Frame 0 red at (0, 0), frame 1 green dragged to (16, 0) on a 32-wide base.
    QTemporaryDir dir;
    const ScenarioRun run =
        run_in(dir, project(3) + frame_set(0, 2, 0, 0, 32, 16) + "tree check frame 0 2 0\n" +
                        cell(0, 0, 0, 0) + cell(0, 1, 1, 0) + drag_frame(0, 16, 0) +
                        "tick\nclick IDC_PLAY_FORWARD\ntick\nsnapshot pattern 0 playing.png\n"
                        "click IDC_PLAY_STOP\ntick\nsnapshot pattern 0 stopped.png\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const Shot playing = shot(dir, "playing.png", 32, 16);
    EXPECT_EQ(playing.base(8, 8), kRed);
    EXPECT_EQ(playing.base(24, 8), kBlack) << "the running display shows one frame";
    const Shot stopped = shot(dir, "stopped.png", 32, 16);
    EXPECT_EQ(stopped.base(8, 8), kRed);
    EXPECT_EQ(stopped.base(24, 8), kGreen);
}

TEST(StillRedraw, TheImageWindowShowsANewSelectionAndZoom) {
    // The sheet at 1x1 lies at (96, 104) in the image window; (100, 106) is red cell
    // (0, 0)'s pixel (4, 2).
    const ScenarioRun run =
        run_scenario(project(1) +
                     "tick\nprobe before window 100 106\n"
                     "mouse image down 100 106\nmouse image move 110 116\nmouse image up 110 116\n"
                     "tick\nprobe selected window 100 106\n"
                     "menu image ID_ZOOM_2X2\ntick\nprobe zoomed window 100 106\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject probes = run.last()["probes"].toObject();
    EXPECT_EQ(probes["before"].toArray(), (QJsonArray{255, 0, 0}));
    EXPECT_EQ(probes["selected"].toArray(), (QJsonArray{127, 128, 128}))
        << "the selection's corner inverts it";
    EXPECT_NE(probes["zoomed"].toArray(), probes["selected"].toArray());
}

TEST(SoundPlayback, APlaybackButtonWithoutAPatternTouchesNoPatternsTables) {
    // A new project has no pattern yet: the pattern combo has no selection, so there is
    // no played pattern whose mode the button could set. A pattern added afterwards
    // shows its frames in the still display.
    QTemporaryDir dir;
    const std::string no_pattern = "resize main 900 1000\nanswer box IDOK\nanswer open \"" +
                                   testdata("tim/sheet64x48.bmp").toStdString() + "\"\nmenu ID_FILE_NEW\n";
    const ScenarioRun run = run_in(
        dir, no_pattern + "click IDC_PLAY_BACKWARD\ntick\ndump\nclick IDC_PLAY_STOP\n" +
                 add_pattern_with("A", 1) + cell(0, 0, 0, 0) + "tick\nsnapshot pattern 0 after.png\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject pressed = run.dumps[0];
    EXPECT_EQ(playback(pressed)["play_pattern"].toInt(), 0);
    for (const auto& s : pressed["tables"].toObject()["settings"].toArray())
        EXPECT_EQ(s.toObject()["play_mode"].toInt(), IDC_PLAY_STOP);
    EXPECT_EQ(frame_record(pressed, 11, 19), (QJsonArray{0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(shot(dir, "after.png", 16, 16).base(8, 8), kRed);
}

TEST(SoundPlayback, ANewProjectAfterOneThatWasPlayingStartsStoppedAndUnlocked) {
    const ScenarioRun run = run_scenario(three_colours() +
                                         "click IDC_PLAY_FORWARD\ntick 2\ndump\n"
                                         "answer box IDNO\n" +
                                         project(1) + "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_FALSE(enabled(run.dumps[0], IDC_PATTERN));
    const QJsonObject after = run.dumps[1];
    EXPECT_TRUE(enabled(after, IDC_PATTERN));
    EXPECT_TRUE(enabled(after, IDC_FRAME));
    EXPECT_TRUE(enabled(after, IDC_PLAY_FORWARD));
    EXPECT_FALSE(enabled(after, IDC_PLAY_STOP));
    EXPECT_TRUE(after["windows"].toObject()["tree"].toObject()["enabled"].toBool());
    EXPECT_EQ(settings(after, 0)["play_mode"].toInt(), IDC_PLAY_STOP);
}
