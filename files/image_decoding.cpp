// Image files to device-independent bitmaps. Nothing here touches a surface or a
// window: the caller decides what a decoded image becomes.
#include "files/image_decoding.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "files/file_io.h"
#include "files/project_data.h"
#include "project/tables.h"

namespace {

constexpr int kMaxBmpSide = 256;
// A TIM image of 256 x 256 pixels with the largest CLUT needs well under 1 MB;
// reading stops here so that a huge file cannot exhaust memory.
constexpr size_t kMaxTimFileBytes = 16u << 20;

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

// The decoded TIM as a top-down DIB section of its own depth with its CLUT row
// as the colour table.
HBITMAP tim_bitmap(const tim::TimImage& img) {
    // Room for 256 colour entries whatever the CLUT holds, so the DIB never reads past the table.
    std::vector<uint8_t> info_bytes(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    BITMAPINFO* info = reinterpret_cast<BITMAPINFO*>(info_bytes.data());
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = img.width;
    info->bmiHeader.biHeight = -img.height;  // top-down rows
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = static_cast<WORD>(img.bits_per_pixel);
    info->bmiHeader.biCompression = BI_RGB;
    if (!img.colour_table.empty())
        std::memcpy(info_bytes.data() + sizeof(BITMAPINFOHEADER), img.colour_table.data(),
                    img.colour_table.size());
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) DeleteObject(dib);
        return nullptr;
    }
    std::memcpy(bits, img.bits.data(), img.bits.size());
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
    const bool bmp = path_names_bmp(p), tim_file = path_names_tim(p);
    if (!bmp && !tim_file) return refused(ImageProblem::UnknownFormat);
    DecodedImage image;
    if (bmp) {
        image = decode_bmp_file(path);
        if (image.problem != ImageProblem::None || !tim_file) return image;
        DeleteObject(image.bitmap);
    }
    return decode_tim_file(path);
}

std::string image_refusal_text(const DecodedImage& image, const char* path) {
    switch (image.problem) {
        case ImageProblem::None: return "";
        case ImageProblem::UnknownFormat: return with_path("%s\nはｻﾎﾟｰﾄしていないﾌｧｲﾙ形式です.", path);
        case ImageProblem::CannotOpen: return with_path("%s\nが開けません.", path);
        case ImageProblem::TooFewColours: return "16色以下のｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません.";
        case ImageProblem::TooLarge: return "256pixel以上のｻｲｽﾞのｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません.";
        case ImageProblem::TimRefused: return tim_refusal(image.tim_error);
        case ImageProblem::NoBitmap: return with_path("%s\nを読み込むﾒﾓﾘが足りません.", path);
    }
    return "";
}
