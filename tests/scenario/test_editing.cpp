// Adding, deleting and renaming patterns and frames, as the Edit menu and its
// dialogs do them, with every view kept showing the same labels.
#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace {

QJsonObject combo(const QJsonObject& d, int id) {
    return d["combos"].toObject()[id_key(id)].toObject();
}
QJsonObject tables(const QJsonObject& d) {
    return d["tables"].toObject();
}
QStringList frame_labels(const QJsonObject& d, int p, int n) {
    return strings(tables(d)["frame_labels"].toArray()[p].toArray()).mid(0, n);
}
QJsonObject window(const QJsonObject& d, int p) {
    return d["pattern_windows"].toArray()[p].toObject();
}

}  // namespace

TEST(AddPatternDialog, ProposesTheNextPatternNameAndOneFrame) {
    const ScenarioRun run = run_scenario(
        patterns({"A", "B", "C"}) +
        "menu ID_EDIT_ADD_PATTERN\non dialog IDD_ADD_PATTERN\n  dump\n  click IDOK\nend\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    ASSERT_EQ(pattern_count_of(d), 4);
    EXPECT_EQ(pattern_items(d)[3], QStringLiteral("pattern_03"));
    EXPECT_EQ(frame_items(d, 3), QStringList{"frame_00"});
    EXPECT_EQ(frame_count_of(d, 3), 1);
    // The new pattern and its frame are current; its window is open and titled.
    EXPECT_EQ(combo(d, IDC_PATTERN)["selection"].toInt(), 3);
    EXPECT_EQ(strings(combo(d, IDC_FRAME)["items"].toArray()), QStringList{"frame_00"});
    EXPECT_EQ(combo(d, IDC_FRAME)["selection"].toInt(), 0);
    EXPECT_EQ(window(d, 3)["title"].toString(), QStringLiteral("pattern_03"));
    EXPECT_EQ(window(d, 3)["settings"].toObject()["base_w"].toInt(), 1);
}

TEST(AddPatternDialog, ChangeRebuildKeepsRenamedFramesAndStopsAt20) {
    const ScenarioRun run =
        run_scenario(new_project() +
                     "menu ID_EDIT_ADD_PATTERN\n"
                     "on dialog IDD_ADD_PATTERN\n"
                     "  updown IDC_FRAME_COUNT_SPIN 3\n  click IDC_FRAME_COUNT_APPLY\n"
                     "  listedit 1 \"walk\"\n"
                     "  updown IDC_FRAME_COUNT_SPIN 2\n  click IDC_FRAME_COUNT_APPLY\n"
                     "  click IDOK\n"
                     "end\ndump\n"
                     "menu ID_EDIT_ADD_PATTERN\n"
                     "on dialog IDD_ADD_PATTERN\n"
                     "  updown IDC_FRAME_COUNT_SPIN 25\n  click IDC_FRAME_COUNT_APPLY\n  click IDOK\n"
                     "end\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_EQ(frame_items(run.dumps[0], 0), (QStringList{"frame_00", "walk"}));
    EXPECT_EQ(frame_labels(run.dumps[0], 0, 3), (QStringList{"frame_00", "walk", ""}));
    // The arrows go no further than 20 frames, the most a pattern holds.
    EXPECT_EQ(frame_count_of(run.dumps[1], 1), 20);
    EXPECT_EQ(frame_labels(run.dumps[1], 1, 20).last(), QStringLiteral("frame_19"));
}

TEST(AddPatternDialog, CancelCreatesNothing) {
    const ScenarioRun run = run_scenario(
        new_project() + "menu ID_EDIT_ADD_PATTERN\non dialog IDD_ADD_PATTERN\n  click IDCANCEL\nend\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(pattern_count_of(run.last()), 0);
    EXPECT_TRUE(pattern_items(run.last()).isEmpty());
}

TEST(PatternLimit, ThirteenthPatternIsRefusedBeforeAnythingIsWritten) {
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) names.push_back("p" + std::to_string(i));
    std::string s = patterns(names);
    s += "caption pattern 0 close\n";  // 11 windows: the menu item is enabled again
    s += "answer box IDOK\nmenu ID_EDIT_ADD_PATTERN\non dialog IDD_ADD_PATTERN\n  click IDOK\n  dump\n  "
         "click IDCANCEL\nend\ndump\n";
    const ScenarioRun run = run_scenario(s);
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_TRUE(run.dumps[0].contains("dialog"));  // OK was refused; the dialog stayed open
    const QJsonObject d = run.last();
    EXPECT_EQ(pattern_count_of(d), 12);
    EXPECT_EQ(pattern_items(d).size(), 12);
    EXPECT_EQ(strings(combo(d, IDC_PATTERN)["items"].toArray()).size(), 12);
    ASSERT_EQ(boxes_after_new(d).size(), 1);
    EXPECT_EQ(boxes_after_new(d)[0].toObject()["caption"].toString(), QString::fromUtf8("ﾊﾟﾀｰﾝ追加"));
    EXPECT_EQ(boxes_after_new(d)[0].toObject()["style"].toInt(), 0x40);  // MB_ICONINFORMATION
    // The last pattern's frames are untouched by the refused dialog.
    EXPECT_EQ(frame_count_of(d, 11), 1);
}

TEST(FrameLimit, TwentyFirstFrameIsRefused) {
    std::string s = patterns({"A"});
    for (int i = 1; i < 21; ++i) s += "menu ID_EDIT_ADD_FRAME\n";
    const ScenarioRun run = run_scenario("answer box IDOK\n" + s + "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    EXPECT_EQ(frame_count_of(d, 0), 20);
    EXPECT_EQ(frame_items(d, 0).size(), 20);
    EXPECT_EQ(frame_labels(d, 1, 1), QStringList{""});  // the next row is untouched
    ASSERT_EQ(boxes_after_new(d).size(), 1);
    EXPECT_EQ(boxes_after_new(d)[0].toObject()["caption"].toString(), QString::fromUtf8("ﾌﾚｰﾑ追加"));
}

TEST(AddFrame, WithoutCurrentPatternOffersTheAddPatternDialog) {
    const ScenarioRun run = run_scenario(
        new_project() +
        "answer box IDNO\nmenu ID_EDIT_ADD_FRAME\ndump\n"
        "answer box IDYES\nmenu ID_EDIT_ADD_FRAME\non dialog IDD_ADD_PATTERN\n  click IDOK\nend\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_EQ(pattern_count_of(run.dumps[0]), 0);
    const QJsonObject box = boxes_after_new(run.dumps[0])[0].toObject();
    EXPECT_EQ(box["caption"].toString(), QString::fromUtf8("ﾊﾟﾀｰﾝ追加"));
    EXPECT_EQ(box["style"].toInt(), 4);  // MB_YESNO
    EXPECT_EQ(pattern_count_of(run.dumps[1]), 1);
    EXPECT_EQ(frame_count_of(run.dumps[1], 0), 1);  // only the dialog's frame
}

TEST(AddFrame, AppendsToTheCurrentPatternAndSelectsIt) {
    const ScenarioRun run =
        run_scenario(patterns({"A", "B"}) + "tree select pattern 0\nmenu ID_EDIT_ADD_FRAME\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    const QString added = QString::fromUtf8("新規ﾌﾚｰﾑ");
    EXPECT_EQ(frame_items(d, 0), (QStringList{"frame_00", added}));
    EXPECT_EQ(frame_items(d, 1), QStringList{"frame_00"});
    EXPECT_EQ(strings(combo(d, IDC_FRAME)["items"].toArray()), (QStringList{"frame_00", added}));
    EXPECT_EQ(combo(d, IDC_FRAME)["selection"].toInt(), 1);
    EXPECT_EQ(selected_text(d["tree"].toArray()), added);
}

TEST(DeletePattern, FollowingPatternMovesDownWithEverythingItOwns) {
    const ScenarioRun run =
        run_scenario(patterns({"A", "B", "C"}) +
                     "menu ID_EDIT_ADD_FRAME\n"  // C: two frames
                     // and a base size of its own, from a frame set of 30 x 20
                     "tree select frame 2 0\nmouse image down 96 104\n"
                     "mouse image move 125 123\nmouse image up 125 123\nmenu image ID_FRAME_SET\n"
                     "on menu\n  choose ID_ZOOM_4X4\nend\nrclick pattern 2 5 5\n"  // C at 4x4
                     "tree select pattern 1\n"
                     "answer box IDOK\nmenu ID_EDIT_DELETE\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    EXPECT_EQ(pattern_count_of(d), 2);
    EXPECT_EQ(pattern_items(d), (QStringList{"A", "C"}));
    EXPECT_EQ(strings(combo(d, IDC_PATTERN)["items"].toArray()), (QStringList{"A", "C"}));
    EXPECT_EQ(strings(tables(d)["pattern_labels"].toArray()).mid(0, 3), (QStringList{"A", "C", ""}));
    EXPECT_EQ(frame_count_of(d, 1), 2);
    EXPECT_EQ(frame_items(d, 1).size(), 2);
    const QJsonObject moved = window(d, 1);
    EXPECT_TRUE(moved["open"].toBool());
    EXPECT_EQ(moved["title"].toString(), QStringLiteral("C"));
    EXPECT_EQ(moved["settings"].toObject()["base_w"].toInt(), 30);
    EXPECT_EQ(moved["settings"].toObject()["zoom_shift"].toInt(), 2);
    // Slot 2 is empty again.
    EXPECT_FALSE(window(d, 2)["open"].toBool());
    EXPECT_EQ(window(d, 2)["settings"].toObject()["zoom_factor"].toInt(), 1);
    EXPECT_EQ(window(d, 2)["settings"].toObject()["base_w"].toInt(), 1);
    EXPECT_EQ(tables(d)["settings"].toArray()[2].toObject()["play_mode"].toInt(), IDC_PLAY_STOP);
    EXPECT_EQ(frame_count_of(d, 2), 0);
    // The moved pattern's first frame is selected and current.
    EXPECT_EQ(selected_text(d["tree"].toArray()), QStringLiteral("frame_00"));
    EXPECT_EQ(combo(d, IDC_PATTERN)["selection"].toInt(), 1);
    EXPECT_EQ(strings(combo(d, IDC_FRAME)["items"].toArray()).size(), 2);
    EXPECT_EQ(tables(d)["open_pattern_windows"].toInt(), 2);
    const QJsonObject box = boxes_after_new(d)[0].toObject();
    EXPECT_EQ(box["text"].toString(),
              QString::fromUtf8("<B>\nこのパターンを削除すると\n以降のフレームも削除することになります.\n"
                                "削除してもいいですか？\n"));
    EXPECT_EQ(box["style"].toInt(), 1);  // MB_OKCANCEL
}

TEST(DeletePattern, LastIndexLeavesThePreviousPatternCurrentAndConsistent) {
    const ScenarioRun run = run_scenario(patterns({"A", "B"}) +
                                         "menu ID_EDIT_ADD_FRAME\ntree select pattern 1\n"
                                         "answer box IDOK\nmenu ID_EDIT_DELETE\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    EXPECT_EQ(pattern_items(d), QStringList{"A"});
    EXPECT_EQ(combo(d, IDC_PATTERN)["selection"].toInt(), 0);
    EXPECT_EQ(strings(combo(d, IDC_FRAME)["items"].toArray()), QStringList{"frame_00"});
}

TEST(DeletePattern, CancelAndTheLastPatternKeepEverything) {
    const ScenarioRun run =
        run_scenario(patterns({"A", "B"}) +
                     "tree select pattern 0\n"
                     "answer box IDCANCEL\nmenu ID_EDIT_DELETE\ndump\n"
                     "answer box IDOK\nmenu ID_EDIT_DELETE\n"
                     "tree select pattern 0\nanswer box IDOK\nmenu ID_EDIT_DELETE\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(pattern_items(run.dumps[0]), (QStringList{"A", "B"}));
    const QJsonObject d = run.dumps[1];
    EXPECT_EQ(pattern_items(d), QStringList{"B"});
    EXPECT_EQ(pattern_count_of(d), 1);
    const QJsonArray b = boxes_after_new(d);
    ASSERT_EQ(b.size(), 3);
    EXPECT_EQ(b[2].toObject()["text"].toString(), QString::fromUtf8("これ以上ﾊﾟﾀｰﾝを削除できません."));
    EXPECT_EQ(b[2].toObject()["style"].toInt(), 0x40);
}

TEST(DeleteFrame, FollowingFramesShiftDownAndTheLastSlotIsZeroed) {
    std::string s = patterns({"A"}) + "menu ID_EDIT_ADD_FRAME\nmenu ID_EDIT_ADD_FRAME\n";
    s += rename_item("frame 0 1", "one") + rename_item("frame 0 2", "two");
    s += frame_set(0, 0, 0, 0, 10, 10) + frame_set(0, 1, 1, 1, 11, 11) + frame_set(0, 2, 2, 2, 12, 12);
    s += "tree select frame 0 0\nanswer box IDOK\nmenu ID_EDIT_DELETE\ndump\n";
    const ScenarioRun run = run_scenario(s);
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    EXPECT_EQ(frame_count_of(d, 0), 2);
    EXPECT_EQ(frame_items(d, 0), (QStringList{"one", "two"}));
    EXPECT_EQ(strings(combo(d, IDC_FRAME)["items"].toArray()), (QStringList{"one", "two"}));
    EXPECT_EQ(frame_labels(d, 0, 3), (QStringList{"one", "two", ""}));
    const QJsonArray records = tables(d)["frames"].toArray()[0].toArray();
    EXPECT_EQ(records[0].toArray()[6].toInt(), 11);
    EXPECT_EQ(records[0].toArray()[3].toInt(), 1) << "the whole record moved, its image x too";
    EXPECT_EQ(records[1].toArray()[6].toInt(), 12);
    EXPECT_EQ(records[1].toArray()[4].toInt(), 2);
    for (const auto& v : records[2].toArray()) EXPECT_EQ(v.toInt(), 0);
    EXPECT_EQ(boxes_after_new(d)[0].toObject()["text"].toString(),
              QString::fromUtf8("<frame_00>\nこのフレームを削除してもいいですか？\n"));
}

TEST(DeleteFrame, LastFrameCannotBeDeleted) {
    const ScenarioRun run =
        run_scenario(patterns({"A"}) + "tree select frame 0 0\nanswer box IDOK\nmenu ID_EDIT_DELETE\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    EXPECT_EQ(frame_count_of(d, 0), 1);
    ASSERT_EQ(boxes_after_new(d).size(), 1);
    EXPECT_EQ(boxes_after_new(d)[0].toObject()["text"].toString(),
              QString::fromUtf8("これ以上ﾌﾚｰﾑを削除できません."));
    EXPECT_EQ(boxes_after_new(d)[0].toObject()["caption"].toString(), QString::fromUtf8("ﾌﾚｰﾑの削除"));
}

TEST(EditLabel, RenamingUpdatesEveryView) {
    const ScenarioRun run =
        run_scenario(patterns({"A", "B"}) + rename_item("root", "ｱﾆﾒ") + rename_item("pattern 0", "歩く") +
                     rename_item("frame 0 0", "step") + "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    EXPECT_EQ(root(d)["text"].toString(), QString::fromUtf8("ｱﾆﾒ"));
    EXPECT_EQ(tables(d)["project_name"].toString(), QString::fromUtf8("ｱﾆﾒ"));
    EXPECT_EQ(pattern_items(d)[0], QString::fromUtf8("歩く"));
    EXPECT_EQ(strings(combo(d, IDC_PATTERN)["items"].toArray()),
              (QStringList{QString::fromUtf8("歩く"), "B"}));
    EXPECT_EQ(window(d, 0)["title"].toString(), QString::fromUtf8("歩く"));
    EXPECT_EQ(tables(d)["pattern_labels"].toArray()[0].toString(), QString::fromUtf8("歩く"));
    EXPECT_EQ(frame_items(d, 0), QStringList{"step"});
    EXPECT_EQ(strings(combo(d, IDC_FRAME)["items"].toArray()), QStringList{"step"});
    EXPECT_EQ(frame_labels(d, 0, 1), QStringList{"step"});
    EXPECT_EQ(frame_items(d, 1), QStringList{"frame_00"});
}

TEST(EditLabel, LongLabelIsCutToTwentyNineBytesOnACharacterBoundary) {
    // 15 double-byte characters are 30 bytes: only 14 fit in the field.
    const ScenarioRun run =
        run_scenario(patterns({"A"}) + rename_item("pattern 0", "あいうえおかきくけこさしすせそ") +
                     "menu ID_EDIT_LABEL\non dialog IDD_LABEL_EDIT\n  click IDCANCEL\nend\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    const QString cut = QString::fromUtf8("あいうえおかきくけこさしすせ");
    EXPECT_EQ(tables(d)["pattern_labels"].toArray()[0].toString(), cut);
    EXPECT_EQ(pattern_items(d)[0], cut);
    EXPECT_EQ(window(d, 0)["title"].toString(), cut);
}
