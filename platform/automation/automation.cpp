#include "automation/automation.h"

#include <cstdio>
#include <cstdlib>

namespace cw::automation {

namespace {
bool g_active = false;
std::deque<Answer> g_answers;
std::vector<MessageBoxRecord> g_boxes;
std::vector<FileDialogRecord> g_files;
std::vector<PopupRecord> g_popups;
std::vector<ColorDialogRecord> g_colors;
DialogHook g_hook;
POINT g_cursor{0, 0};
int g_cursor_id = 0;
std::string g_context;
long long g_disk_space = -1;  // bytes a simulated full disk still takes; -1: no simulation
}  // namespace

void set_context(const std::string& context) {
    g_context = context;
}

bool active() {
    return g_active;
}
void set_active(bool on) {
    g_active = on;
}

void fail(const std::string& why) {
    std::fflush(stdout);
    if (g_context.empty())
        std::fprintf(stderr, "%s\n", why.c_str());
    else
        std::fprintf(stderr, "%s: %s\n", g_context.c_str(), why.c_str());
    std::fflush(stderr);
    std::_Exit(2);
}

void reset() {
    g_active = false;
    g_answers.clear();
    g_boxes.clear();
    g_files.clear();
    g_popups.clear();
    g_hook = nullptr;
    g_cursor = POINT{0, 0};
    g_cursor_id = 0;
    g_context.clear();
}

void queue_answer(const Answer& a) {
    g_answers.push_back(a);
}

std::optional<Answer> take_answer(Answer::Kind kind) {
    for (auto it = g_answers.begin(); it != g_answers.end(); ++it) {
        if (it->kind != kind) continue;
        Answer a = *it;
        g_answers.erase(it);
        return a;
    }
    return std::nullopt;
}

const std::deque<Answer>& pending_answers() {
    return g_answers;
}
std::vector<MessageBoxRecord>& message_boxes() {
    return g_boxes;
}
std::vector<FileDialogRecord>& file_dialogs() {
    return g_files;
}
std::vector<PopupRecord>& popups() {
    return g_popups;
}
std::vector<ColorDialogRecord>& color_dialogs() {
    return g_colors;
}

void set_dialog_hook(DialogHook hook) {
    g_hook = std::move(hook);
}
void modal_dialog_opened(HWND dialog, int resource_id) {
    if (g_active && g_hook) g_hook(dialog, resource_id);
}

void set_cursor_position(POINT p) {
    g_cursor = p;
}
POINT cursor_position() {
    return g_cursor;
}
void note_cursor(int id) {
    g_cursor_id = id;
}
int last_cursor() {
    return g_cursor_id;
}

void set_disk_space(long long bytes) {
    g_disk_space = bytes < 0 ? -1 : bytes;
}
size_t disk_space_for(size_t wanted) {
    if (g_disk_space < 0) return wanted;
    const size_t taken =
        wanted < static_cast<size_t>(g_disk_space) ? wanted : static_cast<size_t>(g_disk_space);
    g_disk_space -= static_cast<long long>(taken);
    return taken;
}

}  // namespace cw::automation
