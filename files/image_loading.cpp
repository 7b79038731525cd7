// BMP files come through the system's bitmap loader, PNG files through its image
// decoder, TIM files through our own decoder; either way the pixels reach the working
// surface through its device context, so the display driver converts them to the
// display's format.
#include "files/image_loading.h"

#include <cstdio>
#include <cstring>

#include "project/app_state.h"
#include "display/file_dialogs.h"
#include "display/ddraw_errors.h"
#include "display/ddraw_sets.h"
#include "display/image_window.h"
#include "display/frame_drawing.h"
#include "files/image_decoding.h"
#include "files/console_sheet.h"
#include "display/frame_buffer_check.h"
#include "project/tables.h"

namespace {

// What of the working image the console's view needs, from the load that made it.
SheetSource g_working_sheet;

constexpr char kCaption[] = "ｲﾒｰｼﾞﾌｧｲﾙのｵｰﾌﾟﾝ";

void refuse(const char* text) {
    MessageBoxA(g_app.main_window, text, kCaption, MB_OK | MB_ICONERROR);
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

// The decoded image becomes the working image: new surfaces, a fresh view, the
// attributes the file gives, then its pixels in the display's format.
bool take_working_image(const DecodedImage& image) {
    if (!make_working_surfaces(image.width, image.height)) return false;
    reset_image_window_view(image.width, image.height);
    if (image.sets_tpage) g_tables.data.header.tpage = image.tpage;
    g_tables.clut_attribute = image.clut_attribute;
    if (!display_depth_ok()) return false;
    copy_bitmap_into_surface(g_image_set.working_surface, image.bitmap, image.width, image.height);
    refresh_pattern_image_copies();
    return true;
}

}  // namespace

bool load_image(const char* path) {
    DecodedImage image = decode_image_file(path);
    return load_decoded_image(image, path);
}

void show_image_refusal(const DecodedImage& image, const char* path) {
    refuse(image_refusal_text(image, path).c_str());
}

bool load_decoded_image(DecodedImage& image, const char* path) {
    if (image.problem == ImageProblem::CannotOpen) return retry_with_another(path);
    if (image.problem != ImageProblem::None) {
        show_image_refusal(image, path);
        return false;
    }
    const bool taken = take_working_image(image);
    if (taken) g_working_sheet = sheet_source_of(image);
    DeleteObject(image.bitmap);
    image.bitmap = nullptr;
    if (!taken) return false;
    g_tables.client_size[kImageWindowSlot] = WindowSize{kImageClientSize, kImageClientSize};
    SendMessageA(g_app.image_window, WM_INITDIALOG, 0, 0);
    SendMessageA(g_app.image_window, WM_SIZE, 0, MAKELPARAM(kImageClientSize, kImageClientSize));
    show_image_window();
    report_sheet_problems(path);
    return true;
}

const SheetSource& working_sheet() {
    return g_working_sheet;
}
