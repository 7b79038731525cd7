// The editor's settings file: what is written reads back, a damaged line costs only its own
// setting, and the place file of earlier runs is still understood.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/editor_settings.h"

namespace {

EditorSettings decoded(const std::string& text) {
    const std::vector<uint8_t> bytes(text.begin(), text.end());
    return decode_editor_settings(bytes);
}

std::string encoded(const EditorSettings& s) {
    const std::vector<uint8_t> bytes = encode_editor_settings(s);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(EditorSettings, WhatIsWrittenReadsBackAndTheSameSettingsGiveTheSameBytes) {
    EditorSettings s;
    s.image_window_placed = true;
    s.image_window_x = -40;
    s.image_window_y = 398;
    s.console_preview = true;
    s.ticks_per_second = kPalTicksPerSecond;
    EXPECT_EQ(encoded(s), "image_window=-40 398\nconsole_preview=1\nticks_per_second=50\n");
    EXPECT_EQ(decoded(encoded(s)), s);
    EXPECT_EQ(decoded(encoded(EditorSettings{})), EditorSettings{});
    EXPECT_EQ(encoded(EditorSettings{}), "console_preview=0\nticks_per_second=60\n")
        << "no place: none written";
}

TEST(EditorSettings, ADamagedOrForeignLineLeavesOnlyItsOwnSettingAtItsDefault) {
    // Windows line ends, an unknown name, a rate no console draws at, a place that is no place.
    const EditorSettings s =
        decoded("console_preview=1\r\nwindow_colour=red\nticks_per_second=55\nimage_window=12 x\n");
    EXPECT_TRUE(s.console_preview);
    EXPECT_EQ(s.ticks_per_second, kNtscTicksPerSecond);
    EXPECT_FALSE(s.image_window_placed);
    EXPECT_FALSE(decoded("console_preview=2\n").console_preview);
    EXPECT_FALSE(decoded("console_preview=\n").console_preview);
    EXPECT_EQ(decoded(std::string("ticks_per_second=50\0\n", 21)).ticks_per_second, kNtscTicksPerSecond);
    EXPECT_EQ(decoded("image_window=99999999999 1\n").image_window_placed, false) << "out of any screen";
    EXPECT_EQ(decoded(""), EditorSettings{});
    EXPECT_EQ(decoded("\xff\xfe garbage without lines"), EditorSettings{});
}

TEST(EditorSettings, ThePlaceFileOfEarlierRunsIsStillUnderstood) {
    const std::string line = "300 200\n";
    const EditorSettings s = decode_image_window_place(std::vector<uint8_t>(line.begin(), line.end()));
    EXPECT_TRUE(s.image_window_placed);
    EXPECT_EQ(s.image_window_x, 300);
    EXPECT_EQ(s.image_window_y, 200);
    for (const std::string bad : {"300", "300 200 100", "garbage", "300  200", ""})
        EXPECT_FALSE(
            decode_image_window_place(std::vector<uint8_t>(bad.begin(), bad.end())).image_window_placed)
            << bad;
}
