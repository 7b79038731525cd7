// celwright-tool check: everything a game would trip over, one line per problem.
#include <cstdio>
#include <string>
#include <vector>

#include "files/frame_buffer_rules.h"
#include "tool.h"

namespace cli {

namespace {

struct Findings {
    std::vector<std::string> lines;
    void add(const std::string& file, const std::string& what) { lines.push_back(file + ": " + what); }
};

std::string quoted(const char (&label)[kLabelSize]) {
    return "\"" + utf8_of(label, kLabelSize) + "\"";
}

std::string pattern_name(const Project& p, int q) {
    return "pattern " + std::to_string(q) + " " + quoted(p.names.pattern_labels[q]);
}

std::string frame_name(const Project& p, int q, int f) {
    return "frame " + std::to_string(f) + " " + quoted(p.names.frame_labels[q][f]) + " of " +
           pattern_name(p, q);
}

std::string size_text(long w, long h) {
    return std::to_string(w) + " x " + std::to_string(h);
}

// Labels stand from index 0 up to the first empty one; the editor reads no further.
int labelled(const char (*labels)[kLabelSize], int limit) {
    int n = 0;
    while (n < limit && labels[n][0]) ++n;
    return n;
}

// The project file's labels against the data file's counts: every pattern and frame
// of the data needs its label, and a label without its pattern or frame is lost.
void compare_counts(const Project& p, Findings& out) {
    if (p.files.kind != PathKind::ProjectFile) return;
    const NameTables& raw = p.files.names;
    const std::string cwp = p.path, spa = data_path(p);
    const int patterns = pattern_count(p), labels = labelled(raw.pattern_labels, kMaxPatterns);
    for (int q = labels; q < patterns; ++q)
        out.add(cwp, "pattern " + std::to_string(q) + " has no label (" + spa + " holds " +
                         std::to_string(patterns) + " patterns)");
    for (int q = patterns; q < labels; ++q)
        out.add(cwp, "the label of pattern " + std::to_string(q) + " " + quoted(raw.pattern_labels[q]) +
                         " has no pattern in " + spa + " (it holds " + std::to_string(patterns) + ")");
    for (int q = 0; q < patterns && q < labels; ++q) {
        const int frames = frame_count(p, q), frame_labels = labelled(raw.frame_labels[q], kMaxFrames);
        for (int f = frame_labels; f < frames; ++f)
            out.add(cwp, "frame " + std::to_string(f) + " of " + pattern_name(p, q) + " has no label (" +
                             spa + " holds " + std::to_string(frames) + " frames)");
        for (int f = frames; f < frame_labels; ++f)
            out.add(cwp, "the label of frame " + std::to_string(f) + " " + quoted(raw.frame_labels[q][f]) +
                             " of " + pattern_name(p, q) + " has no frame in " + spa + " (it holds " +
                             std::to_string(frames) + ")");
    }
}

void check_frame(const Project& p, int q, int f, const DecodedImage* image, Findings& out) {
    const FrameRecord& r = p.files.data.frames[q][f];
    const PatternEntry& e = p.files.data.entries[q];
    const std::string spa = data_path(p), name = frame_name(p, q, f);
    if (r.image_w == 0 || r.image_h == 0) {
        out.add(spa, name + " is " + size_text(r.image_w, r.image_h) + " pixels: it shows nothing");
        return;
    }
    if (image && (r.image_x + r.image_w > image->width || r.image_y + r.image_h > image->height))
        out.add(spa, name + " takes (" + std::to_string(r.image_x) + ", " + std::to_string(r.image_y) + ") " +
                         size_text(r.image_w, r.image_h) + " of the image, which is only " +
                         size_text(image->width, image->height));
    if (r.correction_x + r.image_w > e.base_w || r.correction_y + r.image_h > e.base_h)
        out.add(spa, name + " placed at (" + std::to_string(r.correction_x) + ", " +
                         std::to_string(r.correction_y) + ") with " + size_text(r.image_w, r.image_h) +
                         " leaves its base frame of " + size_text(e.base_w, e.base_h));
}

void check_colour_mode(const Project& p, const DecodedImage& image, Findings& out) {
    const int mode = decode_tpage(p.files.data.header.tpage).colour_mode;
    const int image_mode = colour_mode_for_depth(image.bits_per_pixel);
    if (image_mode < 0)
        out.add(image_path(p), "the image has " + std::to_string(image.bits_per_pixel) +
                                   " bits per pixel, for which the console has no colour mode");
    else if (image_mode != mode)
        out.add(data_path(p), "tpage gives colour mode " + std::to_string(mode) + " (" +
                                  colour_mode_name(mode) + ") but the image is " +
                                  colour_mode_name(image_mode) + " (" + std::to_string(image.bits_per_pixel) +
                                  " bits per pixel)");
}

// The problems the game meets in the console's frame buffer: where the image and its CLUT
// stand, what the data file's tpage and CLUT attribute name, how far each frame's texels
// reach. A problem of the picture's place is the image file's; one of a frame, the tpage
// or the records is the data file's.
void check_frame_buffer(const Project& p, const DecodedImage* image, Findings& out) {
    using frame_buffer::Rule;
    const frame_buffer::Sheet sheet = image ? frame_buffer::sheet_of(*image) : frame_buffer::Sheet{};
    const frame_buffer::Data data = frame_buffer::data_of(p.files.data, p.clut_attribute);
    for (const frame_buffer::Problem& problem : frame_buffer::check_data(data, image ? &sheet : nullptr)) {
        const bool of_data = !image || problem.pattern != frame_buffer::kNone ||
                             problem.rule == Rule::TpageNotSheetPage ||
                             problem.rule == Rule::ClutAttributeNotSheetClut;
        const std::string frame = problem.pattern != frame_buffer::kNone
                                      ? frame_name(p, problem.pattern, problem.frame) + ": "
                                      : "";
        out.add(of_data ? data_path(p) : image_path(p),
                frame + one_line(frame_buffer::problem_text(problem)));
    }
}

// The image the project names, decoded as the editor loads it; null when there is none
// or it does not load (which is a finding of its own).
bool load_image_checked(const Project& p, DecodedImage& image, Findings& out) {
    if (p.files.kind != PathKind::ProjectFile) return false;  // a data file names no image
    if (p.image_cp932.empty()) {
        out.add(p.path, "names no image");
        return false;
    }
    image = decode_image_file(p.image_cp932.c_str());
    if (image.problem == ImageProblem::None) return true;
    out.add(p.path, "image " + one_line(image_refusal_text(image, p.image_cp932.c_str())));
    return false;
}

int total_frames(const Project& p) {
    int n = 0;
    for (int q = 0; q < pattern_count(p); ++q) n += frame_count(p, q);
    return n;
}

}  // namespace

int run_check(const std::vector<std::string>& args) {
    FileCommand c;
    if (const int done = parse_file_command(args, "check", kCheckHelp, {}, c); done != kGoOn) return done;
    const std::string& file = c.file;
    Project p;
    std::string error;
    if (!load_project(file, p, &error)) {
        std::printf("%s\n", error.c_str());
        return kExitFailed;
    }
    Findings out;
    compare_counts(p, out);
    DecodedImage image;
    const bool have_image = load_image_checked(p, image, out);
    if (have_image) check_colour_mode(p, image, out);
    check_frame_buffer(p, have_image ? &image : nullptr, out);
    for (int q = 0; q < pattern_count(p); ++q) {
        if (frame_count(p, q) == 0) out.add(data_path(p), pattern_name(p, q) + " has no frames");
        for (int f = 0; f < frame_count(p, q); ++f) check_frame(p, q, f, have_image ? &image : nullptr, out);
    }
    if (have_image) DeleteObject(image.bitmap);
    for (const std::string& line : out.lines) std::printf("%s\n", line.c_str());
    if (!out.lines.empty()) return kExitFailed;
    std::printf("%s: no problems: %d pattern%s, %d frames", p.path.c_str(), pattern_count(p),
                pattern_count(p) == 1 ? "" : "s", total_frames(p));
    if (have_image)
        std::printf("; image %s, %d x %d, %d bits per pixel", image_path(p).c_str(), image.width,
                    image.height, image.bits_per_pixel);
    else
        std::printf(
            "; a data file names no image, so the rectangles were checked against their base frames only");
    std::printf("\n");
    return kExitOk;
}

}  // namespace cli
