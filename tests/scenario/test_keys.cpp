// The keyboard as a user meets it, through the program's own message loop: the main window's
// keys (undo, redo, the file commands), the tree's editing keys, Tab and Enter in the edit
// dialogs; files named on the command line; the tree's double click and Enter bringing a closed
// pattern window back; the image window's place kept from one run to the next.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

#include "../../res/resource.h"
#include "harness.h"
#include "playback_support.h"
#include "test_file_support.h"

using namespace playback_test;
using namespace file_test;

namespace {

bool pattern_window_shown(const QJsonObject& d, int p) {
    const QJsonValue w = d["windows"].toObject()["patterns"].toArray()[p];
    return w.isObject() && w.toObject()["visible"].toBool();
}

}  // namespace

TEST(Keys, TheTreesKeysEditAndTheMainWindowsKeysUndoAndRedo) {
    const ScenarioRun run =
        run_scenario(project(2) +
                     "tree select frame 0 1\n"
                     "answer box IDOK\nkey delete\ndump\n"   // the frame goes
                     "key ctrl+z\ndump\n"                    // and comes back
                     "key ctrl+y\ndump\n"                    // and goes again
                     "key ctrl+z\nkey ctrl+shift+z\ndump\n"  // redo's other key
                     "tree select pattern 0\nkey ctrl+c\nkey ctrl+v\ndump\n"
                     "on dialog IDD_LABEL_EDIT\n  set IDC_LABEL_TEXT \"Z\"\n  click IDOK\nend\n"
                     "tree select pattern 1\nkey f2\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 6u);
    EXPECT_EQ(frame_count_of(run.dumps[0], 0), 1);
    EXPECT_EQ(frame_count_of(run.dumps[1], 0), 2);
    EXPECT_EQ(frame_count_of(run.dumps[2], 0), 1);
    EXPECT_EQ(frame_count_of(run.dumps[3], 0), 1);
    EXPECT_EQ(pattern_items(run.dumps[4]), (QStringList{"A", "A"}));
    EXPECT_EQ(pattern_items(run.dumps[5]), (QStringList{"A", "Z"}));
}

TEST(Keys, GreyedCommandsTakeNoKeysAndCtrlSSavesThroughItsDialog) {
    QTemporaryDir dir;
    const QString saved = dir.filePath("k.cwp");
    const ScenarioRun run =
        file_test::run_in(dir, "key ctrl+z\nkey ctrl+s\ndump\n" + project(1) + "answer save " +
                                   quoted(saved) + "\nkey ctrl+s\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    // Without a project undo and save are greyed: the keys do nothing, no dialog opens.
    EXPECT_TRUE(run.dumps[0]["file_dialogs"].toArray().isEmpty());
    EXPECT_TRUE(no_project_open(run.dumps[0]));
    EXPECT_EQ(run.dumps[1]["current_path"].toString(), saved);
    EXPECT_TRUE(QFile::exists(dir.filePath("k.spa")));
}

TEST(Keys, TabAndShiftTabMoveThroughADialogsTabStops) {
    const ScenarioRun run =
        run_scenario(new_project() +
                     "menu ID_EDIT_ADD_PATTERN\non dialog IDD_ADD_PATTERN\n"
                     "  key tab\n  dump\n  key tab\n  dump\n  key shift+tab\n  dump\n  key escape\nend\n"
                     "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 4u);
    // From the dialog itself to its first tab stop, to the next in the template's order, and back.
    EXPECT_EQ(run.dumps[0]["focus"].toObject()["id"].toInt(), IDC_PATTERN_NAME);
    EXPECT_EQ(run.dumps[1]["focus"].toObject()["id"].toInt(), IDC_FRAME_COUNT);
    EXPECT_EQ(run.dumps[2]["focus"].toObject()["id"].toInt(), IDC_PATTERN_NAME);
    // Esc is the dialog's cancel button: no pattern was added.
    EXPECT_EQ(pattern_count_of(run.dumps[3]), 0);
}

TEST(CommandLine, AProjectNamedOnTheCommandLineOpensWithItsImageBesideIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("sheets"));
    ASSERT_TRUE(QFile::copy(testdata("project/walk.cwp"), dir.filePath("sheets/walk.cwp")));
    ASSERT_TRUE(QFile::copy(testdata("project/walk.spa"), dir.filePath("sheets/walk.spa")));
    ASSERT_TRUE(QFile::copy(testdata("tim/sheet64x48.bmp"), dir.filePath("sheets/sheet.bmp")));
    ASSERT_TRUE(QDir(dir.path()).mkpath("elsewhere"));
    // Started in another folder, with a relative path as a shell passes it.
    const ScenarioRun run =
        run_scenario_with_args("dump\n", QStringLiteral("../sheets/walk.cwp"), dir.filePath("elsewhere"));
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    EXPECT_FALSE(no_project_open(d));
    EXPECT_EQ(root(d)["text"].toString(), QString::fromUtf8("歩き"));
    // The project keeps the image path it was given.
    EXPECT_EQ(tables(d)["image_path"].toString(), QStringLiteral("sheet.bmp"));
    EXPECT_TRUE(boxes(d).isEmpty()) << "no message: the image was found beside the project";
}

TEST(CommandLine, APathThatDoesNotOpenIsSaidAndTheEditorRunsOnWithoutAProject) {
    QTemporaryDir dir;
    const ScenarioRun run =
        run_scenario_with_args("answer box IDOK\ndump\n", QStringLiteral("\"no such file.cwp\""), dir.path());
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    EXPECT_TRUE(no_project_open(d));
    ASSERT_GE(boxes(d).size(), 1);
    const QJsonObject said = boxes(d)[0].toObject();
    EXPECT_EQ(said["text"].toString(), QString::fromUtf8("指定のﾌｧｲﾙを開けません."));
    EXPECT_EQ(said["style"].toInt() & 0xF0, 0x10);  // MB_ICONERROR
}

TEST(CommandLine, ASpriteSheetStartsANewProjectOverIt) {
    QTemporaryDir dir;
    const QString sheet = dir.filePath("my sheet.bmp");
    ASSERT_TRUE(QFile::copy(testdata("tim/sheet64x48.bmp"), sheet));
    const ScenarioRun run = run_scenario_with_args("dump\n", "\"" + sheet + "\"", dir.path());
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_FALSE(no_project_open(run.last()));
    EXPECT_EQ(tables(run.last())["image_path"].toString(), sheet);
}

TEST(PatternWindows, ADoubleClickOrEnterInTheTreeBringsAClosedWindowBack) {
    const ScenarioRun run =
        run_scenario(project(1) +
                     "menu ID_WINDOW_CLOSE_ALL\ndump\n"
                     "tree doubleclick pattern 0\ndump\n"
                     "menu ID_WINDOW_CLOSE_ALL\ntree select frame 0 0\nkey return\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_FALSE(pattern_window_shown(run.dumps[0], 0));
    EXPECT_TRUE(pattern_window_shown(run.dumps[1], 0));
    EXPECT_TRUE(pattern_window_shown(run.dumps[2], 0));
}

void keep_place(const QTemporaryDir& dir, const char* line) {
    QFile kept(dir.filePath("Celwin.pos"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.write(line);
}

TEST(ImageWindow, ItComesBackWhereTheUserLeftItInTheLastRunFittedToTheScreen) {
    QTemporaryDir dir;
    keep_place(dir, "300 200\n");
    const ScenarioRun run = file_test::run_in(dir, new_project() + "dump\nmenu ID_FILE_EXIT\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonArray r = rect(run.dumps[0], "image", "window");
    EXPECT_EQ(r[0].toInt(), 300);
    EXPECT_EQ(r[1].toInt(), 200);
    // Kept on a larger screen than this one: the whole window comes back on it.
    QFile::remove(dir.filePath("Celwin.ini"));
    keep_place(dir, "5000 4000\n");
    const ScenarioRun smaller = file_test::run_in(dir, new_project() + "dump\nmenu ID_FILE_EXIT\n");
    ASSERT_EQ(smaller.exit_code, 0) << smaller.errors.toStdString();
    const QJsonArray screen = smaller.last()["screen"].toArray();
    const QJsonArray fitted = rect(smaller.dumps[0], "image", "window");
    EXPECT_GE(fitted[0].toInt(), 0);
    EXPECT_GE(fitted[1].toInt(), 0);
    EXPECT_LE(fitted[2].toInt(), screen[0].toInt());
    EXPECT_LE(fitted[3].toInt(), screen[1].toInt());
    // And that is where it stands now, for the next run: the settings file takes over from the
    // place file of earlier runs.
    QFile after(dir.filePath("Celwin.ini"));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_TRUE(after.readAll().contains("image_window=" + QByteArray::number(fitted[0].toInt()) + " " +
                                         QByteArray::number(fitted[1].toInt()) + "\n"));
}

TEST(ImageWindow, WithoutAKeptPlaceItNeverCoversTheMainWindowsTitleOrMenuBar) {
    QTemporaryDir dir;
    // A file that is not two numbers is not trusted: the window goes where it goes the first time.
    keep_place(dir, "garbage");
    const ScenarioRun run = file_test::run_in(dir, new_project() + "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonArray main = rect(run.last(), "main", "client");
    const QJsonArray image = rect(run.last(), "image", "window");
    const QJsonArray outer = rect(run.last(), "main", "window");
    // Level with the main window's client area: beside the main window where the screen has
    // room, else at its client origin.
    EXPECT_EQ(image[1].toInt(), main[1].toInt());
    EXPECT_TRUE(image[0].toInt() == outer[2].toInt() || image[0].toInt() == main[0].toInt())
        << image[0].toInt();
}

TEST(Tree, WhatAnAddOrAPastePutsInIsScrolledIntoView) {
    // A main window of the smallest size leaves the tree room for a few rows only.
    std::string s = new_project() + add_pattern_with("A", 1);
    for (const char* name : {"B", "C", "D", "E"}) s += add_pattern_with(name, 1);
    // The newest pattern can be clicked without scrolling: it is in view.
    s += "tree select pattern 4\ndump\nkey ctrl+c\nkey ctrl+v\ntree select pattern 5\ndump\n";
    const ScenarioRun run = run_scenario(s);
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(pattern_count_of(run.last()), 6);
}
