// DirectDraw in software: what the rest of the layer and the tests reach beside the
// SDK interfaces of <ddraw.h>.
#pragma once

#include <ddraw.h>

#include "gdi/pixels.h"

namespace cw::ddraw {

// The display changed (mode, depth, or a window moved to another screen): every
// primary surface is lost until it is restored, as with a real display driver.
void display_changed();

// The depth new surfaces take when no pixel format is given: the display's
// (cw::qt::display_bits_per_pixel), unless a test set another (0 resets).
int surface_bits_per_pixel();
void set_surface_bits_per_pixel(int bpp);

// The pixels of an off-screen surface (empty for a primary or a pointer that is no
// live surface), for read-back in tests and automation.
cw::gdi::PixelBuffer surface_pixels(LPDIRECTDRAWSURFACE surface);

}  // namespace cw::ddraw
