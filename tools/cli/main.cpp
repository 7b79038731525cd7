// celwright-tool COMMAND ...: the entry point and the help texts.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tool.h"

namespace cli {

const char kToolHelp[] =
    "usage: celwright-tool COMMAND [ARGUMENTS]\n"
    "\n"
    "Reads, checks and renders the editor's project files (.cwp) and animation data\n"
    "files (.spa) without opening a window, with the editor's own readers and drawing.\n"
    "\n"
    "commands:\n"
    "  info FILE.cwp|FILE.spa [--json]    what the files hold\n"
    "  check PROJECT.cwp                  everything a game would trip over\n"
    "  render PROJECT.cwp --pattern N --out FILE.gif [--scale K] [--flip h|v|hv]\n"
    "  render PROJECT.cwp --pattern N --sheet FILE.png [--scale K] [--flip h|v|hv]\n"
    "\n"
    "options:\n"
    "  -h, --help    print this help and exit\n"
    "  --version     print the version and exit\n"
    "\n"
    "celwright-tool COMMAND --help tells more. Exit status: 0 done, 1 a file is refused\n"
    "or check found problems (nothing is written), 2 the command line is wrong.\n";

const char kInfoHelp[] =
    "usage: celwright-tool info FILE.cwp|FILE.spa [--json]\n"
    "\n"
    "Prints what the editor loads from a project (a .cwp file with the .spa file beside\n"
    "it) or from a data file on its own: the project name and image path, tpage taken\n"
    "apart (page X and Y, semi-transparency and colour mode), the CLUT attribute as X\n"
    "and Y, the speed, and per pattern its label, base frame size and frames (label,\n"
    "timing, correction, image rectangle). Labels a data file alone does not hold are\n"
    "made up as the editor makes them (pattern_00, frame_00, ...).\n"
    "\n"
    "  --json   the same as one JSON document (UTF-8)\n";

const char kCheckHelp[] =
    "usage: celwright-tool check PROJECT.cwp\n"
    "\n"
    "Prints one line per problem (the file, what is wrong) and exits with status 1 when\n"
    "there is one: a file the editor refuses, pattern or frame counts that disagree\n"
    "between the project file's labels and the data file, an image that does not load,\n"
    "a frame whose rectangle leaves the image or whose placed rectangle leaves its base\n"
    "frame, a frame of zero size, a tpage colour mode other than the image's, a pattern\n"
    "without frames. Otherwise prints one summary line and exits with status 0.\n"
    "A relative image path is taken from the project file's folder. A data file alone\n"
    "names no image; its frames are then checked against their base frames only.\n";

const char kRenderHelp[] =
    "usage: celwright-tool render PROJECT.cwp --pattern N (--out FILE.gif | --sheet FILE.png)\n"
    "                             [--scale K] [--flip h|v|hv] [--image FILE]\n"
    "\n"
    "Draws pattern N (its number from 0, as info lists it, or its label) as the editor's\n"
    "running display shows it: each frame on the pattern's base frame, filled with black,\n"
    "the frame copied unkeyed and mirrored as the flips say.\n"
    "\n"
    "  --out FILE.gif    an animated GIF that loops for ever; each frame stays\n"
    "                    (timing + 1) x (speed + 1) ticks of 1/60 s\n"
    "  --sheet FILE.png  every frame on its base frame, side by side, first on the left\n"
    "  --scale K         magnify K times (1 to 32), as a pattern window zooms\n"
    "  --flip h|v|hv     mirror left-right, top-bottom or both, as the edit panel's boxes\n"
    "  --image FILE      the sprite sheet to use (a data file alone names none)\n"
    "\n"
    "Black, the working image's pixel value 0 and the background the editor starts with,\n"
    "is the transparent colour: the GIF's transparent index and the PNG's alpha 0. Each\n"
    "GIF delay is rounded to hundredths of a second so that the loop keeps its length.\n"
    "The file is written whole or not at all.\n";

}  // namespace cli

int main(int argc, char** argv) {
    // The pictures are taken at 32 bits per pixel, as on the editor's usual display,
    // whatever display depth the environment emulates for the editor.
    unsetenv("CELWRIGHT_DISPLAY_BPP");
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::fputs(cli::kToolHelp, stderr);
        return cli::kExitUsage;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        if (!args.empty() && args[0] == "info")
            std::fputs(cli::kInfoHelp, stdout);
        else if (!args.empty() && args[0] == "check")
            std::fputs(cli::kCheckHelp, stdout);
        else if (!args.empty() && args[0] == "render")
            std::fputs(cli::kRenderHelp, stdout);
        else
            std::fputs(cli::kToolHelp, stdout);
        return cli::kExitOk;
    }
    if (command == "--version") {
        std::fputs("celwright-tool " CELWRIGHT_VERSION "\n", stdout);
        return cli::kExitOk;
    }
    if (command == "info") return cli::run_info(args);
    if (command == "check") return cli::run_check(args);
    if (command == "render") return cli::run_render(args);
    if (command.size() > 1 && command[0] == '-')
        cli::report("unknown option " + command + " (see celwright-tool --help)");
    else
        cli::report("unknown command " + command + " (see celwright-tool --help)");
    return cli::kExitUsage;
}
