// BMP files come through the system's bitmap loader, TIM files through our own
// decoder; either way the pixels reach the working surface through its device
// context, so the display driver converts them to the display's format.
#include "files/image_loading.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "display/ddraw_errors.h"
#include "display/ddraw_sets.h"
#include "display/image_window.h"
#include "files/file_io.h"
#include "files/tim.h"
#include "project/dbcs_text.h"
#include "project/tables.h"

namespace {

constexpr char kCaption[] = "ｲﾒｰｼﾞﾌｧｲﾙのｵｰﾌﾟﾝ";
constexpr int kMaxBmpSide = 256;
// A TIM image of 256 x 256 pixels with the largest CLUT needs well under 1 MB;
// reading stops here so that a huge file cannot exhaust memory.
constexpr size_t kMaxTimFileBytes = 16u << 20;

void refuse(const char* text) {
    MessageBoxA(g_app.main_window, text, kCaption, MB_OK | MB_ICONERROR);
}

bool contains(const char* path, const char* needle) {
    return dbcs_find(std::string_view(path, strnlen(path, kPathSize)), needle) != std::string_view::npos;
}

// The file cannot be opened: say so and let the user pick another image.
bool retry_with_another(const char* path) {
    char text[kPathSize + 64];
    std::snprintf(text, sizeof text, "%s\nが開けません.\n別のｲﾒｰｼﾞﾌｧｲﾙを開きます.", path);
    MessageBoxA(g_app.main_window, text, kCaption, MB_OK | MB_ICONERROR);
    // Zeroed whole: all 512 bytes go into the name tables, and from there into the project file.
    char chosen[kPathSize] = {};
    if (!open_file_dialog(chosen, sizeof chosen, kImageFilter, "bmp")) return false;
    std::memcpy(g_tables.names.image_path, chosen, kPathSize);
    return load_image(chosen);
}

// Replaces the working image surfaces by new ones of w x h with colour key 0.
bool make_working_surfaces(int w, int h) {
    ImageSet& s = g_image_set;
    release_object(s.working_surface);
    release_object(s.selection_surface);
    HRESULT hr = create_offscreen_surface(s.ddraw, w, h, &s.working_surface);
    if (FAILED(hr)) {
        ddraw_error_report(g_app.main_window, hr);
        return false;
    }
    set_color_key(s.working_surface, 0);
    hr = create_offscreen_surface(s.ddraw, w, h, &s.selection_surface);
    if (FAILED(hr)) {
        ddraw_error_report(g_app.main_window, hr);
        return false;
    }
    set_color_key(s.selection_surface, 0);
    // The overlay must read as black until the first selection is drawn.
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    s.selection_surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    return true;
}

bool display_depth_ok() {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    const DWORD bits =
        g_image_set.working_surface && SUCCEEDED(g_image_set.working_surface->GetSurfaceDesc(&desc))
            ? desc.ddpfPixelFormat.dwRGBBitCount
            : 0;
    if (bits == 16 || bits == 24 || bits == 32) return true;
    refuse("256色以下の解像度は使用できません．\n");
    return false;
}

void copy_into_surface(HBITMAP bitmap, int w, int h) {
    HDC surface_dc = nullptr;
    if (FAILED(g_image_set.working_surface->GetDC(&surface_dc)) || !surface_dc) return;
    HDC memory = CreateCompatibleDC(surface_dc);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(surface_dc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    g_image_set.working_surface->ReleaseDC(surface_dc);
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

}  // namespace

bool load_image(const char* path) {
    const bool bmp = contains(path, ".bmp"), tim_file = contains(path, ".tim");
    if (!bmp && !tim_file) {
        // Without a format there is no image: loading such a path must fail, not look done.
        char text[kPathSize + 64];
        std::snprintf(text, sizeof text, "%s\nはｻﾎﾟｰﾄしていないﾌｧｲﾙ形式です.", path);
        refuse(text);
        return false;
    }
    if (bmp && !load_bmp(path)) return false;
    if (tim_file && !load_tim(path)) return false;
    g_tables.client_size[kImageWindowSlot] = WindowSize{kImageClientSize, kImageClientSize};
    SendMessageA(g_app.image_window, WM_INITDIALOG, 0, 0);
    SendMessageA(g_app.image_window, WM_SIZE, 0, MAKELPARAM(kImageClientSize, kImageClientSize));
    ShowWindow(g_app.image_window, SW_SHOW);
    return true;
}

bool load_bmp(const char* path) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap) return retry_with_another(path);
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    if (info.bmBitsPixel < 4) {
        DeleteObject(bitmap);
        refuse("16色以下のｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません.");
        return false;
    }
    if (info.bmWidth > kMaxBmpSide || info.bmHeight > kMaxBmpSide || info.bmHeight < -kMaxBmpSide) {
        DeleteObject(bitmap);
        refuse("256pixel以上のｻｲｽﾞのｲﾒｰｼﾌｧｲﾙは\nｻﾎﾟｰﾄしていません.");
        return false;
    }
    const int w = info.bmWidth, h = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    if (!make_working_surfaces(w, h)) {
        DeleteObject(bitmap);
        return false;
    }
    reset_image_window_view(w, h);
    switch (info.bmBitsPixel) {
        case 4: g_tables.data.header.tpage = 0x000; break;
        case 8: g_tables.data.header.tpage = 0x080; break;
        case 16: g_tables.data.header.tpage = 0x100; break;
        case 24: g_tables.data.header.tpage = 0x180; break;
        default: break;  // 32 bits: the target has no such colour mode
    }
    g_tables.clut_attribute = 0;
    if (!display_depth_ok()) {
        DeleteObject(bitmap);
        return false;
    }
    copy_into_surface(bitmap, w, h);
    DeleteObject(bitmap);
    return true;
}

bool load_tim(const char* path) {
    std::vector<uint8_t> bytes;
    const FileRead result = read_file_bytes(path, bytes, kMaxTimFileBytes);
    if (result == FileRead::CannotOpen) return retry_with_another(path);
    const bool read = result == FileRead::Done;
    // The whole file is checked before anything changes: a refused file leaves the
    // previous image, its view and the attributes as they were.
    const tim::TimResult decoded =
        read ? tim::decode_tim(bytes) : tim::TimResult{tim::TimError::Truncated, {}};
    if (decoded.error != tim::TimError::None) {
        refuse(tim_refusal(decoded.error));
        return false;
    }
    const tim::TimImage& img = decoded.image;
    if (!make_working_surfaces(img.width, img.height)) return false;

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

    HDC surface_dc = nullptr;
    void* bits = nullptr;
    HBITMAP dib = nullptr;
    if (SUCCEEDED(g_image_set.working_surface->GetDC(&surface_dc)) && surface_dc) {
        dib = CreateDIBSection(surface_dc, info, DIB_RGB_COLORS, &bits, nullptr, 0);
        g_image_set.working_surface->ReleaseDC(surface_dc);
    }
    reset_image_window_view(img.width, img.height);
    g_tables.data.header.tpage = img.tpage;
    g_tables.clut_attribute = img.clut_attribute;
    if (!display_depth_ok() || !dib || !bits) {
        if (dib) DeleteObject(dib);
        return false;
    }
    std::memcpy(bits, img.bits.data(), img.bits.size());
    copy_into_surface(dib, img.width, img.height);
    DeleteObject(dib);
    return true;
}
