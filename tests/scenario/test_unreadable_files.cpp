// Names that are not files on a disk: a named pipe (mkfifo) with nobody writing to it, which a
// plain open waits on for ever, and a device (a link to /dev/null, as CON.tim or NUL.cwp name a
// device on the system). Wherever the editor is given one, on its command line, from a dialog,
// in a project, its settings, its recovery folder or its recent files, it answers at once as
// it answers for a file it cannot open. A hang would end the run at the harness's deadline.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "build_paths.h"
#include "test_file_support.h"
#include "unreadable_names.h"

using namespace file_test;
using unreadable_names::kUnreadable;
using unreadable_names::make_device;
using unreadable_names::make_pipe;
using unreadable_names::Unreadable;

namespace {

const QString kCannotOpen = QString::fromUtf8("指定のﾌｧｲﾙを開けません.");
const QString kOpenCaption = QString::fromUtf8("ﾌｧｲﾙを開く");
const QString kImageCaption = QString::fromUtf8("ｲﾒｰｼﾞﾌｧｲﾙのｵｰﾌﾟﾝ");

QString image_cannot_open(const QString& path) {
    return path + QString::fromUtf8("\nが開けません.\n別のｲﾒｰｼﾞﾌｧｲﾙを開きます.");
}

void expect_cannot_open_project(const QJsonObject& d) {
    ASSERT_EQ(boxes(d).size(), 1);
    EXPECT_EQ(last_box(d)["text"].toString(), kCannotOpen);
    EXPECT_EQ(last_box(d)["caption"].toString(), kOpenCaption);
    EXPECT_EQ(last_box(d)["style"].toInt(), 0x10) << "MB_ICONERROR";
    EXPECT_TRUE(no_project_open(d));
}

// A project pair in dir whose image path names image.
QString write_walk(const QTemporaryDir& dir, const QString& image) {
    const QString cwp = dir.filePath("walk.cwp");
    EXPECT_TRUE(write_file(cwp, project_file(image, "walk", {{"walk", "a"}})));
    EXPECT_TRUE(write_file(dir.filePath("walk.spa"), data_file(0, 3, {{1, 32, 32}})));
    return cwp;
}

}  // namespace

TEST(UnreadableFiles, AProjectOrDataFileThatIsNoFileCannotBeOpened) {
    for (const Unreadable& u : kUnreadable) {
        SCOPED_TRACE(u.what);
        QTemporaryDir dir;
        const QString cwp = dir.filePath("walk.cwp"), spa = dir.filePath("alone.spa");
        ASSERT_TRUE(u.make(cwp));
        ASSERT_TRUE(u.make(spa));
        // On the command line, as the desktop opens a project with the editor.
        ScenarioRun run = run_scenario_with_args("answer box IDOK\ndump\n", cwp, dir.path());
        ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
        expect_cannot_open_project(run.last());
        // From the Open dialog, a project file and a data file on its own.
        for (const QString& path : {cwp, spa}) {
            run = run_in(dir, "answer box IDOK\n" + open_project(path) + "dump\n");
            expect_cannot_open_project(run.last());
            EXPECT_TRUE(recent(run.last()).isEmpty());
        }
        // A project file whose data file is no file.
        QTemporaryDir pair;
        ASSERT_TRUE(write_file(pair.filePath("walk.cwp"),
                               project_file(testdata("tim/sheet64x48.bmp"), "walk", {{"walk", "a"}})));
        ASSERT_TRUE(u.make(pair.filePath("walk.spa")));
        run = run_in(pair, "answer box IDOK\n" + open_project(pair.filePath("walk.cwp")) + "dump\n");
        EXPECT_EQ(last_box(run.last())["text"].toString(), kCannotOpen);
        EXPECT_EQ(run.last()["current_path"].toString(), QString());
    }
}

TEST(UnreadableFiles, AnImageThatIsNoFileIsOneThatCannotBeOpenedAndAnotherIsOffered) {
    for (const Unreadable& u : kUnreadable) {
        SCOPED_TRACE(u.what);
        QTemporaryDir dir;
        const QString tim = dir.filePath("walk.tim"), bmp = dir.filePath("sheet.bmp");
        ASSERT_TRUE(u.make(tim));
        ASSERT_TRUE(u.make(bmp));
        // The image named by a project: the message, then the open dialog, here cancelled.
        const QString cwp = write_walk(dir, tim);
        ScenarioRun run = run_in(dir, "answer open " + quoted(cwp) +
                                          "\nanswer box IDOK\nanswer open cancel\nmenu ID_FILE_OPEN\ndump\n");
        QJsonObject d = run.last();
        ASSERT_EQ(boxes(d).size(), 1);
        EXPECT_EQ(last_box(d)["text"].toString(), image_cannot_open(tim));
        EXPECT_EQ(last_box(d)["caption"].toString(), kImageCaption);
        EXPECT_EQ(d["current_path"].toString(), QString());
        // New, with such an image chosen, then a real one offered instead.
        for (const QString& image : {bmp, tim}) {
            SCOPED_TRACE(image.toStdString());
            run = run_scenario("answer box IDOK\nanswer open " + quoted(image) +
                               "\nanswer box IDOK\nanswer open " + quoted(testdata("tim/sheet64x48.bmp")) +
                               "\nmenu ID_FILE_NEW\ndump\n");
            ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
            d = run.last();
            ASSERT_EQ(boxes_after_new(d).size(), 1);
            EXPECT_EQ(boxes_after_new(d)[0].toObject()["text"].toString(), image_cannot_open(image));
            EXPECT_EQ(QFileInfo(tables(d)["image_path"].toString()).fileName(),
                      QStringLiteral("sheet64x48.bmp"));
        }
    }
}

TEST(UnreadableFiles, SettingsThatAreNoFilesAreNotReadAndExitReplacesThemWithFiles) {
    for (const Unreadable& u : kUnreadable) {
        SCOPED_TRACE(u.what);
        QTemporaryDir dir;
        ASSERT_TRUE(u.make(dir.filePath("Celwin.cfg")));
        ASSERT_TRUE(u.make(dir.filePath("Celwin.pos")));
        ASSERT_TRUE(u.make(dir.filePath("Celwin.ini")));
        const ScenarioRun run = run_in(dir, "dump\nresize main 800 600\nexit\n");
        const QJsonObject d = run.dumps[0];
        EXPECT_TRUE(boxes(d).isEmpty()) << "no message, as for a missing file";
        EXPECT_EQ(d["windows"].toObject()["main"].toObject()["client_size"].toArray(),
                  (QJsonArray{640, 480}));
        const QFileInfo cfg(dir.filePath("Celwin.cfg"));
        EXPECT_TRUE(cfg.isFile() && !cfg.isSymLink());
        EXPECT_EQ(u32(read_bytes(dir.filePath("Celwin.cfg")), 0), 800u);
    }
}

TEST(UnreadableFiles, ARecentEntryThatIsNoFileSaysSoAndLeavesTheList) {
    for (const Unreadable& u : kUnreadable) {
        SCOPED_TRACE(u.what);
        QTemporaryDir dir;
        const QString good = write_walk(dir, testdata("tim/sheet64x48.bmp"));
        run_in(dir, open_project(good) + "exit\n");
        ASSERT_TRUE(QFile::remove(good));
        ASSERT_TRUE(u.make(good));
        const QJsonObject d = run_in(dir, "answer box IDOK\nmenu ID_FILE_RECENT_FIRST\ndump\n").last();
        expect_cannot_open_project(d);
        EXPECT_TRUE(recent(d).isEmpty());
    }
}

TEST(UnreadableFiles, ARecoveryCopyThatIsNoFileIsRefusedAsDamagedAndRemoved) {
    for (const Unreadable& u : kUnreadable) {
        for (const char* name : {"recovery.inf", "recovery.cwp", "recovery.spa"}) {
            SCOPED_TRACE(std::string(u.what) + " as " + name);
            QTemporaryDir dir;
            ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Celwin.rcv")));
            ASSERT_TRUE(u.make(dir.filePath(QStringLiteral("Celwin.rcv/") + name)));
            const QJsonObject d = run_in(dir, "answer box IDOK\ndump\n").last();
            ASSERT_EQ(boxes(d).size(), 1);
            EXPECT_EQ(last_box(d)["caption"].toString(), QString::fromUtf8("ﾌﾟﾛｼﾞｪｸﾄの復元"));
            EXPECT_TRUE(last_box(d)["text"].toString().contains(QString::fromUtf8("壊れている")));
            EXPECT_TRUE(no_project_open(d));
            EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("Celwin.rcv"))));
        }
    }
}
