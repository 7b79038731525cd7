// Scenario verbs and dump sections for leaving the program and for the files it
// writes:
//
//   exit              the main window's close box, as the desktop shows it: the program's own shut-down (the
//   save prompt when a
//                     project is open, then the main window goes and the configuration is
//                     written, and the main loop releases everything and returns its exit
//                     code); the "exit" section says whether the program ended and with
//                     which code. A program kept open (the save was not made) goes on.
//   diskfull BYTES    the disk takes BYTES more bytes; after them every write fails as on a
//                     full disk
//   diskfull off      the disk has room again
//
// Dump sections: "exit" ({"asked", "ended", "exit_code"}) and "recent" (the recent-files
// list: "entries" oldest first, the item "count" with the separator and the "next_id").
#include <windows.h>

#include <string>
#include <vector>

#include "project/app_state.h"
#include "app/recent_files.h"
#include "app/startup.h"
#include "automation/automation.h"
#include "automation/inspect.h"
#include "automation/json.h"
#include "scenario/driver.h"
#include "text/cp932.h"

namespace {

using cw::automation::fail;
using cw::automation::json_array;
using cw::automation::json_object;
using cw::automation::json_string;
using scenario::Line;

struct ExitRecord {
    bool asked = false;
    bool ended = false;
    int exit_code = 0;
};
ExitRecord g_exit;

void exit_verb(const Line&) {
    if (!IsWindow(g_app.main_window)) fail("the main window is gone already");
    g_exit = ExitRecord{true, false, 0};
    scenario::user_step(cw::automation::user_close(g_app.main_window));
    if (IsWindow(g_app.main_window)) return;
    // The quit message is waiting: the main loop takes it, releases everything and
    // returns the exit code, as it does when the program ends.
    g_exit.ended = true;
    g_exit.exit_code = run_main_loop();
    // The driver learns that the program has ended from the quit message too.
    PostQuitMessage(g_exit.exit_code);
}

void diskfull_verb(const Line& l) {
    scenario::need(l, 2, "diskfull BYTES|off");
    if (l.words[1] == "off")
        cw::automation::set_disk_space(-1);
    else if (const long long bytes = scenario::number(l.words[1]); bytes >= 0)
        cw::automation::set_disk_space(bytes);
    else
        fail("diskfull takes a byte count or off");
}

std::string exit_json() {
    return json_object({{"asked", g_exit.asked ? "true" : "false"},
                        {"ended", g_exit.ended ? "true" : "false"},
                        {"exit_code", std::to_string(g_exit.exit_code)}});
}

std::string recent_json() {
    std::vector<std::string> entries;
    for (const std::string& e : g_recent.entries) entries.push_back(json_string(cw::text::cp932_to_utf8(e)));
    return json_object({{"entries", json_array(entries)},
                        {"count", std::to_string(recent_entry_count(g_recent))},
                        {"next_id", std::to_string(next_recent_id(g_recent))}});
}

const bool registered = [] {
    scenario::register_verb("exit", exit_verb);
    scenario::register_verb("diskfull", diskfull_verb);
    scenario::register_dump_section("exit", exit_json);
    scenario::register_dump_section("recent", recent_json);
    return true;
}();

}  // namespace
