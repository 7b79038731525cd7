// Closing, opening, saving and starting projects.
#include "files/project_file.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "project/app_state.h"
#include "display/file_dialogs.h"
#include "display/ddraw_sets.h"
#include "display/edit_panel.h"
#include "display/pattern_window.h"
#include "display/playback.h"
#include "files/file_io.h"
#include "files/image_decoding.h"
#include "files/image_loading.h"
#include "files/project_data.h"
#include "files/project_reading.h"
#include "project/dbcs_text.h"
#include "project/editing.h"
#include "project/project_tree.h"
#include "project/tables.h"

namespace {

constexpr char kNewProjectName[] = "新規ｱﾆﾒｰｼｮﾝ";
constexpr char kNewProjectPath[] = "新規ｱﾆﾒｰｼｮﾝ.cwp";
constexpr char kOpenCaption[] = "ﾌｧｲﾙを開く";
constexpr char kSaveCaption[] = "ﾌｧｲﾙの保存";
constexpr char kCannotOpen[] = "指定のﾌｧｲﾙを開けません.";
constexpr char kChooseImage[] = "ｱﾆﾒｰｼｮﾝに使用するｲﾒｰｼﾞﾌｧｲﾙを選択してください.\n";

void show_refusal(const std::string& path, const Refusal& refusal) {
    const std::string text = path + "\n" + refusal_text(refusal);
    MessageBoxA(g_app.main_window, text.c_str(), kOpenCaption, MB_ICONERROR);
}

// Both files read and checked; what is wrong is shown.
bool read_or_say(const char* path, ProjectFiles& files) {
    files = read_project_files(path);
    switch (files.problem) {
        case ProjectReadProblem::None: return true;
        case ProjectReadProblem::CannotOpen:
            MessageBoxA(g_app.main_window, kCannotOpen, kOpenCaption, MB_ICONERROR);
            return false;
        case ProjectReadProblem::Refused: show_refusal(files.failed_path, files.refusal); return false;
    }
    return false;
}

bool is_relative(const char* path) {
    return path[0] && path[0] != '\\' && path[0] != '/' && !(path[1] == ':');
}

// A project names its image by the path it was given, which is read from the working folder.
// A project opened from elsewhere (the command line, the file manager) finds it beside the
// project file instead; the stored path stays as it was.
std::string image_to_load(const char* project_path, const char* image_path) {
    if (GetFileAttributesA(image_path) != INVALID_FILE_ATTRIBUTES || !is_relative(image_path))
        return image_path;
    const size_t folder = dbcs_name_start(project_path);
    if (folder == 0) return image_path;
    const std::string beside = std::string(project_path, folder) + image_path;
    return GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES ? beside : std::string(image_path);
}

// The names and the image of the project being opened; false leaves no project open.
bool take_names_and_image(const char* path, const ProjectFiles& files) {
    if (files.kind == PathKind::ProjectFile) {
        g_tables.names = files.names;
        return load_image(image_to_load(path, g_tables.names.image_path).c_str());
    }
    set_label(g_tables.names.project_name, project_name_for_data_file(path).c_str());
    MessageBoxA(g_app.main_window, kChooseImage, ".SPAﾌｧｲﾙを開く", MB_ICONINFORMATION);
    if (!open_file_dialog(g_tables.names.image_path, kPathSize, kImageFilter, "bmp")) return false;
    return load_image(g_tables.names.image_path);
}

// Patterns, frames and their records as the data file has them; the data file's
// counts decide which patterns and frames exist.
void build_project(const AnimationDataContents& data) {
    reconcile_labels(g_tables.names, data);
    set_tree_item_text(g_app.project_tree, g_app.project_item, g_tables.names.project_name);
    // The project commands are there even for a project without patterns; pattern
    // windows switch to their own menu as they open.
    SetMenu(g_app.main_window, g_app.project_menu);
    const int patterns = static_cast<int>(data.header.pattern_count);
    for (int p = 0; p < patterns; ++p) {
        create_pattern(g_tables.names.pattern_labels[p]);
        for (uint32_t f = 0; f < data.entries[p].frame_count; ++f)
            add_frame(g_tables.names.frame_labels[p][f]);
    }
    g_tables.data.header = data.header;
    reset_pattern_settings_for_load(g_tables);
    for (int p = 0; p < patterns; ++p) {
        g_tables.data.entries[p] = data.entries[p];
        for (uint32_t f = 0; f < data.entries[p].frame_count; ++f) {
            g_tables.frames[p][f] = data.frames[p][f];
            g_tables.clut_attribute = data.frames[p][f].clut;
            show_frame(p, static_cast<int>(f));
        }
        g_tables.settings[p].base_w = data.entries[p].base_w;
        g_tables.settings[p].base_h = data.entries[p].base_h;
        recreate_base_surface(p);
        set_color_key(g_tables.pattern_base_surface[p], 0);
        update_scroll_bars(g_tables.pattern_window[p], p);
    }
}

void show_speed(uint32_t speed) {
    SendDlgItemMessageA(g_app.edit_panel, IDC_SPEED, TBM_SETPOS, TRUE, static_cast<LPARAM>(speed));
}

// What a save writes into the tables as well: the entries with their offsets and
// base sizes, and the current CLUT attribute in every frame record.
void stamp_for_save(Tables& t) {
    const auto entries = saved_pattern_entries(t);
    for (int p = 0; p < kMaxPatterns && static_cast<uint32_t>(p) < t.data.header.pattern_count; ++p) {
        t.data.entries[p] = entries[p];
        for (uint32_t f = 0; f < entries[p].frame_count; ++f) t.frames[p][f].clut = t.clut_attribute;
    }
}

bool overwrite_confirmed(const char* path) {
    if (!file_exists(path)) return true;
    char text[kPathSize + 64];
    std::snprintf(text, sizeof text, "%s\nに上書き保存します.\nよろしいですか？", path);
    return MessageBoxA(g_app.main_window, text, kSaveCaption, MB_ICONINFORMATION | MB_YESNO) != IDNO;
}

void report_save_failure(const std::string& path) {
    const std::string text = path + "\nに保存できませんでした.\n保存先のﾌｧｲﾙは変更されていません.";
    MessageBoxA(g_app.main_window, text.c_str(), kSaveCaption, MB_ICONERROR);
}

}  // namespace

void close_project() {
    // A pattern still playing would leave the combos, the tree and the other pattern
    // windows locked, and the next project would start in the played pattern's mode.
    press_playback_button(IDC_PLAY_STOP);
    const int n = static_cast<int>(g_tables.data.header.pattern_count);
    for (int i = 0; i < n; ++i) remove_pattern(0);
    set_tree_item_text(g_app.project_tree, g_app.project_item, "");
    SetMenu(g_app.main_window, g_app.no_project_menu);
    set_current_path("");
    set_panel_open(false);
    ShowWindow(g_app.image_window, SW_HIDE);
    // The image goes with its project: nothing of it may turn up under the next one.
    release_object(g_image_set.working_surface);
    release_object(g_image_set.selection_surface);
    std::memset(&g_tables.names, 0, sizeof g_tables.names);
    std::memset(&g_tables.data, 0, sizeof g_tables.data);
    std::memset(g_tables.frames, 0, sizeof g_tables.frames);
    g_tables.clut_attribute = 0;
    show_speed(0);
}

bool open_project(const char* path) {
    char current[kPathSize];
    current_path(current, sizeof current);
    if (current[0] && std::strcmp(path, current) == 0) return true;
    ProjectFiles files;
    if (!read_or_say(path, files)) return false;
    return open_read_project(path, files);
}

bool open_read_project(const char* path, const ProjectFiles& files) {
    close_project();
    if (!take_names_and_image(path, files)) {
        close_project();
        return false;
    }
    build_project(files.data);
    show_speed(g_tables.data.header.speed);
    set_current_path(path);
    set_panel_open(true);
    SendMessageA(g_app.project_tree, TVM_SELECTITEM, TVGN_CARET,
                 reinterpret_cast<LPARAM>(g_tables.frame_items[0][0]));
    return true;
}

bool save_project(const char* path) {
    if (!overwrite_confirmed(path)) return false;
    std::vector<FileToWrite> files;
    std::string data_path = path;
    if (classify_path(path) == PathKind::ProjectFile) {
        files.push_back({path, encode_project_file(g_tables.names)});
        data_path = data_path_for(path);
    }
    stamp_for_save(g_tables);
    files.push_back({data_path, encode_animation_data(g_tables, g_tables.clut_attribute)});
    const int failed = write_files_replacing(files);
    if (failed >= 0) {
        report_save_failure(files[static_cast<size_t>(failed)].path);
        return false;
    }
    set_current_path(path);
    return true;
}

namespace {

// The project named "新規ｱﾆﾒｰｼｮﾝ" over the image whose path the name table holds, decoded
// already when decoded is given.
bool start_new_project(DecodedImage* decoded = nullptr) {
    set_label(g_tables.names.project_name, kNewProjectName);
    set_tree_item_text(g_app.project_tree, g_app.project_item, g_tables.names.project_name);
    // A project whose image does not load would save a path that does not load
    // either: the loader has said why, and no project is open.
    const bool loaded = decoded ? load_decoded_image(*decoded, g_tables.names.image_path)
                                : load_image(g_tables.names.image_path);
    if (!loaded) {
        close_project();
        return false;
    }
    set_current_path(kNewProjectPath);
    SetMenu(g_app.main_window, g_app.project_menu);
    set_panel_open(true);
    return true;
}

}  // namespace

bool new_project() {
    MessageBoxA(g_app.main_window, kChooseImage, "新規作成", MB_ICONINFORMATION);
    if (!open_file_dialog(g_tables.names.image_path, kPathSize, kImageFilter, "bmp")) return false;
    return start_new_project();
}

SheetOpening new_project_from_image(const char* image_path) {
    // The sheet is decoded before anything is closed, so that one the loader refuses leaves
    // the open project as it was. One that cannot be opened goes on as in New: the loader
    // offers another file once the project is closed.
    DecodedImage image = decode_image_file(image_path);
    if (image.problem != ImageProblem::None && image.problem != ImageProblem::CannotOpen) {
        show_image_refusal(image, image_path);
        return SheetOpening::Refused;
    }
    close_project();
    std::memset(g_tables.names.image_path, 0, kPathSize);
    std::strncpy(g_tables.names.image_path, image_path, kPathSize - 1);
    return start_new_project(&image) ? SheetOpening::Started : SheetOpening::Failed;
}
