// The image window's view arithmetic: canvas rounding, what part of the image
// is shown, scrolling limits, the pixel under the pointer, the grid and the
// grid dialog's field rule.
#include <gtest/gtest.h>

#include <vector>

#include "display/image_view.h"

namespace {

ImageViewState loaded(int w, int h) {
    ImageViewState v;
    reset_image_view(v, w, h);
    return v;
}

TEST(ImageView, ALoadResetsEverythingButTheImageSize) {
    ImageViewState v = loaded(10, 10);
    v.zoom_shift = 3;
    v.scroll_x = 5;
    v.grid_shown = 1;
    v.grid_w = 16;
    v.selection = RECT{1, 2, 3, 4};
    reset_image_view(v, 64, 48);
    EXPECT_EQ(v.image_width, 64);
    EXPECT_EQ(v.zoomed_width, 64);
    EXPECT_EQ(v.image_height, 48);
    EXPECT_EQ(v.zoomed_height, 48);
    EXPECT_EQ(v.zoom_shift, 0);
    EXPECT_EQ(v.scroll_x, 0);
    EXPECT_EQ(v.grid_shown, 0);
    EXPECT_EQ(v.grid_w, 4);
    EXPECT_EQ(v.grid_h, 4);
    EXPECT_EQ(v.selection.right, 0);
}

TEST(ImageView, TheCanvasIsTheClientRoundedUpToTheZoom) {
    EXPECT_EQ(zoomed_extent(250, 2), 252u);
    EXPECT_EQ(zoomed_extent(252, 2), 252u);
    EXPECT_EQ(zoomed_extent(201, 3), 208u);
    EXPECT_EQ(zoomed_extent(1, 5), 32u);
    EXPECT_EQ(zoomed_extent(77, 0), 77u);
}

TEST(ImageView, ASmallImageIsShownWholeAndCentred) {
    ImageViewState v = loaded(64, 64);
    compute_view(v, WindowSize{256, 256});
    EXPECT_EQ(v.shown_width, 64u);
    EXPECT_EQ(v.source_width, 64u);
    EXPECT_EQ(centring_offset(256, v.shown_width), 96);

    // Magnified beyond the canvas, the canvas is filled from the scroll position on.
    v.zoom_shift = 3;
    v.zoomed_width = v.zoomed_height = 64 << 3;
    compute_view(v, WindowSize{256, 200});
    EXPECT_EQ(v.shown_width, 256u);
    EXPECT_EQ(v.source_width, 32u);
    EXPECT_EQ(v.shown_height, 200u);
    EXPECT_EQ(v.source_height, 25u);
    EXPECT_EQ(centring_offset(256, v.shown_width), 0);
}

TEST(ImageScroll, PositionsStopAtBothEndsAndTheFarEndTakesTheRoundingOffset) {
    // 256-pixel image at 4x4 in a 250-pixel client: canvas 252, 63 image pixels shown.
    const int16_t limit = scroll_limit(256, 252, 2);
    EXPECT_EQ(limit, 193);
    int16_t scroll = 0;
    int32_t offset = 0;
    apply_scroll(scroll, offset, SB_LINELEFT, 0, limit, 2);
    EXPECT_EQ(scroll, 0);
    EXPECT_EQ(offset, 0);
    apply_scroll(scroll, offset, SB_PAGERIGHT, 0, limit, 2);
    EXPECT_EQ(scroll, 10);
    EXPECT_EQ(offset, 0);
    apply_scroll(scroll, offset, SB_THUMBPOSITION, 188, limit, 2);
    EXPECT_EQ(scroll, 188);
    apply_scroll(scroll, offset, SB_PAGERIGHT, 0, limit, 2);
    EXPECT_EQ(scroll, 193);
    EXPECT_EQ(offset, 2);
    // Between the ends the offset keeps its last value; tracking does not move.
    apply_scroll(scroll, offset, SB_LINELEFT, 0, limit, 2);
    EXPECT_EQ(scroll, 192);
    EXPECT_EQ(offset, 2);
    apply_scroll(scroll, offset, SB_THUMBTRACK, 5, limit, 2);
    EXPECT_EQ(scroll, 192);
    // An image narrower than the canvas never scrolls.
    apply_scroll(scroll, offset, SB_PAGERIGHT, 0, scroll_limit(64, 256, 0), 0);
    EXPECT_EQ(scroll, 0);
    EXPECT_EQ(offset, 0);
}

TEST(ImageMouse, ThePixelUnderThePointerIsTheOneSelected) {
    // 4x4 with scroll 8: client x 13 is image column 8 + 3.
    EXPECT_EQ(image_pixel_at(13, 0, 0, 8, 2, 256), 11);
    // A centred 64-pixel image at 1x1 starts at canvas 96.
    EXPECT_EQ(image_pixel_at(96, 0, 96, 0, 0, 64), 0);
    EXPECT_EQ(image_pixel_at(100, 0, 96, 0, 0, 64), 4);
    // At the right end the window shows the canvas from the view offset on.
    EXPECT_EQ(image_pixel_at(3, 2, 0, 193, 2, 256), 194);
    // Outside the image the nearest pixel inside it is taken.
    EXPECT_EQ(image_pixel_at(10, 0, 96, 0, 0, 64), 0);
    EXPECT_EQ(image_pixel_at(250, 0, 96, 0, 0, 64), 63);
    EXPECT_EQ(image_pixel_at(255, 0, 0, 0, 0, 256), 255);
    EXPECT_EQ(image_pixel_at(5, 0, 0, 0, 0, 0), 0);  // no image loaded
}

TEST(ImageMouse, NormalisingKeepsBothDraggedCornersInside) {
    const RECT r = normalised(RECT{30, 40, 10, 20});
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 31);
    EXPECT_EQ(r.bottom, 41);
    const RECT click = normalised(RECT{7, 9, 7, 9});
    EXPECT_EQ(click.right - click.left, 1);
    EXPECT_EQ(click.bottom - click.top, 1);
}

TEST(ImageGrid, LinesFallOnMultiplesOfTheGridInsideTheImage) {
    EXPECT_EQ(grid_lines(0, 4, 0, 0, 16), (std::vector<int32_t>{4, 8, 12}));
    // Scrolled by 6 at 2x2: columns 8, 12, 16 are at canvas 4, 12, 20.
    EXPECT_EQ(grid_lines(6, 4, 1, 0, 24), (std::vector<int32_t>{4, 12, 20}));
    // Scrolled onto a multiple: no line at the canvas edge.
    EXPECT_EQ(grid_lines(8, 4, 0, 0, 9), (std::vector<int32_t>{4, 8}));
    // A centred image carries its lines along.
    EXPECT_EQ(grid_lines(0, 16, 0, 96, 64), (std::vector<int32_t>{112, 128, 144}));
}

TEST(GridDialog, OnlyTheFirstTwoDigitsCount) {
    EXPECT_EQ(grid_field_value("16"), 16);
    EXPECT_EQ(grid_field_value("100"), 10);
    EXPECT_EQ(grid_field_value("6"), 6);
    EXPECT_EQ(grid_field_value(""), 0);
    EXPECT_EQ(grid_field_value("3x"), 3);
}

}  // namespace
