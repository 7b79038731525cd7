// GDI on surfaces, bitmaps and windows: the primitives land on the pixels GDI puts
// them on, blits mirror, invert and convert between formats, and objects cannot be
// freed while a DC still draws with them.
#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <vector>

#include "ddraw/surfaces.h"
#include "ddraw_at_depth.h"
#include "qt/view.h"
#include "win/window.h"

namespace {

using cw::gdi::PixelBuffer;

// A DirectDraw surface and its DC at one display depth.
class SurfaceDc : public DirectDrawAtDepth {
  protected:
    void SetUp() override {
        DirectDrawAtDepth::SetUp();
        if (HasFatalFailure()) return;
        surface_ = offscreen(32, 16);
        ASSERT_EQ(surface_->GetDC(&dc_), DD_OK);
    }
    void TearDown() override {
        if (surface_ && dc_) surface_->ReleaseDC(dc_);
        DirectDrawAtDepth::TearDown();
    }
    uint32_t raw(int x, int y) const { return cw::gdi::read_raw(cw::ddraw::surface_pixels(surface_), x, y); }
    uint32_t raw_of(COLORREF c) const { return cw::gdi::rgb_to_raw(cw::ddraw::surface_pixels(surface_), c); }
    // The pixels of a row as 'x' where they hold raw value v, '.' elsewhere.
    std::string row(int y, COLORREF c) const {
        std::string s;
        for (int x = 0; x < 32; ++x) s += raw(x, y) == raw_of(c) ? 'x' : '.';
        return s;
    }

    LPDIRECTDRAWSURFACE surface_ = nullptr;
    HDC dc_ = nullptr;
};

const COLORREF kGrey = RGB(128, 128, 128);
const COLORREF kBlue = RGB(0, 0, 255);

TEST_P(SurfaceDc, FrameRectDrawsAOnePixelFrameInsideTheRectangle) {
    HBRUSH brush = CreateSolidBrush(kGrey);
    RECT r{2, 1, 8, 5};
    EXPECT_TRUE(FrameRect(dc_, &r, brush));
    EXPECT_EQ(row(0, kGrey), "................................");
    EXPECT_EQ(row(1, kGrey), "..xxxxxx........................");
    EXPECT_EQ(row(2, kGrey), "..x....x........................");
    EXPECT_EQ(row(4, kGrey), "..xxxxxx........................");
    EXPECT_EQ(row(5, kGrey), "................................");
    RECT empty{10, 1, 10, 5};
    FrameRect(dc_, &empty, brush);
    EXPECT_EQ(row(2, kGrey), "..x....x........................");
    EXPECT_TRUE(DeleteObject(brush));
}

TEST_P(SurfaceDc, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
    HPEN pen = CreatePen(PS_SOLID, 1, kBlue);
    HBRUSH brush = CreateSolidBrush(kGrey);
    HGDIOBJ old_pen = SelectObject(dc_, pen);
    HGDIOBJ old_brush = SelectObject(dc_, brush);
    EXPECT_TRUE(Rectangle(dc_, 1, 1, 6, 5));
    EXPECT_EQ(row(1, kBlue), ".xxxxx..........................");
    EXPECT_EQ(row(2, kBlue), ".x...x..........................");
    EXPECT_EQ(row(2, kGrey), "..xxx...........................");
    EXPECT_EQ(row(4, kBlue), ".xxxxx..........................");
    EXPECT_EQ(row(5, kBlue), "................................");
    // A hollow brush leaves the inside alone.
    SelectObject(dc_, GetStockObject(NULL_BRUSH));
    Rectangle(dc_, 10, 1, 14, 4);
    EXPECT_EQ(row(2, kBlue), ".x...x....x..x..................");
    EXPECT_EQ(row(2, kGrey), "..xxx...........................");
    EXPECT_EQ(SelectObject(dc_, old_pen), pen);
    EXPECT_EQ(SelectObject(dc_, old_brush), GetStockObject(NULL_BRUSH));
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_TRUE(DeleteObject(brush));
}

TEST_P(SurfaceDc, LinesStopBeforeTheirEndPoint) {
    HPEN pen = CreatePen(PS_SOLID, 1, kBlue);
    HGDIOBJ old = SelectObject(dc_, pen);
    POINT previous{-1, -1};
    MoveToEx(dc_, 3, 0, &previous);
    LineTo(dc_, 3, 4);  // vertical: rows 0..3
    MoveToEx(dc_, 0, 6, &previous);
    EXPECT_EQ(previous.x, 3);
    EXPECT_EQ(previous.y, 4);
    LineTo(dc_, 5, 6);  // horizontal: columns 0..4
    LineTo(dc_, 8, 9);  // continues from (5, 6) diagonally: (5,6) (6,7) (7,8)
    EXPECT_EQ(row(3, kBlue), "...x............................");
    EXPECT_EQ(row(4, kBlue), "................................");
    EXPECT_EQ(row(6, kBlue), "xxxxxx..........................");
    EXPECT_EQ(row(7, kBlue), "......x.........................");
    EXPECT_EQ(row(8, kBlue), ".......x........................");
    EXPECT_EQ(row(9, kBlue), "................................");
    SelectObject(dc_, old);
    DeleteObject(pen);
}

TEST_P(SurfaceDc, StretchBltWithANegativeWidthMirrorsIntoTheMirroredPlace) {
    // A 10-pixel frame whose left column is marked, drawn at x 30 with width -10 into a
    // 32-wide base: it covers columns 20..29 with the mark at the right.
    LPDIRECTDRAWSURFACE src = offscreen(10, 1);
    HDC sdc;
    ASSERT_EQ(src->GetDC(&sdc), DD_OK);
    SetPixel(sdc, 0, 0, kBlue);
    for (int x = 1; x < 10; ++x) SetPixel(sdc, x, 0, kGrey);
    EXPECT_TRUE(StretchBlt(dc_, 30, 0, -10, 1, sdc, 0, 0, 10, 1, SRCCOPY));
    EXPECT_EQ(row(0, kBlue), ".............................x..");
    EXPECT_EQ(row(0, kGrey), "....................xxxxxxxxx...");
    // Negative on both sides is no mirror; a negative height flips rows.
    EXPECT_TRUE(StretchBlt(dc_, 10, 3, -10, -2, sdc, 10, 0, -10, 1, SRCCOPY));
    EXPECT_EQ(row(1, kBlue), "x...............................");
    EXPECT_EQ(row(2, kBlue), "x...............................");
    EXPECT_EQ(row(2, kGrey), ".xxxxxxxxx......................");
    src->ReleaseDC(sdc);
}

TEST_P(SurfaceDc, StretchBltClipsAFrameReachingPastEitherSurface) {
    // A frame mirrored about x 4 reaches left of the base frame: only its columns
    // inside are drawn. A source running past the image's right edge draws only the
    // part the image has; the rest of the destination keeps what it had.
    LPDIRECTDRAWSURFACE src = offscreen(10, 1);
    HDC sdc;
    ASSERT_EQ(src->GetDC(&sdc), DD_OK);
    SetPixel(sdc, 0, 0, kBlue);
    for (int x = 1; x < 10; ++x) SetPixel(sdc, x, 0, kGrey);
    EXPECT_TRUE(StretchBlt(dc_, 4, 0, -10, 1, sdc, 0, 0, 10, 1, SRCCOPY));
    EXPECT_EQ(row(0, kBlue), "...x............................");
    EXPECT_EQ(row(0, kGrey), "xxx.............................");
    EXPECT_TRUE(StretchBlt(dc_, 25, 5, 10, 1, sdc, 5, 0, 10, 1, SRCCOPY));
    EXPECT_EQ(row(5, kGrey), ".........................xxxxx..");
    // Mirrored rows running past the bottom edge.
    EXPECT_TRUE(StretchBlt(dc_, 0, 18, 10, -4, sdc, 0, 0, 10, 1, SRCCOPY));
    EXPECT_EQ(row(15, kBlue), "x...............................");
    EXPECT_EQ(row(14, kBlue), "x...............................");
    src->ReleaseDC(sdc);
}

TEST_P(SurfaceDc, SrcInvertWithGreyFlipsTheHighBitOfEachChannel) {
    LPDIRECTDRAWSURFACE overlay = offscreen(4, 1);
    HDC odc;
    ASSERT_EQ(overlay->GetDC(&odc), DD_OK);
    RECT outline{1, 0, 3, 1};
    HBRUSH grey = CreateSolidBrush(kGrey);
    FillRect(odc, &outline, grey);
    RECT all{0, 0, 8, 1};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc_, &all, red);
    const uint32_t before = raw(0, 0);
    // Magnified 2 times: the black parts leave the image as it was.
    EXPECT_TRUE(StretchBlt(dc_, 0, 0, 8, 1, odc, 0, 0, 4, 1, SRCINVERT));
    EXPECT_EQ(raw(0, 0), before);
    EXPECT_EQ(raw(1, 0), before);
    EXPECT_EQ(raw(2, 0), before ^ raw_of(kGrey));
    EXPECT_EQ(raw(5, 0), before ^ raw_of(kGrey));
    EXPECT_EQ(raw(6, 0), before);
    const COLORREF inverted = GetPixel(dc_, 2, 0);
    EXPECT_LT(GetRValue(inverted), 128);
    EXPECT_GE(GetGValue(inverted), 128);
    EXPECT_GE(GetBValue(inverted), 128);
    // One to one (an outline at 1x1): the same pixels flip, and a second pass flips them back.
    FillRect(dc_, &all, red);
    EXPECT_TRUE(StretchBlt(dc_, 4, 0, 4, 1, odc, 0, 0, 4, 1, SRCINVERT));
    EXPECT_EQ(raw(4, 0), before);
    EXPECT_EQ(raw(5, 0), before ^ raw_of(kGrey));
    EXPECT_EQ(raw(6, 0), before ^ raw_of(kGrey));
    EXPECT_EQ(raw(7, 0), before);
    EXPECT_TRUE(BitBlt(dc_, 4, 0, 4, 1, odc, 0, 0, SRCINVERT));
    EXPECT_EQ(raw(5, 0), before);
    overlay->ReleaseDC(odc);
    DeleteObject(grey);
    DeleteObject(red);
}

TEST_P(SurfaceDc, PalettedDibsArriveInTheSurfaceColours) {
    // A 4-bit DIB, bottom-up, two rows: the top row holds indexes 1 and 2.
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[16];
    } info{};
    info.h.biSize = sizeof info.h;
    info.h.biWidth = 2;
    info.h.biHeight = 2;
    info.h.biPlanes = 1;
    info.h.biBitCount = 4;
    info.colors[1] = RGBQUAD{255, 0, 0, 0};  // blue
    info.colors[2] = RGBQUAD{128, 128, 128, 0};
    void* bits = nullptr;
    HBITMAP dib =
        CreateDIBSection(dc_, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_TRUE(dib);
    static_cast<uint8_t*>(bits)[4] = 0x12;  // the second stored row is the top one
    HDC mem = CreateCompatibleDC(dc_);
    HGDIOBJ old = SelectObject(mem, dib);
    EXPECT_TRUE(BitBlt(dc_, 0, 0, 2, 2, mem, 0, 0, SRCCOPY));
    EXPECT_EQ(raw(0, 0), raw_of(kBlue));
    EXPECT_EQ(raw(1, 0), raw_of(kGrey));
    EXPECT_EQ(raw(0, 1), 0u);
    EXPECT_FALSE(DeleteObject(dib));  // still selected
    SelectObject(mem, old);
    DeleteDC(mem);
    EXPECT_TRUE(DeleteObject(dib));
}

INSTANTIATE_TEST_SUITE_P(Depths, SurfaceDc, ::testing::Values(16, 32),
                         [](const auto& info) { return std::to_string(info.param) + "bpp"; });

TEST(GdiObjects, GetObjectDescribesADibSection) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 5;
    info.bmiHeader.biHeight = -3;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_TRUE(dib);
    BITMAP bm{};
    ASSERT_EQ(GetObjectA(dib, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 5);
    EXPECT_EQ(bm.bmHeight, 3);
    EXPECT_EQ(bm.bmWidthBytes, 16);  // 15 bytes padded to a multiple of 4
    EXPECT_EQ(bm.bmBitsPixel, 24);
    EXPECT_EQ(bm.bmBits, bits);
    DeleteObject(dib);
    info.bmiHeader.biBitCount = 7;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
}

TEST(GdiObjects, ObjectsInUseOrStockSurviveDeletion) {
    HDC a = CreateCompatibleDC(nullptr);
    HDC b = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(nullptr, 4, 4);  // in the display's format
    ASSERT_TRUE(bmp);
    HGDIOBJ old = SelectObject(a, bmp);
    EXPECT_NE(old, nullptr);
    EXPECT_EQ(SelectObject(b, bmp), nullptr);  // one DC at a time
    EXPECT_TRUE(DeleteObject(GetStockObject(GRAY_BRUSH)));
    HBRUSH gray = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RECT r{0, 0, 4, 4};
    EXPECT_TRUE(FillRect(a, &r, gray));  // the stock brush still paints
    EXPECT_EQ(GetPixel(a, 3, 3), RGB(128, 128, 128));
    EXPECT_EQ(GetPixel(a, 4, 0), CLR_INVALID);
    DeleteDC(a);  // lets the bitmap go
    EXPECT_TRUE(DeleteObject(bmp));
    EXPECT_FALSE(DeleteObject(bmp));
    DeleteDC(b);
}

LRESULT CALLBACK plain_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(h, m, wp, lp);
}

TEST(WindowDc, DrawsIntoTheClientPixels) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = plain_proc;
    wc.lpszClassName = "CW_GDI_TEST";
    RegisterClassA(&wc);
    HWND hwnd =
        CreateWindowExA(0, "CW_GDI_TEST", "", WS_POPUP, 0, 0, 20, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(hwnd);
    HDC dc = GetDC(hwnd);
    ASSERT_TRUE(dc);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    EXPECT_TRUE(FrameRect(dc, &client, blue));
    EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
    const cw::backend::ScreenPixels px = cw::backend::window_pixels(cw::win::window_from(hwnd));
    ASSERT_EQ(px.width, 20);
    auto at = [&](int x, int y) { return px.xrgb[y * px.stride / 4 + x] & 0xFFFFFF; };
    EXPECT_EQ(at(0, 0), 0x0000FFu);
    EXPECT_EQ(at(19, 9), 0x0000FFu);
    EXPECT_NE(at(5, 5), 0x0000FFu);
    DeleteObject(blue);
    DestroyWindow(hwnd);
}

}  // namespace
