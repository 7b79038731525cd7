// The editor's command line: WinMain's lpCmdLine taken apart into words the way the C
// runtime does it for argv, and the options found in them. Pure functions, so that the
// parsing is the same on every system and can be checked without a window.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// What the command line asked for. An error wins over everything else, then --help,
// then --version.
struct CommandLine {
    bool help = false;     // --help or -h
    bool version = false;  // --version
    // The first word that is not an option (quotes removed), "" when there is none. It is
    // kept for the caller; nothing is opened from it here.
    std::string path;
    // Why the command line is wrong (an unknown option, a second file), "" when it is not.
    // One line without the program's name.
    std::string error;
};

// Splits a command line into words as the C runtime builds argv: words are separated by
// spaces and tabs; double quotes group a word's spaces and are removed ("" inside quotes is
// one quote); 2n backslashes before a quote give n backslashes and the quote's meaning,
// 2n + 1 give n backslashes and a literal quote; other backslashes stay as they are. Texts
// are Shift-JIS: a double-byte character is copied whole, so its trail byte is never taken
// for a backslash or a quote. A null command line has no words.
std::vector<std::string> command_line_words(const char* cmdline);

// Takes the options out of the words of cmdline: "--" ends the options, a word that starts
// with '-' before it (other than "-" alone) is an option.
CommandLine parse_command_line(const char* cmdline);

// Carry on and start the editor.
inline constexpr int kStartEditor = -1;
// A wrong command line ends the program with this status.
inline constexpr int kExitUsage = 2;

// Answers what the command line asked for without a window: the help or the version text on
// out (exit status 0), or one error line on err (exit status kExitUsage). Returns the exit
// status, or kStartEditor when the editor should start.
int answer_command_line(const CommandLine& command_line, FILE* out, FILE* err);

// "celwright 1.2.0" and a line break, the --version text.
std::string version_text();
// The --help text.
extern const char kCommandLineHelp[];
