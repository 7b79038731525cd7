// GDI objects (brushes, pens, bitmaps) and device contexts. A device context draws
// into one of three kinds of pixels: the bitmap selected into a memory DC, a
// DirectDraw surface (the DC DirectDraw hands out), or a window's client area.
#pragma once

#include <windows.h>

#include <vector>

#include "gdi/pixels.h"

namespace cw::gdi {

enum class ObjectKind { Brush, Pen, Bitmap };

struct Object {
    explicit Object(ObjectKind k) : kind(k) {}
    virtual ~Object() = default;
    const ObjectKind kind;
    bool stock = false;
    int selections = 0;  // device contexts that have it selected; it cannot be deleted before
};

struct Brush : Object {
    Brush(COLORREF c, bool h) : Object(ObjectKind::Brush), color(c), hollow(h) {}
    COLORREF color;
    bool hollow;
};

struct Pen : Object {
    Pen(int s, COLORREF c) : Object(ObjectKind::Pen), style(s), color(c) {}
    int style;  // PS_SOLID or PS_NULL; every pen draws one pixel wide
    COLORREF color;
};

struct Bitmap : Object {
    Bitmap() : Object(ObjectKind::Bitmap) {}
    PixelFormat format;
    int width = 0;
    int height = 0;  // rows
    bool top_down = false;
    bool dib_section = false;
    BITMAPINFOHEADER header{};  // a DIB section's header as created
    uint32_t masks[3] = {0, 0, 0};
    std::vector<RGBQUAD> palette;
    int stride = 0;
    std::vector<uint8_t> bits;
    HDC selected_into = nullptr;

    PixelBuffer buffer();
};

// The live object behind a handle, or nullptr (deleted, foreign or of another kind).
Object* object_from(HGDIOBJ handle);
template <class T>
T* object_as(HGDIOBJ handle, ObjectKind kind) {
    Object* o = object_from(handle);
    return o && o->kind == kind ? static_cast<T*>(o) : nullptr;
}

// The colour a brush paints with; false for a hollow brush or a handle that is none.
bool solid_brush_color(HBRUSH brush, COLORREF* out);

// A DIB of the header's size and depth (BI_RGB, or BI_BITFIELDS with masks at 16 and
// 32 bits), rows zero-filled, colour table from colors (missing entries black). nullptr
// when the header asks for something not supported or too large.
Bitmap* create_dib(const BITMAPINFOHEADER& header, const uint32_t* masks, const RGBQUAD* colors,
                   int color_count);

// The DIB section LoadImageA makes of a decoded file: the file's depth, colour table,
// masks and row order.
struct DecodedBmp;
HBITMAP dib_section_from(const DecodedBmp& decoded);

enum class DcKind { Memory, Surface, Window };

// A DC drawing into pixels someone else owns (a DirectDraw surface). The pixels must
// stay where they are until destroy_dc.
HDC create_pixels_dc(const PixelBuffer& pixels);
void destroy_dc(HDC dc);
bool is_dc(HDC dc);
// What a DC draws into now (empty for a memory DC without a bitmap of its own).
PixelBuffer dc_pixels(HDC dc);

}  // namespace cw::gdi

struct HDC__ {
    cw::gdi::DcKind kind = cw::gdi::DcKind::Memory;
    HWND hwnd = nullptr;                // window DCs
    cw::gdi::PixelBuffer pixels;        // surface DCs
    cw::gdi::Bitmap* bitmap = nullptr;  // memory DCs: the selected bitmap
    cw::gdi::Brush* brush = nullptr;
    cw::gdi::Pen* pen = nullptr;
    POINT position{};
    int stretch_mode = BLACKONWHITE;
};
