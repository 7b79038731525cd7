// Creation, replacement and release of the DirectDraw sets.
#include "display/ddraw_sets.h"

#include <cstring>

#include "project/app_state.h"
#include "display/console_drawing.h"
#include "display/ddraw_errors.h"
#include "project/tables.h"

ImageSet g_image_set;

namespace {

uint64_t g_surface_generation = 0;

HRESULT create_primary(LPDIRECTDRAW ddraw, LPDIRECTDRAWSURFACE* surface) {
    ++g_surface_generation;
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    return ddraw->CreateSurface(&desc, surface, nullptr);
}

// Copies the whole of one surface onto another through their device contexts, which works
// between surfaces of different DirectDraw objects as a Blt does not.
void copy_through_gdi(LPDIRECTDRAWSURFACE to, LPDIRECTDRAWSURFACE from) {
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    if (FAILED(from->GetSurfaceDesc(&desc))) return;
    HDC to_dc = nullptr, from_dc = nullptr;
    to->GetDC(&to_dc);
    from->GetDC(&from_dc);
    if (to_dc && from_dc)
        BitBlt(to_dc, 0, 0, static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight), from_dc, 0, 0,
               SRCCOPY);
    if (from_dc) from->ReleaseDC(from_dc);
    if (to_dc) to->ReleaseDC(to_dc);
}

// Clipper bound to the window and attached to the primary.
bool attach_clipper(LPDIRECTDRAW ddraw, HWND window, LPDIRECTDRAWSURFACE primary,
                    LPDIRECTDRAWCLIPPER* clipper) {
    if (FAILED(ddraw->CreateClipper(0, clipper, nullptr))) return false;
    if (FAILED((*clipper)->SetHWnd(0, window))) return false;
    return SUCCEEDED(primary->SetClipper(*clipper));
}

}  // namespace

uint64_t surface_generation() {
    return g_surface_generation;
}

HRESULT create_offscreen_surface(LPDIRECTDRAW ddraw, DWORD w, DWORD h, LPDIRECTDRAWSURFACE* surface) {
    ++g_surface_generation;
    *surface = nullptr;
    if (!ddraw) return DDERR_INVALIDOBJECT;
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = w;
    desc.dwHeight = h;
    const HRESULT hr = ddraw->CreateSurface(&desc, surface, nullptr);
    if (FAILED(hr)) *surface = nullptr;
    return hr;
}

bool create_image_window_set(HWND image_window) {
    ImageSet& s = g_image_set;
    if (FAILED(DirectDrawCreate(nullptr, &s.ddraw, nullptr))) {
        s.ddraw = nullptr;
        return false;
    }
    if (FAILED(s.ddraw->SetCooperativeLevel(image_window, DDSCL_NORMAL))) return false;
    HRESULT hr = create_primary(s.ddraw, &s.primary);
    if (FAILED(hr)) {
        s.primary = nullptr;
        ddraw_error_report(image_window, hr);
        return false;
    }
    const WindowSize& c = g_tables.client_size[kImageWindowSlot];
    hr = create_offscreen_surface(s.ddraw, c.width, c.height, &s.canvas);
    if (FAILED(hr)) {
        ddraw_error_report(image_window, hr);
        return false;
    }
    return attach_clipper(s.ddraw, image_window, s.primary, &s.clipper);
}

bool create_pattern_window_set(HWND window, int p) {
    if (p < 0 || p >= kMaxPatterns) return false;
    Tables& t = g_tables;
    if (FAILED(DirectDrawCreate(nullptr, &t.pattern_ddraw[p], nullptr))) {
        t.pattern_ddraw[p] = nullptr;
        return false;
    }
    if (FAILED(t.pattern_ddraw[p]->SetCooperativeLevel(window, DDSCL_NORMAL))) return false;
    HRESULT hr = create_primary(t.pattern_ddraw[p], &t.pattern_primary[p]);
    if (FAILED(hr)) {
        t.pattern_primary[p] = nullptr;
        ddraw_error_report(window, hr);
        return false;
    }
    hr = create_offscreen_surface(t.pattern_ddraw[p], t.client_size[p].width, t.client_size[p].height,
                                  &t.pattern_canvas[p]);
    if (FAILED(hr)) {
        ddraw_error_report(window, hr);
        return false;
    }
    hr = create_offscreen_surface(t.pattern_ddraw[p], t.settings[p].base_w, t.settings[p].base_h,
                                  &t.pattern_base_surface[p]);
    if (FAILED(hr)) {
        ddraw_error_report(window, hr);
        return false;
    }
    if (!attach_clipper(t.pattern_ddraw[p], window, t.pattern_primary[p], &t.pattern_clipper[p]))
        return false;
    hr = recreate_pattern_image_copy(p);
    if (FAILED(hr)) {
        ddraw_error_report(window, hr);
        return false;
    }
    return true;
}

HRESULT recreate_pattern_image_copy(int p) {
    if (p < 0 || p >= kMaxPatterns) return DDERR_INVALIDPARAMS;
    Tables& t = g_tables;
    release_object(t.pattern_image_copy[p]);
    LPDIRECTDRAWSURFACE working = g_image_set.working_surface;
    if (!t.pattern_ddraw[p] || !working) return DD_OK;
    DDSURFACEDESC desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = sizeof desc;
    HRESULT hr = working->GetSurfaceDesc(&desc);
    if (FAILED(hr)) return hr;
    hr = create_offscreen_surface(t.pattern_ddraw[p], desc.dwWidth, desc.dwHeight, &t.pattern_image_copy[p]);
    if (FAILED(hr)) return hr;
    copy_through_gdi(t.pattern_image_copy[p], working);
    set_color_key(t.pattern_image_copy[p], 0);
    return DD_OK;
}

void refresh_pattern_image_copies() {
    for (int p = 0; p < kMaxPatterns; ++p) {
        if (!g_tables.pattern_ddraw[p]) continue;
        const HRESULT hr = recreate_pattern_image_copy(p);
        if (FAILED(hr)) ddraw_error_report(g_tables.pattern_window[p], hr);
    }
}

void release_pattern_window_set(int p) {
    if (p < 0 || p >= kMaxPatterns) return;
    Tables& t = g_tables;
    release_object(t.pattern_image_copy[p]);
    release_object(t.pattern_clipper[p]);
    release_object(t.pattern_base_surface[p]);
    release_object(t.pattern_canvas[p]);
    release_object(t.pattern_primary[p]);
    release_object(t.pattern_ddraw[p]);
}

void release_everything() {
    ImageSet& s = g_image_set;
    release_object(s.working_surface);
    release_object(s.selection_surface);
    release_object(s.clipper);
    release_object(s.canvas);
    release_object(s.primary);
    release_object(s.ddraw);
    for (int p = 0; p < kMaxPatterns; ++p) release_pattern_window_set(p);
    release_console_picture_bitmap();
}

HRESULT recreate_canvas(LPDIRECTDRAW ddraw, LPDIRECTDRAWSURFACE* canvas, DWORD w, DWORD h) {
    release_object(*canvas);
    return create_offscreen_surface(ddraw, w, h, canvas);
}

bool recreate_base_surface(int p) {
    if (p < 0 || p >= kMaxPatterns) return false;
    Tables& t = g_tables;
    release_object(t.pattern_base_surface[p]);
    if (!t.pattern_ddraw[p]) return true;  // made with the window when it opens again
    const HRESULT hr = create_offscreen_surface(t.pattern_ddraw[p], t.settings[p].base_w,
                                                t.settings[p].base_h, &t.pattern_base_surface[p]);
    if (FAILED(hr)) {
        ddraw_error_report(g_app.main_window, hr);
        return false;
    }
    return true;
}

HRESULT set_color_key(LPDIRECTDRAWSURFACE surface, DWORD value) {
    if (!surface) return DDERR_INVALIDOBJECT;
    DDCOLORKEY key{value, value};
    return surface->SetColorKey(DDCKEY_SRCBLT, &key);
}

bool restore_if_lost(LPDIRECTDRAWSURFACE primary) {
    if (!primary || primary->IsLost() != DDERR_SURFACELOST) return false;
    primary->Restore();
    return true;
}

void copy_to_screen(HWND window, LPDIRECTDRAWSURFACE primary, LPDIRECTDRAWSURFACE canvas, int x, int y, int w,
                    int h) {
    if (!primary || !canvas) return;
    POINT top_left{0, 0}, bottom_right{w, h};
    ClientToScreen(window, &top_left);
    ClientToScreen(window, &bottom_right);
    RECT dst{top_left.x, top_left.y, bottom_right.x, bottom_right.y};
    RECT src{x, y, x + w, y + h};
    primary->Blt(&dst, canvas, &src, DDBLT_WAIT, nullptr);
}
