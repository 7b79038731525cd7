// Project files as a user saves and opens them: the bytes of both files, opening a
// project or a data file on its own, the overwrite question, the save prompt at
// exit and before a dropped file, refused files, and saves that fail.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "harness.h"
#include "test_file_support.h"

using namespace file_test;

namespace {

const QString kSaveCaption = QString::fromUtf8("ﾌｧｲﾙの保存");
const QString kOpenCaption = QString::fromUtf8("ﾌｧｲﾙを開く");
const QString kCannotOpen = QString::fromUtf8("指定のﾌｧｲﾙを開けません.");
constexpr int kIconError = 0x10;

QString pal8() {
    return testdata("bmpsuite/g/pal8.bmp");
}

// A project pair in dir: pattern "run" with `frames0` frames and pattern "stand" with `frames1`.
QString write_pair(const QTemporaryDir& dir, const QString& name, uint32_t frames0, uint32_t frames1,
                   uint32_t speed = 3) {
    QString cwp = dir.filePath(name + ".cwp");
    std::vector<std::string> run = {"run"}, stand = {"stand"};
    for (uint32_t f = 0; f < frames0; ++f) run.push_back("r" + std::to_string(f));
    for (uint32_t f = 0; f < frames1; ++f) stand.push_back("s" + std::to_string(f));
    EXPECT_TRUE(write_file(cwp, project_file(pal8(), name.toStdString(), {run, stand})));
    EXPECT_TRUE(write_file(dir.filePath(name + ".spa"),
                           data_file(0x1A2, speed, {{frames0, 40, 30}, {frames1, 17, 9}}, 0x0123)));
    return cwp;
}

// Every text field of a project file holds nothing but zeros after its NUL.
bool zero_after_every_nul(const QByteArray& cwp) {
    std::vector<std::pair<int, int>> fields = {{0, 512}, {512, 30}};
    for (int i = 0; i < 12 + 240; ++i) fields.push_back({542 + 30 * i, 30});
    for (const auto& [at, size] : fields) {
        const QByteArray field = cwp.mid(at, size);
        const qsizetype nul = field.indexOf('\0');
        if (nul < 0 || field.mid(nul) != QByteArray(size - nul, '\0')) return false;
    }
    return true;
}

// A folder that refuses new files whoever runs the test: read-only for an ordinary user, and
// immutable as well (chattr +i) for root, whom permissions do not stop. Given back as it was
// when the object goes.
class RefusingFolder {
  public:
    explicit RefusingFolder(const QString& path) : path_(path) {
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner);
        if (!refuses())
            immutable_ = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path_}) == 0;
    }
    ~RefusingFolder() {
        if (immutable_) QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), path_});
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    RefusingFolder(const RefusingFolder&) = delete;
    RefusingFolder& operator=(const RefusingFolder&) = delete;
    // Whether a new file really cannot be made in it.
    bool refuses() const {
        QFile probe(QDir(path_).filePath(QStringLiteral("probe")));
        if (!probe.open(QIODevice::WriteOnly)) return true;
        probe.close();
        probe.remove();
        return false;
    }

  private:
    QString path_;
    bool immutable_ = false;
};

QJsonArray frame(const QJsonObject& d, int p, int f) {
    return tables(d)["frames"].toArray()[p].toArray()[f].toArray();
}
QJsonObject entry(const QJsonObject& d, int p) {
    return tables(d)["entries"].toArray()[p].toObject();
}
int slider(const QJsonObject& d) {
    for (const auto& c : d["panel_controls"].toArray())
        if (c.toObject()["id"].toInt() == IDC_SPEED) return c.toObject()["position"].toInt();
    return -1;
}
// What a project shows of what its files carry: the tables the files hold, the base
// sizes, and the labels in the tree and the pattern combo box. (Selections, view state
// and window handles start over when a project is opened.)
QJsonObject shown(const QJsonObject& d) {
    const QJsonObject t = tables(d);
    QJsonObject out;
    for (const char* key : {"image_path", "project_name", "pattern_labels", "frame_labels", "tpage", "speed",
                            "pattern_count", "entries", "frames", "clut_attribute"})
        out[key] = t[key];
    QJsonArray bases;
    for (int p = 0; p < t["pattern_count"].toInt(); ++p) {
        const QJsonObject s = t["settings"].toArray()[p].toObject();
        bases.append(QJsonArray{s["base_w"], s["base_h"]});
    }
    out["bases"] = bases;
    QJsonArray tree;
    for (int p = 0; p < t["pattern_count"].toInt(); ++p)
        tree.append(QJsonArray::fromStringList(QStringList{pattern_items(d)[p]} + frame_items(d, p)));
    out["tree"] = tree;
    out["pattern_combo"] = d["combos"].toObject()[id_key(IDC_PATTERN)].toObject()["items"];
    return out;
}

// ---- saving ---------------------------------------------------------------------------

TEST(SaveProject, BothFilesHoldTheTablesWithComputedOffsetsAndTheCurrentClut) {
    QTemporaryDir dir;
    const ScenarioRun run = run_in(dir, made_project() + save_as(dir.filePath("anim")) + "dump\n");
    const QJsonObject d = run.last();
    EXPECT_EQ(d["current_path"].toString(), dir.filePath("anim.cwp"));  // the default extension
    EXPECT_EQ(recent(d), QStringList{dir.filePath("anim.cwp")}) << "a file saved as is a recent file";
    const QByteArray cwp = read_bytes(dir.filePath("anim.cwp")), spa = read_bytes(dir.filePath("anim.spa"));
    ASSERT_EQ(cwp.size(), 8102);
    EXPECT_EQ(cwp.mid(0, 512).split('\0')[0], testdata("tim/pal8_640_256_clut80_480.tim").toUtf8());
    EXPECT_EQ(cwp.mid(512, 30).split('\0')[0], QByteArray::fromHex("90568B4BB1C6D2B0BCAEDD"));  // CP932
    EXPECT_EQ(cwp.mid(542, 30).split('\0')[0], "walk");
    EXPECT_EQ(cwp.mid(572, 30).split('\0')[0], "idle");
    EXPECT_EQ(cwp.mid(902 + 60, 30).split('\0')[0], "frame_02");
    ASSERT_EQ(spa.size(), 12 + 24 + 4 * 12);
    EXPECT_EQ(u32(spa, 0), 0x9Au);
    EXPECT_EQ(u32(spa, 8), 2u);
    EXPECT_EQ(u32(spa, 12), 36u);
    EXPECT_EQ(u32(spa, 16), 3u);
    EXPECT_EQ(u16(spa, 20), 90);
    EXPECT_EQ(u16(spa, 22), 64) << "the base frame kept what the larger first setting gave it";
    EXPECT_EQ(u32(spa, 24), 72u);
    EXPECT_EQ(u16(spa, 32), 64);
    EXPECT_EQ(u16(spa, 34), 32);
    for (int r = 0; r < 4; ++r) EXPECT_EQ(u16(spa, 36 + 12 * r + 6), 0x7805) << "record " << r;
    EXPECT_EQ(static_cast<uint8_t>(spa[36 + 12 * 2]), 5);      // frame 2's correction x
    EXPECT_EQ(static_cast<uint8_t>(spa[36 + 12 * 2 + 1]), 6);  // and y
    EXPECT_EQ(static_cast<uint8_t>(spa[36 + 12 * 2 + 4]), 8);  // its image x
    EXPECT_EQ(static_cast<uint8_t>(spa[36 + 12 * 2 + 5]), 9);  // and y
    EXPECT_EQ(u16(spa, 36 + 12 * 3 + 8), 40);                  // pattern 1's frame: image width
    // The tables hold what the files hold.
    EXPECT_EQ(entry(d, 1)["offset"].toInt(), 72);
    EXPECT_EQ(frame(d, 0, 1)[5].toInt(), 0x7805);
}

TEST(SaveProject, APatternWithoutFramesSavesSeventyTwoBytesWithOffsets36And72) {
    QTemporaryDir dir;
    const QString cwp = write_pair(dir, "pair", 3, 0);
    run_in(dir, open_project(cwp) + save_as(dir.filePath("out.cwp")) + "dump\n");
    const QByteArray spa = read_bytes(dir.filePath("out.spa"));
    ASSERT_EQ(spa.size(), 72);
    EXPECT_EQ(u32(spa, 8), 2u);
    EXPECT_EQ(u32(spa, 12), 36u);
    EXPECT_EQ(u32(spa, 16), 3u);
    EXPECT_EQ(u32(spa, 24), 72u);
    EXPECT_EQ(u32(spa, 28), 0u);
    EXPECT_EQ(u16(spa, 32), 17);  // its base size survives
    EXPECT_EQ(spa.mid(36), read_bytes(dir.filePath("pair.spa")).mid(36)) << "the same records, the same clut";
}

TEST(SaveProject, ANameWithoutTheProjectExtensionWritesTheDataFileAloneUnderThatName) {
    QTemporaryDir dir;
    const ScenarioRun run = run_in(dir, made_project() + save_as(dir.filePath("anim.dat")) + "dump\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"anim.dat"});
    EXPECT_EQ(read_bytes(dir.filePath("anim.dat")).size(), 84);
    EXPECT_EQ(run.last()["current_path"].toString(), dir.filePath("anim.dat"));
}

TEST(SaveProject, AProjectFileInAFolderNamedLikeOnePairsWithTheDataFileBeforeIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("x.cwp"));
    const QString path = dir.filePath("x.cwp/y.cwp");
    const ScenarioRun run =
        run_in(dir, made_project() + save_as(path) + new_project(pal8()) + open_project(path) + "dump\n");
    EXPECT_EQ(read_bytes(path).size(), 8102);
    EXPECT_EQ(read_bytes(dir.filePath("x.spa")).size(), 84);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("x.cwp/y.spa")));
    // Opened again, the project reads its data from x.spa.
    const QJsonObject d = run.last();
    EXPECT_EQ(d["current_path"].toString(), path);
    EXPECT_EQ(pattern_items(d), (QStringList{"walk", "idle"}));
    EXPECT_EQ(frame(d, 0, 2)[0].toInt(), 5);
}

TEST(SaveProject, NoToTheOverwriteQuestionChangesNothing) {
    QTemporaryDir dir;
    const QString cwp = write_pair(dir, "old", 2, 1);
    const QByteArray before_cwp = read_bytes(cwp), before_spa = read_bytes(dir.filePath("old.spa"));
    const ScenarioRun run = run_in(dir, made_project() + "answer box IDNO\n" + save_as(cwp) + "dump\n");
    const QJsonObject d = run.last();
    EXPECT_EQ(last_box(d)["text"].toString(),
              cwp + QString::fromUtf8("\nに上書き保存します.\nよろしいですか？"));
    EXPECT_EQ(last_box(d)["caption"].toString(), kSaveCaption);
    EXPECT_EQ(last_box(d)["style"].toInt(), 0x40 | 0x04);
    EXPECT_EQ(read_bytes(cwp), before_cwp);
    EXPECT_EQ(read_bytes(dir.filePath("old.spa")), before_spa);
    EXPECT_EQ(d["current_path"].toString(), QString::fromUtf8("新規ｱﾆﾒｰｼｮﾝ.cwp"));
}

TEST(SaveProject, SavingTheSameProjectTwiceWritesTheSameBytes) {
    QTemporaryDir dir;
    const QString a = dir.filePath("a.cwp"), b = dir.filePath("b.cwp");
    // Saved, then Save (the file exists: the overwrite question), then saved under another name.
    run_in(dir,
           made_project() + save_as(a) + "answer box IDYES\nmenu ID_FILE_SAVE\n" + save_as(b) + "dump\n");
    EXPECT_EQ(read_bytes(a), read_bytes(b));
    EXPECT_EQ(read_bytes(dir.filePath("a.spa")), read_bytes(dir.filePath("b.spa")));
    // Bytes after each text's NUL are zero: nothing of an earlier buffer reaches the file.
    EXPECT_TRUE(zero_after_every_nul(read_bytes(a)));
}

TEST(SaveProject, AnImageChosenAfterAFailedOneLeavesNoStrayBytesInTheProjectFile) {
    QTemporaryDir dir;
    const QString broken = dir.filePath("broken.bmp");
    ASSERT_TRUE(write_file(broken, QByteArray("BM not a bitmap")));
    run_in(dir, "answer box IDOK\nanswer open " + quoted(broken) + "\nanswer box IDOK\nanswer open " +
                    quoted(pal8()) + "\nmenu ID_FILE_NEW\n" + save_as(dir.filePath("a.cwp")) + "dump\n");
    const QByteArray cwp = read_bytes(dir.filePath("a.cwp"));
    ASSERT_EQ(cwp.size(), 8102);
    EXPECT_EQ(cwp.mid(0, 512).split('\0')[0], pal8().toUtf8());
    EXPECT_TRUE(zero_after_every_nul(cwp));
}

TEST(SaveProject, AFailedSaveLeavesThePreviousFilesByteForByteAndSaysSo) {
    QTemporaryDir dir;
    const QString cwp = write_pair(dir, "keep", 2, 1);
    const QByteArray before_cwp = read_bytes(cwp), before_spa = read_bytes(dir.filePath("keep.spa"));
    // The disk fills up while the data file is written, or right at the start.
    for (const char* room : {"8110", "0"}) {
        SCOPED_TRACE(room);
        const ScenarioRun run =
            run_in(dir, made_project() + "diskfull " + room + "\nanswer box IDYES\nanswer box IDOK\n" +
                            save_as(cwp) + "diskfull off\ndump\n");
        const QJsonObject d = run.last();
        const QString failed = std::string(room) == "0" ? cwp : dir.filePath("keep.spa");
        EXPECT_EQ(last_box(d)["text"].toString(),
                  failed + QString::fromUtf8("\nに保存できませんでした.\n保存先のﾌｧｲﾙは変更されていません."));
        EXPECT_EQ(last_box(d)["caption"].toString(), kSaveCaption);
        EXPECT_EQ(last_box(d)["style"].toInt(), kIconError);
        EXPECT_EQ(read_bytes(cwp), before_cwp);
        EXPECT_EQ(read_bytes(dir.filePath("keep.spa")), before_spa);
        EXPECT_EQ(d["current_path"].toString(), QString::fromUtf8("新規ｱﾆﾒｰｼｮﾝ.cwp"));
    }
    // A data file name taken by a folder: the project file written first comes back.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.spa"));
    const QString folder_cwp = dir.filePath("folder.cwp");
    ASSERT_TRUE(write_file(folder_cwp, before_cwp));
    const ScenarioRun run =
        run_in(dir, made_project() + "answer box IDYES\nanswer box IDOK\n" + save_as(folder_cwp) + "dump\n");
    EXPECT_EQ(last_box(run.last())["style"].toInt(), kIconError);
    EXPECT_EQ(read_bytes(folder_cwp), before_cwp);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"folder.cwp", "folder.spa", "keep.cwp", "keep.spa"}))
        << "no temporary file stays behind";
}

TEST(SaveProject, AFolderThatRefusesNewFilesLeavesThePreviousFiles) {
    QTemporaryDir dir;
    const QString cwp = write_pair(dir, "ro", 2, 1);
    const QByteArray before_cwp = read_bytes(cwp), before_spa = read_bytes(dir.filePath("ro.spa"));
    ScenarioRun run;
    {
        const RefusingFolder folder(dir.path());
        if (!folder.refuses()) {
            const char* why =
                "this user may write into read-only folders, and chattr +i (e2fsprogs) could not "
                "make the folder immutable on this file system";
            if (qEnvironmentVariable("CI") == QStringLiteral("true")) FAIL() << why;
            GTEST_SKIP() << why;
        }
        run = run_scenario(made_project() + "answer box IDYES\nanswer box IDOK\n" + save_as(cwp) + "dump\n");
    }
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    // The project file, written first, is the one the folder refused.
    EXPECT_EQ(last_box(run.last())["text"].toString(),
              cwp + QString::fromUtf8("\nに保存できませんでした.\n保存先のﾌｧｲﾙは変更されていません."));
    EXPECT_EQ(last_box(run.last())["caption"].toString(), kSaveCaption);
    EXPECT_EQ(last_box(run.last())["style"].toInt(), kIconError);
    EXPECT_EQ(read_bytes(cwp), before_cwp);
    EXPECT_EQ(read_bytes(dir.filePath("ro.spa")), before_spa);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"ro.cwp", "ro.spa"}))
        << "nothing was left in the folder";
}

// ---- opening ----------------------------------------------------------------------------

TEST(OpenProject, PatternsFramesRecordsAndTheSpeedComeBackAsSaved) {
    QTemporaryDir dir;
    const QString cwp = write_pair(dir, "pair", 3, 2, 6);
    const ScenarioRun run = run_in(dir, open_project(cwp) + "dump\n" + new_project(pal8()) + "dump\n");
    const QJsonObject d = run.dumps[0];
    EXPECT_EQ(d["current_path"].toString(), cwp);
    EXPECT_EQ(root(d)["text"].toString(), QStringLiteral("pair"));
    EXPECT_EQ(pattern_items(d), (QStringList{"run", "stand"}));
    EXPECT_EQ(frame_items(d, 0), (QStringList{"r0", "r1", "r2"}));
    EXPECT_EQ(frame_items(d, 1), (QStringList{"s0", "s1"}));
    EXPECT_EQ(tables(d)["tpage"].toInt(), 0x1A2) << "the data file's tpage wins over the image's";
    EXPECT_EQ(tables(d)["speed"].toInt(), 6);
    EXPECT_EQ(slider(d), 6);
    EXPECT_EQ(tables(d)["clut_attribute"].toInt(), 0x0123);
    EXPECT_EQ(frame(d, 0, 2), (QJsonArray{2, 3, 102, 2, 2, 0x0123, 10, 4}));
    EXPECT_EQ(frame(d, 1, 1), (QJsonArray{11, 2, 101, 17, 1, 0x0123, 9, 5}));
    EXPECT_EQ(tables(d)["settings"].toArray()[0].toObject()["base_w"].toInt(), 40);
    EXPECT_EQ(tables(d)["settings"].toArray()[1].toObject()["base_h"].toInt(), 9);
    EXPECT_EQ(
        d["surfaces"].toObject()["patterns"].toArray()[0].toObject()["base"].toObject()["width"].toInt(), 40);
    EXPECT_EQ(d["menu_bar"].toObject()["resource"].toInt(), IDR_PATTERN_MENU);
    EXPECT_TRUE(d["panel_enabled"].toBool());
    EXPECT_EQ(recent(d), QStringList{cwp});
    // Frame 0 of pattern 0 is selected, and so current.
    EXPECT_EQ(d["combos"].toObject()[id_key(IDC_PATTERN)].toObject()["selection"].toInt(), 0);
    EXPECT_EQ(d["combos"].toObject()[id_key(IDC_FRAME)].toObject()["selection"].toInt(), 0);
    EXPECT_TRUE(boxes(d).isEmpty());
    // Closed by New, the project takes its speed with it: the slider shows the new one's.
    EXPECT_EQ(tables(run.dumps[1])["speed"].toInt(), 0);
    EXPECT_EQ(slider(run.dumps[1]), 0);
}

TEST(OpenProject, SavedClosedAndReopenedItShowsTheSameAndSavesTheSameBytes) {
    QTemporaryDir dir;
    const QString a = dir.filePath("a.cwp"), b = dir.filePath("b.cwp");
    const ScenarioRun run = run_in(dir, made_project() + save_as(a) + "dump\n" + new_project(pal8()) +
                                            open_project(a) + "dump\n" + save_as(b));
    ASSERT_EQ(run.dumps.size(), 2u);
    // Scroll and view state start over on opening; what the files carry is the same.
    EXPECT_EQ(shown(run.dumps[0])["tables"].toObject()["frames"],
              shown(run.dumps[1])["tables"].toObject()["frames"]);
    EXPECT_EQ(shown(run.dumps[0]), shown(run.dumps[1]));
    EXPECT_EQ(read_bytes(a), read_bytes(b));
    EXPECT_EQ(read_bytes(dir.filePath("a.spa")), read_bytes(dir.filePath("b.spa")));
}

TEST(OpenProject, TheCurrentPathOpenedAgainIsNotReloaded) {
    QTemporaryDir dir;
    const QString a = write_pair(dir, "a", 1, 1), b = write_pair(dir, "b", 2, 2);
    // Frame 1 of "stand" chosen: opening a project starts the selection over at frame 0 of the
    // first pattern, so a reload of the same files would show here.
    const ScenarioRun run = run_in(dir, "resize main 900 1000\n" + open_project(a) + open_project(b) +
                                            "tree select frame 1 1\ndump\n" + open_project(b) + "dump\n");
    ASSERT_EQ(run.dumps.size(), 2u) << run.errors.toStdString();
    QJsonObject first = run.dumps[0], second = run.dumps[1];
    const auto selection = [](const QJsonObject& d, int combo) {
        return d["combos"].toObject()[id_key(combo)].toObject()["selection"].toInt();
    };
    ASSERT_EQ(selection(first, IDC_PATTERN), 1);
    ASSERT_EQ(selection(first, IDC_FRAME), 1);
    EXPECT_EQ(selection(second, IDC_PATTERN), 1) << "the project was opened again";
    EXPECT_EQ(selection(second, IDC_FRAME), 1) << "the project was opened again";
    EXPECT_EQ(recent(second), (QStringList{a, b}));
    EXPECT_EQ(boxes(second).size(), boxes(first).size()) << "nothing is asked: nothing has changed";
    for (QJsonObject* d : {&first, &second}) {
        d->remove("message_boxes");
        d->remove("file_dialogs");
        d->remove("ticks");
    }
    EXPECT_EQ(first, second);
}

TEST(OpenProject, WrongOffsetFieldsLoadCorrectly) {
    QTemporaryDir dir;
    const QString cwp = dir.filePath("w.cwp");
    ASSERT_TRUE(write_file(cwp, project_file(pal8(), "w", {{"a", "a0"}, {"b", "b0", "b1"}})));
    ASSERT_TRUE(write_file(dir.filePath("w.spa"), data_file(0x80, 0, {{1, 5, 5, 9999}, {2, 5, 5, 3}}, 7)));
    const QJsonObject d = run_in(dir, open_project(cwp) + "dump\n").last();
    EXPECT_EQ(frame(d, 0, 0), (QJsonArray{0, 1, 100, 0, 0, 7, 8, 4}));
    EXPECT_EQ(frame(d, 1, 1), (QJsonArray{11, 2, 101, 17, 1, 7, 9, 5}));
}

TEST(OpenProject, TheDataFileCountsDecideWhichPatternsAndFramesExist) {
    QTemporaryDir dir;
    const QString cwp = dir.filePath("d.cwp");
    // Three patterns named, two in the data file; pattern 0 has two frame labels and three frames.
    ASSERT_TRUE(
        write_file(cwp, project_file(pal8(), "d", {{"A", "a0", "a1"}, {"B", "b0", "b1"}, {"C", "c0"}})));
    ASSERT_TRUE(write_file(dir.filePath("d.spa"), data_file(0x80, 0, {{3, 4, 4}, {1, 4, 4}})));
    const QJsonObject d = run_in(dir, open_project(cwp) + "dump\n").last();
    EXPECT_EQ(pattern_items(d), (QStringList{"A", "B"}));
    EXPECT_EQ(frame_items(d, 0), (QStringList{"a0", "a1", "frame_02"}));
    EXPECT_EQ(frame_items(d, 1), QStringList{"b0"});
    EXPECT_EQ(strings(d["combos"].toObject()[id_key(IDC_PATTERN)].toObject()["items"].toArray()),
              (QStringList{"A", "B"}));
    EXPECT_EQ(strings(d["combos"].toObject()[id_key(IDC_FRAME)].toObject()["items"].toArray()),
              (QStringList{"a0", "a1", "frame_02"}));
    EXPECT_EQ(tables(d)["pattern_count"].toInt(), 2);
    EXPECT_EQ(tables(d)["open_pattern_windows"].toInt(), 2);
    EXPECT_EQ(strings(tables(d)["pattern_labels"].toArray()).mid(0, 3), (QStringList{"A", "B", ""}));
    EXPECT_EQ(strings(tables(d)["frame_labels"].toArray()[1].toArray()).mid(0, 2), (QStringList{"b0", ""}));
    EXPECT_EQ(frame(d, 0, 2)[0].toInt(), 2);
}

TEST(OpenProject, ADataFileOnItsOwnIsNamedAfterItselfAndAsksForTheImage) {
    QTemporaryDir dir;
    const QString spa = dir.filePath("walk.spa");
    ASSERT_TRUE(write_file(spa, data_file(0x80, 2, {{2, 8, 8}, {1, 8, 8}}, 0x40)));
    // The data file is chosen first, then the image it asks for.
    const ScenarioRun run =
        run_in(dir, "answer open " + quoted(spa) + "\nanswer box IDOK\nanswer open " + quoted(pal8()) +
                        "\nmenu ID_FILE_OPEN\ndump\nanswer box IDYES\nmenu ID_FILE_SAVE\ndump\n");
    const QJsonObject d = run.dumps[0];
    ASSERT_GE(boxes(d).size(), 1);
    EXPECT_EQ(boxes(d)[0].toObject()["text"].toString(),
              QString::fromUtf8("ｱﾆﾒｰｼｮﾝに使用するｲﾒｰｼﾞﾌｧｲﾙを選択してください.\n"));
    EXPECT_EQ(boxes(d)[0].toObject()["caption"].toString(), QString::fromUtf8(".SPAﾌｧｲﾙを開く"));
    EXPECT_EQ(boxes(d)[0].toObject()["style"].toInt(), 0x40);
    const QJsonArray dialogs = d["file_dialogs"].toArray();
    ASSERT_EQ(dialogs.size(), 2);
    EXPECT_EQ(dialogs[1].toObject()["default_ext"].toString(), QStringLiteral("bmp"));
    EXPECT_EQ(root(d)["text"].toString(), QStringLiteral("walk"));
    EXPECT_EQ(pattern_items(d), (QStringList{"pattern_00", "pattern_01"}));
    EXPECT_EQ(frame_items(d, 0), (QStringList{"frame_00", "frame_01"}));
    EXPECT_EQ(d["current_path"].toString(), spa);
    EXPECT_EQ(tables(d)["image_path"].toString(), pal8());
    // Save goes to the data file alone, after the overwrite question.
    const QJsonObject saved = run.dumps[1];
    EXPECT_EQ(last_box(saved)["text"].toString(),
              spa + QString::fromUtf8("\nに上書き保存します.\nよろしいですか？"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"walk.spa"});
    EXPECT_EQ(read_bytes(spa), data_file(0x80, 2, {{2, 8, 8}, {1, 8, 8}}, 0x40));
}

TEST(OpenProject, CancellingTheImageOfADataFileLeavesNoProjectOpen) {
    QTemporaryDir dir;
    const QString spa = dir.filePath("walk.spa");
    ASSERT_TRUE(write_file(spa, data_file(0x80, 2, {{2, 8, 8}})));
    const QJsonObject d = run_in(dir, made_project() + "answer box IDNO\nanswer open " + quoted(spa) +
                                          "\nanswer box IDOK\nanswer open cancel\nmenu ID_FILE_OPEN\ndump\n")
                              .last();
    EXPECT_TRUE(no_project_open(d));
    EXPECT_EQ(root(d)["text"].toString(), QString());
    EXPECT_TRUE(d["surfaces"].toObject()["image"].toObject()["working"].toObject().isEmpty());
    EXPECT_TRUE(recent(d).isEmpty());
}

TEST(OpenProject, FilesThatCannotBeReadOrDoNotFitAreRefusedAndTheOpenProjectStays) {
    QTemporaryDir dir;
    const QString good = write_pair(dir, "good", 1, 1);
    QByteArray no_nul = project_file(pal8(), "n", {{"a", "a0"}});
    no_nul.replace(542, 30, QByteArray(30, 'x'));
    struct Case {
        QString path;
        QByteArray cwp, spa;  // written unless empty
        QString text;         // after the path and a line break; empty: the cannot-open text alone
    };
    const QByteArray any_cwp = project_file(pal8(), "c", {{"a", "a0"}});
    const Case cases[] = {
        {dir.filePath("nodata.cwp"), any_cwp, {}, {}},
        {dir.filePath("short.cwp"), any_cwp, data_file(0, 0, {{1}, {1}}).left(30),
         QString::fromUtf8(
             "ｱﾆﾒｰｼｮﾝﾃﾞｰﾀﾌｧｲﾙが短すぎます.\nﾊﾟﾀｰﾝ情報までに36ﾊﾞｲﾄ必要ですが30ﾊﾞｲﾄしかありません.")},
        {dir.filePath("many.cwp"), any_cwp, data_file(0, 0, std::vector<DataPattern>(13, DataPattern{0})),
         QString::fromUtf8("ｱﾆﾒｰｼｮﾝﾃﾞｰﾀﾌｧｲﾙのﾊﾟﾀｰﾝ数(13)が12を超えています.")},
        {dir.filePath("frames.cwp"), any_cwp, data_file(0, 0, {{1}, {21}}),
         QString::fromUtf8("ｱﾆﾒｰｼｮﾝﾃﾞｰﾀﾌｧｲﾙのﾊﾟﾀｰﾝ1のﾌﾚｰﾑ数(21)が20を超えています.")},
        {dir.filePath("nonul.cwp"), no_nul, data_file(0, 0, {{1}}),
         QString::fromUtf8("ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙが壊れています.\nﾊﾟﾀｰﾝ0のﾗﾍﾞﾙに終端がありません.")},
        {dir.filePath("notes.txt"),
         QByteArray("text"),
         {},
         QString::fromUtf8("ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙ(*.cwp)でもｱﾆﾒｰｼｮﾝﾃﾞｰﾀﾌｧｲﾙ(*.spa)でもありません.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        if (!c.cwp.isEmpty()) {
            ASSERT_TRUE(write_file(c.path, c.cwp));
        }
        QString spa_path = c.path;
        spa_path.replace(".cwp", ".spa");
        if (!c.spa.isEmpty()) {
            ASSERT_TRUE(write_file(spa_path, c.spa));
        }
        const QJsonObject d =
            run_in(dir, open_project(good) + "answer box IDOK\ndrop " + quoted(c.path) + "\ndump\n").last();
        const QString refused = c.path.endsWith(".cwp") && c.cwp != no_nul ? spa_path : c.path;
        EXPECT_EQ(last_box(d)["text"].toString(), c.text.isEmpty() ? kCannotOpen : refused + "\n" + c.text);
        EXPECT_EQ(last_box(d)["caption"].toString(), kOpenCaption);
        EXPECT_EQ(last_box(d)["style"].toInt(), kIconError);
        EXPECT_EQ(d["current_path"].toString(), good);
        EXPECT_EQ(pattern_items(d), (QStringList{"run", "stand"}));
        EXPECT_EQ(tables(d)["pattern_count"].toInt(), 2);
    }
}

// ---- the save prompt where a project is replaced or left ------------------------------------

TEST(SavePrompt, ADroppedFileAsksBeforeTheOpenProjectIsReplaced) {
    QTemporaryDir dir;
    const QString a = write_pair(dir, "a", 1, 1), b = write_pair(dir, "b", 2, 1);
    const QJsonObject d = run_in(dir, open_project(a) + "menu ID_EDIT_ADD_FRAME\nanswer box IDNO\ndrop " +
                                          quoted(b) + "\ndump\n")
                              .last();
    ASSERT_EQ(boxes(d).size(), 1);
    EXPECT_EQ(boxes(d)[0].toObject()["text"].toString(),
              QString::fromUtf8("編集中のﾌﾟﾛｼﾞｪｸﾄを保存しますか？\n"));
    EXPECT_EQ(boxes(d)[0].toObject()["caption"].toString(), QString::fromUtf8("ﾌﾟﾛｼﾞｪｸﾄを開く"));
    EXPECT_EQ(d["current_path"].toString(), b);
}

TEST(SavePrompt, LeavingWithAProjectAsksAndACancelledSaveKeepsTheProgramOpen) {
    QTemporaryDir dir;
    // Yes, then the save dialog cancelled: the program stays, with its project.
    ScenarioRun run = run_in(dir, made_project() + "answer box IDYES\nanswer save cancel\nexit\ndump\n");
    QJsonObject d = run.last();
    EXPECT_TRUE(d["exit"].toObject()["asked"].toBool());
    EXPECT_FALSE(d["exit"].toObject()["ended"].toBool());
    EXPECT_FALSE(d["quit"].toBool());
    EXPECT_EQ(tables(d)["pattern_count"].toInt(), 2);
    EXPECT_EQ(last_box(d)["text"].toString(), QString::fromUtf8("編集中のﾌﾟﾛｼﾞｪｸﾄを保存しますか？\n"));
    // Leaving has its own question, with Cancel: one stray key cannot lose the work.
    EXPECT_EQ(last_box(d)["caption"].toString(), QString::fromUtf8("終了"));
    EXPECT_EQ(last_box(d)["style"].toInt() & 0xF, 3) << "MB_YESNOCANCEL";
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("Celwin.cfg")));
    // The same through the menu's Exit, then No: the program ends without saving.
    run = run_in(dir, made_project() + "answer box IDYES\nanswer save cancel\nmenu ID_FILE_EXIT\ndump\n" +
                          "answer box IDNO\nexit\ndump\n");
    EXPECT_FALSE(run.dumps[0]["quit"].toBool());
    d = run.last();
    EXPECT_TRUE(d["exit"].toObject()["ended"].toBool());
    EXPECT_EQ(d["exit"].toObject()["exit_code"].toInt(), 0);
    EXPECT_TRUE(d["quit"].toBool());
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("Celwin.cfg")));
    // Yes and a name: saved, then ended.
    run = run_in(dir, made_project() + "answer box IDYES\nanswer save " + quoted(dir.filePath("last")) +
                          "\nexit\ndump\n");
    EXPECT_TRUE(run.last()["exit"].toObject()["ended"].toBool());
    EXPECT_EQ(read_bytes(dir.filePath("last.spa")).size(), 84);
}

TEST(SavePrompt, WithoutAProjectNothingIsAskedOnTheWayOut) {
    QTemporaryDir dir;
    const QJsonObject d = run_in(dir, "exit\ndump\n").last();
    EXPECT_TRUE(d["exit"].toObject()["ended"].toBool());
    EXPECT_TRUE(boxes(d).isEmpty());
}

}  // namespace

TEST(FileDialogs, TheRealOpenAndSaveDialogsTakeTheNameTheUserTypes) {
    QTemporaryDir dir;
    // No answers queued: the file dialogs come up as a user meets them, and the name is typed
    // into their name field. The save dialog adds the default extension to a bare name.
    auto in_dialog = [](const std::string& kind, const QString& name, const std::string& button) {
        return "on " + kind + "\n  field \"ファイル名\" " + quoted(name) + "\n  button \"" + button +
               "\"\nend\n";
    };
    const ScenarioRun run = run_in(
        dir, "answer box IDOK\n" + in_dialog("open", pal8(), "開く(O)") + "menu ID_FILE_NEW\n" +
                 in_dialog("save", dir.filePath("typed"), "保存(S)") + "menu ID_FILE_SAVE_AS\ndump\n" +
                 in_dialog("open", dir.filePath("typed.cwp"), "開く(O)") + "menu ID_FILE_OPEN\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(read_bytes(dir.filePath("typed.cwp")).size(), 8102);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath("typed.spa")));
    EXPECT_EQ(read_bytes(dir.filePath("typed.cwp")).mid(0, 512).split('\0')[0], pal8().toUtf8());
    const QJsonArray dialogs = run.last()["file_dialogs"].toArray();
    ASSERT_EQ(dialogs.size(), 3);
    EXPECT_EQ(dialogs[1].toObject()["result"].toString(), dir.filePath("typed.cwp"));
    EXPECT_EQ(dialogs[2].toObject()["result"].toString(), dir.filePath("typed.cwp"));
    EXPECT_EQ(run.last()["current_path"].toString(), dir.filePath("typed.cwp"));
}
