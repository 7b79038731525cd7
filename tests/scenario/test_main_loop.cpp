// The program's own main loop as it runs for a user: it sleeps while nothing plays and nothing
// shown is out of date, ticks once a display frame while a pattern plays, and puts back what
// the desktop uncovered in every window that shows pictures, stopped and playing.
#include <QImage>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

#include "harness.h"
#include "playback_support.h"

using namespace playback_test;

namespace {

std::string two_frames() {
    return project(2) + cell(0, 0, 0, 0) + cell(0, 1, 1, 0);
}

QJsonObject last_run(const QJsonObject& dump) {
    return dump["last_run"].toObject();
}

}  // namespace

TEST(MainLoop, AnIdleEditorSleepsAndAPlayingOneTicksNoFasterThanTheDisplay) {
    // The first run lets the pictures of the new project be drawn; then nothing changes.
    const ScenarioRun run =
        run_scenario(two_frames() + "run 0.5\nrun 1\ndump\nclick IDC_PLAY_FORWARD\nrun 2\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    const QJsonObject idle = last_run(run.dumps[0]), playing = last_run(run.dumps[1]);
    EXPECT_EQ(idle["ticks"].toInt(), 0) << "an idle editor draws nothing";
    EXPECT_EQ(idle["wakeups"].toInt(), 0) << "an idle editor does not wake up";
    // One tick a display frame at most, on a schedule: never a burst, whatever the machine.
    const int ticks = playing["ticks"].toInt();
    EXPECT_GE(ticks, 1);
    EXPECT_LE(ticks, 2 * 60 + 2);
    EXPECT_GE(playing["wakeups"].toInt(), 1) << "the loop waits between frames";
}

TEST(Repaint, WhatTheDesktopUncoversIsDrawnAgainStoppedAndPlaying) {
    QTemporaryDir dir;
    // Each picture is taken after the tick that drew it and again after the desktop exposed
    // the main window: the pattern window erases to its class brush and must draw itself.
    const std::string steps =
        "tick\nsnapshot pattern 0 still.png\nsnapshot image image.png\n"
        "expose main\nexpose image\nsnapshot pattern 0 still-again.png\n"
        "snapshot image image-again.png\n"
        "click IDC_PLAY_FORWARD\ntick\nsnapshot pattern 0 playing.png\n"
        "expose main\nsnapshot pattern 0 playing-again.png\ndump\n";
    const ScenarioRun run = run_in(dir, two_frames() + steps);
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    for (const char* name : {"still", "image", "playing"}) {
        const QImage before(dir.filePath(QString(name) + ".png"));
        const QImage after(dir.filePath(QString(name) + "-again.png"));
        ASSERT_FALSE(before.isNull()) << name;
        EXPECT_EQ(before, after) << name << ": the window did not draw itself again";
    }
    // The still picture shows the first frame (red) over the black base frame.
    EXPECT_EQ(shot(dir, "still.png", 16, 16).base(8, 8), kRed);
}
