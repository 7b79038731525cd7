// The main loop's schedule: one tick per frame, on time even when a wait ends late, never two
// frames' ticks in a burst after a stall.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/frame_pacing.h"

namespace {

constexpr int64_t kFrequency = 600;  // counter units a second: a 60 Hz frame is 10 units

// Ticks a loop takes in `span` units when each wait ends `late` units after it was due.
int ticks_in(FramePacer p, int64_t span, int64_t late) {
    int ticks = 0;
    int64_t now = 0;
    while (now < span) {
        const int64_t left = time_to_next_tick(p, now);
        if (left > 0) {
            now += left + late;
            continue;
        }
        tick_taken(p, now);
        ++ticks;
    }
    return ticks;
}

}  // namespace

TEST(FramePacing, TicksSixtyTimesASecondWhateverTheWaitsOvershoot) {
    const FramePacer p = make_frame_pacer(kFrequency, 60);
    EXPECT_EQ(p.period, 10);
    EXPECT_EQ(ticks_in(p, 600, 0), 60);
    // Waits that end up to most of a frame late keep the rate: the schedule does not slip.
    EXPECT_EQ(ticks_in(p, 600, 3), 60);
    EXPECT_EQ(ticks_in(p, 600, 9), 60);
}

TEST(FramePacing, AStallStartsAFreshScheduleInsteadOfABurst) {
    FramePacer p = make_frame_pacer(kFrequency, 60);
    tick_taken(p, 0);
    EXPECT_EQ(time_to_next_tick(p, 4), 6);
    // A late wake-up within a frame: the next frame is still due on the schedule.
    tick_taken(p, 14);
    EXPECT_EQ(p.due, 20);
    // Three frames behind: they are made up, one tick after the other.
    tick_taken(p, 52);
    EXPECT_EQ(p.due, 30);
    EXPECT_EQ(time_to_next_tick(p, 52), 0);
    // Half a second without a tick: the next comes a whole frame after the late one.
    tick_taken(p, 320);
    EXPECT_EQ(p.due, 330);
    EXPECT_GT(time_to_next_tick(p, 321), 0);
}

TEST(FramePacing, ABusyMachineStillGetsSixtyTicksASecond) {
    // Every wait ends two and a half frames late: the frames are made up, so over ten seconds
    // only the few still owed at the end are missing.
    const int ticks = ticks_in(make_frame_pacer(kFrequency, 60), 6000, 25);
    EXPECT_GE(ticks, 597);
    EXPECT_LE(ticks, 600);
}

TEST(FramePacing, AfterWaitingForInputTheFirstTickComesAtOnce) {
    FramePacer p = make_frame_pacer(kFrequency, 60);
    tick_taken(p, 100);
    pacing_stopped(p);
    EXPECT_EQ(time_to_next_tick(p, 101), 0);
    tick_taken(p, 101);
    EXPECT_EQ(p.due, 111);
}

TEST(FramePacing, UnpacedTicksNeverWait) {
    FramePacer p = make_frame_pacer(kFrequency, 0);
    for (int64_t now = 0; now < 5; ++now) {
        EXPECT_EQ(time_to_next_tick(p, now), 0);
        tick_taken(p, now);
    }
}

TEST(FramePacing, WaitsAreRoundedUpToWholeMilliseconds) {
    EXPECT_EQ(wait_milliseconds(0, 1000000), 0u);
    EXPECT_EQ(wait_milliseconds(1, 1000000), 1u);
    EXPECT_EQ(wait_milliseconds(16667, 1000000), 17u);
    EXPECT_EQ(wait_milliseconds(16000, 1000000), 16u);
}

TEST(FramePacing, TheEnvironmentsRateWinsOverTheChosenOne) {
    unsetenv("CELWRIGHT_TICK_HZ");
    EXPECT_EQ(tick_rate_from_environment(60), 60);
    EXPECT_EQ(tick_rate_from_environment(50), 50);
    setenv("CELWRIGHT_TICK_HZ", "0", 1);
    EXPECT_EQ(tick_rate_from_environment(50), 0);
    setenv("CELWRIGHT_TICK_HZ", "30", 1);
    EXPECT_EQ(tick_rate_from_environment(60), 30);
    setenv("CELWRIGHT_TICK_HZ", "fast", 1);
    EXPECT_EQ(tick_rate_from_environment(50), 50);
    unsetenv("CELWRIGHT_TICK_HZ");
}
