#include "demo_project.h"

#include <windows.h>
#include <commctrl.h>
#include <ddraw.h>

#include <algorithm>
#include <cstdio>

#include "project/app_state.h"
#include "app/startup.h"
#include "automation/automation.h"
#include "build_paths.h"
#include "display/ddraw_sets.h"
#include "display/image_window.h"
#include "display/panel_selection.h"
#include "display/playback.h"
#include "display/pattern_window.h"
#include "project/editing.h"
#include "project/tables.h"

namespace {

constexpr int kBase = 50;  // the base frame a 200 x 200 window shows whole at 4x4
constexpr int kCell = 16;

void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

uint64_t surface_bytes(LPDIRECTDRAWSURFACE s) {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    if (!s || FAILED(s->GetSurfaceDesc(&d))) return 0;
    return uint64_t{d.dwWidth} * d.dwHeight * (d.ddpfPixelFormat.dwRGBBitCount / 8);
}

uint64_t pixel_bytes() {
    DDPIXELFORMAT f{};
    f.dwSize = sizeof f;
    if (!g_image_set.canvas || FAILED(g_image_set.canvas->GetPixelFormat(&f))) return 4;
    return f.dwRGBBitCount / 8;
}

// Frame j shows one of the sheet's twelve cells, spread over the base frame.
FrameRecord demo_frame(int j) {
    FrameRecord r{};
    r.image_x = static_cast<uint8_t>(kCell * (j % 4));
    r.image_y = static_cast<uint8_t>(kCell * ((j / 4) % 3));
    r.image_w = kCell;
    r.image_h = kCell;
    r.correction_x = static_cast<uint8_t>((j * 7) % (kBase - kCell + 1));
    r.correction_y = static_cast<uint8_t>((j * 11) % (kBase - kCell + 1));
    return r;
}

void build_pattern(int p, const DemoProject& demo) {
    char label[kLabelSize];
    std::snprintf(label, sizeof label, "pattern_%02d", p);
    create_pattern(label);
    for (int j = 0; j < demo.frames && j < kMaxFrames; ++j) {
        std::snprintf(label, sizeof label, "frame_%02d", j);
        add_frame(label);
        g_tables.frames[p][j] = demo_frame(j);
    }
    g_tables.settings[p].base_w = kBase;
    g_tables.settings[p].base_h = kBase;
    recreate_base_surface(p);
    SendMessageA(g_tables.pattern_window[p], WM_COMMAND, ID_ZOOM_1X1 + demo.pattern_zoom, 0);
    pump();
}

}  // namespace

std::string demo_sheet_path() {
    return std::string(build_paths::source_dir) + "/tests/data/tim/sheet64x48.bmp";
}

bool start_demo(const std::string& sheet_path, const DemoProject& demo, bool stay_automated) {
    cw::automation::set_active(true);
    if (!start_program(reinterpret_cast<HINSTANCE>(0x400000), SW_SHOWDEFAULT)) return false;
    RECT outer{0, 0, demo.main_width, demo.main_height};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, TRUE);
    SetWindowPos(g_app.main_window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    // New: its hint box, then the image chosen in the open dialog.
    cw::automation::queue_answer({cw::automation::Answer::Box, false, IDOK, {}});
    cw::automation::queue_answer({cw::automation::Answer::Open, false, 0, sheet_path});
    SendMessageA(g_app.main_window, WM_COMMAND, ID_FILE_NEW, 0);
    pump();
    if (!g_image_set.working_surface) return false;
    for (int p = 0; p < demo.patterns && p < kMaxPatterns; ++p) build_pattern(p, demo);
    SendMessageA(g_app.image_window, WM_COMMAND, ID_ZOOM_1X1 + demo.image_zoom, 0);
    // The windows side by side at their own 200 x 200, and the first frame of the first
    // pattern current, as a user would pick it in the tree.
    for (int p = 0; p < demo.patterns && p < kMaxPatterns; ++p)
        SetWindowPos(g_tables.pattern_window[p], nullptr, (p % 4) * 215, (p / 4) * 235, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (g_tables.frame_items[0][0])
        SendMessageA(g_app.project_tree, TVM_SELECTITEM, TVGN_CARET,
                     reinterpret_cast<LPARAM>(g_tables.frame_items[0][0]));
    // The image window beside the pattern windows rather than over them.
    SetWindowPos(g_app.image_window, nullptr, demo.main_width - 500, demo.main_height - 300, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetActiveWindow(g_app.main_window);
    pump();
    playback_tick();  // what the user sees before pressing anything
    cw::automation::set_active(stay_automated);
    return true;
}

void click_panel_button(int id) {
    SendMessageA(g_app.edit_panel, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(g_app.edit_panel, id)));
    pump();
}

namespace {

// One pattern window's redraw: the two fills, the frames drawn, the magnification,
// the outline when it has one, and the copy into the window's pixels.
uint64_t pattern_bytes(int p, uint32_t frames_drawn, bool outline) {
    const uint64_t px = pixel_bytes();
    const PatternSettings& s = g_tables.settings[p];
    const WindowSize& client = g_tables.client_size[p];
    const WindowSize& zoomed = g_tables.zoomed_client_size[p];
    const uint64_t base = surface_bytes(g_tables.pattern_base_surface[p]);
    const uint64_t shown_w = std::min<uint64_t>(s.base_w, zoomed.width >> s.zoom_shift);
    const uint64_t shown_h = std::min<uint64_t>(s.base_h, zoomed.height >> s.zoom_shift);
    const uint64_t magnified = (shown_w << s.zoom_shift) * (shown_h << s.zoom_shift) * px;
    // The canvas around the magnified base frame, the base frame, the frames, the magnification.
    uint64_t total = surface_bytes(g_tables.pattern_canvas[p]) - magnified + base + magnified;
    for (uint32_t j = 0; j < frames_drawn; ++j)
        total += uint64_t{g_tables.frames[p][j].image_w} * g_tables.frames[p][j].image_h * px;
    if (outline) total += base + magnified;
    return total + uint64_t{client.width} * client.height * 4;
}

// The image window's redraw: the fill, the image and the selection stretched onto
// the canvas, and the copy into the window's pixels.
uint64_t image_window_bytes() {
    const WindowSize& c = g_tables.client_size[kImageWindowSlot];
    const uint64_t shown = uint64_t{g_image_view.shown_width} * g_image_view.shown_height * pixel_bytes();
    return surface_bytes(g_image_set.canvas) + 2 * shown + uint64_t{c.width} * c.height * 4;
}

}  // namespace

uint64_t still_tick_bytes() {
    uint64_t total = image_window_bytes();
    for (int p = 0; p < kMaxPatterns; ++p) {
        if (!g_tables.pattern_canvas[p]) continue;
        const uint32_t frames = std::min<uint32_t>(g_tables.data.entries[p].frame_count, kMaxFrames);
        total += pattern_bytes(p, frames, p == current_pattern() && current_frame() >= 0);
    }
    return total;
}

uint64_t running_tick_bytes(int p) {
    return g_tables.pattern_canvas[p] ? pattern_bytes(p, 1, false) : 0;
}
