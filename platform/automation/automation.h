// The test seam. Inert unless a test or the scenario driver switches it on: then it stands
// between the window manager and the linked backend as a backend of its own (win/backend.h),
// so that the window manager runs the same code as for a user. Message boxes, file dialogs and
// colour dialogs are answered from queues instead of being shown (or shown for real, when the
// test means to act in them), popup menus are shown for the test to choose in, modal dialogs hand control to
// the test when they open, the pointer is where the test's input left it, a full disk can be simulated, and
// everything shown is recorded.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace cw::automation {

bool active();
// Switched on, the seam installs itself in front of the linked backend; switched off, it
// hands the window manager back to that backend.
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
    int value = 0;     // box result, colour
    std::string path;  // UTF-8
};

void queue_answer(const Answer& a);
std::optional<Answer> take_answer(Answer::Kind kind);
const std::deque<Answer>& pending_answers();

std::vector<MessageBoxRecord>& message_boxes();
std::vector<FileDialogRecord>& file_dialogs();
std::vector<PopupRecord>& popups();
std::vector<ColorDialogRecord>& color_dialogs();

// Called once for each modal dialog, when its loop first asks for events: it is up and the
// user can act in it. A dialog the hook leaves open while its loop would wait for input ends
// the run, as nothing else would close it.
using DialogHook = std::function<void(HWND dialog, int resource_id)>;
void set_dialog_hook(DialogHook hook);
// How the run's messages name a dialog: the driver knows the names of the program's resources,
// the seam only their numbers (which it shows when nobody named them).
using DialogNamer = std::function<std::string(int resource_id)>;
void set_dialog_namer(DialogNamer namer);
std::string dialog_name(int resource_id);

// Asked when a file or colour dialog opens with no queued answer (kind Open, Save or Color):
// true when the test will act in the real dialog, which is then shown by the backend; false
// ends the run. Asked too when a popup menu opens (kind Menu): true when the test will choose
// in it; false closes it unchosen.
using RealDialogHook = std::function<bool(Answer::Kind kind)>;
void set_real_dialog_hook(RealDialogHook hook);

// The pointer position that input injection left (screen coordinates): what GetCursorPos
// reports while the seam is on.
void set_cursor_position(POINT p);
POINT cursor_position();

// Cursor last set with SetCursor: a resource id, or a system cursor id.
int last_cursor();

// A full disk for tests: after `bytes` more bytes, the disk takes nothing more and writes
// fail as on a full disk. A negative value gives the disk its room back. Works while the
// seam is on.
void set_disk_space(long long bytes);

}  // namespace cw::automation
