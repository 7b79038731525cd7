// Two editors on one X server: what one copies, the other pastes, through the desktop's
// real clipboard. The first editor keeps running and serving its events while the second
// pastes, as on X11 the program that copied hands the bytes over itself.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <string>

#include "clipboard_support.h"
#include "harness.h"
#include "build_paths.h"

using file_test::tables;
using namespace clipboard_test;

namespace {

// The X display the test runs on: CTest runs it under tests/with-display.sh, which gives it a
// display of its own and names it in DISPLAY.
QString test_display() {
    return qEnvironmentVariable("DISPLAY");
}

// The first editor: runs its script on the display, and its dumps can be waited for while
// it goes on serving.
class ServingEditor {
  public:
    ServingEditor(const std::string& script, const QString& display) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("DISPLAY"), display);
        editor_.setProcessEnvironment(env);
        editor_.start(
            QString::fromUtf8(build_paths::scenario_exe),
            {QStringLiteral("--workdir"), dir_.path(), QStringLiteral("--display"), QStringLiteral("-")});
        editor_.write(script.data(), static_cast<qint64>(script.size()));
        editor_.closeWriteChannel();
    }
    ~ServingEditor() {
        if (editor_.state() != QProcess::NotRunning) editor_.kill();
        editor_.waitForFinished(5000);
    }
    // The next dump it prints; an empty object when it printed none within a minute.
    QJsonObject next_dump() {
        while (!output_.contains('\n') && editor_.waitForReadyRead(60000))
            output_ += editor_.readAllStandardOutput();
        const qsizetype end = output_.indexOf('\n');
        if (end < 0) return {};
        const std::vector<QJsonObject> dumps = parse_dumps(output_.left(end));
        output_.remove(0, end + 1);
        return dumps.empty() ? QJsonObject() : dumps.front();
    }
    // Lets a "serve until NAME" step end.
    void signal(const QString& name) {
        QFile f(QDir(dir_.path()).filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // Waits for the end of its script: its exit code and what it said on stderr.
    std::pair<int, QString> finish() {
        editor_.waitForFinished(60000);
        return {editor_.exitStatus() == QProcess::NormalExit ? editor_.exitCode() : -1,
                QString::fromUtf8(editor_.readAllStandardError())};
    }

  private:
    QTemporaryDir dir_;
    QProcess editor_;
    QByteArray output_;
};

QJsonValue at(const QJsonObject& d, const char* table, int p) {
    return tables(d)[table].toArray()[p];
}
QJsonValue frame_at(const QJsonObject& d, const char* table, int p, int f) {
    return at(d, table, p).toArray()[f];
}

}  // namespace

TEST(ClipboardBetweenEditors, APatternAndAFrameCopiedInOneEditorPasteInAnother) {
    const QString display = test_display();
    if (display.isEmpty()) {
        if (qEnvironmentVariable("CI") == QStringLiteral("true")) FAIL() << "no X display (DISPLAY is empty)";
        GTEST_SKIP() << "no X display: run it as CTest does, under tests/with-display.sh";
    }

    // The first editor copies pattern "walk" (in its playing mode), then its frame 1.
    ServingEditor first(walk() +
                            "tree select pattern 0\nclick IDC_PLAY_FORWARD\nmenu ID_EDIT_COPY\ndump\n"
                            "serve until pattern-pasted\n"
                            "click IDC_PLAY_STOP\ntree select frame 0 1\nmenu ID_EDIT_COPY\ndump\n"
                            "serve until frame-pasted\n",
                        display);
    const QJsonObject copied = first.next_dump();
    ASSERT_FALSE(copied.isEmpty()) << first.finish().second.toStdString();

    // The second editor, a project with one pattern of its own, pastes the pattern.
    const std::string second = "resize main 900 1000\n" + new_project() + pattern_of("own", {"o0"});
    const ScenarioRun pattern = run_scenario_on_display(second + "menu ID_EDIT_PASTE\ndump\n", display);
    first.signal(QStringLiteral("pattern-pasted"));
    ASSERT_EQ(pattern.exit_code, 0) << pattern.errors.toStdString();
    const QJsonObject p = pattern.last();
    // The bytes on the clipboard are the ones the first editor put there.
    EXPECT_EQ(p["clipboard"].toObject()["CLIP_PATTERN"].toString().size(), 2 * 908);
    EXPECT_EQ(p["clipboard"].toObject()["CLIP_PATTERN"], copied["clipboard"].toObject()["CLIP_PATTERN"]);
    ASSERT_EQ(tables(p)["pattern_count"].toInt(), 2);
    EXPECT_EQ(at(p, "pattern_labels", 1), at(copied, "pattern_labels", 0));
    EXPECT_EQ(at(p, "frame_labels", 1), at(copied, "frame_labels", 0));
    EXPECT_EQ(at(p, "frames", 1), at(copied, "frames", 0));
    EXPECT_EQ(at(p, "entries", 1), at(copied, "entries", 0));
    EXPECT_EQ(at(p, "settings", 1), at(copied, "settings", 0)) << "base size, zoom, mode and view";
    const QJsonObject settings = at(p, "settings", 1).toObject();
    EXPECT_EQ(settings["base_w"].toInt(), 48);
    EXPECT_EQ(settings["zoom_factor"].toInt(), 4);
    EXPECT_EQ(settings["play_mode"].toInt(), IDC_PLAY_FORWARD);
    EXPECT_EQ(frame_items(p, 1), (QStringList{"stand", "ｼﾞｬﾝﾌﾟ", "land"}));

    // Then the frame, into the second editor's own pattern.
    const QJsonObject copied_frame = first.next_dump();
    ASSERT_FALSE(copied_frame.isEmpty());
    const ScenarioRun frame = run_scenario_on_display(second + "menu ID_EDIT_PASTE\ndump\n", display);
    first.signal(QStringLiteral("frame-pasted"));
    ASSERT_EQ(frame.exit_code, 0) << frame.errors.toStdString();
    const QJsonObject f = frame.last();
    EXPECT_EQ(f["clipboard"].toObject()["CLIP_FRAME"], copied_frame["clipboard"].toObject()["CLIP_FRAME"]);
    EXPECT_TRUE(f["clipboard"].toObject()["CLIP_PATTERN"].isNull()) << "a copy replaces what was there";
    EXPECT_EQ(frame_items(f, 0), (QStringList{"o0", "ｼﾞｬﾝﾌﾟ"}));
    EXPECT_EQ(frame_at(f, "frames", 0, 1), frame_at(copied_frame, "frames", 0, 1));
    EXPECT_EQ(at(f, "settings", 0).toObject()["base_w"].toInt(), 32) << "grown to the frame's 32 x 32";

    const auto [code, errors] = first.finish();
    EXPECT_EQ(code, 0) << errors.toStdString();
}
