// Scenario verbs and dump sections for the image window, the working image and
// the DirectDraw sets.
//
//   probe NAME working|selection|canvas|window X Y
//                               reads the colour of one pixel now: of the working image, the
//                               selection overlay, the image window's canvas or the image
//                               window's client area as shown; the "probes" section lists them
//   ddraw_error CODE            the DirectDraw error report for CODE, owned by the main window
//
// Dump sections: "image" (the view state, the selection, the zoom check marks of the image
// window's menu, its client and canvas sizes), "surfaces" (which DirectDraw objects exist,
// with the size and depth of each surface), "probes".
#include <windows.h>
#include <ddraw.h>

#include <string>
#include <utility>
#include <vector>

#include "project/app_state.h"
#include "automation/automation.h"
#include "automation/json.h"
#include "ddraw/surfaces.h"
#include "display/ddraw_errors.h"
#include "display/ddraw_sets.h"
#include "display/image_window.h"
#include "project/tables.h"
#include "qt/view.h"
#include "scenario/driver.h"
#include "win/window.h"

namespace {

using cw::automation::fail;
using cw::automation::json_array;
using cw::automation::json_object;
using scenario::colour_json;
using scenario::Line;
using scenario::number;

std::vector<std::pair<std::string, std::string>> g_probes;

std::string n(long long v) {
    return std::to_string(v);
}

std::string surface_pixel(LPDIRECTDRAWSURFACE s, int x, int y) {
    const cw::gdi::PixelBuffer b = cw::ddraw::surface_pixels(s);
    if (!b.contains(x, y)) return "null";
    return colour_json(cw::gdi::raw_to_rgb(b, cw::gdi::read_raw(b, x, y)));
}

std::string window_pixel(HWND hwnd, int x, int y) {
    cw::win::Window* w = cw::win::window_from(hwnd);
    if (!w) return "null";
    const cw::backend::ScreenPixels p = cw::backend::window_pixels(w);
    if (!p.xrgb || x < 0 || y < 0 || x >= p.width || y >= p.height) return "null";
    const uint32_t v = p.xrgb[y * (p.stride / 4) + x];
    return colour_json(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
}

void probe_verb(const Line& l) {
    scenario::need(l, 5, "probe NAME working|selection|canvas|window X Y");
    const std::string name = l.words[1], source = l.words[2];
    const int x = static_cast<int>(number(l.words[3])), y = static_cast<int>(number(l.words[4]));
    std::string value;
    if (source == "working")
        value = surface_pixel(g_image_set.working_surface, x, y);
    else if (source == "selection")
        value = surface_pixel(g_image_set.selection_surface, x, y);
    else if (source == "canvas")
        value = surface_pixel(g_image_set.canvas, x, y);
    else if (source == "window")
        value = window_pixel(g_app.image_window, x, y);
    else
        fail("probe source must be working, selection, canvas or window");
    g_probes.push_back({name, value});
}

void ddraw_error_verb(const Line& l) {
    scenario::need(l, 2, "ddraw_error CODE");
    ddraw_error_report(g_app.main_window, static_cast<HRESULT>(static_cast<uint32_t>(number(l.words[1]))));
}

std::string surface_json(LPDIRECTDRAWSURFACE s) {
    if (!s) return "null";
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    if (FAILED(s->GetSurfaceDesc(&d))) return "\"unreadable\"";
    return json_object({{"width", n(d.dwWidth)},
                        {"height", n(d.dwHeight)},
                        {"bpp", n(d.ddpfPixelFormat.dwRGBBitCount)},
                        {"caps", n(d.ddsCaps.dwCaps)}});
}

std::string present(const void* p) {
    return p ? "true" : "false";
}

std::string surfaces_json() {
    const ImageSet& s = g_image_set;
    std::vector<std::string> patterns;
    for (int p = 0; p < kMaxPatterns; ++p) {
        patterns.push_back(json_object({{"ddraw", present(g_tables.pattern_ddraw[p])},
                                        {"primary", present(g_tables.pattern_primary[p])},
                                        {"clipper", present(g_tables.pattern_clipper[p])},
                                        {"canvas", surface_json(g_tables.pattern_canvas[p])},
                                        {"base", surface_json(g_tables.pattern_base_surface[p])}}));
    }
    return json_object({{"image", json_object({{"ddraw", present(s.ddraw)},
                                               {"primary", present(s.primary)},
                                               {"clipper", present(s.clipper)},
                                               {"canvas", surface_json(s.canvas)},
                                               {"working", surface_json(s.working_surface)},
                                               {"selection", surface_json(s.selection_surface)}})},
                        {"patterns", json_array(patterns)}});
}

std::string image_json() {
    const ImageViewState& v = g_image_view;
    std::vector<std::string> checks;
    HMENU menu = IsWindow(g_app.image_window) ? GetMenu(g_app.image_window) : nullptr;
    for (UINT id = ID_ZOOM_1X1; id <= ID_ZOOM_32X32; ++id)
        checks.push_back(menu && (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) ? "true" : "false");
    const WindowSize c = g_tables.client_size[kImageWindowSlot],
                     z = g_tables.zoomed_client_size[kImageWindowSlot];
    return json_object({{"scroll_x", n(v.scroll_x)},
                        {"scroll_y", n(v.scroll_y)},
                        {"image_width", n(v.image_width)},
                        {"image_height", n(v.image_height)},
                        {"zoomed_width", n(v.zoomed_width)},
                        {"zoomed_height", n(v.zoomed_height)},
                        {"view_offset_x", n(v.view_offset_x)},
                        {"view_offset_y", n(v.view_offset_y)},
                        {"shown_width", n(v.shown_width)},
                        {"source_width", n(v.source_width)},
                        {"shown_height", n(v.shown_height)},
                        {"source_height", n(v.source_height)},
                        {"zoom_shift", n(v.zoom_shift)},
                        {"grid_shown", n(v.grid_shown)},
                        {"grid_w", n(v.grid_w)},
                        {"grid_h", n(v.grid_h)},
                        {"selection", "[" + n(v.selection.left) + "," + n(v.selection.top) + "," +
                                          n(v.selection.right) + "," + n(v.selection.bottom) + "]"},
                        {"zoom_checks", json_array(checks)},
                        {"client_size", "[" + n(c.width) + "," + n(c.height) + "]"},
                        {"zoomed_client_size", "[" + n(z.width) + "," + n(z.height) + "]"}});
}

std::string probes_json() {
    return json_object(g_probes);
}

const bool registered = [] {
    scenario::register_verb("probe", probe_verb);
    scenario::register_verb("ddraw_error", ddraw_error_verb);
    scenario::register_dump_section("image", image_json);
    scenario::register_dump_section("surfaces", surfaces_json);
    scenario::register_dump_section("probes", probes_json);
    return true;
}();

}  // namespace

namespace scenario {

std::string colour_json(COLORREF c) {
    return "[" + std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," +
           std::to_string(GetBValue(c)) + "]";
}

}  // namespace scenario
