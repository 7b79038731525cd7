// Scenario verbs that run the program's own main loop as it runs for a user, and what the
// desktop does to windows:
//
//   run SECONDS      the real main loop, paced as for a user, for SECONDS (a decimal number);
//                    nothing else happens meanwhile, as when the user sits and watches. At the
//                    end the loop is woken once to hand control back.
//   expose TARGET    the desktop shows TARGET's top-level window again (it was covered, or
//                    minimised and restored): its windows must draw themselves again
//   desktop deactivate  another program becomes the active one: no window of ours is active
//   controls TARGET FILE  writes a line per control of TARGET, as another program reads them
//                    (scenario/controls_listing.h): what the Windows build is compared with
//
// Dump section "history": where the undo history stands (0 at the state it started from) and how
// many states it holds.
//
// Dump section "last_run": the seconds, ticks and wake-ups of the last run (the wake-up that
// ends it not counted) and the processor time the program used meanwhile, null before the first.
#include <windows.h>

#include <ctime>
#include <fstream>
#include <string>

#include "project/app_state.h"
#include "app/startup.h"
#include "automation/automation.h"
#include "automation/inspect.h"
#include "automation/json.h"
#include "project/history.h"
#include "scenario/controls_listing.h"
#include "scenario/driver.h"

namespace {

using cw::automation::fail;
using scenario::Line;

struct LastRun {
    bool done = false;
    double seconds = 0;
    uint64_t ticks = 0;
    uint64_t wakeups = 0;
    double cpu_seconds = 0;
};
LastRun g_last;

void run_verb(const Line& l) {
    scenario::need(l, 2, "run SECONDS");
    const double seconds = std::stod(l.words[1]);
    if (!(seconds > 0 && seconds <= 60)) fail("run takes 0 to 60 seconds");
    const uint64_t ticks = g_app.ticks, wakeups = g_app.wakeups;
    const std::clock_t cpu = std::clock();
    bool over = false;
    cw::automation::after(static_cast<int>(seconds * 1000), [&] {
        g_last = LastRun{true, seconds, g_app.ticks - ticks, g_app.wakeups - wakeups,
                         static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC};
        over = true;
        // Input of any kind ends a wait of the loop; a null message changes nothing else.
        PostMessageA(g_app.main_window, WM_NULL, 0, 0);
    });
    MSG msg{};
    while (!over) {
        if (main_loop_step(msg, LoopMode::Paced) == LoopStep::Quit) fail("the program ended during run");
    }
}

void expose_verb(const Line& l) {
    size_t i = 1;
    const HWND h = scenario::target(l, i);
    cw::automation::desktop_exposes(h);
}

void desktop_verb(const Line& l) {
    scenario::need(l, 2, "desktop deactivate");
    if (l.words[1] != "deactivate") fail("usage: desktop deactivate");
    cw::automation::desktop_activates_another_program();
}

void controls_verb(const Line& l) {
    size_t i = 1;
    const HWND h = scenario::target(l, i);
    if (l.words.size() < i + 1) fail("usage: controls TARGET FILE");
    std::ofstream out(scenario::string_value(l.words[i]), std::ios::binary);
    out << controls_listing::list_controls(h);
    if (!out) fail("the list of controls could not be written");
}

std::string history_json() {
    return cw::automation::json_object(
        {{"position", std::to_string(history_position())}, {"states", std::to_string(history_size())}});
}

std::string last_run_json() {
    if (!g_last.done) return "null";
    return cw::automation::json_object({{"seconds", std::to_string(g_last.seconds)},
                                        {"ticks", std::to_string(g_last.ticks)},
                                        {"wakeups", std::to_string(g_last.wakeups)},
                                        {"cpu_seconds", std::to_string(g_last.cpu_seconds)}});
}

const bool registered = [] {
    scenario::register_verb("run", run_verb);
    scenario::register_verb("expose", expose_verb);
    scenario::register_verb("controls", controls_verb);
    scenario::register_verb("desktop", desktop_verb);
    scenario::register_dump_section("last_run", last_run_json);
    scenario::register_dump_section("history", history_json);
    return true;
}();

}  // namespace
