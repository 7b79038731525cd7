#include "app/configuration.h"

#include <cstdio>
#include <string>
#include <vector>

#include "project/app_state.h"
#include "app/recent_files.h"
#include "app/settings_folders.h"
#include "files/editor_settings.h"
#include "files/file_io.h"
#include "files/project_data.h"
#include "project/tables.h"

namespace {

// The record with every 0x0A doubled is at most twice its size; anything longer is not ours.
constexpr size_t kMaxConfigurationBytes = 2 * kConfigRecordSize;

// Celwin.ini, or where there is none yet the place file of earlier runs. Whatever cannot be read
// leaves its setting at the default.
void read_editor_settings() {
    std::vector<uint8_t> stored;
    EditorSettings s;
    if (read_file_bytes(settings_file(kEditorSettingsFile).c_str(), stored, 4096) == FileRead::Done)
        s = decode_editor_settings(stored);
    else if (read_file_bytes(settings_file(kImageWindowPlaceFile).c_str(), stored, 64) == FileRead::Done)
        s = decode_image_window_place(stored);
    g_app.image_window_place = POINT{s.image_window_x, s.image_window_y};
    g_app.image_window_placed = s.image_window_placed;
    g_app.console_preview = s.console_preview;
    g_app.ticks_per_second = s.ticks_per_second;
}

void write_editor_settings() {
    EditorSettings s;
    s.image_window_placed = g_app.image_window_placed;
    s.image_window_x = g_app.image_window_place.x;
    s.image_window_y = g_app.image_window_place.y;
    s.console_preview = g_app.console_preview;
    s.ticks_per_second = g_app.ticks_per_second;
    const FileToWrite file{settings_file(kEditorSettingsFile), encode_editor_settings(s)};
    write_files_replacing(std::span<const FileToWrite>(&file, 1));
}

}  // namespace

void read_configuration() {
    read_editor_settings();
    std::vector<uint8_t> stored;
    if (read_file_bytes(settings_file(kConfigurationFile).c_str(), stored, kMaxConfigurationBytes) !=
        FileRead::Done)
        return;
    const Configuration c = decode_configuration(stored);
    g_app.main_client_width = c.main_width;
    g_app.main_client_height = c.main_height;
    for (int p = 0; p < kMaxPatterns; ++p) g_tables.client_size[p] = c.pattern_client[p];
    g_tables.client_size[kImageWindowSlot] =
        WindowSize{static_cast<uint32_t>(c.image_width), static_cast<uint32_t>(c.image_height)};
    g_tables.new_window_style = c.new_window_style;
    // Oldest first, so that the list comes back in its order.
    for (const std::string& path : c.recent)
        if (!path.empty()) add_recent_entry(path.c_str());
    if (c.background_fill_read) {
        // The system's record keeps its own size; only the two used fields come from the file.
        const FillRecord stored = decode_fill_record(c.background_fill);
        g_app.background_fill.dwROP = stored.raster_operation;
        g_app.background_fill.dwFillColor = stored.fill_colour;
    }
}

void write_configuration() {
    Configuration c;
    c.main_width = g_app.main_client_width;
    c.main_height = g_app.main_client_height;
    for (int p = 0; p < kMaxPatterns; ++p) c.pattern_client[p] = g_tables.client_size[p];
    c.image_width = static_cast<int32_t>(g_tables.client_size[kImageWindowSlot].width);
    c.image_height = static_cast<int32_t>(g_tables.client_size[kImageWindowSlot].height);
    c.new_window_style = g_tables.new_window_style;
    for (size_t k = 0; k < g_recent.entries.size() && k < c.recent.size(); ++k)
        c.recent[k] = g_recent.entries[k];
    c.background_fill =
        encode_fill_record(FillRecord{g_app.background_fill.dwROP, g_app.background_fill.dwFillColor});
    const FileToWrite file{settings_file(kConfigurationFile), encode_configuration(c)};
    write_files_replacing(std::span<const FileToWrite>(&file, 1));
    write_editor_settings();
}
