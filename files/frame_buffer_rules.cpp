#include "files/frame_buffer_rules.h"

#include <algorithm>
#include <cstdio>

namespace frame_buffer {

namespace {

constexpr int kPageWidth = 64;    // words
constexpr int kPageHeight = 256;  // lines
constexpr int kLastTexel = 255;   // u and v are one byte
constexpr int kClutStep = 16;     // the CLUT attribute keeps x / 16

bool empty(const Area& a) {
    return a.w <= 0 || a.h <= 0;
}

bool inside_frame_buffer(const Area& a) {
    return a.x >= 0 && a.y >= 0 && a.x + a.w <= tim::kFrameBufferWidth &&
           a.y + a.h <= tim::kFrameBufferHeight;
}

bool clut_mode(int colour_mode) {
    return colour_mode == 0 || colour_mode == 1;
}

// The corner of the texture page a tpage word names.
Point page_of_tpage(uint32_t tpage) {
    return Point{static_cast<int>(tpage & 0xF) * kPageWidth,
                 static_cast<int>((tpage >> 4) & 1) * kPageHeight};
}

// The corner of the page the picture starts in, which the editor's loader makes the tpage.
Point page_of_sheet(const tim::TimImage& image) {
    return page_of_tpage(tim::tim_tpage(image.image_x, image.image_y, image.mode));
}

Point clut_of_attribute(uint16_t attribute) {
    return Point{(attribute & 0x3F) * kClutStep, (attribute >> 6) & 0x1FF};
}

// Texels across and lines down between the page's corner and the picture's; the texels
// the data counts from the picture's corner are that far off in the game.
Point offset_from_page(const tim::TimImage& image) {
    return Point{(image.image_x % kPageWidth) * texels_per_word(image.mode), image.image_y % kPageHeight};
}

int indices_used(const tim::TimImage& image) {
    int highest = -1;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) highest = std::max<int>(highest, tim::tim_texel(image, x, y));
    return highest + 1;
}

Problem sheet_problem(Rule rule, const Sheet& sheet) {
    Problem p;
    p.rule = rule;
    p.colour_mode = std::max(sheet.colour_mode, 0);
    if (sheet.placed) {
        p.sheet = picture_area(*sheet.placed);
        p.clut = clut_area(*sheet.placed);
        p.page = page_of_sheet(*sheet.placed);
    }
    return p;
}

void check_place(const Sheet& sheet, std::vector<Problem>& out) {
    const tim::TimImage& image = *sheet.placed;
    const Area picture = picture_area(image);
    if (!inside_frame_buffer(picture)) out.push_back(sheet_problem(Rule::SheetOutsideFrameBuffer, sheet));
    const Point off = offset_from_page(image);
    if (image.mode != 3 && (off.x != 0 || off.y != 0)) {
        Problem p = sheet_problem(Rule::SheetOffPageCorner, sheet);
        p.off = off;
        out.push_back(p);
    }
}

void check_clut(const Sheet& sheet, std::vector<Problem>& out) {
    const tim::TimImage& image = *sheet.placed;
    const Area clut = clut_area(image);
    if (image.has_clut && !empty(clut)) {
        if (!inside_frame_buffer(clut)) out.push_back(sheet_problem(Rule::ClutOutsideFrameBuffer, sheet));
        if (!empty(overlap(clut, picture_area(image))))
            out.push_back(sheet_problem(Rule::ClutOverSheet, sheet));
    }
    if (!clut_mode(image.mode)) return;
    if (image.has_clut && image.clut_x % kClutStep != 0) {
        Problem p = sheet_problem(Rule::ClutXNotMultipleOf16, sheet);
        p.named = clut_of_attribute(tim::tim_clut_attribute(image.clut_x, image.clut_y));
        out.push_back(p);
    }
    const int used = indices_used(image);
    if (used > (image.has_clut ? image.clut_entries : 0)) {
        Problem p = sheet_problem(Rule::ClutTooShort, sheet);
        p.indices_used = used;
        out.push_back(p);
    }
}

// The frame's texels from its page's corner: where the data points plus how far the
// picture lies from that corner.
void check_texels(const Data& data, const Sheet* sheet, int colour_mode, std::vector<Problem>& out) {
    const Point off = sheet && sheet->placed ? offset_from_page(*sheet->placed) : Point{};
    for (int q = 0; q < data.pattern_count; ++q)
        for (int f = 0; f < static_cast<int>(data.entries[q].frame_count) && f < kMaxFrames; ++f) {
            const FrameRecord& r = data.frames[q][f];
            if (r.image_w == 0 || r.image_h == 0) continue;
            const Area texels{off.x + r.image_x, off.y + r.image_y, r.image_w, r.image_h};
            if (texels.x + texels.w - 1 <= kLastTexel && texels.y + texels.h - 1 <= kLastTexel) continue;
            Problem p = sheet ? sheet_problem(Rule::TexelsPastPage, *sheet) : Problem{};
            p.rule = Rule::TexelsPastPage;
            p.pattern = q;
            p.frame = f;
            p.colour_mode = colour_mode;
            if (!sheet || !sheet->placed) p.page = page_of_tpage(data.tpage);
            p.texels = texels;
            out.push_back(p);
        }
}

void check_attributes(const Data& data, const Sheet& sheet, std::vector<Problem>& out) {
    const tim::TimImage& image = *sheet.placed;
    if ((data.tpage & 0x1F) != (tim::tim_tpage(image.image_x, image.image_y, image.mode) & 0x1F)) {
        Problem p = sheet_problem(Rule::TpageNotSheetPage, sheet);
        p.named = page_of_tpage(data.tpage);
        out.push_back(p);
    }
    if (clut_mode(image.mode) && image.has_clut && data.has_frames &&
        data.clut_attribute != tim::tim_clut_attribute(image.clut_x, image.clut_y)) {
        Problem p = sheet_problem(Rule::ClutAttributeNotSheetClut, sheet);
        p.named = clut_of_attribute(data.clut_attribute);
        out.push_back(p);
    }
}

std::string format(const char* pattern, int a = 0, int b = 0, int c = 0, int d = 0, int e = 0, int f = 0,
                   int g = 0, int h = 0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b, c, d, e, f, g, h);
    return text;
}

const char* colour_mode_text(int mode) {
    static const char* const names[] = {"4bitCLUT", "8bitCLUT", "15bitDirect", "24bitDirect"};
    return mode >= 0 && mode < 4 ? names[mode] : "";
}

}  // namespace

int texels_per_word(int colour_mode) {
    switch (colour_mode) {
        case 0: return 4;
        case 1: return 2;
        case 2: return 1;
        default: return 0;
    }
}

Area picture_area(const tim::TimImage& image) {
    return Area{image.image_x, image.image_y, image.width_words, image.height};
}

Area clut_area(const tim::TimImage& image) {
    if (!image.has_clut) return Area{};
    return Area{image.clut_x, image.clut_y, image.clut_entries, std::max(image.clut_rows, 1)};
}

Area overlap(const Area& a, const Area& b) {
    const int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
    const int right = std::min(a.x + a.w, b.x + b.w), bottom = std::min(a.y + a.h, b.y + b.h);
    if (empty(a) || empty(b) || right <= left || bottom <= top) return Area{};
    return Area{left, top, right - left, bottom - top};
}

Sheet sheet_of(const DecodedImage& image) {
    Sheet s;
    s.colour_mode = image.placed ? image.frame_buffer.mode : colour_mode_for_depth(image.bits_per_pixel);
    s.width = image.width;
    s.height = image.height;
    s.placed = image.placed ? &image.frame_buffer : nullptr;
    return s;
}

Data data_of(const AnimationDataContents& contents, uint16_t clut_attribute) {
    Data d;
    d.tpage = contents.header.tpage;
    d.clut_attribute = clut_attribute;
    d.pattern_count = static_cast<int>(std::min<uint32_t>(contents.header.pattern_count, kMaxPatterns));
    d.entries = contents.entries;
    d.frames = contents.frames;
    for (int q = 0; q < d.pattern_count; ++q)
        d.has_frames = d.has_frames || contents.entries[q].frame_count > 0;
    return d;
}

Data data_of(const Tables& tables) {
    Data d;
    d.tpage = tables.data.header.tpage;
    d.clut_attribute = tables.clut_attribute;
    d.pattern_count = static_cast<int>(std::min<uint32_t>(tables.data.header.pattern_count, kMaxPatterns));
    d.entries = tables.data.entries;
    d.frames = tables.frames;
    // The editor stamps its current attribute on every record at save, so it always counts.
    d.has_frames = true;
    return d;
}

std::vector<Problem> check_sheet(const Sheet& sheet) {
    std::vector<Problem> out;
    if (sheet.colour_mode == 3) out.push_back(sheet_problem(Rule::TrueColourSheet, sheet));
    if (!sheet.placed) return out;
    check_place(sheet, out);
    check_clut(sheet, out);
    return out;
}

std::vector<Problem> check_data(const Data& data, const Sheet* sheet) {
    std::vector<Problem> out;
    const int tpage_mode = static_cast<int>((data.tpage >> 7) & 3);
    if (sheet) {
        out = check_sheet(*sheet);
    } else if (tpage_mode == 3) {
        Problem p;
        p.rule = Rule::TrueColourSheet;
        p.colour_mode = 3;
        out.push_back(p);
    }
    const int mode = sheet && sheet->colour_mode >= 0 ? sheet->colour_mode : tpage_mode;
    if (mode != 3) check_texels(data, sheet, mode, out);
    if (sheet && sheet->placed) check_attributes(data, *sheet, out);
    return out;
}

std::string problem_text(const Problem& p) {
    switch (p.rule) {
        case Rule::SheetOffPageCorner:
            return format(
                "ｲﾒｰｼﾞの配置座標(%d, %d)がﾃｸｽﾁｬﾍﾟｰｼﾞの角(%d, %d)にありません. "
                "全ﾌﾚｰﾑのﾃｸｾﾙが横に%d, 縦に%dずれます.",
                p.sheet.x, p.sheet.y, p.page.x, p.page.y, p.off.x, p.off.y);
        case Rule::TexelsPastPage:
            return format("ﾌﾚｰﾑのﾃｸｾﾙ(u %d-%d, v %d-%d)がﾃｸｽﾁｬﾍﾟｰｼﾞの角から255を越えます", p.texels.x,
                          p.texels.x + p.texels.w - 1, p.texels.y, p.texels.y + p.texels.h - 1) +
                   "(" + colour_mode_text(p.colour_mode) + ").";
        case Rule::SheetOutsideFrameBuffer:
            return format("ｲﾒｰｼﾞ(%d, %d) %d x %dがﾌﾚｰﾑﾊﾞｯﾌｧ(%d x %d)からはみ出します.", p.sheet.x, p.sheet.y,
                          p.sheet.w, p.sheet.h, tim::kFrameBufferWidth, tim::kFrameBufferHeight);
        case Rule::ClutOutsideFrameBuffer:
            return format("CLUT(%d, %d) %d x %dがﾌﾚｰﾑﾊﾞｯﾌｧ(%d x %d)からはみ出します.", p.clut.x, p.clut.y,
                          p.clut.w, p.clut.h, tim::kFrameBufferWidth, tim::kFrameBufferHeight);
        case Rule::ClutXNotMultipleOf16:
            return format("CLUT座標X %dが16の倍数ではありません. CLUT属性は(%d, %d)を指します.", p.clut.x,
                          p.named.x, p.named.y);
        case Rule::ClutTooShort:
            if (p.clut.w == 0)
                return format("CLUTがありませんがｲﾒｰｼﾞはｲﾝﾃﾞｯｸｽ%dまで使っています.", p.indices_used - 1);
            return format("CLUTの色数%dに対してｲﾒｰｼﾞはｲﾝﾃﾞｯｸｽ%dまで使っています.", p.clut.w,
                          p.indices_used - 1);
        case Rule::ClutOverSheet:
            return format("CLUT(%d, %d) %d x %dがｲﾒｰｼﾞ(%d, %d) %d x %dに重なっています.", p.clut.x, p.clut.y,
                          p.clut.w, p.clut.h, p.sheet.x, p.sheet.y, p.sheet.w, p.sheet.h);
        case Rule::TrueColourSheet: return "24bitDirectのｲﾒｰｼﾞはｽﾌﾟﾗｲﾄとして描画できません.";
        case Rule::TpageNotSheetPage:
            return format("tpageのﾃｸｽﾁｬﾍﾟｰｼﾞ(%d, %d)がｲﾒｰｼﾞの配置から求まるﾍﾟｰｼﾞ(%d, %d)と違います.",
                          p.named.x, p.named.y, p.page.x, p.page.y);
        case Rule::ClutAttributeNotSheetClut:
            return format("ﾌﾚｰﾑのCLUT属性が指すCLUT(%d, %d)がｲﾒｰｼﾞのCLUT(%d, %d)と違います.", p.named.x,
                          p.named.y, p.clut.x, p.clut.y);
    }
    return "";
}

const char* rule_name(Rule rule) {
    switch (rule) {
        case Rule::SheetOffPageCorner: return "sheet_off_page_corner";
        case Rule::TexelsPastPage: return "texels_past_page";
        case Rule::SheetOutsideFrameBuffer: return "sheet_outside_frame_buffer";
        case Rule::ClutOutsideFrameBuffer: return "clut_outside_frame_buffer";
        case Rule::ClutXNotMultipleOf16: return "clut_x_not_multiple_of_16";
        case Rule::ClutTooShort: return "clut_too_short";
        case Rule::ClutOverSheet: return "clut_over_sheet";
        case Rule::TrueColourSheet: return "true_colour_sheet";
        case Rule::TpageNotSheetPage: return "tpage_not_sheet_page";
        case Rule::ClutAttributeNotSheetClut: return "clut_attribute_not_sheet_clut";
    }
    return "";
}

}  // namespace frame_buffer
