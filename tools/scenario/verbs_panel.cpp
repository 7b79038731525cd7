// Scenario verbs and dump sections for the edit panel and playback:
//
//   slider ID key left|right|home|end|pageup|pagedown
//                                a key pressed on the trackbar ID (edit panel, or the open dialog)
//   slider ID drag POS           its thumb dragged to POS and let go
//   slider ID wheel up|down      one notch of the mouse wheel over it
//
// Script steps elsewhere that reach the panel: "click", "set" and "check" take the
// edit panel's controls when no dialog is open; "answer color R G B|cancel" answers
// the colour dialog; "snapshot pattern N FILE.png" saves what the last tick drew.
//
// Dump sections: "playback" (the playback state, the fill value of the background
// fill record, the colour shown in the background swatch) and "color_dialogs" (every
// colour dialog that opened: owner, initial colour, flags, custom colours, result).
#include <windows.h>

#include <string>
#include <vector>

#include "project/app_state.h"
#include "automation/automation.h"
#include "automation/json.h"
#include "display/playback.h"
#include "automation/inspect.h"
#include "scenario/driver.h"
#include "win/controls.h"

namespace {

using cw::automation::fail;
using cw::automation::json_array;
using cw::automation::json_object;
using scenario::colour_json;
using scenario::Line;
using scenario::number;

std::string n(long long v) {
    return std::to_string(v);
}

void slider_verb(const Line& l) {
    scenario::need(l, 4, "slider ID key KEY|drag POS|wheel up|down");
    const Line control{l.number, {"control", l.words[1]}};
    size_t i = 0;
    cw::win::Window* w = cw::win::window_from(scenario::target(control, i));
    if (!w || !w->cls || w->cls->name != "msctls_trackbar32")
        fail("control " + l.words[1] + " is no trackbar");
    // A disabled slider, or one in a disabled panel, takes no input.
    if (!IsWindowEnabled(w->handle) || (w->parent && !IsWindowEnabled(w->parent->handle)))
        fail("the trackbar " + l.words[1] + " is disabled");
    const std::string action = l.words[2];
    if (action == "key") {
        const std::string key = l.words[3];
        if (key != "left" && key != "right" && key != "home" && key != "end" && key != "pageup" &&
            key != "pagedown")
            fail("slider key must be left, right, home, end, pageup or pagedown");
        scenario::user_step(cw::automation::user_slider_key(w->handle, key));
    } else if (action == "drag") {
        scenario::user_step(
            cw::automation::user_slider_drag(w->handle, static_cast<int>(number(l.words[3]))));
    } else if (action == "wheel") {
        scenario::user_step(cw::automation::user_slider_wheel(w->handle, l.words[3] == "up"));
    } else {
        fail("slider action must be key, drag or wheel");
    }
}

// The colour at the centre of the background swatch as it is shown.
std::string swatch_json() {
    HWND swatch = GetDlgItem(g_app.edit_panel, IDC_BACKGROUND_SWATCH);
    if (!swatch) return "null";
    RECT r;
    GetClientRect(swatch, &r);
    HDC dc = GetDC(swatch);
    const COLORREF c = GetPixel(dc, r.right / 2, r.bottom / 2);
    ReleaseDC(swatch, dc);
    return c == CLR_INVALID ? "null" : colour_json(c);
}

std::string playback_json() {
    const PlaybackState& s = g_playback;
    return json_object({{"play_pattern", n(s.play_pattern)},
                        {"play_frame", n(s.play_frame)},
                        {"play_step", n(s.play_step)},
                        {"speed_counter", n(s.speed_counter)},
                        {"timing_counter", n(s.timing_counter)},
                        {"flip_flags", n(s.flip_flags)},
                        {"still_blt_flags", n(s.still_blt_flags)},
                        {"background_fill", n(g_app.background_fill.dwFillColor)},
                        {"swatch", swatch_json()}});
}

std::string color_dialogs_json() {
    std::vector<std::string> out;
    for (const auto& d : cw::automation::color_dialogs()) {
        std::vector<std::string> custom;
        for (COLORREF c : d.custom) custom.push_back(colour_json(c));
        out.push_back(json_object({{"owner_is_panel", d.owner == g_app.edit_panel ? "true" : "false"},
                                   {"initial", colour_json(d.initial)},
                                   {"flags", n(d.flags)},
                                   {"custom", json_array(custom)},
                                   {"chosen", d.chosen ? "true" : "false"},
                                   {"result", colour_json(d.result)}}));
    }
    return json_array(out);
}

const bool registered = [] {
    scenario::register_verb("slider", slider_verb);
    scenario::register_dump_section("playback", playback_json);
    scenario::register_dump_section("color_dialogs", color_dialogs_json);
    return true;
}();

}  // namespace
