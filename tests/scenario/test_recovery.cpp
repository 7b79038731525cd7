// Recovery after a crash: an edited project killed before it was saved comes back at the next
// start as an unsaved project under its own path, and saving it writes exactly what saving the
// edits would have written; the user's files are untouched until then. A copy that is declined
// or damaged is removed, a damaged one with a message and never half loaded. The live copy of an
// editor still running is not another editor's to offer or remove.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <signal.h>

#include <map>

#include "test_file_support.h"
#include "build_paths.h"

using namespace file_test;

namespace {

const QString kFolder = QStringLiteral("Celwin.rcv");
const QString kCaption = QString::fromUtf8("ﾌﾟﾛｼﾞｪｸﾄの復元");

// walk.cwp and walk.spa in dir (or another name): one pattern "walk" of two frames on the
// sprite sheet.
QString write_walk(const QTemporaryDir& dir, const QString& name = QStringLiteral("walk")) {
    const QString cwp = dir.filePath(name + ".cwp");
    write_file(cwp, project_file(testdata("tim/sheet64x48.bmp"), "walk", {{"walk", "a", "b"}}));
    write_file(dir.filePath(name + ".spa"), data_file(0, 3, {{2, 32, 32}}));
    return cwp;
}

// What the user does to it: a frame added, the pattern renamed.
std::string edits(const QString& cwp) {
    return open_project(cwp) + "menu ID_EDIT_ADD_FRAME\n" + rename_item("pattern 0", "run");
}

// The program run on a script in dir, in the background, until it is killed (as a crash kills
// it: SIGKILL) or the script ends.
class Running {
  public:
    Running(const QTemporaryDir& dir, const std::string& script) : dir_(dir) {
        // The script from a file: with no event loop here, nothing written to the program's input
        // would reach it while the test waits.
        const QString script_file = scripts_.filePath("script.txt");
        write_file(script_file, QByteArray::fromStdString(script));
        p_.setProgram(QString::fromUtf8(build_paths::scenario_exe));
        p_.setArguments({QStringLiteral("--workdir"), dir.path(), script_file});
        p_.start();
        p_.waitForStarted(10000);
    }
    ~Running() { kill(); }
    // Waits while it runs until its recovery copy is in the folder; false when it stopped first.
    bool wait_for_copy(const QString& folder = kFolder) {
        const QString note = dir_.filePath(folder + "/recovery.inf");
        QElapsedTimer waited;
        waited.start();
        while (!QFileInfo::exists(note) && waited.elapsed() < 60000)
            if (p_.state() == QProcess::NotRunning || p_.waitForFinished(50)) break;
        return QFileInfo::exists(note) && p_.state() != QProcess::NotRunning;
    }
    // Killed, it has crashed; false when it had ended before.
    bool kill() {
        if (p_.state() == QProcess::NotRunning) return false;
        ::kill(static_cast<pid_t>(p_.processId()), SIGKILL);
        p_.waitForFinished(10000);
        EXPECT_EQ(p_.exitStatus(), QProcess::CrashExit) << p_.readAllStandardError().toStdString();
        return true;
    }

  private:
    const QTemporaryDir& dir_;
    QTemporaryDir scripts_;
    QProcess p_;
};

// Runs the script in dir and kills the program with SIGKILL once its recovery copy is on disk.
bool run_until_copy_then_kill(const QTemporaryDir& dir, const std::string& script) {
    Running program(dir, script);
    const bool written = program.wait_for_copy();
    return program.kill() && written;
}

// The bytes of every file in a folder, by name.
std::map<QString, QByteArray> folder_contents(const QString& folder) {
    std::map<QString, QByteArray> out;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        out[name] = read_bytes(folder + "/" + name);
    return out;
}

void copy_folder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        QFile::copy(from + "/" + name, to + "/" + name);
}

}  // namespace

TEST(Recovery, AKilledEditIsRestoredUnsavedAndSavesWhatTheEditsWouldHaveSaved) {
    // What saving the edits writes, from a run that saves them.
    QTemporaryDir expected;
    const QString expected_cwp = write_walk(expected);
    run_in(expected, edits(expected_cwp) + save_as(expected.filePath("edited.cwp")));
    const QByteArray edited_cwp = read_bytes(expected.filePath("edited.cwp"));
    const QByteArray edited_spa = read_bytes(expected.filePath("edited.spa"));
    ASSERT_EQ(edited_cwp.size(), 8102);
    ASSERT_EQ(edited_spa.size(), 12 + 12 + 3 * 12);
    EXPECT_FALSE(QFileInfo::exists(expected.filePath(kFolder))) << "a saved project keeps no copy";

    QTemporaryDir dir;
    const QString cwp = write_walk(dir);
    const QByteArray original_cwp = read_bytes(cwp), original_spa = read_bytes(dir.filePath("walk.spa"));
    ASSERT_TRUE(run_until_copy_then_kill(dir, edits(cwp) + "run 30\n"));
    EXPECT_EQ(read_bytes(cwp), original_cwp);
    QTemporaryDir kept;
    copy_folder(dir.filePath(kFolder), kept.path());

    // Restored: the project under its own path, unsaved, its files on disk untouched.
    QJsonObject d = run_in(dir, "answer box IDYES\ndump\n").last();
    ASSERT_EQ(boxes(d).size(), 1);
    EXPECT_EQ(boxes(d)[0].toObject()["caption"].toString(), kCaption);
    EXPECT_TRUE(boxes(d)[0].toObject()["text"].toString().contains(cwp));
    EXPECT_EQ(boxes(d)[0].toObject()["style"].toInt() & 0xF, 4) << "MB_YESNO";
    EXPECT_EQ(d["current_path"].toString(), cwp);
    EXPECT_EQ(pattern_items(d), QStringList{"run"});
    EXPECT_EQ(frame_count_of(d, 0), 3);
    EXPECT_TRUE(d["windows"].toObject()["main"].toObject()["title"].toString().endsWith(" *"));
    EXPECT_EQ(read_bytes(cwp), original_cwp);
    EXPECT_EQ(read_bytes(dir.filePath("walk.spa")), original_spa);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(kFolder + "/recovery.inf"))) << "kept until it is saved";

    // Saved (over its own files, after the usual question): the edits, byte for byte, and no copy.
    d = run_in(dir, "answer box IDYES\nanswer box IDYES\nmenu ID_FILE_SAVE\ndump\n").last();
    EXPECT_EQ(read_bytes(cwp), edited_cwp);
    EXPECT_EQ(read_bytes(dir.filePath("walk.spa")), edited_spa);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(kFolder)));
    EXPECT_FALSE(d["windows"].toObject()["main"].toObject()["title"].toString().endsWith(" *"));

    // Declined: removed, nothing open.
    copy_folder(kept.path(), dir.filePath(kFolder));
    d = run_in(dir, "answer box IDNO\ndump\n").last();
    EXPECT_EQ(boxes(d).size(), 1);
    EXPECT_TRUE(no_project_open(d));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(kFolder)));
}

TEST(Recovery, ADamagedCopyIsRefusedWithAMessageAndNeverHalfLoaded) {
    QTemporaryDir dir;
    const QString cwp = write_walk(dir);
    ASSERT_TRUE(run_until_copy_then_kill(dir, edits(cwp) + "run 30\n"));
    QTemporaryDir kept;
    copy_folder(dir.filePath(kFolder), kept.path());
    for (const char* file : {"recovery.spa", "recovery.cwp"}) {
        SCOPED_TRACE(file);
        copy_folder(kept.path(), dir.filePath(kFolder));
        const QString damaged = dir.filePath(kFolder + "/" + file);
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.resize(f.size() - 5));
        f.close();
        const QJsonObject d = run_in(dir, "answer box IDOK\ndump\n").last();
        ASSERT_EQ(boxes(d).size(), 1);
        EXPECT_EQ(last_box(d)["caption"].toString(), kCaption);
        EXPECT_TRUE(last_box(d)["text"].toString().contains(QString::fromUtf8("壊れている")));
        EXPECT_EQ(last_box(d)["style"].toInt(), 0x10) << "MB_ICONERROR";
        EXPECT_TRUE(no_project_open(d));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(kFolder)));
    }
}

TEST(Recovery, OnlyARunThatDidNotEndCleanlyLeavesACopy) {
    QTemporaryDir dir;
    const QString cwp = write_walk(dir);
    // A run that stops without closing leaves its copy behind.
    run_in(dir, edits(cwp) + "run 4\n");
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(kFolder + "/recovery.inf")));
    QDir(dir.filePath(kFolder)).removeRecursively();
    // Undone back to what is on disk: nothing is unsaved, so nothing is kept.
    QJsonObject d = run_in(dir, edits(cwp) + "run 4\nmenu ID_EDIT_UNDO\nmenu ID_EDIT_UNDO\ndump\n").last();
    EXPECT_FALSE(d["windows"].toObject()["main"].toObject()["title"].toString().endsWith(" *"));
    EXPECT_EQ(pattern_items(d), QStringList{"walk"});
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(kFolder)));
    // Left without saving: the program ends cleanly and leaves nothing to restore.
    d = run_in(dir, edits(cwp) + "run 4\nanswer box IDNO\nexit\ndump\n").last();
    EXPECT_TRUE(d["quit"].toBool());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(kFolder)));
}

TEST(Recovery, ASecondEditorNeitherOffersNorTouchesTheCopyOfOneStillRunning) {
    QTemporaryDir dir;
    const QString first_cwp = write_walk(dir), second_cwp = write_walk(dir, QStringLiteral("idle"));
    // The first editor edits and keeps running, its copy written.
    Running first(dir, edits(first_cwp) + "run 60\nrun 60\nrun 60\nrun 60\n");
    ASSERT_TRUE(first.wait_for_copy());
    const auto first_copy = folder_contents(dir.filePath(kFolder));
    ASSERT_EQ(first_copy.size(), 4u) << "the copy's three files and the lock naming its editor";

    // A second one started beside it is not offered that copy; its own edits go to a folder of
    // their own, and it stops without closing.
    ScenarioRun second = run_in(dir, "dump\n" + edits(second_cwp) + "run 4\n");
    EXPECT_TRUE(boxes(second.dumps[0]).isEmpty());
    EXPECT_TRUE(no_project_open(second.dumps[0]));
    EXPECT_EQ(folder_contents(dir.filePath(kFolder)), first_copy) << "neither removed nor written over";
    ASSERT_TRUE(QFileInfo::exists(dir.filePath(kFolder + ".2/recovery.inf")));

    // A third start, with the first still running, is offered the second one's copy only; when
    // it is declined, that copy goes and the first one's stays.
    QJsonObject d = run_in(dir, "answer box IDNO\ndump\n").last();
    ASSERT_EQ(boxes(d).size(), 1);
    EXPECT_TRUE(boxes(d)[0].toObject()["text"].toString().contains(second_cwp));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(kFolder + ".2")));
    EXPECT_EQ(folder_contents(dir.filePath(kFolder)), first_copy);

    // Once the first editor has crashed, its copy is offered and comes back.
    ASSERT_TRUE(first.kill());
    d = run_in(dir, "answer box IDYES\ndump\n").last();
    ASSERT_EQ(boxes(d).size(), 1);
    EXPECT_TRUE(boxes(d)[0].toObject()["text"].toString().contains(first_cwp));
    EXPECT_EQ(d["current_path"].toString(), first_cwp);
    EXPECT_EQ(pattern_items(d), QStringList{"run"});
}

TEST(Recovery, ACopyFromBeforeLocksIsOfferedAsOneWhoseEditorEnded) {
    QTemporaryDir dir;
    const QString cwp = write_walk(dir);
    ASSERT_TRUE(run_until_copy_then_kill(dir, edits(cwp) + "run 30\n"));
    ASSERT_TRUE(QFile::remove(dir.filePath(kFolder + "/recovery.lck")));
    const QJsonObject d = run_in(dir, "answer box IDYES\ndump\n").last();
    ASSERT_EQ(boxes(d).size(), 1);
    EXPECT_EQ(d["current_path"].toString(), cwp);
    EXPECT_EQ(pattern_items(d), QStringList{"run"});
}
