// celwright-tool: reads, checks and renders the editor's project and animation data
// files for build scripts, without a window. Everything it knows about the files comes
// from the editor's own readers, image decoders and drawing (cw_program_core), so the
// tool and the editor cannot disagree. Texts of the files are CP932; the tool speaks
// UTF-8 on the terminal and in JSON.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/image_decoding.h"
#include "files/project_reading.h"

namespace cli {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // a file is refused, a check found problems, nothing written
inline constexpr int kExitUsage = 2;   // the command line is wrong

// A project as the editor opens it.
struct Project {
    std::string path;         // as given on the command line (UTF-8)
    std::string path_cp932;   // the same, as the editor's file calls take it
    ProjectFiles files;       // both files as read and checked
    NameTables names{};       // the labels the editor shows (made up where the files have none)
    std::string image_cp932;  // the image path to open (relative ones from the project's folder)
    // The CLUT attribute the editor holds once the project is open: the last frame
    // record's, or the image's when there is no record.
    uint16_t clut_attribute = 0;
    const char* clut_source = "none";  // "frame records", "image" or "none"
};

// UTF-8 text of a CP932 field of at most size bytes (up to its NUL).
std::string utf8_of(const char* field, size_t size);
// A CP932 refusal or message text on one line (its line breaks become spaces), as UTF-8.
std::string one_line(const std::string& cp932);

// Reads the project as the editor's Open does. On failure returns false and sets
// *error to one line naming the file and what is wrong.
bool load_project(const std::string& path_utf8, Project& project, std::string* error);

int pattern_count(const Project& p);
int frame_count(const Project& p, int pattern);
// The UTF-8 path of the data file and of the image, for messages.
std::string data_path(const Project& p);
std::string image_path(const Project& p);

// The texture-page word and the CLUT attribute taken apart as the drawing environment
// dialog shows them.
struct TexturePage {
    int page_x, page_y, semi_transparency, colour_mode;
};
TexturePage decode_tpage(uint32_t tpage);
const char* semi_transparency_name(int mode);  // the dialog's texts, UTF-8
const char* colour_mode_name(int mode);        // "4bitCLUT" .. "24bitDirect"
struct ClutPlace {
    int x, y;
};
ClutPlace decode_clut(uint16_t clut);

// Prints one error line on standard error: "celwright-tool: TEXT".
void report(const std::string& text);

// The command line of a command that takes one file and some switches (such as
// --json). Returns kGoOn with the file and the switches given, or the exit code when
// the command is done: --help printed, or a wrong command line reported.
inline constexpr int kGoOn = -1;
struct FileCommand {
    std::string file;
    std::vector<std::string> switches;
    bool has(const std::string& s) const;
};
int parse_file_command(const std::vector<std::string>& args, const std::string& command, const char* help,
                       const std::vector<std::string>& allowed, FileCommand& out);

// The commands; args are what follows the command's name.
int run_info(const std::vector<std::string>& args);
int run_check(const std::vector<std::string>& args);
int run_render(const std::vector<std::string>& args);
int run_tim(const std::vector<std::string>& args);
int run_vram(const std::vector<std::string>& args);

// Help texts of the tool and of each command.
extern const char kToolHelp[];
extern const char kInfoHelp[];
extern const char kCheckHelp[];
extern const char kRenderHelp[];
extern const char kTimHelp[];
extern const char kVramHelp[];

}  // namespace cli
