// GDI drawing: rectangles, lines, pixels and blits on any kind of device context.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "gdi/blit.h"
#include "gdi/objects.h"
#include "win/backend.h"
#include "win/window.h"

namespace cw::gdi {

namespace {

// The pixels one call draws into; a window hears about the part that changed.
class Target {
  public:
    explicit Target(HDC dc) : ok_(is_dc(dc)), pixels_(ok_ ? dc_pixels(dc) : PixelBuffer{}) {
        if (ok_ && dc->kind == DcKind::Window) window_ = cw::win::window_from(dc->hwnd);
    }
    ~Target() {
        if (!window_) return;
        for (const RECT& r : dirty_) cw::backend::window_pixels_changed(window_, r);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    bool ok() const { return ok_; }
    const PixelBuffer& pixels() const { return pixels_; }
    void fill(RECT r, COLORREF color) {
        r = intersect(r, bounds_of(pixels_));
        if (is_empty(r)) return;
        fill_raw(pixels_, r, rgb_to_raw(pixels_, color));
        touch(r);
    }
    // The parts drawn, each kept apart (a frame is four thin strips, not the box they
    // enclose) so that only drawn pixels count as drawn; many parts become one box.
    void touch(RECT r) {
        if (is_empty(r)) return;
        if (dirty_.size() < kMaxParts) {
            dirty_.push_back(r);
            return;
        }
        RECT& all = dirty_.front();
        for (const RECT& d : dirty_)
            all = RECT{std::min(all.left, d.left), std::min(all.top, d.top), std::max(all.right, d.right),
                       std::max(all.bottom, d.bottom)};
        all = RECT{std::min(all.left, r.left), std::min(all.top, r.top), std::max(all.right, r.right),
                   std::max(all.bottom, r.bottom)};
        dirty_.resize(1);
    }

  private:
    bool ok_;
    PixelBuffer pixels_;
    static constexpr size_t kMaxParts = 16;
    cw::win::Window* window_ = nullptr;
    std::vector<RECT> dirty_;
};

// FillRect and FrameRect also take a system colour index plus one for a brush.
bool brush_fill(HBRUSH brush, COLORREF* color) {
    if (solid_brush_color(brush, color)) return true;
    const auto value = reinterpret_cast<uintptr_t>(brush);
    if (value >= 1 && value <= COLOR_3DLIGHT + 1) {
        *color = GetSysColor(static_cast<int>(value) - 1);
        return true;
    }
    return false;
}

bool pen_draws(HDC dc, COLORREF* color) {
    if (!dc->pen || dc->pen->style == PS_NULL) return false;
    *color = dc->pen->color;
    return true;
}

void frame(Target& t, const RECT& r, COLORREF c) {
    if (is_empty(r)) return;
    t.fill(RECT{r.left, r.top, r.right, r.top + 1}, c);
    t.fill(RECT{r.left, r.bottom - 1, r.right, r.bottom}, c);
    t.fill(RECT{r.left, r.top, r.left + 1, r.bottom}, c);
    t.fill(RECT{r.right - 1, r.top, r.right, r.bottom}, c);
}

}  // namespace

}  // namespace cw::gdi

using namespace cw::gdi;

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    Target t(dc);
    COLORREF c;
    if (!t.ok() || !rect || !brush_fill(brush, &c)) return 0;
    t.fill(*rect, c);
    return 1;
}

int FrameRect(HDC dc, const RECT* rect, HBRUSH brush) {
    Target t(dc);
    COLORREF c;
    if (!t.ok() || !rect || !brush_fill(brush, &c)) return 0;
    frame(t, *rect, c);
    return 1;
}

BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
    Target t(dc);
    if (!t.ok()) return FALSE;
    RECT r{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    COLORREF pen;
    const bool outline = pen_draws(dc, &pen);
    // Without a pen the filled part is one pixel smaller on the right and bottom, as in GDI.
    if (!outline) r.right -= 1, r.bottom -= 1;
    COLORREF fill;
    if (solid_brush_color(dc->brush, &fill)) {
        RECT inside = r;
        if (outline) inside = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
        t.fill(inside, fill);
    }
    if (outline) frame(t, r, pen);
    return TRUE;
}

BOOL MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
    if (!is_dc(dc)) return FALSE;
    if (previous) *previous = dc->position;
    dc->position = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC dc, int x1, int y1) {
    Target t(dc);
    if (!t.ok()) return FALSE;
    int x = dc->position.x, y = dc->position.y;
    dc->position = POINT{x1, y1};
    COLORREF c;
    if (!pen_draws(dc, &c)) return TRUE;
    const PixelBuffer& px = t.pixels();
    const uint32_t raw = rgb_to_raw(px, c);
    // Bresenham from the current position up to, but not including, the end point.
    const int dx = std::abs(x1 - x), dy = -std::abs(y1 - y);
    const int sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
    int err = dx + dy;
    while (x != x1 || y != y1) {
        if (px.contains(x, y)) {
            write_raw(px, x, y, raw);
            t.touch(RECT{x, y, x + 1, y + 1});
        }
        const int e2 = 2 * err;
        if (e2 >= dy) err += dy, x += sx;
        if (e2 <= dx) err += dx, y += sy;
    }
    return TRUE;
}

COLORREF GetPixel(HDC dc, int x, int y) {
    Target t(dc);
    if (!t.ok() || !t.pixels().contains(x, y)) return CLR_INVALID;
    return raw_to_rgb(t.pixels(), read_raw(t.pixels(), x, y));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
    Target t(dc);
    if (!t.ok() || !t.pixels().contains(x, y)) return CLR_INVALID;
    t.fill(RECT{x, y, x + 1, y + 1}, color);
    return raw_to_rgb(t.pixels(), read_raw(t.pixels(), x, y));
}

BOOL StretchBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, int cx1, int cy1, DWORD rop) {
    if (rop != SRCCOPY && rop != SRCINVERT) return FALSE;
    Target t(dst);
    if (!t.ok() || !is_dc(src)) return FALSE;
    if (cx == 0 || cy == 0 || cx1 == 0 || cy1 == 0) return TRUE;
    const PixelBuffer from = dc_pixels(src);
    Blit b;
    b.dst = &t.pixels();
    b.src = &from;
    bool dst_mx, dst_my, src_mx, src_my;
    order_extent(x, cx, &b.dst_rect.left, &b.dst_rect.right, &dst_mx);
    order_extent(y, cy, &b.dst_rect.top, &b.dst_rect.bottom, &dst_my);
    order_extent(x1, cx1, &b.src_rect.left, &b.src_rect.right, &src_mx);
    order_extent(y1, cy1, &b.src_rect.top, &b.src_rect.bottom, &src_my);
    b.mirror_x = dst_mx != src_mx;
    b.mirror_y = dst_my != src_my;
    b.clip = bounds_of(t.pixels());
    b.op = rop == SRCINVERT ? BlitOp::Xor : BlitOp::Copy;
    blit(b);
    t.touch(intersect(b.dst_rect, b.clip));
    return TRUE;
}

BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
    return StretchBlt(dst, x, y, cx, cy, src, x1, y1, cx, cy, rop);
}
