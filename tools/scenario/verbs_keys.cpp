// key KEYS: a key pressed as on the keyboard ("ctrl+z", "shift+tab", "delete", "f2", "a"),
// into the window that has the focus; it passes through the backend's key handling and the
// program's message loop as the user's does.
#include <windows.h>

#include <Qt>
#include <cctype>
#include <string>

#include "automation/automation.h"
#include "automation/json.h"
#include "qt/view.h"
#include "scenario/driver.h"

namespace {

using cw::automation::fail;
using scenario::Line;

struct Chord {
    int key = 0;
    bool shift = false, ctrl = false, alt = false;
};

int named_key(const std::string& name) {
    static const struct {
        const char* name;
        int key;
    } kNames[] = {{"tab", Qt::Key_Tab},
                  {"return", Qt::Key_Return},
                  {"enter", Qt::Key_Return},
                  {"escape", Qt::Key_Escape},
                  {"esc", Qt::Key_Escape},
                  {"delete", Qt::Key_Delete},
                  {"backspace", Qt::Key_Backspace},
                  {"space", Qt::Key_Space},
                  {"up", Qt::Key_Up},
                  {"down", Qt::Key_Down},
                  {"left", Qt::Key_Left},
                  {"right", Qt::Key_Right},
                  {"home", Qt::Key_Home},
                  {"end", Qt::Key_End},
                  {"insert", Qt::Key_Insert}};
    for (const auto& n : kNames)
        if (name == n.name) return n.key;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return std::toupper(static_cast<unsigned char>(name[0]));
    if (name.size() >= 2 && name[0] == 'f' && std::isdigit(static_cast<unsigned char>(name[1]))) {
        const int n = std::stoi(name.substr(1));
        if (n >= 1 && n <= 12) return Qt::Key_F1 + n - 1;
    }
    return 0;
}

Chord chord_of(const std::string& text) {
    Chord c;
    size_t start = 0;
    for (;;) {
        const size_t plus = text.find('+', start);
        const std::string part =
            text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
        if (plus == std::string::npos) {
            c.key = named_key(part);
            if (!c.key) fail("unknown key '" + part + "'");
            return c;
        }
        if (part == "shift")
            c.shift = true;
        else if (part == "ctrl")
            c.ctrl = true;
        else if (part == "alt")
            c.alt = true;
        else
            fail("unknown shift key '" + part + "' (shift, ctrl or alt)");
        start = plus + 1;
    }
}

void key_verb(const Line& l) {
    scenario::need(l, 2, "key KEYS [KEYS...]   e.g. key ctrl+z, key shift+tab");
    for (size_t i = 1; i < l.words.size(); ++i) {
        const Chord c = chord_of(l.words[i]);
        HWND focus = GetFocus();
        if (!focus) fail("no window has the keyboard focus");
        cw::qt::user_key_press(cw::win::window_from(focus), c.key, c.shift || c.key == Qt::Key_Backtab,
                               c.ctrl, c.alt);
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
