#include "app/command_line.h"

#include <string_view>

#include "project/dbcs_text.h"

#ifndef CELWRIGHT_VERSION
#error "The build defines CELWRIGHT_VERSION from the project's version"
#endif

const char kCommandLineHelp[] =
    "usage: celwright [FILE]\n"
    "       celwright --help | --version\n"
    "\n"
    "Celwright edits sprite animation data: patterns of timed frames cut from one sprite\n"
    "sheet (a BMP, TIM or PNG image), saved as a project file (.cwp) beside the animation\n"
    "data file (.spa) that a game reads.\n"
    "\n"
    "FILE, when given, is opened as a file dropped on the main window is: a project file or\n"
    "data file as the project, a sprite sheet (.bmp, .tim or .png) as a new project over it.\n"
    "\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "The settings files Celwin.cfg and Celwin.ini are kept in the folder the editor is\n"
    "started from"
#ifdef CELWRIGHT_DESKTOP_SETTINGS
    "; started in the home folder, which holds no Celwin.cfg, in\n"
    "$XDG_CONFIG_HOME/celwright (~/.config/celwright)"
#endif
    ".\n"
    "Exit status: 0 when the editor ends, 2 when the command line is wrong.\n";

std::vector<std::string> command_line_words(const char* cmdline) {
    std::vector<std::string> words;
    if (!cmdline) return words;
    const std::string_view text(cmdline);
    size_t i = 0;
    for (;;) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        if (i == text.size()) break;
        std::string word;
        bool quoted = false;
        while (i < text.size()) {
            const char c = text[i];
            if (!quoted && (c == ' ' || c == '\t')) break;
            if (c == '\\') {
                size_t slashes = 0;
                while (i < text.size() && text[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < text.size() && text[i] == '"') {
                    // Half of them stand; an odd one makes the quote a character.
                    word.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        word += '"';
                        ++i;
                    }
                } else {
                    word.append(slashes, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                    word += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
                continue;
            }
            const size_t length = dbcs_char_length(text, i);
            word.append(text.substr(i, length));
            i += length;
        }
        words.push_back(std::move(word));
    }
    return words;
}

CommandLine parse_command_line(const char* cmdline) {
    CommandLine result;
    bool options_end = false;
    bool have_path = false;
    for (const std::string& word : command_line_words(cmdline)) {
        const bool option = !options_end && word.size() > 1 && word[0] == '-';
        if (!option) {
            if (!have_path) {
                result.path = word;
                have_path = true;
            } else if (result.error.empty()) {
                result.error = "one file at most: " + word + " is one too many";
            }
        } else if (word == "--") {
            options_end = true;
        } else if (word == "--help" || word == "-h") {
            result.help = true;
        } else if (word == "--version") {
            result.version = true;
        } else if (result.error.empty()) {
            result.error = "unknown option " + word + " (see celwright --help)";
        }
    }
    return result;
}

std::string version_text() {
    return std::string("celwright ") + CELWRIGHT_VERSION + "\n";
}

int answer_command_line(const CommandLine& command_line, FILE* out, FILE* err) {
    if (!command_line.error.empty()) {
        std::fprintf(err, "celwright: %s\n", command_line.error.c_str());
        return kExitUsage;
    }
    if (command_line.help) {
        std::fputs(kCommandLineHelp, out);
        return 0;
    }
    if (command_line.version) {
        std::fputs(version_text().c_str(), out);
        return 0;
    }
    return kStartEditor;
}
