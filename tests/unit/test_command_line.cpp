// The editor's command line: WinMain's lpCmdLine split into words as the C runtime splits
// it, the options found in them and the answers to --help, --version and a wrong command
// line; and the layer's lpCmdLine made from main()'s arguments, which must split back into
// the same arguments, double-byte names included.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "text/cp932.h"
#include "win/command_line.h"

namespace {

using Words = std::vector<std::string>;

// 表 is 0x95 0x5C in code page 932: its trail byte is the backslash's.
constexpr char kTableUtf8[] = "\xE8\xA1\xA8";
constexpr char kTableCp932[] = "\x95\x5C";

TEST(CommandLineWords, SpacesTabsAndQuotesSplitAsTheRuntimeSplitsThem) {
    EXPECT_EQ(command_line_words(nullptr), Words{});
    EXPECT_EQ(command_line_words(""), Words{});
    EXPECT_EQ(command_line_words(" \t "), Words{});
    EXPECT_EQ(command_line_words("  a.cwp\tb  c "), (Words{"a.cwp", "b", "c"}));
    EXPECT_EQ(command_line_words("\"my walk.cwp\" x"), (Words{"my walk.cwp", "x"}));
    EXPECT_EQ(command_line_words("pre\"fix and\"post"), (Words{"prefix andpost"}));
    EXPECT_EQ(command_line_words("\"\" a \"\""), (Words{"", "a", ""}));
    EXPECT_EQ(command_line_words("\"unclosed quote"), (Words{"unclosed quote"}));
    EXPECT_EQ(command_line_words("\"a\"\"b\" c"), (Words{"a\"b", "c"}));
}

TEST(CommandLineWords, BackslashesCountOnlyBeforeAQuote) {
    EXPECT_EQ(command_line_words("C:\\dir\\a.cwp \\\\server\\x"), (Words{"C:\\dir\\a.cwp", "\\\\server\\x"}));
    EXPECT_EQ(command_line_words("a\\\"b"), (Words{"a\"b"}));
    EXPECT_EQ(command_line_words("a\\\\\"b c\""), (Words{"a\\b c"}));
    EXPECT_EQ(command_line_words("a\\\\\\\"b"), (Words{"a\\\"b"}));
    EXPECT_EQ(command_line_words("\"C:\\my dir\\\\\" next"), (Words{"C:\\my dir\\", "next"}));
    // A single backslash before the closing quote makes it a character: the word runs on.
    EXPECT_EQ(command_line_words("\"C:\\my dir\\\" next"), (Words{"C:\\my dir\" next"}));
}

TEST(CommandLineWords, DoubleByteCharactersAreCopiedWhole) {
    // The trail byte 0x5C before the closing quote is not a backslash: the quote still closes.
    const std::string quoted = std::string("\"") + kTableCp932 + " " + kTableCp932 + "\" x";
    EXPECT_EQ(command_line_words(quoted.c_str()), (Words{std::string(kTableCp932) + " " + kTableCp932, "x"}));
    const std::string bare = std::string(kTableCp932) + "\\\"" + kTableCp932;
    EXPECT_EQ(command_line_words(bare.c_str()), (Words{std::string(kTableCp932) + "\"" + kTableCp932}));
}

TEST(ParseCommandLine, OptionsAndThePathAreTakenApart) {
    const CommandLine none = parse_command_line("");
    EXPECT_FALSE(none.help);
    EXPECT_FALSE(none.version);
    EXPECT_EQ(none.path, "");
    EXPECT_EQ(none.error, "");

    EXPECT_TRUE(parse_command_line("--help").help);
    EXPECT_TRUE(parse_command_line("-h").help);
    const CommandLine version = parse_command_line("--version");
    EXPECT_TRUE(version.version);
    EXPECT_FALSE(version.help);

    const CommandLine path = parse_command_line("\"C:\\my projects\\walk.cwp\"");
    EXPECT_EQ(path.path, "C:\\my projects\\walk.cwp");
    EXPECT_EQ(path.error, "");
    EXPECT_FALSE(path.help || path.version);

    // "--" ends the options; "-" alone is a word.
    EXPECT_EQ(parse_command_line("-- -walk.cwp").path, "-walk.cwp");
    EXPECT_EQ(parse_command_line("-- --help").help, false);
    EXPECT_EQ(parse_command_line("-").path, "-");
    const CommandLine both = parse_command_line("walk.cwp --version");
    EXPECT_EQ(both.path, "walk.cwp");
    EXPECT_TRUE(both.version);
}

TEST(ParseCommandLine, UnknownOptionsAndASecondFileAreErrorsThatWinOverHelp) {
    const CommandLine unknown = parse_command_line("--help --frobnicate -x");
    EXPECT_EQ(unknown.error, "unknown option --frobnicate (see celwright --help)");
    EXPECT_TRUE(unknown.help);
    EXPECT_EQ(parse_command_line("-v").error, "unknown option -v (see celwright --help)");
    const CommandLine two = parse_command_line("a.cwp \"b c.cwp\"");
    EXPECT_EQ(two.path, "a.cwp");
    EXPECT_EQ(two.error, "one file at most: b c.cwp is one too many");
    EXPECT_EQ(parse_command_line("--version a b").error, "one file at most: b is one too many");
}

// What answer_command_line writes on its two streams.
struct Answer {
    int status;
    std::string out, err;
};

std::string contents(FILE* f) {
    std::string text;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) text += static_cast<char>(c);
    return text;
}

Answer answer(const char* cmdline) {
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    EXPECT_TRUE(out && err);
    if (!out || !err) return {};
    Answer a{answer_command_line(parse_command_line(cmdline), out, err), contents(out), contents(err)};
    std::fclose(out);
    std::fclose(err);
    return a;
}

TEST(AnswerCommandLine, HelpVersionAndErrorsAreAnsweredWithoutStartingTheEditor) {
    const Answer help = answer("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, kCommandLineHelp);
    EXPECT_EQ(help.out.rfind("usage: celwright", 0), 0u);
    EXPECT_NE(help.out.find("--version"), std::string::npos);
    EXPECT_EQ(help.err, "");

    const Answer version = answer("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "celwright " CELWRIGHT_VERSION "\n");
    EXPECT_TRUE(std::regex_match(version.out, std::regex("celwright [0-9]+\\.[0-9]+\\.[0-9]+\n")));
    EXPECT_EQ(version.err, "");

    const Answer wrong = answer("--help --frobnicate");
    EXPECT_EQ(wrong.status, kExitUsage);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, "celwright: unknown option --frobnicate (see celwright --help)\n");

    for (const char* start : {"", "walk.cwp", "-- --help"}) {
        const Answer a = answer(start);
        EXPECT_EQ(a.status, kStartEditor) << start;
        EXPECT_EQ(a.out + a.err, "") << start;
    }
}

Words split(const std::vector<const char*>& argv) {
    const std::string line = cw::win::command_line_from_arguments(static_cast<int>(argv.size()), argv.data());
    return command_line_words(line.c_str());
}

TEST(LayerCommandLine, ArgumentsAreQuotedSoThatTheRuntimeSplitsThemBack) {
    const std::vector<const char*> plain = {"celwright", "a.cwp", "--help"};
    EXPECT_EQ(cw::win::command_line_from_arguments(3, plain.data()), "a.cwp --help");
    const std::vector<const char*> spaced = {"celwright", "my walk.cwp", "", "tab\there"};
    EXPECT_EQ(cw::win::command_line_from_arguments(4, spaced.data()), "\"my walk.cwp\" \"\" \"tab\there\"");
    const std::vector<const char*> slashes = {"celwright", "C:\\my dir\\", "say \"hi\"\\", "a\\\"b"};
    EXPECT_EQ(cw::win::command_line_from_arguments(4, slashes.data()),
              "\"C:\\my dir\\\\\" \"say \\\"hi\\\"\\\\\" a\\\\\\\"b");
    const std::vector<const char*> only_name = {"celwright"};
    EXPECT_EQ(cw::win::command_line_from_arguments(1, only_name.data()), "");

    for (const auto& argv : {plain, spaced, slashes}) {
        const Words back = split(argv);
        EXPECT_EQ(back, Words(argv.begin() + 1, argv.end()));
    }
}

TEST(LayerCommandLine, NamesArriveInTheProgramsCodePageAndSplitBack) {
    // A name ending in a character whose trail byte is 0x5C, inside quotes and before a quote.
    const std::string spaced = std::string("walk ") + kTableUtf8;
    const std::string before_quote = std::string(kTableUtf8) + "\"" + kTableUtf8;
    const std::vector<const char*> argv = {"celwright", spaced.c_str(), before_quote.c_str(), kTableUtf8};
    const Words back = split(argv);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0], std::string("walk ") + kTableCp932);
    EXPECT_EQ(back[1], std::string(kTableCp932) + "\"" + kTableCp932);
    EXPECT_EQ(back[2], kTableCp932);
    EXPECT_EQ(back[2], cw::text::utf8_to_cp932(kTableUtf8));
    // The trail byte was not doubled as a backslash before the closing quote.
    EXPECT_EQ(cw::win::command_line_from_arguments(2, argv.data()),
              std::string("\"walk ") + kTableCp932 + "\"");
    const CommandLine parsed =
        parse_command_line(cw::win::command_line_from_arguments(2, argv.data()).c_str());
    EXPECT_EQ(parsed.path, back[0]);
    EXPECT_EQ(parsed.error, "");
}

}  // namespace
