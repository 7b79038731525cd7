// LoadImageA for bitmap files: the file's DIB as a DIB section of its own depth.
#include <cstring>

#include "gdi/bmp_decoder.h"
#include "gdi/objects.h"
#include "gdi/regular_file.h"
#include "text/cp932.h"

namespace cw::gdi {

HBITMAP dib_section_from(const DecodedBmp& d) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = d.width;
    h.biHeight = d.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(d.bit_count);
    h.biCompression = d.bit_count == 16 || d.bit_count == 32 ? BI_BITFIELDS : BI_RGB;
    h.biClrUsed = static_cast<DWORD>(d.colors.size());
    Bitmap* b = create_dib(h, d.masks, d.colors.data(), static_cast<int>(d.colors.size()));
    if (!b) return nullptr;
    const PixelBuffer px = b->buffer();
    for (int y = 0; y < d.row_count(); ++y)
        std::memcpy(px.row(y), d.rows.data() + static_cast<size_t>(y) * d.stride,
                    static_cast<size_t>(d.stride));
    return b;
}

}  // namespace cw::gdi

HANDLE LoadImageA(HINSTANCE, LPCSTR name, UINT type, int, int, UINT flags) {
    // Only bitmap files are loaded; resources of the program come from its own tables.
    if (type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE) || !name) return nullptr;
    std::vector<uint8_t> bytes;
    if (!cw::gdi::read_regular_file(cw::text::cp932_to_utf8(name), cw::gdi::kMaxBmpPixelBytes + (1u << 20),
                                    &bytes))
        return nullptr;
    const auto decoded = cw::gdi::decode_bmp(bytes);
    if (!decoded) return nullptr;
    return cw::gdi::dib_section_from(*decoded);
}
