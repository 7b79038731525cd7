// What each picture of the playback tick is made of. A window whose inputs are the
// same as when it was last drawn already shows what drawing it again would give, so
// an idle editor redraws only what changed instead of every window at every tick.
#pragma once

#include <windows.h>

#include <cstdint>
#include <type_traits>

#include "project/tables.h"

// Bit j: frame j's check mark shows it; kPatternShown: the pattern's own does.
inline constexpr uint32_t kPatternShown = 0x80000000u;

// Everything the still display draws pattern p's window from.
struct StillKey {
    FrameRecord frames[kMaxFrames];
    PatternSettings settings;
    WindowSize client;
    WindowSize zoomed;
    uint32_t frame_count;
    uint32_t shown;
    int32_t outlined_frame;  // -1 without an outline
    uint32_t background;
    uint32_t surround;
    uint32_t blt_flags;
    // With the console preview on, the tpage (with bit 31 set) and the CLUT attribute the
    // console draws by; 0 and 0 with it off.
    uint32_t console_tpage;
    uint32_t console_clut;
    uint64_t generation;  // the surfaces it was drawn from
    HWND window;
};
static_assert(std::has_unique_object_representations_v<StillKey>, "keys are compared byte for byte");

// Everything the image window's drawing pass draws from.
struct ImageKey {
    int32_t scroll_x, scroll_y, zoom_shift, grid_shown, grid_w, grid_h, view_offset_x, view_offset_y;
    uint32_t shown_width, shown_height, source_width, source_height;
    RECT selection;
    WindowSize client;
    WindowSize zoomed;
    uint32_t surround;
    uint32_t visible;
    uint64_t generation;
};
static_assert(std::has_unique_object_representations_v<ImageKey>, "keys are compared byte for byte");

// Everything the running display draws the played pattern's window from.
struct RunningKey {
    FrameRecord frame;  // the frame shown; zero when the pattern has none
    PatternSettings settings;
    WindowSize client;
    WindowSize zoomed;
    int32_t pattern;
    int32_t play_frame;
    uint32_t has_frame;
    uint32_t flip_flags;
    uint32_t background;
    uint32_t surround;
    uint32_t reserved;       // keeps the key free of padding
    uint32_t console_tpage;  // as in the still display's key
    uint32_t console_clut;
    uint64_t generation;
    HWND window;
};
static_assert(std::has_unique_object_representations_v<RunningKey>, "keys are compared byte for byte");

StillKey still_key(int p, uint32_t shown, int outlined_frame, uint32_t blt_flags);
ImageKey image_key();
RunningKey running_key(int p, int play_frame, uint8_t flip_flags);

// True when pattern p's window last showed exactly `key`; otherwise remembers it
// as what the window is about to show and returns false.
bool still_picture_current(int p, const StillKey& key);
bool image_picture_current(const ImageKey& key);
bool running_picture_current(const RunningKey& key);
// The same question without remembering anything: would drawing change what is shown?
bool still_picture_shown(int p, const StillKey& key);
bool image_picture_shown(const ImageKey& key);
bool running_picture_shown(const RunningKey& key);

// The windows show something else now (the running display drew into one, a
// display change took the pixels): every still picture is drawn again.
void forget_still_pictures();
void forget_image_picture();
void forget_running_picture();
