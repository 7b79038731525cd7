#include "app/recovery_commands.h"

#include <windows.h>

#include <string>

#include "app/history_commands.h"
#include "app/settings_folders.h"
#include "display/file_dialogs.h"
#include "files/project_file.h"
#include "files/recovery.h"
#include "project/app_state.h"
#include "project/history.h"
#include "project/tables.h"

namespace {

constexpr char kCaption[] = "ﾌﾟﾛｼﾞｪｸﾄの復元";
constexpr char kQuestion[] =
    "前回, 正しく終了しなかったときに編集中だったﾌﾟﾛｼﾞｪｸﾄがあります.\n%s\n"
    "復元しますか？\n(いいえを選ぶと, 編集中だった内容は削除されます.)";
constexpr char kRefused[] =
    "前回, 編集中だったﾌﾟﾛｼﾞｪｸﾄの復元用ﾌｧｲﾙが壊れているため, 復元できません.\n"
    "復元用ﾌｧｲﾙは削除します.";

struct Keeping {
    UINT_PTR timer = 0;    // a write is due
    bool written = false;  // this run's copy is on disk
    ProjectState state{};  // what it holds
    std::string path;      // and the path it belongs to
};
Keeping g_keeping;

const char* recovery_folder() {
    return settings_folders().recovery.c_str();
}

std::string project_path() {
    char path[kPathSize] = {};
    current_path(path, sizeof path);
    return path;
}

void stop_timer() {
    if (g_keeping.timer) KillTimer(nullptr, g_keeping.timer);
    g_keeping.timer = 0;
}

void remove_copy() {
    stop_timer();
    remove_recovery_copy(recovery_folder());
    g_keeping.written = false;
}

bool copy_is_current(const ProjectState& now, const std::string& path) {
    return g_keeping.written && path == g_keeping.path && same_project(now, g_keeping.state);
}

void CALLBACK write_copy(HWND, UINT, UINT_PTR, DWORD) {
    stop_timer();
    if (!project_has_unsaved_changes()) return;
    const ProjectState now = capture_project(g_tables);
    const std::string path = project_path();
    if (copy_is_current(now, path)) return;
    // A copy that cannot be written is tried again with the next change; the work itself goes on.
    if (!write_recovery_copy(recovery_folder(), path, g_tables)) return;
    g_keeping.written = true;
    g_keeping.state = now;
    g_keeping.path = path;
}

}  // namespace

void offer_recovery() {
    RecoveryCopy copy;
    const RecoveryFound found = read_recovery_copy(recovery_folder(), copy);
    if (found == RecoveryFound::None) {
        remove_recovery_copy(recovery_folder());  // what a write cut off at its start left, if anything
        return;
    }
    if (found == RecoveryFound::Refused) {
        MessageBoxA(g_app.main_window, kRefused, kCaption, MB_ICONERROR);
        remove_recovery_copy(recovery_folder());
        return;
    }
    char text[sizeof kQuestion + kPathSize];
    wsprintfA(text, kQuestion, copy.original_path.c_str());
    if (MessageBoxA(g_app.main_window, text, kCaption, MB_ICONINFORMATION | MB_YESNO) == IDNO) {
        remove_recovery_copy(recovery_folder());
        return;
    }
    // An image that no longer loads has been reported by the loader; the copy stays for another try.
    if (!open_read_project(copy.original_path.c_str(), copy.files)) return;
    start_history();
    // The files under its path are not what it holds: it is unsaved until the user saves it.
    history_mark_saved(ProjectState{});
    show_history_state();
    g_keeping.written = true;
    g_keeping.state = capture_project(g_tables);
    g_keeping.path = copy.original_path;
}

void keep_recovery_copy() {
    if (!project_has_unsaved_changes()) {
        if (g_keeping.written || g_keeping.timer) remove_copy();
        return;
    }
    if (g_keeping.timer || copy_is_current(capture_project(g_tables), project_path())) return;
    g_keeping.timer = SetTimer(nullptr, 0, kRecoveryDelay, write_copy);
}

void end_recovery() {
    if (g_keeping.written || g_keeping.timer) remove_copy();
}
