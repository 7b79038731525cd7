// celwright-tool info: what the files hold, as text or as one JSON document.
#include <cstdio>
#include <string>

#include "automation/json.h"
#include "tool.h"

namespace cli {

namespace {

using cw::automation::json_array;
using cw::automation::json_object;
using cw::automation::json_string;

std::string num(long long v) {
    return std::to_string(v);
}

std::string label_of(const char (&field)[kLabelSize]) {
    return utf8_of(field, kLabelSize);
}

std::string kind_name(PathKind k) {
    return k == PathKind::ProjectFile ? "project file" : "data file";
}

// ---- JSON -------------------------------------------------------------------------

std::string frame_json(const FrameRecord& r, int index, const std::string& label) {
    return json_object({{"index", num(index)},
                        {"label", json_string(label)},
                        {"timing", num(r.timing)},
                        {"correction_x", num(r.correction_x)},
                        {"correction_y", num(r.correction_y)},
                        {"image_x", num(r.image_x)},
                        {"image_y", num(r.image_y)},
                        {"image_w", num(r.image_w)},
                        {"image_h", num(r.image_h)},
                        {"clut", num(r.clut)}});
}

std::string pattern_json(const Project& p, int q) {
    const PatternEntry& e = p.files.data.entries[q];
    std::vector<std::string> frames;
    for (int f = 0; f < frame_count(p, q); ++f)
        frames.push_back(frame_json(p.files.data.frames[q][f], f, label_of(p.names.frame_labels[q][f])));
    return json_object({{"index", num(q)},
                        {"label", json_string(label_of(p.names.pattern_labels[q]))},
                        {"offset", num(e.offset)},
                        {"base_w", num(e.base_w)},
                        {"base_h", num(e.base_h)},
                        {"frame_count", num(e.frame_count)},
                        {"frames", json_array(frames)}});
}

std::string info_json(const Project& p) {
    const AnimationHeader& h = p.files.data.header;
    const TexturePage t = decode_tpage(h.tpage);
    const ClutPlace c = decode_clut(p.clut_attribute);
    std::vector<std::string> patterns;
    for (int q = 0; q < pattern_count(p); ++q) patterns.push_back(pattern_json(p, q));
    const bool project = p.files.kind == PathKind::ProjectFile;
    return json_object(
        {{"file", json_string(p.path)},
         {"kind", json_string(project ? "project" : "data")},
         {"data_file", json_string(data_path(p))},
         {"project_name", json_string(label_of(p.names.project_name))},
         {"image_path", json_string(utf8_of(p.names.image_path, kPathSize))},
         {"tpage",
          json_object({{"value", num(h.tpage)},
                       {"page_x", num(t.page_x)},
                       {"page_y", num(t.page_y)},
                       {"semi_transparency", num(t.semi_transparency)},
                       {"semi_transparency_name", json_string(semi_transparency_name(t.semi_transparency))},
                       {"colour_mode", num(t.colour_mode)},
                       {"colour_mode_name", json_string(colour_mode_name(t.colour_mode))}})},
         {"clut", json_object({{"value", num(p.clut_attribute)},
                               {"x", num(c.x)},
                               {"y", num(c.y)},
                               {"source", json_string(p.clut_source)}})},
         {"speed", num(h.speed)},
         {"pattern_count", num(h.pattern_count)},
         {"patterns", json_array(patterns)}});
}

// ---- text -------------------------------------------------------------------------

void print_text(const Project& p) {
    const AnimationHeader& h = p.files.data.header;
    const TexturePage t = decode_tpage(h.tpage);
    const ClutPlace c = decode_clut(p.clut_attribute);
    std::printf("%s (%s", p.path.c_str(), kind_name(p.files.kind).c_str());
    if (p.files.kind == PathKind::ProjectFile) std::printf(", data file %s", data_path(p).c_str());
    std::printf(")\n");
    std::printf("project  %s\n", label_of(p.names.project_name).c_str());
    std::printf("image    %s\n", p.names.image_path[0] ? utf8_of(p.names.image_path, kPathSize).c_str()
                                                       : "(none: a data file names no image)");
    std::printf("tpage    0x%04X: page X %d, Y %d; semi-transparency %d (%s); colour mode %d (%s)\n",
                static_cast<unsigned>(h.tpage), t.page_x, t.page_y, t.semi_transparency,
                semi_transparency_name(t.semi_transparency), t.colour_mode, colour_mode_name(t.colour_mode));
    const std::string source = std::string(p.clut_source) == "none"
                                   ? "no frame record or image gives one"
                                   : std::string("from the ") + p.clut_source;
    std::printf("clut     0x%04X: X %d, Y %d (%s)\n", p.clut_attribute, c.x, c.y, source.c_str());
    std::printf("speed    %u: a step lasts %u ticks\n", static_cast<unsigned>(h.speed),
                static_cast<unsigned>(h.speed + 1));
    std::printf("patterns %d\n", pattern_count(p));
    for (int q = 0; q < pattern_count(p); ++q) {
        const PatternEntry& e = p.files.data.entries[q];
        std::printf("pattern %d %s: base %u x %u, %d frame%s\n", q,
                    label_of(p.names.pattern_labels[q]).c_str(), e.base_w, e.base_h, frame_count(p, q),
                    frame_count(p, q) == 1 ? "" : "s");
        for (int f = 0; f < frame_count(p, q); ++f) {
            const FrameRecord& r = p.files.data.frames[q][f];
            std::printf("  frame %d %s: timing %u, correction (%u, %u), image (%u, %u) %u x %u\n", f,
                        label_of(p.names.frame_labels[q][f]).c_str(), r.timing, r.correction_x,
                        r.correction_y, r.image_x, r.image_y, r.image_w, r.image_h);
        }
    }
}

}  // namespace

int run_info(const std::vector<std::string>& args) {
    FileCommand c;
    if (const int done = parse_file_command(args, "info", kInfoHelp, {"--json"}, c); done != kGoOn)
        return done;
    const std::string& file = c.file;
    const bool json = c.has("--json");
    Project p;
    std::string error;
    if (!load_project(file, p, &error)) {
        report(error);
        return kExitFailed;
    }
    if (json)
        std::printf("%s\n", info_json(p).c_str());
    else
        print_text(p);
    return kExitOk;
}

}  // namespace cli
