// celwright-tool render: one pattern as the running display shows it, every frame
// drawn by the editor's own drawing onto the same software surfaces, written as an
// animated GIF or as a sheet of all frames side by side.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "display/frame_drawing.h"
#include "display/playback_rules.h"
#include "image_output.h"
#include "text/cp932.h"
#include "tool.h"

namespace cli {

namespace {

constexpr int kMaxScale = 32;  // the pattern windows' largest magnification
constexpr int kMaxSide = 16384;

struct RenderOptions {
    std::string file;
    std::string pattern;
    std::string gif;
    std::string sheet;
    std::string image;  // a sprite sheet to use instead of the project's
    int scale = 1;
    uint8_t flips = 0;
};

// The working image, the base frame and the magnified picture, released together.
struct Surfaces {
    LPDIRECTDRAW ddraw = nullptr;
    LPDIRECTDRAWSURFACE working = nullptr, base = nullptr, scaled = nullptr;
    Surfaces() = default;
    Surfaces(const Surfaces&) = delete;
    Surfaces& operator=(const Surfaces&) = delete;
    ~Surfaces() {
        for (LPDIRECTDRAWSURFACE s : {scaled, base, working})
            if (s) s->Release();
        if (ddraw) ddraw->Release();
    }
};

bool parse_int(const std::string& text, int* out) {
    if (text.empty() || text.size() > 9) return false;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    *out = v;
    return true;
}

bool parse_flip(const std::string& text, uint8_t* flips) {
    if (text == "h")
        *flips = kFlipLeftRight;
    else if (text == "v")
        *flips = kFlipTopBottom;
    else if (text == "hv" || text == "vh")
        *flips = kFlipLeftRight | kFlipTopBottom;
    else
        return false;
    return true;
}

// Reads the options; false with *error set (the caller adds the pointer to --help).
bool parse(const std::vector<std::string>& args, RenderOptions& o, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool valued = a == "--pattern" || a == "--out" || a == "--sheet" || a == "--scale" ||
                            a == "--flip" || a == "--image";
        if (valued && i + 1 >= args.size()) {
            *error = a + " needs a value";
            return false;
        }
        if (a == "--pattern")
            o.pattern = args[++i];
        else if (a == "--out")
            o.gif = args[++i];
        else if (a == "--sheet")
            o.sheet = args[++i];
        else if (a == "--image")
            o.image = args[++i];
        else if (a == "--scale") {
            if (!parse_int(args[++i], &o.scale) || o.scale < 1 || o.scale > kMaxScale) {
                *error = "--scale takes a whole number from 1 to " + std::to_string(kMaxScale);
                return false;
            }
        } else if (a == "--flip") {
            if (!parse_flip(args[++i], &o.flips)) {
                *error = "--flip takes h, v or hv";
                return false;
            }
        } else if (!a.empty() && a[0] == '-') {
            *error = "unknown option " + a;
            return false;
        } else if (o.file.empty()) {
            o.file = a;
        } else {
            *error = "one project at a time";
            return false;
        }
    }
    if (o.file.empty())
        *error = "which project?";
    else if (o.pattern.empty())
        *error = "which pattern? (--pattern N)";
    else if (o.gif.empty() == o.sheet.empty())
        *error = "one output: --out FILE.gif or --sheet FILE.png";
    return error->empty();
}

// The pattern named by its index or, failing that, by its label.
int find_pattern(const Project& p, const std::string& which) {
    int index = -1;
    if (parse_int(which, &index)) return index < pattern_count(p) ? index : -1;
    for (int q = 0; q < pattern_count(p); ++q)
        if (utf8_of(p.names.pattern_labels[q], kLabelSize) == which) return q;
    return -1;
}

HRESULT make_surface(LPDIRECTDRAW ddraw, int w, int h, LPDIRECTDRAWSURFACE* surface) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = static_cast<DWORD>(w);
    desc.dwHeight = static_cast<DWORD>(h);
    return ddraw->CreateSurface(&desc, surface, nullptr);
}

// What the surface holds, read back through its device context into a 32-bit DIB.
Picture read_pixels(LPDIRECTDRAWSURFACE surface, int w, int h) {
    Picture picture{w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h)};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        copy_surface_into_bitmap(surface, dib, w, h);
        const auto* px = static_cast<const uint32_t*>(bits);
        for (size_t i = 0; i < picture.xrgb.size(); ++i) picture.xrgb[i] = px[i] & 0xFFFFFF;
    }
    if (dib) DeleteObject(dib);
    return picture;
}

// The image decoded as the editor loads it and taken into a working surface.
bool take_image(const std::string& path_cp932, Surfaces& s, std::string* error) {
    DecodedImage image = decode_image_file(path_cp932.c_str());
    if (image.problem != ImageProblem::None) {
        *error = "image " + one_line(image_refusal_text(image, path_cp932.c_str()));
        return false;
    }
    const HRESULT hr = make_surface(s.ddraw, image.width, image.height, &s.working);
    if (SUCCEEDED(hr)) copy_bitmap_into_surface(s.working, image.bitmap, image.width, image.height);
    DeleteObject(image.bitmap);
    if (FAILED(hr))
        *error = "no surface for an image of " + std::to_string(image.width) + " x " +
                 std::to_string(image.height);
    return SUCCEEDED(hr);
}

struct Rendered {
    std::vector<Picture> frames;
    std::vector<uint32_t> ticks;  // how long each frame stays, in 1/60 s ticks
};

// Every frame of pattern q, forwards, as the running display draws it: the base frame
// filled with black (the background colour the editor starts with), the frame copied
// unkeyed with the flips, magnified by the same stretching blit as a pattern window.
bool render_frames(const Project& p, int q, const RenderOptions& o, const std::string& image_cp932,
                   Rendered& out, std::string* error) {
    const PatternEntry& e = p.files.data.entries[q];
    const int w = e.base_w * o.scale, h = e.base_h * o.scale;
    if (e.base_w == 0 || e.base_h == 0) {
        *error = "pattern " + std::to_string(q) + " has a base frame of " + std::to_string(e.base_w) + " x " +
                 std::to_string(e.base_h) + " pixels: there is nothing to draw on";
        return false;
    }
    if (w > kMaxSide || h > kMaxSide) {
        *error = "a picture of " + std::to_string(w) + " x " + std::to_string(h) + " pixels is too large";
        return false;
    }
    Surfaces s;
    if (FAILED(DirectDrawCreate(nullptr, &s.ddraw, nullptr)) ||
        FAILED(s.ddraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL))) {
        *error = "DirectDraw cannot be started";
        return false;
    }
    if (!take_image(image_cp932, s, error)) return false;
    if (FAILED(make_surface(s.ddraw, e.base_w, e.base_h, &s.base)) ||
        (o.scale > 1 && FAILED(make_surface(s.ddraw, w, h, &s.scaled)))) {
        *error =
            "no surface for a base frame of " + std::to_string(e.base_w) + " x " + std::to_string(e.base_h);
        return false;
    }
    DDBLTFX background{};
    background.dwSize = sizeof background;
    const uint32_t speed = p.files.data.header.speed;
    for (int f = 0; f < frame_count(p, q); ++f) {
        const FrameRecord& r = p.files.data.frames[q][f];
        draw_running_picture(s.base, s.working, &background, &r, o.flips, e.base_w, e.base_h);
        if (s.scaled) {
            RECT from{0, 0, e.base_w, e.base_h}, to{0, 0, w, h};
            s.scaled->Blt(&to, s.base, &from, DDBLT_WAIT, nullptr);
        }
        out.frames.push_back(read_pixels(s.scaled ? s.scaled : s.base, w, h));
        out.ticks.push_back((static_cast<uint32_t>(r.timing) + 1) * (speed + 1));
    }
    return true;
}

Picture side_by_side(const std::vector<Picture>& frames) {
    const int w = frames[0].width, h = frames[0].height;
    Picture sheet{w * static_cast<int>(frames.size()), h, {}};
    sheet.xrgb.assign(static_cast<size_t>(sheet.width) * h, kTransparentColour);
    for (size_t i = 0; i < frames.size(); ++i)
        for (int y = 0; y < h; ++y)
            std::copy_n(
                frames[i].xrgb.begin() + static_cast<ptrdiff_t>(y) * w, w,
                sheet.xrgb.begin() + static_cast<ptrdiff_t>(y) * sheet.width + static_cast<ptrdiff_t>(i) * w);
    return sheet;
}

// The file is encoded whole before it is written, so a failure writes nothing.
bool write_file(const RenderOptions& o, const Rendered& r, std::string* error) {
    const std::vector<uint8_t> bytes = o.gif.empty() ? encode_png(side_by_side(r.frames), error)
                                                     : encode_gif(r.frames, gif_delays(r.ticks), error);
    return !bytes.empty() && write_output(o.gif.empty() ? o.sheet : o.gif, bytes, error);
}

}  // namespace

int run_render(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            std::fputs(kRenderHelp, stdout);
            return kExitOk;
        }
    RenderOptions o;
    std::string error;
    if (!parse(args, o, &error)) {
        report("render: " + error + " (see celwright-tool render --help)");
        return kExitUsage;
    }
    Project p;
    if (!load_project(o.file, p, &error)) {
        report(error);
        return kExitFailed;
    }
    const int q = find_pattern(p, o.pattern);
    if (q < 0) {
        report(o.file + ": no pattern " + o.pattern + " (it has " + std::to_string(pattern_count(p)) +
               ", numbered from 0)");
        return kExitFailed;
    }
    if (frame_count(p, q) == 0) {
        report(o.file + ": pattern " + std::to_string(q) + " has no frames to render");
        return kExitFailed;
    }
    std::string image = p.image_cp932;
    if (!o.image.empty()) image = cw::text::utf8_to_cp932(o.image);
    if (image.empty()) {
        report(o.file + ": names no image (give one with --image FILE)");
        return kExitFailed;
    }
    Rendered r;
    if (!render_frames(p, q, o, image, r, &error)) {
        report(o.file + ": " + error);
        return kExitFailed;
    }
    if (!write_file(o, r, &error)) {
        report(error);
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace cli
