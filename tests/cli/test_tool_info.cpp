// celwright-tool info: the JSON document holds the values the files' bytes hold, labels
// and paths converted from CP932; refused files and wrong command
// lines get one clear line on standard error.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>
#include <vector>

#include "tool_support.h"

using namespace tool_test;

namespace {

QJsonObject info_of(const QString& path) {
    const ToolRun run = run_tool({"info", path, "--json"});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    return QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
}

// One frame as the document lists it: label, timing, correction, image rectangle, CLUT.
struct Frame {
    const char* label;
    int timing, correction_x, correction_y, image_x, image_y, image_w, image_h, clut;
};

void expect_frames(const QJsonArray& frames, const std::vector<Frame>& expected) {
    ASSERT_EQ(frames.size(), static_cast<int>(expected.size()));
    for (size_t f = 0; f < expected.size(); ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        const QJsonObject frame = frames[static_cast<int>(f)].toObject();
        const Frame& e = expected[f];
        EXPECT_EQ(frame["label"].toString(), QString::fromUtf8(e.label));
        EXPECT_EQ(frame["timing"].toInt(), e.timing);
        EXPECT_EQ(frame["correction_x"].toInt(), e.correction_x);
        EXPECT_EQ(frame["correction_y"].toInt(), e.correction_y);
        EXPECT_EQ(frame["image_x"].toInt(), e.image_x);
        EXPECT_EQ(frame["image_y"].toInt(), e.image_y);
        EXPECT_EQ(frame["image_w"].toInt(), e.image_w);
        EXPECT_EQ(frame["image_h"].toInt(), e.image_h);
        EXPECT_EQ(frame["clut"].toInt(), e.clut);
    }
}

}  // namespace

// The test project's bytes, read by hand: tpage 0x9A, speed 3; "walk" (offset 36, 40 x 30) with
// three frames 16 x 24 at x 0, 32, 64, timings 10..12, corrections (0,0) (3,1) (6,2), CLUT
// 0x7805; "待機" (offset 72, 17 x 9) without frames.
TEST(ToolInfo, JsonHoldsTheValuesTheTestProjectsBytesHold) {
    const QJsonObject info = info_of(source_path("tests/data/project/walk.cwp"));
    EXPECT_EQ(info["project_name"].toString(), QString::fromUtf8("歩き"));
    EXPECT_EQ(info["image_path"].toString(), "sheet.bmp");
    EXPECT_EQ(info["data_file"].toString(), source_path("tests/data/project/walk.spa"));
    const QJsonObject tpage = info["tpage"].toObject();
    EXPECT_EQ(tpage["value"].toInt(), 0x9A);
    EXPECT_EQ(tpage["page_x"].toInt(), 640);
    EXPECT_EQ(tpage["page_y"].toInt(), 256);
    EXPECT_EQ(tpage["colour_mode"].toInt(), 1);
    EXPECT_EQ(info["speed"].toInt(), 3);
    const QJsonArray patterns = info["patterns"].toArray();
    ASSERT_EQ(patterns.size(), 2);
    const QJsonObject walk = patterns[0].toObject(), wait = patterns[1].toObject();
    EXPECT_EQ(walk["label"].toString(), "walk");
    EXPECT_EQ(walk["offset"].toInt(), 36);
    EXPECT_EQ(walk["base_w"].toInt(), 40);
    EXPECT_EQ(walk["base_h"].toInt(), 30);
    expect_frames(walk["frames"].toArray(), {{"frame_00", 10, 0, 0, 0, 0, 16, 24, 0x7805},
                                             {"frame_01", 11, 3, 1, 32, 0, 16, 24, 0x7805},
                                             {"frame_02", 12, 6, 2, 64, 0, 16, 24, 0x7805}});
    EXPECT_EQ(wait["label"].toString(), QString::fromUtf8("待機"));
    EXPECT_EQ(wait["offset"].toInt(), 72);
    EXPECT_EQ(wait["base_w"].toInt(), 17);
    EXPECT_EQ(wait["base_h"].toInt(), 9);
    expect_frames(wait["frames"].toArray(), {});
    // The CLUT attribute of the last frame: x 5 * 16, y 0x7805 >> 6.
    const QJsonObject clut = info["clut"].toObject();
    EXPECT_EQ(clut["value"].toInt(), 0x7805);
    EXPECT_EQ(clut["x"].toInt(), 80);
    EXPECT_EQ(clut["y"].toInt(), 480);
}

// The same data file alone: the name from the file's name, the labels the editor makes.
TEST(ToolInfo, ADataFileAloneGetsItsNameAndLabelsAsTheEditorMakesThem) {
    const QJsonObject info = info_of(source_path("tests/data/project/walk.spa"));
    EXPECT_EQ(info["project_name"].toString(), "walk");
    const QJsonArray patterns = info["patterns"].toArray();
    ASSERT_EQ(patterns.size(), 2);
    EXPECT_EQ(patterns[0].toObject()["label"].toString(), "pattern_00");
    EXPECT_EQ(patterns[1].toObject()["label"].toString(), "pattern_01");
    expect_frames(patterns[0].toObject()["frames"].toArray(),
                  {{"frame_00", 10, 0, 0, 0, 0, 16, 24, 0x7805},
                   {"frame_01", 11, 3, 1, 32, 0, 16, 24, 0x7805},
                   {"frame_02", 12, 6, 2, 64, 0, 16, 24, 0x7805}});
}

TEST(ToolInfo, ExampleAttributesAreTakenApart) {
    const ToolRun run = run_tool({"info", source_path("examples/walk.cwp"), "--json"});
    const QJsonObject info = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    // The example's TIM sits at (640, 0) in 4-bit mode with its CLUT at (0, 480).
    const QJsonObject tpage = info["tpage"].toObject();
    EXPECT_EQ(tpage["page_x"].toInt(), 640);
    EXPECT_EQ(tpage["page_y"].toInt(), 0);
    EXPECT_EQ(tpage["colour_mode_name"].toString(), "4bitCLUT");
    EXPECT_EQ(tpage["semi_transparency_name"].toString(), QString::fromUtf8("半透明"));
    EXPECT_EQ(info["clut"].toObject()["y"].toInt(), 480);
    EXPECT_EQ(info["project_name"].toString(), QString::fromUtf8("歩行ｻﾝﾌﾟﾙ"));
    EXPECT_EQ(info["data_file"].toString(), source_path("examples/walk.spa"));
}

TEST(ToolInfo, TextShowsLabelsInUtf8AndTheDecodedAttributes) {
    const ToolRun run = run_tool({"info", source_path("tests/data/project/walk.cwp")});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    // Page X 640 and Y 256 in 8-bit mode (0x9A), the CLUT at (80, 480) (0x7805).
    EXPECT_NE(run.out.find("page X 640, Y 256"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("colour mode 1 (8bitCLUT)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("X 80, Y 480"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\x83'), std::string::npos) << "CP932 bytes reached the terminal";
    EXPECT_TRUE(QString::fromStdString(run.out).isValidUtf16());
}

TEST(ToolInfo, RefusedAndMissingFilesGiveOneLineAndNoOutput) {
    QTemporaryDir dir;
    copy_example(dir);
    QByteArray spa = read_bytes(dir.filePath("walk.spa"));
    ASSERT_TRUE(write_bytes(dir.filePath("walk.spa"), spa.left(50)));  // records cut short
    ASSERT_TRUE(write_bytes(dir.filePath("many.spa"), [] {
        QByteArray b(12, '\0');
        put32(b, 8, 13);  // thirteen patterns
        return b;
    }()));
    struct Case {
        QString file;
        std::string names;  // what the line must name
        std::string says;
    };
    const std::vector<Case> cases = {
        {dir.filePath("walk.cwp"), "walk.spa", "ﾌﾚｰﾑﾃﾞｰﾀまでに108ﾊﾞｲﾄ必要ですが50ﾊﾞｲﾄしかありません"},
        {dir.filePath("many.spa"), "many.spa", "ﾊﾟﾀｰﾝ数(13)が12を超えています"},
        {dir.filePath("gone.cwp"), "gone.cwp", "cannot be opened"},
        {dir.filePath("walk.bmp"), "walk.bmp", "(*.cwp)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const ToolRun run = run_tool({"info", c.file, "--json"});
        EXPECT_EQ(run.exit_code, 1);
        EXPECT_TRUE(run.out.empty());
        EXPECT_EQ(line_count(run.err), 1) << run.err;
        EXPECT_NE(run.err.find(c.names), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
}

TEST(ToolInfo, WrongCommandLinesSayWhatIsWrongAndHelpAnswers) {
    struct Case {
        QStringList args;
        int exit_code;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{}, 2, "usage: celwright-tool COMMAND"},
        {{"frobnicate"}, 2, "unknown command frobnicate"},
        {{"--frobnicate"}, 2, "unknown option --frobnicate"},
        {{"info"}, 2, "which file?"},
        {{"info", "a.cwp", "--yaml"}, 2, "unknown option --yaml"},
        {{"check", "a.cwp", "b.cwp"}, 2, "check: one file at a time"},
        {{"check", "--json", "a.cwp"}, 2, "check: unknown option --json"},
        {{"render", "a.cwp", "--out", "x.gif"}, 2, "which pattern?"},
        {{"render", "a.cwp", "--pattern", "0"}, 2, "one output"},
        {{"render", "a.cwp", "--pattern", "0", "--out", "x.gif", "--scale", "0"}, 2, "--scale takes"},
        {{"render", "a.cwp", "--pattern", "0", "--out", "x.gif", "--flip", "x"},
         2,
         "--flip takes h, v or hv"},
        {{"render", "a.cwp", "--pattern"}, 2, "--pattern needs a value"},
        {{"render", "a.cwp", "--pattern", "0", "--out", "x.gif", "--background", "red"}, 2, "--background takes"},
        {{"vram", "a.cwp", "--out", "m.png", "--scale", "5"}, 2, "vram: --scale takes a whole number from 1 to 4"},
        {{"vram", "--out", "m.png"}, 2, "vram: which projects?"},
        {{"vram", "a.cwp", "--out", "m.png", "--flip", "h"}, 2, "vram: unknown option --flip"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const ToolRun run = run_tool(c.args);
        EXPECT_EQ(run.exit_code, c.exit_code);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        // One line, but for no command at all, which gets the usage.
        if (!c.args.empty()) {
            EXPECT_EQ(line_count(run.err), 1) << run.err;
        }
        EXPECT_EQ(run.out, "");
    }
    const ToolRun tool_help = run_tool({"--help"});
    EXPECT_EQ(tool_help.exit_code, 0);
    EXPECT_EQ(tool_help.out.rfind("usage: celwright-tool COMMAND", 0), 0u) << tool_help.out;
    EXPECT_NE(tool_help.out.find("--version"), std::string::npos) << tool_help.out;
    EXPECT_EQ(tool_help.err, "");
    EXPECT_EQ(run_tool({"-h"}).out, tool_help.out);
    EXPECT_EQ(run_tool({}).err, tool_help.out);
    const ToolRun version = run_tool({"--version"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.out, "celwright-tool " CELWRIGHT_VERSION "\n");
    EXPECT_EQ(version.err, "");
    for (const char* command : {"info", "check", "render", "vram", "tim"}) {
        const ToolRun help = run_tool({command, "--help"});
        EXPECT_EQ(help.exit_code, 0);
        EXPECT_EQ(help.out.rfind(std::string("usage: celwright-tool ") + command, 0), 0u) << help.out;
        EXPECT_EQ(run_tool({"help", command}).out, help.out);
    }
}
