// What carries over from one run to the next: the configuration file with its
// window sizes and newline translation, the recent-files items on the File menus;
// and the drawing environment dialog.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "harness.h"
#include "test_file_support.h"

using namespace file_test;

namespace {

// A project pair of one pattern with one frame, named after itself.
QString write_project(const QTemporaryDir& dir, const QString& name) {
    QString cwp = dir.filePath(name + ".cwp");
    EXPECT_TRUE(
        write_file(cwp, project_file(testdata("bmpsuite/g/pal8.bmp"), name.toStdString(), {{"p", "f"}})));
    EXPECT_TRUE(write_file(dir.filePath(name + ".spa"), data_file(0x80, 0, {{1, 4, 4}})));
    return cwp;
}

// The File popup's items below the resource separator: (text, id) for the entries,
// "-" and its id for the separator, up to and including "終了".
QStringList recent_items(const QJsonObject& d) {
    QStringList out;
    const QJsonArray items = file_menu(d);
    for (int i = 5; i < items.size(); ++i) {
        const QJsonObject o = items[i].toObject();
        const QString id = QString::number(o["id"].toInt());
        out << (o["separator"].toBool() ? "- " + id : o["text"].toString() + " " + id);
    }
    return out;
}

QByteArray configuration(const QTemporaryDir& dir) {
    return read_bytes(dir.filePath("Celwin.cfg"));
}

// A configuration record as a test writes it: every field given, translated like the program's.
QByteArray record(int main_w, int main_h, int pattern0_w, const std::vector<std::string>& recent_paths) {
    QByteArray r;
    put32(r, static_cast<uint32_t>(main_w));
    put32(r, static_cast<uint32_t>(main_h));
    put32(r, static_cast<uint32_t>(pattern0_w));
    put32(r, 200);
    for (int p = 1; p < 12; ++p) {
        put32(r, 200);
        put32(r, 200);
    }
    put32(r, 256);
    put32(r, 256);
    put32(r, 0);
    for (int k = 0; k < 5; ++k) {
        QByteArray slot(512, '\0');
        if (k < static_cast<int>(recent_paths.size()))
            slot.replace(0, static_cast<int>(recent_paths[k].size()),
                         QByteArray::fromStdString(recent_paths[k]));
        r.append(slot);
    }
    r.append(QByteArray(100, '\0'));
    r.replace("\n", "\r\n");
    return r;
}

// ---- the configuration file ----------------------------------------------------------------

TEST(Configuration, AFirstStartHasNoRecentItemsAndExitStoresTheDefaults) {
    QTemporaryDir dir;
    const ScenarioRun run = run_in(dir, "dump\nexit\n");
    const QJsonObject d = run.dumps[0];
    EXPECT_EQ(d["windows"].toObject()["main"].toObject()["client_size"].toArray(), (QJsonArray{640, 480}));
    EXPECT_EQ(recent_items(d), QStringList{QString::fromUtf8("終了 40001")}) << "no separator yet";
    const QByteArray cfg = configuration(dir);
    ASSERT_EQ(cfg.size(), 2776) << "no byte 0x0A in the record";
    EXPECT_EQ(u32(cfg, 0), 640u);
    EXPECT_EQ(u32(cfg, 4), 480u);
    EXPECT_EQ(u32(cfg, 8), 200u);
    EXPECT_EQ(u32(cfg, 104), 256u);
    EXPECT_EQ(cfg.mid(116, 2560), QByteArray(2560, '\0'));
    EXPECT_EQ(u32(cfg, 2676), 100u);           // background_fill: size,
    EXPECT_EQ(u32(cfg, 2676 + 8), 0x660046u);  // raster operation
}

TEST(Configuration, TheMainWindowSizeCarriesOverToTheNextRun) {
    QTemporaryDir dir;
    run_in(dir, "resize main 800 600\nexit\n");
    const QByteArray cfg = configuration(dir);
    EXPECT_EQ(u32(cfg, 0), 800u);
    EXPECT_EQ(u32(cfg, 4), 600u);
    const QJsonObject next = run_in(dir, "dump\n").last();
    EXPECT_EQ(next["windows"].toObject()["main"].toObject()["client_size"].toArray(), (QJsonArray{800, 600}));
}

TEST(Configuration, AWidthOf266IsStoredWithACarriageReturnAndReadBack) {
    QTemporaryDir dir;
    run_in(dir, made_project() + "resize pattern 0 266 200\nanswer box IDNO\nexit\n");
    const QByteArray cfg = configuration(dir);
    ASSERT_EQ(cfg.size(), 2777);
    EXPECT_EQ(cfg.mid(8, 5), QByteArray::fromHex("0D0A010000"));
    const QJsonObject next = run_in(dir, "dump\n").last();
    EXPECT_EQ(tables(next)["client_size"].toArray()[0].toArray(), (QJsonArray{266, 200}));
}

TEST(Configuration, AByte1AInAValueDoesNotCutTheRestOff) {
    QTemporaryDir dir;
    const QString a = write_project(dir, "a"), b = write_project(dir, "b");
    ASSERT_TRUE(write_file(dir.filePath("Celwin.cfg"),
                           record(700, 500, 282, {a.toStdString(), b.toStdString()})));  // 282: bytes 1A 01
    const QJsonObject d = run_in(dir, "dump\n").last();
    EXPECT_EQ(tables(d)["client_size"].toArray()[0].toArray(), (QJsonArray{282, 200}));
    EXPECT_EQ(recent(d), (QStringList{a, b}));
    EXPECT_EQ(recent_items(d),
              (QStringList{b + " 60002", a + " 60001", "- 60000", QString::fromUtf8("終了 40001")}));
}

TEST(Configuration, ValuesThatCannotBeRightKeepTheirInitialOnes) {
    QTemporaryDir dir;
    QByteArray cfg = record(0, 480, 40000, {"/x.cwp"});
    cfg[112] = 2;                                     // a style flag that is neither 0 nor WS_MAXIMIZE
    cfg.replace(116 + 6, 506, QByteArray(506, 'x'));  // the slot's text runs to its end: no NUL
    ASSERT_TRUE(write_file(dir.filePath("Celwin.cfg"), cfg));
    const QJsonObject d = run_in(dir, "dump\n").last();
    EXPECT_EQ(d["windows"].toObject()["main"].toObject()["client_size"].toArray(), (QJsonArray{640, 480}));
    EXPECT_EQ(tables(d)["client_size"].toArray()[0].toArray(), (QJsonArray{200, 200}));
    EXPECT_EQ(tables(d)["new_window_style"].toInt(), 0);
    EXPECT_TRUE(recent(d).isEmpty());
}

// ---- the recent-files list ------------------------------------------------------------------

TEST(RecentFiles, SixProjectsLeaveFiveEntriesWithTheNewestOnTop) {
    QTemporaryDir dir;
    std::string script;
    QStringList paths;
    for (int i = 1; i <= 6; ++i) {
        paths << write_project(dir, "p" + QString::number(i));
        script += open_project(paths.last());
    }
    const ScenarioRun run = run_in(dir, script + "dump\nexit\n");
    const QJsonObject d = run.dumps[0];
    EXPECT_EQ(recent_items(d),
              (QStringList{paths[5] + " 60005", paths[4] + " 60004", paths[3] + " 60003", paths[2] + " 60002",
                           paths[1] + " 60001", "- 60000", QString::fromUtf8("終了 40001")}));
    // At exit the slots hold them oldest first.
    const QByteArray cfg = configuration(dir);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(cfg.mid(116 + 512 * k, 512).split('\0')[0], paths[k + 1].toUtf8());
    // The next run has them again, in the same order and on all three menu bars.
    const QJsonObject next = run_in(dir, "dump\n" + open_project(paths[0]) + "dump\n").dumps[0];
    EXPECT_EQ(recent_items(next), recent_items(d));
}

TEST(RecentFiles, ReopeningAnEntryMovesItToTheTopWithoutARepeat) {
    QTemporaryDir dir;
    const QString a = write_project(dir, "a"), b = write_project(dir, "b"), c = write_project(dir, "c");
    const QJsonObject d =
        run_in(dir, open_project(a) + open_project(b) + open_project(c) + "menu ID_FILE_RECENT_FIRST\ndump\n")
            .last();
    EXPECT_EQ(d["current_path"].toString(), a);
    EXPECT_EQ(recent_items(d), (QStringList{a + " 60003", c + " 60002", b + " 60001", "- 60000",
                                            QString::fromUtf8("終了 40001")}));
}

TEST(RecentFiles, AnEntryThatCannotBeOpenedLeavesTheListAndTheOthersKeepTheirOrder) {
    QTemporaryDir dir;
    const QString a = write_project(dir, "a"), b = write_project(dir, "b"), c = write_project(dir, "c");
    // Opened in one run, the list comes back in the next, where b's file is gone.
    run_in(dir, open_project(a) + open_project(b) + open_project(c) + "exit\n");
    ASSERT_TRUE(QFile::remove(b));
    const ScenarioRun run =
        run_in(dir, open_project(c) + "answer box IDOK\nmenu " + std::to_string(ID_FILE_RECENT_FIRST + 1) +
                        "\ndump\n"
                        "exit\n");
    const QJsonObject d = run.dumps[0];
    EXPECT_EQ(last_box(d)["text"].toString(), QString::fromUtf8("指定のﾌｧｲﾙを開けません."));
    EXPECT_EQ(d["current_path"].toString(), c) << "the open project stays";
    EXPECT_EQ(recent_items(d),
              (QStringList{c + " 60002", a + " 60001", "- 60000", QString::fromUtf8("終了 40001")}));
    EXPECT_EQ(d["recent"].toObject()["count"].toInt(), 3);
    EXPECT_EQ(d["recent"].toObject()["next_id"].toInt(), 60003);
    const QByteArray cfg = configuration(dir);
    EXPECT_EQ(cfg.mid(116, 512).split('\0')[0], a.toUtf8());
    EXPECT_EQ(cfg.mid(116 + 512, 512).split('\0')[0], c.toUtf8());
    EXPECT_EQ(cfg.mid(116 + 1024, 3 * 512), QByteArray(3 * 512, '\0'));
}

// ---- the drawing environment dialog ----------------------------------------------------------

// The texts of the fields of the open dialog, by control id.
QJsonObject fields(const QJsonObject& d) {
    QJsonObject out;
    for (const auto& c : d["dialog"].toObject()["controls"].toArray()) {
        const QJsonObject o = c.toObject();
        out[QString::number(o["id"].toInt())] = o;
    }
    return out;
}

TEST(DrawingEnvironmentDialog, TheDialogShowsTheWordsOfTheLoadedImage) {
    const ScenarioRun run =
        run_scenario(new_project(testdata("tim/pal8_640_256_clut80_480.tim")) +
                     "menu ID_EDIT_DRAWING_ENVIRONMENT\non dialog IDD_DRAWING_ENVIRONMENT\n  dump\n"
                     "  click IDCANCEL\nend\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.dumps[0];
    EXPECT_EQ(d["dialog"].toObject()["window"].toObject()["title"].toString(),
              QString::fromUtf8("描画環境設定"));
    const QJsonObject f = fields(d);
    EXPECT_EQ(f[id_key(IDC_PLACEMENT_X)].toObject()["text"].toString(), QStringLiteral("640"));
    EXPECT_EQ(f[id_key(IDC_PLACEMENT_Y)].toObject()["text"].toString(), QStringLiteral("256"));
    EXPECT_EQ(f[id_key(IDC_CLUT_X)].toObject()["text"].toString(), QStringLiteral("80"));
    EXPECT_EQ(f[id_key(IDC_CLUT_Y)].toObject()["text"].toString(), QStringLiteral("480"));
    EXPECT_EQ(f[id_key(IDC_COLOR_MODE)].toObject()["text"].toString(), QStringLiteral("8bitCLUT"));
    const QJsonObject combo = f[id_key(IDC_SEMI_TRANSPARENCY)].toObject();
    EXPECT_EQ(strings(combo["items"].toArray()),
              (QStringList{QString::fromUtf8("半透明"), QString::fromUtf8("ﾋﾟｸｾﾙ加算"),
                           QString::fromUtf8("ﾋﾟｸｾﾙ減算"), QString::fromUtf8("25%ﾋﾟｸｾﾙ加算")}));
    EXPECT_EQ(combo["selection"].toInt(), 0);
    QStringList ranges;
    for (const auto& u : d["up_downs"].toArray()) {
        const QJsonObject o = u.toObject();
        ranges << QString("%1:%2..%3@%4")
                      .arg(o["id"].toInt())
                      .arg(o["lower"].toInt())
                      .arg(o["upper"].toInt())
                      .arg(o["pos"].toInt());
    }
    ranges.sort();
    EXPECT_EQ(
        ranges,
        (QStringList{id_key(IDC_CLUT_X_SPIN) + ":0..63@5", id_key(IDC_CLUT_Y_SPIN) + ":0..511@480",
                     id_key(IDC_PLACEMENT_X_SPIN) + ":0..15@10", id_key(IDC_PLACEMENT_Y_SPIN) + ":0..1@1"}));
}

TEST(DrawingEnvironmentDialog, OkStoresTheChosenValuesAndTheNextSaveCarriesThem) {
    QTemporaryDir dir;
    const ScenarioRun run = run_in(
        dir, new_project(testdata("bmpsuite/g/pal8.bmp")) +
                 "menu ID_EDIT_DRAWING_ENVIRONMENT\non dialog IDD_DRAWING_ENVIRONMENT\n"
                 "  updown IDC_PLACEMENT_X_SPIN 2\n  updown IDC_CLUT_X_SPIN 3\n  updown IDC_CLUT_Y_SPIN 2\n"
                 "  select IDC_SEMI_TRANSPARENCY 2\n  dump\n  click IDOK\nend\ndump\n"
                 "menu ID_EDIT_ADD_PATTERN\non dialog IDD_ADD_PATTERN\n  click IDOK\nend\n" +
                 save_as(dir.filePath("env")));
    const QJsonObject f = fields(run.dumps[0]);
    EXPECT_EQ(f[id_key(IDC_PLACEMENT_X)].toObject()["text"].toString(), QStringLiteral("128"));
    EXPECT_EQ(f[id_key(IDC_PLACEMENT_Y)].toObject()["text"].toString(), QStringLiteral("0"));
    EXPECT_EQ(f[id_key(IDC_CLUT_X)].toObject()["text"].toString(), QStringLiteral("48"));
    EXPECT_EQ(f[id_key(IDC_CLUT_Y)].toObject()["text"].toString(), QStringLiteral("2"));
    EXPECT_EQ(tables(run.dumps[0])["tpage"].toInt(), 0x80) << "nothing changes before OK";
    const QJsonObject d = run.dumps[1];
    EXPECT_EQ(tables(d)["tpage"].toInt(), 0xC2);
    EXPECT_EQ(tables(d)["clut_attribute"].toInt(), 3 | (2 << 6));
    const QByteArray spa = read_bytes(dir.filePath("env.spa"));
    ASSERT_EQ(spa.size(), 36);
    EXPECT_EQ(u32(spa, 0), 0xC2u);
    EXPECT_EQ(u16(spa, 24 + 6), 3 | (2 << 6));
}

TEST(DrawingEnvironmentDialog, CancelLeavesBothWordsAsTheyWere) {
    const ScenarioRun run = run_scenario(
        new_project(testdata("tim/pal8_640_256_clut80_480.tim")) +
        "menu ID_EDIT_DRAWING_ENVIRONMENT\non dialog IDD_DRAWING_ENVIRONMENT\n"
        "  updown IDC_PLACEMENT_X_SPIN 0\n  updown IDC_CLUT_Y_SPIN 0\n  select IDC_SEMI_TRANSPARENCY 3\n"
        "  click IDCANCEL\nend\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(tables(run.last())["tpage"].toInt(), 0x9A);
    EXPECT_EQ(tables(run.last())["clut_attribute"].toInt(), 0x7805);
}

}  // namespace
