// celwright-tool info: the JSON document holds what the editor's readers load from the
// same files, labels and paths converted from CP932; refused files and wrong command
// lines get one clear line on standard error.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstring>
#include <vector>

#include "files/project_reading.h"
#include "text/cp932.h"
#include "tool_support.h"

using namespace tool_test;

namespace {

QString utf8(const char* field, size_t size) {
    return QString::fromStdString(cw::text::cp932_to_utf8(std::string(field, strnlen(field, size))));
}

// The document against the editor's own reading of the files, value by value.
void expect_matches_reader(const QString& path) {
    const ToolRun run = run_tool({"info", path, "--json"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const QJsonObject info = QJsonDocument::fromJson(QByteArray::fromStdString(run.out)).object();
    ProjectFiles files = read_project_files(cw::text::utf8_to_cp932(path.toStdString()).c_str());
    ASSERT_TRUE(files.ok());
    NameTables names = files.names;
    if (files.kind == PathKind::DataFile)
        set_label(names.project_name, project_name_for_data_file(files.data_path).c_str());
    reconcile_labels(names, files.data);
    const AnimationDataContents& d = files.data;
    EXPECT_EQ(info["project_name"].toString(), utf8(names.project_name, kLabelSize));
    EXPECT_EQ(info["image_path"].toString(), utf8(names.image_path, kPathSize));
    const QJsonObject tpage = info["tpage"].toObject();
    EXPECT_EQ(tpage["value"].toInteger(), d.header.tpage);
    EXPECT_EQ(tpage["page_x"].toInt(), static_cast<int>(d.header.tpage & 0xF) * 64);
    EXPECT_EQ(tpage["page_y"].toInt(), static_cast<int>((d.header.tpage >> 4) & 1) * 256);
    EXPECT_EQ(tpage["colour_mode"].toInt(), static_cast<int>((d.header.tpage >> 7) & 3));
    EXPECT_EQ(info["speed"].toInteger(), d.header.speed);
    const QJsonArray patterns = info["patterns"].toArray();
    ASSERT_EQ(patterns.size(), static_cast<int>(d.header.pattern_count));
    uint16_t last_clut = 0;
    for (int p = 0; p < patterns.size(); ++p) {
        const QJsonObject pattern = patterns[p].toObject();
        EXPECT_EQ(pattern["label"].toString(), utf8(names.pattern_labels[p], kLabelSize));
        EXPECT_EQ(pattern["base_w"].toInt(), d.entries[p].base_w);
        EXPECT_EQ(pattern["base_h"].toInt(), d.entries[p].base_h);
        EXPECT_EQ(pattern["offset"].toInteger(), d.entries[p].offset);
        const QJsonArray frames = pattern["frames"].toArray();
        ASSERT_EQ(frames.size(), static_cast<int>(d.entries[p].frame_count));
        for (int f = 0; f < frames.size(); ++f) {
            const QJsonObject frame = frames[f].toObject();
            const FrameRecord& r = d.frames[p][f];
            EXPECT_EQ(frame["label"].toString(), utf8(names.frame_labels[p][f], kLabelSize));
            EXPECT_EQ(frame["timing"].toInt(), r.timing);
            EXPECT_EQ(frame["correction_x"].toInt(), r.correction_x);
            EXPECT_EQ(frame["correction_y"].toInt(), r.correction_y);
            EXPECT_EQ(frame["image_x"].toInt(), r.image_x);
            EXPECT_EQ(frame["image_y"].toInt(), r.image_y);
            EXPECT_EQ(frame["image_w"].toInt(), r.image_w);
            EXPECT_EQ(frame["image_h"].toInt(), r.image_h);
            EXPECT_EQ(frame["clut"].toInt(), r.clut);
            last_clut = r.clut;
        }
    }
    const QJsonObject clut = info["clut"].toObject();
    EXPECT_EQ(clut["value"].toInt(), last_clut);
    EXPECT_EQ(clut["x"].toInt(), (last_clut & 0x3F) * 16);
    EXPECT_EQ(clut["y"].toInt(), (last_clut >> 6) & 0x1FF);
}

}  // namespace

TEST(ToolInfo, JsonHoldsWhatTheEditorsReadersLoad) {
    for (const char* file : {"examples/walk.cwp", "examples/walk.spa", "tests/data/project/walk.cwp",
                             "tests/data/project/full.spa"}) {
        SCOPED_TRACE(file);
        expect_matches_reader(source_path(file));
    }
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
    for (const char* command : {"info", "check", "render"}) {
        const ToolRun help = run_tool({command, "--help"});
        EXPECT_EQ(help.exit_code, 0);
        EXPECT_EQ(help.out.rfind(std::string("usage: celwright-tool ") + command, 0), 0u) << help.out;
        EXPECT_EQ(run_tool({"help", command}).out, help.out);
    }
}
