// The main window as a user meets it: start-up, layout, menus, the context
// menu, the version dialog and the ways out.
#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include "harness.h"

namespace {

QJsonArray bar_items(const QJsonObject& dump) {
    return dump["menu_bar"].toObject()["items"].toArray();
}

QJsonObject popup(const QJsonObject& dump, const char* text) {
    return menu_item(bar_items(dump), QString::fromUtf8(text));
}

bool enabled(const QJsonObject& menu, const char* text) {
    return menu_item(menu["items"].toArray(), QString::fromUtf8(text))["enabled"].toBool();
}

// Client rectangle of a child relative to the main window's client area.
QJsonArray relative(const QJsonObject& dump, const char* window) {
    const QJsonArray main = rect(dump, "main", "client");
    const QJsonArray r = rect(dump, window, "window");
    return QJsonArray{r[0].toInt() - main[0].toInt(), r[1].toInt() - main[1].toInt(),
                      r[2].toInt() - main[0].toInt(), r[3].toInt() - main[1].toInt()};
}

}  // namespace

TEST(StartUp, MainWindowOpensAt640By480WithTheNoProjectMenu) {
    const ScenarioRun run = run_scenario("dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    const QJsonObject main = d["windows"].toObject()["main"].toObject();
    EXPECT_EQ(main["title"].toString(), QString::fromUtf8("Celwright for Win32 Ver 1.2"));
    EXPECT_TRUE(main["visible"].toBool());
    EXPECT_EQ(main["window"].toArray()[0].toInt(), 0);
    EXPECT_EQ(main["window"].toArray()[1].toInt(), 0);
    EXPECT_EQ(width(rect(d, "main", "client")), 640);
    EXPECT_EQ(height(rect(d, "main", "client")), 480);
    EXPECT_EQ(d["menu_bar"].toObject()["resource"].toInt(), IDR_NO_PROJECT_MENU);
    EXPECT_EQ(d["current_path"].toString(), QString());
    EXPECT_FALSE(d["panel_enabled"].toBool());
    EXPECT_FALSE(d["windows"].toObject()["image"].toObject()["visible"].toBool());
    EXPECT_EQ(d["active_window"].toString(), QStringLiteral("main"));
    EXPECT_NE(d["app_active"].toInt(), 0);
    // The tree holds the root item only, named after the (empty) project.
    const QJsonArray tree = d["tree"].toArray();
    ASSERT_EQ(tree.size(), 1);
    EXPECT_EQ(tree[0].toObject()["text"].toString(), QString());
    EXPECT_TRUE(tree[0].toObject()["checked"].toBool());
}

TEST(StartUp, NoProjectMenuGreysTheProjectCommands) {
    const QJsonObject d = run_scenario("dump\n").last();
    const QJsonArray bar = bar_items(d);
    ASSERT_EQ(bar.size(), 5);
    const QStringList titles = {QString::fromUtf8("ﾌｧｲﾙ(&F)"), QString::fromUtf8("編集(&E)"),
                                QString::fromUtf8("表示(&V)"), QString::fromUtf8("ｳｨﾝﾄﾞｳ(&W)"),
                                QString::fromUtf8("ﾍﾙﾌﾟ(&H)")};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(bar[i].toObject()["text"].toString(), titles[i]);
    EXPECT_FALSE(bar[2].toObject()["enabled"].toBool());
    EXPECT_FALSE(bar[3].toObject()["enabled"].toBool());
    EXPECT_FALSE(bar[2].toObject().contains("items"));

    const QJsonObject file = popup(d, "ﾌｧｲﾙ(&F)");
    const QJsonArray file_items = file["items"].toArray();
    ASSERT_EQ(file_items.size(), 6);
    // Each item shows its key after a tab.
    EXPECT_EQ(file_items[0].toObject()["text"].toString(), QString::fromUtf8("新規作成(&N)\tCtrl+N"));
    EXPECT_TRUE(file_items[4].toObject()["separator"].toBool());
    EXPECT_EQ(file_items[5].toObject()["text"].toString(), QString::fromUtf8("終了"));
    EXPECT_TRUE(enabled(file, "新規作成(&N)"));
    EXPECT_TRUE(enabled(file, "開く(&C)"));
    EXPECT_FALSE(enabled(file, "名前を付けて保存(&A)"));
    EXPECT_FALSE(enabled(file, "上書き保存(&S)"));
    EXPECT_TRUE(enabled(file, "終了"));

    const QJsonObject edit = popup(d, "編集(&E)");
    for (const auto& item : edit["items"].toArray()) {
        const QJsonObject o = item.toObject();
        EXPECT_TRUE(o["separator"].toBool() || !o["enabled"].toBool()) << o["text"].toString().toStdString();
    }
    EXPECT_TRUE(enabled(popup(d, "ﾍﾙﾌﾟ(&H)"), "ﾊﾞｰｼﾞｮﾝ情報"));
}

TEST(Layout, ChildrenDockAfterAResizeTo900By700) {
    const ScenarioRun run = run_scenario("dump\nresize main 900 700\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject before = run.dumps[0], after = run.dumps[1];
    EXPECT_EQ(width(rect(after, "main", "client")), 900);
    EXPECT_EQ(height(rect(after, "main", "client")), 700);
    // The measured sizes do not change with the window.
    const int w = width(relative(before, "panel")), h = height(relative(before, "panel"));
    const int s = height(relative(before, "status"));
    EXPECT_GT(w, 100);
    EXPECT_GT(h, 200);
    EXPECT_GT(s, 10);
    EXPECT_EQ(relative(after, "panel"), (QJsonArray{900 - w, 0, 900, h}));
    EXPECT_EQ(relative(after, "tree"), (QJsonArray{900 - w, h, 900, 700 - s}));
    EXPECT_EQ(relative(after, "mdi"), (QJsonArray{0, 0, 900 - w, 700 - s}));
    EXPECT_EQ(relative(after, "status"), (QJsonArray{0, 700 - s, 900, 700}));
    // The same rules hold for the first layout.
    EXPECT_EQ(relative(before, "tree"), (QJsonArray{640 - w, h, 640, 480 - s}));
}

TEST(Layout, TheFrameCannotBeDraggedSmallerThanA640By480Client) {
    const ScenarioRun run =
        run_scenario("resize main 800 600\nresize main 300 200\ndump\nresize main 700 300\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(width(rect(run.dumps[0], "main", "client")), 640);
    EXPECT_EQ(height(rect(run.dumps[0], "main", "client")), 480);
    EXPECT_EQ(width(rect(run.dumps[1], "main", "client")), 700);
    EXPECT_EQ(height(rect(run.dumps[1], "main", "client")), 480);
}

TEST(ContextMenu, RightClickInTheTreeOpensTheEditPopup) {
    const ScenarioRun run = run_scenario("rclick tree 30 8\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonArray popups = run.last()["popups"].toArray();
    ASSERT_EQ(popups.size(), 1);
    const QJsonObject p = popups[0].toObject();
    EXPECT_EQ(p["owner"].toString(), QStringLiteral("main"));
    const QJsonArray items = p["items"].toArray();
    ASSERT_GE(items.size(), 4);
    EXPECT_EQ(items[0].toObject()["text"].toString(), QString::fromUtf8("元に戻す(&U)\tCtrl+Z"));
    EXPECT_EQ(items[0].toObject()["id"].toInt(), ID_EDIT_UNDO);
    EXPECT_EQ(items[3].toObject()["text"].toString(), QString::fromUtf8("切り取り(&T)\tCtrl+X"));
    EXPECT_EQ(items[3].toObject()["id"].toInt(), ID_EDIT_CUT);
    // The menu opens at the pointer, in screen coordinates.
    const QJsonArray tree = rect(run.last(), "tree", "client");
    EXPECT_EQ(p["x"].toInt(), tree[0].toInt() + 30);
    EXPECT_EQ(p["y"].toInt(), tree[1].toInt() + 8);
    // The root item was under the pointer and is now selected.
    EXPECT_TRUE(run.last()["tree"].toArray()[0].toObject()["selected"].toBool());
}

TEST(ContextMenu, AnItemIsChosenInTheShownPopupByItsText) {
    const ScenarioRun run = run_scenario(new_project() + add_pattern("A") +
                                         "on menu\n  choose \"ﾌﾚｰﾑ追加(&F)\"\nend\nrclick tree 30 8\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonArray popups = run.last()["popups"].toArray();
    ASSERT_EQ(popups.size(), 1);
    EXPECT_EQ(popups[0].toObject()["chosen"].toInt(), ID_EDIT_ADD_FRAME);
    // The command ran on the current pattern: A has a second frame, now selected.
    EXPECT_EQ(frame_count_of(run.last(), 0), 2);
}

TEST(ContextMenu, RightClickOnEmptyTreeSpaceClearsTheSelectionAndStillOpensTheMenu) {
    const ScenarioRun run = run_scenario("rclick tree 30 8\nrclick tree 30 90\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(run.last()["popups"].toArray().size(), 2);
    EXPECT_FALSE(run.last()["tree"].toArray()[0].toObject()["selected"].toBool());
}

TEST(ContextMenu, RightClicksElsewhereOpenNoMenu) {
    const ScenarioRun run = run_scenario("rclick mdi 50 50\nrclick panel 10 10\nrclick main 5 5\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.last()["popups"].toArray().isEmpty());
}

TEST(Commands, ExitAndTheCloseBoxEndTheProgramWithCodeZero) {
    for (const char* script : {"menu ID_FILE_EXIT\ndump\n", "close main\ndump\n"}) {
        const ScenarioRun run = run_scenario(script);
        ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
        EXPECT_TRUE(run.last()["quit"].toBool()) << script;
        EXPECT_EQ(run.last()["exit_code"].toInt(), 0);
        EXPECT_TRUE(run.last()["windows"].toObject()["main"].isNull());
        EXPECT_TRUE(run.last()["message_boxes"].toArray().isEmpty()) << "no question on the way out";
    }
}

TEST(Commands, HelpDoesNothing) {
    const ScenarioRun run = run_scenario(patterns({"A"}) + "dump\nmenu ID_HELP_HELP\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    QJsonObject a = run.dumps[0], b = run.dumps[1];
    a.remove("ticks");
    b.remove("ticks");
    EXPECT_EQ(a, b);
}

TEST(Commands, VersionDialogShowsItsTextAndClosesWithItsOkButton) {
    // Scripts name commands, dialogs and controls as res/resource.h does.
    const ScenarioRun run = run_scenario(
        "menu ID_HELP_VERSION\n"
        "on dialog IDD_VERSION\n"
        "  dump\n"
        "  click IDCANCEL\n"
        "end\n"
        "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    const QJsonObject dialog = run.dumps[0]["dialog"].toObject();
    EXPECT_EQ(dialog["window"].toObject()["title"].toString(), QString::fromUtf8("Celwright ｳﾞｧｰｼﾞｮﾝ情報"));
    bool text = false, ok = false;
    for (const auto& c : dialog["controls"].toArray()) {
        const QJsonObject o = c.toObject();
        if (o["text"].toString() == QStringLiteral("Celwright Version1.2")) text = true;
        if (o["id"].toInt() == 2 && o["text"].toString() == QStringLiteral("OK")) ok = true;
    }
    EXPECT_TRUE(text);
    EXPECT_TRUE(ok);
    // While the dialog is up its owner is disabled; afterwards it is back.
    EXPECT_FALSE(run.dumps[0]["windows"].toObject()["main"].toObject()["enabled"].toBool());
    EXPECT_TRUE(run.dumps[1]["windows"].toObject()["main"].toObject()["enabled"].toBool());
    EXPECT_FALSE(run.dumps[1].contains("dialog"));
    EXPECT_EQ(run.dumps[1]["active_window"].toString(), QStringLiteral("main"));
}

TEST(Commands, ImageWindowIsShownByTheViewCommandAndHiddenByItsCloseBox) {
    // New shows the image window with the image; its close box hides it, the View command
    // shows it again.
    const ScenarioRun run = run_scenario(new_project() + "close image\n" +
                                         "menu ID_VIEW_IMAGE_WINDOW\ndump\nclose image\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject shown = run.dumps[0]["windows"].toObject()["image"].toObject();
    EXPECT_TRUE(shown["visible"].toBool());
    EXPECT_EQ(shown["client_size"].toArray(), (QJsonArray{256, 256}));
    EXPECT_FALSE(run.dumps[1]["windows"].toObject()["image"].toObject()["visible"].toBool());
    EXPECT_FALSE(run.dumps[1]["windows"].toObject()["image"].isNull()) << "hidden, never destroyed";
}

TEST(Commands, OfThreeDroppedFilesOnlyTheFirstIsOpened) {
    // None of them exists: the one attempt says so once, and the program goes on.
    const ScenarioRun run = run_scenario("answer box IDOK\ndrop \"a.cwp\" \"b.cwp\" \"c.cwp\"\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_FALSE(run.last()["quit"].toBool());
    const QJsonArray boxes = run.last()["message_boxes"].toArray();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].toObject()["text"].toString(), QString::fromUtf8("指定のﾌｧｲﾙを開けません."));
    EXPECT_EQ(boxes[0].toObject()["caption"].toString(), QString::fromUtf8("ﾌｧｲﾙを開く"));
    EXPECT_EQ(run.last()["open_drops"].toInt(), 0) << "the drop was handed back with DragFinish";
}

TEST(Idle, TicksRunOnlyWhenAsked) {
    const ScenarioRun run = run_scenario("dump\ntick 3\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(run.dumps[1]["ticks"].toInt() - run.dumps[0]["ticks"].toInt(), 3);
}

TEST(Driver, FailuresNameTheLineAndTheReason) {
    struct Case {
        const char* script;
        const char* expected;
    } cases[] = {
        {"dump\nfrobnicate\n", "line 2: unknown verb: frobnicate"},
        {"# comment\n\nsend nowhere WM_SIZE 0 0\n", "line 3: unknown target: nowhere"},
        {"menu ID_HELP_VERSION\n", "dialog IDD_VERSION opened with no queued on dialog block"},
        {"menu ID_HELP_VERSION\non dialog IDD_VERSION\n  dump\nend\n", "dialog IDD_VERSION is still open"},
        {"pattern\n", "unknown verb"},
        {"send pattern 0 WM_SIZE 0 0\n", "pattern 0 has no window"},
        {"click 5\n", "the edit panel has no control 5"},
        {"click IDC_PATTERN_NAME\n", "the edit panel has no control IDC_PATTERN_NAME"},
    };
    for (const Case& c : cases) {
        const ScenarioRun run = run_scenario(c.script);
        EXPECT_NE(run.exit_code, 0) << c.script;
        EXPECT_TRUE(run.errors.contains(QString::fromUtf8(c.expected)))
            << c.script << " -> " << run.errors.toStdString();
        EXPECT_EQ(run.errors.trimmed().count('\n'), 0) << "one line: " << run.errors.toStdString();
    }
}

TEST(Driver, ActsOnlyWhereAUserCould) {
    const std::string open = new_project();
    const std::string cases[][2] = {
        // No project is open: the project commands are greyed on the menu bar.
        {"menu ID_EDIT_ADD_PATTERN\n", "the item \"ﾊﾟﾀｰﾝの追加(&A)\" is greyed"},
        {"menu \"ﾌｧｲﾙ(&F)\" \"名前を付けて保存(&A)\"\n", "is greyed"},
        {"menu \"ﾌｧｲﾙ(&F)\" \"印刷\"\n", "no item \"印刷\" is shown"},
        {"menu ID_EDIT_CUT\nmenu ID_HELP_HELP\n", "is greyed"},
        // In the popup menu shown, a greyed item takes no click; a popup left open ends the run.
        {"on menu\n  choose ID_EDIT_CUT\nend\nrclick tree 30 8\n",
         "the popup menu's item \"切り取り(&T)\tCtrl+X\" is greyed"},
        {"on menu\n  choose 99\nend\nrclick tree 30 8\n", "the popup menu shows no item 99"},
        {"on menu\nend\nrclick tree 30 8\n", "the popup menu is still open"},
        // Read-only fields take no typing; the main loop waits while nothing of ours is active.
        {open + "menu ID_EDIT_ADD_PATTERN\non dialog IDD_ADD_PATTERN\n  set IDC_FRAME_COUNT \"5\"\nend\n",
         "takes no typing"},
        {"send main WM_ACTIVATE 0 0\ntick\n", "the main loop waits"},
    };
    for (const auto& c : cases) {
        const ScenarioRun run = run_scenario(c[0]);
        EXPECT_NE(run.exit_code, 0) << c[0];
        EXPECT_TRUE(run.errors.contains(QString::fromStdString(c[1])))
            << c[0] << " -> " << run.errors.toStdString();
    }
    // Opened through the menu bar, the same commands work.
    const ScenarioRun run = run_scenario(
        open + "menu \"編集(&E)\" \"ﾊﾟﾀｰﾝの追加(&A)\"\non dialog IDD_ADD_PATTERN\n  click IDOK\nend\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(run.last()["tables"].toObject()["pattern_count"].toInt(), 1);
}

TEST(Driver, AnswersLeftOverAreListedNotAnError) {
    const ScenarioRun run = run_scenario("answer box IDYES\nanswer open \"x.cwp\"\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonArray pending = run.last()["pending_answers"].toArray();
    ASSERT_EQ(pending.size(), 2);
    EXPECT_EQ(pending[0].toObject()["kind"].toString(), QStringLiteral("box"));
    EXPECT_EQ(pending[0].toObject()["value"].toInt(), 6);
    EXPECT_EQ(pending[1].toObject()["path"].toString(), QStringLiteral("x.cwp"));
}

TEST(ContextMenu, WithAMaximisedPatternWindowTheEditPopupIsStillChosen) {
    const ScenarioRun run =
        run_scenario(new_project() +
                     "menu ID_EDIT_ADD_PATTERN\non dialog IDD_ADD_PATTERN\n  click IDOK\nend\n"
                     "caption pattern 0 maximize\n"
                     "rclick tree 30 8\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject d = run.last();
    ASSERT_EQ(d["menu_bar"].toObject()["resource"].toInt(), IDR_PATTERN_MENU);
    // The maximised child's system menu now stands first on the bar.
    EXPECT_EQ(bar_items(d).size(), 6);
    const QJsonArray popups = d["popups"].toArray();
    ASSERT_EQ(popups.size(), 1);
    const QJsonArray items = popups[0].toObject()["items"].toArray();
    ASSERT_FALSE(items.isEmpty());
    ASSERT_GE(items.size(), 4);
    EXPECT_EQ(items[0].toObject()["id"].toInt(), ID_EDIT_UNDO);
    EXPECT_EQ(items[3].toObject()["id"].toInt(), ID_EDIT_CUT)
        << "the Edit popup, not the Window or system menu";
}
