// The drawing environment's two attribute words split into the fields of IDD_DRAWING_ENVIRONMENT
// and put back together from them.
#include <gtest/gtest.h>

#include <string>

#include "display/drawing_environment.h"

namespace {

TEST(DrawingEnvironment, TheWordsSplitIntoTheFieldsTheDialogShows) {
    const DrawingEnvironment e = split_drawing_environment(0x9A, 0x7805);
    EXPECT_EQ(e.placement_x * 64, 640);
    EXPECT_EQ(e.placement_y * 256, 256);
    EXPECT_EQ(std::string(semi_transparency_text(e.semi)), "半透明");
    EXPECT_EQ(std::string(color_mode_text(e.mode)), "8bitCLUT");
    EXPECT_EQ(e.clut_x * 16, 80);
    EXPECT_EQ(e.clut_y, 480);
    const DrawingEnvironment top = split_drawing_environment(0x1FF, 0x7FFF);
    EXPECT_EQ(top.clut_x * 16, 1008);
    EXPECT_EQ(top.placement_x * 64, 960);
    EXPECT_EQ(top.clut_y, 511);
    EXPECT_EQ(std::string(semi_transparency_text(top.semi)), "25%ﾋﾟｸｾﾙ加算");
    EXPECT_EQ(std::string(color_mode_text(top.mode)), "24bitDirect");
}

TEST(DrawingEnvironment, TheFieldsMakeTheWordsAndKeepTheirRanges) {
    DrawingEnvironment e = split_drawing_environment(0x080, 0);  // an 8-bit image
    e.semi = 2;                                                  // "ﾋﾟｸｾﾙ減算"
    e.placement_x = 2;                                           // 128
    e.placement_y = 0;
    EXPECT_EQ(environment_tpage(e), 0xC2u);
    // Unchanged fields give the words back, bits outside the fields dropped.
    for (uint32_t tpage : {0x9Au, 0x1FFu, 0u})
        for (uint16_t clut : {uint16_t{0x7805}, uint16_t{0x7FFF}, uint16_t{0}}) {
            const DrawingEnvironment same = split_drawing_environment(tpage, clut);
            EXPECT_EQ(environment_tpage(same), tpage);
            EXPECT_EQ(environment_clut(same), clut);
        }
    EXPECT_EQ(environment_clut(split_drawing_environment(0, 0x8000)), 0);
    EXPECT_EQ(environment_tpage(split_drawing_environment(0xFFFFFE00u, 0)), 0u);
}

}  // namespace
