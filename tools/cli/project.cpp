// The project as the editor opens it, and the texts the tool shows of it.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "project/dbcs_text.h"
#include "text/cp932.h"
#include "tool.h"

namespace cli {

namespace {

// An image path the file system takes as it is: from the root, or with a drive letter
// (which no Unix folder has, so it is left for the loader to refuse).
bool absolute(std::string_view path) {
    if (!path.empty() && (path[0] == '/' || path[0] == '\\')) return true;
    return path.size() >= 2 && path[1] == ':';
}

// The folder part of a CP932 path, with its separator; "" when it has none.
std::string folder_of(std::string_view path) {
    return std::string(path.substr(0, dbcs_name_start(path)));
}

// The editor's CLUT attribute after opening: the image load sets it, then each frame
// record read sets it, so it is the last record's.
void take_clut(Project& p) {
    p.clut_attribute = 0;
    p.clut_source = "none";
    for (int q = 0; q < pattern_count(p); ++q)
        for (int f = 0; f < frame_count(p, q); ++f) {
            p.clut_attribute = p.files.data.frames[q][f].clut;
            p.clut_source = "frame records";
        }
    if (p.clut_attribute || std::strcmp(p.clut_source, "none") != 0 || p.image_cp932.empty()) return;
    const DecodedImage image = decode_image_file(p.image_cp932.c_str());
    if (image.problem != ImageProblem::None) return;
    DeleteObject(image.bitmap);
    p.clut_attribute = image.clut_attribute;
    p.clut_source = "image";
}

std::string refusal_line(const Project& p) {
    const std::string file = cw::text::cp932_to_utf8(p.files.failed_path);
    if (p.files.problem == ProjectReadProblem::CannotOpen) return file + ": cannot be opened";
    return file + ": " + one_line(refusal_text(p.files.refusal));
}

}  // namespace

std::string utf8_of(const char* field, size_t size) {
    return cw::text::cp932_to_utf8(std::string_view(field, strnlen(field, size)));
}

std::string one_line(const std::string& cp932) {
    std::string text = cw::text::cp932_to_utf8(cp932);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    for (char& c : text)
        if (c == '\n') c = ' ';
    return text;
}

bool load_project(const std::string& path_utf8, Project& p, std::string* error) {
    p.path = path_utf8;
    bool lossless = true;
    p.path_cp932 = cw::text::utf8_to_cp932(path_utf8, &lossless);
    if (!lossless) {
        *error = path_utf8 + ": the path has characters the editor's files cannot name (CP932)";
        return false;
    }
    p.files = read_project_files(p.path_cp932.c_str());
    if (!p.files.ok()) {
        *error = refusal_line(p);
        return false;
    }
    p.names = p.files.names;
    if (p.files.kind == PathKind::DataFile)
        set_label(p.names.project_name, project_name_for_data_file(p.path_cp932).c_str());
    reconcile_labels(p.names, p.files.data);
    const std::string image(p.names.image_path, strnlen(p.names.image_path, kPathSize));
    p.image_cp932 = image.empty() || absolute(image) ? image : folder_of(p.path_cp932) + image;
    take_clut(p);
    return true;
}

int pattern_count(const Project& p) {
    return static_cast<int>(p.files.data.header.pattern_count);
}

int frame_count(const Project& p, int pattern) {
    return static_cast<int>(p.files.data.entries[pattern].frame_count);
}

std::string data_path(const Project& p) {
    return cw::text::cp932_to_utf8(p.files.data_path);
}

std::string image_path(const Project& p) {
    return cw::text::cp932_to_utf8(p.image_cp932);
}

TexturePage decode_tpage(uint32_t tpage) {
    return TexturePage{static_cast<int>(tpage & 0xF) * 64, static_cast<int>((tpage >> 4) & 1) * 256,
                       static_cast<int>((tpage >> 5) & 3), static_cast<int>((tpage >> 7) & 3)};
}

const char* semi_transparency_name(int mode) {
    static const char* const names[] = {"半透明", "ﾋﾟｸｾﾙ加算", "ﾋﾟｸｾﾙ減算", "25%ﾋﾟｸｾﾙ加算"};
    return mode >= 0 && mode < 4 ? names[mode] : "";
}

const char* colour_mode_name(int mode) {
    static const char* const names[] = {"4bitCLUT", "8bitCLUT", "15bitDirect", "24bitDirect"};
    return mode >= 0 && mode < 4 ? names[mode] : "";
}

ClutPlace decode_clut(uint16_t clut) {
    return ClutPlace{(clut & 0x3F) * 16, (clut >> 6) & 0x1FF};
}

void report(const std::string& text) {
    std::fprintf(stderr, "celwright-tool: %s\n", text.c_str());
}

bool FileCommand::has(const std::string& s) const {
    return std::find(switches.begin(), switches.end(), s) != switches.end();
}

int parse_file_command(const std::vector<std::string>& args, const std::string& command, const char* help,
                       const std::vector<std::string>& allowed, FileCommand& out) {
    const std::string see = " (see celwright-tool " + command + " --help)";
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::fputs(help, stdout);
            return kExitOk;
        }
        if (std::find(allowed.begin(), allowed.end(), a) != allowed.end()) {
            out.switches.push_back(a);
        } else if (!a.empty() && a[0] == '-') {
            report(command + ": unknown option " + a + see);
            return kExitUsage;
        } else if (out.file.empty()) {
            out.file = a;
        } else {
            report(command + ": one file at a time" + see);
            return kExitUsage;
        }
    }
    if (!out.file.empty()) return kGoOn;
    report(command + ": which file?" + see);
    return kExitUsage;
}

}  // namespace cli
