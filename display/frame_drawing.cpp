#include "display/frame_drawing.h"

#include "display/playback_rules.h"

void fill_surface(LPDIRECTDRAWSURFACE surface, DDBLTFX* fx) {
    if (surface) surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, fx);
}

namespace {

// Copies (0, 0, w, h) between the surface's device context and a memory context that
// holds the bitmap, in either direction.
void blit_with_bitmap(LPDIRECTDRAWSURFACE surface, HBITMAP bitmap, int w, int h, bool into_surface) {
    HDC surface_dc = nullptr;
    if (!surface || !bitmap || FAILED(surface->GetDC(&surface_dc)) || !surface_dc) return;
    HDC memory = CreateCompatibleDC(surface_dc);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    if (into_surface)
        BitBlt(surface_dc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
    else
        BitBlt(memory, 0, 0, w, h, surface_dc, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    surface->ReleaseDC(surface_dc);
}

}  // namespace

void copy_bitmap_into_surface(LPDIRECTDRAWSURFACE surface, HBITMAP bitmap, int w, int h) {
    blit_with_bitmap(surface, bitmap, w, h, true);
}

void copy_surface_into_bitmap(LPDIRECTDRAWSURFACE surface, HBITMAP bitmap, int w, int h) {
    blit_with_bitmap(surface, bitmap, w, h, false);
}

void draw_running_picture(LPDIRECTDRAWSURFACE base, LPDIRECTDRAWSURFACE working, DDBLTFX* background,
                          const FrameRecord* r, uint8_t flip_flags, uint16_t base_w, uint16_t base_h) {
    fill_surface(base, background);
    if (!base || !working || !r) return;
    const StretchDestination d = running_destination(flip_flags, *r, base_w, base_h);
    HDC base_dc = nullptr, working_dc = nullptr;
    base->GetDC(&base_dc);
    working->GetDC(&working_dc);
    // GDI clips the frame to the base frame and to the working image.
    if (base_dc && working_dc)
        StretchBlt(base_dc, d.x, d.y, d.w, d.h, working_dc, r->image_x, r->image_y, r->image_w, r->image_h,
                   SRCCOPY);
    if (base_dc) base->ReleaseDC(base_dc);
    if (working_dc) working->ReleaseDC(working_dc);
}
