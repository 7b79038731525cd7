// celwright-tool tim: a sprite sheet (whatever the editor's image decoder reads) written as
// a TIM file placed in the console's frame buffer, checked by the frame-buffer rules
// before anything is written.
#include <cstdio>
#include <string>
#include <vector>

#include "files/console_sheet.h"
#include "files/frame_buffer_rules.h"
#include "image_output.h"
#include "quantise.h"
#include "text/cp932.h"
#include "tool.h"

namespace cli {

namespace {

struct TimOptions {
    std::string sheet;
    std::string out;
    int mode = -1;  // 0, 1 or 2 (from --mode 4, 8 or 15)
    bool at_given = false, clut_given = false, black_given = false, quantise = false;
    SheetConversion how;
};

bool parse_number(const std::string& text, int limit, int* out) {
    if (text.empty() || text.size() > 5) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > limit) return false;
    *out = v;
    return true;
}

// X,Y with X below 1024 and Y below 512.
bool parse_place(const std::string& text, uint16_t* x, uint16_t* y) {
    const size_t comma = text.find(',');
    int a = 0, b = 0;
    if (comma == std::string::npos || !parse_number(text.substr(0, comma), tim::kFrameBufferWidth - 1, &a) ||
        !parse_number(text.substr(comma + 1), tim::kFrameBufferHeight - 1, &b))
        return false;
    *x = static_cast<uint16_t>(a);
    *y = static_cast<uint16_t>(b);
    return true;
}

bool parse_value(const std::string& option, const std::string& value, TimOptions& o, std::string* error) {
    if (option == "--mode") {
        o.mode = value == "4" ? 0 : value == "8" ? 1 : value == "15" ? 2 : -1;
        if (o.mode < 0) *error = "--mode takes 4, 8 or 15";
    } else if (option == "--at") {
        o.at_given = parse_place(value, &o.how.x, &o.how.y);
        if (!o.at_given) *error = "--at takes X,Y in the frame buffer (X 0 to 1023, Y 0 to 511)";
    } else if (option == "--clut") {
        o.clut_given = parse_place(value, &o.how.clut_x, &o.how.clut_y);
        if (!o.clut_given) *error = "--clut takes X,Y in the frame buffer (X 0 to 1023, Y 0 to 511)";
    } else if (option == "--black") {
        o.black_given = true;
        if (value == "transparent")
            o.how.colours.black = BlackTexels::Transparent;
        else if (value == "opaque")
            o.how.colours.black = BlackTexels::Opaque;
        else
            *error = "--black takes transparent or opaque";
    } else if (option == "--stp") {
        if (value == "none")
            o.how.colours.stp = StpBits::None;
        else if (value == "nonblack")
            o.how.colours.stp = StpBits::NonBlack;
        else if (value == "all")
            o.how.colours.stp = StpBits::All;
        else
            *error = "--stp takes none, nonblack or all";
    } else {
        o.out = value;
    }
    return error->empty();
}

// The options together: what each mode needs and what contradicts itself.
bool complete(TimOptions& o, std::string* error) {
    if (o.sheet.empty())
        *error = "which sprite sheet?";
    else if (o.mode < 0)
        *error = "which colour mode? (--mode 4, 8 or 15)";
    else if (!o.at_given)
        *error = "where in the frame buffer? (--at X,Y)";
    else if (o.out.empty())
        *error = "which TIM file? (--out FILE.tim)";
    else if (o.mode < 2 && !o.clut_given)
        *error = "the " + std::to_string(o.mode == 0 ? 4 : 8) +
                 "-bit mode needs a place for its CLUT (--clut X,Y)";
    else if (o.mode == 2 && o.clut_given)
        *error = "the 15-bit mode has no CLUT: --clut does not go with --mode 15";
    else if (o.mode == 2 && o.quantise)
        *error = "the 15-bit mode has no palette: --quantise does not go with --mode 15";
    else if (o.how.colours.stp == StpBits::All && o.black_given &&
             o.how.colours.black == BlackTexels::Transparent)
        *error =
            "--stp all puts the STP bit on black too, which draws it: it does not go with --black "
            "transparent";
    o.how.mode = o.mode;
    return error->empty();
}

bool parse(const std::vector<std::string>& args, TimOptions& o, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool valued =
            a == "--mode" || a == "--at" || a == "--clut" || a == "--black" || a == "--stp" || a == "--out";
        if (valued) {
            if (i + 1 >= args.size()) {
                *error = a + " needs a value";
                return false;
            }
            if (!parse_value(a, args[++i], o, error)) return false;
        } else if (a == "--quantise") {
            o.quantise = true;
        } else if (!a.empty() && a[0] == '-') {
            *error = "unknown option " + a;
            return false;
        } else if (o.sheet.empty()) {
            o.sheet = a;
        } else {
            *error = "one sprite sheet at a time";
            return false;
        }
    }
    return complete(o, error);
}

// The sheet's pixels as the editor decodes the file; false with *error set.
bool read_sheet(const std::string& path, SheetPixels& pixels, std::string* error) {
    bool lossless = true;
    const std::string path_cp932 = cw::text::utf8_to_cp932(path, &lossless);
    if (!lossless) {
        *error = path + ": the path has characters the editor's files cannot name (CP932)";
        return false;
    }
    DecodedImage image = decode_image_file(path_cp932.c_str());
    if (image.problem != ImageProblem::None) {
        *error = path + ": " + one_line(image_refusal_text(image, path_cp932.c_str()));
        return false;
    }
    pixels = read_sheet_pixels(image.bitmap);
    DeleteObject(image.bitmap);
    if (pixels.width == 0) *error = path + ": its pixels cannot be read";
    return pixels.width != 0;
}

// The conversion, with a palette made by the quantiser when the picture has more colours
// than the mode holds and --quantise asks for one.
bool convert(const TimOptions& o, const SheetPixels& pixels, Conversion& c, std::string* error) {
    c = convert_sheet(pixels, o.how);
    if (c.problem == ConversionProblem::TooManyColours && o.quantise) {
        SheetPixels reduced;
        if (!quantise(pixels, c.colours_held, o.how.colours, reduced, error)) {
            *error = o.sheet + ": " + *error;
            return false;
        }
        c = convert_sheet(reduced, o.how);
    }
    if (c.problem == ConversionProblem::TooManyColours)
        *error = o.sheet + ": " + std::to_string(c.colours_needed) + " colours, but the " +
                 std::to_string(o.mode == 0 ? 4 : 8) + "-bit mode's CLUT holds " +
                 std::to_string(c.colours_held) + " (--quantise makes a palette of " +
                 std::to_string(c.colours_held) + ")";
    else if (c.problem != ConversionProblem::None)
        *error = o.sheet + ": the picture cannot be converted";
    return c.problem == ConversionProblem::None;
}

// Every frame-buffer rule the placed picture breaks, one line each; true when there is none.
bool places_pass(const TimOptions& o, const tim::TimImage& image) {
    frame_buffer::Sheet sheet;
    sheet.colour_mode = image.mode;
    sheet.width = image.width;
    sheet.height = image.height;
    sheet.placed = &image;
    const std::vector<frame_buffer::Problem> problems = frame_buffer::check_sheet(sheet);
    for (const frame_buffer::Problem& p : problems)
        report(o.out + ": " + one_line(frame_buffer::problem_text(p)));
    return problems.empty();
}

}  // namespace

int run_tim(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            std::fputs(kTimHelp, stdout);
            return kExitOk;
        }
    TimOptions o;
    std::string error;
    if (!parse(args, o, &error)) {
        report("tim: " + error + " (see celwright-tool tim --help)");
        return kExitUsage;
    }
    SheetPixels pixels;
    Conversion c;
    if (!read_sheet(o.sheet, pixels, &error) || !convert(o, pixels, c, &error)) {
        report(error);
        return kExitFailed;
    }
    if (!places_pass(o, c.image)) return kExitFailed;
    if (!write_output(o.out, tim::encode_tim(c.image), &error)) {
        report(error);
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace cli
