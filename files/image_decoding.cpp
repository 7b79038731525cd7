// Image files to device-independent bitmaps. Nothing here touches a surface or a
// window: the caller decides what a decoded image becomes.
#include "files/image_decoding.h"

#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "files/file_io.h"
#include "files/png_header.h"
#include "files/project_data.h"
#include "project/tables.h"

namespace {

namespace gdip = Gdiplus::DllExports;

constexpr int kMaxBmpSide = 256;
// A TIM image of 256 x 256 pixels with the largest CLUT needs well under 1 MB;
// reading stops here so that a huge file cannot exhaust memory.
constexpr size_t kMaxTimFileBytes = 16u << 20;
// A PNG of 256 x 256 pixels is far smaller whatever it carries beside its pixels.
constexpr size_t kMaxPngFileBytes = 16u << 20;

DecodedImage refused(ImageProblem problem) {
    DecodedImage d;
    d.problem = problem;
    return d;
}

DecodedImage decode_bmp_file(const char* path) {
    // The system's loader opens whatever the name names and would wait on a device (CON.bmp)
    // for as long as it gives bytes.
    if (!disk_file_readable(path)) return refused(ImageProblem::CannotOpen);
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap) return refused(ImageProblem::CannotOpen);
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    ImageProblem problem = ImageProblem::None;
    if (info.bmBitsPixel < 4)
        problem = ImageProblem::TooFewColours;
    else if (info.bmWidth > kMaxBmpSide || info.bmHeight > kMaxBmpSide || info.bmHeight < -kMaxBmpSide)
        problem = ImageProblem::TooLarge;
    if (problem != ImageProblem::None) {
        DeleteObject(bitmap);
        return refused(problem);
    }
    DecodedImage d;
    d.bitmap = bitmap;
    d.width = info.bmWidth;
    d.height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    d.bits_per_pixel = info.bmBitsPixel;
    const int mode = colour_mode_for_depth(info.bmBitsPixel);
    d.sets_tpage = mode >= 0;
    d.tpage = mode >= 0 ? static_cast<uint32_t>(mode) << 7 : 0;
    d.clut_attribute = 0;
    return d;
}

// A top-down DIB section of w x h at bpp bits per pixel, its colour table from colours (room
// for 256 entries whatever it holds, so that the DIB never reads past the table); *bits gets
// its pixels. Null when it cannot be made.
HBITMAP top_down_dib(int w, int h, int bpp, const RGBQUAD* colours, size_t colour_count, void** bits) {
    std::vector<uint8_t> info_bytes(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(info_bytes.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = w;
    info->bmiHeader.biHeight = -h;  // top-down rows
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = static_cast<WORD>(bpp);
    info->bmiHeader.biCompression = BI_RGB;
    if (colour_count > 0)
        std::memcpy(info_bytes.data() + sizeof(BITMAPINFOHEADER), colours,
                    std::min<size_t>(colour_count, 256) * sizeof(RGBQUAD));
    *bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, bits, nullptr, 0);
    if (dib && *bits) return dib;
    if (dib) DeleteObject(dib);
    return nullptr;
}

int dib_stride(int w, int bpp) {
    return (w * bpp + 31) / 32 * 4;
}

// The decoded TIM as a top-down DIB section of its own depth with its CLUT row
// as the colour table.
HBITMAP tim_bitmap(const tim::TimImage& img) {
    void* bits = nullptr;
    HBITMAP dib = top_down_dib(img.width, img.height, img.bits_per_pixel,
                               reinterpret_cast<const RGBQUAD*>(img.colour_table.data()),
                               img.colour_table.size() / sizeof(RGBQUAD), &bits);
    if (dib) std::memcpy(bits, img.bits.data(), img.bits.size());
    return dib;
}

DecodedImage decode_tim_file(const char* path) {
    std::vector<uint8_t> bytes;
    const FileRead read = read_file_bytes(path, bytes, kMaxTimFileBytes);
    if (read == FileRead::CannotOpen) return refused(ImageProblem::CannotOpen);
    tim::TimResult decoded =
        read == FileRead::Done ? tim::decode_tim(bytes) : tim::TimResult{tim::TimError::Truncated, {}};
    if (decoded.error != tim::TimError::None) {
        DecodedImage d = refused(ImageProblem::TimRefused);
        d.tim_error = decoded.error;
        return d;
    }
    const tim::TimImage& img = decoded.image;
    DecodedImage d;
    d.bitmap = tim_bitmap(img);
    if (!d.bitmap) return refused(ImageProblem::NoBitmap);
    d.width = img.width;
    d.height = img.height;
    d.bits_per_pixel = img.bits_per_pixel;
    d.sets_tpage = true;
    d.tpage = img.tpage;
    d.clut_attribute = img.clut_attribute;
    d.placed = true;
    d.frame_buffer = std::move(decoded.image);
    d.frame_buffer.bits.clear();
    d.frame_buffer.colour_table.clear();
    return d;
}

// ---- PNG, through the system's image decoder --------------------------------------------------

DecodedImage png_refused(PngRefusal why) {
    DecodedImage d = refused(ImageProblem::PngRefused);
    d.png_refusal = why;
    return d;
}

// GDI+ runs for one decode and is shut down after it: images are decoded now and then, and
// nothing of GDI+ outlives the decode.
class GdiplusSession {
  public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (started_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool started() const { return started_; }

  private:
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

// The system's bitmap of a file, disposed of with this object.
class SystemBitmap {
  public:
    explicit SystemBitmap(const char* path) {
        // A path of at most 511 CP932 bytes has at most 511 characters.
        WCHAR wide[kPathSize];
        if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, kPathSize) > 0)
            gdip::GdipCreateBitmapFromFile(wide, &bitmap_);
    }
    ~SystemBitmap() {
        if (bitmap_) gdip::GdipDisposeImage(bitmap_);
    }
    SystemBitmap(const SystemBitmap&) = delete;
    SystemBitmap& operator=(const SystemBitmap&) = delete;
    Gdiplus::GpBitmap* get() const { return bitmap_; }

  private:
    Gdiplus::GpBitmap* bitmap_ = nullptr;
};

// A bitmap's pixels locked for reading in one format, unlocked with this object.
class LockedPixels {
  public:
    LockedPixels(Gdiplus::GpBitmap* bitmap, int w, int h, Gdiplus::PixelFormat format) : bitmap_(bitmap) {
        Gdiplus::GpRect whole(0, 0, w, h);
        held_ = gdip::GdipBitmapLockBits(bitmap, &whole, Gdiplus::ImageLockModeRead, format, &data_) ==
                Gdiplus::Ok;
        locked_ =
            held_ && static_cast<int>(data_.Width) == w && static_cast<int>(data_.Height) == h && data_.Scan0;
    }
    ~LockedPixels() {
        if (held_) gdip::GdipBitmapUnlockBits(bitmap_, &data_);
    }
    LockedPixels(const LockedPixels&) = delete;
    LockedPixels& operator=(const LockedPixels&) = delete;
    bool locked() const { return locked_; }
    const uint8_t* row(int y) const {
        return static_cast<const uint8_t*>(data_.Scan0) + static_cast<ptrdiff_t>(y) * data_.Stride;
    }
    uint32_t argb(int x, int y) const {
        uint32_t v = 0;
        std::memcpy(&v, row(y) + 4 * x, 4);
        return v;
    }

  private:
    Gdiplus::GpBitmap* bitmap_;
    Gdiplus::BitmapData data_{};
    bool held_ = false;    // the system holds the lock
    bool locked_ = false;  // and it gave the whole bitmap
};

// A palette image's indices, one byte each, rows top first.
using Indices = std::vector<uint8_t>;

// The indices as the system's decoder hands them out, in its own indexed format.
bool indices_as_given(Gdiplus::GpBitmap* bitmap, int w, int h, Gdiplus::PixelFormat format, Indices& out) {
    const int bits = static_cast<int>(Gdiplus::GetPixelFormatSize(format));
    if (bits != 1 && bits != 4 && bits != 8) return false;
    const LockedPixels pixels(bitmap, w, h, format);
    if (!pixels.locked()) return false;
    const int per_byte = 8 / bits, mask = (1 << bits) - 1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int shift = (per_byte - 1 - x % per_byte) * bits;
            out.push_back(static_cast<uint8_t>((pixels.row(y)[x / per_byte] >> shift) & mask));
        }
    return true;
}

// The indices of a palette image the decoder gave as colours (a tRNS chunk, or 2 bits per
// pixel, makes it do so): each colour is looked up in the file's palette.
bool indices_by_colour(Gdiplus::GpBitmap* bitmap, int w, int h, const std::vector<uint32_t>& palette,
                       Indices& out) {
    const LockedPixels pixels(bitmap, w, h, PixelFormat32bppARGB);
    if (!pixels.locked()) return false;
    const png_file::PaletteLookup lookup(palette);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.push_back(static_cast<uint8_t>(lookup.index_of(pixels.argb(x, y))));
    return true;
}

// A 4-bit DIB for up to 16 colours, else an 8-bit one, with the palette in its order.
HBITMAP palette_dib(int w, int h, const std::vector<uint32_t>& palette, const Indices& indices, int* bpp) {
    *bpp = palette.size() <= 16 ? 4 : 8;
    std::vector<RGBQUAD> colours;
    for (uint32_t c : palette)
        colours.push_back(
            RGBQUAD{static_cast<BYTE>(c), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c >> 16), 0});
    void* bits = nullptr;
    HBITMAP dib = top_down_dib(w, h, *bpp, colours.data(), colours.size(), &bits);
    if (!dib) return nullptr;
    const int stride = dib_stride(w, *bpp);
    auto* rows = static_cast<uint8_t*>(bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t index = indices[static_cast<size_t>(y) * w + x];
            uint8_t* at = rows + static_cast<size_t>(y) * stride;
            // The first pixel of a 4-bit byte is its high nibble; the byte is written whole there.
            if (*bpp == 8)
                at[x] = index;
            else if (x % 2 == 0)
                at[x / 2] = static_cast<uint8_t>(index << 4);
            else
                at[x / 2] |= index;
        }
    return dib;
}

// A 16-bit 5-5-5 DIB of the decoded colours.
HBITMAP direct_colour_dib(const LockedPixels& pixels, int w, int h) {
    void* bits = nullptr;
    HBITMAP dib = top_down_dib(w, h, 16, nullptr, 0, &bits);
    if (!dib) return nullptr;
    const int stride = dib_stride(w, 16);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = static_cast<uint8_t*>(bits) + static_cast<size_t>(y) * stride;
        for (int x = 0; x < w; ++x) {
            const uint16_t v = png_file::rgb555_of(pixels.argb(x, y));
            row[2 * x] = static_cast<uint8_t>(v);
            row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
        }
    }
    return dib;
}

DecodedImage png_image(HBITMAP dib, int w, int h, int bpp) {
    if (!dib) return refused(ImageProblem::NoBitmap);
    DecodedImage d;
    d.bitmap = dib;
    d.width = w;
    d.height = h;
    d.bits_per_pixel = bpp;
    d.sets_tpage = true;
    d.tpage = static_cast<uint32_t>(colour_mode_for_depth(bpp)) << 7;
    return d;
}

// What the file's header says, before the decoder is asked for a single pixel.
DecodedImage refusal_of_header(FileRead read, size_t size, const png_file::HeaderResult& header) {
    if (read == FileRead::CannotOpen) return refused(ImageProblem::CannotOpen);
    if (read != FileRead::Done) return png_refused(PngRefusal::Broken);
    if (size > kMaxPngFileBytes) return png_refused(PngRefusal::FileTooLarge);
    if (header.error == png_file::HeaderError::NotPng) return png_refused(PngRefusal::NotPng);
    if (header.error != png_file::HeaderError::None) return png_refused(PngRefusal::Broken);
    if (header.header.width > kMaxBmpSide || header.header.height > kMaxBmpSide)
        return refused(ImageProblem::TooLarge);
    if (!png_file::compressed_data_fits(header.header)) return png_refused(PngRefusal::DataTooLarge);
    return DecodedImage{};
}

DecodedImage decode_png_file(const char* path) {
    std::vector<uint8_t> bytes;
    // One byte more than the limit tells a file beyond it from one just at it.
    const FileRead read = read_file_bytes(path, bytes, kMaxPngFileBytes + 1);
    const png_file::HeaderResult header = png_file::read_png_header(bytes);
    const DecodedImage early = refusal_of_header(read, bytes.size(), header);
    if (early.problem != ImageProblem::None) return early;
    const GdiplusSession gdiplus;
    if (!gdiplus.started()) return png_refused(PngRefusal::NoDecoder);
    const SystemBitmap bitmap(path);
    UINT w = 0, h = 0;
    Gdiplus::PixelFormat format = PixelFormatUndefined;
    if (!bitmap.get() || gdip::GdipGetImageWidth(bitmap.get(), &w) != Gdiplus::Ok ||
        gdip::GdipGetImageHeight(bitmap.get(), &h) != Gdiplus::Ok ||
        gdip::GdipGetImagePixelFormat(bitmap.get(), &format) != Gdiplus::Ok || w != header.header.width ||
        h != header.header.height)
        return png_refused(PngRefusal::Broken);
    const int width = static_cast<int>(w), height = static_cast<int>(h);
    if (header.header.colour_type != png_file::kColourTypePalette) {
        const LockedPixels pixels(bitmap.get(), width, height, PixelFormat32bppARGB);
        if (!pixels.locked()) return png_refused(PngRefusal::Broken);
        return png_image(direct_colour_dib(pixels, width, height), width, height, 16);
    }
    // The palette is the file's: the decoder may hand the indices out as they are, or only
    // their colours.
    const std::vector<uint32_t>& palette = header.header.palette;
    Indices indices;
    const bool read_indices = Gdiplus::IsIndexedPixelFormat(format)
                                  ? indices_as_given(bitmap.get(), width, height, format, indices)
                                  : indices_by_colour(bitmap.get(), width, height, palette, indices);
    const bool in_palette =
        std::all_of(indices.begin(), indices.end(), [&](uint8_t i) { return i < palette.size(); });
    if (!read_indices || !in_palette) return png_refused(PngRefusal::Broken);
    int bpp = 0;
    HBITMAP dib = palette_dib(width, height, palette, indices, &bpp);
    return png_image(dib, width, height, bpp);
}

const char* png_refusal(PngRefusal why) {
    switch (why) {
        case PngRefusal::NotPng: return "PNGﾌｧｲﾙではありません.\nﾌｧｲﾙの内容を確認してください.";
        case PngRefusal::FileTooLarge: return "16MBを超えるPNGﾌｧｲﾙは\nｻﾎﾟｰﾄしていません.";
        case PngRefusal::DataTooLarge:
            return "PNGﾌｧｲﾙの圧縮ﾃﾞｰﾀが画像の大きさを超えています.\n壊れたﾌｧｲﾙはｻﾎﾟｰﾄしていません.";
        case PngRefusal::NoDecoder: return "PNGﾌｧｲﾙを読み込めません.\nGDI+を開始できません.";
        case PngRefusal::Broken:
        case PngRefusal::None: break;
    }
    return "PNGﾌｧｲﾙが壊れています.\n壊れたﾌｧｲﾙはｻﾎﾟｰﾄしていません.";
}

const char* tim_refusal(tim::TimError e) {
    switch (e) {
        case tim::TimError::UnsupportedMode: return "このﾋﾟｸｾﾙﾓｰﾄﾞのTIMﾌｧｲﾙは\nｻﾎﾟｰﾄしていません.";
        case tim::TimError::ClutTooLarge: return "257色以上のCLUTを持つTIMﾌｧｲﾙは\nｻﾎﾟｰﾄしていません.";
        case tim::TimError::EmptyImage: return "幅または高さが0のｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません.";
        case tim::TimError::TooLarge: return "256pixel以上のｻｲｽﾞのｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません.";
        case tim::TimError::Truncated:
        case tim::TimError::PixelsShort:
        case tim::TimError::None: break;
    }
    return "TIMﾌｧｲﾙのﾃﾞｰﾀが不足しています.\n壊れたﾌｧｲﾙはｻﾎﾟｰﾄしていません.";
}

std::string with_path(const char* format, const char* path) {
    char text[kPathSize + 64];
    std::snprintf(text, sizeof text, format, path);
    return text;
}

}  // namespace

int colour_mode_for_depth(int bits_per_pixel) {
    switch (bits_per_pixel) {
        case 4: return 0;
        case 8: return 1;
        case 16: return 2;
        case 24: return 3;
        default: return -1;
    }
}

DecodedImage decode_image_file(const char* path) {
    const std::string_view p(path, strnlen(path, kPathSize));
    using Decoder = DecodedImage (*)(const char*);
    const std::pair<bool, Decoder> decoders[] = {{path_names_bmp(p), decode_bmp_file},
                                                 {path_names_tim(p), decode_tim_file},
                                                 {path_names_png(p), decode_png_file}};
    DecodedImage image = refused(ImageProblem::UnknownFormat);
    for (const auto& [named, decode] : decoders) {
        if (!named) continue;
        if (image.bitmap) DeleteObject(image.bitmap);
        image = decode(path);
        if (image.problem != ImageProblem::None) return image;
    }
    return image;
}

std::string image_refusal_text(const DecodedImage& image, const char* path) {
    switch (image.problem) {
        case ImageProblem::None: return "";
        case ImageProblem::UnknownFormat: return with_path("%s\nはｻﾎﾟｰﾄしていないﾌｧｲﾙ形式です.", path);
        case ImageProblem::CannotOpen: return with_path("%s\nが開けません.", path);
        case ImageProblem::TooFewColours: return "16色以下のｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません.";
        case ImageProblem::TooLarge: return "256pixel以上のｻｲｽﾞのｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません.";
        case ImageProblem::TimRefused: return tim_refusal(image.tim_error);
        case ImageProblem::PngRefused: return png_refusal(image.png_refusal);
        case ImageProblem::NoBitmap: return with_path("%s\nを読み込むﾒﾓﾘが足りません.", path);
    }
    return "";
}
