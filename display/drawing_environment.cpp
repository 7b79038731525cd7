// The dialog writes the edit texts itself: its up-downs have no buddy, and the
// stored values change only on OK.
#include "display/drawing_environment.h"

#include <commctrl.h>

#include <cstdio>

#include "project/app_state.h"
#include "project/tables.h"

namespace {

constexpr const char* kSemiTexts[] = {"半透明", "ﾋﾟｸｾﾙ加算", "ﾋﾟｸｾﾙ減算", "25%ﾋﾟｸｾﾙ加算"};
constexpr const char* kModeTexts[] = {"4bitCLUT", "8bitCLUT", "15bitDirect", "24bitDirect"};

struct UpDown {
    int id;
    int edit;   // the field that shows its position
    int scale;  // the field shows position x scale
    int upper;
};
constexpr UpDown kUpDowns[] = {
    {IDC_CLUT_X_SPIN, IDC_CLUT_X, 16, 63},
    {IDC_CLUT_Y_SPIN, IDC_CLUT_Y, 1, 511},
    {IDC_PLACEMENT_X_SPIN, IDC_PLACEMENT_X, 64, 15},
    {IDC_PLACEMENT_Y_SPIN, IDC_PLACEMENT_Y, 256, 1},
};

void set_number(HWND dialog, int id, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    SetDlgItemTextA(dialog, id, text);
}

int position(HWND dialog, int id) {
    return LOWORD(SendDlgItemMessageA(dialog, id, UDM_GETPOS, 0, 0));
}

void on_init(HWND dialog) {
    for (const char* text : kSemiTexts)
        SendDlgItemMessageA(dialog, IDC_SEMI_TRANSPARENCY, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    const DrawingEnvironment e =
        split_drawing_environment(g_tables.data.header.tpage, g_tables.clut_attribute);
    const int values[] = {e.clut_x, e.clut_y, e.placement_x, e.placement_y};
    for (int i = 0; i < 4; ++i) set_number(dialog, kUpDowns[i].edit, values[i] * kUpDowns[i].scale);
    SetDlgItemTextA(dialog, IDC_COLOR_MODE, color_mode_text(e.mode));
    SendDlgItemMessageA(dialog, IDC_SEMI_TRANSPARENCY, CB_SETCURSEL, static_cast<WPARAM>(e.semi), 0);
    for (int i = 0; i < 4; ++i) {
        SendDlgItemMessageA(dialog, kUpDowns[i].id, UDM_SETRANGE, 0, MAKELPARAM(kUpDowns[i].upper, 0));
        SendDlgItemMessageA(dialog, kUpDowns[i].id, UDM_SETPOS, 0, MAKELPARAM(values[i], 0));
    }
}

void on_scroll(HWND dialog, HWND control) {
    const int id = GetDlgCtrlID(control);
    for (const UpDown& u : kUpDowns)
        if (u.id == id) set_number(dialog, u.edit, position(dialog, u.id) * u.scale);
}

void on_ok(HWND dialog) {
    DrawingEnvironment e = split_drawing_environment(g_tables.data.header.tpage, g_tables.clut_attribute);
    e.clut_x = position(dialog, IDC_CLUT_X_SPIN);
    e.clut_y = position(dialog, IDC_CLUT_Y_SPIN);
    e.placement_x = position(dialog, IDC_PLACEMENT_X_SPIN);
    e.placement_y = position(dialog, IDC_PLACEMENT_Y_SPIN);
    // With nothing chosen the mode stays what it was.
    const auto semi =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_SEMI_TRANSPARENCY, CB_GETCURSEL, 0, 0));
    if (semi >= 0 && semi <= 3) e.semi = semi;
    g_tables.clut_attribute = environment_clut(e);
    g_tables.data.header.tpage = environment_tpage(e);
    EndDialog(dialog, IDOK);
}

}  // namespace

DrawingEnvironment split_drawing_environment(uint32_t tpage, uint16_t clut) {
    return DrawingEnvironment{clut & 0x3F,
                              (clut >> 6) & 0x1FF,
                              static_cast<int>(tpage & 0xF),
                              static_cast<int>((tpage >> 4) & 1),
                              static_cast<int>((tpage >> 5) & 3),
                              static_cast<int>((tpage >> 7) & 3)};
}

uint32_t environment_tpage(const DrawingEnvironment& e) {
    return (static_cast<uint32_t>(e.mode & 3) << 7) | (static_cast<uint32_t>(e.semi & 3) << 5) |
           (static_cast<uint32_t>(e.placement_y & 1) << 4) | static_cast<uint32_t>(e.placement_x & 0xF);
}

uint16_t environment_clut(const DrawingEnvironment& e) {
    return static_cast<uint16_t>((e.clut_x & 0x3F) | ((e.clut_y & 0x1FF) << 6));
}

const char* semi_transparency_text(int semi) {
    return semi >= 0 && semi <= 3 ? kSemiTexts[semi] : "";
}

const char* color_mode_text(int mode) {
    return mode >= 0 && mode <= 3 ? kModeTexts[mode] : "";
}

INT_PTR CALLBACK drawing_environment_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: on_init(hwnd); return FALSE;
        case WM_VSCROLL: on_scroll(hwnd, reinterpret_cast<HWND>(lp)); return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) on_ok(hwnd);
            if (LOWORD(wp) == IDCANCEL) EndDialog(hwnd, IDCANCEL);
            return TRUE;
    }
    return FALSE;
}

void run_drawing_environment_dialog(HWND owner) {
    DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_DRAWING_ENVIRONMENT), owner,
                    drawing_environment_proc, 0);
}
