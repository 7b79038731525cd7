// The editor's own settings that the configuration record has no room for, kept in a small
// text file of their own beside it ("Celwin.ini"): where the user left the image window, and
// how the pattern windows show and time the animation. One "name=value" line each; a line that
// is not ours, or a value out of range, leaves that setting at its default, so a damaged file
// costs nothing but the settings it damaged.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

inline constexpr char kEditorSettingsFile[] = "Celwin.ini";
// The file that held the image window's place alone before ("X Y"); read when there is no
// settings file yet.
inline constexpr char kImageWindowPlaceFile[] = "Celwin.pos";

// The display rates a console draws at: NTSC's 60 frames a second and PAL's 50.
inline constexpr int kNtscTicksPerSecond = 60;
inline constexpr int kPalTicksPerSecond = 50;

struct EditorSettings {
    bool image_window_placed = false;
    int32_t image_window_x = 0, image_window_y = 0;  // its outer frame's corner on the screen
    bool console_preview = false;                    // the pattern windows drawn as the console draws them
    int ticks_per_second = kNtscTicksPerSecond;
    bool operator==(const EditorSettings&) const = default;
};

EditorSettings decode_editor_settings(std::span<const uint8_t> bytes);
std::vector<uint8_t> encode_editor_settings(const EditorSettings& settings);
// The old place file's line "X Y": the place, or the defaults when it is anything else.
EditorSettings decode_image_window_place(std::span<const uint8_t> bytes);
