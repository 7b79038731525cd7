// GDI+'s flat API for image files: start-up and shut-down, a bitmap decoded from a PNG file
// (gdi/png_decoder.h), its size, pixel format and palette, and its pixels locked for reading
// in its own format or converted to 24-bit RGB, 32-bit RGB or 32-bit ARGB.
#include <gdiplus.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "gdi/png_decoder.h"
#include "gdi/regular_file.h"
#include "text/cp932.h"

using namespace Gdiplus;

namespace cw::gdi {

namespace {

// Nothing the decoder accepts comes from a larger file: its pixels are capped well below.
constexpr uint64_t kMaxImageFileBytes = uint64_t{512} << 20;

int& startups() {
    static int count = 0;
    return count;
}

std::unordered_set<ULONG_PTR>& live_tokens() {
    static std::unordered_set<ULONG_PTR> tokens;
    return tokens;
}

struct Image final : GpBitmap {
    explicit Image(DecodedPng d) : decoded(std::move(d)) {}
    DecodedPng decoded;
    bool locked = false;
    std::vector<uint8_t> lock_buffer;  // the locked pixels, in the format they were asked in
};

std::unordered_set<const GpImage*>& live_images() {
    static std::unordered_set<const GpImage*> images;
    return images;
}

Image* image_from(GpImage* image) {
    return image && live_images().count(image) ? static_cast<Image*>(image) : nullptr;
}

PixelFormat format_of(const DecodedPng& d) {
    switch (d.pixels) {
        case PngPixels::Indexed1: return PixelFormat1bppIndexed;
        case PngPixels::Indexed4: return PixelFormat4bppIndexed;
        case PngPixels::Indexed8: return PixelFormat8bppIndexed;
        case PngPixels::Rgb24: return PixelFormat24bppRGB;
        case PngPixels::Argb32: return PixelFormat32bppARGB;
    }
    return PixelFormat32bppARGB;
}

UINT palette_flags(const DecodedPng& d) {
    UINT flags = d.grey_palette ? PaletteFlagsGrayScale : 0;
    for (uint32_t entry : d.palette)
        if ((entry >> 24) != 0xFF) flags |= PaletteFlagsHasAlpha;
    return flags;
}

// The value of pixel x of a row in the decoded format: an index, or 0xAARRGGBB.
uint32_t raw_pixel(const DecodedPng& d, const uint8_t* row, int x) {
    switch (d.pixels) {
        case PngPixels::Indexed1: return (row[x / 8] >> (7 - x % 8)) & 1;
        case PngPixels::Indexed4: return (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF;
        case PngPixels::Indexed8: return row[x];
        case PngPixels::Rgb24: {
            const uint8_t* p = row + 3 * x;
            return 0xFF000000u | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
        }
        case PngPixels::Argb32: {
            uint32_t v = 0;
            std::memcpy(&v, row + 4 * x, 4);
            return v;
        }
    }
    return 0;
}

uint32_t argb_pixel(const DecodedPng& d, const uint8_t* row, int x) {
    const uint32_t raw = raw_pixel(d, row, x);
    if (d.pixels == PngPixels::Rgb24 || d.pixels == PngPixels::Argb32) return raw;
    // An index beyond the palette (the file's palette is shorter than its depth allows) is black.
    return raw < d.palette.size() ? d.palette[raw] : 0xFF000000u;
}

// Writes pixel x of a row of the locked format.
void put_pixel(PixelFormat format, uint8_t* row, int x, uint32_t value) {
    switch (format) {
        case PixelFormat1bppIndexed: row[x / 8] |= static_cast<uint8_t>((value & 1) << (7 - x % 8)); break;
        case PixelFormat4bppIndexed:
            row[x / 2] |= static_cast<uint8_t>((value & 0xF) << (x % 2 == 0 ? 4 : 0));
            break;
        case PixelFormat8bppIndexed: row[x] = static_cast<uint8_t>(value); break;
        case PixelFormat24bppRGB:
            row[3 * x] = static_cast<uint8_t>(value);
            row[3 * x + 1] = static_cast<uint8_t>(value >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(value >> 16);
            break;
        case PixelFormat32bppRGB: value |= 0xFF000000u; [[fallthrough]];
        case PixelFormat32bppARGB: std::memcpy(row + 4 * x, &value, 4); break;
        default: break;
    }
}

// The formats a lock hands out: the bitmap's own, or one of the direct formats every pixel
// converts to.
bool can_lock_as(const Image& image, PixelFormat format) {
    return format == format_of(image.decoded) || format == PixelFormat24bppRGB ||
           format == PixelFormat32bppRGB || format == PixelFormat32bppARGB;
}

}  // namespace

}  // namespace cw::gdi

using namespace cw::gdi;

namespace {

Status WINAPI notification_hook(ULONG_PTR* token) {
    if (!token) return InvalidParameter;
    *token = 1;
    return Ok;
}

VOID WINAPI notification_unhook(ULONG_PTR) {}

}  // namespace

Status WINAPI Gdiplus::GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input,
                                      GdiplusStartupOutput* output) {
    if (!token || !input) return InvalidParameter;
    if (input->GdiplusVersion != 1 && input->GdiplusVersion != 2) return UnsupportedGdiplusVersion;
    // Without the background thread the caller runs the hooks, which it must be given.
    if (input->SuppressBackgroundThread && !output) return InvalidParameter;
    if (output) {
        output->NotificationHook = input->SuppressBackgroundThread ? notification_hook : nullptr;
        output->NotificationUnhook = input->SuppressBackgroundThread ? notification_unhook : nullptr;
    }
    static ULONG_PTR next_token = 0;
    *token = ++next_token;
    live_tokens().insert(*token);
    ++startups();
    return Ok;
}

VOID WINAPI Gdiplus::GdiplusShutdown(ULONG_PTR token) {
    if (live_tokens().erase(token)) --startups();
}

GpStatus WINGDIPAPI Gdiplus::DllExports::GdipCreateBitmapFromFile(GDIPCONST WCHAR* filename,
                                                                  GpBitmap** bitmap) {
    if (!filename || !bitmap) return InvalidParameter;
    *bitmap = nullptr;
    if (startups() == 0) return GdiplusNotInitialized;
    std::vector<uint8_t> bytes;
    if (!read_regular_file(cw::text::wide_to_utf8(filename), kMaxImageFileBytes, &bytes))
        return InvalidParameter;
    PngError error = PngError::None;
    auto decoded = decode_png(bytes, &error);
    if (!decoded) return error == PngError::TooLarge ? OutOfMemory : InvalidParameter;
    auto* image = new Image(std::move(*decoded));
    live_images().insert(image);
    *bitmap = image;
    return Ok;
}

GpStatus WINGDIPAPI Gdiplus::DllExports::GdipDisposeImage(GpImage* image) {
    Image* i = image_from(image);
    if (!i) return InvalidParameter;
    live_images().erase(image);
    delete i;
    return Ok;
}

GpStatus WINGDIPAPI Gdiplus::DllExports::GdipGetImageWidth(GpImage* image, UINT* width) {
    const Image* i = image_from(image);
    if (!i || !width) return InvalidParameter;
    *width = static_cast<UINT>(i->decoded.width);
    return Ok;
}

GpStatus WINGDIPAPI Gdiplus::DllExports::GdipGetImageHeight(GpImage* image, UINT* height) {
    const Image* i = image_from(image);
    if (!i || !height) return InvalidParameter;
    *height = static_cast<UINT>(i->decoded.height);
    return Ok;
}

GpStatus WINGDIPAPI Gdiplus::DllExports::GdipGetImagePixelFormat(GpImage* image, PixelFormat* format) {
    const Image* i = image_from(image);
    if (!i || !format) return InvalidParameter;
    *format = format_of(i->decoded);
    return Ok;
}

GpStatus WINGDIPAPI Gdiplus::DllExports::GdipGetImagePaletteSize(GpImage* image, INT* size) {
    const Image* i = image_from(image);
    if (!i || !size) return InvalidParameter;
    const size_t count = i->decoded.palette.size();
    *size = static_cast<INT>(count == 0 ? sizeof(ColorPalette) : 2 * sizeof(UINT) + count * sizeof(ARGB));
    return Ok;
}

GpStatus WINGDIPAPI Gdiplus::DllExports::GdipGetImagePalette(GpImage* image, ColorPalette* palette,
                                                             INT size) {
    const Image* i = image_from(image);
    if (!i || !palette) return InvalidParameter;
    const std::vector<uint32_t>& entries = i->decoded.palette;
    if (size < 0 || static_cast<size_t>(size) < 2 * sizeof(UINT) + entries.size() * sizeof(ARGB))
        return InsufficientBuffer;
    palette->Flags = palette_flags(i->decoded);
    palette->Count = static_cast<UINT>(entries.size());
    if (!entries.empty()) std::memcpy(palette->Entries, entries.data(), entries.size() * sizeof(ARGB));
    return Ok;
}

GpStatus WINGDIPAPI Gdiplus::DllExports::GdipBitmapLockBits(GpBitmap* bitmap, GDIPCONST GpRect* rect,
                                                            UINT flags, PixelFormat format,
                                                            BitmapData* locked) {
    Image* i = image_from(bitmap);
    if (!i || !locked) return InvalidParameter;
    const DecodedPng& d = i->decoded;
    const GpRect whole(0, 0, d.width, d.height);
    const GpRect r = rect ? *rect : whole;
    if (r.X < 0 || r.Y < 0 || r.Width <= 0 || r.Height <= 0 || r.X > d.width - r.Width ||
        r.Y > d.height - r.Height)
        return InvalidParameter;
    if (!(flags & (ImageLockModeRead | ImageLockModeWrite))) return InvalidParameter;
    // Pixels written through a lock are not taken back into the bitmap.
    if (flags & (ImageLockModeWrite | ImageLockModeUserInputBuf)) return NotImplemented;
    if (!can_lock_as(*i, format)) return InvalidParameter;
    if (i->locked) return WrongState;
    const bool same = format == format_of(d);
    const int stride =
        static_cast<int>((static_cast<int64_t>(r.Width) * GetPixelFormatSize(format) + 31) / 32 * 4);
    i->lock_buffer.assign(static_cast<size_t>(stride) * r.Height, 0);
    for (int y = 0; y < r.Height; ++y) {
        const uint8_t* source = d.rows.data() + static_cast<size_t>(r.Y + y) * d.stride;
        uint8_t* target = i->lock_buffer.data() + static_cast<size_t>(y) * stride;
        for (int x = 0; x < r.Width; ++x)
            put_pixel(format, target, x,
                      same ? raw_pixel(d, source, r.X + x) : argb_pixel(d, source, r.X + x));
    }
    i->locked = true;
    locked->Width = static_cast<UINT>(r.Width);
    locked->Height = static_cast<UINT>(r.Height);
    locked->Stride = stride;
    locked->PixelFormat = format;
    locked->Scan0 = i->lock_buffer.data();
    locked->Reserved = 0;
    return Ok;
}

GpStatus WINGDIPAPI Gdiplus::DllExports::GdipBitmapUnlockBits(GpBitmap* bitmap, BitmapData* locked) {
    Image* i = image_from(bitmap);
    if (!i || !locked) return InvalidParameter;
    if (!i->locked) return WrongState;
    i->locked = false;
    std::vector<uint8_t>().swap(i->lock_buffer);
    return Ok;
}
