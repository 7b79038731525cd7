// The arithmetic of playback: the playback state, the button table, how the
// counters advance, where a mirrored frame lands and how a base frame is mapped
// onto a pattern window's canvas. Pure functions, so the rules are checked
// without a window.
#pragma once

#include <windows.h>

#include <cstdint>

#include "project/tables.h"

// One set for the whole program, not per pattern.
struct PlaybackState {
    uint8_t play_pattern;      // set from the pattern combo by every playback button
    int8_t play_frame;         // frame shown by the running display
    int8_t play_step;          // -1, 0 or +1, added each time a frame has elapsed
    uint8_t speed_counter;     // ticks counted against the speed
    uint16_t timing_counter;   // speed periods counted against the frame's timing
    uint8_t flip_flags;        // bit 0 mirror left-right, bit 1 mirror top-bottom
    uint32_t still_blt_flags;  // DDBLT_KEYSRC, or 0 while "透明色" is checked
};

inline constexpr uint8_t kFlipLeftRight = 1;
inline constexpr uint8_t kFlipTopBottom = 2;
inline constexpr int kPlaybackButtons = IDC_PLAY_LAST - IDC_PLAY_BACKWARD + 1;

// The state at program start: nothing played, frames keyed in the still display.
PlaybackState initial_playback_state();

// What pressing playback button `id` does: the enable state it gives each of the
// eight buttons (1 enable, 0 disable, -1 leave), the step and the frame to show.
// current is play_frame before the press, frame_count that of the pattern played.
// The frame always lies inside the pattern (0 for a pattern without frames, whose
// four stepping buttons are all disabled).
struct ButtonPress {
    int8_t enable[kPlaybackButtons];  // index id - IDC_PLAY_BACKWARD
    int8_t step;
    int frame;
};
ButtonPress press_result(int id, int current, int frame_count);

// One tick of the running display's counters: a frame stays (timing + 1) x (speed + 1)
// ticks, then play_frame moves by play_step and wraps at both ends of the pattern.
void advance_playback(PlaybackState& s, uint32_t speed, uint16_t timing, int frame_count);

// Where the running display draws a frame on the base frame: the mirrored axes
// start at the far edge and have a negative extent.
struct StretchDestination {
    int x, y, w, h;
};
StretchDestination running_destination(uint8_t flip_flags, const FrameRecord& r, uint16_t base_w,
                                       uint16_t base_h);

// The view mapping: the visible part of the base surface (source) and where it
// lands, magnified and centred, on the canvas (destination).
struct ViewMapping {
    RECT source;
    RECT destination;
};
ViewMapping view_mapping(const PatternSettings& s, const WindowSize& zoomed);

// The still display's copy of a frame, cut to the parts that lie inside both the
// working image (w x h) and the base frame; false when nothing of it is inside.
bool clip_frame(const FrameRecord& r, int image_w, int image_h, int base_w, int base_h, RECT* source,
                RECT* destination);
