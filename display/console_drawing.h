// One frame of a pattern drawn on its base frame by the console's rules rather than the
// editor's: the console reads the frame's texels u, v from the corner of the texture
// page the data file's tpage names, in that word's colour mode, looks CLUT indices up
// where the frame record's CLUT attribute points, never draws the word 0x0000, and
// blends a texel whose STP bit (bit 15) is set with what lies below by the tpage's
// semi-transparency mode, per 5-bit channel and clamped to 0..31:
//   0: (B + F) / 2 (rounded down)   1: B + F   2: B - F   3: B + F / 4 (F / 4 rounded down)
// Every other texel is drawn as it is. The sprite is drawn as a game draws it with
// semi-transparency on; mirrored where the flips say, at the mirror image of its place
// across the base frame as the running display puts it. Texels the sheet does not cover
// (a tpage naming another page, a CLUT attribute pointing past the CLUT) are frame-buffer
// contents the sheet does not give: they are left undrawn.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <cstdint>
#include <vector>

#include "files/tim.h"
#include "project/tables.h"

// What a game draws for one frame, as the editor holds it.
struct ConsoleFrame {
    uint32_t tpage = 0;    // page, semi-transparency mode and colour mode
    FrameRecord record{};  // its texels (image_x, image_y, image_w, image_h), clut and correction
    uint8_t flips = 0;     // kFlipLeftRight | kFlipTopBottom
    uint16_t base_w = 0, base_h = 0;
    uint16_t background = 0;  // the base frame's colour as a 15-bit word
};

// The base frame as the console leaves it: base_w x base_h 15-bit colours (bit 15
// clear), top row first. sheet: the frame-buffer fields of the picture as a TIM places
// it (files/console_sheet.h gives one for a picture without a place). A tpage in the
// 24-bit mode draws nothing: such pictures are no sprites.
std::vector<uint16_t> draw_console_frame(const tim::TimImage& sheet, const ConsoleFrame& frame);
// The same frame drawn over a base frame that holds something already (the frames drawn before
// it, as the still display lays them over each other): base holds frame.base_w x frame.base_h
// colours; its background is left as it is.
void draw_console_sprite(const tim::TimImage& sheet, const ConsoleFrame& frame, std::vector<uint16_t>& base);

// What a texel with the STP bit does to the colour below it in semi-transparency mode
// 0..3 (the STP bits of both are ignored; the result has none).
uint16_t blend_console_colours(uint16_t below, uint16_t texel, int mode);

// The picture (w x h 15-bit colours) into the surface's top-left corner through its
// device context, each channel widened to 8 bits as the TIM loader widens it.
void copy_console_picture_into_surface(LPDIRECTDRAWSURFACE surface, const std::vector<uint16_t>& picture,
                                       int w, int h);
// The bitmap those copies go through, kept between them, given back with the surfaces.
void release_console_picture_bitmap();
