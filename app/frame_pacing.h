// The schedule of the main loop's ticks: one per display frame while something plays or
// waits to be drawn. Frames fall due on a fixed schedule, so a wait that ends late does not
// push the next frame back: a few frames behind, the loop makes them up; after a longer stall
// the schedule starts afresh rather than making up every lost frame in a burst. Times are in
// the units of the performance counter.
#pragma once

#include <cstdint>

struct FramePacer {
    int64_t period = 0;    // counter units per frame; 0 ticks as often as the loop comes round
    int64_t due = 0;       // when the next tick is due
    bool running = false;  // false after the loop waited for input: the next tick starts now
};

// A pacer for hz frames a second on a counter of the given frequency (hz 0: unpaced).
FramePacer make_frame_pacer(int64_t frequency, int hz);
// How long until the next tick is due, in counter units; 0 when it is due now.
int64_t time_to_next_tick(const FramePacer& pacer, int64_t now);
// The tick due at `now` was run: the next one falls due a period after it was due.
void tick_taken(FramePacer& pacer, int64_t now);
// The loop stopped ticking (nothing plays, nothing waits to be drawn).
void pacing_stopped(FramePacer& pacer);
// Whole milliseconds to wait for counter units `units`, rounded up so that one wait reaches
// the frame instead of waking just before it.
uint32_t wait_milliseconds(int64_t units, int64_t frequency);
// The frames a second CELWRIGHT_TICK_HZ asks for, which the measurements set; the rate the
// user chose (60 NTSC, 50 PAL) when it is unset or not a number >= 0.
int tick_rate_from_environment(int chosen);
