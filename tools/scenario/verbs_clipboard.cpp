// Scenario verbs and the dump section of the clipboard, and the step that keeps a program
// serving while another one uses what it put on the clipboard:
//
//   clipboard put NAME HEX...   another program takes the clipboard and leaves these bytes
//                               under the format NAME (hex digits, over as many words as
//                               wanted); "clipboard put" alone leaves it empty
//   clipboard hold              another window keeps the clipboard open, as a program that
//                               is using it does: the program cannot open it meanwhile
//   clipboard release           ... and closes it again
//   serve until FILE [SECONDS]  the program keeps processing events (on X11 the owner of the
//                               clipboard serves its contents to other programs from its
//                               event loop) until FILE exists, relative to the work folder;
//                               after SECONDS (60 by default) the run fails
//
// Dump section "clipboard": "formats" (every format name the desktop's clipboard holds) and
// the bytes under "CLIP_PATTERN" and "CLIP_FRAME" as hex (null when absent).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "project/app_state.h"
#include "automation/automation.h"
#include "automation/json.h"
#include "scenario/driver.h"
#include "win/backend.h"

namespace {

using cw::automation::fail;
using scenario::Line;

std::vector<uint8_t> from_hex(const std::string& hex) {
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        fail(std::string("not a hex digit: ") + c);
    };
    if (hex.size() % 2) fail("hex bytes need two digits each");
    std::vector<uint8_t> out;
    for (size_t i = 0; i < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(digit(hex[i]) * 16 + digit(hex[i + 1])));
    return out;
}

std::string to_hex(const std::vector<uint8_t>& bytes) {
    std::string out;
    char two[3];
    for (uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%02x", b);
        out += two;
    }
    return out;
}

void clipboard_verb(const Line& l) {
    scenario::need(l, 2, "clipboard put NAME HEX...|hold|release");
    const std::string action = l.words[1];
    if (action == "put") {
        std::vector<cw::backend::ClipboardBlock> blocks;
        if (l.words.size() > 2) {
            std::string hex;
            for (size_t i = 3; i < l.words.size(); ++i) hex += l.words[i];
            blocks.push_back({scenario::string_value(l.words[2]), from_hex(hex)});
        }
        cw::backend::clipboard_put(blocks);
    } else if (action == "hold") {
        if (!OpenClipboard(g_app.image_window)) fail("the clipboard could not be held");
    } else if (action == "release") {
        if (!CloseClipboard()) fail("the clipboard was not held");
    } else {
        fail("clipboard action must be put, hold or release");
    }
}

void serve_verb(const Line& l) {
    scenario::need(l, 3, "serve until FILE [SECONDS]");
    if (l.words[1] != "until") fail("usage: serve until FILE [SECONDS]");
    const std::filesystem::path file = scenario::string_value(l.words[2]);
    const long long seconds = l.words.size() > 3 ? scenario::number(l.words[3]) : 60;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!std::filesystem::exists(file)) {
        if (std::chrono::steady_clock::now() > end)
            fail("served " + std::to_string(seconds) + " s and " + file.string() + " did not appear");
        scenario::pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string held_json(const char* name) {
    const auto bytes = cw::backend::clipboard_read(name);
    return bytes ? cw::automation::json_string(to_hex(*bytes)) : "null";
}

std::string clipboard_json() {
    std::vector<std::string> names;
    for (const std::string& n : cw::backend::clipboard_names())
        names.push_back(cw::automation::json_string(n));
    return cw::automation::json_object({{"formats", cw::automation::json_array(names)},
                                        {"CLIP_PATTERN", held_json("CLIP_PATTERN")},
                                        {"CLIP_FRAME", held_json("CLIP_FRAME")}});
}

const bool registered = [] {
    scenario::register_verb("clipboard", clipboard_verb);
    scenario::register_verb("serve", serve_verb);
    scenario::register_dump_section("clipboard", clipboard_json);
    return true;
}();

}  // namespace
