// Pattern windows as a user meets them: their size, zoom and scroll bars, the
// frame drag that sets a correction offset, and how opening and closing them
// switches the main menu.
#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace {

std::string zoom(int p, const std::string& command) {
    return "on menu\n  choose " + command + "\nend\nrclick pattern " + std::to_string(p) + " 5 5\n";
}

QJsonObject window(const QJsonObject& d, int p) {
    return d["pattern_windows"].toArray()[p].toObject();
}
QJsonObject settings(const QJsonObject& d, int p) {
    return window(d, p)["settings"].toObject();
}
QJsonObject bar(const QJsonObject& d, int p, const char* which) {
    return window(d, p)["scrollbars"].toObject()[which].toObject();
}
int menu_resource(const QJsonObject& d) {
    return d["menu_bar"].toObject()["resource"].toInt();
}

QJsonObject edit_item(const QJsonObject& d, const char* text) {
    const QJsonObject edit =
        menu_item(d["menu_bar"].toObject()["items"].toArray(), QString::fromUtf8("編集(&E)"));
    return menu_item(edit["items"].toArray(), QString::fromUtf8(text));
}

}  // namespace

TEST(PatternWindow, NewWindowHasA200By200ClientAndNoScrollBars) {
    const ScenarioRun run = run_scenario(new_project() + add_pattern("A") + "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    const QJsonObject w = window(d, 0);
    ASSERT_TRUE(w["open"].toBool());
    EXPECT_EQ(w["title"].toString(), QStringLiteral("A"));
    EXPECT_EQ(w["client"].toArray(), (QJsonArray{200, 200}));
    EXPECT_EQ(w["client_size"].toArray(), (QJsonArray{200, 200}));
    EXPECT_EQ(w["zoomed_client_size"].toArray(), (QJsonArray{200, 200}));
    EXPECT_FALSE(bar(d, 0, "horizontal")["shown"].toBool());
    EXPECT_FALSE(bar(d, 0, "vertical")["shown"].toBool());
    EXPECT_EQ(settings(d, 0)["scroll_x"].toInt(), 0);
    EXPECT_EQ(settings(d, 0)["scroll_y"].toInt(), 0);
    EXPECT_EQ(menu_resource(d), IDR_PATTERN_MENU);
    EXPECT_EQ(d["tables"].toObject()["open_pattern_windows"].toInt(), 1);
}

TEST(PatternWindow, WideBaseAtFourTimesShowsOnlyTheHorizontalBar) {
    // A 100 x 40 frame on the 126 x 64 image gives the pattern a base frame as large.
    const ScenarioRun run =
        run_scenario(new_project(testdata("tim/pal8_640_256_clut80_480.tim")) + add_pattern("A") +
                     frame_set(0, 0, 0, 0, 100, 40, 65, 96) + zoom(0, "ID_ZOOM_4X4") + "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    const QJsonObject h = bar(d, 0, "horizontal");
    ASSERT_TRUE(h["shown"].toBool());
    EXPECT_EQ(h["min"].toInt(), 0);
    EXPECT_EQ(h["max"].toInt(), 50);
    EXPECT_EQ(h["pos"].toInt(), 0);
    // 40 << 2 = 160 still fits the client height left beside the horizontal bar.
    EXPECT_FALSE(bar(d, 0, "vertical")["shown"].toBool());
    // The bar is part of the frame: the client area gave up its height.
    const QJsonArray client = window(d, 0)["client"].toArray();
    EXPECT_EQ(client[0].toInt(), 200);
    EXPECT_LT(client[1].toInt(), 200);
    EXPECT_EQ(window(d, 0)["client_size"].toArray(), client);
    EXPECT_EQ(settings(d, 0)["zoom_factor"].toInt(), 4);
    // The zoom popup carries the check mark on the chosen item.
    const QJsonArray popups = d["popups"].toArray();
    ASSERT_FALSE(popups.isEmpty());
    EXPECT_EQ(popups.last().toObject()["chosen"].toInt(), ID_ZOOM_4X4);
}

TEST(PatternWindow, ScrollingClampsAndSetsTheViewOffsetAtTheEnds) {
    const ScenarioRun run = run_scenario(new_project() + add_pattern("A") + frame_set(0, 0, 0, 0, 40, 1) +
                                         "resize pattern 0 201 200\n" + zoom(0, "ID_ZOOM_8X8") +
                                         "resize pattern 0 201 200\ndump\n"
                                         "scroll pattern 0 horizontal pagedown\ndump\n"
                                         "scroll pattern 0 horizontal pagedown\ndump\n"
                                         "scroll pattern 0 horizontal lineup\ndump\n"
                                         "scroll pattern 0 horizontal pageup\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 5u);
    const QJsonObject d0 = run.dumps[0];
    EXPECT_EQ(window(d0, 0)["client"].toArray()[0].toInt(), 201);
    EXPECT_EQ(window(d0, 0)["zoomed_client_size"].toArray()[0].toInt(), 208);
    // 208 >> 3 = 26 base pixels shown of 40: the bar goes 0..14.
    EXPECT_EQ(bar(d0, 0, "horizontal")["max"].toInt(), 14);
    EXPECT_EQ(settings(run.dumps[1], 0)["scroll_x"].toInt(), 10);
    EXPECT_EQ(settings(run.dumps[1], 0)["view_offset_x"].toInt(), 0);
    EXPECT_EQ(settings(run.dumps[2], 0)["scroll_x"].toInt(), 14);
    EXPECT_EQ(settings(run.dumps[2], 0)["view_offset_x"].toInt(), 7);
    EXPECT_EQ(bar(run.dumps[2], 0, "horizontal")["pos"].toInt(), 14);
    // Between the ends the offset keeps its value; at the start it goes back to 0.
    EXPECT_EQ(settings(run.dumps[3], 0)["scroll_x"].toInt(), 13);
    EXPECT_EQ(settings(run.dumps[3], 0)["view_offset_x"].toInt(), 7);
    EXPECT_EQ(settings(run.dumps[4], 0)["scroll_x"].toInt(), 3);
    const ScenarioRun start =
        run_scenario(new_project() + add_pattern("A") + frame_set(0, 0, 0, 0, 40, 1) +
                     zoom(0, "ID_ZOOM_8X8") + "scroll pattern 0 horizontal lineup\ndump\n");
    ASSERT_EQ(start.exit_code, 0) << start.errors.toStdString();
    EXPECT_EQ(settings(start.last(), 0)["scroll_x"].toInt(), 0);
    EXPECT_EQ(settings(start.last(), 0)["view_offset_x"].toInt(), 0);
}

TEST(PatternWindow, ZoomingBackOutHidesTheBarsAndResetsTheView) {
    const ScenarioRun run = run_scenario(
        new_project() + add_pattern("A") + frame_set(0, 0, 0, 0, 48, 48) + zoom(0, "ID_ZOOM_32X32") +
        "scroll pattern 0 horizontal pagedown\ndump\n" + zoom(0, "ID_ZOOM_1X1") + "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_TRUE(bar(run.dumps[0], 0, "horizontal")["shown"].toBool());
    EXPECT_TRUE(bar(run.dumps[0], 0, "vertical")["shown"].toBool());
    EXPECT_GT(settings(run.dumps[0], 0)["scroll_x"].toInt(), 0);
    const QJsonObject d = run.dumps[1];
    EXPECT_FALSE(bar(d, 0, "horizontal")["shown"].toBool());
    EXPECT_FALSE(bar(d, 0, "vertical")["shown"].toBool());
    EXPECT_EQ(settings(d, 0)["scroll_x"].toInt(), 0);
    EXPECT_EQ(settings(d, 0)["view_offset_x"].toInt(), 0);
    EXPECT_EQ(window(d, 0)["client"].toArray(), (QJsonArray{200, 200}));
}

namespace {

// A 16 x 16 frame at correction (4, 4) on a 32 x 32 base frame: set 32 x 32 first, which
// grows the base frame, then 16 x 16, which leaves it, then dragged by (4, 4).
std::string small_frame_on_a_larger_base() {
    return new_project() + add_pattern("A") + frame_set(0, 0, 0, 0, 32, 32) + frame_set(0, 0, 0, 0, 16, 16) +
           drag_frame(0, 4, 4);
}

}  // namespace

TEST(CorrectionDrag, FrameStaysOnTheBaseFrameHoweverFarTheMouseGoes) {
    const std::string setup = small_frame_on_a_larger_base();
    const ScenarioRun run = run_scenario(setup +
                                         "mouse pattern 0 down 50 50\nmouse pattern 0 move 190 190\ndump\n"
                                         "mouse pattern 0 move 0 0\ndump\n"
                                         "mouse pattern 0 move 53 48\nmouse pattern 0 up 53 48\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    auto correction = [](const QJsonObject& d) {
        const QJsonArray r = d["tables"].toObject()["frames"].toArray()[0].toArray()[0].toArray();
        return QJsonArray{r[0], r[1]};
    };
    EXPECT_EQ(correction(run.dumps[0]), (QJsonArray{16, 16}));
    EXPECT_EQ(correction(run.dumps[1]), (QJsonArray{0, 0}));
    EXPECT_EQ(correction(run.dumps[2]), (QJsonArray{7, 2}));
    // The edit panel follows the drag.
    for (const auto& v : run.last()["panel_controls"].toArray())
        if (v.toObject()["id"].toInt() == IDC_CORRECTION_X) {
            EXPECT_EQ(v.toObject()["text"].toString(), QStringLiteral("7"));
        }

    // At 4x4 four client pixels make one base-frame pixel.
    const ScenarioRun zoomed = run_scenario(setup + zoom(0, "ID_ZOOM_4X4") +
                                            "mouse pattern 0 down 40 40\nmouse pattern 0 move 47 52\n"
                                            "mouse pattern 0 up 47 52\ndump\n");
    ASSERT_EQ(zoomed.exit_code, 0) << zoomed.errors.toStdString();
    EXPECT_EQ(correction(zoomed.last()), (QJsonArray{5, 7}));
}

TEST(CorrectionDrag, MovesWithOtherButtonsHeldChangeNothing) {
    const ScenarioRun run =
        run_scenario(small_frame_on_a_larger_base() +
                     "mouse pattern 0 down 50 50\n"
                     "mouse pattern 0 move 64 64 ctrl\ndump\n");  // the left button and Ctrl held
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonArray r = run.last()["tables"].toObject()["frames"].toArray()[0].toArray()[0].toArray();
    EXPECT_EQ(r[0].toInt(), 4);
    EXPECT_EQ(r[1].toInt(), 4);
}

TEST(PatternWindowMenus, TwelveOpenWindowsGreyAddPatternUntilOneCloses) {
    std::string s = new_project();
    for (int i = 0; i < 12; ++i) s += add_pattern("p" + std::to_string(i));
    s += "dump\ncaption pattern 4 close\ndump\n";
    const ScenarioRun run = run_scenario(s);
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_EQ(run.dumps[0]["tables"].toObject()["open_pattern_windows"].toInt(), 12);
    EXPECT_FALSE(edit_item(run.dumps[0], "ﾊﾟﾀｰﾝの追加(&A)")["enabled"].toBool());
    EXPECT_TRUE(edit_item(run.dumps[0], "ﾌﾚｰﾑ追加(&F)")["enabled"].toBool());
    EXPECT_TRUE(edit_item(run.dumps[1], "ﾊﾟﾀｰﾝの追加(&A)")["enabled"].toBool());
    EXPECT_FALSE(window(run.dumps[1], 4)["open"].toBool());
    EXPECT_EQ(run.dumps[1]["tables"].toObject()["pattern_count"].toInt(), 12);
}

TEST(PatternWindowMenus, ClosingTheLastWindowBringsBackTheProjectMenu) {
    const ScenarioRun run = run_scenario(new_project() + add_pattern("A") + add_pattern("B") +
                                         "caption pattern 0 close\ndump\n"
                                         "caption pattern 1 close\ndump\n"
                                         "tree select frame 0 0\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(menu_resource(run.dumps[0]), IDR_PATTERN_MENU);
    EXPECT_EQ(menu_resource(run.dumps[1]), IDR_PROJECT_MENU);
    EXPECT_EQ(run.dumps[1]["tables"].toObject()["open_pattern_windows"].toInt(), 0);
    // Selecting a frame of a closed pattern opens its window again, and the pattern-window menu with it.
    EXPECT_TRUE(window(run.dumps[2], 0)["open"].toBool());
    EXPECT_FALSE(window(run.dumps[2], 1)["open"].toBool());
    EXPECT_EQ(window(run.dumps[2], 0)["client"].toArray(), (QJsonArray{200, 200}));
    EXPECT_EQ(menu_resource(run.dumps[2]), IDR_PATTERN_MENU);
}

TEST(PatternWindowMenus, MaximisedWindowMakesTheNextOneOpenMaximised) {
    const ScenarioRun run = run_scenario(new_project() + add_pattern("A") + add_pattern("B") +
                                         "caption pattern 1 maximize\n"
                                         "caption pattern 1 close\n"
                                         "caption pattern 0 close\ndump\n" +
                                         add_pattern("C") + "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(run.dumps[0]["tables"].toObject()["new_window_style"].toInt(), 0x01000000);
    const QJsonObject d = run.dumps[1];
    EXPECT_TRUE(window(d, 2)["maximized"].toBool());
    // Restoring it clears the flag again.
    const ScenarioRun restored = run_scenario(new_project() + add_pattern("A") +
                                              "caption pattern 0 maximize\n"
                                              "caption pattern 0 restore\ndump\n");
    ASSERT_EQ(restored.exit_code, 0) << restored.errors.toStdString();
    EXPECT_EQ(restored.last()["tables"].toObject()["new_window_style"].toInt(), 0);
    EXPECT_FALSE(window(restored.last(), 0)["maximized"].toBool());
}
