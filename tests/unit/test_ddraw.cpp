// DirectDraw in software: surfaces take the display's format, Blt fills, copies,
// stretches and keys as the program relies on, refuses rectangles that leave an
// unclipped surface, and a primary with a clipper draws into its window.
#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <vector>

#include "ddraw/surfaces.h"
#include "ddraw_at_depth.h"
#include "win/backend.h"
#include "win/window.h"

namespace {

using cw::gdi::PixelBuffer;
using cw::gdi::read_raw;
using cw::gdi::write_raw;

class DirectDrawTest : public DirectDrawAtDepth {
  protected:
    LPDIRECTDRAWSURFACE primary() {
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS;
        d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        LPDIRECTDRAWSURFACE s = nullptr;
        EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), DD_OK);
        if (s) made_.push_back(s);
        return s;
    }
    static HRESULT fill(LPDIRECTDRAWSURFACE s, RECT* r, DWORD value) {
        DDBLTFX fx{};
        fx.dwSize = sizeof fx;
        fx.dwFillColor = value;
        return s->Blt(r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    }
    static uint32_t at(LPDIRECTDRAWSURFACE s, int x, int y) {
        return read_raw(cw::ddraw::surface_pixels(s), x, y);
    }
    // A distinct non-zero raw value for each small n, valid at every depth.
    static uint32_t value(int n) { return static_cast<uint32_t>(n * 0x21 + 1) & 0xFF; }
};

TEST_P(DirectDrawTest, OffscreenSurfacesStartBlackInTheDisplayFormat) {
    LPDIRECTDRAWSURFACE s = offscreen(5, 3);
    ASSERT_TRUE(s);
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    ASSERT_EQ(s->GetSurfaceDesc(&d), DD_OK);
    EXPECT_EQ(d.dwWidth, 5u);
    EXPECT_EQ(d.dwHeight, 3u);
    EXPECT_EQ(d.ddsCaps.dwCaps, 0x840u);
    EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, static_cast<DWORD>(GetParam()));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(at(s, x, y), 0u);
    EXPECT_EQ(s->IsLost(), DD_OK);
}

TEST_P(DirectDrawTest, PixelFormatMasksFollowTheDepth) {
    LPDIRECTDRAWSURFACE s = offscreen(1, 1);
    DDPIXELFORMAT f{};
    ASSERT_EQ(s->GetPixelFormat(&f), DD_OK);
    EXPECT_EQ(f.dwSize, 32u);
    EXPECT_EQ(f.dwRGBBitCount, static_cast<DWORD>(GetParam()));
    switch (GetParam()) {
        case 8:
            EXPECT_EQ(f.dwFlags, static_cast<DWORD>(DDPF_RGB | DDPF_PALETTEINDEXED8));
            EXPECT_EQ(f.dwRBitMask | f.dwGBitMask | f.dwBBitMask, 0u);
            break;
        case 16:
            EXPECT_EQ(f.dwRBitMask, 0xF800u);
            EXPECT_EQ(f.dwGBitMask, 0x07E0u);
            EXPECT_EQ(f.dwBBitMask, 0x001Fu);
            break;
        default:
            EXPECT_EQ(f.dwFlags, static_cast<DWORD>(DDPF_RGB));
            EXPECT_EQ(f.dwRBitMask, 0xFF0000u);
            EXPECT_EQ(f.dwGBitMask, 0x00FF00u);
            EXPECT_EQ(f.dwBBitMask, 0x0000FFu);
    }
}

TEST_P(DirectDrawTest, ColourFillWritesTheRawValueInsideTheRectangle) {
    LPDIRECTDRAWSURFACE s = offscreen(6, 4);
    ASSERT_EQ(fill(s, nullptr, value(3)), DD_OK);
    RECT r{1, 1, 4, 3};
    ASSERT_EQ(fill(s, &r, value(5)), DD_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(at(s, x, y), x >= 1 && x < 4 && y >= 1 && y < 3 ? value(5) : value(3)) << x << "," << y;
    DDBLTFX bad{};
    bad.dwSize = 99;
    EXPECT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &bad), DDERR_INVALIDPARAMS);
}

TEST_P(DirectDrawTest, RectanglesOutsideAnUnclippedSurfaceAreRefusedAndDrawNothing) {
    LPDIRECTDRAWSURFACE dst = offscreen(8, 8);
    LPDIRECTDRAWSURFACE src = offscreen(4, 4);
    fill(src, nullptr, value(1));
    for (RECT r : {RECT{6, 6, 10, 10}, RECT{-1, 0, 3, 4}, RECT{4, 4, 2, 6}, RECT{3, 3, 3, 5}}) {
        EXPECT_EQ(dst->Blt(&r, src, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
        EXPECT_EQ(fill(dst, &r, value(2)), DDERR_INVALIDRECT);
    }
    RECT outside_source{2, 2, 5, 4};
    RECT d{0, 0, 3, 2};
    EXPECT_EQ(dst->Blt(&d, src, &outside_source, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(at(dst, x, y), 0u);
}

TEST_P(DirectDrawTest, StretchIsNearestNeighbour) {
    LPDIRECTDRAWSURFACE src = offscreen(3, 2);
    const PixelBuffer sp = cw::ddraw::surface_pixels(src);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) write_raw(sp, x, y, value(1 + x + 3 * y));
    // Magnified 4 times into a canvas, off its corner.
    LPDIRECTDRAWSURFACE big = offscreen(16, 10);
    RECT d{2, 1, 14, 9};
    ASSERT_EQ(big->Blt(&d, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool in = x >= 2 && x < 14 && y >= 1 && y < 9;
            EXPECT_EQ(at(big, x, y), in ? value(1 + (x - 2) / 4 + 3 * ((y - 1) / 4)) : 0u) << x << "," << y;
        }
    // Shrunk by 4 again, each pixel takes the source pixel under its centre.
    LPDIRECTDRAWSURFACE small = offscreen(3, 2);
    RECT from{2, 1, 14, 9};
    ASSERT_EQ(small->Blt(nullptr, big, &from, DDBLT_WAIT, nullptr), DD_OK);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(at(small, x, y), value(1 + x + 3 * y));
}

TEST_P(DirectDrawTest, WholeCanvasMagnificationRepeatsEveryPixelAndRow) {
    LPDIRECTDRAWSURFACE src = offscreen(3, 3);
    const PixelBuffer sp = cw::ddraw::surface_pixels(src);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) write_raw(sp, x, y, value(1 + x + 3 * y));
    for (int factor : {1, 2, 4, 32}) {
        SCOPED_TRACE(factor);
        LPDIRECTDRAWSURFACE canvas = offscreen(3 * factor, 3 * factor);
        ASSERT_EQ(canvas->Blt(nullptr, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
        int wrong = 0;
        for (int y = 0; y < 3 * factor; ++y)
            for (int x = 0; x < 3 * factor; ++x)
                wrong += at(canvas, x, y) != value(1 + x / factor + 3 * (y / factor));
        EXPECT_EQ(wrong, 0);
    }
}

TEST_P(DirectDrawTest, SourceColourKeyLeavesKeyPixelsShowingWhatLiesBelow) {
    LPDIRECTDRAWSURFACE frame = offscreen(4, 1);
    const PixelBuffer fp = cw::ddraw::surface_pixels(frame);
    write_raw(fp, 1, 0, value(7));
    write_raw(fp, 3, 0, value(8));  // pixels 0 and 2 stay 0, the key
    DDCOLORKEY key{0, 0};
    ASSERT_EQ(frame->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    LPDIRECTDRAWSURFACE base = offscreen(4, 2);
    fill(base, nullptr, value(2));
    RECT row0{0, 0, 4, 1}, row1{0, 1, 4, 2};
    ASSERT_EQ(base->Blt(&row0, frame, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DD_OK);
    ASSERT_EQ(base->Blt(&row1, frame, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    const uint32_t keyed[4] = {value(2), value(7), value(2), value(8)};
    const uint32_t opaque[4] = {0, value(7), 0, value(8)};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(at(base, x, 0), keyed[x]) << x;
        EXPECT_EQ(at(base, x, 1), opaque[x]) << x;
    }
    // A stretched keyed blit keys each source pixel once for all its copies.
    LPDIRECTDRAWSURFACE wide = offscreen(8, 1);
    fill(wide, nullptr, value(4));
    ASSERT_EQ(wide->Blt(nullptr, frame, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DD_OK);
    const uint32_t stretched[8] = {value(4), value(4), value(7), value(7),
                                   value(4), value(4), value(8), value(8)};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(at(wide, x, 0), stretched[x]) << x;
}

TEST_P(DirectDrawTest, CreationRefusesWhatCannotBeMade) {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    d.ddsCaps.dwCaps = 0x840;
    d.dwWidth = 0;
    d.dwHeight = 10;
    LPDIRECTDRAWSURFACE s = reinterpret_cast<LPDIRECTDRAWSURFACE>(1);
    EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(s, nullptr);
    d.dwWidth = 10;
    d.dwSize = 100;
    EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), DDERR_INVALIDPARAMS);
    d.dwSize = sizeof d;
    d.dwWidth = d.dwHeight = 100000;
    EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), DDERR_OUTOFMEMORY);

    LPDIRECTDRAW fresh = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &fresh, nullptr), DD_OK);
    d.dwWidth = d.dwHeight = 4;
    EXPECT_EQ(fresh->CreateSurface(&d, &s, nullptr), DDERR_NOCOOPERATIVELEVELSET);
    EXPECT_EQ(fresh->Release(), 0u);

    ASSERT_TRUE(primary());
    DDSURFACEDESC p{};
    p.dwSize = sizeof p;
    p.dwFlags = DDSD_CAPS;
    p.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    EXPECT_EQ(dd_->CreateSurface(&p, &s, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
}

TEST_P(DirectDrawTest, PrimariesAreLostWhenTheDisplayChangesUntilRestored) {
    LPDIRECTDRAWSURFACE prim = primary();
    LPDIRECTDRAWSURFACE canvas = offscreen(4, 4);
    cw::ddraw::display_changed();
    EXPECT_EQ(prim->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(canvas->IsLost(), DD_OK);  // system memory is never lost
    RECT r{0, 0, 4, 4};
    EXPECT_EQ(prim->Blt(&r, canvas, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(prim->Restore(), DD_OK);
    EXPECT_EQ(prim->IsLost(), DD_OK);
    EXPECT_EQ(prim->Blt(&r, canvas, nullptr, DDBLT_WAIT, nullptr), DD_OK);
}

TEST_P(DirectDrawTest, ReferencesAreCountedAsInCom) {
    LPDIRECTDRAWSURFACE prim = primary();
    made_.clear();
    LPDIRECTDRAWCLIPPER clipper = nullptr;
    ASSERT_EQ(dd_->CreateClipper(0, &clipper, nullptr), DD_OK);
    EXPECT_EQ(clipper->AddRef(), 2u);
    EXPECT_EQ(clipper->Release(), 1u);
    ASSERT_EQ(prim->SetClipper(clipper), DD_OK);
    EXPECT_EQ(clipper->Release(), 1u);  // the primary holds its own reference
    EXPECT_EQ(prim->AddRef(), 2u);
    EXPECT_EQ(prim->Release(), 1u);
    EXPECT_EQ(prim->Release(), 0u);  // and gives it back when it goes
    // The next primary of the same object is allowed again.
    ASSERT_TRUE(primary());
}

INSTANTIATE_TEST_SUITE_P(Depths, DirectDrawTest, ::testing::Values(8, 16, 24, 32),
                         [](const auto& info) { return std::to_string(info.param) + "bpp"; });

LRESULT CALLBACK plain_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(h, m, wp, lp);
}

HWND make_window(int x, int y, int w, int h) {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = plain_proc;
        wc.lpszClassName = "CW_DDRAW_TEST";
        return RegisterClassA(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowExA(0, "CW_DDRAW_TEST", "", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                           nullptr, nullptr);
}

// A 40 x 30 window with a DirectDraw primary bound to it by a clipper, and a square
// off-screen canvas at the given depth, its pixels cleared.
class WindowedDirectDraw : public ::testing::Test {
  protected:
    void start(int bpp, DWORD canvas_size) {
        cw::ddraw::set_surface_bits_per_pixel(bpp);
        hwnd_ = make_window(100, 50, 40, 30);
        ASSERT_TRUE(hwnd_);
        ASSERT_EQ(DirectDrawCreate(nullptr, &dd_, nullptr), DD_OK);
        ASSERT_EQ(dd_->SetCooperativeLevel(hwnd_, DDSCL_NORMAL), DD_OK);
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        d.dwFlags = DDSD_CAPS;
        d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        ASSERT_EQ(dd_->CreateSurface(&d, &primary_, nullptr), DD_OK);
        ASSERT_EQ(dd_->CreateClipper(0, &clipper_, nullptr), DD_OK);
        ASSERT_EQ(clipper_->SetHWnd(0, hwnd_), DD_OK);
        ASSERT_EQ(primary_->SetClipper(clipper_), DD_OK);
        d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        d.ddsCaps.dwCaps = 0x840;
        d.dwWidth = d.dwHeight = canvas_size;
        ASSERT_EQ(dd_->CreateSurface(&d, &canvas_, nullptr), DD_OK);
        const cw::backend::ScreenPixels px = pixels();
        ASSERT_EQ(px.width, 40);
        ASSERT_EQ(px.height, 30);
        for (int y = 0; y < px.height; ++y) std::fill_n(px.xrgb + y * px.stride / 4, px.width, 0u);
        ClientToScreen(hwnd_, &origin_);
    }
    void TearDown() override {
        if (canvas_) canvas_->Release();
        if (primary_) primary_->Release();
        if (clipper_) clipper_->Release();
        if (dd_) dd_->Release();
        if (hwnd_) DestroyWindow(hwnd_);
        cw::ddraw::set_surface_bits_per_pixel(0);
    }
    HRESULT fill(LPDIRECTDRAWSURFACE s, RECT* r, DWORD value) {
        DDBLTFX fx{};
        fx.dwSize = sizeof fx;
        fx.dwFillColor = value;
        return s->Blt(r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    }
    // A rectangle of the client area in screen coordinates.
    RECT on_screen(LONG left, LONG top, LONG right, LONG bottom) const {
        return RECT{origin_.x + left, origin_.y + top, origin_.x + right, origin_.y + bottom};
    }
    cw::backend::ScreenPixels pixels() const {
        return cw::backend::window_pixels(cw::win::window_from(hwnd_));
    }
    uint32_t pixel(int x, int y) const {
        const cw::backend::ScreenPixels px = pixels();
        return px.xrgb[y * px.stride / 4 + x];
    }

    HWND hwnd_ = nullptr;
    LPDIRECTDRAW dd_ = nullptr;
    LPDIRECTDRAWSURFACE primary_ = nullptr;
    LPDIRECTDRAWCLIPPER clipper_ = nullptr;
    LPDIRECTDRAWSURFACE canvas_ = nullptr;
    POINT origin_{0, 0};
};

TEST_F(WindowedDirectDraw, BlitThroughAClipperLandsInTheWindowClippedToItsClient) {
    start(16, 20);
    ASSERT_EQ(fill(canvas_, nullptr, 0xF800), DD_OK);  // pure red in 5-6-5
    // Half of the 20 x 20 copy hangs over the client's bottom-right corner.
    RECT dst = on_screen(30, 20, 50, 40);
    ASSERT_EQ(primary_->Blt(&dst, canvas_, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const uint32_t want = x >= 30 && y >= 20 ? 0xFF0000u : 0u;
            ASSERT_EQ(pixel(x, y) & 0xFFFFFF, want) << x << "," << y;
        }
    // A hidden window shows nothing: the clipper lets no pixel through to it.
    ShowWindow(hwnd_, SW_HIDE);
    RECT whole = on_screen(0, 0, 20, 20);
    ASSERT_EQ(primary_->Blt(&whole, canvas_, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(pixel(0, 0) & 0xFFFFFF, 0u);
}

TEST_F(WindowedDirectDraw, CopiesAndFillsReachTheWindowOpaqueAtEveryMagnification) {
    // The unused top byte of a 32-bit canvas is 0; the window's pixels must come out
    // opaque whether the copy is 1:1, magnified or a fill, and nothing else is touched.
    start(32, 10);
    ASSERT_EQ(fill(canvas_, nullptr, 0x123456), DD_OK);
    RECT one = on_screen(0, 0, 10, 10), twice = on_screen(10, 0, 30, 20), filled = on_screen(30, 25, 40, 30);
    ASSERT_EQ(primary_->Blt(&one, canvas_, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    ASSERT_EQ(primary_->Blt(&twice, canvas_, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    ASSERT_EQ(fill(primary_, &filled, 0xABCDEF), DD_OK);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const bool copied = (x < 10 && y < 10) || (x >= 10 && x < 30 && y < 20);
            const bool fill = x >= 30 && y >= 25;
            const uint32_t want = copied ? 0xFF123456u : fill ? 0xFFABCDEFu : 0u;
            ASSERT_EQ(pixel(x, y), want) << x << "," << y;
        }
}

}  // namespace
