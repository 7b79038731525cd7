// Cut, copy and paste as a user meets them: what may be copied and cut, a pasted pattern
// or frame coming back whole, the base frame growing for a wide frame, paste without a
// pattern, blocks pasted again and again, and the refusals: blocks no editor writes, the
// limits of 12 patterns and 20 frames, a clipboard another window holds.
#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clipboard_support.h"
#include "harness.h"
#include "playback_support.h"

using file_test::tables;
using namespace clipboard_test;
using namespace playback_test;

namespace {

QJsonArray frame_row(const QJsonObject& d, int p) {
    return tables(d)["frames"].toArray()[p].toArray();
}
QJsonArray frame_labels(const QJsonObject& d, int p) {
    return tables(d)["frame_labels"].toArray()[p].toArray();
}
QString pattern_label(const QJsonObject& d, int p) {
    return tables(d)["pattern_labels"].toArray()[p].toString();
}
QJsonObject clipboard(const QJsonObject& d) {
    return d["clipboard"].toObject();
}
QJsonObject combo(const QJsonObject& d, int id) {
    return d["combos"].toObject()[id_key(id)].toObject();
}

void expect_box(const QJsonValue& box, const char* text, const char* caption, int style) {
    const QJsonObject b = box.toObject();
    EXPECT_EQ(b["text"].toString(), QString::fromUtf8(text));
    EXPECT_EQ(b["caption"].toString(), QString::fromUtf8(caption));
    EXPECT_EQ(b["style"].toInt(), style);
    EXPECT_EQ(b["owner"].toString(), QStringLiteral("main"));
}

constexpr int kInformation = 0x40;  // MB_ICONINFORMATION
constexpr int kError = 0x10;        // MB_ICONERROR

// A "CLIP_PATTERN" block as another editor writes one: `frames` frames of 8 x 8 with
// correction (f, f), the pattern labelled "ext", its base 8 x 8 at 1x, stopped.
QByteArray pattern_block(int frames) {
    QByteArray b(908, '\0');
    b[4] = static_cast<char>(frames);
    b[16] = 8;  // base_w
    b[18] = 8;  // base_h
    b[30] = 1;  // zoom_factor
    b[32] = static_cast<char>(IDC_PLAY_STOP & 0xFF);
    b[33] = static_cast<char>(IDC_PLAY_STOP >> 8);
    for (int f = 0; f < frames; ++f) {
        b[36 + 12 * f] = static_cast<char>(f);
        b[36 + 12 * f + 1] = static_cast<char>(f);
        b[36 + 12 * f + 8] = 8;
        b[36 + 12 * f + 10] = 8;
        b.replace(306 + 30 * f, 4, QByteArray("ex") + QByteArray::number(f).rightJustified(2, '0'));
    }
    b.replace(276, 3, "ext");
    return b;
}

std::string put(const char* name, const QByteArray& bytes) {
    return std::string("clipboard put ") + name + " " + bytes.toHex().toStdString() + "\n";
}

}  // namespace

TEST(Copy, TheRootIsRefusedAndTheClipboardKeepsWhatItHeld) {
    const ScenarioRun run = run_scenario(project(1) + "tree select pattern 0\nmenu ID_EDIT_COPY\ndump\n" +
                                         "tree select root\nanswer box IDOK\nmenu ID_EDIT_COPY\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    const QJsonObject copied = clipboard(run.dumps[0]);
    EXPECT_EQ(copied["CLIP_PATTERN"].toString().size(), 2 * 908);
    EXPECT_EQ(clipboard(run.dumps[1]), copied);
    const QJsonArray b = boxes_after_new(run.last());
    ASSERT_EQ(b.size(), 1);
    expect_box(b[0], "この項目はｺﾋﾟｰできません.", "ｺﾋﾟｰ", kInformation);
}

TEST(Cut, TheProjectTheOnlyPatternAndTheOnlyFrameAreRefusedAndNothingChanges) {
    const ScenarioRun run =
        run_scenario(project(1) +
                     "dump\nanswer box IDOK\nanswer box IDOK\nanswer box IDOK\n"
                     "tree select pattern 0\nmenu ID_EDIT_CUT\ntree select frame 0 0\nmenu ID_EDIT_CUT\n"
                     "tree select root\nmenu ID_EDIT_CUT\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    const QJsonArray b = boxes_after_new(run.last());
    ASSERT_EQ(b.size(), 3);
    expect_box(b[0], "これ以上ﾊﾟﾀｰﾝを切り取れません.", "切り取り", kInformation);
    expect_box(b[1], "これ以上ﾌﾚｰﾑを切り取れません.", "切り取り", kInformation);
    expect_box(b[2], "この項目は切り取れません.", "切り取り", kInformation);
    EXPECT_EQ(tables(run.last()), tables(run.dumps[0]));
    EXPECT_EQ(pattern_items(run.last()), QStringList{"A"});
    EXPECT_EQ(frame_items(run.last(), 0), QStringList{"frame_00"});
    EXPECT_TRUE(clipboard(run.last())["formats"].toArray().isEmpty());
}

TEST(Cut, CopiesThenDeletesAfterAskingAndACancelledDeleteKeepsBoth) {
    const ScenarioRun run = run_scenario(
        "resize main 900 1000\n" + new_project() + pattern_of("A", {"a0", "a1"}) + pattern_of("B", {"b0"}) +
        "tree select frame 0 1\nanswer box IDCANCEL\nmenu ID_EDIT_CUT\ndump\n"
        "tree select pattern 1\nanswer box IDOK\nmenu ID_EDIT_CUT\ndump\n"
        "menu ID_EDIT_PASTE\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 3u);
    // Cancelled: the frame is still there, and on the clipboard as well.
    EXPECT_EQ(frame_count_of(run.dumps[0], 0), 2);
    EXPECT_FALSE(clipboard(run.dumps[0])["CLIP_FRAME"].isNull());
    const QJsonArray asked = boxes_after_new(run.dumps[0]);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0].toObject()["caption"].toString(), QString::fromUtf8("ﾌﾚｰﾑの削除"));
    // Confirmed: pattern B went, onto the clipboard, and a paste brings it back.
    EXPECT_EQ(pattern_count_of(run.dumps[1]), 1);
    EXPECT_FALSE(clipboard(run.dumps[1])["CLIP_PATTERN"].isNull());
    EXPECT_TRUE(clipboard(run.dumps[1])["CLIP_FRAME"].isNull());
    EXPECT_EQ(pattern_items(run.last()), (QStringList{"A", "B"}));
    EXPECT_EQ(frame_items(run.last(), 1), QStringList{"b0"});
}

TEST(Cut, DeletesNothingItDidNotCopy) {
    // Enter on the selected frame 1 opens its pattern's window again, which makes the pattern
    // current and so moves the panel's frame combo to frame 0, while the tree still selects
    // frame 1: the selection is not the current frame, so nothing is copied and nothing may
    // be deleted.
    const ScenarioRun run = run_scenario(project(2) +
                                         "tree select frame 0 1\nkey return\ndump\n"
                                         "answer box IDOK\nmenu ID_EDIT_CUT\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps[0]["combos"].toObject()[id_key(IDC_FRAME)].toObject()["selection"].toInt(), 0);
    const QJsonArray frames = root(run.dumps[0])["children"].toArray()[0].toObject()["children"].toArray();
    ASSERT_TRUE(frames[1].toObject()["selected"].toBool());
    EXPECT_EQ(frame_count_of(run.last(), 0), 2);
    EXPECT_TRUE(boxes_after_new(run.last()).isEmpty()) << "not even the delete question";
    EXPECT_TRUE(clipboard(run.last())["formats"].toArray().isEmpty());
}

TEST(Paste, ACopiedPatternComesBackAsTheLastPatternWithItsFramesViewAndMode) {
    QTemporaryDir dir;
    const ScenarioRun run =
        run_in(dir, walk() +
                        "tree select pattern 0\nclick IDC_PLAY_FORWARD\nmenu ID_EDIT_COPY\n"
                        "click IDC_PLAY_STOP\nmenu ID_EDIT_PASTE\n"
                        "tick 2\nsnapshot pattern 1 pasted.png\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    ASSERT_EQ(pattern_count_of(d), 2);
    EXPECT_EQ(pattern_label(d, 1), QStringLiteral("walk"));
    EXPECT_EQ(frame_count_of(d, 1), 3);
    EXPECT_EQ(frame_labels(d, 1), frame_labels(d, 0));
    EXPECT_EQ(strings(frame_labels(d, 1)).mid(0, 3), (QStringList{"stand", "ｼﾞｬﾝﾌﾟ", "land"}));
    EXPECT_EQ(frame_row(d, 1), frame_row(d, 0));
    EXPECT_EQ(frame_row(d, 1)[1].toArray()[2].toInt(), 7) << "the timing came along";
    const QJsonObject copied = settings(d, 0), pasted = settings(d, 1);
    EXPECT_EQ(pasted["base_w"].toInt(), 48);
    EXPECT_EQ(pasted["base_h"].toInt(), 32);
    EXPECT_EQ(pasted["zoom_shift"].toInt(), 2);
    EXPECT_EQ(pasted["zoom_factor"].toInt(), 4);
    EXPECT_EQ(pasted["play_mode"].toInt(), IDC_PLAY_FORWARD) << "the mode it was copied in";
    EXPECT_EQ(copied["play_mode"].toInt(), IDC_PLAY_STOP);
    // Tree, combos and window show the new last pattern, current, with its frames.
    EXPECT_EQ(pattern_items(d), (QStringList{"walk", "walk"}));
    EXPECT_EQ(frame_items(d, 1), (QStringList{"stand", "ｼﾞｬﾝﾌﾟ", "land"}));
    EXPECT_EQ(combo(d, IDC_PATTERN)["selection"].toInt(), 1);
    EXPECT_EQ(d["pattern_windows"].toArray()[1].toObject()["title"].toString(), QStringLiteral("walk"));
    // The panel shows the current frame (the last one) as it was pasted, not empty.
    EXPECT_EQ(combo(d, IDC_FRAME)["selection"].toInt(), 2);
    EXPECT_EQ(field(d, IDC_IMAGE_W), QStringLiteral("48"));
    EXPECT_EQ(field(d, IDC_BASE_H), QStringLiteral("32"));
    // Its window draws the three frames at 4x, the first on top: frame 0's green where frame
    // 1 (moved 4 pixels right) has red, frame 1's blue and frame 2's blue where nothing
    // covers them.
    const Shot s = shot(dir, QStringLiteral("pasted.png"), 48, 32, 4);
    ASSERT_FALSE(s.image.isNull());
    EXPECT_EQ(s.base(8, 8), kGreen);
    EXPECT_EQ(s.base(28, 24), kBlue);
    EXPECT_EQ(s.base(40, 8), kBlue);
}

TEST(Paste, AWideFrameGrowsTheBaseFrameOfThePatternItJoins) {
    const ScenarioRun run = run_scenario(
        "resize main 900 1000\n" + new_project() + pattern_of("A", {"wide"}) + pattern_of("B", {"b0"}) +
        frame_set(0, 0, 0, 0, 64, 16) + frame_set(1, 0, 0, 0, 32, 32) +
        "tree select frame 0 0\nmenu ID_EDIT_COPY\ntree select pattern 1\ndump\nmenu ID_EDIT_PASTE\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_EQ(settings(run.dumps[0], 1)["base_w"].toInt(), 32);
    const QJsonObject d = run.last();
    EXPECT_EQ(frame_count_of(d, 1), 2);
    EXPECT_EQ(frame_items(d, 1), (QStringList{"b0", "wide"}));
    EXPECT_EQ(frame_row(d, 1)[1], frame_row(d, 0)[0]);
    EXPECT_EQ(settings(d, 1)["base_w"].toInt(), 64);
    EXPECT_EQ(settings(d, 1)["base_h"].toInt(), 32) << "the height held the frame already";
    // The pasted frame is selected and shown, like a frame the add-frame command makes.
    EXPECT_EQ(selected_item(d), QStringLiteral("frame 1 1"));
    EXPECT_EQ(field(d, IDC_IMAGE_W), QStringLiteral("64"));
    EXPECT_EQ(field(d, IDC_BASE_W), QStringLiteral("64"));
    EXPECT_EQ(pattern_count_of(d), 2);
    EXPECT_EQ(frame_count_of(d, 0), 1);
}

TEST(Paste, AFrameWithNoPatternAsksTheAddFrameQuestionAndWritesNothing) {
    const ScenarioRun run = run_scenario(project(1) + cell(0, 0, 2, 1) +
                                         "tree select frame 0 0\nmenu ID_EDIT_COPY\n"
                                         "answer box IDNO\n" +
                                         new_project() + "answer box IDNO\nmenu ID_EDIT_PASTE\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    EXPECT_EQ(pattern_count_of(d), 0);
    for (const auto& row : tables(d)["frames"].toArray())
        for (const auto& r : row.toArray()) EXPECT_EQ(r.toArray(), (QJsonArray{0, 0, 0, 0, 0, 0, 0, 0}));
    const QJsonObject question = boxes_after_new(d).last().toObject();
    EXPECT_EQ(question["caption"].toString(), QString::fromUtf8("ﾊﾟﾀｰﾝ追加"));
    EXPECT_EQ(question["style"].toInt(), 4);  // MB_YESNO
    EXPECT_FALSE(clipboard(d)["CLIP_FRAME"].isNull()) << "the block stays for a later paste";
}

TEST(Paste, TheSameBlockPastesAgainAndAgain) {
    const ScenarioRun run = run_scenario(
        project(2) + cell(0, 1, 3, 0) +
        "tree select pattern 0\nmenu ID_EDIT_COPY\nmenu ID_EDIT_PASTE\nmenu ID_EDIT_PASTE\ndump\n"
        "tree select frame 0 1\nmenu ID_EDIT_COPY\nmenu ID_EDIT_PASTE\nmenu ID_EDIT_PASTE\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    const QJsonObject patterns = run.dumps[0];
    EXPECT_EQ(pattern_items(patterns), (QStringList{"A", "A", "A"}));
    EXPECT_EQ(frame_row(patterns, 2), frame_row(patterns, 0));
    EXPECT_EQ(frame_row(patterns, 1), frame_row(patterns, 0));
    const QJsonObject frames = run.last();
    EXPECT_EQ(frame_count_of(frames, 0), 4);
    EXPECT_EQ(frame_row(frames, 0)[2], frame_row(frames, 0)[1]);
    EXPECT_EQ(frame_row(frames, 0)[3], frame_row(frames, 0)[1]);
}

TEST(Paste, BlocksNoEditorWritesAreIgnoredAndAnotherEditorsBlockIsTaken) {
    QByteArray ok = pattern_block(2);
    ok[36 + 12 * 5 + 2] = 9;  // a timing in a record beyond the two frames
    QByteArray over = pattern_block(2);
    over[4] = 21;
    const ScenarioRun run = run_scenario(
        project(1) + put("CLIP_PATTERN", ok.left(907)) + "menu ID_EDIT_PASTE\ndump\n" +
        put("CLIP_PATTERN", over) + "menu ID_EDIT_PASTE\ndump\n" + put("CLIP_FRAME", QByteArray(41, 'x')) +
        "menu ID_EDIT_PASTE\ndump\n" + put("clip_pattern", ok) + "menu ID_EDIT_PASTE\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(tables(run.dumps[i]), tables(run.dumps[0])) << i;
        EXPECT_EQ(pattern_count_of(run.dumps[i]), 1) << i;
        EXPECT_EQ(frame_count_of(run.dumps[i], 0), 1) << i;
        EXPECT_TRUE(boxes_after_new(run.dumps[i]).isEmpty()) << i;
    }
    // A whole block, under the name spelt its own way, is pasted.
    const QJsonObject d = run.last();
    ASSERT_EQ(pattern_count_of(d), 2);
    EXPECT_EQ(pattern_label(d, 1), QStringLiteral("ext"));
    EXPECT_EQ(frame_items(d, 1), (QStringList{"ex00", "ex01"}));
    EXPECT_EQ(frame_row(d, 1)[1].toArray(), (QJsonArray{1, 1, 0, 0, 0, 0, 8, 8}));
    EXPECT_EQ(settings(d, 1)["base_w"].toInt(), 8);
    EXPECT_EQ(frame_row(d, 1)[5].toArray(), (QJsonArray{0, 0, 0, 0, 0, 0, 0, 0})) << "free entries stay zero";
}

TEST(Paste, PastesBeyondTwelvePatternsOrTwentyFramesAreRefusedBeforeAnythingChanges) {
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) names.push_back("p" + std::to_string(i));
    const ScenarioRun twelve = run_scenario(
        patterns(names) +
        "tree select pattern 0\nmenu ID_EDIT_COPY\ndump\nanswer box IDOK\nmenu ID_EDIT_PASTE\ndump\n");
    ASSERT_EQ(twelve.exit_code, 0) << twelve.errors.toStdString();
    ASSERT_EQ(twelve.dumps.size(), 2u);
    EXPECT_EQ(tables(twelve.last()), tables(twelve.dumps[0]));
    EXPECT_EQ(pattern_items(twelve.last()).size(), 12);
    ASSERT_EQ(boxes_after_new(twelve.last()).size(), 1);
    expect_box(boxes_after_new(twelve.last())[0], "これ以上ﾊﾟﾀｰﾝを貼り付けられません.\nﾊﾟﾀｰﾝは12個までです.",
               "貼り付け", kInformation);

    const ScenarioRun twenty = run_scenario(project(20) + "tree select frame 0 3\nmenu ID_EDIT_COPY\ndump\n" +
                                            "answer box IDOK\nmenu ID_EDIT_PASTE\ndump\n");
    ASSERT_EQ(twenty.exit_code, 0) << twenty.errors.toStdString();
    ASSERT_EQ(twenty.dumps.size(), 2u);
    EXPECT_EQ(tables(twenty.last()), tables(twenty.dumps[0]));
    EXPECT_EQ(frame_items(twenty.last(), 0).size(), 20);
    ASSERT_EQ(boxes_after_new(twenty.last()).size(), 1);
    expect_box(boxes_after_new(twenty.last())[0],
               "これ以上ﾌﾚｰﾑを貼り付けられません.\nﾌﾚｰﾑは1ﾊﾟﾀｰﾝにつき20個までです.", "貼り付け",
               kInformation);
    EXPECT_EQ(selected_item(twenty.last()), QStringLiteral("frame 0 3"));
}

TEST(AddFrame, ARefusedTwentyFirstFrameKeepsTheTreeSelection) {
    const ScenarioRun run =
        run_scenario(project(20) + "tree select frame 0 5\nanswer box IDOK\nmenu ID_EDIT_ADD_FRAME\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    EXPECT_EQ(frame_count_of(d, 0), 20);
    EXPECT_EQ(selected_item(d), QStringLiteral("frame 0 5"));
    EXPECT_EQ(combo(d, IDC_FRAME)["selection"].toInt(), 5);
}

TEST(Clipboard, WhileAnotherWindowHoldsItTheCommandsSaySoAndCutDeletesNothing) {
    const ScenarioRun run = run_scenario(
        project(2) +
        "clipboard hold\ntree select frame 0 1\nanswer box IDOK\nanswer box IDOK\nanswer box IDOK\n"
        "menu ID_EDIT_CUT\nmenu ID_EDIT_COPY\nmenu ID_EDIT_PASTE\ndump\n"
        "clipboard release\nmenu ID_EDIT_COPY\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    const QJsonObject held = run.dumps[0];
    EXPECT_EQ(frame_count_of(held, 0), 2);
    EXPECT_TRUE(clipboard(held)["formats"].toArray().isEmpty());
    const QJsonArray b = boxes_after_new(held);
    ASSERT_EQ(b.size(), 3) << "no delete question after a failed copy";
    const char* busy = "ｸﾘｯﾌﾟﾎﾞｰﾄﾞを開けませんでした.\nｸﾘｯﾌﾟﾎﾞｰﾄﾞが使用中です.";
    expect_box(b[0], busy, "切り取り", kError);
    expect_box(b[1], busy, "ｺﾋﾟｰ", kError);
    expect_box(b[2], busy, "貼り付け", kError);
    EXPECT_EQ(clipboard(run.last())["CLIP_FRAME"].toString().size(), 2 * 42);
}
