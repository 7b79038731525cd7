#include "app/history_commands.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "display/edit_panel.h"
#include "display/file_dialogs.h"
#include "display/playback.h"
#include "display/views.h"
#include "project/app_state.h"
#include "project/dbcs_text.h"
#include "project/history.h"
#include "project/tables.h"

namespace {

constexpr char kTitle[] = "Celwright for Win32 Ver 1.2";

bool project_open() {
    char path[kPathSize];
    current_path(path, sizeof path);
    return path[0] != 0;
}

bool playing() {
    const int p = g_playback.play_pattern;
    return p < kMaxPatterns && g_tables.settings[p].play_mode != IDC_PLAY_STOP;
}

// A drag on the tree, in a pattern window or in the image window is one step when it ends.
bool gesture_under_way() {
    return GetCapture() != nullptr || (GetKeyState(VK_LBUTTON) & 0x8000) != 0 || panel_typing_open();
}

void set_item(HMENU menu, UINT id, bool enabled) {
    if (menu) EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

// "Celwright for Win32 Ver 1.2 - walk.cwp *": the project's file name, and a mark while it has
// changes that are not saved.
std::string title_now() {
    char path[kPathSize];
    current_path(path, sizeof path);
    if (!path[0]) return kTitle;
    std::string t = std::string(kTitle) + " - " + (path + dbcs_name_start(path));
    if (project_has_unsaved_changes()) t += " *";
    return t;
}

void show_title() {
    const std::string t = title_now();
    char shown[kPathSize + 64];
    GetWindowTextA(g_app.main_window, shown, sizeof shown);
    if (t != shown) SetWindowTextA(g_app.main_window, t.c_str());
}

void show(const ProjectState* target, const ProjectState& before) {
    if (!target) return;
    show_project_state(*target, before);
    show_history_state();
}

}  // namespace

void note_project_changes() {
    if (!g_app.main_window || !project_open() || gesture_under_way()) return;
    if (history_record(capture_project(g_tables))) show_history_state();
}

void start_history() {
    history_clear(capture_project(g_tables));
    show_history_state();
}

void project_saved() {
    history_mark_saved(capture_project(g_tables));
    show_history_state();
}

bool project_has_unsaved_changes() {
    return project_open() && history_unsaved(capture_project(g_tables));
}

void command_undo() {
    if (playing() || !project_open()) return;
    // What is being typed or dragged right now is a step of its own, and the first to go.
    history_record(capture_project(g_tables));
    const ProjectState before = history_current();
    show(history_undo(), before);
}

void command_redo() {
    if (playing() || !project_open()) return;
    history_record(capture_project(g_tables));
    const ProjectState before = history_current();
    show(history_redo(), before);
}

void show_history_state() {
    const bool open = project_open() && !playing();
    for (HMENU bar : {g_app.no_project_menu, g_app.project_menu, g_app.pattern_menu}) {
        set_item(bar, ID_EDIT_UNDO, open && history_can_undo());
        set_item(bar, ID_EDIT_REDO, open && history_can_redo());
    }
    if (g_app.main_window) {
        DrawMenuBar(g_app.main_window);
        show_title();
    }
}
