// The edit panel's procedure: every control reads or writes the shared tables or
// the playback state; the panel itself keeps only the speed slider's handle.
#include "display/edit_panel.h"

#include <commctrl.h>
#include <commdlg.h>
#include <ddraw.h>

#include "project/app_state.h"
#include "display/ddraw_sets.h"
#include "display/panel_rules.h"
#include "display/panel_selection.h"
#include "display/playback.h"
#include "project/project_tree.h"
#include "project/tables.h"

namespace {

constexpr int kCheckedImage = 2;
constexpr int kUncheckedImage = 1;

HWND g_speed_slider = nullptr;

// The two swatches: the transparent colour (the working image's pixel value 0, black) and the
// background colour beside its button. Each keeps its colour in its window's user data and
// draws it itself whenever it is shown: a black rectangle static paints the window frame
// colour, which is not black in every colour scheme (some systems paint the dark shadow
// colour instead), and some paint it at once when the control is enabled, without WM_PAINT.
WNDPROC g_swatch_proc = nullptr;

void draw_swatch(HWND swatch, HDC dc) {
    const COLORREF c = static_cast<COLORREF>(GetWindowLongPtrA(swatch, GWLP_USERDATA));
    RECT r;
    GetClientRect(swatch, &r);
    HPEN pen = CreatePen(PS_SOLID, 1, c);
    HBRUSH brush = CreateSolidBrush(c);
    HGDIOBJ old_pen = SelectObject(dc, pen);
    HGDIOBJ old_brush = SelectObject(dc, brush);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(pen);
    DeleteObject(brush);
}

void paint_swatch_now(HWND swatch) {
    HDC dc = GetDC(swatch);
    if (!dc) return;
    draw_swatch(swatch, dc);
    ReleaseDC(swatch, dc);
}

void on_swatch_paint(HWND swatch) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(swatch, &ps);
    if (dc) draw_swatch(swatch, dc);
    EndPaint(swatch, &ps);
}

LRESULT CALLBACK swatch_proc(HWND swatch, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_PAINT: on_swatch_paint(swatch); return 0;
        case WM_ERASEBKGND: return 1;
        // What the static would paint at once for these is the swatch's to paint instead.
        case WM_ENABLE:
        case WM_SYSCOLORCHANGE: InvalidateRect(swatch, nullptr, FALSE); return 0;
    }
    return CallWindowProcA(g_swatch_proc, swatch, msg, wp, lp);
}

void make_swatch(HWND hwnd, int id, COLORREF c) {
    const HWND swatch = GetDlgItem(hwnd, id);
    SetWindowLongPtrA(swatch, GWLP_USERDATA, static_cast<LONG_PTR>(c));
    g_swatch_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(swatch, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(swatch_proc)));
}

void paint_swatch(HWND hwnd, COLORREF c) {
    const HWND swatch = GetDlgItem(hwnd, IDC_BACKGROUND_SWATCH);
    SetWindowLongPtrA(swatch, GWLP_USERDATA, static_cast<LONG_PTR>(c));
    paint_swatch_now(swatch);
}

// A disabled dialog leaves its controls looking as they were, so while no project is open
// every control of the panel is disabled with it. What each control is meant to be while a
// project is open is kept here, so that opening one gives exactly that back.
struct PanelControl {
    HWND control;
    bool wanted;
};
constexpr int kMaxPanelControls = 64;
PanelControl g_controls[kMaxPanelControls];
int g_control_count = 0;
bool g_panel_open = false;
HWND g_panel = nullptr;

BOOL CALLBACK note_control(HWND control, LPARAM) {
    if (g_control_count < kMaxPanelControls)
        g_controls[g_control_count++] = PanelControl{control, IsWindowEnabled(control) != FALSE};
    return TRUE;
}

PanelControl* panel_control(HWND control) {
    for (int i = 0; i < g_control_count; ++i)
        if (g_controls[i].control == control) return &g_controls[i];
    return nullptr;
}

void on_init(HWND hwnd) {
    g_speed_slider = GetDlgItem(hwnd, IDC_SPEED);
    SendMessageA(g_speed_slider, TBM_SETRANGE, TRUE, MAKELPARAM(0, 9));
    g_panel = hwnd;
    make_swatch(hwnd, IDC_TRANSPARENT_SWATCH, RGB(0, 0, 0));
    make_swatch(hwnd, IDC_BACKGROUND_SWATCH, RGB(0, 0, 0));
    g_control_count = 0;
    EnumChildWindows(hwnd, note_control, 0);
    set_panel_open(IsWindowEnabled(hwnd) != FALSE);
}

// The speed is taken when the user lets go of the slider (keys and clicks end the same way).
void on_speed_scroll(WPARAM wp, LPARAM lp) {
    if (reinterpret_cast<HWND>(lp) != g_speed_slider || LOWORD(wp) != TB_ENDTRACK) return;
    g_tables.data.header.speed = static_cast<uint32_t>(SendMessageA(g_speed_slider, TBM_GETPOS, 0, 0));
}

// The current frame when both combos have a selection; false otherwise.
bool current_pattern_and_frame(int* p, int* f) {
    *p = current_pattern();
    *f = current_frame();
    return *p >= 0 && *p < kMaxPatterns && *f >= 0 && *f < kMaxFrames;
}

void on_timing_change(HWND hwnd) {
    int p = 0, f = 0;
    if (!current_pattern_and_frame(&p, &f)) return;
    uint16_t& timing = g_tables.frames[p][f].timing;
    // A data file may hold a timing of five digits. Showing it changes the field too, and
    // that change must not cut the stored timing to its first four digits.
    BOOL whole = FALSE;
    const UINT shown = GetDlgItemInt(hwnd, IDC_TIMING, &whole, FALSE);
    if (whole && shown == timing) return;
    // Only the first four characters count, so a fifth digit typed changes nothing.
    char text[5] = {0};
    GetDlgItemTextA(hwnd, IDC_TIMING, text, sizeof text);
    timing = timing_from_text(text);
}

// Enter in the field, or the focus leaving it, takes what was typed as it stands: it is the
// project's step from then on, which Ctrl+Z undoes, and no longer the field's typing.
void take_typed_value(HWND hwnd) {
    SendDlgItemMessageA(hwnd, IDC_TIMING, EM_EMPTYUNDOBUFFER, 0, 0);
}

void set_flip(HWND hwnd, int id, uint8_t bit) {
    if (SendDlgItemMessageA(hwnd, id, BM_GETCHECK, 0, 0))
        g_playback.flip_flags |= bit;
    else
        g_playback.flip_flags &= static_cast<uint8_t>(~bit);
}

void on_transparent(HWND hwnd) {
    if (SendDlgItemMessageA(hwnd, IDC_TRANSPARENT, BM_GETCHECK, 0, 0) == BST_CHECKED)
        g_playback.still_blt_flags = 0;
    else
        g_playback.still_blt_flags |= DDBLT_KEYSRC;
}

// The fill value of a colour in the pixel format of the image window's canvas,
// which is the display's; without a canvas the 32-bit display form is taken.
uint32_t pixel_value_of(COLORREF c) {
    DDPIXELFORMAT f{};
    f.dwSize = sizeof f;
    if (!g_image_set.canvas || FAILED(g_image_set.canvas->GetPixelFormat(&f)))
        return colour_to_pixel(c, 0xFF0000, 0x00FF00, 0x0000FF);
    return colour_to_pixel(c, f.dwRBitMask, f.dwGBitMask, f.dwBBitMask);
}

// The colour dialog always opens on black, its custom colours empty and out of reach.
void choose_background_colour(HWND hwnd) {
    COLORREF custom[16] = {0};
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = hwnd;
    cc.rgbResult = RGB(0, 0, 0);
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_PREVENTFULLOPEN;
    if (!ChooseColorA(&cc)) return;
    g_app.background_fill.dwFillColor = pixel_value_of(cc.rgbResult);
    paint_swatch(hwnd, cc.rgbResult);
}

void hide_other_frames() {
    int p = 0, f = 0;
    if (!current_pattern_and_frame(&p, &f)) return;
    for (int j = 0; j < kMaxFrames; ++j)
        if (g_tables.frame_items[p][j])
            set_tree_check_image(g_app.project_tree, g_tables.frame_items[p][j],
                                 j == f ? kCheckedImage : kUncheckedImage);
}

void show_all_frames() {
    const int p = current_pattern();
    if (p < 0 || p >= kMaxPatterns) return;
    for (int j = 0; j < kMaxFrames; ++j)
        if (g_tables.frame_items[p][j])
            set_tree_check_image(g_app.project_tree, g_tables.frame_items[p][j], kCheckedImage);
}

void reset_base_size(HWND hwnd) {
    const int p = current_pattern();
    if (p < 0 || p >= kMaxPatterns) return;
    const BaseSize b = base_size_of(g_tables.frames[p]);
    g_tables.settings[p].base_w = b.w;
    g_tables.settings[p].base_h = b.h;
    SetDlgItemInt(hwnd, IDC_BASE_W, b.w, FALSE);
    SetDlgItemInt(hwnd, IDC_BASE_H, b.h, FALSE);
    if (g_tables.pattern_ddraw[p]) recreate_base_surface(p);
}

void on_command(HWND hwnd, int id, int code, LPARAM lp) {
    if (id >= IDC_PLAY_BACKWARD && id <= IDC_PLAY_LAST) {
        press_playback_button(id);
        return;
    }
    switch (id) {
        case IDC_PATTERN:
            if (code == CBN_SELCHANGE) on_pattern_combo_change(lp);
            break;
        case IDC_FRAME:
            if (code == CBN_SELCHANGE) on_frame_combo_change();
            break;
        case IDC_TIMING:
            if (code == EN_CHANGE) on_timing_change(hwnd);
            if (code == EN_KILLFOCUS) take_typed_value(hwnd);
            break;
        case IDOK: take_typed_value(hwnd); break;
        case IDC_FLIP_LEFT_RIGHT: set_flip(hwnd, id, kFlipLeftRight); break;
        case IDC_FLIP_TOP_BOTTOM: set_flip(hwnd, id, kFlipTopBottom); break;
        case IDC_TRANSPARENT: on_transparent(hwnd); break;
        case IDC_BACKGROUND_CHANGE: choose_background_colour(hwnd); break;
        case IDC_HIDE_OTHER_FRAMES: hide_other_frames(); break;
        case IDC_SHOW_ALL_FRAMES: show_all_frames(); break;
        case IDC_BASE_RESET: reset_base_size(hwnd); break;
    }
}

}  // namespace

COLORREF background_colour() {
    return static_cast<COLORREF>(
        GetWindowLongPtrA(GetDlgItem(g_panel, IDC_BACKGROUND_SWATCH), GWLP_USERDATA));
}

bool panel_typing_open() {
    const HWND timing = GetDlgItem(g_panel, IDC_TIMING);
    return GetFocus() == timing && SendMessageA(timing, EM_CANUNDO, 0, 0) != 0;
}

void set_panel_open(bool open) {
    g_panel_open = open;
    EnableWindow(g_panel, open);
    for (int i = 0; i < g_control_count; ++i)
        EnableWindow(g_controls[i].control, open && g_controls[i].wanted);
}

void enable_panel_control(int id, bool enable) {
    const HWND control = GetDlgItem(g_panel, id);
    if (PanelControl* c = panel_control(control)) c->wanted = enable;
    EnableWindow(control, enable && g_panel_open);
}

INT_PTR CALLBACK edit_panel_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG: on_init(hwnd); return FALSE;
        case WM_ACTIVATE: g_app.app_active = LOWORD(wp); return TRUE;
        case WM_HSCROLL: on_speed_scroll(wp, lp); return TRUE;
        case WM_COMMAND: on_command(hwnd, LOWORD(wp), HIWORD(wp), lp); return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK version_dialog_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
    if (msg != WM_COMMAND) return FALSE;
    // The only button is "OK" with the id IDCANCEL, so OK, Esc and the close box all end here.
    if (LOWORD(wp) == IDCANCEL) EndDialog(hwnd, 0);
    return TRUE;
}
