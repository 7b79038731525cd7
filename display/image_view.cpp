// The image window's view arithmetic.
#include "display/image_view.h"

#include <algorithm>

void reset_image_view(ImageViewState& v, int w, int h) {
    v = ImageViewState{};
    v.image_width = v.zoomed_width = static_cast<uint16_t>(w);
    v.image_height = v.zoomed_height = static_cast<uint16_t>(h);
    v.grid_w = v.grid_h = kMinGridSize;
}

uint32_t zoomed_extent(uint32_t client, int shift) {
    const uint32_t f = 1u << shift;
    if (client % f == 0) return client;
    return ((client >> shift) + 1) << shift;
}

void compute_view(ImageViewState& v, const WindowSize& zc) {
    if (v.zoomed_width < zc.width) {
        v.shown_width = v.zoomed_width;
        v.source_width = v.image_width;
    } else {
        v.shown_width = zc.width;
        v.source_width = zc.width >> v.zoom_shift;
    }
    if (v.zoomed_height < zc.height) {
        v.shown_height = v.zoomed_height;
        v.source_height = v.image_height;
    } else {
        v.shown_height = zc.height;
        v.source_height = zc.height >> v.zoom_shift;
    }
}

int16_t scroll_limit(uint16_t image_extent, uint32_t zoomed_client_extent, int shift) {
    return static_cast<int16_t>(image_extent - static_cast<int32_t>(zoomed_client_extent >> shift));
}

void apply_scroll(int16_t& scroll, int32_t& view_offset, int code, int thumb, int16_t limit,
                  int32_t end_offset) {
    switch (code) {
        case SB_LINELEFT: scroll = static_cast<int16_t>(scroll - 1); break;
        case SB_LINERIGHT: scroll = static_cast<int16_t>(scroll + 1); break;
        case SB_PAGELEFT: scroll = static_cast<int16_t>(scroll - 10); break;
        case SB_PAGERIGHT: scroll = static_cast<int16_t>(scroll + 10); break;
        case SB_THUMBPOSITION: scroll = static_cast<int16_t>(thumb); break;
        default: break;
    }
    if (scroll <= 0) {
        scroll = 0;
        view_offset = 0;
    }
    if (scroll >= limit) {
        scroll = limit;
        view_offset = end_offset;
    }
    // An image narrower than the canvas has nothing to scroll; a stray scroll
    // message must not move its source rectangle off the image.
    if (limit < 0) {
        scroll = 0;
        view_offset = 0;
    }
}

int32_t centring_offset(uint32_t zoomed_client_extent, uint32_t shown_extent) {
    return static_cast<int32_t>((zoomed_client_extent - shown_extent) >> 1);
}

int32_t image_pixel_at(int32_t client, int32_t view_offset, int32_t centring, int16_t scroll, int shift,
                       uint16_t image_extent) {
    if (image_extent == 0) return 0;
    // Arithmetic shift: a pointer left of a centred image maps below 0 and is then kept at 0.
    const int32_t canvas = client + view_offset - centring;
    const int32_t pixel = scroll + (canvas >> shift);
    return std::clamp<int32_t>(pixel, 0, image_extent - 1);
}

RECT normalised(const RECT& r) {
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right) + 1,
                std::max(r.top, r.bottom) + 1};
}

std::vector<int32_t> grid_lines(int16_t scroll, uint16_t grid, int shift, int32_t centring,
                                uint32_t shown_extent) {
    std::vector<int32_t> out;
    if (grid == 0) return out;
    const int32_t first = (grid - scroll % grid) << shift;
    const int32_t step = grid << shift;
    for (int32_t x = first; x < static_cast<int32_t>(shown_extent); x += step) out.push_back(centring + x);
    return out;
}

int grid_field_value(const char* text) {
    int value = 0;
    for (int i = 0; i < 2 && text[i]; ++i) {
        if (text[i] < '0' || text[i] > '9') break;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}
