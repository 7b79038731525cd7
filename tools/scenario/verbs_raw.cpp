// Raw steps no user can take, kept for the driver's own tests (the Driver cases of the main
// window scenarios: unknown targets, windows that do not exist, a main loop with nothing
// active). No other scenario uses them: every other step enters where a user's does.
//
//   command ID                 posts WM_COMMAND ID to the main window
//   send TARGET MSG WP LP      sends a message to a window
//   table base P W H           sets pattern P's base frame size and updates its scroll bars
//   table frame P F CX CY W H  sets a frame record's correction and image size
#include <windows.h>

#include "project/app_state.h"
#include "automation/automation.h"
#include "display/pattern_window.h"
#include "project/tables.h"
#include "scenario/driver.h"

namespace {

using cw::automation::fail;
using scenario::Line;
using scenario::number;

void command_verb(const Line& l) {
    scenario::need(l, 2, "command ID");
    PostMessageA(g_app.main_window, WM_COMMAND, static_cast<WPARAM>(number(l.words[1])), 0);
}

void send_verb(const Line& l) {
    size_t i = 1;
    HWND h = scenario::target(l, i);
    if (l.words.size() < i + 3) fail("usage: send TARGET MSG WPARAM LPARAM");
    SendMessageA(h, static_cast<UINT>(number(l.words[i])), static_cast<WPARAM>(number(l.words[i + 1])),
                 static_cast<LPARAM>(number(l.words[i + 2])));
}

void table_verb(const Line& l) {
    scenario::need(l, 3, "table base|frame ...");
    if (l.words[1] == "base") {
        scenario::need(l, 5, "table base P W H");
        const long long p = number(l.words[2]);
        if (p < 0 || p >= kMaxPatterns) fail("no pattern " + std::to_string(p));
        g_tables.settings[p].base_w = static_cast<uint16_t>(number(l.words[3]));
        g_tables.settings[p].base_h = static_cast<uint16_t>(number(l.words[4]));
        update_scroll_bars(g_tables.pattern_window[p], static_cast<int>(p));
    } else if (l.words[1] == "frame") {
        scenario::need(l, 8, "table frame P F CX CY W H");
        const long long p = number(l.words[2]), f = number(l.words[3]);
        if (p < 0 || p >= kMaxPatterns || f < 0 || f >= kMaxFrames) fail("no frame slot there");
        FrameRecord& r = g_tables.frames[p][f];
        r.correction_x = static_cast<uint8_t>(number(l.words[4]));
        r.correction_y = static_cast<uint8_t>(number(l.words[5]));
        r.image_w = static_cast<uint16_t>(number(l.words[6]));
        r.image_h = static_cast<uint16_t>(number(l.words[7]));
    } else {
        fail("table needs base or frame");
    }
}

const bool registered = [] {
    scenario::register_verb("command", command_verb);
    scenario::register_verb("send", send_verb);
    scenario::register_verb("table", table_verb);
    return true;
}();

}  // namespace
