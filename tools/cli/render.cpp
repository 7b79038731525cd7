// celwright-tool render: one pattern as the running display shows it, every frame
// drawn by the editor's own drawing onto the same software surfaces, written as an
// animated GIF or as a sheet of all frames side by side.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "display/console_drawing.h"
#include "display/frame_drawing.h"
#include "display/panel_rules.h"
#include "display/playback_rules.h"
#include "files/console_sheet.h"
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
    bool console = false;     // the console's rules instead of the running display's
    int rate = 60;            // ticks a second
    uint32_t background = 0;  // the base frame's colour, 0x00RRGGBB
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

// Six hexadecimal digits RRGGBB.
bool parse_colour(const std::string& text, uint32_t* out) {
    if (text.size() != 6) return false;
    uint32_t v = 0;
    for (char c : text) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) return false;
        v = v << 4 | static_cast<uint32_t>(digit);
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
                            a == "--flip" || a == "--image" || a == "--rate" || a == "--background";
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
        } else if (a == "--rate") {
            if (!parse_int(args[++i], &o.rate) || (o.rate != 50 && o.rate != 60)) {
                *error = "--rate takes 50 or 60";
                return false;
            }
        } else if (a == "--background") {
            if (!parse_colour(args[++i], &o.background)) {
                *error = "--background takes a colour as six hexadecimal digits RRGGBB";
                return false;
            }
        } else if (a == "--console") {
            o.console = true;
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

// The image decoded as the editor loads it, taken into a working surface for the running
// display's drawing, or kept as the console's words for the console's.
bool take_image(const Project& p, const std::string& path_cp932, const RenderOptions& o, Surfaces& s,
                tim::TimImage* console_sheet, std::string* error) {
    DecodedImage image = decode_image_file(path_cp932.c_str());
    if (image.problem != ImageProblem::None) {
        *error = "image " + one_line(image_refusal_text(image, path_cp932.c_str()));
        return false;
    }
    if (o.console) {
        ConsoleSheet sheet = console_sheet_of(image, p.files.data.header.tpage, p.clut_attribute);
        DeleteObject(image.bitmap);
        if (!sheet.drawable)
            *error = "the image has no texels in the colour mode tpage gives (" +
                     std::string(colour_mode_name(decode_tpage(p.files.data.header.tpage).colour_mode)) + ")";
        *console_sheet = std::move(sheet.image);
        return sheet.drawable;
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
    std::vector<uint32_t> ticks;  // how long each frame stays, in ticks of 1/rate s
};

// The base frame's fill in the surface's pixel format.
DDBLTFX background_fill(LPDIRECTDRAWSURFACE base, uint32_t rgb) {
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    DDPIXELFORMAT f{};
    f.dwSize = sizeof f;
    const COLORREF c = RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
    fx.dwFillColor = SUCCEEDED(base->GetPixelFormat(&f))
                         ? colour_to_pixel(c, f.dwRBitMask, f.dwGBitMask, f.dwBBitMask)
                         : rgb;
    return fx;
}

// Frame r drawn on the base surface, by the running display's rules or the console's.
void draw_frame(const Project& p, const PatternEntry& e, const FrameRecord& r, const RenderOptions& o,
                const tim::TimImage& console_sheet, Surfaces& s, DDBLTFX* background) {
    if (!o.console) {
        draw_running_picture(s.base, s.working, background, &r, o.flips, e.base_w, e.base_h);
        return;
    }
    ConsoleFrame f;
    f.tpage = p.files.data.header.tpage;
    f.record = r;
    f.flips = o.flips;
    f.base_w = e.base_w;
    f.base_h = e.base_h;
    f.background = tim::colour15_of(o.background);
    copy_console_picture_into_surface(s.base, draw_console_frame(console_sheet, f), e.base_w, e.base_h);
}

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
    tim::TimImage console_sheet;
    if (!take_image(p, image_cp932, o, s, &console_sheet, error)) return false;
    if (FAILED(make_surface(s.ddraw, e.base_w, e.base_h, &s.base)) ||
        (o.scale > 1 && FAILED(make_surface(s.ddraw, w, h, &s.scaled)))) {
        *error =
            "no surface for a base frame of " + std::to_string(e.base_w) + " x " + std::to_string(e.base_h);
        return false;
    }
    DDBLTFX background = background_fill(s.base, o.background);
    const uint32_t speed = p.files.data.header.speed;
    for (int f = 0; f < frame_count(p, q); ++f) {
        const FrameRecord& r = p.files.data.frames[q][f];
        draw_frame(p, e, r, o, console_sheet, s, &background);
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
    const std::vector<uint8_t> bytes = o.gif.empty()
                                           ? encode_png(side_by_side(r.frames), error)
                                           : encode_gif(r.frames, gif_delays(r.ticks, o.rate), error);
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
