// DirectDraw as the program uses it: an object in the normal cooperative level, off-screen
// surfaces in the display's format, colour fills, copies with a nearest-neighbour stretch,
// source colour keys, the refusal of a rectangle outside an unclipped surface, and a primary
// surface with a clipper bound to a window. What a blit wrote is read back through the
// surface's device context.
#include <windows.h>
#include <ddraw.h>

#include <cstring>

#include "conformance.h"

namespace {

HWND window() {
    static HWND w =
        CreateWindowExA(0, conformance::recording_class(), "ddraw", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                        300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return w;
}

struct DirectDraw {
    LPDIRECTDRAW ddraw = nullptr;
    DirectDraw() {
        CHECK_EQ(DirectDrawCreate(nullptr, &ddraw, nullptr), DD_OK);
        if (ddraw) CHECK_EQ(ddraw->SetCooperativeLevel(window(), DDSCL_NORMAL), DD_OK);
    }
    ~DirectDraw() {
        if (ddraw) ddraw->Release();
    }
    LPDIRECTDRAWSURFACE offscreen(DWORD width, DWORD height) const {
        DDSURFACEDESC desc;
        std::memset(&desc, 0, sizeof desc);
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        desc.dwWidth = width;
        desc.dwHeight = height;
        LPDIRECTDRAWSURFACE s = nullptr;
        CHECK_EQ(ddraw->CreateSurface(&desc, &s, nullptr), DD_OK);
        return s;
    }
};

DDBLTFX fill_of(DWORD colour) {
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = colour;
    return fx;
}

void fill(LPDIRECTDRAWSURFACE s, RECT* rect, DWORD colour) {
    DDBLTFX fx = fill_of(colour);
    CHECK_EQ(s->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
}

COLORREF pixel(LPDIRECTDRAWSURFACE s, int x, int y) {
    HDC dc = nullptr;
    if (s->GetDC(&dc) != DD_OK || !dc) return CLR_INVALID;
    const COLORREF c = GetPixel(dc, x, y);
    s->ReleaseDC(dc);
    return c;
}

// The surface value of a colour in the 32-bit display format: 0x00RRGGBB.
constexpr DWORD xrgb(int r, int g, int b) {
    return static_cast<DWORD>((r << 16) | (g << 8) | b);
}

}  // namespace

CONFORMANCE_CASE(OffscreenSurfacesHaveTheDisplaysFormat) {
    DirectDraw d;
    if (!d.ddraw) return;
    LPDIRECTDRAWSURFACE s = d.offscreen(64, 32);
    if (!CHECK(s != nullptr)) return;
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    CHECK_EQ(s->GetSurfaceDesc(&desc), DD_OK);
    CHECK_EQ(desc.dwWidth, 64);
    CHECK_EQ(desc.dwHeight, 32);
    CHECK(desc.ddsCaps.dwCaps & DDSCAPS_OFFSCREENPLAIN);
    CHECK(desc.dwFlags & DDSD_PIXELFORMAT);
    DDPIXELFORMAT format;
    std::memset(&format, 0, sizeof format);
    format.dwSize = sizeof format;
    CHECK_EQ(s->GetPixelFormat(&format), DD_OK);
    CHECK(format.dwFlags & DDPF_RGB);
    // Xvfb and the layer both show 24-bit colour in 32-bit pixels.
    CHECK_EQ(format.dwRGBBitCount, 32);
    CHECK_EQ(format.dwRBitMask, 0x00FF0000);
    CHECK_EQ(format.dwGBitMask, 0x0000FF00);
    CHECK_EQ(format.dwBBitMask, 0x000000FF);
    CHECK_EQ(s->IsLost(), DD_OK);
    // Objects are counted: one reference from creation, one more for each AddRef.
    CHECK_EQ(s->AddRef(), 2);
    CHECK_EQ(s->Release(), 1);
    CHECK_EQ(s->Release(), 0);
}

CONFORMANCE_CASE(ColourFillsLandInTheirRectangle) {
    DirectDraw d;
    if (!d.ddraw) return;
    LPDIRECTDRAWSURFACE s = d.offscreen(16, 16);
    if (!CHECK(s != nullptr)) return;
    fill(s, nullptr, 0);
    RECT r{4, 2, 10, 8};
    fill(s, &r, xrgb(255, 0, 0));
    CHECK_EQ(pixel(s, 4, 2), RGB(255, 0, 0));
    CHECK_EQ(pixel(s, 9, 7), RGB(255, 0, 0));
    CHECK_EQ(pixel(s, 10, 7), RGB(0, 0, 0));  // the right and bottom edges are outside
    CHECK_EQ(pixel(s, 9, 8), RGB(0, 0, 0));
    CHECK_EQ(pixel(s, 3, 2), RGB(0, 0, 0));
    fill(s, nullptr, xrgb(0x12, 0x34, 0x56));
    CHECK_EQ(pixel(s, 15, 15), RGB(0x12, 0x34, 0x56));
    s->Release();
}

// GDI draws into a surface through its device context (the program's selection outlines).
CONFORMANCE_CASE(GdiDrawsThroughASurfacesDeviceContext) {
    DirectDraw d;
    if (!d.ddraw) return;
    LPDIRECTDRAWSURFACE s = d.offscreen(8, 8);
    if (!CHECK(s != nullptr)) return;
    fill(s, nullptr, 0);
    HDC dc = nullptr;
    CHECK_EQ(s->GetDC(&dc), DD_OK);
    if (CHECK(dc != nullptr)) {
        HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
        RECT frame{2, 2, 6, 6};
        CHECK(FrameRect(dc, &frame, white));
        DeleteObject(white);
        CHECK_EQ(s->ReleaseDC(dc), DD_OK);
    }
    CHECK_EQ(pixel(s, 2, 2), RGB(255, 255, 255));
    CHECK_EQ(pixel(s, 5, 5), RGB(255, 255, 255));
    CHECK_EQ(pixel(s, 5, 3), RGB(255, 255, 255));
    CHECK_EQ(pixel(s, 3, 3), RGB(0, 0, 0));
    CHECK_EQ(pixel(s, 6, 6), RGB(0, 0, 0));
    s->Release();
}

// A copy into a rectangle twice the size repeats every pixel: nearest neighbour, no blending.
CONFORMANCE_CASE(CopiesStretchByNearestNeighbour) {
    DirectDraw d;
    if (!d.ddraw) return;
    LPDIRECTDRAWSURFACE src = d.offscreen(2, 2);
    LPDIRECTDRAWSURFACE dst = d.offscreen(8, 8);
    if (!CHECK(src && dst)) return;
    const DWORD colours[4] = {xrgb(255, 0, 0), xrgb(0, 255, 0), xrgb(0, 0, 255), xrgb(255, 255, 255)};
    for (int i = 0; i < 4; ++i) {
        RECT one{i % 2, i / 2, i % 2 + 1, i / 2 + 1};
        fill(src, &one, colours[i]);
    }
    fill(dst, nullptr, 0);
    RECT to{2, 2, 6, 6};
    CHECK_EQ(dst->Blt(&to, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    CHECK_EQ(pixel(dst, 2, 2), RGB(255, 0, 0));
    CHECK_EQ(pixel(dst, 3, 3), RGB(255, 0, 0));
    CHECK_EQ(pixel(dst, 4, 2), RGB(0, 255, 0));
    CHECK_EQ(pixel(dst, 5, 3), RGB(0, 255, 0));
    CHECK_EQ(pixel(dst, 2, 4), RGB(0, 0, 255));
    CHECK_EQ(pixel(dst, 5, 5), RGB(255, 255, 255));
    CHECK_EQ(pixel(dst, 6, 6), RGB(0, 0, 0));
    CHECK_EQ(pixel(dst, 1, 1), RGB(0, 0, 0));
    // A part of the source, one to one.
    RECT part{1, 0, 2, 1}, at{0, 7, 1, 8};
    CHECK_EQ(dst->Blt(&at, src, &part, DDBLT_WAIT, nullptr), DD_OK);
    CHECK_EQ(pixel(dst, 0, 7), RGB(0, 255, 0));
    dst->Release();
    src->Release();
}

// With a source colour key, the source's pixels of that value leave the destination as it was.
CONFORMANCE_CASE(SourceColourKeysLeaveTheKeyedPixels) {
    DirectDraw d;
    if (!d.ddraw) return;
    LPDIRECTDRAWSURFACE src = d.offscreen(4, 1);
    LPDIRECTDRAWSURFACE dst = d.offscreen(4, 1);
    if (!CHECK(src && dst)) return;
    fill(src, nullptr, 0);
    RECT second{1, 0, 2, 1}, fourth{3, 0, 4, 1};
    fill(src, &second, xrgb(200, 100, 50));
    fill(src, &fourth, xrgb(1, 2, 3));
    fill(dst, nullptr, xrgb(9, 9, 9));
    DDCOLORKEY key{0, 0};
    CHECK_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    CHECK_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
    CHECK_EQ(pixel(dst, 0, 0), RGB(9, 9, 9));
    CHECK_EQ(pixel(dst, 1, 0), RGB(200, 100, 50));
    CHECK_EQ(pixel(dst, 2, 0), RGB(9, 9, 9));
    CHECK_EQ(pixel(dst, 3, 0), RGB(1, 2, 3));
    // Without DDBLT_KEYSRC the key is not used.
    CHECK_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    CHECK_EQ(pixel(dst, 0, 0), RGB(0, 0, 0));
    dst->Release();
    src->Release();
}

// A rectangle that leaves a surface without a clipper is refused, and nothing is drawn.
CONFORMANCE_CASE(RectanglesOutsideAnUnclippedSurfaceAreRefused) {
    DirectDraw d;
    if (!d.ddraw) return;
    LPDIRECTDRAWSURFACE src = d.offscreen(8, 8);
    LPDIRECTDRAWSURFACE dst = d.offscreen(8, 8);
    if (!CHECK(src && dst)) return;
    fill(src, nullptr, xrgb(255, 255, 255));
    fill(dst, nullptr, 0);
    RECT beyond{4, 4, 12, 12};
    CHECK_EQ(dst->Blt(&beyond, src, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    CHECK_EQ(pixel(dst, 5, 5), RGB(0, 0, 0));
    RECT before{-2, 0, 2, 2};
    CHECK_EQ(dst->Blt(&before, src, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    RECT source_beyond{6, 6, 10, 10}, inside{0, 0, 4, 4};
    CHECK_EQ(dst->Blt(&inside, src, &source_beyond, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    DDBLTFX fx = fill_of(xrgb(255, 0, 0));
    CHECK_EQ(dst->Blt(&beyond, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DDERR_INVALIDRECT);
    CHECK_EQ(pixel(dst, 5, 5), RGB(0, 0, 0));
    dst->Release();
    src->Release();
}

// The primary surface with a clipper bound to a window: the clipper knows its window.
CONFORMANCE_CASE(APrimaryWithAClipperBoundToAWindow) {
    DirectDraw d;
    if (!d.ddraw) return;
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    LPDIRECTDRAWSURFACE primary = nullptr;
    CHECK_EQ(d.ddraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
    if (!CHECK(primary != nullptr)) return;
    CHECK(primary->GetSurfaceDesc(&desc) == DD_OK && (desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE));
    LPDIRECTDRAWCLIPPER clipper = nullptr;
    CHECK_EQ(d.ddraw->CreateClipper(0, &clipper, nullptr), DD_OK);
    if (!CHECK(clipper != nullptr)) return;
    CHECK_EQ(clipper->SetHWnd(0, window()), DD_OK);
    HWND bound = nullptr;
    CHECK_EQ(clipper->GetHWnd(&bound), DD_OK);
    CHECK(bound == window());
    CHECK_EQ(primary->SetClipper(clipper), DD_OK);
    // A blit into the window's place on the screen is accepted, clipped to the window.
    LPDIRECTDRAWSURFACE src = d.offscreen(32, 32);
    fill(src, nullptr, xrgb(0, 128, 255));
    POINT origin{0, 0};
    ClientToScreen(window(), &origin);
    RECT on_screen{origin.x, origin.y, origin.x + 32, origin.y + 32};
    CHECK_EQ(primary->Blt(&on_screen, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    src->Release();
    clipper->Release();
    primary->Release();
}

// Each window's DirectDraw object keeps its surfaces to itself: a copy from a surface of another
// object is refused, keyed or not, and the destination keeps what it held. Pictures that combine
// surfaces of two objects go through their device contexts instead.
CONFORMANCE_CASE(ACopyBetweenTwoObjectsIsRefused) {
    DirectDraw a, b;
    if (!a.ddraw || !b.ddraw) return;
    LPDIRECTDRAWSURFACE src = a.offscreen(8, 8), dst = b.offscreen(8, 8);
    if (!CHECK(src != nullptr && dst != nullptr)) return;
    fill(src, nullptr, xrgb(255, 0, 0));
    fill(dst, nullptr, xrgb(0, 0, 255));
    RECT r{0, 0, 8, 8};
    CHECK(FAILED(dst->Blt(&r, src, &r, DDBLT_WAIT, nullptr)));
    CHECK_EQ(pixel(dst, 1, 1), RGB(0, 0, 255));
    DDCOLORKEY key{0, 0};
    CHECK_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    CHECK(FAILED(dst->Blt(&r, src, &r, DDBLT_WAIT | DDBLT_KEYSRC, nullptr)));
    CHECK_EQ(pixel(dst, 1, 1), RGB(0, 0, 255));
    // Through the device contexts the same copy is made.
    HDC from = nullptr, to = nullptr;
    CHECK_EQ(src->GetDC(&from), DD_OK);
    CHECK_EQ(dst->GetDC(&to), DD_OK);
    if (from && to) CHECK(BitBlt(to, 0, 0, 8, 8, from, 0, 0, SRCCOPY));
    if (to) dst->ReleaseDC(to);
    if (from) src->ReleaseDC(from);
    CHECK_EQ(pixel(dst, 1, 1), RGB(255, 0, 0));
    src->Release();
    dst->Release();
}
