// Makes the example project of examples/: a little walk cycle drawn pixel by pixel,
// written as an 8-bit BMP and as a 4-bit TIM with its CLUT, and a project of two
// patterns on it saved by the editor's own encoders, laid out as a user would leave it
// (image loaded, patterns added, frames set, placed and timed, saved).
//
//   make_example DIR    writes walk.bmp, walk.tim, walk.cwp and walk.spa into DIR
//
// Everything is computed, nothing is random: the same bytes every time.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "files/project_data.h"
#include "files/tim.h"
#include "project/record_bytes.h"
#include "project/tables.h"
#include "text/cp932.h"

namespace {

constexpr int kSheetW = 128, kSheetH = 64;
constexpr int kCell = 32;  // each frame is drawn in a 32 x 32 cell; the base frame is a cell
constexpr uint16_t kImageX = 640, kImageY = 0;  // where the TIM places the sheet in the frame buffer
constexpr uint16_t kClutX = 0, kClutY = 480;

// The colours, as the console keeps them (15-bit, red in the low bits). Index 0 is
// the transparent black; the outline is a black that is not 0.
enum Colour : uint8_t { Clear, Outline, Skin, Hair, Shirt, ShirtShade, Trousers, TrousersShade, Shoe, Eye };
constexpr uint16_t rgb15(int r, int g, int b) {
    return static_cast<uint16_t>(r | g << 5 | b << 10);
}
constexpr std::array<uint16_t, 16> kClut = {rgb15(0, 0, 0),
                                            rgb15(2, 2, 3),
                                            rgb15(31, 24, 19),
                                            rgb15(13, 7, 3),
                                            rgb15(5, 13, 28),
                                            rgb15(3, 8, 19),
                                            rgb15(11, 11, 14),
                                            rgb15(7, 7, 9),
                                            rgb15(17, 9, 4),
                                            rgb15(1, 1, 2),
                                            0,
                                            0,
                                            0,
                                            0,
                                            0,
                                            0};

using Sheet = std::vector<uint8_t>;  // one colour index per pixel, rows top first

void put(Sheet& s, int x, int y, uint8_t c) {
    if (x >= 0 && x < kSheetW && y >= 0 && y < kSheetH) s[static_cast<size_t>(y) * kSheetW + x] = c;
}

void rect(Sheet& s, int x0, int y0, int w, int h, uint8_t c) {
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x) put(s, x, y, c);
}

// A limb two pixels thick from (x0, y0) to (x1, y1).
void limb(Sheet& s, int x0, int y0, int x1, int y1, uint8_t c) {
    const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int i = 0; i <= steps; ++i) {
        const int x = x0 + (steps ? (x1 - x0) * i / steps : 0), y = y0 + (steps ? (y1 - y0) * i / steps : 0);
        rect(s, x, y, 2, 1, c);
    }
}

// One pose in the cell at (cx, cy): the legs' stride (the near leg's foot offset from
// the hip; the far leg mirrors it), the arms' swing, the body's bob.
struct Pose {
    int stride, swing, bob;
};

void draw_figure(Sheet& s, int cx, int cy, const Pose& p) {
    const int hip_y = cy + 19 + p.bob, foot_y = cy + 28;
    limb(s, cx + 15, hip_y, cx + 15 - p.stride, foot_y, TrousersShade);  // far leg
    rect(s, cx + 15 - p.stride, foot_y, 4, 2, Shoe);
    limb(s, cx + 12, cy + 12 + p.bob, cx + 13 - p.swing, cy + 19 + p.bob, ShirtShade);  // far arm
    rect(s, cx + 11, cy + 11 + p.bob, 9, 9, Shirt);                                     // body
    limb(s, cx + 14, hip_y, cx + 14 + p.stride, foot_y, Trousers);                      // near leg
    rect(s, cx + 14 + p.stride, foot_y, 4, 2, Shoe);
    rect(s, cx + 12, cy + 3 + p.bob, 8, 8, Skin);  // head
    rect(s, cx + 12, cy + 3 + p.bob, 8, 2, Hair);
    rect(s, cx + 12, cy + 5 + p.bob, 2, 3, Hair);
    put(s, cx + 18, cy + 6 + p.bob, Eye);
    limb(s, cx + 16, cy + 12 + p.bob, cx + 16 + p.swing, cy + 19 + p.bob, Skin);  // near arm
}

// A one-pixel outline around every figure, on the transparent pixels next to it.
void outline(Sheet& s) {
    const Sheet before = s;
    for (int y = 0; y < kSheetH; ++y)
        for (int x = 0; x < kSheetW; ++x) {
            if (before[static_cast<size_t>(y) * kSheetW + x] != Clear) continue;
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                const int nx = x + dx, ny = y + dy;
                if (nx < 0 || ny < 0 || nx >= kSheetW || ny >= kSheetH) continue;
                const uint8_t n = before[static_cast<size_t>(ny) * kSheetW + nx];
                if (n != Clear && n != Outline && nx / kCell == x / kCell && ny / kCell == y / kCell) {
                    put(s, x, y, Outline);
                    break;
                }
            }
        }
}

// The walk cycle in the top row (four poses), standing and breathing in the second.
const std::array<Pose, 4> kWalk = {Pose{-4, 3, 0}, Pose{0, 0, -1}, Pose{4, -3, 0}, Pose{0, 0, -1}};
const std::array<Pose, 2> kIdle = {Pose{1, 1, 0}, Pose{1, 1, 1}};

Sheet draw_sheet() {
    Sheet s(static_cast<size_t>(kSheetW) * kSheetH, Clear);
    for (size_t i = 0; i < kWalk.size(); ++i) draw_figure(s, static_cast<int>(i) * kCell, 0, kWalk[i]);
    for (size_t i = 0; i < kIdle.size(); ++i) draw_figure(s, static_cast<int>(i) * kCell, kCell, kIdle[i]);
    outline(s);
    return s;
}

// The smallest rectangle of the cell at (cx, cy) holding every drawn pixel.
RECT drawn_part(const Sheet& s, int cx, int cy) {
    RECT r{kCell, kCell, 0, 0};
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x)
            if (s[static_cast<size_t>(cy + y) * kSheetW + cx + x] != Clear) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x + 1);
                r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
    return r;
}

// An 8-bit BMP (info header, 256-entry colour table, rows bottom first).
std::vector<uint8_t> bmp_file(const Sheet& s) {
    std::vector<uint8_t> b;
    const uint32_t table = 256 * 4, bits = 14 + 40 + table, size = bits + kSheetW * kSheetH;
    b.push_back('B');
    b.push_back('M');
    put32(b, size);
    put32(b, 0);
    put32(b, bits);
    put32(b, 40);
    put32(b, kSheetW);
    put32(b, kSheetH);
    put16(b, 1);
    put16(b, 8);
    put32(b, 0);  // BI_RGB
    put32(b, kSheetW * kSheetH);
    put32(b, 2835);  // 72 dots per inch
    put32(b, 2835);
    put32(b, 256);
    put32(b, 0);
    for (int i = 0; i < 256; ++i) {
        const tim::Rgb c = tim::colour15(i < static_cast<int>(kClut.size()) ? kClut[i] : 0);
        b.insert(b.end(), {c.b, c.g, c.r, 0});
    }
    for (int y = kSheetH - 1; y >= 0; --y)
        b.insert(b.end(), s.begin() + static_cast<ptrdiff_t>(y) * kSheetW,
                 s.begin() + static_cast<ptrdiff_t>(y + 1) * kSheetW);
    return b;
}

// A 4-bit TIM with its CLUT: two pixels a byte, the first in the low nibble.
std::vector<uint8_t> tim_file(const Sheet& s) {
    std::vector<uint8_t> b;
    put32(b, 0x10);  // identifier
    put32(b, 0x08);  // 4-bit CLUT mode, a CLUT block follows
    put32(b, 12 + 2 * static_cast<uint32_t>(kClut.size()));
    put16(b, kClutX);
    put16(b, kClutY);
    put16(b, static_cast<uint16_t>(kClut.size()));
    put16(b, 1);
    for (uint16_t c : kClut) put16(b, c);
    const uint16_t words = kSheetW / 4;
    put32(b, 12 + 2u * words * kSheetH);
    put16(b, kImageX);
    put16(b, kImageY);
    put16(b, words);
    put16(b, kSheetH);
    for (size_t i = 0; i < s.size(); i += 2) b.push_back(static_cast<uint8_t>(s[i] | s[i + 1] << 4));
    return b;
}

struct FrameSpec {
    const char* label;
    int cell_x, cell_y;
    uint16_t timing;
};

// A pattern as the user builds it: add pattern, then per frame frame set with the drawn
// part of its cell, the correction that keeps the figure where it stands in the cell,
// and the timing; the base frame is a whole cell.
void add_pattern(Tables& t, const Sheet& s, const char* label, const std::vector<FrameSpec>& frames) {
    const int p = static_cast<int>(t.data.header.pattern_count++);
    store_pattern_label(t, p, label);
    t.settings[p].base_w = kCell;
    t.settings[p].base_h = kCell;
    for (const FrameSpec& f : frames) {
        const int j = static_cast<int>(t.data.entries[p].frame_count++);
        store_frame_label(t, p, j, f.label);
        const RECT r = drawn_part(s, f.cell_x, f.cell_y);
        FrameRecord& rec = t.frames[p][j];
        rec.image_x = static_cast<uint8_t>(f.cell_x + r.left);
        rec.image_y = static_cast<uint8_t>(f.cell_y + r.top);
        rec.image_w = static_cast<uint16_t>(r.right - r.left);
        rec.image_h = static_cast<uint16_t>(r.bottom - r.top);
        rec.correction_x = static_cast<uint8_t>(r.left);
        rec.correction_y = static_cast<uint8_t>(r.top);
        rec.timing = f.timing;
    }
}

bool write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_example DIR\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    const Sheet sheet = draw_sheet();
    const std::vector<uint8_t> bmp = bmp_file(sheet), tim_bytes = tim_file(sheet);

    // New project: the image is loaded, which sets tpage and the CLUT attribute.
    auto tables = std::make_unique<Tables>();
    Tables& t = *tables;
    reset_tables(t);
    const tim::TimResult loaded = tim::decode_tim(tim_bytes);
    if (loaded.error != tim::TimError::None) {
        std::fprintf(stderr, "make_example: the TIM it made does not load\n");
        return 1;
    }
    std::snprintf(t.names.image_path, kPathSize, "%s", "walk.tim");
    set_label(t.names.project_name, cw::text::utf8_to_cp932("歩行ｻﾝﾌﾟﾙ").c_str());
    t.data.header.tpage = loaded.image.tpage;
    t.clut_attribute = loaded.image.clut_attribute;
    t.data.header.speed = 1;
    add_pattern(
        t, sheet, "walk",
        {{"contact_r", 0, 0, 5}, {"pass_r", 32, 0, 5}, {"contact_l", 64, 0, 5}, {"pass_l", 96, 0, 5}});
    add_pattern(t, sheet, "idle", {{"stand", 0, 32, 29}, {"breathe", 32, 32, 19}});

    const bool ok = write(dir + "walk.bmp", bmp) && write(dir + "walk.tim", tim_bytes) &&
                    write(dir + "walk.cwp", encode_project_file(t.names)) &&
                    write(dir + "walk.spa", encode_animation_data(t, t.clut_attribute));
    if (!ok) {
        std::fprintf(stderr, "make_example: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
