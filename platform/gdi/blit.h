// The one blitter behind BitBlt, StretchBlt and DirectDraw's Blt: nearest-neighbour
// stretching between two pixel buffers, mirrored on request, clipped to a rectangle of
// the destination, converting the pixels when the formats differ.
#pragma once

#include "gdi/pixels.h"

namespace cw::gdi {

enum class BlitOp { Copy, Xor };

struct Blit {
    const PixelBuffer* dst = nullptr;
    RECT dst_rect{};  // ordered (left < right, top < bottom)
    const PixelBuffer* src = nullptr;
    RECT src_rect{};  // ordered; the parts outside the source leave the destination as it was
    bool mirror_x = false;
    bool mirror_y = false;
    RECT clip{};  // on the destination; only pixels inside it (and inside the buffer) change
    BlitOp op = BlitOp::Copy;
    bool keyed = false;  // source pixels whose raw value equals key are not drawn
    uint32_t key = 0;
    // Set in every destination pixel of the rectangle (the unused top byte of a
    // window's pixels, which must show opaque); 0 leaves the pixels as drawn.
    uint32_t set_bits = 0;
};

void blit(const Blit& b);

// The widest vectors blit may use, in bytes (16, 32 or 64; 0, the default, for the widest
// the processor has): 16 keeps it on the loops every processor runs, so that tests can
// compare each kind with a plain per-pixel blit on a machine that has them all.
void limit_vector_bytes(int bytes);

// Orders a GDI extent: (x, cx) with a negative cx covers [x + cx, x) and mirrors.
inline void order_extent(int x, int cx, LONG* lo, LONG* hi, bool* mirrored) {
    *mirrored = cx < 0;
    *lo = cx < 0 ? x + cx : x;
    *hi = cx < 0 ? x : x + cx;
}

}  // namespace cw::gdi
