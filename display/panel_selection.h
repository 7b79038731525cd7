// The edit panel's pattern combo (1018) and frame combo (1020): choosing an entry
// makes that pattern or frame current everywhere.
#pragma once

#include <windows.h>

// The current pattern and frame are the selections of the pattern combo (1018)
// and the frame combo (1020); -1 when nothing is selected.
int current_pattern();
int current_frame();

// CBN_SELCHANGE of 1018. control is the notification's lParam: non-zero for a
// choice in the combo itself, which then also selects the pattern's tree item;
// 0 when the project tree asks (its selection is already made).
void on_pattern_combo_change(LPARAM control);
// The panel's fields show frame 0 of pattern p, or only its base frame size when it
// has no frames: never the numbers of a frame that is not current.
void show_first_frame(int p);
// CBN_SELCHANGE of 1020.
void on_frame_combo_change();
