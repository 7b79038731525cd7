// celwright-tool vram: the console's frame buffer with every project's TIM picture and
// CLUT where the files place them, so that a build sees at a glance what overwrites what.
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "automation/json.h"
#include "files/console_sheet.h"
#include "files/frame_buffer_rules.h"
#include "image_output.h"
#include "map_drawing.h"
#include "tool.h"

namespace cli {

namespace {

using cw::automation::json_array;
using cw::automation::json_object;
using cw::automation::json_string;
using frame_buffer::Area;

constexpr int kMaxScale = 4;
constexpr uint32_t kBackground = 0x181818;
constexpr uint32_t kPageEdge = 0x404040;
constexpr uint32_t kConflict = 0xFF2020;
constexpr uint32_t kShared = 0xFFFFFF;
constexpr uint32_t kLabelBox = 0x000000;
// One outline colour a project, in the order they are given.
constexpr uint32_t kProjectColours[] = {0xFFD700, 0x00E5FF, 0xFF4FD8, 0x7CFC00,
                                        0xFF8C00, 0x9A7DFF, 0x40E0A0, 0xFF7070};

struct VramOptions {
    std::vector<std::string> projects;
    std::string out;
    int scale = 1;
    bool json = false;
};

// One project's sheet as the frame buffer holds it.
struct Sheet {
    std::string project;  // as given
    std::string image;    // the image's path (UTF-8)
    std::string label;    // its file name
    bool placed = false;
    tim::TimImage words;  // the frame-buffer fields of a TIM
    SheetPixels pixels;   // what the editor shows, for the map
    std::vector<frame_buffer::Problem> problems;
};

// A picture or a CLUT in the frame buffer.
struct Part {
    int sheet;
    bool clut;
    Area area;
};

struct Overlap {
    int a, b;  // indices into the parts
    Area area;
    bool conflict;  // they hold different words there: loading one overwrites the other
};

bool parse(const std::vector<std::string>& args, VramOptions& o, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--out" || a == "--scale") && i + 1 >= args.size()) {
            *error = a + " needs a value";
            return false;
        }
        if (a == "--out") {
            o.out = args[++i];
        } else if (a == "--scale") {
            const std::string& v = args[++i];
            if (v.size() != 1 || v[0] < '1' || v[0] > '0' + kMaxScale) {
                *error = "--scale takes a whole number from 1 to " + std::to_string(kMaxScale);
                return false;
            }
            o.scale = v[0] - '0';
        } else if (a == "--json") {
            o.json = true;
        } else if (!a.empty() && a[0] == '-') {
            *error = "unknown option " + a;
            return false;
        } else {
            o.projects.push_back(a);
        }
    }
    if (o.projects.empty())
        *error = "which projects?";
    else if (o.out.empty())
        *error = "which picture? (--out MAP.png)";
    return error->empty();
}

std::string file_name(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool load_sheet(const std::string& file, Sheet& s, std::string* error) {
    Project p;
    if (!load_project(file, p, error)) return false;
    if (p.image_cp932.empty()) {
        *error = file + ": names no image";
        return false;
    }
    DecodedImage image = decode_image_file(p.image_cp932.c_str());
    if (image.problem != ImageProblem::None) {
        *error = file + ": image " + one_line(image_refusal_text(image, p.image_cp932.c_str()));
        return false;
    }
    s.project = file;
    s.image = image_path(p);
    s.label = file_name(s.image);
    s.placed = image.placed;
    s.words = image.frame_buffer;
    s.pixels = read_sheet_pixels(image.bitmap);
    const frame_buffer::Sheet rules_sheet = frame_buffer::sheet_of(image);
    s.problems =
        frame_buffer::check_data(frame_buffer::data_of(p.files.data, p.clut_attribute), &rules_sheet);
    DeleteObject(image.bitmap);
    return true;
}

std::vector<Part> parts_of(const std::vector<Sheet>& sheets) {
    std::vector<Part> parts;
    for (size_t i = 0; i < sheets.size(); ++i) {
        if (!sheets[i].placed) continue;
        parts.push_back(Part{static_cast<int>(i), false, frame_buffer::picture_area(sheets[i].words)});
        if (sheets[i].words.has_clut)
            parts.push_back(Part{static_cast<int>(i), true, frame_buffer::clut_area(sheets[i].words)});
    }
    return parts;
}

// The word a part puts at (x, y) of the frame buffer, which lies inside it.
uint16_t word_at(const std::vector<Sheet>& sheets, const Part& part, int x, int y) {
    const tim::TimImage& w = sheets[static_cast<size_t>(part.sheet)].words;
    const size_t row = static_cast<size_t>(y - part.area.y), col = static_cast<size_t>(x - part.area.x);
    const std::vector<uint16_t>& from = part.clut ? w.clut : w.words;
    const size_t at = row * static_cast<size_t>(part.clut ? w.clut_entries : w.width_words) + col;
    return at < from.size() ? from[at] : 0;
}

std::vector<Overlap> overlaps_of(const std::vector<Sheet>& sheets, const std::vector<Part>& parts) {
    std::vector<Overlap> out;
    for (size_t a = 0; a < parts.size(); ++a)
        for (size_t b = a + 1; b < parts.size(); ++b) {
            const Area o = frame_buffer::overlap(parts[a].area, parts[b].area);
            if (o.w <= 0 || o.h <= 0) continue;
            bool conflict = false;
            for (int y = o.y; y < o.y + o.h && !conflict; ++y)
                for (int x = o.x; x < o.x + o.w && !conflict; ++x)
                    conflict = word_at(sheets, parts[a], x, y) != word_at(sheets, parts[b], x, y);
            out.push_back(Overlap{static_cast<int>(a), static_cast<int>(b), o, conflict});
        }
    return out;
}

uint32_t project_colour(int sheet) {
    return kProjectColours[static_cast<size_t>(sheet) % std::size(kProjectColours)];
}

// The picture's pixels squeezed into the words it takes (4 texels a word in the 4-bit mode,
// 2 in the 8-bit mode, two pixels in three words in the 24-bit mode).
void draw_picture(Picture& map, const Sheet& s, const Area& a, int k) {
    const SheetPixels& px = s.pixels;
    if (px.width == 0 || a.w == 0) return;
    for (int my = 0; my < a.h * k; ++my)
        for (int mx = 0; mx < a.w * k; ++mx) {
            const int tx = mx * px.width / (a.w * k), ty = my / k;
            if (tx >= px.width || ty >= px.height) continue;
            const size_t i = static_cast<size_t>(ty) * px.width + tx;
            const uint32_t c =
                px.indexed ? (px.indices[i] < px.palette.size() ? px.palette[px.indices[i]] : 0) : px.rgb[i];
            fill_rect(map, a.x * k + mx, a.y * k + my, 1, 1, c);
        }
}

void draw_clut(Picture& map, const Sheet& s, const Area& a, int k) {
    for (int row = 0; row < a.h; ++row)
        for (int e = 0; e < a.w; ++e) {
            const size_t at = static_cast<size_t>(row) * static_cast<size_t>(s.words.clut_entries) + e;
            const tim::Rgb c = tim::colour15(at < s.words.clut.size() ? s.words.clut[at] : 0);
            fill_rect(map, (a.x + e) * k, (a.y + row) * k, k, k,
                      static_cast<uint32_t>(c.r) << 16 | static_cast<uint32_t>(c.g) << 8 | c.b);
        }
}

// The label above the part, or below it where there is no room above.
void draw_label(Picture& map, const std::string& text, const Area& a, int k, uint32_t colour) {
    const int size = k >= 3 ? 2 : 1, h = kGlyphHeight * size + 2, w = text_width(text, size) + 2;
    int x = a.x * k, y = a.y * k - h - 1;
    if (y < 0) y = (a.y + a.h) * k + 1;
    if (y + h > map.height) y = a.y * k + 1;
    x = std::min(x, map.width - w);
    fill_rect(map, x, y, w, h, kLabelBox);
    draw_text(map, x + 1, y + 1, text, colour, size);
}

Picture draw_map(const std::vector<Sheet>& sheets, const std::vector<Part>& parts,
                 const std::vector<Overlap>& overlaps, int k) {
    Picture map{tim::kFrameBufferWidth * k, tim::kFrameBufferHeight * k, {}};
    map.xrgb.assign(static_cast<size_t>(map.width) * map.height, kBackground);
    for (int x = 64; x < tim::kFrameBufferWidth; x += 64) fill_rect(map, x * k, 0, 1, map.height, kPageEdge);
    fill_rect(map, 0, 256 * k, map.width, 1, kPageEdge);
    for (const Part& part : parts) {
        const Sheet& s = sheets[static_cast<size_t>(part.sheet)];
        if (part.clut)
            draw_clut(map, s, part.area, k);
        else
            draw_picture(map, s, part.area, k);
    }
    for (const Part& part : parts)
        frame_rect(map, part.area.x * k - 1, part.area.y * k - 1, part.area.w * k + 2, part.area.h * k + 2,
                   project_colour(part.sheet));
    for (const Overlap& o : overlaps) {
        const Area& a = o.area;
        if (o.conflict) hatch_rect(map, a.x * k, a.y * k, a.w * k, a.h * k, kConflict);
        frame_rect(map, a.x * k, a.y * k, a.w * k, a.h * k, o.conflict ? kConflict : kShared);
    }
    for (const Part& part : parts) {
        const Sheet& s = sheets[static_cast<size_t>(part.sheet)];
        draw_label(map, part.clut ? s.label + " CLUT" : s.label, part.area, k, project_colour(part.sheet));
    }
    return map;
}

std::string num(long long v) {
    return std::to_string(v);
}

std::string area_text(const Area& a) {
    return "(" + num(a.x) + ", " + num(a.y) + ") " + num(a.w) + " x " + num(a.h);
}

std::string part_name(const std::vector<Sheet>& sheets, const Part& part) {
    const Sheet& s = sheets[static_cast<size_t>(part.sheet)];
    return s.label + (part.clut ? " CLUT" : " picture") + " (" + s.project + ")";
}

void print_text(const std::vector<Sheet>& sheets, const std::vector<Part>& parts,
                const std::vector<Overlap>& overlaps) {
    for (const Sheet& s : sheets) {
        if (!s.placed) {
            std::printf("%s: %s has no place in the frame buffer (not a TIM); not drawn\n", s.project.c_str(),
                        s.image.c_str());
            continue;
        }
        const tim::TimImage& w = s.words;
        std::printf("%s: %s at %s words (%s, %d x %d pixels)", s.project.c_str(), s.image.c_str(),
                    area_text(frame_buffer::picture_area(w)).c_str(), colour_mode_name(w.mode), w.width,
                    w.height);
        if (w.has_clut) std::printf(", CLUT at %s", area_text(frame_buffer::clut_area(w)).c_str());
        std::printf("\n");
    }
    for (const Overlap& o : overlaps)
        std::printf("overlap: %s and %s share %s with %s words\n", part_name(sheets, parts[o.a]).c_str(),
                    part_name(sheets, parts[o.b]).c_str(), area_text(o.area).c_str(),
                    o.conflict ? "different" : "the same");
}

std::string area_json(const Area& a) {
    return json_object({{"x", num(a.x)}, {"y", num(a.y)}, {"w", num(a.w)}, {"h", num(a.h)}});
}

std::string problem_json(const frame_buffer::Problem& p) {
    return json_object({{"rule", json_string(frame_buffer::rule_name(p.rule))},
                        {"pattern", num(p.pattern)},
                        {"frame", num(p.frame)},
                        {"text", json_string(one_line(frame_buffer::problem_text(p)))}});
}

std::string sheet_json(const Sheet& s) {
    std::vector<std::string> problems;
    for (const frame_buffer::Problem& p : s.problems) problems.push_back(problem_json(p));
    const tim::TimImage& w = s.words;
    return json_object(
        {{"project", json_string(s.project)},
         {"image", json_string(s.image)},
         {"placed", s.placed ? "true" : "false"},
         {"picture", s.placed ? json_object({{"area", area_json(frame_buffer::picture_area(w))},
                                             {"colour_mode", num(w.mode)},
                                             {"colour_mode_name", json_string(colour_mode_name(w.mode))},
                                             {"width", num(w.width)},
                                             {"height", num(w.height)}})
                              : "null"},
         {"clut", s.placed && w.has_clut ? json_object({{"area", area_json(frame_buffer::clut_area(w))},
                                                        {"entries", num(w.clut_entries)},
                                                        {"rows", num(w.clut_rows)}})
                                         : "null"},
         {"problems", json_array(problems)}});
}

std::string map_json(const VramOptions& o, const std::vector<Sheet>& sheets, const std::vector<Part>& parts,
                     const std::vector<Overlap>& overlaps) {
    std::vector<std::string> projects, shared;
    for (const Sheet& s : sheets) projects.push_back(sheet_json(s));
    auto part_json = [&](const Part& p) {
        return json_object({{"project", num(p.sheet)}, {"part", json_string(p.clut ? "clut" : "picture")}});
    };
    for (const Overlap& v : overlaps)
        shared.push_back(json_object({{"a", part_json(parts[v.a])},
                                      {"b", part_json(parts[v.b])},
                                      {"area", area_json(v.area)},
                                      {"conflict", v.conflict ? "true" : "false"}}));
    return json_object({{"frame_buffer", json_object({{"width", num(tim::kFrameBufferWidth)},
                                                      {"height", num(tim::kFrameBufferHeight)}})},
                        {"out", json_string(o.out)},
                        {"scale", num(o.scale)},
                        {"projects", json_array(projects)},
                        {"overlaps", json_array(shared)}});
}

}  // namespace

int run_vram(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            std::fputs(kVramHelp, stdout);
            return kExitOk;
        }
    VramOptions o;
    std::string error;
    if (!parse(args, o, &error)) {
        report("vram: " + error + " (see celwright-tool vram --help)");
        return kExitUsage;
    }
    std::vector<Sheet> sheets(o.projects.size());
    for (size_t i = 0; i < o.projects.size(); ++i)
        if (!load_sheet(o.projects[i], sheets[i], &error)) {
            report(error);
            return kExitFailed;
        }
    const std::vector<Part> parts = parts_of(sheets);
    const std::vector<Overlap> overlaps = overlaps_of(sheets, parts);
    const std::vector<uint8_t> png = encode_png(draw_map(sheets, parts, overlaps, o.scale), &error, false);
    if (png.empty() || !write_output(o.out, png, &error)) {
        report(error);
        return kExitFailed;
    }
    if (o.json)
        std::printf("%s\n", map_json(o, sheets, parts, overlaps).c_str());
    else
        print_text(sheets, parts, overlaps);
    return kExitOk;
}

}  // namespace cli
