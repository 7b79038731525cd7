// The playback tick and the playback buttons. The still display composes every
// open pattern window from its frames; the running display shows one frame of
// the played pattern at a time. Both go through the same view mapping: the base
// surface magnified onto the canvas, the canvas copied into the window.
#include "display/playback.h"

#include <commctrl.h>
#include <ddraw.h>

#include <algorithm>

#include "app/app_state.h"
#include "display/ddraw_sets.h"
#include "display/frame_drawing.h"
#include "display/image_window.h"
#include "display/panel_selection.h"
#include "display/redraw_keys.h"
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
    const auto state = SendMessageA(g_app.project_tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                    TVIS_STATEIMAGEMASK);
    return (static_cast<UINT>(state) & TVIS_STATEIMAGEMASK) >> 12 != kUncheckedImage;
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
    LPDIRECTDRAWSURFACE working = g_image_set.working_surface;
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

void still_display() {
    const int s = current_pattern(), t = current_frame();
    for (int p = 0; p < kMaxPatterns; ++p) {
        if (!g_tables.pattern_canvas[p]) continue;
        const int outlined = p == s && t >= 0 && t < frame_count(p) ? t : -1;
        const uint32_t frames_shown = shown_frames(p);
        const bool lost = restore_if_lost(g_tables.pattern_primary[p]);
        if (still_picture_current(p, still_key(p, frames_shown, outlined, g_playback.still_blt_flags)) &&
            !lost)
            continue;
        const ViewMapping m = view_mapping(g_tables.settings[p], g_tables.zoomed_client_size[p]);
        clear_surfaces(p, m);
        draw_still_frames(p, frames_shown);
        magnify(p, m);
        if (outlined >= 0) draw_outline(p, outlined, m);
        present(p);
    }
}

void running_display() {
    // The played window shows a single frame now; the still display starts afresh.
    forget_still_pictures();
    const int p = g_playback.play_pattern;
    if (!g_tables.pattern_ddraw[p]) return;
    restore_if_lost(g_tables.pattern_primary[p]);
    const PatternSettings& s = g_tables.settings[p];
    const ViewMapping m = view_mapping(s, g_tables.zoomed_client_size[p]);
    fill_surround(g_tables.pattern_canvas[p], g_tables.pattern_base_surface[p], m);
    const int n = frame_count(p), f = g_playback.play_frame;
    // A pattern without frames shows its empty base frame.
    const bool has_frame = f >= 0 && f < n;
    draw_running_picture(g_tables.pattern_base_surface[p], g_image_set.working_surface,
                         &g_app.background_fill, has_frame ? &g_tables.frames[p][f] : nullptr,
                         g_playback.flip_flags, s.base_w, s.base_h);
    magnify(p, m);
    present(p);
    advance_playback(g_playback, g_tables.data.header.speed, has_frame ? g_tables.frames[p][f].timing : 0, n);
}

// While a pattern plays, the selection cannot move: the combos, the tree and the
// other pattern windows are disabled until stop.
void enable_selection(bool enable) {
    EnableWindow(GetDlgItem(g_app.edit_panel, IDC_PATTERN), enable);
    EnableWindow(GetDlgItem(g_app.edit_panel, IDC_FRAME), enable);
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
    else if (mode >= IDC_PLAY_BACKWARD && mode <= IDC_PLAY_LAST)
        running_display();
}

void press_playback_button(int id) {
    if (id < IDC_PLAY_BACKWARD || id > IDC_PLAY_LAST) return;
    const int p = current_pattern();
    const bool pattern = p >= 0 && p < kMaxPatterns;
    const ButtonPress r = press_result(id, g_playback.play_frame, pattern ? frame_count(p) : 0);
    for (int k = 0; k < kPlaybackButtons; ++k)
        if (r.enable[k] >= 0) EnableWindow(GetDlgItem(g_app.edit_panel, IDC_PLAY_BACKWARD + k), r.enable[k]);
    g_playback.play_step = r.step;
    // Without a current pattern there is nothing to play: the played pattern and
    // its mode stay as they were.
    if (pattern) {
        g_playback.play_pattern = static_cast<uint8_t>(p);
        g_tables.settings[p].play_mode = static_cast<uint32_t>(id);
    }
    g_playback.play_frame = static_cast<int8_t>(r.frame);
    enable_selection(id == IDC_PLAY_STOP);
}
