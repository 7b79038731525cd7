#include "app/configuration.h"

#include <cstdio>
#include <string>
#include <vector>

#include "project/app_state.h"
#include "app/recent_files.h"
#include "app/settings_folders.h"
#include "files/file_io.h"
#include "files/project_data.h"
#include "project/tables.h"

namespace {

// The record with every 0x0A doubled is at most twice its size; anything longer is not ours.
constexpr size_t kMaxConfigurationBytes = 2 * kConfigRecordSize;

void read_image_window_place() {
    std::vector<uint8_t> stored;
    if (read_file_bytes(settings_file(kImageWindowPlaceFile).c_str(), stored, 64) != FileRead::Done) return;
    const std::string text(stored.begin(), stored.end());
    int x = 0, y = 0;
    char rest = 0;
    // Anything but two numbers is not ours to trust: the window goes to its default place.
    if (std::sscanf(text.c_str(), "%d %d%c", &x, &y, &rest) < 2 || (rest && rest != '\n')) return;
    g_app.image_window_place = POINT{x, y};
    g_app.image_window_placed = true;
}

// The place noted while the window was shown, this run or an earlier one.
void write_image_window_place() {
    if (!g_app.image_window_placed) return;
    char line[48];
    const int n = std::snprintf(line, sizeof line, "%ld %ld\n", static_cast<long>(g_app.image_window_place.x),
                                static_cast<long>(g_app.image_window_place.y));
    const FileToWrite file{settings_file(kImageWindowPlaceFile), std::vector<uint8_t>(line, line + n)};
    write_files_replacing(std::span<const FileToWrite>(&file, 1));
}

}  // namespace

void read_configuration() {
    read_image_window_place();
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
    write_image_window_place();
}
