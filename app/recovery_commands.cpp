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
    std::string folder;    // the recovery folder this run keeps (its lock names this run); "" for none
};
Keeping g_keeping;

bool keeping() {
    return g_keeping.written || g_keeping.timer || !g_keeping.folder.empty();
}

// Recovery folder k: the settings' one, then those beside it for editors running meanwhile.
std::string recovery_folder(int k) {
    const std::string& first = settings_folders().recovery;
    return k == 0 ? first : first + "." + std::to_string(k + 1);
}

bool folder_exists(const std::string& folder) {
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
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
    if (!g_keeping.folder.empty()) remove_recovery_copy(g_keeping.folder.c_str());
    g_keeping.folder.clear();
    g_keeping.written = false;
}

// The folder this run's copy goes to: the first that no other running editor keeps and that
// holds no copy, for a copy of a run that ended meanwhile is left for the next start to offer.
bool take_recovery_folder() {
    for (int k = 0; k < kRecoveryFolders && g_keeping.folder.empty(); ++k) {
        const std::string folder = recovery_folder(k);
        if (!recovery_copy_present(folder.c_str()) && claim_recovery_folder(folder.c_str()))
            g_keeping.folder = folder;
    }
    return !g_keeping.folder.empty();
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
    if (!take_recovery_folder() || !write_recovery_copy(g_keeping.folder.c_str(), path, g_tables)) return;
    g_keeping.written = true;
    g_keeping.state = now;
    g_keeping.path = path;
}

// The copy in folder, when no running editor keeps it: offered, and restored, removed or refused.
// True when the copy was restored or its restoring tried, which ends the offers of this start.
bool offer_copy_in(const std::string& folder) {
    const char* f = folder.c_str();
    // Taken before anything is asked, so that an editor started meanwhile leaves it alone.
    if (!folder_exists(folder) || !claim_recovery_folder(f)) return false;
    RecoveryCopy copy;
    const RecoveryFound found = read_recovery_copy(f, copy);
    if (found == RecoveryFound::None) {
        remove_recovery_copy(f);  // what a write cut off at its start left, if anything
        return false;
    }
    if (found == RecoveryFound::Refused) {
        MessageBoxA(g_app.main_window, kRefused, kCaption, MB_ICONERROR);
        remove_recovery_copy(f);
        return false;
    }
    char text[sizeof kQuestion + kPathSize];
    wsprintfA(text, kQuestion, copy.original_path.c_str());
    if (MessageBoxA(g_app.main_window, text, kCaption, MB_ICONINFORMATION | MB_YESNO) == IDNO) {
        remove_recovery_copy(f);
        return false;
    }
    // An image that no longer loads has been reported by the loader; the copy stays for another
    // try, as a run that ended leaves it.
    if (!open_read_project(copy.original_path.c_str(), copy.files)) {
        release_recovery_folder(f);
        return true;
    }
    start_history();
    // The files under its path are not what it holds: it is unsaved until the user saves it.
    history_mark_saved(ProjectState{});
    show_history_state();
    g_keeping.folder = folder;
    g_keeping.written = true;
    g_keeping.state = capture_project(g_tables);
    g_keeping.path = copy.original_path;
    return true;
}

}  // namespace

void offer_recovery() {
    for (int k = 0; k < kRecoveryFolders; ++k)
        if (offer_copy_in(recovery_folder(k))) return;
}

void keep_recovery_copy() {
    if (!project_has_unsaved_changes()) {
        if (keeping()) remove_copy();
        return;
    }
    if (g_keeping.timer || copy_is_current(capture_project(g_tables), project_path())) return;
    g_keeping.timer = SetTimer(nullptr, 0, kRecoveryDelay, write_copy);
}

void end_recovery() {
    if (keeping()) remove_copy();
}
