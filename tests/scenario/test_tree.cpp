// The project tree as a user works with it: clicking items makes patterns and
// frames current, dragging reorders patterns and frames with everything they own.
#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace {

// Pattern 0 "A" with frames f0..f(n-1), each set to its own image width 10 + i.
std::string pattern_with_frames(int n) {
    std::string s = patterns({"A"});
    // The dialog gives the pattern its first frame; the rest come from add frame.
    for (int i = 1; i < n; ++i) s += "menu ID_EDIT_ADD_FRAME\n";
    for (int i = 0; i < n; ++i) {
        s += rename_item("frame 0 " + std::to_string(i), "f" + std::to_string(i));
        s += frame_set(0, i, 0, 0, 10 + i, 1);
    }
    return s;
}

QJsonObject pattern_node(const QJsonObject& d, int p) {
    return root(d)["children"].toArray()[p].toObject();
}
QStringList combo_items(const QJsonObject& d, int id) {
    return strings(d["combos"].toObject()[id_key(id)].toObject()["items"].toArray());
}
int combo_selection(const QJsonObject& d, int id) {
    return d["combos"].toObject()[id_key(id)].toObject()["selection"].toInt();
}
QStringList pattern_labels(const QJsonObject& d, int n) {
    return strings(d["tables"].toObject()["pattern_labels"].toArray()).mid(0, n);
}
QStringList window_titles(const QJsonObject& d, int n) {
    QStringList out;
    const QJsonArray w = d["pattern_windows"].toArray();
    for (int p = 0; p < n; ++p) out << w[p].toObject()["title"].toString();
    return out;
}
QString panel_field(const QJsonObject& d, int id) {
    for (const auto& v : d["panel_controls"].toArray())
        if (v.toObject()["id"].toInt() == id) return v.toObject()["text"].toString();
    return QStringLiteral("<none>");
}

void expect_order(const QJsonObject& d, const QStringList& order) {
    EXPECT_EQ(pattern_items(d), order);
    EXPECT_EQ(combo_items(d, IDC_PATTERN), order);
    EXPECT_EQ(pattern_labels(d, static_cast<int>(order.size())), order);
    EXPECT_EQ(window_titles(d, static_cast<int>(order.size())), order);
}

}  // namespace

TEST(TreeDrag, PatternEndsRightAfterThePatternItWasDroppedOn) {
    const std::string abcd = patterns({"A", "B", "C", "D"});
    {
        const ScenarioRun run = run_scenario(abcd + "tree drag pattern 0 to pattern 2\ndump\n");
        ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
        const QJsonObject d = run.last();
        expect_order(d, {"B", "C", "A", "D"});
        // The moved pattern is current and selected.
        EXPECT_EQ(combo_selection(d, IDC_PATTERN), 2);
        EXPECT_EQ(selected_text(d["tree"].toArray()), QStringLiteral("A"));
        EXPECT_EQ(d["cursor"].toInt(), IDC_DROP_ALLOWED);
    }
    {
        const ScenarioRun run = run_scenario(abcd + "tree drag pattern 3 to pattern 0\ndump\n");
        ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
        expect_order(run.last(), {"A", "D", "B", "C"});
    }
    {
        // B already stands right after A: nothing changes.
        const ScenarioRun run = run_scenario(abcd + "tree drag pattern 1 to pattern 0\ndump\n");
        ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
        expect_order(run.last(), {"A", "B", "C", "D"});
    }
}

TEST(TreeDrag, MovedPatternTakesItsFramesSettingsAndWindowAlong) {
    const ScenarioRun run =
        run_scenario(patterns({"A", "B", "C"}) +
                     "menu ID_EDIT_ADD_FRAME\n"  // C gets a second frame
                     // and a base size of its own, from a frame set of 30 x 20
                     "tree select frame 2 0\nmouse image down 96 104\n"
                     "mouse image move 125 123\nmouse image up 125 123\nmenu image ID_FRAME_SET\n"
                     "tree check frame 2 0 0\n"  // one frame hidden
                     "tree drag pattern 2 to pattern 0\n"
                     "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    expect_order(d, {"A", "C", "B"});
    EXPECT_EQ(frame_items(d, 1), (QStringList{"frame_00", QString::fromUtf8("新規ﾌﾚｰﾑ")}));
    const QJsonObject t = d["tables"].toObject();
    EXPECT_EQ(t["entries"].toArray()[1].toObject()["frame_count"].toInt(), 2);
    EXPECT_EQ(t["entries"].toArray()[2].toObject()["frame_count"].toInt(), 1);
    const QJsonObject moved = d["pattern_windows"].toArray()[1].toObject();
    EXPECT_EQ(moved["settings"].toObject()["base_w"].toInt(), 30);
    EXPECT_EQ(moved["settings"].toObject()["base_h"].toInt(), 20);
    EXPECT_EQ(d["pattern_windows"].toArray()[2].toObject()["settings"].toObject()["base_w"].toInt(), 1);
    // The frames come back as new, checked items.
    for (const auto& f : pattern_node(d, 1)["children"].toArray())
        EXPECT_TRUE(f.toObject()["checked"].toBool());
    // The frame combo lists the moved pattern's frames.
    EXPECT_EQ(combo_items(d, IDC_FRAME), frame_items(d, 1));
}

TEST(TreeDrag, FrameMovesWithItsRecordAndLabel) {
    const ScenarioRun run = run_scenario(pattern_with_frames(4) + "tree drag frame 0 0 to frame 0 2\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    const QStringList order{"f1", "f2", "f0", "f3"};
    EXPECT_EQ(frame_items(d, 0), order);
    EXPECT_EQ(combo_items(d, IDC_FRAME), order);
    EXPECT_EQ(combo_selection(d, IDC_FRAME), 2);
    const QJsonObject t = d["tables"].toObject();
    EXPECT_EQ(strings(t["frame_labels"].toArray()[0].toArray()).mid(0, 4), order);
    const QJsonArray records = t["frames"].toArray()[0].toArray();
    const int widths[] = {11, 12, 10, 13};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(records[i].toArray()[6].toInt(), widths[i]) << i;
    EXPECT_EQ(panel_field(d, IDC_IMAGE_W), QStringLiteral("10"));  // the dragged frame is shown
}

TEST(TreeDrag, ReleaseOnEmptySpaceDropsOnTheLastOutlinedTarget) {
    const ScenarioRun run = run_scenario(patterns({"A", "B", "C", "D"}) +
                                         "tree drag pattern 0 to pattern 2 release empty\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    expect_order(run.last(), {"B", "C", "A", "D"});
}

TEST(TreeDrag, ReleaseOutsideTheTreeEndsTheDragWithoutMoving) {
    // The later click must not be taken for the end of the abandoned drag.
    const ScenarioRun run = run_scenario(patterns({"A", "B", "C", "D"}) +
                                         "tree drag pattern 0 to pattern 2 release outside\ndump\n"
                                         "tree select pattern 3\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    expect_order(run.dumps[0], {"A", "B", "C", "D"});
    expect_order(run.dumps[1], {"A", "B", "C", "D"});
    EXPECT_EQ(combo_selection(run.dumps[1], IDC_PATTERN), 3);
    // The tree still answers ordinary drags.
    const ScenarioRun again = run_scenario(patterns({"A", "B", "C", "D"}) +
                                           "tree drag pattern 0 to pattern 2 release outside\n"
                                           "tree drag pattern 3 to pattern 0\ndump\n");
    ASSERT_EQ(again.exit_code, 0) << again.errors.toStdString();
    expect_order(again.last(), {"A", "D", "B", "C"});
}

TEST(TreeDrag, ItemsOfTheWrongKindAreNoTargets) {
    const ScenarioRun run = run_scenario(patterns({"A", "B"}) +
                                         // a frame over another pattern's frame, then a pattern over its
                                         // own frame (the path passes no other pattern)
                                         "tree drag frame 0 0 to frame 1 0\ndump\n"
                                         "tree drag pattern 1 to frame 1 0\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    for (const QJsonObject& d : run.dumps) {
        expect_order(d, {"A", "B"});
        EXPECT_EQ(frame_items(d, 0), QStringList{"frame_00"});
        EXPECT_EQ(frame_items(d, 1), QStringList{"frame_00"});
        EXPECT_EQ(d["cursor"].toInt(), 32648);  // IDC_NO
    }
}

TEST(TreeSelection, FrameItemMakesPatternAndFrameCurrentAndShowsTheFrame) {
    const ScenarioRun run =
        run_scenario(patterns({"A", "B"}) + "menu ID_EDIT_ADD_FRAME\n" +
                     // A's frame: 5 x 6 at (3, 4) on the 8 x 10 base frame that
                     // its first, larger setting gave it; then B is current again.
                     frame_set(0, 0, 0, 0, 8, 10) + frame_set(0, 0, 0, 0, 5, 6) + drag_frame(0, 3, 4) +
                     "tree select pattern 1\n"
                     "caption pattern 0 close\n"
                     "tree select frame 0 0\ndump\n"
                     "tree select root\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.dumps[0];
    EXPECT_EQ(combo_selection(d, IDC_PATTERN), 0);
    EXPECT_EQ(combo_items(d, IDC_FRAME), QStringList{"frame_00"});
    EXPECT_EQ(combo_selection(d, IDC_FRAME), 0);
    EXPECT_EQ(selected_text(d["tree"].toArray()), QStringLiteral("frame_00"));
    EXPECT_EQ(panel_field(d, IDC_CORRECTION_X), QStringLiteral("3"));
    EXPECT_EQ(panel_field(d, IDC_CORRECTION_Y), QStringLiteral("4"));
    EXPECT_EQ(panel_field(d, IDC_IMAGE_W), QStringLiteral("5"));
    EXPECT_EQ(panel_field(d, IDC_IMAGE_H), QStringLiteral("6"));
    // The closed window of the pattern came back.
    EXPECT_TRUE(d["pattern_windows"].toArray()[0].toObject()["open"].toBool());
    // The root changes nothing.
    EXPECT_EQ(combo_selection(run.dumps[1], IDC_PATTERN), 0);
    EXPECT_EQ(combo_selection(run.dumps[1], IDC_FRAME), 0);
}

TEST(TreeSelection, ClickingAnotherPatternsWindowMakesItCurrent) {
    // A frame of A is selected; activating B's window makes B current without the
    // two windows taking the activation back and forth.
    const ScenarioRun run = run_scenario(patterns({"A", "B"}) +
                                         "tree select frame 0 0\n"
                                         "mouse pattern 1 down 190 190\nmouse pattern 1 up 190 190\ndump\n"
                                         "mouse pattern 0 down 5 5\nmouse pattern 0 up 5 5\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(combo_selection(run.dumps[0], IDC_PATTERN), 1);
    EXPECT_EQ(selected_text(run.dumps[0]["tree"].toArray()), QStringLiteral("B"));
    EXPECT_EQ(run.dumps[0]["menu_bar"].toObject()["resource"].toInt(), IDR_PATTERN_MENU);
    EXPECT_EQ(combo_selection(run.dumps[1], IDC_PATTERN), 0);
    EXPECT_EQ(selected_text(run.dumps[1]["tree"].toArray()), QStringLiteral("A"));
}

TEST(TreeSelection, ClickingAFrameOfAnotherPatternKeepsTheFrameSelected) {
    // Selecting the frame activates its pattern's window; that must not move the
    // tree's selection to the pattern item (a delete would then hit the pattern).
    const ScenarioRun run = run_scenario(patterns({"A", "B"}) + "tree select frame 0 0\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    EXPECT_EQ(pattern_node(d, 0)["children"].toArray()[0].toObject()["selected"].toBool(), true);
    EXPECT_EQ(combo_selection(d, IDC_PATTERN), 0);
    EXPECT_EQ(combo_selection(d, IDC_FRAME), 0);
}

TEST(TreeCheck, CheckBoxClickTogglesOnlyThatItem) {
    const ScenarioRun run =
        run_scenario(patterns({"A"}) + "tree check frame 0 0 0\ndump\ntree check frame 0 0 1\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_FALSE(pattern_node(run.dumps[0], 0)["children"].toArray()[0].toObject()["checked"].toBool());
    EXPECT_TRUE(pattern_node(run.dumps[0], 0)["checked"].toBool());
    EXPECT_TRUE(pattern_node(run.dumps[1], 0)["children"].toArray()[0].toObject()["checked"].toBool());
}
