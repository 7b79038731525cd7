// The edit panel's pattern combo (IDC_PATTERN) and frame combo (IDC_FRAME): choosing an entry
// makes that pattern or frame current everywhere.
#pragma once

#include <windows.h>

// The current pattern and frame are the selections of the pattern combo (IDC_PATTERN)
// and the frame combo (IDC_FRAME); -1 when nothing is selected.
int current_pattern();
int current_frame();

// CBN_SELCHANGE of the pattern combo. control is the notification's lParam: non-zero for a
// choice in the combo itself, which then also selects the pattern's tree item;
// 0 when the project tree asks (its selection is already made).
void on_pattern_combo_change(LPARAM control);
// The panel's fields show frame 0 of pattern p, or only its base frame size when it
// has no frames: never the numbers of a frame that is not current.
void show_first_frame(int p);
// CBN_SELCHANGE of the frame combo.
void on_frame_combo_change();
