#include "display/redraw_keys.h"

#include <cstring>

#include "project/app_state.h"
#include "display/ddraw_sets.h"
#include "display/image_window.h"

namespace {

StillKey g_still[kMaxPatterns];
bool g_still_valid[kMaxPatterns] = {};
ImageKey g_image{};
bool g_image_valid = false;
RunningKey g_running{};
bool g_running_valid = false;

template <class Key>
bool same(const Key& stored, bool valid, const Key& key) {
    return valid && std::memcmp(&stored, &key, sizeof key) == 0;
}

template <class Key>
bool remember(Key& stored, bool& valid, const Key& key) {
    if (same(stored, valid, key)) return true;
    std::memcpy(&stored, &key, sizeof key);
    valid = true;
    return false;
}

// What the console preview draws by, or nothing when the editor draws by its own rules.
void console_inputs(uint32_t* tpage, uint32_t* clut) {
    *tpage = g_app.console_preview ? (g_tables.data.header.tpage | 0x80000000u) : 0;
    *clut = g_app.console_preview ? g_tables.clut_attribute : 0;
}

}  // namespace

StillKey still_key(int p, uint32_t shown, int outlined_frame, uint32_t blt_flags) {
    StillKey k{};
    std::memcpy(k.frames, g_tables.frames[p], sizeof k.frames);
    k.settings = g_tables.settings[p];
    k.client = g_tables.client_size[p];
    k.zoomed = g_tables.zoomed_client_size[p];
    k.frame_count = g_tables.data.entries[p].frame_count;
    k.shown = shown;
    k.outlined_frame = outlined_frame;
    k.background = g_app.background_fill.dwFillColor;
    k.surround = g_app.surround_fill.dwFillColor;
    k.blt_flags = blt_flags;
    console_inputs(&k.console_tpage, &k.console_clut);
    k.generation = surface_generation();
    k.window = g_tables.pattern_window[p];
    return k;
}

ImageKey image_key() {
    const ImageViewState& v = g_image_view;
    ImageKey k{};
    k.scroll_x = v.scroll_x;
    k.scroll_y = v.scroll_y;
    k.zoom_shift = v.zoom_shift;
    k.grid_shown = v.grid_shown;
    k.grid_w = v.grid_w;
    k.grid_h = v.grid_h;
    k.view_offset_x = v.view_offset_x;
    k.view_offset_y = v.view_offset_y;
    k.shown_width = v.shown_width;
    k.shown_height = v.shown_height;
    k.source_width = v.source_width;
    k.source_height = v.source_height;
    k.selection = v.selection;
    k.client = g_tables.client_size[kImageWindowSlot];
    k.zoomed = g_tables.zoomed_client_size[kImageWindowSlot];
    k.surround = g_app.surround_fill.dwFillColor;
    k.visible = IsWindowVisible(g_app.image_window) ? 1 : 0;
    k.generation = surface_generation();
    return k;
}

RunningKey running_key(int p, int play_frame, uint8_t flip_flags) {
    RunningKey k{};
    const bool has_frame = play_frame >= 0 && play_frame < kMaxFrames &&
                           static_cast<uint32_t>(play_frame) < g_tables.data.entries[p].frame_count;
    if (has_frame) k.frame = g_tables.frames[p][play_frame];
    k.settings = g_tables.settings[p];
    k.client = g_tables.client_size[p];
    k.zoomed = g_tables.zoomed_client_size[p];
    k.pattern = p;
    k.play_frame = play_frame;
    k.has_frame = has_frame ? 1 : 0;
    k.flip_flags = flip_flags;
    k.background = g_app.background_fill.dwFillColor;
    k.surround = g_app.surround_fill.dwFillColor;
    console_inputs(&k.console_tpage, &k.console_clut);
    k.generation = surface_generation();
    k.window = g_tables.pattern_window[p];
    return k;
}

bool still_picture_current(int p, const StillKey& key) {
    return remember(g_still[p], g_still_valid[p], key);
}

bool image_picture_current(const ImageKey& key) {
    return remember(g_image, g_image_valid, key);
}

bool running_picture_current(const RunningKey& key) {
    return remember(g_running, g_running_valid, key);
}

bool still_picture_shown(int p, const StillKey& key) {
    return same(g_still[p], g_still_valid[p], key);
}

bool image_picture_shown(const ImageKey& key) {
    return same(g_image, g_image_valid, key);
}

bool running_picture_shown(const RunningKey& key) {
    return same(g_running, g_running_valid, key);
}

void forget_still_pictures() {
    for (bool& v : g_still_valid) v = false;
}

void forget_image_picture() {
    g_image_valid = false;
}

void forget_running_picture() {
    g_running_valid = false;
}
