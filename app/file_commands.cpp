#include "app/file_commands.h"

#include <string>

#include "app/history_commands.h"
#include "app/recent_files.h"
#include "display/file_dialogs.h"
#include "files/file_io.h"
#include "files/project_data.h"
#include "files/project_file.h"
#include "project/app_state.h"
#include "project/tables.h"

namespace {

constexpr char kSaveQuestion[] = "編集中のﾌﾟﾛｼﾞｪｸﾄを保存しますか？\n";

bool saved_as(const char* path) {
    if (!save_project(path)) return false;
    project_saved();
    return true;
}

}  // namespace

bool save_prompt() {
    if (!project_has_unsaved_changes()) return true;
    const int answer =
        MessageBoxA(g_app.main_window, kSaveQuestion, "ﾌﾟﾛｼﾞｪｸﾄを開く", MB_ICONINFORMATION | MB_YESNO);
    if (answer == IDNO) return true;
    // Save As, finished before the asking command goes on.
    return command_save_as();
}

bool command_save_as() {
    char path[kPathSize] = {};
    if (save_file_dialog(path, sizeof path, kProjectFilter, "cwp") != 1) return false;
    if (!saved_as(path)) return false;
    add_recent_entry(path);
    return true;
}

void command_save() {
    char path[kPathSize] = {};
    current_path(path, sizeof path);
    if (file_exists(path)) {
        saved_as(path);
        return;
    }
    if (save_file_dialog(path, sizeof path, kProjectFilter, "cwp")) saved_as(path);
}

void command_new() {
    // A save that was asked for and did not happen keeps the project: nothing is lost.
    if (!save_prompt()) return;
    close_project();
    new_project();
    start_history();
}

void command_open() {
    if (!save_prompt()) return;
    char path[kPathSize] = {};
    if (!open_file_dialog(path, sizeof path, kProjectFilter, "cwp")) return;
    if (!open_project(path)) return;
    add_recent_entry(path);
    start_history();
}

void command_open_recent(UINT id) {
    if (!save_prompt()) return;
    const std::string path = recent_entry_text(id);
    // An entry that cannot be opened, or whose opening is cancelled, leaves the list.
    if (!open_project(path.c_str())) {
        remove_recent_entry(id);
        return;
    }
    add_recent_entry(path.c_str());
    start_history();
}

void command_open_dropped(const char* path) {
    if (!save_prompt()) return;
    // A sprite sheet starts a new project over it; anything else is opened as a project. A
    // sheet that is refused leaves the open project, and its history, as they were.
    if (classify_path(path) == PathKind::Neither && path_names_image(path)) {
        if (new_project_from_image(path) != SheetOpening::Refused) start_history();
        return;
    }
    if (!open_project(path)) return;
    add_recent_entry(path);
    start_history();
}

void command_exit(HWND main_window) {
    // Leaving asks only when something would be lost, and can be called off: Cancel, Escape
    // and the question's close box keep the program and the project as they are.
    if (project_has_unsaved_changes()) {
        const int answer =
            MessageBoxA(main_window, kSaveQuestion, "終了", MB_ICONINFORMATION | MB_YESNOCANCEL);
        if (answer == IDCANCEL) return;
        if (answer == IDYES && !command_save_as()) return;
    }
    DestroyWindow(main_window);
}
