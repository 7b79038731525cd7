// The editor started in this process with a project built through its own
// commands, for the playback benchmark and the tick-rate measurement.
#pragma once

#include <cstdint>
#include <string>

struct DemoProject {
    int patterns = 12;      // each with a 200 x 200 window
    int frames = 20;        // per pattern, 16 x 16 cells of the sheet spread over a 50 x 50 base frame
    int pattern_zoom = 2;   // zoom_shift of every pattern window (4x4)
    int image_zoom = 5;     // zoom_shift of the image window (32x32)
    int main_width = 1200;  // the main window's client size
    int main_height = 900;
};

// The test sheet of the repository this build was made from.
std::string demo_sheet_path();

// Starts the program (start-up as the editor runs it) and builds the project on
// the sheet at sheet_path: New, the patterns and frames, zooms. The automation seam
// answers New's questions and stays on afterwards only when `stay_automated`.
// False when start-up or the image failed.
bool start_demo(const std::string& sheet_path, const DemoProject& demo, bool stay_automated);

// The playback buttons of the edit panel, clicked as the user clicks them.
void click_panel_button(int id);

// The bytes one still tick writes: every fill, frame copy, magnification, outline
// and copy to the screen of the pattern windows and the image window.
uint64_t still_tick_bytes();
// The bytes one tick of the running display of pattern p writes (the image window,
// unchanged, is not drawn again).
uint64_t running_tick_bytes(int p);
