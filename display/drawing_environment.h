// The drawing environment dialog (IDD_DRAWING_ENVIRONMENT): the texture-page placement, the CLUT
// position and the semi-transparency mode that the animation data carries; the
// colour mode is shown, not changed.
#pragma once

#include <windows.h>

#include <cstdint>

// The two attribute words split into the dialog's fields, in the units of their
// up-downs: CLUT X / 16, CLUT Y, placement X / 64, placement Y / 256.
struct DrawingEnvironment {
    int clut_x;       // bits 0-5 of the CLUT attribute
    int clut_y;       // bits 6-14
    int placement_x;  // tpage bits 0-3
    int placement_y;  // tpage bit 4
    int semi;         // tpage bits 5-6
    int mode;         // tpage bits 7-8
};

DrawingEnvironment split_drawing_environment(uint32_t tpage, uint16_t clut);
uint32_t environment_tpage(const DrawingEnvironment& e);
uint16_t environment_clut(const DrawingEnvironment& e);

// The texts of the semi-transparency combo (IDC_SEMI_TRANSPARENCY) and of the colour mode
// field (IDC_COLOR_MODE).
const char* semi_transparency_text(int semi);
const char* color_mode_text(int mode);

INT_PTR CALLBACK drawing_environment_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Runs IDD_DRAWING_ENVIRONMENT modally with the given owner.
void run_drawing_environment_dialog(HWND owner);
