#include "app/file_commands.h"

#include <string>

#include "app/recent_files.h"
#include "display/file_dialogs.h"
#include "files/file_io.h"
#include "files/project_file.h"
#include "project/app_state.h"
#include "project/tables.h"

bool save_prompt() {
    char path[kPathSize];
    current_path(path, sizeof path);
    if (!path[0]) return true;
    const int answer = MessageBoxA(g_app.main_window, "編集中のﾌﾟﾛｼﾞｪｸﾄを保存しますか？\n", "ﾌﾟﾛｼﾞｪｸﾄを開く",
                                   MB_ICONINFORMATION | MB_YESNO);
    if (answer == IDNO) return true;
    // Save As, finished before the asking command goes on.
    return command_save_as();
}

bool command_save_as() {
    char path[kPathSize] = {};
    if (save_file_dialog(path, sizeof path, kProjectFilter, "cwp") != 1) return false;
    return save_project(path);
}

void command_save() {
    char path[kPathSize] = {};
    current_path(path, sizeof path);
    if (file_exists(path)) {
        save_project(path);
        return;
    }
    if (save_file_dialog(path, sizeof path, kProjectFilter, "cwp")) save_project(path);
}

void command_new() {
    save_prompt();
    close_project();
    new_project();
}

void command_open() {
    save_prompt();
    char path[kPathSize] = {};
    if (!open_file_dialog(path, sizeof path, kProjectFilter, "cwp")) return;
    if (open_project(path)) add_recent_entry(path);
}

void command_open_recent(UINT id) {
    save_prompt();
    const std::string path = recent_entry_text(id);
    // An entry that cannot be opened, or whose opening is cancelled, leaves the list.
    if (open_project(path.c_str()))
        add_recent_entry(path.c_str());
    else
        remove_recent_entry(id);
}

void command_open_dropped(const char* path) {
    save_prompt();
    if (open_project(path)) add_recent_entry(path);
}

void command_exit(HWND main_window) {
    if (save_prompt()) DestroyWindow(main_window);
}
