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
    "         [--console] [--rate 50|60] [--background RRGGBB]\n"
    "  vram PROJECT.cwp... --out MAP.png [--scale K] [--json]\n"
    "                                     the console's frame buffer with every sheet\n"
    "  tim SHEET.bmp --mode 4|8|15 --at X,Y [--clut X,Y] --out SHEET.tim\n"
    "                                     a sprite sheet placed in the frame buffer\n"
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
    "Prints one line per problem (the file, the pattern and frame where it concerns one,\n"
    "what is wrong, the numbers) and exits with status 1 when there is one: a file the\n"
    "editor refuses, pattern or frame counts that disagree between the project file's\n"
    "labels and the data file, an image that does not load, a frame whose rectangle\n"
    "leaves the image or whose placed rectangle leaves its base frame, a frame of zero\n"
    "size, a tpage colour mode other than the image's, a pattern without frames.\n"
    "And what the game meets in the console's frame buffer (1024 x 512 words; a texture\n"
    "page is 64 words by 256 lines at X a multiple of 64, Y 0 or 256):\n"
    "  - a TIM not at its page's corner: every frame's texels are read that far off\n"
    "  - a frame whose texels pass 255 from its page's corner in the colour mode\n"
    "  - a picture or CLUT leaving the frame buffer, a CLUT overlapping the picture\n"
    "  - a CLUT X that is not a multiple of 16 (the CLUT attribute keeps X / 16)\n"
    "  - a CLUT shorter than the indices the picture uses\n"
    "  - a 24-bit picture, which is no sprite\n"
    "  - a tpage naming another page, or frame records naming another CLUT, than the TIM\n"
    "BMP sheets have no place: only the texel and 24-bit rules apply to them. These lines\n"
    "are the editor's own texts (Japanese). Otherwise prints one summary line and exits\n"
    "with status 0.\n"
    "A relative image path is taken from the project file's folder. A data file alone\n"
    "names no image; its frames are then checked against their base frames only.\n";

const char kRenderHelp[] =
    "usage: celwright-tool render PROJECT.cwp --pattern N (--out FILE.gif | --sheet FILE.png)\n"
    "                             [--scale K] [--flip h|v|hv] [--image FILE] [--console]\n"
    "                             [--rate 50|60] [--background RRGGBB]\n"
    "\n"
    "Draws pattern N (its number from 0, as info lists it, or its label) as the editor's\n"
    "running display shows it: each frame on the pattern's base frame, filled with the\n"
    "background, the frame copied unkeyed and mirrored as the flips say.\n"
    "\n"
    "  --out FILE.gif    an animated GIF that loops for ever; each frame stays\n"
    "                    (timing + 1) x (speed + 1) ticks of 1/rate s\n"
    "  --sheet FILE.png  every frame on its base frame, side by side, first on the left\n"
    "  --scale K         magnify K times (1 to 32), as a pattern window zooms\n"
    "  --flip h|v|hv     mirror left-right, top-bottom or both, as the edit panel's boxes\n"
    "  --image FILE      the sprite sheet to use (a data file alone names none)\n"
    "  --console         draw as the console draws the sprite instead (below)\n"
    "  --rate 50|60      ticks a second: the game's display frames (60 when left out)\n"
    "  --background RRGGBB  the base frame's colour (000000, black, when left out)\n"
    "\n"
    "With --console each frame is drawn as a game draws it with the data file's words:\n"
    "its texels read from the corner of the page tpage names, in tpage's colour mode,\n"
    "through the CLUT its record names, colours in 15 bits. A texel 0x0000 is never\n"
    "drawn; one with the STP bit (bit 15) is blended with what lies below by tpage's\n"
    "semi-transparency mode, per 5-bit channel and clamped: 0 (B + F) / 2, 1 B + F,\n"
    "2 B - F, 3 B + F / 4; the others are drawn as they are. A sheet without a place (a\n"
    "BMP) is taken as a TIM at that page's corner with its CLUT where the records point.\n"
    "\n"
    "Black is the transparent colour of the pictures: the GIF's transparent index and the\n"
    "PNG's alpha 0 (it is the working image's pixel value 0 and the background the editor\n"
    "starts with). Each GIF delay is rounded to hundredths of a second so that the loop\n"
    "keeps its length. The file is written whole or not at all.\n";

const char kTimHelp[] =
    "usage: celwright-tool tim SHEET.bmp|SHEET.png --mode 4|8|15 --at X,Y [--clut X,Y]\n"
    "                          [--black transparent|opaque] [--stp none|nonblack|all]\n"
    "                          [--quantise] --out SHEET.tim\n"
    "\n"
    "Writes the sprite sheet (any picture the editor opens) as a TIM file for the\n"
    "console's frame buffer, its picture at X,Y (X in 16-bit words 0 to 1023, Y in lines\n"
    "0 to 511) and, in the 4- and 8-bit modes, its CLUT at --clut X,Y. The places are\n"
    "checked as check does (a texture page's corner, inside the frame buffer, a CLUT X\n"
    "that is a multiple of 16, no overlap) before anything is written; a failure writes\n"
    "nothing and names every problem.\n"
    "\n"
    "  --mode 4|8     a CLUT of 16 or 256 entries. A picture with a palette keeps its\n"
    "                 order: index i stays i, CLUT entry i is its colour i. Other\n"
    "                 pictures take their colours in the order they first appear,\n"
    "                 the transparent 0x0000 first. More colours than the CLUT holds\n"
    "                 are refused, unless --quantise makes a palette (libimagequant, no\n"
    "                 dithering) of 16 or 256 colours.\n"
    "  --mode 15      every pixel its own 15-bit colour; no CLUT.\n"
    "\n"
    "Colours become 15 bits: each channel loses its low 3 bits; bit 15 is the STP bit.\n"
    "The console never draws the word 0x0000, and draws a word with the STP bit blended\n"
    "when the sprite is drawn semi-transparent:\n"
    "  --black transparent  black (0,0,0) is 0x0000: not drawn (when left out)\n"
    "  --black opaque       black is 0x8000: drawn, the one black the console draws (its\n"
    "                       STP bit set, so a semi-transparent sprite blends it too)\n"
    "  --stp none           no STP bit on the other colours (when left out)\n"
    "  --stp nonblack       the STP bit on every colour but black\n"
    "  --stp all            on black too, which then is 0x8000: the same as --stp\n"
    "                       nonblack --black opaque (with --black transparent, refused)\n"
    "A colour too dark for 15 bits that is not black (every channel below 8) would\n"
    "become 0x0000 and vanish: it is written 0x8000, drawn black. A width that does not\n"
    "fill its last word (4 texels a word in the 4-bit mode, 2 in the 8-bit mode) is\n"
    "padded on the right with texel 0. The same sheet and options give the same bytes.\n";

const char kVramHelp[] =
    "usage: celwright-tool vram PROJECT.cwp... --out MAP.png [--scale K] [--json]\n"
    "\n"
    "Draws the console's frame buffer, 1024 x 512 words, as a PNG: the texture pages'\n"
    "edges (every 64 words, and at line 256), and each project's TIM picture (its\n"
    "pixels, squeezed into the words they take: 4 a word in the 4-bit mode, 2 in the\n"
    "8-bit mode) and CLUT (a word an entry) in place, outlined in a colour of the\n"
    "project's and labelled with the image's file name. Where two of them overlap with\n"
    "different words (loading one overwrites the other) the overlap is hatched red;\n"
    "where they hold the same words (one TIM in two projects) it is outlined only.\n"
    "A sheet without a place (a BMP) is listed but not drawn.\n"
    "Prints one line per project and per overlap.\n"
    "\n"
    "  --out MAP.png  the picture, written whole or not at all\n"
    "  --scale K      K pixels a word and a line (1 to 4, 1 when left out)\n"
    "  --json         print the same as one JSON document instead: the places, the\n"
    "                 frame-buffer problems of each project, the overlaps\n";

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
        else if (!args.empty() && args[0] == "tim")
            std::fputs(cli::kTimHelp, stdout);
        else if (!args.empty() && args[0] == "vram")
            std::fputs(cli::kVramHelp, stdout);
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
    if (command == "tim") return cli::run_tim(args);
    if (command == "vram") return cli::run_vram(args);
    if (command.size() > 1 && command[0] == '-')
        cli::report("unknown option " + command + " (see celwright-tool --help)");
    else
        cli::report("unknown command " + command + " (see celwright-tool --help)");
    return cli::kExitUsage;
}
