#include "display/panel_rules.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace {

// An 8-bit component scaled to a channel of `mask`: its top bits, or repeated
// into the low bits of a channel wider than 8.
uint32_t place(uint32_t component, uint32_t mask) {
    const int width = std::popcount(mask);
    const int shift = std::countr_zero(mask);
    uint32_t v = 0;
    if (width <= 8) {
        v = component >> (8 - width);
    } else {
        for (int filled = 0; filled < width; filled += 8) v = (v << 8) | component;
        v >>= (((width + 7) / 8) * 8 - width);
    }
    return (v << shift) & mask;
}

}  // namespace

uint32_t colour_to_pixel(COLORREF c, uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask) {
    const uint32_t r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    if (!red_mask || !green_mask || !blue_mask) return r << 16 | g << 8 | b;
    return place(r, red_mask) | place(g, green_mask) | place(b, blue_mask);
}

uint16_t timing_from_text(const char* text) {
    char first[5] = {0};
    if (text) std::strncpy(first, text, 4);
    return static_cast<uint16_t>(std::atoi(first));
}

BaseSize base_size_of(const FrameRecord (&frames)[kMaxFrames]) {
    BaseSize s{0, 0};
    for (const FrameRecord& r : frames) {
        s.w = std::max(s.w, r.image_w);
        s.h = std::max(s.h, r.image_h);
    }
    return s;
}
