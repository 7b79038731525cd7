// The edit panel's controls as a user works them: the timing field, the speed
// slider, the background colour, hiding and showing frames, the base frame reset,
// what the fields show when the pattern changes, and the version dialog.
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "harness.h"
#include "playback_support.h"

using namespace playback_test;

namespace {

QJsonArray boxes(const QJsonObject& d) {
    return d["message_boxes"].toArray();
}

QJsonArray tree_checks(const QJsonObject& d, int p) {
    QJsonArray out;
    const QJsonArray frames =
        d["tree"].toArray()[0].toObject()["children"].toArray()[p].toObject()["children"].toArray();
    for (const auto& f : frames) out.append(f.toObject()["checked"].toBool());
    return out;
}

}  // namespace

TEST(TimingField, EachKeystrokeStoresTheFirstFourDigitsInTheCurrentFrame) {
    const ScenarioRun run = run_scenario(project(2) +
                                         "combo IDC_FRAME select 1\nset IDC_TIMING \"1\"\ndump\n"
                                         "set IDC_TIMING \"12\"\ndump\nset IDC_TIMING \"1234\"\n"
                                         "set IDC_TIMING \"12345\"\ndump\nset IDC_TIMING \"12a\"\ndump\n"
                                         "combo IDC_FRAME select 0\ndump\ncombo IDC_FRAME select 1\ndump\n"
                                         "set IDC_TIMING \"\"\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 7u);
    EXPECT_EQ(frame_record(run.dumps[0], 0, 1)[2].toInt(), 1);
    EXPECT_EQ(frame_record(run.dumps[1], 0, 1)[2].toInt(), 12);
    EXPECT_EQ(frame_record(run.dumps[2], 0, 1)[2].toInt(), 1234) << "a fifth digit changes nothing";
    EXPECT_EQ(frame_record(run.dumps[3], 0, 1)[2].toInt(), 12) << "letters are refused";
    EXPECT_EQ(frame_record(run.dumps[3], 0, 0)[2].toInt(), 0) << "the other frame keeps its timing";
    EXPECT_EQ(field(run.dumps[4], IDC_TIMING), QStringLiteral("0"));
    EXPECT_EQ(field(run.dumps[5], IDC_TIMING), QStringLiteral("12")) << "the typed timing is kept";
    EXPECT_EQ(frame_record(run.dumps[6], 0, 1)[2].toInt(), 0) << "an empty field stores 0";
}

TEST(TimingField, AFiveDigitTimingFromAFileSurvivesBeingShownAndSaved) {
    QTemporaryDir dir;
    // Frame 1 of the one pattern holds the timing 12345, which the field cannot take whole.
    QByteArray spa = file_test::data_file(0x100, 0, {{2, 16, 24}});
    constexpr int kFrame1Timing = 12 + 12 + 12 + 2;
    spa[kFrame1Timing] = static_cast<char>(12345 & 0xFF);
    spa[kFrame1Timing + 1] = static_cast<char>(12345 >> 8);
    const QString cwp = dir.filePath("e.cwp");
    ASSERT_TRUE(image_test::write_file(
        cwp, file_test::project_file(testdata("tim/sheet64x48.bmp"), "e", {{"A", "a0", "a1"}})));
    ASSERT_TRUE(image_test::write_file(dir.filePath("e.spa"), spa));
    const ScenarioRun run = run_in(dir, "resize main 900 1000\n" + file_test::open_project(cwp) +
                                            "combo IDC_FRAME select 1\ncombo IDC_FRAME select 0\n"
                                            "tree select frame 0 1\ndump\nanswer box IDYES\n"
                                            "menu ID_FILE_SAVE\n");
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_EQ(field(run.dumps[0], IDC_TIMING), QStringLiteral("12345"));
    EXPECT_EQ(frame_record(run.dumps[0], 0, 1)[2].toInt(), 12345) << "selecting the frame changed nothing";
    EXPECT_EQ(file_test::read_bytes(dir.filePath("e.spa")), spa);
}

TEST(SpeedSlider, TheSpeedIsTakenWhenTheUserLetsGo) {
    std::string seven;
    for (int i = 0; i < 7; ++i) seven += "slider IDC_SPEED key right\n";
    const ScenarioRun run =
        run_scenario(project(1) + seven +
                     "dump\nslider IDC_SPEED drag 3\ndump\nslider IDC_SPEED wheel up\ndump\n"
                     "slider IDC_SPEED key end\ndump\nslider IDC_SPEED key home\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    auto speed = [&](size_t i) { return run.dumps[i]["tables"].toObject()["speed"].toInt(); };
    auto position = [&](size_t i) { return panel_control(run.dumps[i], IDC_SPEED)["position"].toInt(); };
    EXPECT_EQ(speed(0), 7);
    EXPECT_EQ(speed(1), 3);
    EXPECT_EQ(speed(2), position(2)) << "the wheel ends its move too";
    EXPECT_NE(speed(2), 3);
    EXPECT_EQ(speed(3), 9) << "the range ends at 9";
    EXPECT_EQ(speed(4), 0);
}

TEST(BackgroundColour, TheChosenColourFillsTheBaseFrameAndTheSwatch) {
    QTemporaryDir dir;
    // The real colour dialog: cancelled, then red typed into its HTML field and taken with OK.
    const ScenarioRun run = run_in(dir, project(1) + cell(0, 0, 0, 0) +
                                            "on color\n  button \"キャンセル\"\nend\n"
                                            "click IDC_BACKGROUND_CHANGE\ndump\n"
                                            "on color\n  field \"HTML\" \"#ff0000\"\n  button \"OK\"\nend\n"
                                            "click IDC_BACKGROUND_CHANGE\ntick\ndump\n"
                                            "snapshot pattern 0 red.png\n"
                                            "expose main\nsnapshot control IDC_BACKGROUND_SWATCH swatch.png\n"
                                            "answer color cancel\nclick IDC_BACKGROUND_CHANGE\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 3u);
    const QJsonObject cancelled = playback(run.dumps[0]);
    EXPECT_EQ(cancelled["background_fill"].toInt(), 0);
    EXPECT_EQ(cancelled["swatch"].toArray(), (QJsonArray{0, 0, 0}));
    const QJsonObject red = playback(run.dumps[1]);
    EXPECT_EQ(red["background_fill"].toInt(), 0x00FF0000);
    EXPECT_EQ(red["swatch"].toArray(), (QJsonArray{255, 0, 0}));
    // The frame's transparent border shows the background colour.
    EXPECT_EQ(shot(dir, "red.png", 16, 16).base(1, 8), kRed);
    // The swatch keeps it when the desktop shows the panel again.
    const QImage swatch(dir.filePath("swatch.png"));
    ASSERT_FALSE(swatch.isNull());
    EXPECT_EQ(swatch.pixelColor(swatch.width() / 2, swatch.height() / 2), kRed);
    const QJsonObject after_cancel = playback(run.dumps[2]);
    EXPECT_EQ(after_cancel["background_fill"].toInt(), 0x00FF0000) << "cancel changes nothing";
    EXPECT_EQ(after_cancel["swatch"].toArray(), (QJsonArray{255, 0, 0}));
    // Every time the dialog opens on black, owned by the panel, custom colours empty and out of reach.
    const QJsonArray dialogs = run.last()["color_dialogs"].toArray();
    ASSERT_EQ(dialogs.size(), 3);
    for (const auto& v : dialogs) {
        const QJsonObject d = v.toObject();
        EXPECT_TRUE(d["owner_is_panel"].toBool());
        EXPECT_EQ(d["initial"].toArray(), (QJsonArray{0, 0, 0}));
        EXPECT_EQ(d["flags"].toInt(), 5);
        ASSERT_EQ(d["custom"].toArray().size(), 16);
        for (const auto& c : d["custom"].toArray()) EXPECT_EQ(c.toArray(), (QJsonArray{0, 0, 0}));
    }
}

TEST(BackgroundColour, ASixteenBitDisplayGetsTheColourInItsOwnFormat) {
    qputenv("CELWRIGHT_DISPLAY_BPP", "16");
    const ScenarioRun run = run_scenario(project(1) +
                                         "answer color 255 0 0\nclick IDC_BACKGROUND_CHANGE\ndump\n"
                                         "answer color 0 255 0\nclick IDC_BACKGROUND_CHANGE\ndump\n");
    qunsetenv("CELWRIGHT_DISPLAY_BPP");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(playback(run.dumps[0])["background_fill"].toInt(), 0xF800);
    EXPECT_EQ(playback(run.dumps[1])["background_fill"].toInt(), 0x07E0);
}

TEST(FrameVisibility, HideOtherFramesLeavesTheCurrentOneAndShowAllBringsThemBack) {
    QTemporaryDir dir;
    const ScenarioRun run =
        run_in(dir, project(3) + frame_set(0, 2, 0, 0, 32, 16) + cell(0, 0, 0, 0) + cell(0, 1, 1, 0) +
                        "combo IDC_FRAME select 1\nclick IDC_HIDE_OTHER_FRAMES\n"
                        "tick\nsnapshot pattern 0 one.png\ndump\n"
                        "click IDC_SHOW_ALL_FRAMES\ntick\nsnapshot pattern 0 all.png\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(tree_checks(run.dumps[0], 0), (QJsonArray{false, true, false}));
    EXPECT_EQ(tree_checks(run.dumps[1], 0), (QJsonArray{true, true, true}));
    // Frames 0 (red) and 1 (green) both lie at (0, 0); frame 2 is cells (0, 0) and (1, 0).
    EXPECT_EQ(shot(dir, "one.png", 32, 16).base(8, 8), kGreen);
    EXPECT_EQ(shot(dir, "one.png", 32, 16).base(24, 8), kBlack);
    EXPECT_EQ(shot(dir, "all.png", 32, 16).base(8, 8), kRed);
    EXPECT_EQ(shot(dir, "all.png", 32, 16).base(24, 8), kGreen);
}

TEST(BaseReset, TakesTheWidestAndTallestFrameAndReportsAnEmptyBase) {
    const ScenarioRun run =
        // Frame 0 at 40 x 40 first grows the base frame beyond what the frames need at the end.
        run_scenario(project(2) + frame_set(0, 0, 0, 0, 40, 40) + frame_set(0, 0, 0, 0, 16, 8) +
                     frame_set(0, 1, 0, 0, 8, 24) + "dump\nclick IDC_BASE_RESET\ndump\n" +
                     add_pattern_with("B", 2) + "answer box IDOK\nclick IDC_BASE_RESET\ntick\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    EXPECT_EQ(settings(run.dumps[0], 0)["base_w"].toInt(), 40);
    EXPECT_EQ(settings(run.dumps[0], 0)["base_h"].toInt(), 40);
    const QJsonObject reset = run.dumps[1];
    EXPECT_EQ(settings(reset, 0)["base_w"].toInt(), 16);
    EXPECT_EQ(settings(reset, 0)["base_h"].toInt(), 24);
    EXPECT_EQ(field(reset, IDC_BASE_W), QStringLiteral("16"));
    EXPECT_EQ(field(reset, IDC_BASE_H), QStringLiteral("24"));
    const QJsonObject base =
        reset["surfaces"].toObject()["patterns"].toArray()[0].toObject()["base"].toObject();
    EXPECT_EQ(base["width"].toInt(), 16);
    EXPECT_EQ(base["height"].toInt(), 24);
    const QJsonObject empty = run.dumps[2];
    EXPECT_EQ(settings(empty, 1)["base_w"].toInt(), 0);
    EXPECT_EQ(settings(empty, 1)["base_h"].toInt(), 0);
    ASSERT_FALSE(boxes(empty).isEmpty());
    const QJsonObject box = boxes(empty).last().toObject();
    EXPECT_EQ(box["caption"].toString(), QStringLiteral("DirectDraw:CreateSurface Error!"));
    EXPECT_EQ(box["text"].toString(), QStringLiteral("DDERR_INVALIDPARAMS"));
    EXPECT_EQ(box["owner"].toString(), QStringLiteral("main"));
}

TEST(SoundPanel, ChoosingAPatternShowsItsFirstFrameOrEmptyFields) {
    // Pattern A has two frames (timings 100 and 101, images 8 x 4 and 9 x 4), pattern B none.
    QTemporaryDir dir;
    const ScenarioRun run = run_in(
        dir,
        open_written_project(dir, {{2, 16, 24}, {0}}, {{"A", "a0", "a1"}, {"B"}}) +
            "combo IDC_FRAME select 1\ncombo IDC_PATTERN select 1\ndump\ncombo IDC_PATTERN select 0\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject b = run.dumps[0];
    EXPECT_EQ(b["combos"].toObject()[id_key(IDC_PATTERN)].toObject()["selection"].toInt(), 1);
    for (int id :
         {IDC_TIMING, IDC_CORRECTION_X, IDC_CORRECTION_Y, IDC_IMAGE_X, IDC_IMAGE_Y, IDC_IMAGE_W, IDC_IMAGE_H})
        EXPECT_EQ(field(b, id), QString()) << id;
    EXPECT_EQ(field(b, IDC_BASE_W), QStringLiteral("1"));
    const QJsonObject a = run.dumps[1];
    EXPECT_EQ(a["combos"].toObject()[id_key(IDC_FRAME)].toObject()["selection"].toInt(), 0);
    EXPECT_EQ(field(a, IDC_TIMING), QStringLiteral("100"));
    EXPECT_EQ(field(a, IDC_IMAGE_W), QStringLiteral("8"));
    EXPECT_EQ(field(a, IDC_IMAGE_H), QStringLiteral("4"));
    EXPECT_EQ(field(a, IDC_BASE_H), QStringLiteral("24"));
    EXPECT_EQ(frame_record(a, 0, 1)[2].toInt(), 101) << "frame 1 keeps its own timing";
}

TEST(VersionDialog, ShowsTheIconAndVersionAndClosesWithOk) {
    const ScenarioRun run =
        run_scenario("menu ID_HELP_VERSION\non dialog IDD_VERSION\n  dump\n  click IDCANCEL\nend\ndump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    const QJsonObject dialog = run.dumps[0]["dialog"].toObject();
    EXPECT_EQ(dialog["window"].toObject()["title"].toString(), QString::fromUtf8("Celwright ｳﾞｧｰｼﾞｮﾝ情報"));
    QStringList texts;
    bool icon = false;
    for (const auto& v : dialog["controls"].toArray()) {
        const QJsonObject c = v.toObject();
        texts << c["text"].toString();
        if (c["class"].toString() == QStringLiteral("STATIC") && c["text"].toString().isEmpty()) icon = true;
    }
    EXPECT_TRUE(texts.contains(QStringLiteral("Celwright Version1.2")));
    EXPECT_TRUE(texts.contains(QStringLiteral("OK")));
    EXPECT_TRUE(icon);
    EXPECT_FALSE(run.last().contains("dialog")) << "OK closed it";
}

// A disabled dialog does not grey its controls on every system, so the panel disables each of
// them while no project is open; opening one gives each control the state it is meant to have
// (the stop button stays disabled), and playing then closing the project leaves none usable.
TEST(PanelStates, EveryControlIsDisabledWithoutAProjectAndComesBackAsItWas) {
    const ScenarioRun run =
        run_scenario("dump\n" + project(2) + "dump\nclick IDC_PLAY_FORWARD\ndump\nanswer box IDNO\n" +
                     new_project() + "dump\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors.toStdString();
    ASSERT_EQ(run.dumps.size(), 4u);
    const auto enabled_ids = [](const QJsonObject& dump) {
        QList<int> ids;
        for (const auto& c : dump["panel_controls"].toArray())
            if (c.toObject()["enabled"].toBool()) ids << c.toObject()["id"].toInt();
        return ids;
    };
    EXPECT_FALSE(run.dumps[0]["panel_enabled"].toBool());
    EXPECT_TRUE(enabled_ids(run.dumps[0]).isEmpty()) << "nothing of the panel can be used without a project";
    const QJsonObject open = run.dumps[1];
    EXPECT_TRUE(open["panel_enabled"].toBool());
    EXPECT_TRUE(enabled(open, IDC_PLAY_FORWARD));
    EXPECT_TRUE(enabled(open, IDC_TIMING));
    EXPECT_FALSE(enabled(open, IDC_PLAY_STOP));
    EXPECT_FALSE(enabled(open, IDC_TRANSPARENT_CHANGE));
    const QJsonObject playing = run.dumps[2];
    EXPECT_TRUE(enabled(playing, IDC_PLAY_STOP));
    EXPECT_FALSE(enabled(playing, IDC_PATTERN));
    // A new project starts stopped: the panel as it was first opened.
    EXPECT_EQ(enabled_ids(run.dumps[3]), enabled_ids(open));
}
