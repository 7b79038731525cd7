// The seam's state: queued answers, records of what was shown, hooks, the pointer and the
// room left on a simulated disk. The backend it plugs in as is seam_backend.cpp.
#include "automation/automation.h"

#include <cstdio>
#include <cstdlib>

#include "automation/seam_backend.h"

namespace cw::automation {

namespace {
std::deque<Answer> g_answers;
std::vector<MessageBoxRecord> g_boxes;
std::vector<FileDialogRecord> g_files;
std::vector<PopupRecord> g_popups;
std::vector<ColorDialogRecord> g_colors;
DialogHook g_hook;
RealDialogHook g_real_hook;
DialogNamer g_namer;
POINT g_cursor{0, 0};
int g_cursor_id = 0;
std::string g_context;
long long g_disk_space = -1;  // bytes a simulated full disk still takes; -1: no simulation
}  // namespace

void set_context(const std::string& context) {
    g_context = context;
}

bool active() {
    return seam_installed();
}
void set_active(bool on) {
    if (on)
        install_seam();
    else
        remove_seam();
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
    remove_seam();
    g_answers.clear();
    g_boxes.clear();
    g_files.clear();
    g_popups.clear();
    g_colors.clear();
    g_hook = nullptr;
    g_real_hook = nullptr;
    g_namer = nullptr;
    g_cursor = POINT{0, 0};
    g_cursor_id = 0;
    g_context.clear();
    g_disk_space = -1;
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
void set_dialog_namer(DialogNamer namer) {
    g_namer = std::move(namer);
}
std::string dialog_name(int resource_id) {
    return g_namer ? g_namer(resource_id) : std::to_string(resource_id);
}
void modal_dialog_opened(HWND dialog, int resource_id) {
    if (g_hook) g_hook(dialog, resource_id);
}

void set_real_dialog_hook(RealDialogHook hook) {
    g_real_hook = std::move(hook);
}
bool test_acts_in_real_dialog(Answer::Kind kind) {
    return g_real_hook && g_real_hook(kind);
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
size_t disk_room(size_t wanted) {
    if (g_disk_space < 0) return wanted;
    return wanted < static_cast<size_t>(g_disk_space) ? wanted : static_cast<size_t>(g_disk_space);
}
void disk_used(size_t bytes) {
    if (g_disk_space >= 0) g_disk_space -= static_cast<long long>(bytes);
}

}  // namespace cw::automation
