// The arithmetic of playback and of the edit panel: the button table, the
// counters, mirrored destinations, the view mapping, frame clipping, colour
// conversion, typed timings and the base frame reset.
#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "display/panel_rules.h"
#include "display/playback_rules.h"

namespace {

// The frames the running display shows over `ticks` ticks (the frame drawn, then the advance).
std::vector<int> shown_frames(PlaybackState s, uint32_t speed, uint16_t timing, int frame_count, int ticks) {
    std::vector<int> out;
    for (int i = 0; i < ticks; ++i) {
        out.push_back(s.play_frame);
        advance_playback(s, speed, timing, frame_count);
    }
    return out;
}

PlaybackState playing(int frame, int step) {
    PlaybackState s = initial_playback_state();
    s.play_frame = static_cast<int8_t>(frame);
    s.play_step = static_cast<int8_t>(step);
    return s;
}

std::vector<int> enables(const ButtonPress& r) {
    return std::vector<int>(std::begin(r.enable), std::end(r.enable));
}

FrameRecord frame(int cx, int cy, int x, int y, int w, int h) {
    FrameRecord r{};
    r.correction_x = static_cast<uint8_t>(cx);
    r.correction_y = static_cast<uint8_t>(cy);
    r.image_x = static_cast<uint8_t>(x);
    r.image_y = static_cast<uint8_t>(y);
    r.image_w = static_cast<uint16_t>(w);
    r.image_h = static_cast<uint16_t>(h);
    return r;
}

}  // namespace

TEST(PlaybackCounters, AFrameStaysTimingPlusOneTimesSpeedPlusOneTicks) {
    EXPECT_EQ(shown_frames(playing(0, 1), 0, 0, 3, 5), (std::vector<int>{0, 1, 2, 0, 1}));
    const std::vector<int> slow = shown_frames(playing(0, 1), 2, 3, 3, 25);
    EXPECT_EQ(std::count(slow.begin(), slow.end(), 0), 12);
    EXPECT_EQ(std::count(slow.begin(), slow.end(), 1), 12);
    EXPECT_EQ(slow[24], 2);
    // A long timing elapses like any other: 301 speed periods at speed 0.
    const std::vector<int> long_timing = shown_frames(playing(0, 1), 0, 300, 2, 302);
    EXPECT_EQ(long_timing[300], 0);
    EXPECT_EQ(long_timing[301], 1);
}

TEST(PlaybackCounters, LoopsBothWaysAndHoldsWithoutAStep) {
    EXPECT_EQ(shown_frames(playing(2, -1), 0, 0, 3, 4), (std::vector<int>{2, 1, 0, 2}));
    EXPECT_EQ(shown_frames(playing(1, 0), 0, 0, 3, 4), (std::vector<int>{1, 1, 1, 1}));
    // A pattern without frames stays on frame 0 in both directions, never on -1.
    EXPECT_EQ(shown_frames(playing(0, -1), 0, 0, 0, 3), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(shown_frames(playing(0, 1), 0, 0, 0, 3), (std::vector<int>{0, 0, 0}));
    // A speed lowered while the counter was higher restarts the count.
    PlaybackState s = playing(0, 1);
    s.speed_counter = 7;
    advance_playback(s, 2, 0, 3);
    EXPECT_EQ(s.speed_counter, 0);
    EXPECT_EQ(s.play_frame, 1);
}

TEST(PlaybackButtons, RowsEnableStepAndStartFrame) {
    const ButtonPress forward = press_result(IDC_PLAY_FORWARD, 2, 3);
    EXPECT_EQ(enables(forward), (std::vector<int>{0, 0, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(forward.step, 1);
    EXPECT_EQ(forward.frame, 0);
    const ButtonPress backward = press_result(IDC_PLAY_BACKWARD, 0, 3);
    EXPECT_EQ(backward.step, -1);
    EXPECT_EQ(backward.frame, 2);
    const ButtonPress stop = press_result(IDC_PLAY_STOP, 2, 3);
    EXPECT_EQ(enables(stop), (std::vector<int>{1, 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(stop.frame, 0);
    const ButtonPress pause = press_result(IDC_PLAY_PAUSE, 1, 3);
    EXPECT_EQ(enables(pause), (std::vector<int>{1, 1, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(pause.frame, 1);
    EXPECT_EQ(pause.step, 0);
    // "<<" and ">>" leave the play buttons alone.
    EXPECT_EQ(enables(press_result(IDC_PLAY_PREVIOUS, 2, 3)),
              (std::vector<int>{-1, -1, -1, -1, -1, -1, 1, 1}));
    EXPECT_EQ(enables(press_result(IDC_PLAY_NEXT, 0, 3)), (std::vector<int>{-1, -1, -1, -1, 1, 1, -1, -1}));
}

TEST(PlaybackButtons, SteppingClampsToTheEndsAndDisablesThatWay) {
    const ButtonPress next_at_end = press_result(IDC_PLAY_NEXT, 2, 3);
    EXPECT_EQ(next_at_end.frame, 2);
    EXPECT_EQ(enables(next_at_end), (std::vector<int>{-1, -1, -1, -1, 1, 1, 0, 0}));
    const ButtonPress previous_to_first = press_result(IDC_PLAY_PREVIOUS, 1, 3);
    EXPECT_EQ(previous_to_first.frame, 0);
    EXPECT_EQ(enables(previous_to_first), (std::vector<int>{-1, -1, -1, -1, 0, 0, 1, 1}));
    EXPECT_EQ(press_result(IDC_PLAY_FIRST, 2, 3).frame, 0);
    EXPECT_EQ(press_result(IDC_PLAY_LAST, 0, 3).frame, 2);
    // A pause after playing past the end of a shorter pattern lands on its last frame.
    EXPECT_EQ(press_result(IDC_PLAY_PAUSE, 9, 3).frame, 2);
}

TEST(PlaybackButtons, APatternWithoutFramesStaysOnFrameZeroWithEveryStepDisabled) {
    for (int id = IDC_PLAY_BACKWARD; id <= IDC_PLAY_LAST; ++id) {
        const ButtonPress r = press_result(id, 0, 0);
        EXPECT_EQ(r.frame, 0) << id;
        for (int step = IDC_PLAY_FIRST; step <= IDC_PLAY_LAST; ++step)
            EXPECT_EQ(r.enable[step - IDC_PLAY_BACKWARD], 0) << id << " " << step;
    }
}

TEST(RunningDisplay, FlipsMirrorAboutTheBaseFrame) {
    const FrameRecord r = frame(2, 3, 10, 20, 10, 6);
    const StretchDestination plain = running_destination(0, r, 32, 16);
    EXPECT_EQ((std::vector<int>{plain.x, plain.y, plain.w, plain.h}), (std::vector<int>{2, 3, 10, 6}));
    const StretchDestination lr = running_destination(kFlipLeftRight, r, 32, 16);
    EXPECT_EQ((std::vector<int>{lr.x, lr.y, lr.w, lr.h}), (std::vector<int>{30, 3, -10, 6}));
    const StretchDestination tb = running_destination(kFlipTopBottom, r, 32, 16);
    EXPECT_EQ((std::vector<int>{tb.x, tb.y, tb.w, tb.h}), (std::vector<int>{2, 13, 10, -6}));
    const StretchDestination both = running_destination(kFlipLeftRight | kFlipTopBottom, r, 32, 16);
    EXPECT_EQ((std::vector<int>{both.x, both.y, both.w, both.h}), (std::vector<int>{30, 13, -10, -6}));
}

TEST(ViewMapping, TheVisibleBaseIsMagnifiedAndCentred) {
    PatternSettings s = initial_pattern_settings();
    s.base_w = 16;
    s.base_h = 8;
    const ViewMapping small = view_mapping(s, WindowSize{200, 200});
    EXPECT_EQ(small.source.right, 16);
    EXPECT_EQ(small.source.bottom, 8);
    EXPECT_EQ(small.destination.left, 92);
    EXPECT_EQ(small.destination.top, 96);
    EXPECT_EQ(small.destination.right, 108);
    // At 4x4 a 100-wide base scrolled to 30 shows 50 base pixels across the whole canvas.
    s.base_w = 100;
    s.base_h = 40;
    s.zoom_shift = 2;
    s.scroll_x = 30;
    const ViewMapping big = view_mapping(s, WindowSize{200, 200});
    EXPECT_EQ(big.source.left, 30);
    EXPECT_EQ(big.source.right, 80);
    EXPECT_EQ(big.destination.left, 0);
    EXPECT_EQ(big.destination.right, 200);
    EXPECT_EQ(big.destination.top, 20);
    EXPECT_EQ(big.destination.bottom, 180);
}

TEST(StillDisplay, FramesAreCutToTheImageAndTheBaseFrame) {
    RECT source, destination;
    ASSERT_TRUE(clip_frame(frame(4, 2, 10, 20, 8, 6), 64, 48, 32, 32, &source, &destination));
    EXPECT_EQ(source.left, 10);
    EXPECT_EQ(source.right, 18);
    EXPECT_EQ(destination.left, 4);
    EXPECT_EQ(destination.bottom, 8);
    // Reaching past the image's right edge and the base frame's bottom edge.
    ASSERT_TRUE(clip_frame(frame(0, 28, 60, 0, 10, 10), 64, 48, 32, 32, &source, &destination));
    EXPECT_EQ(source.right, 64);
    EXPECT_EQ(destination.right, 4);
    EXPECT_EQ(source.bottom, 4);
    EXPECT_EQ(destination.bottom, 32);
    // Entirely outside, or without size: nothing to copy.
    EXPECT_FALSE(clip_frame(frame(40, 0, 0, 0, 8, 8), 64, 48, 32, 32, &source, &destination));
    EXPECT_FALSE(clip_frame(frame(0, 0, 250, 0, 8, 8), 64, 48, 32, 32, &source, &destination));
    EXPECT_FALSE(clip_frame(frame(0, 0, 0, 0, 0, 0), 64, 48, 32, 32, &source, &destination));
}

TEST(ColourToPixel, ChannelsTakeTheirPlaceAndWidthFromTheMasks) {
    EXPECT_EQ(colour_to_pixel(RGB(255, 0, 0), 0xFF0000, 0xFF00, 0xFF), 0x00FF0000u);
    EXPECT_EQ(colour_to_pixel(RGB(0x12, 0x34, 0x56), 0xFF0000, 0xFF00, 0xFF), 0x00123456u);
    EXPECT_EQ(colour_to_pixel(RGB(255, 0, 0), 0xF800, 0x07E0, 0x001F), 0xF800u);
    EXPECT_EQ(colour_to_pixel(RGB(0, 255, 0), 0xF800, 0x07E0, 0x001F), 0x07E0u);
    EXPECT_EQ(colour_to_pixel(RGB(0x80, 0x80, 0x80), 0x7C00, 0x03E0, 0x001F), 0x4210u);
    EXPECT_EQ(colour_to_pixel(RGB(255, 255, 255), 0x3FF00000, 0xFFC00, 0x3FF), 0x3FFFFFFFu);
    EXPECT_EQ(colour_to_pixel(RGB(1, 2, 3), 0, 0, 0), 0x00010203u);
}

TEST(TimingField, OnlyTheFirstFourCharactersCount) {
    EXPECT_EQ(timing_from_text(""), 0);
    EXPECT_EQ(timing_from_text("1"), 1);
    EXPECT_EQ(timing_from_text("12"), 12);
    EXPECT_EQ(timing_from_text("9999"), 9999);
    EXPECT_EQ(timing_from_text("12345"), 1234);
    EXPECT_EQ(timing_from_text(nullptr), 0);
}

TEST(BaseReset, WidestAndTallestImageTakenApart) {
    FrameRecord frames[kMaxFrames] = {};
    EXPECT_EQ(base_size_of(frames).w, 0);
    EXPECT_EQ(base_size_of(frames).h, 0);
    frames[0] = frame(9, 9, 0, 0, 16, 8);
    frames[1] = frame(0, 0, 0, 0, 8, 24);
    const BaseSize b = base_size_of(frames);
    EXPECT_EQ(b.w, 16);
    EXPECT_EQ(b.h, 24);
}
