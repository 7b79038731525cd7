// The view arithmetic of the pattern windows.
#include <windows.h>

#include <gtest/gtest.h>

#include "display/pattern_geometry.h"

TEST(PatternGeometry, ZoomedSizeRoundsUpToWholeMagnifiedPixels) {
    EXPECT_EQ(zoomed_dimension(200, 0), 200u);
    EXPECT_EQ(zoomed_dimension(200, 2), 200u);
    EXPECT_EQ(zoomed_dimension(201, 3), 208u);
    EXPECT_EQ(zoomed_dimension(1, 5), 32u);
    EXPECT_EQ(zoomed_dimension(64, 5), 64u);
}

TEST(PatternGeometry, BarIsNeededOnlyWhileTheMagnifiedBaseIsLarger) {
    EXPECT_TRUE(scroll_bar_needed(200, 100, 2));
    EXPECT_FALSE(scroll_bar_needed(200, 40, 2));
    EXPECT_FALSE(scroll_bar_needed(200, 50, 2));  // exactly fits
    EXPECT_TRUE(scroll_bar_needed(200, 51, 2));
    EXPECT_EQ(pattern_scroll_limit(100, 200, 2), 50);
    EXPECT_EQ(pattern_scroll_limit(26, 208, 3), 0);
    EXPECT_EQ(pattern_scroll_limit(10, 200, 0), 0);  // never below the start
}

TEST(PatternGeometry, ScrollMovesBySteps16BitAndSetsTheOffsetOnlyAtTheEnds) {
    const ScrollAxis mid{5, 3};
    EXPECT_EQ(pattern_scroll(mid, SB_LINERIGHT, 0, 40, 208, 201, 3).position, 6);
    EXPECT_EQ(pattern_scroll(mid, SB_LINERIGHT, 0, 40, 208, 201, 3).view_offset, 3);
    EXPECT_EQ(pattern_scroll(mid, SB_PAGERIGHT, 0, 40, 208, 201, 3).position, 14);
    EXPECT_EQ(pattern_scroll(mid, SB_PAGERIGHT, 0, 40, 208, 201, 3).view_offset, 7);
    EXPECT_EQ(pattern_scroll(mid, SB_PAGELEFT, 0, 40, 208, 201, 3).position, 0);
    EXPECT_EQ(pattern_scroll(mid, SB_PAGELEFT, 0, 40, 208, 201, 3).view_offset, 0);
    EXPECT_EQ(pattern_scroll(mid, SB_THUMBPOSITION, 9, 40, 208, 201, 3).position, 9);
    EXPECT_EQ(pattern_scroll(mid, SB_THUMBTRACK, 9, 40, 208, 201, 3).position, 5);
    // A thumb position from the high word is read as signed 16 bits.
    EXPECT_EQ(pattern_scroll(mid, SB_THUMBPOSITION, -3, 40, 208, 201, 3).position, 0);
    // When nothing can scroll, the end wins over the start.
    const ScrollAxis fixed = pattern_scroll(ScrollAxis{0, 0}, SB_LINELEFT, 0, 26, 208, 201, 3);
    EXPECT_EQ(fixed.position, 0);
    EXPECT_EQ(fixed.view_offset, 7);
}

TEST(PatternGeometry, MousePositionsAreSignedAndShiftedIntoBasePixels) {
    EXPECT_EQ(to_base_pixels(47, 2), 11);
    EXPECT_EQ(to_base_pixels(0xFFFF, 0), -1);
    EXPECT_EQ(to_base_pixels(0xFFF8, 2), -2);
}

TEST(PatternGeometry, DragKeepsTheFrameInsideTheBaseFrame) {
    // A 16 x 16 frame at (4, 4) on a 32 x 32 base, grabbed at (50, 50).
    const DragBounds b = drag_bounds(50, 50, 4, 4, 16, 16, 32, 32);
    EXPECT_EQ(b.left, 46);
    EXPECT_EQ(b.top, 46);
    EXPECT_EQ(b.right, 62);
    EXPECT_EQ(b.bottom, 62);
    const Correction far = drag_correction(b, 500, 500);
    EXPECT_EQ(far.x, 16);
    EXPECT_EQ(far.y, 16);
    const Correction near = drag_correction(b, -500, -500);
    EXPECT_EQ(near.x, 0);
    EXPECT_EQ(near.y, 0);
    const Correction inside = drag_correction(b, 53, 48);
    EXPECT_EQ(inside.x, 7);
    EXPECT_EQ(inside.y, 2);
}
