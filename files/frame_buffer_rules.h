// The console's frame-buffer rules for a sprite sheet and the animation data drawn from
// it. The console draws sprites from a 1024 x 512 frame buffer of 16-bit words: a
// texture page is 64 words wide and 256 lines high at x a multiple of 64 and y 0 or
// 256, a sprite's texels u, v (0..255) count from the page's top-left corner (4 a word
// in the 4-bit mode, 2 in the 8-bit mode, 1 in the 15-bit mode), a CLUT stands at an x
// that is a multiple of 16, and a 24-bit picture is no sprite at all. The data file
// stores one tpage word and texels counted from the sheet's own corner, so a sheet off
// its page's corner, a CLUT where the attribute cannot point, or a frame past texel
// 255 draws wrongly in the game although the editor shows it well. Nothing here needs a
// window: the tool and the editor both ask these functions and word the answers alike.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/image_decoding.h"
#include "files/project_data.h"
#include "project/tables.h"

namespace frame_buffer {

inline constexpr int kNone = -1;

// A rectangle of the frame buffer in 16-bit words across and lines down.
struct Area {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Area&) const = default;
};

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

enum class Rule {
    SheetOffPageCorner,         // the picture does not start at a texture page's corner
    TexelsPastPage,             // a frame's texels reach past 255 from its page's corner
    SheetOutsideFrameBuffer,    // the picture does not fit the frame buffer
    ClutOutsideFrameBuffer,     // the CLUT does not fit the frame buffer
    ClutXNotMultipleOf16,       // the CLUT attribute can only point at x / 16
    ClutTooShort,               // the picture uses indices the CLUT does not hold
    ClutOverSheet,              // loading the CLUT overwrites part of the picture, or the reverse
    TrueColourSheet,            // a 24-bit picture cannot be drawn as sprites
    TpageNotSheetPage,          // the data file's tpage names another page than the picture's
    ClutAttributeNotSheetClut,  // the frame records name another CLUT than the picture's
};

// One problem and the numbers it is about. Which numbers a rule fills is said beside each.
struct Problem {
    Rule rule = Rule::SheetOffPageCorner;
    int pattern = kNone;  // the pattern and frame it concerns; kNone for the sheet's or the data's
    int frame = kNone;
    int colour_mode = 0;  // the colour mode the texels were counted in (0..3)
    Area sheet{};         // the picture's place (words, lines); empty for a sheet without one
    Area clut{};          // the CLUT's place: w entries, h rows; empty without one
    Point page{};         // the corner of the texture page the picture's place gives
    // SheetOffPageCorner: how far every frame's texels are read off, texels across and lines down.
    Point off{};
    // TexelsPastPage: the frame's texels counted from its page's corner (u, v, width, height).
    Area texels{};
    // TpageNotSheetPage: the page corner the data file's tpage names. ClutAttributeNotSheetClut:
    // the CLUT place the records name. ClutXNotMultipleOf16: the place the attribute reaches.
    Point named{};
    int indices_used = 0;  // ClutTooShort: the highest index the picture uses, plus one
};

// The sprite sheet as the rules see it.
struct Sheet {
    int colour_mode = -1;  // 0..3; -1 for a picture the console has no mode for (a 32-bit BMP)
    int width = 0, height = 0;
    // A TIM's places, CLUT rows and words; null for a sheet without a place (BMP, PNG), for
    // which only the rules that need no place apply.
    const tim::TimImage* placed = nullptr;
};
// The sheet of a decoded image; it points into image, which must outlive it.
Sheet sheet_of(const DecodedImage& image);

// The animation data the rules read: the editor passes its tables, the tool what it read.
struct Data {
    uint32_t tpage = 0;
    uint16_t clut_attribute = 0;  // the CLUT attribute the frame records carry
    bool has_frames = false;      // without a record the attribute is the image's own
    int pattern_count = 0;
    const PatternEntry* entries = nullptr;
    const FrameRecord (*frames)[kMaxFrames] = nullptr;
};
// clut_attribute: the editor's current one, or the last record's once a file is read.
Data data_of(const AnimationDataContents& contents, uint16_t clut_attribute);
Data data_of(const Tables& tables);

// The rules of the sheet alone: its place, its CLUT's, its colour mode.
std::vector<Problem> check_sheet(const Sheet& sheet);
// The sheet's rules and those of the data drawn from it: every frame's texels, the tpage's
// page and the records' CLUT. sheet null: only what the data says on its own (texels from
// a page corner, a 24-bit colour mode).
std::vector<Problem> check_data(const Data& data, const Sheet* sheet);

// The problem as one line of CP932 text for the user, with its numbers; the file, the
// pattern and the frame it concerns are for the caller to name.
std::string problem_text(const Problem& problem);
// A short lower-case name of the rule, for machine-readable reports.
const char* rule_name(Rule rule);

// Where a TIM's picture and CLUT (all its rows) stand, in words and lines.
Area picture_area(const tim::TimImage& image);
Area clut_area(const tim::TimImage& image);
// The overlap of two areas; empty (w or h 0) when they do not meet.
Area overlap(const Area& a, const Area& b);
// Texels a frame-buffer word holds in the colour mode: 4, 2 or 1; 0 for the 24-bit mode,
// whose pixels are no texels.
int texels_per_word(int colour_mode);

}  // namespace frame_buffer
