// DIB sections as the program reads a decoded picture back: the colour table of an indexed
// section through GetDIBColorTable (all 2^bpp entries, none for a deeper section or for a DC
// without a section), and what GetPixel shows of its pixels, which is how a reader learns
// which way the section's rows run.
#include <cstring>
#include <vector>

#include "conformance.h"

namespace {

struct Section {
    HBITMAP bitmap = nullptr;
    unsigned char* bits = nullptr;
};

// A section of 4 x 2 pixels; colours entries of the table, the first one (16 x i, 0, 255 - i).
Section make_section(int bpp, int height, int colours, DWORD used) {
    std::vector<unsigned char> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi->bmiHeader.biWidth = 4;
    bmi->bmiHeader.biHeight = height;
    bmi->bmiHeader.biPlanes = 1;
    bmi->bmiHeader.biBitCount = static_cast<WORD>(bpp);
    bmi->bmiHeader.biCompression = BI_RGB;
    bmi->bmiHeader.biClrUsed = used;
    auto* table = reinterpret_cast<RGBQUAD*>(info.data() + sizeof(BITMAPINFOHEADER));
    for (int i = 0; i < colours; ++i)
        table[i] = RGBQUAD{static_cast<BYTE>(255 - i), 0, static_cast<BYTE>(16 * i), 0};
    void* bits = nullptr;
    Section s;
    s.bitmap = CreateDIBSection(nullptr, bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    s.bits = static_cast<unsigned char*>(bits);
    return s;
}

bool same(const RGBQUAD& q, int i) {
    return q.rgbRed == 16 * i && q.rgbGreen == 0 && q.rgbBlue == 255 - i && q.rgbReserved == 0;
}

}  // namespace

CONFORMANCE_CASE(GetDIBColorTableGivesTheTableOfTheSelectedSection) {
    const Section s = make_section(4, 2, 16, 0);
    if (!CHECK(s.bitmap)) return;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, s.bitmap);
    RGBQUAD got[256];
    std::memset(got, 0xAB, sizeof got);
    CHECK_EQ(GetDIBColorTable(dc, 0, 256, got), 16);
    bool all = true;
    for (int i = 0; i < 16; ++i) all = all && same(got[i], i);
    CHECK(all);
    // From a later entry, as many as are left.
    CHECK_EQ(GetDIBColorTable(dc, 14, 8, got), 2);
    CHECK(same(got[0], 14) && same(got[1], 15));
    CHECK_EQ(GetDIBColorTable(dc, 16, 1, got), 0);
    SelectObject(dc, previous);
    // Without the section selected the DC has no colour table.
    CHECK_EQ(GetDIBColorTable(dc, 0, 16, got), 0);
    DeleteDC(dc);
    DeleteObject(s.bitmap);
}

CONFORMANCE_CASE(GetDIBColorTableGivesTheWholeTableOfASectionMadeWithFewerColours) {
    const Section five = make_section(8, 2, 5, 5), deep = make_section(24, 2, 0, 0);
    if (!CHECK(five.bitmap && deep.bitmap)) return;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, five.bitmap);
    RGBQUAD got[256];
    std::memset(got, 0xAB, sizeof got);
    CHECK_EQ(GetDIBColorTable(dc, 0, 256, got), 256);
    CHECK(same(got[4], 4));
    // The entries it was not given are black.
    CHECK(got[5].rgbRed == 0 && got[5].rgbGreen == 0 && got[5].rgbBlue == 0 && got[255].rgbBlue == 0);
    SelectObject(dc, deep.bitmap);
    CHECK_EQ(GetDIBColorTable(dc, 0, 256, got), 0);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(five.bitmap);
    DeleteObject(deep.bitmap);
}

CONFORMANCE_CASE(GetPixelShowsTheFirstRowOfBitsAtTheTopOnlyForATopDownSection) {
    for (const int height : {-2, 2}) {
        conformance::Context context(height < 0 ? "top-down" : "bottom-up");
        const Section s = make_section(8, height, 4, 0);
        if (!CHECK(s.bitmap && s.bits)) return;
        s.bits[0] = 3;  // the first pixel of the first row in memory
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(dc, s.bitmap);
        const COLORREF colour3 = RGB(48, 0, 252), colour0 = RGB(0, 0, 255);
        CHECK_EQ(GetPixel(dc, 0, 0), height < 0 ? colour3 : colour0);
        CHECK_EQ(GetPixel(dc, 0, 1), height < 0 ? colour0 : colour3);
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(s.bitmap);
    }
}
