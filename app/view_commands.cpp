#include "app/view_commands.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/startup.h"
#include "display/panel_selection.h"
#include "files/editor_settings.h"
#include "project/app_state.h"
#include "project/tables.h"

namespace {

constexpr int kFrameTimeWidth = 100;  // pixels of the status bar's frame-time part

void check(UINT id, bool on) {
    for (HMENU bar : {g_app.project_menu, g_app.pattern_menu})
        if (bar) CheckMenuItem(bar, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

// "100 ms": (timing + 1) x (speed + 1) ticks at the display rate, rounded to whole milliseconds;
// empty without a current frame.
std::string frame_time_text() {
    const int p = current_pattern(), f = current_frame();
    if (p < 0 || p >= kMaxPatterns || f < 0 || f >= kMaxFrames) return "";
    const long ticks = (static_cast<long>(g_tables.frames[p][f].timing) + 1) *
                       (static_cast<long>(g_tables.data.header.speed) + 1);
    const long rate = g_app.ticks_per_second;
    char text[32];
    std::snprintf(text, sizeof text, "%ld ms", (ticks * 1000 + rate / 2) / rate);
    return text;
}

}  // namespace

void show_view_choices() {
    check(ID_VIEW_CONSOLE_PREVIEW, g_app.console_preview);
    check(ID_VIEW_RATE_NTSC, g_app.ticks_per_second == kNtscTicksPerSecond);
    check(ID_VIEW_RATE_PAL, g_app.ticks_per_second == kPalTicksPerSecond);
}

void command_console_preview() {
    // The pattern windows see the choice in what their pictures are drawn from, and draw again.
    g_app.console_preview = !g_app.console_preview;
    show_view_choices();
}

void command_tick_rate(int ticks_per_second) {
    g_app.ticks_per_second = ticks_per_second;
    set_tick_rate(ticks_per_second);
    show_view_choices();
    show_frame_time();
}

void show_frame_time() {
    if (!g_app.status_bar) return;
    const std::string text = frame_time_text();
    char shown[32] = {};
    if (SendMessageA(g_app.status_bar, SB_GETTEXTLENGTHA, 1, 0) < static_cast<LRESULT>(sizeof shown))
        SendMessageA(g_app.status_bar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(shown));
    if (text != shown) SendMessageA(g_app.status_bar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text.c_str()));
}

void lay_out_status_bar(int w) {
    int edges[2] = {w - kFrameTimeWidth, -1};
    if (edges[0] < 0) edges[0] = 0;
    SendMessageA(g_app.status_bar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
}
