#include "gdi/objects.h"

#include <algorithm>
#include <unordered_set>

#include "gdi/bmp_decoder.h"
#include "win/backend.h"
#include "win/window.h"

namespace cw::gdi {

namespace {

std::unordered_set<Object*>& live_objects() {
    static std::unordered_set<Object*> objects;
    return objects;
}

std::unordered_set<HDC>& live_dcs() {
    static std::unordered_set<HDC> dcs;
    return dcs;
}

template <class T>
T* make_stock(T* object) {
    object->stock = true;
    live_objects().insert(object);
    return object;
}

Object* stock_object(int index) {
    static Object* objects[] = {
        make_stock(new Brush(RGB(255, 255, 255), false)),
        make_stock(new Brush(RGB(192, 192, 192), false)),
        make_stock(new Brush(RGB(128, 128, 128), false)),
        make_stock(new Brush(RGB(64, 64, 64), false)),
        make_stock(new Brush(RGB(0, 0, 0), false)),
        make_stock(new Brush(0, true)),
        make_stock(new Pen(PS_SOLID, RGB(255, 255, 255))),
        make_stock(new Pen(PS_SOLID, RGB(0, 0, 0))),
        make_stock(new Pen(PS_NULL, 0)),
    };
    return index >= 0 && index < static_cast<int>(std::size(objects)) ? objects[index] : nullptr;
}

// The 1 x 1 monochrome bitmap a new memory DC holds.
Bitmap* stock_bitmap() {
    static Bitmap* b = [] {
        BITMAPINFOHEADER h{};
        h.biSize = sizeof h;
        h.biWidth = h.biHeight = 1;
        h.biPlanes = 1;
        h.biBitCount = 1;
        const RGBQUAD mono[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
        Bitmap* bitmap = create_dib(h, nullptr, mono, 2);
        bitmap->dib_section = false;
        bitmap->stock = true;
        return bitmap;
    }();
    return b;
}

void select(Object** slot, Object* next) {
    if (*slot) --(*slot)->selections;
    *slot = next;
    if (next) ++next->selections;
}

HDC new_dc(DcKind kind) {
    HDC dc = new HDC__;
    dc->kind = kind;
    Object* brush = nullptr;
    Object* pen = nullptr;
    select(&brush, stock_object(WHITE_BRUSH));
    select(&pen, stock_object(BLACK_PEN));
    dc->brush = static_cast<Brush*>(brush);
    dc->pen = static_cast<Pen*>(pen);
    live_dcs().insert(dc);
    return dc;
}

}  // namespace

PixelBuffer Bitmap::buffer() {
    PixelBuffer b;
    b.width = width;
    b.height = height;
    b.pitch = top_down ? stride : -static_cast<ptrdiff_t>(stride);
    b.top = bits.data() + (top_down ? 0 : static_cast<size_t>(height - 1) * stride);
    b.format = format;
    b.palette = palette.empty() ? nullptr : palette.data();
    b.palette_size = static_cast<int>(palette.size());
    return b;
}

Object* object_from(HGDIOBJ handle) {
    stock_object(0);  // the stock objects exist before anything is looked up
    auto* o = static_cast<Object*>(handle);
    return live_objects().count(o) ? o : nullptr;
}

bool solid_brush_color(HBRUSH brush, COLORREF* out) {
    const Brush* b = object_as<Brush>(brush, ObjectKind::Brush);
    if (!b || b->hollow) return false;
    *out = b->color;
    return true;
}

Bitmap* create_dib(const BITMAPINFOHEADER& h, const uint32_t* masks, const RGBQUAD* colors, int color_count) {
    const int bpp = h.biBitCount;
    if (h.biPlanes != 1 || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight < -kMaxBmpDimension ||
        h.biHeight > kMaxBmpDimension || h.biWidth > kMaxBmpDimension)
        return nullptr;
    if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return nullptr;
    const bool fields = h.biCompression == BI_BITFIELDS;
    if (h.biCompression != BI_RGB && !(fields && (bpp == 16 || bpp == 32) && masks)) return nullptr;
    const int rows = h.biHeight < 0 ? -h.biHeight : h.biHeight;
    const uint64_t stride = (static_cast<uint64_t>(h.biWidth) * bpp + 31) / 32 * 4;
    if (stride * rows > kMaxBmpPixelBytes) return nullptr;

    auto* b = new Bitmap;
    b->dib_section = true;
    b->header = h;
    b->width = h.biWidth;
    b->height = rows;
    b->top_down = h.biHeight < 0;
    b->stride = static_cast<int>(stride);
    b->bits.assign(static_cast<size_t>(stride * rows), 0);
    if (bpp <= 8) {
        b->format = indexed_format(bpp);
        b->palette.assign(size_t{1} << bpp, RGBQUAD{0, 0, 0, 0});
        const int n = std::clamp(color_count, 0, 1 << bpp);
        if (colors) std::copy(colors, colors + n, b->palette.begin());
    } else if (fields) {
        b->format = masked_format(bpp, masks[0], masks[1], masks[2]);
    } else {
        b->format = bpp == 16 ? rgb555_format() : bpp == 24 ? bgr24_format() : xrgb32_format();
    }
    b->masks[0] = b->format.red, b->masks[1] = b->format.green, b->masks[2] = b->format.blue;
    live_objects().insert(b);
    return b;
}

HDC create_pixels_dc(const PixelBuffer& pixels) {
    HDC dc = new_dc(DcKind::Surface);
    dc->pixels = pixels;
    return dc;
}

bool is_dc(HDC dc) {
    return dc && live_dcs().count(dc);
}

void destroy_dc(HDC dc) {
    if (!is_dc(dc)) return;
    Object* brush = dc->brush;
    Object* pen = dc->pen;
    select(&brush, nullptr);
    select(&pen, nullptr);
    if (dc->bitmap) {
        --dc->bitmap->selections;
        dc->bitmap->selected_into = nullptr;
    }
    live_dcs().erase(dc);
    delete dc;
}

PixelBuffer dc_pixels(HDC dc) {
    if (!is_dc(dc)) return {};
    switch (dc->kind) {
        case DcKind::Surface: return dc->pixels;
        case DcKind::Memory: return dc->bitmap ? dc->bitmap->buffer() : PixelBuffer{};
        case DcKind::Window: {
            cw::win::Window* w = cw::win::window_from(dc->hwnd);
            if (!w) return {};
            const cw::backend::ScreenPixels s = cw::backend::window_pixels(w);
            PixelBuffer b;
            b.width = s.width;
            b.height = s.height;
            b.top = reinterpret_cast<uint8_t*>(s.xrgb);
            b.pitch = s.stride;
            b.format = xrgb32_format();
            return b;
        }
    }
    return {};
}

}  // namespace cw::gdi

using namespace cw::gdi;

HGDIOBJ GetStockObject(int index) {
    return stock_object(index);
}

HPEN CreatePen(int style, int, COLORREF color) {
    if (style != PS_SOLID && style != PS_NULL) return nullptr;
    auto* p = new Pen(style, color);
    live_objects().insert(p);
    return p;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    auto* b = new Brush(color & 0xFFFFFF, false);
    live_objects().insert(b);
    return b;
}

BOOL DeleteObject(HGDIOBJ handle) {
    Object* o = object_from(handle);
    if (!o) return FALSE;
    if (o->stock) return TRUE;
    if (o->selections > 0) return FALSE;  // still in a DC: the DC would draw with freed memory
    live_objects().erase(o);
    delete o;
    return TRUE;
}

int GetObjectA(HANDLE handle, int size, LPVOID out) {
    auto* b = object_as<Bitmap>(handle, ObjectKind::Bitmap);
    if (!b) return 0;
    const int wanted =
        b->dib_section && size >= static_cast<int>(sizeof(DIBSECTION)) ? sizeof(DIBSECTION) : sizeof(BITMAP);
    if (!out) return wanted;
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    DIBSECTION ds{};
    ds.dsBm.bmType = 0;
    ds.dsBm.bmWidth = b->width;
    ds.dsBm.bmHeight = b->height;  // the number of rows, also for a top-down DIB
    ds.dsBm.bmWidthBytes = b->stride;
    ds.dsBm.bmPlanes = 1;
    ds.dsBm.bmBitsPixel = static_cast<WORD>(b->format.bpp);
    ds.dsBm.bmBits = b->dib_section ? b->bits.data() : nullptr;
    ds.dsBmih = b->header;
    std::copy(b->masks, b->masks + 3, ds.dsBitfields);
    std::memcpy(out, &ds, wanted);
    return wanted;
}

// The colour table of the DIB section selected into a memory DC, as the system keeps it: all
// 2^bpp entries, whatever biClrUsed said (the entries the section was not given are black);
// none for a DC without a DIB section or for a section of more than 8 bits per pixel.
UINT GetDIBColorTable(HDC dc, UINT start, UINT entries, RGBQUAD* colors) {
    if (!is_dc(dc) || dc->kind != DcKind::Memory || !dc->bitmap || !colors) return 0;
    const Bitmap* b = dc->bitmap;
    if (!b->dib_section || b->format.bpp > 8) return 0;
    const UINT full = static_cast<UINT>(b->palette.size());
    if (start >= full) return 0;
    const UINT n = std::min(entries, full - start);
    std::copy(b->palette.begin() + start, b->palette.begin() + start + n, colors);
    return n;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD) {
    if (bits) *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return nullptr;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    // Bit fields follow a 40-byte header and sit at the same place inside larger ones.
    const auto* after_header = reinterpret_cast<const uint8_t*>(info) + sizeof(BITMAPINFOHEADER);
    uint32_t masks[3] = {0, 0, 0};
    // Only a bit-field bitmap carries masks; reading them otherwise runs past a plain header.
    if (h.biCompression == BI_BITFIELDS) std::memcpy(masks, after_header, sizeof masks);
    const auto* colors = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const uint8_t*>(info) + h.biSize);
    const int full = h.biBitCount <= 8 ? 1 << h.biBitCount : 0;
    const int count =
        h.biClrUsed > 0 && static_cast<int>(h.biClrUsed) < full ? static_cast<int>(h.biClrUsed) : full;
    Bitmap* b = create_dib(h, h.biCompression == BI_BITFIELDS ? masks : nullptr, colors, count);
    if (!b) return nullptr;
    if (bits) *bits = b->bits.data();
    return b;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    const PixelBuffer target = dc_pixels(dc);
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = -height;
    h.biPlanes = 1;
    // A memory DC that still holds its 1 x 1 bitmap makes monochrome bitmaps, as GDI does.
    const bool mono = is_dc(dc) && dc->kind == DcKind::Memory && dc->bitmap == stock_bitmap();
    const PixelFormat f = mono         ? indexed_format(1)
                          : target.top ? target.format
                                       : display_format(cw::backend::display_bits_per_pixel());
    h.biBitCount = static_cast<WORD>(f.bpp);
    uint32_t masks[3] = {f.red, f.green, f.blue};
    const bool fields = !f.indexed && (f.bpp == 16 || f.bpp == 32);
    h.biCompression = fields ? BI_BITFIELDS : BI_RGB;
    const RGBQUAD mono_colors[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    const RGBQUAD* colors = mono        ? mono_colors
                            : f.indexed ? (target.palette ? target.palette : display_palette())
                                        : nullptr;
    Bitmap* b = create_dib(h, fields ? masks : nullptr, colors,
                           mono                      ? 2
                           : f.indexed && f.bpp <= 8 ? 1 << f.bpp
                                                     : 0);
    if (b) b->dib_section = false;
    return b;
}

HDC GetDC(HWND hwnd) {
    if (hwnd && !cw::win::window_from(hwnd)) return nullptr;
    HDC dc = new_dc(DcKind::Window);
    dc->hwnd = hwnd;
    return dc;
}

int ReleaseDC(HWND, HDC dc) {
    if (!is_dc(dc) || dc->kind != DcKind::Window) return 0;
    destroy_dc(dc);
    return 1;
}

HDC CreateCompatibleDC(HDC dc) {
    if (dc && !is_dc(dc)) return nullptr;
    HDC m = new_dc(DcKind::Memory);
    m->bitmap = stock_bitmap();
    ++m->bitmap->selections;
    return m;
}

BOOL DeleteDC(HDC dc) {
    if (!is_dc(dc) || dc->kind == DcKind::Surface) return FALSE;  // a surface takes its DC back itself
    destroy_dc(dc);
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ handle) {
    Object* o = object_from(handle);
    if (!is_dc(dc) || !o) return nullptr;
    switch (o->kind) {
        case ObjectKind::Brush: {
            Object* previous = dc->brush;
            Object* slot = previous;
            select(&slot, o);
            dc->brush = static_cast<Brush*>(slot);
            return previous;
        }
        case ObjectKind::Pen: {
            Object* previous = dc->pen;
            Object* slot = previous;
            select(&slot, o);
            dc->pen = static_cast<Pen*>(slot);
            return previous;
        }
        case ObjectKind::Bitmap: {
            auto* b = static_cast<Bitmap*>(o);
            if (dc->kind != DcKind::Memory) return nullptr;
            if (b == dc->bitmap) return b;
            if (!b->stock && b->selected_into) return nullptr;  // a bitmap lives in one DC at a time
            Bitmap* previous = dc->bitmap;
            --previous->selections;
            if (!previous->stock) previous->selected_into = nullptr;
            dc->bitmap = b;
            ++b->selections;
            if (!b->stock) b->selected_into = dc;
            return previous;
        }
    }
    return nullptr;
}

int SetStretchBltMode(HDC dc, int mode) {
    if (!is_dc(dc) || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    const int previous = dc->stretch_mode;
    dc->stretch_mode = mode;
    return previous;
}
