// key KEYS: a key pressed as on the keyboard ("ctrl+z", "shift+tab", "delete", "f2", "a"),
// into the window that has the focus (cw::automation::user_keys); it passes through the
// backend's key handling and the program's message loop as the user's does.
#include <windows.h>

#include <string>

#include "automation/inspect.h"
#include "automation/json.h"
#include "scenario/driver.h"

namespace {

using scenario::Line;

void key_verb(const Line& l) {
    scenario::need(l, 2, "key KEYS [KEYS...]   e.g. key ctrl+z, key shift+tab");
    for (size_t i = 1; i < l.words.size(); ++i) {
        scenario::user_step(cw::automation::user_keys(l.words[i]));
        scenario::pump();
    }
}

// Which window has the keyboard focus: its control id and class.
std::string focus_json() {
    HWND focus = GetFocus();
    if (!focus) return "null";
    char name[64] = {};
    GetClassNameA(focus, name, sizeof name);
    return cw::automation::json_object(
        {{"id", std::to_string(GetDlgCtrlID(focus))}, {"class", cw::automation::json_string(name)}});
}

const bool registered = [] {
    scenario::register_verb("key", key_verb);
    scenario::register_dump_section("focus", focus_json);
    return true;
}();

}  // namespace
