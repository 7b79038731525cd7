// The DirectDraw set of every window that shows pictures: its own DirectDraw
// object, a primary surface with a clipper bound to the window, and an
// off-screen canvas on which each picture is composed. The image window's
// object also owns the working image and its selection overlay.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

// The image window's set; an empty slot holds nullptr.
struct ImageSet {
    LPDIRECTDRAW ddraw;
    LPDIRECTDRAWSURFACE primary;
    LPDIRECTDRAWCLIPPER clipper;
    LPDIRECTDRAWSURFACE canvas;             // the zoomed client size of the image window
    LPDIRECTDRAWSURFACE working_surface;    // the loaded image
    LPDIRECTDRAWSURFACE selection_surface;  // the selection overlay, black but for its outline
};
extern ImageSet g_image_set;

// Start-up: object, cooperative level, primary, canvas at the image window's
// client size, clipper bound to the window. False ends the program; surface
// failures have been reported, the others fail silently.
bool create_image_window_set(HWND image_window);

// Pattern window p's set (the per-pattern slots of the tables): canvas at its
// client size, base surface at its base frame size. Surface failures are reported
// to `window`; whatever was made stays in its slot.
bool create_pattern_window_set(HWND window, int p);

// Pattern p's copy of the working image (none while no image is loaded), keyed as the
// working image is, so that the still display's blits stay within one DirectDraw object.
// Made with the set and again whenever an image is loaded.
HRESULT recreate_pattern_image_copy(int p);
// After an image load: every open pattern set copies the new image; failures are reported.
void refresh_pattern_image_copies();

// Releases what pattern set p holds (image copy, clipper, base, canvas, primary, object)
// and empties its slots; a second call finds nothing to do.
void release_pattern_window_set(int p);

// Program end: the working image, the image window's set and every pattern set.
void release_everything();

// Counts the surfaces made so far. A picture composed while it had another value may
// come from surfaces that have since been replaced (a new image, a new canvas).
uint64_t surface_generation();

// An off-screen system-memory surface of w x h in the display's pixel format.
HRESULT create_offscreen_surface(LPDIRECTDRAW ddraw, DWORD w, DWORD h, LPDIRECTDRAWSURFACE* surface);

// Replaces *canvas by a new off-screen surface of w x h; on failure the slot is empty.
HRESULT recreate_canvas(LPDIRECTDRAW ddraw, LPDIRECTDRAWSURFACE* canvas, DWORD w, DWORD h);

// Replaces pattern p's base surface by one of its current base frame size; a failure
// is reported to the main window. A pattern without a window has no set: nothing to do.
bool recreate_base_surface(int p);

// Source-blit colour key low = high = value.
HRESULT set_color_key(LPDIRECTDRAWSURFACE surface, DWORD value);

// Restores a primary surface the system has taken away (a display mode change);
// true when it had been lost, so that what it showed must be drawn again.
bool restore_if_lost(LPDIRECTDRAWSURFACE primary);

// Copies the canvas part (x, y, x + w, y + h) onto the window's client area (0, 0, w, h).
void copy_to_screen(HWND window, LPDIRECTDRAWSURFACE primary, LPDIRECTDRAWSURFACE canvas, int x, int y, int w,
                    int h);

template <typename T>
void release_object(T*& slot) {
    if (slot) slot->Release();
    slot = nullptr;
}
