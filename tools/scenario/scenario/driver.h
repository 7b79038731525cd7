// Shared parts of the scenario driver, so that verbs and dump sections for a
// window or control can live in a file of their own.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct PatternSettings;

namespace scenario {

struct Line {
    int number;
    std::vector<std::string> words;  // quoted strings keep a leading '"' marker
};

bool is_string(const std::string& word);
std::string string_value(const std::string& word);  // the text of a quoted word (UTF-8)
long long number(const std::string& word);          // decimal, 0x-hex or a known name
void need(const Line& line, size_t count, const char* usage);
// Ends the run when a user could not take a step: why is what the seam's input said (empty
// when it was done), what names the step.
void user_step(const std::string& why, const std::string& what = "");
// Resolves the target at words[i] (main, image, panel, tree, mdi, status, pattern N,
// dialog, control ID) and advances i past it.
HWND target(const Line& line, size_t& i);
HWND current_dialog();
void pump();  // dispatches posted messages until the queue is empty
std::string window_json(HWND hwnd);
std::string settings_json(const PatternSettings& settings);
std::string colour_json(COLORREF colour);  // [r, g, b]

using Verb = std::function<void(const Line&)>;
using DumpSection = std::function<std::string()>;  // returns an encoded JSON value
void register_verb(const std::string& name, Verb verb);
void register_dump_section(const std::string& name, DumpSection section);

}  // namespace scenario
