// The test seam. Inert unless a test or the scenario driver switches it on:
// then message boxes, file dialogs, colour dialogs and popup menus are answered
// from queues instead of being shown, modal dialogs hand control to the test
// when they open, and everything shown is recorded.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace cw::automation {

bool active();
void set_active(bool on);
// Switches the seam off and forgets every queued answer, record, hook and cursor, so that
// nothing of one test reaches the next.
void reset();

// Stops the run: the test asked for something the program cannot do, or the
// program asked for an answer the test did not queue.
[[noreturn]] void fail(const std::string& why);
// Prefixed to every failure, so that it names the step that caused it (for example "line 12").
void set_context(const std::string& context);

struct MessageBoxRecord {
    HWND owner;
    std::string text;     // UTF-8
    std::string caption;  // UTF-8
    UINT style;
    int answer;
};

struct FileDialogRecord {
    bool save;
    HWND owner;
    std::string title;                // UTF-8
    std::string initial_name;         // UTF-8
    std::vector<std::string> filter;  // display text and pattern pairs, UTF-8
    std::string default_ext;
    DWORD flags;
    DWORD struct_size;
    std::string result;  // UTF-8, empty when cancelled
};

struct ColorDialogRecord {
    HWND owner;
    COLORREF initial;  // the colour the dialog opened on
    DWORD flags;
    std::vector<COLORREF> custom;  // the custom colours it was given (none without an array)
    bool chosen;                   // false when it was cancelled
    COLORREF result;
};

struct PopupRecord {
    HWND owner;
    HMENU menu;
    int x, y;
    UINT flags;
    UINT chosen;
};

struct Answer {
    enum Kind { Box, Open, Save, Color, Menu } kind;
    bool cancel = false;
    int value = 0;     // box result, colour, menu command
    std::string path;  // UTF-8
};

void queue_answer(const Answer& a);
std::optional<Answer> take_answer(Answer::Kind kind);
const std::deque<Answer>& pending_answers();

std::vector<MessageBoxRecord>& message_boxes();
std::vector<FileDialogRecord>& file_dialogs();
std::vector<PopupRecord>& popups();
std::vector<ColorDialogRecord>& color_dialogs();

// Called when a modal dialog has been initialised and is about to run its loop.
using DialogHook = std::function<void(HWND dialog, int resource_id)>;
void set_dialog_hook(DialogHook hook);
void modal_dialog_opened(HWND dialog, int resource_id);

// The pointer position that input injection left (screen coordinates).
void set_cursor_position(POINT p);
POINT cursor_position();

// Cursor last set with SetCursor: a resource id, or a system cursor id.
void note_cursor(int id);
int last_cursor();

// A full disk for tests: after `bytes` more bytes, WriteFile stores nothing more and
// fails as on a full disk. A negative value gives the disk its room back.
void set_disk_space(long long bytes);
// How many of `wanted` bytes the disk takes now (all of them unless a full disk is
// simulated); those bytes are counted as used.
size_t disk_space_for(size_t wanted);

}  // namespace cw::automation
