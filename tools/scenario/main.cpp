// celwright-scenario: runs the real program in-process on the offscreen
// platform, executes a script of user steps against it and prints its state.
//
// Every step enters where a user's input does: Qt's mouse and key events handed to the
// windows on screen (platform/automation/qt/user_input.cpp), which the backend translates into messages
// as it does for a user. The test seam (platform/automation) stands in front of the backend
// as a backend of its own: it answers message boxes and dialogs from the queued answers, or
// lets the script act in Qt's real file and colour dialogs and in the popup menus the program
// shows ("on open", "on save", "on color", "on menu" blocks), and hands modal dialogs to the
// script's "on dialog" blocks.
//
//   celwright-scenario [--workdir DIR] [--display] [--args WORDS] SCRIPT   (SCRIPT may be "-")
//
// --args gives the program its command line (one argument, as the system hands WinMain its
// lpCmdLine: quote a path with spaces inside it); a file it names is opened as at start-up.
//
// With --display the program runs on the desktop that DISPLAY (or WAYLAND_DISPLAY) names
// instead of the offscreen platform, so that it meets other programs there (the clipboard
// between two running editors).
//
// The answers a script gives before its first other step are queued before the program starts,
// so that they answer what it asks as it starts.
//
// Exit status 0 when every line ran; otherwise 2 and one line on stderr that
// names the script line and why.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <commctrl.h>

#include "project/app_state.h"
#include "app/command_line.h"
#include "app/file_commands.h"
#include "app/input_watch.h"
#include "app/startup.h"
#include "automation/automation.h"
#include "automation/inspect.h"
#include "automation/json.h"
#include "project/tables.h"
#include "res/resource.h"
#include "scenario/driver.h"
#include "scenario/names.h"
#include "text/cp932.h"
#include "win/drop.h"

namespace scenario {

std::map<std::string, Verb>& verbs() {
    static std::map<std::string, Verb> v;
    return v;
}
std::vector<std::pair<std::string, DumpSection>>& dump_sections() {
    static std::vector<std::pair<std::string, DumpSection>> d;
    return d;
}
void register_verb(const std::string& name, Verb verb) {
    verbs()[name] = std::move(verb);
}
void register_dump_section(const std::string& name, DumpSection section) {
    dump_sections().push_back({name, std::move(section)});
}

}  // namespace scenario

namespace scenario {

using cw::automation::fail;
using cw::automation::json_array;
using cw::automation::json_object;
using cw::automation::json_rect;
using cw::automation::json_string;

// Lines that act inside a dialog when it opens: one of the program's (kind "dialog" and its
// resource id), or Qt's own file or colour dialog (kind "open", "save" or "color").
struct DialogBlock {
    std::string kind;
    int id;
    std::vector<Line> lines;
};

std::vector<DialogBlock> g_blocks;
std::vector<HWND> g_dialogs;  // modal dialogs being served, innermost last
bool g_quit = false;
int g_exit_code = 0;

void at_line(int n) {
    cw::automation::set_context("line " + std::to_string(n));
}

// ---- parsing ----------------------------------------------------------------

std::vector<std::string> split(const std::string& text, int number) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') break;
        if (c == '"') {
            std::string s = "\"";
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == '\\' && i + 1 < text.size()) {
                    const char e = text[i + 1];
                    s += e == 'n' ? '\n' : e == 't' ? '\t' : e;
                    i += 2;
                    continue;
                }
                if (text[i] == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                s += text[i++];
            }
            if (!closed) {
                at_line(number);
                fail("unterminated string");
            }
            words.push_back(s);
            continue;
        }
        size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != '\t' && text[j] != '\r') ++j;
        words.push_back(text.substr(i, j - i));
        i = j;
    }
    return words;
}

}  // namespace scenario

namespace scenario {

bool is_string(const std::string& w) {
    return !w.empty() && w[0] == '"';
}
std::string string_value(const std::string& w) {
    return is_string(w) ? w.substr(1) : w;
}

long long number(const std::string& w) {
    if (is_string(w)) fail("a number was expected, not a string");
    long long v = 0;
    if (symbol_value(w, &v)) return v;
    char* end = nullptr;
    const long long n = std::strtoll(w.c_str(), &end, 0);
    if (w.empty() || *end) fail("not a number or known name: " + w);
    return n;
}

void need(const Line& l, size_t count, const char* usage) {
    if (l.words.size() < count) fail(std::string("usage: ") + usage);
}

// ---- targets ----------------------------------------------------------------

HWND current_dialog() {
    return g_dialogs.empty() ? nullptr : g_dialogs.back();
}

HWND target(const Line& l, size_t& i) {
    if (i >= l.words.size()) fail("a target is missing");
    const std::string t = l.words[i++];
    HWND h = nullptr;
    if (t == "main")
        h = g_app.main_window;
    else if (t == "image")
        h = g_app.image_window;
    else if (t == "panel")
        h = g_app.edit_panel;
    else if (t == "tree")
        h = g_app.project_tree;
    else if (t == "mdi")
        h = g_app.mdi_client;
    else if (t == "status")
        h = g_app.status_bar;
    else if (t == "dialog") {
        h = current_dialog();
        if (!h) fail("no modal dialog is open");
    } else if (t == "pattern") {
        if (i >= l.words.size()) fail("pattern needs an index");
        const long long p = number(l.words[i++]);
        if (p < 0 || p >= kMaxPatterns) fail("no pattern " + std::to_string(p));
        h = g_tables.pattern_window[p];
        if (!h) fail("pattern " + std::to_string(p) + " has no window");
    } else if (t == "control") {
        if (i >= l.words.size()) fail("control needs an id");
        const long long id = number(l.words[i++]);
        HWND parent = current_dialog() ? current_dialog() : g_app.edit_panel;
        h = GetDlgItem(parent, static_cast<int>(id));
        if (!h) fail("no control " + l.words[i - 1]);
    } else {
        fail("unknown target: " + t);
    }
    if (!IsWindow(h)) fail("the window " + t + " does not exist");
    return h;
}

// ---- the dump -----------------------------------------------------------------

std::string window_name(HWND h) {
    if (!h) return "null";
    if (h == g_app.main_window) return json_string("main");
    if (h == g_app.image_window) return json_string("image");
    if (h == g_app.edit_panel) return json_string("panel");
    if (h == g_app.project_tree) return json_string("tree");
    if (h == g_app.mdi_client) return json_string("mdi");
    if (h == g_app.status_bar) return json_string("status");
    for (int p = 0; p < kMaxPatterns; ++p)
        if (g_tables.pattern_window[p] == h) return json_string("pattern " + std::to_string(p));
    for (HWND d : g_dialogs)
        if (d == h) return json_string("dialog");
    return json_string(IsWindow(h) ? "other" : "destroyed");
}

std::string window_json(HWND h) {
    const cw::automation::WindowReading r = cw::automation::read_window(h);
    if (!r.exists) return "null";
    return json_object({{"visible", r.visible ? "true" : "false"},
                        {"enabled", r.enabled ? "true" : "false"},
                        {"title", json_string(r.title)},
                        {"window", json_rect(r.window.left, r.window.top, r.window.right, r.window.bottom)},
                        {"client", json_rect(r.client.left, r.client.top, r.client.right, r.client.bottom)},
                        {"client_size", "[" + std::to_string(r.client.right - r.client.left) + "," +
                                            std::to_string(r.client.bottom - r.client.top) + "]"},
                        {"scrollbars", cw::automation::scrollbars_json(h)}});
}

std::string settings_json(const PatternSettings& s) {
    return json_object({{"scroll_x", std::to_string(s.scroll_x)},
                        {"scroll_y", std::to_string(s.scroll_y)},
                        {"base_w", std::to_string(s.base_w)},
                        {"base_h", std::to_string(s.base_h)},
                        {"view_offset_x", std::to_string(s.view_offset_x)},
                        {"view_offset_y", std::to_string(s.view_offset_y)},
                        {"zoom_shift", std::to_string(s.zoom_shift)},
                        {"zoom_factor", std::to_string(s.zoom_factor)},
                        {"play_mode", std::to_string(s.play_mode)}});
}

std::string label(const char* field) {
    return json_string(cw::text::cp932_to_utf8(std::string(field, strnlen(field, kLabelSize))));
}

std::string tables_json() {
    const Tables& t = g_tables;
    std::vector<std::string> pattern_labels, frame_labels, entries, settings, frames, client, zoomed, windows;
    for (int p = 0; p < kMaxPatterns; ++p) {
        pattern_labels.push_back(label(t.names.pattern_labels[p]));
        std::vector<std::string> fl, fr;
        for (int f = 0; f < kMaxFrames; ++f) {
            fl.push_back(label(t.names.frame_labels[p][f]));
            const FrameRecord& r = t.frames[p][f];
            fr.push_back("[" + std::to_string(r.correction_x) + "," + std::to_string(r.correction_y) + "," +
                         std::to_string(r.timing) + "," + std::to_string(r.image_x) + "," +
                         std::to_string(r.image_y) + "," + std::to_string(r.clut) + "," +
                         std::to_string(r.image_w) + "," + std::to_string(r.image_h) + "]");
        }
        frame_labels.push_back(json_array(fl));
        frames.push_back(json_array(fr));
        const PatternEntry& e = t.data.entries[p];
        entries.push_back(json_object({{"offset", std::to_string(e.offset)},
                                       {"frame_count", std::to_string(e.frame_count)},
                                       {"base_w", std::to_string(e.base_w)},
                                       {"base_h", std::to_string(e.base_h)}}));
        settings.push_back(settings_json(t.settings[p]));
        windows.push_back(t.pattern_window[p] ? "true" : "false");
    }
    for (int i = 0; i < kGeometrySlots; ++i) {
        client.push_back("[" + std::to_string(t.client_size[i].width) + "," +
                         std::to_string(t.client_size[i].height) + "]");
        zoomed.push_back("[" + std::to_string(t.zoomed_client_size[i].width) + "," +
                         std::to_string(t.zoomed_client_size[i].height) + "]");
    }
    return json_object({{"image_path", json_string(cw::text::cp932_to_utf8(std::string(
                                           t.names.image_path, strnlen(t.names.image_path, kPathSize))))},
                        {"project_name", label(t.names.project_name)},
                        {"pattern_labels", json_array(pattern_labels)},
                        {"frame_labels", json_array(frame_labels)},
                        {"tpage", std::to_string(t.data.header.tpage)},
                        {"speed", std::to_string(t.data.header.speed)},
                        {"pattern_count", std::to_string(t.data.header.pattern_count)},
                        {"entries", json_array(entries)},
                        {"settings", json_array(settings)},
                        {"frames", json_array(frames)},
                        {"client_size", json_array(client)},
                        {"zoomed_client_size", json_array(zoomed)},
                        {"pattern_window", json_array(windows)},
                        {"clut_attribute", std::to_string(t.clut_attribute)},
                        {"new_window_style", std::to_string(t.new_window_style)},
                        {"open_pattern_windows", std::to_string(t.open_pattern_windows)}});
}

int menu_resource(HMENU m) {
    if (!m) return 0;
    if (m == g_app.no_project_menu) return IDR_NO_PROJECT_MENU;
    if (m == g_app.project_menu) return IDR_PROJECT_MENU;
    if (m == g_app.pattern_menu) return IDR_PATTERN_MENU;
    return -1;
}

std::string answers_json() {
    std::vector<std::string> out;
    static const char* kinds[] = {"box", "open", "save", "color", "menu"};
    for (const auto& a : cw::automation::pending_answers())
        out.push_back(json_object({{"kind", json_string(kinds[a.kind])},
                                   {"cancel", a.cancel ? "true" : "false"},
                                   {"value", std::to_string(a.value)},
                                   {"path", json_string(a.path)}}));
    return json_array(out);
}

// The status bar's parts, their texts in order.
std::string status_parts_json() {
    std::vector<std::string> parts;
    if (!IsWindow(g_app.status_bar)) return json_array(parts);
    const LRESULT count = SendMessageA(g_app.status_bar, SB_GETPARTS, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[256] = {};
        if (LOWORD(SendMessageA(g_app.status_bar, SB_GETTEXTLENGTHA, static_cast<WPARAM>(i), 0)) <
            sizeof text)
            SendMessageA(g_app.status_bar, SB_GETTEXTA, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(text));
        parts.push_back(json_string(cw::text::cp932_to_utf8(text)));
    }
    return json_array(parts);
}

// The view menu's check marks, by command.
std::string view_checks_json(HMENU bar) {
    std::vector<std::pair<std::string, std::string>> m;
    for (const auto& [name, id] : {std::pair<const char*, UINT>{"console_preview", ID_VIEW_CONSOLE_PREVIEW},
                                   {"ntsc", ID_VIEW_RATE_NTSC},
                                   {"pal", ID_VIEW_RATE_PAL}}) {
        const UINT state = bar ? GetMenuState(bar, id, MF_BYCOMMAND) : 0xFFFFFFFFu;
        m.push_back({name, state != 0xFFFFFFFFu && (state & MF_CHECKED) ? "true" : "false"});
    }
    return json_object(m);
}

std::string dump_json() {
    std::vector<std::pair<std::string, std::string>> m;
    char path[512] = {0};
    if (IsWindow(g_app.status_bar)) GetWindowTextA(g_app.status_bar, path, sizeof path);
    m.push_back({"current_path", json_string(cw::text::cp932_to_utf8(path))});
    m.push_back({"quit", g_quit ? "true" : "false"});
    m.push_back({"exit_code", std::to_string(g_exit_code)});
    m.push_back({"ticks", std::to_string(g_app.ticks)});
    m.push_back({"wakeups", std::to_string(g_app.wakeups)});
    m.push_back({"app_active", std::to_string(g_app.app_active)});
    m.push_back({"active_window", window_name(GetActiveWindow())});
    m.push_back({"screen", json_array({std::to_string(GetSystemMetrics(SM_CXSCREEN)),
                                       std::to_string(GetSystemMetrics(SM_CYSCREEN))})});
    const HMENU bar = IsWindow(g_app.main_window) ? GetMenu(g_app.main_window) : nullptr;
    m.push_back({"menu_bar", json_object({{"resource", std::to_string(menu_resource(bar))},
                                          {"items", cw::automation::menu_bar_json(g_app.main_window)}})});
    m.push_back({"view_checks", view_checks_json(bar)});
    m.push_back({"status_parts", status_parts_json()});
    m.push_back({"panel_enabled",
                 IsWindow(g_app.edit_panel) && IsWindowEnabled(g_app.edit_panel) ? "true" : "false"});
    std::vector<std::string> patterns;
    for (int p = 0; p < kMaxPatterns; ++p)
        patterns.push_back(g_tables.pattern_window[p] ? window_json(g_tables.pattern_window[p]) : "null");
    m.push_back({"windows", json_object({{"main", window_json(g_app.main_window)},
                                         {"status", window_json(g_app.status_bar)},
                                         {"panel", window_json(g_app.edit_panel)},
                                         {"tree", window_json(g_app.project_tree)},
                                         {"mdi", window_json(g_app.mdi_client)},
                                         {"image", window_json(g_app.image_window)},
                                         {"patterns", json_array(patterns)}})});
    std::vector<std::string> boxes;
    for (const auto& b : cw::automation::message_boxes())
        boxes.push_back(json_object({{"owner", window_name(b.owner)},
                                     {"text", json_string(b.text)},
                                     {"caption", json_string(b.caption)},
                                     {"style", std::to_string(b.style)},
                                     {"answer", std::to_string(b.answer)}}));
    m.push_back({"message_boxes", json_array(boxes)});
    std::vector<std::string> files;
    for (const auto& f : cw::automation::file_dialogs()) {
        std::vector<std::string> filter;
        for (const auto& s : f.filter) filter.push_back(json_string(s));
        files.push_back(json_object({{"save", f.save ? "true" : "false"},
                                     {"owner", window_name(f.owner)},
                                     {"title", json_string(f.title)},
                                     {"initial_name", json_string(f.initial_name)},
                                     {"filter", json_array(filter)},
                                     {"default_ext", json_string(f.default_ext)},
                                     {"flags", std::to_string(f.flags)},
                                     {"struct_size", std::to_string(f.struct_size)},
                                     {"result", json_string(f.result)}}));
    }
    m.push_back({"file_dialogs", json_array(files)});
    std::vector<std::string> popups;
    for (const auto& p : cw::automation::popups())
        popups.push_back(json_object({{"owner", window_name(p.owner)},
                                      {"items", cw::automation::menu_json(p.menu)},
                                      {"x", std::to_string(p.x)},
                                      {"y", std::to_string(p.y)},
                                      {"flags", std::to_string(p.flags)},
                                      {"chosen", std::to_string(p.chosen)}}));
    m.push_back({"popups", json_array(popups)});
    m.push_back({"pending_answers", answers_json()});
    m.push_back({"cursor", std::to_string(cw::automation::last_cursor())});
    m.push_back({"open_drops", std::to_string(cw::win::live_drops())});
    m.push_back(
        {"tree", IsWindow(g_app.project_tree) ? cw::automation::tree_json(g_app.project_tree) : "[]"});
    m.push_back(
        {"combos", json_object({{std::to_string(IDC_PATTERN),
                                 cw::automation::combo_json(GetDlgItem(g_app.edit_panel, IDC_PATTERN))},
                                {std::to_string(IDC_FRAME),
                                 cw::automation::combo_json(GetDlgItem(g_app.edit_panel, IDC_FRAME))}})});
    m.push_back({"panel_controls",
                 IsWindow(g_app.edit_panel) ? cw::automation::controls_json(g_app.edit_panel) : "[]"});
    m.push_back({"tables", tables_json()});
    for (const auto& [name, section] : dump_sections()) m.push_back({name, section()});
    if (HWND d = current_dialog()) {
        m.push_back({"dialog", json_object({{"controls", cw::automation::controls_json(d)},
                                            {"window", window_json(d)}})});
    }
    return json_object(m);
}

// ---- execution ----------------------------------------------------------------

void pump() {
    MSG msg;
    bool taken = false;
    while (!g_quit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        taken = true;
        if (msg.message == WM_QUIT) {
            g_quit = true;
            g_exit_code = static_cast<int>(msg.wParam);
            break;
        }
        // Inside a modal dialog its own loop runs, which hands the dialog its keys first.
        const HWND modal = current_dialog();
        if (modal && IsDialogMessageA(modal, &msg)) continue;
        dispatch_message(msg);
    }
    // What the main loop does after handling input (the undo history takes its steps), when
    // the main loop would: so every user's step of a scenario shows that the loop notices it.
    if (!g_quit && g_app.main_window && after_input_due(taken)) after_input();
}

void run_lines(const std::vector<Line>& lines);
void act_when_qt_dialog_is_up(std::vector<Line> lines, std::string name, int tries);

// Ends the run when a user could not take the step, saying why.
void user_step(const std::string& why, const std::string& what) {
    if (why.empty()) return;
    fail(what.empty() ? why : what + ": " + why);
}

void queue_answer(const Line& l) {
    need(l, 3, "answer box|open|save|color VALUE (color R G B)");
    cw::automation::Answer a{};
    const std::string kind = l.words[1];
    const std::string value = l.words[2];
    a.cancel = !is_string(value) && value == "cancel";
    if (kind == "box") {
        a.kind = cw::automation::Answer::Box;
        a.value = static_cast<int>(number(value));
    } else if (kind == "open" || kind == "save") {
        a.kind = kind == "open" ? cw::automation::Answer::Open : cw::automation::Answer::Save;
        if (!a.cancel) a.path = string_value(value);
    } else if (kind == "color") {
        a.kind = cw::automation::Answer::Color;
        if (!a.cancel && l.words.size() >= 5)
            a.value = static_cast<int>(RGB(number(value), number(l.words[3]), number(l.words[4])));
        else if (!a.cancel)
            a.value = static_cast<int>(number(value));
    } else {
        fail("unknown answer kind: " + kind);
    }
    cw::automation::queue_answer(a);
}

// The control ID of the open dialog, or of the edit panel when no dialog is open.
HWND dialog_control(const Line& l) {
    need(l, 2, "VERB ID ...");
    HWND d = current_dialog();
    const bool panel = !d;
    if (panel) d = g_app.edit_panel;
    const long long id = number(l.words[1]);
    HWND h = GetDlgItem(d, static_cast<int>(id));
    if (!h) fail(std::string(panel ? "the edit panel" : "the dialog") + " has no control " + l.words[1]);
    return h;
}

// mouse TARGET down|up|move|double|rdown|rup X Y [shift] [ctrl]: the mouse in a window's client
// area, as the desktop delivers it; "double" is the second press of a double click.
void mouse_step(const Line& l) {
    size_t i = 1;
    HWND h = target(l, i);
    if (l.words.size() < i + 3) fail("usage: mouse TARGET down|up|move|double|rdown|rup X Y [shift] [ctrl]");
    const std::string action = l.words[i];
    const int x = static_cast<int>(number(l.words[i + 1])), y = static_cast<int>(number(l.words[i + 2]));
    WPARAM keys = 0;
    for (size_t k = i + 3; k < l.words.size(); ++k) {
        if (l.words[k] == "shift")
            keys |= MK_SHIFT;
        else if (l.words[k] == "ctrl")
            keys |= MK_CONTROL;
        else
            fail("a modifier key must be shift or ctrl");
    }
    static const std::map<std::string, UINT> actions = {
        {"down", WM_LBUTTONDOWN},     {"up", WM_LBUTTONUP},      {"move", WM_MOUSEMOVE},
        {"double", WM_LBUTTONDBLCLK}, {"rdown", WM_RBUTTONDOWN}, {"rup", WM_RBUTTONUP}};
    const auto it = actions.find(action);
    if (it == actions.end()) fail("mouse action must be down, up, move, double, rdown or rup");
    user_step(cw::automation::user_mouse(h, it->second, keys, x, y));
}

// tick [N]: N passes of the real main loop that run the idle tick, messages that arrive
// on the way dispatched as the loop does. A loop that would wait (no window of the program
// is active) ends the run: the program would sit in WaitMessage.
void tick_step(const Line& l) {
    const long long n = l.words.size() > 1 ? number(l.words[1]) : 1;
    MSG msg{};
    for (long long done = 0; done < n && !g_quit;) {
        switch (main_loop_step(msg, LoopMode::Step)) {
            case LoopStep::Ticked: ++done; break;
            case LoopStep::Dispatched:
            case LoopStep::Waited: break;
            case LoopStep::Quit:
                g_quit = true;
                g_exit_code = static_cast<int>(msg.wParam);
                break;
            case LoopStep::Idle:
                fail("no window of the program is active: the main loop waits instead of ticking");
        }
    }
}

// menu [image] ID | "text" "text"...: chooses a menu item as a user does, through the menu
// bar the window shows (the main window's unless image is named); a greyed or absent item
// ends the run.
void menu_step(const Line& l) {
    need(l, 2, "menu [image] ID | \"text\" ...");
    size_t i = 1;
    HWND top = g_app.main_window;
    if (l.words[i] == "image") {
        top = g_app.image_window;
        ++i;
    }
    if (i >= l.words.size()) fail("usage: menu [image] ID | \"text\" ...");
    std::vector<std::string> texts;
    UINT id = 0;
    if (is_string(l.words[i])) {
        for (; i < l.words.size(); ++i) texts.push_back(string_value(l.words[i]));
    } else {
        id = static_cast<UINT>(number(l.words[i]));
    }
    const std::string why = cw::automation::user_menu(top, texts, id);
    if (!why.empty()) fail("menu: " + why);
}

// choose ID | "text" "text"...: inside an "on menu" block, chooses an item of the popup menu
// the program shows, with the mouse, by command id or by the texts along the path; a greyed
// or absent item ends the run.
void choose_step(const Line& l) {
    need(l, 2, "choose ID | \"text\" ...");
    std::vector<std::string> texts;
    UINT id = 0;
    if (is_string(l.words[1])) {
        for (size_t i = 1; i < l.words.size(); ++i) texts.push_back(string_value(l.words[i]));
    } else {
        id = static_cast<UINT>(number(l.words[1]));
    }
    user_step(cw::automation::user_popup_item(texts, id));
}

// scroll TARGET horizontal|vertical lineup|linedown|pageup|pagedown|thumb POS
void scroll_step(const Line& l) {
    size_t i = 1;
    HWND h = target(l, i);
    if (l.words.size() < i + 2)
        fail("usage: scroll TARGET horizontal|vertical lineup|linedown|pageup|pagedown|thumb POS");
    const std::string bar = l.words[i], how = l.words[i + 1];
    if (bar != "horizontal" && bar != "vertical") fail("a scroll bar is horizontal or vertical");
    using cw::automation::Scroll;
    static const std::map<std::string, Scroll> ways = {{"lineup", Scroll::LineUp},
                                                       {"linedown", Scroll::LineDown},
                                                       {"pageup", Scroll::PageUp},
                                                       {"pagedown", Scroll::PageDown},
                                                       {"thumb", Scroll::Thumb}};
    const auto it = ways.find(how);
    if (it == ways.end()) fail("scroll takes lineup, linedown, pageup, pagedown or thumb POS");
    int position = 0;
    if (it->second == Scroll::Thumb) {
        if (l.words.size() < i + 3) fail("usage: scroll TARGET horizontal|vertical thumb POS");
        position = static_cast<int>(number(l.words[i + 2]));
    }
    user_step(cw::automation::user_scroll(h, bar == "vertical", it->second, position));
}

// caption TARGET close|maximize|restore|minimize: a caption button of a pattern window,
// clicked where it stands.
void caption_step(const Line& l) {
    size_t i = 1;
    HWND h = target(l, i);
    if (l.words.size() < i + 1) fail("usage: caption TARGET close|maximize|restore|minimize");
    const std::string button = l.words[i];
    int hit = 0;
    if (button == "close")
        hit = HTCLOSE;
    else if (button == "maximize" || button == "restore")
        hit = HTMAXBUTTON;
    else if (button == "minimize")
        hit = HTMINBUTTON;
    else
        fail("a caption button is close, maximize, restore or minimize");
    if ((button == "restore") != (IsZoomed(h) != FALSE) && button != "close" && button != "minimize")
        fail(std::string("the window shows no ") + button + " button");
    user_step(cw::automation::user_caption_button(h, hit));
}

// close TARGET: the close box: the desktop's for a top-level window, the caption's for a
// pattern window.
void close_step(const Line& l) {
    size_t i = 1;
    HWND h = target(l, i);
    if (GetParent(h) && !(GetWindowLongPtrA(h, GWL_STYLE) & WS_POPUP))
        user_step(cw::automation::user_caption_button(h, HTCLOSE));
    else
        user_step(cw::automation::user_close(h));
}

void run_line(const Line& l) {
    at_line(l.number);
    if (l.words.empty()) return;
    const std::string verb = l.words[0];
    if (g_quit && verb != "dump" && verb != "answer") fail("the program has ended");
    if (verb == "answer") {
        queue_answer(l);
        return;
    } else if (verb == "mouse") {
        mouse_step(l);
    } else if (verb == "rclick") {
        size_t i = 1;
        HWND h = target(l, i);
        if (l.words.size() < i + 2) fail("usage: rclick TARGET X Y");
        const int x = static_cast<int>(number(l.words[i])), y = static_cast<int>(number(l.words[i + 1]));
        user_step(cw::automation::user_mouse(h, WM_MOUSEMOVE, 0, x, y));
        user_step(cw::automation::user_mouse(h, WM_RBUTTONDOWN, MK_RBUTTON, x, y));
        user_step(cw::automation::user_mouse(h, WM_RBUTTONUP, 0, x, y));
    } else if (verb == "type") {
        need(l, 2, "type \"text\"");
        user_step(cw::automation::user_type(string_value(l.words[1])));
    } else if (verb == "scroll") {
        scroll_step(l);
    } else if (verb == "caption") {
        caption_step(l);
    } else if (verb == "close") {
        close_step(l);
    } else if (verb == "resize") {
        size_t i = 1;
        HWND h = target(l, i);
        if (l.words.size() < i + 2) fail("usage: resize TARGET W H");
        user_step(cw::automation::user_resize(h, static_cast<int>(number(l.words[i])),
                                              static_cast<int>(number(l.words[i + 1]))));
    } else if (verb == "drop") {
        need(l, 2, "drop PATH...");
        std::vector<std::string> paths;
        for (size_t i = 1; i < l.words.size(); ++i) paths.push_back(string_value(l.words[i]));
        user_step(cw::automation::user_drop(g_app.main_window, paths));
    } else if (verb == "tick") {
        tick_step(l);
    } else if (verb == "menu") {
        menu_step(l);
    } else if (verb == "choose") {
        choose_step(l);
    } else if (verb == "dump") {
        std::cout << dump_json() << std::endl;
        return;
    } else if (verb == "snapshot") {
        size_t i = 1;
        HWND h = target(l, i);
        if (l.words.size() < i + 1) fail("usage: snapshot TARGET FILE.png");
        pump();
        if (!cw::automation::snapshot(h, string_value(l.words[i]))) fail("the snapshot could not be written");
    } else if (verb == "set") {
        need(l, 3, "set ID \"text\"");
        user_step(cw::automation::user_set_text(dialog_control(l), string_value(l.words[2])),
                  "control " + l.words[1] + " takes no typing");
    } else if (verb == "click") {
        user_step(cw::automation::user_click(dialog_control(l)),
                  "control " + l.words[1] + " cannot be clicked");
    } else if (verb == "check") {
        need(l, 3, "check ID 0|1");
        HWND h = dialog_control(l);
        if (SendMessageA(h, BM_GETCHECK, 0, 0) != number(l.words[2]))
            user_step(cw::automation::user_click(h), "control " + l.words[1] + " cannot be clicked");
    } else if (verb == "select") {
        need(l, 3, "select ID INDEX");
        user_step(cw::automation::user_select(dialog_control(l), static_cast<int>(number(l.words[2]))),
                  "control " + l.words[1] + " cannot be used");
    } else if (verb == "combo") {
        need(l, 4, "combo ID select N");
        if (l.words[2] != "select") fail("usage: combo ID select N");
        user_step(cw::automation::user_select(dialog_control(l), static_cast<int>(number(l.words[3]))),
                  "combo box " + l.words[1] + " cannot be used");
    } else if (verb == "field") {
        need(l, 3, "field \"label\" \"text\"");
        user_step(cw::automation::user_dialog_field(string_value(l.words[1]), string_value(l.words[2])));
    } else if (verb == "button") {
        need(l, 2, "button \"text\"");
        user_step(cw::automation::user_dialog_button(string_value(l.words[1])));
    } else if (verbs().count(verb)) {
        verbs()[verb](l);
    } else {
        fail("unknown verb: " + verb);
    }
    pump();
}

// Takes the "on dialog" blocks out of the lines, in script order, wherever they stand:
// a block serves the next opening of its dialog whether it is written before or
// after the step that opens it.
std::vector<Line> collect_blocks(const std::vector<Line>& lines) {
    std::vector<Line> rest;
    for (size_t i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (!l.words.empty() && l.words[0] == "end") {
            at_line(l.number);
            fail("end without on dialog");
        }
        if (l.words.empty() || l.words[0] != "on") {
            rest.push_back(l);
            continue;
        }
        at_line(l.number);
        const bool ours = l.words.size() >= 3 && l.words[1] == "dialog";
        const bool qts = l.words.size() == 2 && (l.words[1] == "open" || l.words[1] == "save" ||
                                                 l.words[1] == "color" || l.words[1] == "menu");
        if (!ours && !qts) fail("usage: on dialog ID | on open|save|color|menu ... end");
        const size_t slot = g_blocks.size();
        g_blocks.push_back(DialogBlock{l.words[1], ours ? static_cast<int>(number(l.words[2])) : 0, {}});
        std::vector<Line> body;
        int depth = 1;
        size_t j = i + 1;
        for (; j < lines.size(); ++j) {
            if (!lines[j].words.empty() && lines[j].words[0] == "on") ++depth;
            if (!lines[j].words.empty() && lines[j].words[0] == "end" && --depth == 0) break;
            body.push_back(lines[j]);
        }
        if (j == lines.size()) fail("on dialog without end");
        g_blocks[slot].lines = collect_blocks(body);
        i = j;
    }
    return rest;
}

void run_lines(const std::vector<Line>& lines) {
    for (const Line& l : lines) run_line(l);
}

void serve_dialog(HWND dialog, int id) {
    for (auto it = g_blocks.begin(); it != g_blocks.end(); ++it) {
        if (it->kind != "dialog" || it->id != id) continue;
        const DialogBlock block = *it;
        g_blocks.erase(it);
        g_dialogs.push_back(dialog);
        run_lines(block.lines);
        g_dialogs.pop_back();
        return;
    }
    fail("dialog " + dialog_name(id) + " opened with no queued on dialog block");
}

// Qt's own file or colour dialog opened with no queued answer, or a popup menu: the next
// "on open", "on save", "on color" or "on menu" block acts in it once it is up, from its own
// event loop, as a user would; a block that leaves it open ends the run. A popup menu with no
// block is closed unchosen.
bool serve_qt_dialog(cw::automation::Answer::Kind kind) {
    const char* name = kind == cw::automation::Answer::Open   ? "open"
                       : kind == cw::automation::Answer::Save ? "save"
                       : kind == cw::automation::Answer::Menu ? "menu"
                                                              : "color";
    for (auto it = g_blocks.begin(); it != g_blocks.end(); ++it) {
        if (it->kind != name) continue;
        const DialogBlock block = *it;
        g_blocks.erase(it);
        act_when_qt_dialog_is_up(block.lines, name, 0);
        return true;
    }
    return false;
}

void act_when_qt_dialog_is_up(std::vector<Line> lines, std::string name, int tries) {
    cw::automation::after(tries == 0 ? 0 : 10, [lines = std::move(lines), name = std::move(name), tries] {
        const bool menu = name == "menu";
        const std::string what = menu ? "popup menu" : name + " dialog";
        auto up = [menu] {
            return menu ? cw::automation::popup_menu_open() : cw::automation::qt_dialog_open();
        };
        if (!up()) {
            if (tries > 200) fail("the " + what + " did not come up");
            act_when_qt_dialog_is_up(lines, name, tries + 1);
            return;
        }
        run_lines(lines);
        if (up()) fail("the " + what + " is still open and nothing in the script closes it");
    });
}

std::vector<Line> read_script(std::istream& in) {
    std::vector<Line> lines;
    std::string text;
    int n = 0;
    while (std::getline(in, text)) {
        ++n;
        Line l{n, split(text, n)};
        if (!l.words.empty()) lines.push_back(l);
    }
    return lines;
}

}  // namespace scenario

using namespace scenario;

// Leaves Qt to the desktop's platform; false when there is no desktop to run on.
bool use_desktop() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && std::strcmp(platform, "offscreen") == 0) unsetenv("QT_QPA_PLATFORM");
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

int main(int argc, char** argv) {
    std::string script_path, workdir, program_args;
    bool display = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--workdir" && i + 1 < argc)
            workdir = argv[++i];
        else if (a == "--display")
            display = true;
        else if (a == "--args" && i + 1 < argc)
            program_args = argv[++i];
        else if (script_path.empty())
            script_path = a;
        else {
            std::fprintf(stderr,
                         "usage: celwright-scenario [--workdir DIR] [--display] [--args WORDS] SCRIPT\n");
            return 2;
        }
    }
    if (script_path.empty()) {
        std::fprintf(stderr, "usage: celwright-scenario [--workdir DIR] [--display] [--args WORDS] SCRIPT\n");
        return 2;
    }
    if (display && !use_desktop()) {
        std::fprintf(stderr, "--display: neither DISPLAY nor WAYLAND_DISPLAY names a desktop\n");
        return 2;
    }
    if (!workdir.empty() && chdir(workdir.c_str()) != 0) {
        std::fprintf(stderr, "cannot enter the work folder %s\n", workdir.c_str());
        return 2;
    }
    std::vector<Line> lines;
    if (script_path == "-") {
        lines = read_script(std::cin);
    } else {
        std::ifstream in(script_path);
        if (!in) {
            std::fprintf(stderr, "cannot read the script %s\n", script_path.c_str());
            return 2;
        }
        lines = read_script(in);
    }
    if (!display) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    cw::automation::set_active(true);
    cw::automation::set_dialog_hook(serve_dialog);
    cw::automation::set_dialog_namer(dialog_name);
    cw::automation::set_real_dialog_hook(serve_qt_dialog);
    // Answers at the head of the script are there before start-up, for what the program asks
    // as it starts (the offer of a recovery copy, a file named on the command line).
    size_t first = 0;
    for (; first < lines.size() && lines[first].words[0] == "answer"; ++first) {
        at_line(lines[first].number);
        queue_answer(lines[first]);
    }
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(first));
    cw::automation::set_context("start-up");
    if (!start_program(reinterpret_cast<HINSTANCE>(0x400000), SW_SHOWDEFAULT)) {
        g_quit = true;
        g_exit_code = 0;
    }
    pump();
    const CommandLine command_line = parse_command_line(program_args.c_str());
    if (!g_quit && !command_line.path.empty()) {
        cw::automation::set_context("the command line");
        command_open_dropped(command_line.path.c_str());
        pump();
    }
    run_lines(collect_blocks(lines));
    std::cout.flush();
    return 0;
}
