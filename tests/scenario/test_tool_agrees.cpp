// celwright-tool against the editor: what `info --json` reports of a project equals
// the tables the editor holds once it has opened the same project, for the example
// project and for a project the editor itself has just saved.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "harness.h"
#include "test_file_support.h"
#include "build_paths.h"

using namespace file_test;

namespace {

QJsonObject tool_info(const QString& path) {
    QProcess tool;
    tool.start(QString::fromUtf8(build_paths::tool_exe), {"info", path, "--json"});
    EXPECT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(tool.readAllStandardOutput()).object();
}

// Every value of the loaded tables that the tool reports, compared one by one.
void expect_same(const QJsonObject& info, const QJsonObject& tables) {
    EXPECT_EQ(info["project_name"].toString(), tables["project_name"].toString());
    EXPECT_EQ(info["image_path"].toString(), tables["image_path"].toString());
    EXPECT_EQ(info["tpage"].toObject()["value"].toInt(), tables["tpage"].toInt());
    EXPECT_EQ(info["speed"].toInt(), tables["speed"].toInt());
    EXPECT_EQ(info["clut"].toObject()["value"].toInt(), tables["clut_attribute"].toInt());
    const int patterns = tables["pattern_count"].toInt();
    ASSERT_EQ(info["pattern_count"].toInt(), patterns);
    const QJsonArray listed = info["patterns"].toArray();
    ASSERT_EQ(listed.size(), patterns);
    for (int p = 0; p < patterns; ++p) {
        const QJsonObject pattern = listed[p].toObject();
        const QJsonObject entry = tables["entries"].toArray()[p].toObject();
        SCOPED_TRACE("pattern " + std::to_string(p));
        EXPECT_EQ(pattern["label"].toString(), tables["pattern_labels"].toArray()[p].toString());
        EXPECT_EQ(pattern["base_w"].toInt(), tables["settings"].toArray()[p].toObject()["base_w"].toInt());
        EXPECT_EQ(pattern["base_h"].toInt(), tables["settings"].toArray()[p].toObject()["base_h"].toInt());
        EXPECT_EQ(pattern["frame_count"].toInt(), entry["frame_count"].toInt());
        const QJsonArray frames = pattern["frames"].toArray();
        ASSERT_EQ(frames.size(), entry["frame_count"].toInt());
        for (int f = 0; f < frames.size(); ++f) {
            const QJsonObject mine = frames[f].toObject();
            const QJsonArray r = tables["frames"].toArray()[p].toArray()[f].toArray();
            SCOPED_TRACE("frame " + std::to_string(f));
            EXPECT_EQ(mine["label"].toString(), tables["frame_labels"].toArray()[p].toArray()[f].toString());
            EXPECT_EQ(mine["correction_x"].toInt(), r[0].toInt());
            EXPECT_EQ(mine["correction_y"].toInt(), r[1].toInt());
            EXPECT_EQ(mine["timing"].toInt(), r[2].toInt());
            EXPECT_EQ(mine["image_x"].toInt(), r[3].toInt());
            EXPECT_EQ(mine["image_y"].toInt(), r[4].toInt());
            EXPECT_EQ(mine["clut"].toInt(), r[5].toInt());
            EXPECT_EQ(mine["image_w"].toInt(), r[6].toInt());
            EXPECT_EQ(mine["image_h"].toInt(), r[7].toInt());
        }
    }
}

}  // namespace

TEST(ToolAgreesWithEditor, InfoOfTheExampleIsWhatTheEditorOpens) {
    QTemporaryDir dir;
    const QString examples = QString::fromUtf8(build_paths::source_dir) + "/examples/";
    for (const char* name : {"walk.cwp", "walk.spa", "walk.tim"})
        ASSERT_TRUE(QFile::copy(examples + name, dir.filePath(name))) << name;
    // The editor runs in the project's folder, where the relative image path leads.
    const ScenarioRun run = run_in(dir, open_project("walk.cwp") + "dump\n");
    ASSERT_TRUE(boxes(run.last()).isEmpty());
    const QJsonObject tables_loaded = tables(run.last());
    ASSERT_EQ(tables_loaded["pattern_count"].toInt(), 2);
    expect_same(tool_info(dir.filePath("walk.cwp")), tables_loaded);
}

TEST(ToolAgreesWithEditor, InfoOfAProjectTheEditorSavedIsWhatItHeld) {
    QTemporaryDir dir;
    const QString cwp = dir.filePath("made.cwp");
    const ScenarioRun run = run_in(dir, made_project() + save_as(cwp) + "dump\n");
    const QJsonObject held = tables(run.last());
    ASSERT_GE(held["pattern_count"].toInt(), 2);
    expect_same(tool_info(cwp), held);
    // The data file alone: the editor makes the labels up, and so does the tool.
    const QJsonObject alone = tool_info(dir.filePath("made.spa"));
    EXPECT_EQ(alone["project_name"].toString(), "made");
    EXPECT_EQ(alone["patterns"].toArray()[1].toObject()["label"].toString(), "pattern_01");
    EXPECT_EQ(alone["patterns"].toArray()[0].toObject()["frames"].toArray()[2].toObject()["label"].toString(),
              "frame_02");
}
