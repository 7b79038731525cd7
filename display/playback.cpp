// The playback tick and the playback buttons. The still display composes every
// open pattern window from its frames; the running display shows one frame of
// the played pattern at a time. Both go through the same view mapping: the base
// surface magnified onto the canvas, the canvas copied into the window.
#include "display/playback.h"

#include <commctrl.h>
#include <ddraw.h>

#include <algorithm>

#include "project/app_state.h"
#include "display/ddraw_sets.h"
#include "display/edit_panel.h"
#include "display/console_drawing.h"
#include "display/frame_drawing.h"
#include "files/console_sheet.h"
#include "files/image_loading.h"
#include "display/image_window.h"
#include "display/panel_selection.h"
#include "display/redraw_keys.h"
#include "project/project_tree.h"
#include "project/tables.h"

PlaybackState g_playback = initial_playback_state();

namespace {

constexpr COLORREF kOutlineColour = RGB(128, 128, 128);
constexpr UINT kUncheckedImage = 1;

int frame_count(int p) {
    return static_cast<int>(std::min<uint32_t>(g_tables.data.entries[p].frame_count, kMaxFrames));
}

// A tree item counts as shown unless its check box is the unchecked one.
bool shown(HTREEITEM item) {
    return tree_check_image(g_app.project_tree, item) != kUncheckedImage;
}

// Which of pattern p's frames the still display draws (bit j for frame j), with
// kPatternShown when the pattern's own check mark lets any be drawn.
uint32_t shown_frames(int p) {
    if (!shown(g_tables.pattern_item[p])) return 0;
    uint32_t bits = kPatternShown;
    for (int j = 0; j < frame_count(p); ++j)
        if (shown(g_tables.frame_items[p][j])) bits |= 1u << j;
    return bits;
}

SIZE size_of(LPDIRECTDRAWSURFACE s) {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    if (!s || FAILED(s->GetSurfaceDesc(&d))) return SIZE{0, 0};
    return SIZE{static_cast<LONG>(d.dwWidth), static_cast<LONG>(d.dwHeight)};
}

bool inside(const RECT& r, SIZE area) {
    return r.left < r.right && r.top < r.bottom && r.left >= 0 && r.top >= 0 && r.right <= area.cx &&
           r.bottom <= area.cy;
}

// The colour around the base frame. Where the magnified base frame is about to land
// the fill would only be overwritten, so only the bands around it are filled.
void fill_surround(LPDIRECTDRAWSURFACE canvas, LPDIRECTDRAWSURFACE base, const ViewMapping& m) {
    if (!canvas) return;
    const SIZE area = size_of(canvas);
    if (!base || !inside(m.source, size_of(base)) || !inside(m.destination, area)) {
        fill_surface(canvas, &g_app.surround_fill);
        return;
    }
    const RECT& d = m.destination;
    RECT bands[] = {{0, 0, area.cx, d.top},
                    {0, d.bottom, area.cx, area.cy},
                    {0, d.top, d.left, d.bottom},
                    {d.right, d.top, area.cx, d.bottom}};
    for (RECT& band : bands)
        if (band.left < band.right && band.top < band.bottom)
            canvas->Blt(&band, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &g_app.surround_fill);
}

// Step 1 of every redraw: the canvas takes the colour around the base frame, the
// base surface the background colour.
void clear_surfaces(int p, const ViewMapping& m) {
    fill_surround(g_tables.pattern_canvas[p], g_tables.pattern_base_surface[p], m);
    fill_surface(g_tables.pattern_base_surface[p], &g_app.background_fill);
}

// The still display's frames, last to first so that a lower frame covers a higher
// one; each is cut to the working image and the base frame.
void draw_still_frames(int p, uint32_t frames_shown) {
    LPDIRECTDRAWSURFACE base = g_tables.pattern_base_surface[p];
    LPDIRECTDRAWSURFACE working = g_tables.pattern_image_copy[p];
    if (!base || !working || !(frames_shown & kPatternShown)) return;
    const SIZE image = size_of(working), area = size_of(base);
    for (int j = frame_count(p) - 1; j >= 0; --j) {
        if (!(frames_shown & (1u << j))) continue;
        RECT source, destination;
        if (!clip_frame(g_tables.frames[p][j], image.cx, image.cy, area.cx, area.cy, &source, &destination))
            continue;
        base->Blt(&destination, working, &source, DDBLT_WAIT | g_playback.still_blt_flags, nullptr);
    }
}

// ---- the console preview: the pattern windows drawn by the console's rules ----

uint16_t console_colour(COLORREF c) {
    return tim::colour15_of(static_cast<uint32_t>(GetRValue(c)) << 16 |
                            static_cast<uint32_t>(GetGValue(c)) << 8 | GetBValue(c));
}

// The working image as the console's frame buffer holds it, made again only when the image,
// tpage or the CLUT attribute changed (a picture without a place of its own is converted to the
// page and CLUT they name).
const ConsoleSheet& console_sheet() {
    static ConsoleSheet sheet;
    static uint64_t made_for = 0;
    static uint32_t tpage = 0;
    static uint16_t clut = 0;
    const uint64_t generation = surface_generation() + 1;
    if (made_for != generation || tpage != g_tables.data.header.tpage || clut != g_tables.clut_attribute) {
        tpage = g_tables.data.header.tpage;
        clut = g_tables.clut_attribute;
        made_for = generation;
        sheet = console_sheet_of(working_sheet(), tpage, clut);
    }
    return sheet;
}

// Frame f of pattern p as a game draws it: through the CLUT the data file will name.
ConsoleFrame console_frame(int p, int f, uint8_t flips) {
    ConsoleFrame c;
    c.tpage = g_tables.data.header.tpage;
    if (f >= 0) c.record = g_tables.frames[p][f];
    c.record.clut = g_tables.clut_attribute;
    c.flips = flips;
    c.base_w = g_tables.settings[p].base_w;
    c.base_h = g_tables.settings[p].base_h;
    c.background = console_colour(background_colour());
    return c;
}

// The console's picture of frames (last to first, as the still display lays them) on the base
// surface. frames: bit j for frame j; none for an empty base frame.
void draw_console_picture(int p, uint32_t frames, uint8_t flips) {
    LPDIRECTDRAWSURFACE base = g_tables.pattern_base_surface[p];
    const PatternSettings& s = g_tables.settings[p];
    if (!base || s.base_w == 0 || s.base_h == 0) return;
    const ConsoleFrame empty = console_frame(p, -1, flips);
    // One buffer for every window and tick: a fresh one each time went back to the system and
    // came again with its pages' faults.
    static std::vector<uint16_t> picture;
    picture.assign(static_cast<size_t>(s.base_w) * s.base_h, empty.background);
    const ConsoleSheet& sheet = console_sheet();
    for (int j = frame_count(p) - 1; j >= 0 && sheet.drawable; --j)
        if (frames & (1u << j)) draw_console_sprite(sheet.image, console_frame(p, j, flips), picture);
    copy_console_picture_into_surface(base, picture, s.base_w, s.base_h);
}

void magnify(int p, const ViewMapping& m) {
    LPDIRECTDRAWSURFACE canvas = g_tables.pattern_canvas[p], base = g_tables.pattern_base_surface[p];
    if (!canvas || !base) return;
    RECT source = m.source, destination = m.destination;
    canvas->Blt(&destination, base, &source, DDBLT_WAIT, nullptr);
}

// The selected frame's outline: a grey one-pixel frame on a black base surface,
// magnified onto the canvas by XOR, so it inverts what lies below it.
void draw_outline(int p, int f, const ViewMapping& m) {
    LPDIRECTDRAWSURFACE canvas = g_tables.pattern_canvas[p], base = g_tables.pattern_base_surface[p];
    if (!canvas || !base) return;
    DDBLTFX black{};
    black.dwSize = sizeof black;
    fill_surface(base, &black);
    HDC base_dc = nullptr, canvas_dc = nullptr;
    base->GetDC(&base_dc);
    canvas->GetDC(&canvas_dc);
    if (base_dc && canvas_dc) {
        const FrameRecord& r = g_tables.frames[p][f];
        const RECT frame{r.correction_x, r.correction_y, r.correction_x + r.image_w,
                         r.correction_y + r.image_h};
        HBRUSH brush = CreateSolidBrush(kOutlineColour);
        FrameRect(base_dc, &frame, brush);
        DeleteObject(brush);
        const RECT& s = m.source;
        const RECT& d = m.destination;
        StretchBlt(canvas_dc, d.left, d.top, d.right - d.left, d.bottom - d.top, base_dc, s.left, s.top,
                   s.right - s.left, s.bottom - s.top, SRCINVERT);
    }
    if (canvas_dc) canvas->ReleaseDC(canvas_dc);
    if (base_dc) base->ReleaseDC(base_dc);
}

void present(int p) {
    const PatternSettings& s = g_tables.settings[p];
    const WindowSize& client = g_tables.client_size[p];
    copy_to_screen(g_tables.pattern_window[p], g_tables.pattern_primary[p], g_tables.pattern_canvas[p],
                   s.view_offset_x, s.view_offset_y, static_cast<int>(client.width),
                   static_cast<int>(client.height));
}

// What the still display draws pattern p's window from: its shown frames and its outline.
struct StillInputs {
    uint32_t frames_shown;
    int outlined;
};

StillInputs still_inputs(int p) {
    const int s = current_pattern(), t = current_frame();
    return StillInputs{shown_frames(p), p == s && t >= 0 && t < frame_count(p) ? t : -1};
}

StillKey still_key_of(int p, const StillInputs& in) {
    return still_key(p, in.frames_shown, in.outlined, g_playback.still_blt_flags);
}

bool primary_lost(int p) {
    LPDIRECTDRAWSURFACE primary = g_tables.pattern_primary[p];
    return primary && primary->IsLost() == DDERR_SURFACELOST;
}

void compose_still(int p, const StillInputs& in) {
    const ViewMapping m = view_mapping(g_tables.settings[p], g_tables.zoomed_client_size[p]);
    clear_surfaces(p, m);
    if (g_app.console_preview)
        draw_console_picture(p, in.frames_shown & kPatternShown ? in.frames_shown & ~kPatternShown : 0, 0);
    else
        draw_still_frames(p, in.frames_shown);
    magnify(p, m);
    if (in.outlined >= 0) draw_outline(p, in.outlined, m);
    // The window shows its still picture now, not a frame of the running display.
    if (p == g_playback.play_pattern) forget_running_picture();
}

// Pattern p's still picture, drawn again when what it shows changed, and put on the screen
// then, or always with present_anyway (the window was exposed).
void still_window(int p, bool present_anyway) {
    if (!g_tables.pattern_canvas[p]) return;
    const StillInputs in = still_inputs(p);
    const bool lost = restore_if_lost(g_tables.pattern_primary[p]);
    const bool current = still_picture_current(p, still_key_of(p, in)) && !lost;
    if (!current) compose_still(p, in);
    if (!current || present_anyway) present(p);
}

void still_display() {
    for (int p = 0; p < kMaxPatterns; ++p) still_window(p, false);
}

bool still_display_due() {
    for (int p = 0; p < kMaxPatterns; ++p) {
        if (!g_tables.pattern_canvas[p]) continue;
        if (!still_picture_shown(p, still_key_of(p, still_inputs(p))) || primary_lost(p)) return true;
    }
    return false;
}

// The frame the running display drew last: once drawn, the counters may already point at the
// next one, but the window goes on showing this one until the next tick.
int g_running_shown_frame = -1;

bool has_frame(int p, int f) {
    return f >= 0 && f < frame_count(p);
}

void compose_running(int p, int f) {
    const PatternSettings& s = g_tables.settings[p];
    const ViewMapping m = view_mapping(s, g_tables.zoomed_client_size[p]);
    fill_surround(g_tables.pattern_canvas[p], g_tables.pattern_base_surface[p], m);
    // A pattern without frames shows its empty base frame.
    if (g_app.console_preview)
        draw_console_picture(p, has_frame(p, f) ? 1u << f : 0, g_playback.flip_flags);
    else
        draw_running_picture(g_tables.pattern_base_surface[p], g_tables.pattern_image_copy[p],
                             &g_app.background_fill, has_frame(p, f) ? &g_tables.frames[p][f] : nullptr,
                             g_playback.flip_flags, s.base_w, s.base_h);
    magnify(p, m);
    g_running_shown_frame = f;
    // The played window shows a single frame now; the still display starts afresh.
    forget_still_pictures();
}

// The played pattern's window showing frame f: drawn when that differs from what the window
// shows, put on screen then or always with present_anyway.
void running_window(int f, bool present_anyway) {
    const int p = g_playback.play_pattern;
    if (!g_tables.pattern_ddraw[p]) return;
    const bool lost = restore_if_lost(g_tables.pattern_primary[p]);
    const bool current = running_picture_current(running_key(p, f, g_playback.flip_flags)) && !lost;
    if (!current) compose_running(p, f);
    if (!current || present_anyway) present(p);
}

// A tick: the frame due is shown, then the counters move on.
void running_display() {
    const int p = g_playback.play_pattern, f = g_playback.play_frame;
    running_window(f, false);
    advance_playback(g_playback, g_tables.data.header.speed,
                     has_frame(p, f) ? g_tables.frames[p][f].timing : 0, frame_count(p));
}

bool running(uint32_t mode) {
    return mode >= IDC_PLAY_BACKWARD && mode <= IDC_PLAY_LAST && mode != IDC_PLAY_STOP;
}

bool image_window_due() {
    const bool image_lost = g_image_set.primary && g_image_set.primary->IsLost() == DDERR_SURFACELOST;
    return !image_picture_shown(image_key()) || image_lost;
}

// While a pattern plays, the selection cannot move: the combos, the tree and the
// other pattern windows are disabled until stop.
void enable_selection(bool enable) {
    enable_panel_control(IDC_PATTERN, enable);
    enable_panel_control(IDC_FRAME, enable);
    EnableWindow(g_app.project_tree, enable);
    for (int q = 0; q < kMaxPatterns; ++q) {
        if (!g_tables.pattern_window[q]) continue;
        if (enable || q != g_playback.play_pattern) EnableWindow(g_tables.pattern_window[q], enable);
    }
}

}  // namespace

void playback_tick() {
    // The image window is drawn again only when something it shows changed.
    const bool image_lost = g_image_set.primary && g_image_set.primary->IsLost() == DDERR_SURFACELOST;
    if (!image_picture_current(image_key()) || image_lost) draw_image_window();
    if (g_playback.play_pattern >= kMaxPatterns) return;
    const uint32_t mode = g_tables.settings[g_playback.play_pattern].play_mode;
    if (mode == IDC_PLAY_STOP)
        still_display();
    else if (running(mode))
        running_display();
}

bool playback_tick_due() {
    if (image_window_due()) return true;
    if (g_playback.play_pattern >= kMaxPatterns) return false;
    const int p = g_playback.play_pattern;
    const uint32_t mode = g_tables.settings[p].play_mode;
    if (mode == IDC_PLAY_STOP) return still_display_due();
    if (!running(mode) || !g_tables.pattern_ddraw[p]) return false;
    // A pattern that plays counts its ticks even while its frame stays; a paused one waits.
    return g_playback.play_step != 0 ||
           !running_picture_shown(running_key(p, g_playback.play_frame, g_playback.flip_flags)) ||
           primary_lost(p);
}

void paint_pattern_window(int p) {
    if (p < 0 || p >= kMaxPatterns) return;
    const bool played = p == g_playback.play_pattern && running(g_tables.settings[p].play_mode);
    if (played)
        running_window(g_running_shown_frame >= 0 ? g_running_shown_frame : g_playback.play_frame, true);
    else
        still_window(p, true);
}

void paint_image_window() {
    image_picture_current(image_key());
    draw_image_window();
}

void press_playback_button(int id) {
    if (id < IDC_PLAY_BACKWARD || id > IDC_PLAY_LAST) return;
    const int p = current_pattern();
    const bool pattern = p >= 0 && p < kMaxPatterns;
    const ButtonPress r = press_result(id, g_playback.play_frame, pattern ? frame_count(p) : 0);
    for (int k = 0; k < kPlaybackButtons; ++k)
        if (r.enable[k] >= 0) enable_panel_control(IDC_PLAY_BACKWARD + k, r.enable[k] != 0);
    g_playback.play_step = r.step;
    // Without a current pattern there is nothing to play: the played pattern and
    // its mode stay as they were.
    if (pattern) {
        g_playback.play_pattern = static_cast<uint8_t>(p);
        g_tables.settings[p].play_mode = static_cast<uint32_t>(id);
    }
    g_playback.play_frame = static_cast<int8_t>(r.frame);
    g_running_shown_frame = -1;
    enable_selection(id == IDC_PLAY_STOP);
}
