// Closing, replacing and starting projects.
#include "files/project_file.h"

#include <windows.h>

#include <cstring>

#include "app/app_state.h"
#include "app/main_window.h"
#include "files/image_loading.h"
#include "project/editing.h"
#include "project/project_tree.h"
#include "project/tables.h"

namespace {

constexpr char kNewProjectName[] = "新規ｱﾆﾒｰｼｮﾝ";
constexpr char kNewProjectPath[] = "新規ｱﾆﾒｰｼｮﾝ.cwp";

}  // namespace

void close_project() {
    const int n = static_cast<int>(g_tables.data.header.pattern_count);
    for (int i = 0; i < n; ++i) remove_pattern(0);
    set_tree_item_text(g_app.project_tree, g_app.project_item, "");
    SetMenu(g_app.main_window, g_app.no_project_menu);
    set_current_path("");
    EnableWindow(g_app.edit_panel, FALSE);
    ShowWindow(g_app.image_window, SW_HIDE);
    std::memset(&g_tables.names, 0, sizeof g_tables.names);
    std::memset(&g_tables.data, 0, sizeof g_tables.data);
    std::memset(g_tables.frames, 0, sizeof g_tables.frames);
}

void save_prompt() {
    char path[kPathSize];
    current_path(path, sizeof path);
    if (!path[0]) return;
    const int answer = MessageBoxA(g_app.main_window, "編集中のﾌﾟﾛｼﾞｪｸﾄを保存しますか？\n", "ﾌﾟﾛｼﾞｪｸﾄを開く",
                                   MB_ICONINFORMATION | MB_YESNO);
    // The menu's own Save As runs, and finishes before the asking command goes on.
    if (answer != IDNO) SendMessageA(g_app.main_window, WM_COMMAND, ID_FILE_SAVE_AS, 0);
}

void command_save_as() {
    char path[kPathSize];
    if (save_file_dialog(path, sizeof path, kProjectFilter, "cwp") != 1) return;
    // Writing the project files comes with the project file formats; until then
    // the user is told that nothing was written.
    MessageBoxA(g_app.main_window, "ﾌﾟﾛｼﾞｪｸﾄの保存はまだできません.\n何も保存されていません.", "ﾌｧｲﾙの保存",
                MB_OK | MB_ICONINFORMATION);
}

void command_new() {
    save_prompt();
    close_project();
    MessageBoxA(g_app.main_window, "ｱﾆﾒｰｼｮﾝに使用するｲﾒｰｼﾞﾌｧｲﾙを選択してください.\n", "新規作成",
                MB_ICONINFORMATION);
    if (!open_file_dialog(g_tables.names.image_path, kPathSize, kImageFilter, "bmp")) return;
    set_label(g_tables.names.project_name, kNewProjectName);
    set_tree_item_text(g_app.project_tree, g_app.project_item, g_tables.names.project_name);
    // New goes on whether or not the image could be loaded; the loader has said why not.
    load_image(g_tables.names.image_path);
    set_current_path(kNewProjectPath);
    SetMenu(g_app.main_window, g_app.project_menu);
    EnableWindow(g_app.edit_panel, TRUE);
}
