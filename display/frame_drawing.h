// The drawing the running display and the command-line tool share: the working
// image taken into a surface, and one frame of a pattern drawn on its base frame as
// the running display shows it. Only the SDK's DirectDraw and GDI calls, so the tool
// draws on the same software surfaces with the same blits and never shows anything
// the editor would not.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>

#include "project/tables.h"

// Fills the whole surface with the colour of fx (DDBLT_COLORFILL); a null surface
// is left alone.
void fill_surface(LPDIRECTDRAWSURFACE surface, DDBLTFX* fx);

// Copies the bitmap's (0, 0, w, h) to the surface's top-left corner through the
// surface's device context, so GDI converts the pixels to the surface's format.
void copy_bitmap_into_surface(LPDIRECTDRAWSURFACE surface, HBITMAP bitmap, int w, int h);
// The other way: the surface's (0, 0, w, h) into the bitmap, converted to its format.
void copy_surface_into_bitmap(LPDIRECTDRAWSURFACE surface, HBITMAP bitmap, int w, int h);

// One picture of the running display: the base surface filled with the background,
// then frame r (none when null) copied from the working image by StretchBlt, unkeyed,
// mirrored by negative extents where flip_flags ask (kFlipLeftRight, kFlipTopBottom)
// so that it lands at its mirrored place on a base frame of base_w x base_h.
void draw_running_picture(LPDIRECTDRAWSURFACE base, LPDIRECTDRAWSURFACE working, DDBLTFX* background,
                          const FrameRecord* r, uint8_t flip_flags, uint16_t base_w, uint16_t base_h);
