// Undo and redo as a user meets them: every kind of change is one step that undo takes back and
// redo brings again, in the tables and in every view that shows them; a long run of changes
// undone to the start and redone to the end saves the same bytes; the items are greyed when there
// is nothing to undo or redo and while a pattern plays; the title tells the project's name and
// whether it has unsaved changes; New and Open start a new history, a save keeps it.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"
#include "playback_support.h"
#include "test_file_support.h"

using namespace playback_test;
using namespace file_test;

namespace {

// Two patterns with frames set, as a project starts before the step under test: A's first frame
// is wide, so that its others can be moved on its base frame; B's base frame was made larger
// than its frames are now, so that a reset shrinks it.
std::string base_project() {
    return project(3) + frame_set(0, 0, 0, 0, 32, 16) + cell(0, 1, 1, 0) + cell(0, 2, 2, 0) +
           add_pattern_with("B", 2) + frame_set(1, 0, 0, 16, 32, 32) + cell(1, 0, 0, 1) + cell(1, 1, 1, 1);
}

// What undo and redo must give back: the tables, the tree's texts and check marks, the combos'
// items, the pattern windows and their titles. Which item is selected is not a step.
QJsonObject shown(const QJsonObject& d) {
    QJsonObject out;
    // The tables without the views' geometry: a window's size and zoom are not steps.
    QJsonObject t = d["tables"].toObject();
    for (const char* view : {"client_size", "zoomed_client_size", "pattern_window", "new_window_style"})
        t.remove(view);
    QJsonArray bases;
    for (const auto& v : t["settings"].toArray())
        bases.append(QJsonArray{v.toObject()["base_w"], v.toObject()["base_h"]});
    t.remove("settings");
    t["bases"] = bases;
    // What a save stamps into the entries (file offsets, base sizes) is written anew by every save.
    QJsonArray counts;
    for (const auto& e : t["entries"].toArray()) counts.append(e.toObject()["frame_count"]);
    t["entries"] = counts;
    // ... and the CLUT attribute into every frame record (the record's sixth value).
    QJsonArray frames;
    for (const auto& pattern : t["frames"].toArray()) {
        QJsonArray records;
        for (const auto& r : pattern.toArray()) {
            QJsonArray record = r.toArray();
            record[5] = 0;
            records.append(record);
        }
        frames.append(records);
    }
    t["frames"] = frames;
    out["tables"] = t;
    std::function<QJsonArray(const QJsonArray&)> items = [&](const QJsonArray& a) {
        QJsonArray r;
        for (const auto& v : a) {
            const QJsonObject o = v.toObject();
            r.append(QJsonArray{o["text"], o["checked"], items(o["children"].toArray())});
        }
        return r;
    };
    out["tree"] = items(d["tree"].toArray());
    out["patterns_combo"] = d["combos"].toObject()[id_key(IDC_PATTERN)].toObject()["items"];
    QJsonArray windows;
    for (const auto& w : d["windows"].toObject()["patterns"].toArray())
        windows.append(w.isNull() ? QJsonValue() : w.toObject()["title"]);
    out["pattern_windows"] = windows;
    return out;
}

// Compares two shown states part by part, naming the part and its JSON where they differ.
::testing::AssertionResult same_shown(const QJsonObject& a, const QJsonObject& b) {
    for (const QString& key : a.keys())
        if (a[key] != b[key])
            return ::testing::AssertionFailure()
                   << key.toStdString() << " differs:\n"
                   << QJsonDocument(QJsonObject{{key, a[key]}}).toJson(QJsonDocument::Compact).toStdString()
                   << "\n"
                   << QJsonDocument(QJsonObject{{key, b[key]}}).toJson(QJsonDocument::Compact).toStdString();
    return ::testing::AssertionSuccess();
}

bool undo_enabled(const QJsonObject& d, int id) {
    for (const auto& top : d["menu_bar"].toObject()["items"].toArray())
        for (const auto& item : top.toObject()["items"].toArray())
            if (item.toObject()["id"].toInt() == id) return item.toObject()["enabled"].toBool();
    return false;
}

QString title(const QJsonObject& d) {
    return d["windows"].toObject()["main"].toObject()["title"].toString();
}

struct Step {
    const char* name;
    std::string script;
};

std::vector<Step> steps() {
    return {
        {"add pattern", add_pattern_with("C", 2)},
        {"add frame", "tree select frame 1 0\nmenu ID_EDIT_ADD_FRAME\n"},
        {"delete pattern", "tree select pattern 0\nanswer box IDOK\nmenu ID_EDIT_DELETE\n"},
        {"delete frame", "tree select frame 0 1\nanswer box IDOK\nmenu ID_EDIT_DELETE\n"},
        {"cut pattern", "tree select pattern 1\nanswer box IDOK\nmenu ID_EDIT_CUT\n"},
        {"paste pattern", "tree select pattern 0\nmenu ID_EDIT_COPY\nmenu ID_EDIT_PASTE\n"},
        {"paste frame",
         "tree select frame 0 2\nmenu ID_EDIT_COPY\ntree select frame 1 0\nmenu ID_EDIT_PASTE\n"},
        {"rename pattern", rename_item("pattern 1", "renamed")},
        {"rename frame", rename_item("frame 0 2", "blue")},
        {"reorder patterns", "tree drag pattern 0 to pattern 1\n"},
        {"reorder frames", "tree drag frame 0 2 to frame 0 0\n"},
        {"frame set", cell(0, 1, 3, 2)},
        {"timing", "tree select frame 0 1\nset IDC_TIMING \"12\"\ntree select frame 0 0\n"},
        {"frame dragged", "tree select frame 0 1\n" + drag_frame(0, 5, 0)},
        {"base frame reset", "tree select frame 1 0\nclick IDC_BASE_RESET\n"},
        {"speed", "slider IDC_SPEED drag 4\n"},
        {"drawing environment",
         "menu ID_EDIT_DRAWING_ENVIRONMENT\non dialog IDD_DRAWING_ENVIRONMENT\n  updown IDC_CLUT_X_SPIN 3\n"
         "  click IDOK\nend\n"},
    };
}

}  // namespace

TEST(Undo, EveryKindOfChangeIsOneStepThatUndoTakesBackAndRedoBringsAgain) {
    for (const Step& step : steps()) {
        SCOPED_TRACE(step.name);
        const ScenarioRun run = run_scenario(base_project() + "dump\n" + step.script +
                                             "dump\nmenu ID_EDIT_UNDO\ndump\n" + "menu ID_EDIT_REDO\ndump\n");
        ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
        ASSERT_EQ(run.dumps.size(), 4u);
        const QJsonObject before = shown(run.dumps[0]), after = shown(run.dumps[1]);
        EXPECT_FALSE(same_shown(before, after)) << "the step changed nothing";
        EXPECT_TRUE(same_shown(shown(run.dumps[2]), before))
            << "undo did not give the project back as it was";
        EXPECT_TRUE(same_shown(shown(run.dumps[3]), after)) << "redo did not bring the change again";
        // Exactly one step: after the redo there is nothing more to redo.
        EXPECT_FALSE(undo_enabled(run.dumps[3], ID_EDIT_REDO));
    }
}

TEST(Undo, ADragIsOneStep) {
    // Four moves of one drag: one undo takes them all back.
    const ScenarioRun run = run_scenario(base_project() +
                                         "tree select frame 0 1\ndump\nmouse pattern 0 down 50 50\n"
                                         "mouse pattern 0 move 51 50\nmouse pattern 0 move 52 50\n"
                                         "mouse pattern 0 move 53 50\nmouse pattern 0 up 54 50\ndump\n"
                                         "menu ID_EDIT_UNDO\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_NE(frame_record(run.dumps[1], 0, 1), frame_record(run.dumps[0], 0, 1))
        << "the drag moved the frame";
    EXPECT_EQ(frame_record(run.dumps[2], 0, 1), frame_record(run.dumps[0], 0, 1))
        << "one undo took the drag back";
}

TEST(Undo, ALongRunOfChangesUndoneAndRedoneSavesTheSameBytes) {
    QTemporaryDir counting, dir;
    // A fixed seed: the same run every time, a varied one all the same.
    QRandomGenerator random(20261209);
    const std::vector<Step> all = steps();
    std::string edits;
    for (int i = 0; i < 40; ++i) {
        const Step& s = all[random.bounded(static_cast<int>(all.size()))];
        // What deletes or cuts could leave too few patterns or frames for the steps that follow.
        const std::string name = s.name;
        if (name.find("delete") != std::string::npos || name.find("cut") != std::string::npos) continue;
        edits += s.script;
    }
    // How many steps the run of changes made, as the history counts them.
    const auto changes = [&](const QTemporaryDir& d) {
        return base_project() + save_as(d.filePath("start.cwp")) + "dump\n" + edits +
               save_as(d.filePath("end.cwp")) + "dump\n";
    };
    const ScenarioRun first = playback_test::run_in(counting, changes(counting));
    ASSERT_EQ(first.exit_code, 0) << first.errors.toStdString();
    const int count = first.dumps[1]["history"].toObject()["position"].toInt() -
                      first.dumps[0]["history"].toObject()["position"].toInt();
    ASSERT_GT(count, 10);
    std::string undo_all, redo_all;
    for (int i = 0; i < count; ++i) undo_all += "menu ID_EDIT_UNDO\n";
    for (int i = 0; i < count; ++i) redo_all += "menu ID_EDIT_REDO\n";
    const ScenarioRun run =
        playback_test::run_in(dir, changes(dir) + undo_all + "dump\n" + save_as(dir.filePath("undone.cwp")) +
                                       redo_all + "dump\n" + save_as(dir.filePath("redone.cwp")));
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_NE(read_bytes(dir.filePath("start.spa")), read_bytes(dir.filePath("end.spa")));
    EXPECT_EQ(read_bytes(dir.filePath("undone.cwp")), read_bytes(dir.filePath("start.cwp")));
    EXPECT_EQ(read_bytes(dir.filePath("undone.spa")), read_bytes(dir.filePath("start.spa")));
    EXPECT_EQ(read_bytes(dir.filePath("redone.cwp")), read_bytes(dir.filePath("end.cwp")));
    EXPECT_EQ(read_bytes(dir.filePath("redone.spa")), read_bytes(dir.filePath("end.spa")));
    EXPECT_TRUE(same_shown(shown(run.dumps[2]), shown(run.dumps[0])));
    EXPECT_TRUE(same_shown(shown(run.dumps[3]), shown(run.dumps[1])));
}

TEST(Undo, TheItemsAreGreyedWithNothingToUndoAndWhileAPatternPlays) {
    const ScenarioRun run =
        run_scenario("dump\n" + project(1) + "dump\nmenu ID_EDIT_UNDO\ndump\n" +
                     "menu ID_EDIT_REDO\nclick IDC_PLAY_FORWARD\ndump\nclick IDC_PLAY_STOP\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 5u);
    EXPECT_FALSE(undo_enabled(run.dumps[0], ID_EDIT_UNDO)) << "no project";
    EXPECT_TRUE(undo_enabled(run.dumps[1], ID_EDIT_UNDO));
    EXPECT_FALSE(undo_enabled(run.dumps[1], ID_EDIT_REDO));
    EXPECT_FALSE(undo_enabled(run.dumps[2], ID_EDIT_UNDO)) << "back at the new project";
    EXPECT_TRUE(undo_enabled(run.dumps[2], ID_EDIT_REDO));
    EXPECT_FALSE(undo_enabled(run.dumps[3], ID_EDIT_UNDO)) << "while a pattern plays";
    EXPECT_TRUE(undo_enabled(run.dumps[4], ID_EDIT_UNDO));
}

TEST(Undo, NewAndOpenStartAFreshHistoryAndASaveKeepsItAndClearsTheMark) {
    QTemporaryDir dir;
    const ScenarioRun run = playback_test::run_in(
        dir, project(1) + "dump\n" + save_as(dir.filePath("p.cwp")) + "dump\nmenu ID_EDIT_ADD_FRAME\ndump\n" +
                 "menu ID_EDIT_UNDO\ndump\n" + open_project(dir.filePath("p.cwp")) + "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 5u);
    const QString name = QString::fromUtf8("Celwright for Win32 Ver 1.2 - ");
    EXPECT_EQ(title(run.dumps[0]), name + QString::fromUtf8("新規ｱﾆﾒｰｼｮﾝ.cwp *"));
    EXPECT_EQ(title(run.dumps[1]), name + "p.cwp") << "saved: no mark";
    EXPECT_TRUE(undo_enabled(run.dumps[1], ID_EDIT_UNDO)) << "a save keeps the history";
    EXPECT_EQ(title(run.dumps[2]), name + "p.cwp *");
    EXPECT_EQ(title(run.dumps[3]), name + "p.cwp") << "undone back to what was saved: nothing unsaved";
    EXPECT_FALSE(undo_enabled(run.dumps[4], ID_EDIT_UNDO)) << "opening starts a new history";
    EXPECT_FALSE(undo_enabled(run.dumps[4], ID_EDIT_REDO));
}

TEST(Undo, CtrlZIsTheFieldsWhileItsTypingIsOpenAndTheProjectsOnceEnterTookIt) {
    QTemporaryDir dir;
    const auto timing = [](const QJsonObject& d) { return frame_record(d, 0, 1)[2].toInt(); };
    const ScenarioRun run = playback_test::run_in(
        dir, base_project() + "tree select frame 0 1\n" + save_as(dir.filePath("p.cwp")) + "dump\n" +
                 // Typed and taken by Enter: one step of the project's, which Ctrl+Z undoes.
                 "set IDC_TIMING \"12\"\nkey return\ndump\nkey ctrl+z\ndump\nkey ctrl+y\ndump\n" +
                 // Typed, not taken: Ctrl+Z undoes the typing in the field, and the frame follows it.
                 "set IDC_TIMING \"345\"\ndump\nkey ctrl+z\ndump\n" +
                 // The focus leaving the field takes what it holds; Ctrl+Z is the project's again.
                 "set IDC_TIMING \"678\"\ntree select frame 0 0\ntree select frame 0 1\ndump\n"
                 "key ctrl+z\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 8u);
    const QString name = QString::fromUtf8("Celwright for Win32 Ver 1.2 - p.cwp");
    const int saved = timing(run.dumps[0]);
    ASSERT_NE(saved, 12);
    EXPECT_EQ(title(run.dumps[0]), name);
    EXPECT_EQ(timing(run.dumps[1]), 12);
    EXPECT_EQ(title(run.dumps[1]), name + " *");
    EXPECT_EQ(timing(run.dumps[2]), saved) << "Ctrl+Z after Enter undid the project's step";
    EXPECT_EQ(field(run.dumps[2], IDC_TIMING), QString::number(saved));
    EXPECT_EQ(title(run.dumps[2]), name) << "back at what was saved: no mark";
    EXPECT_TRUE(undo_enabled(run.dumps[2], ID_EDIT_REDO));
    EXPECT_EQ(timing(run.dumps[3]), 12) << "Ctrl+Y redid it";
    EXPECT_EQ(title(run.dumps[3]), name + " *");
    EXPECT_EQ(timing(run.dumps[4]), 345);
    // Whatever the field's undo gave back, the frame holds what the field shows.
    EXPECT_NE(field(run.dumps[5], IDC_TIMING), QStringLiteral("345"));
    EXPECT_EQ(QString::number(timing(run.dumps[5])), field(run.dumps[5], IDC_TIMING));
    EXPECT_EQ(timing(run.dumps[6]), 678);
    EXPECT_EQ(timing(run.dumps[7]), timing(run.dumps[5]))
        << "the project's undo took back the value the focus change took";
    EXPECT_EQ(field(run.dumps[7], IDC_TIMING), field(run.dumps[5], IDC_TIMING));
}
