#include "display/playback_rules.h"

#include <ddraw.h>

#include <algorithm>
#include <iterator>

namespace {

// The playback button table: the enable state each press gives the eight buttons
// "<" ">" "■" "||" "|<<" "<<" ">>" ">>|", and the step it sets.
struct ButtonRow {
    int8_t enable[kPlaybackButtons];
    int8_t step;
};
constexpr int8_t L = -1;  // leave the button as it is
constexpr ButtonRow kRows[kPlaybackButtons] = {
    {{0, 0, 1, 1, 0, 0, 0, 0}, -1},  // play backwards
    {{0, 0, 1, 1, 0, 0, 0, 0}, +1},  // play forwards
    {{1, 1, 0, 0, 0, 0, 0, 0}, 0},   // stop
    {{1, 1, 0, 0, 1, 1, 1, 1}, 0},   // pause
    {{1, 1, 1, 1, 0, 0, 1, 1}, 0},   // first frame
    {{L, L, L, L, L, L, 1, 1}, 0},   // previous frame
    {{L, L, L, L, 1, 1, L, L}, 0},   // next frame
    {{1, 1, 1, 1, 1, 1, 0, 0}, 0},   // last frame
};

int start_frame(int id, int current, int frame_count) {
    switch (id) {
        case IDC_PLAY_BACKWARD:
        case IDC_PLAY_LAST: return frame_count - 1;
        case IDC_PLAY_PAUSE: return current;
        case IDC_PLAY_PREVIOUS: return current - 1;
        case IDC_PLAY_NEXT: return current + 1;
    }
    return 0;
}

int8_t& enable_of(ButtonPress& r, int id) {
    return r.enable[id - IDC_PLAY_BACKWARD];
}

}  // namespace

PlaybackState initial_playback_state() {
    PlaybackState s{};
    s.still_blt_flags = DDBLT_KEYSRC;
    return s;
}

ButtonPress press_result(int id, int current, int frame_count) {
    ButtonPress r{};
    if (id < IDC_PLAY_BACKWARD || id > IDC_PLAY_LAST) {
        std::fill(std::begin(r.enable), std::end(r.enable), L);
        r.frame = current;
        return r;
    }
    const ButtonRow& row = kRows[id - IDC_PLAY_BACKWARD];
    std::copy(std::begin(row.enable), std::end(row.enable), std::begin(r.enable));
    r.step = row.step;
    r.frame = start_frame(id, current, frame_count);
    if (r.frame <= 0 || frame_count <= 0) {
        enable_of(r, IDC_PLAY_FIRST) = 0;
        enable_of(r, IDC_PLAY_PREVIOUS) = 0;
        r.frame = 0;
    }
    if (r.frame >= frame_count) {
        enable_of(r, IDC_PLAY_NEXT) = 0;
        enable_of(r, IDC_PLAY_LAST) = 0;
        // A pattern without frames stays on frame 0 rather than -1, outside every table.
        r.frame = std::max(frame_count - 1, 0);
    }
    return r;
}

void advance_playback(PlaybackState& s, uint32_t speed, uint16_t timing, int frame_count) {
    if (s.speed_counter < speed) {
        ++s.speed_counter;
        return;
    }
    s.speed_counter = 0;
    if (s.timing_counter < timing) {
        ++s.timing_counter;
        return;
    }
    s.timing_counter = 0;
    int frame = s.play_frame + s.play_step;
    if (frame < 0) frame = std::max(frame_count - 1, 0);
    if (frame >= frame_count) frame = 0;
    s.play_frame = static_cast<int8_t>(frame);
}

StretchDestination running_destination(uint8_t flip_flags, const FrameRecord& r, uint16_t base_w,
                                       uint16_t base_h) {
    StretchDestination d{r.correction_x, r.correction_y, r.image_w, r.image_h};
    if (flip_flags & kFlipLeftRight) {
        d.x = base_w - r.correction_x;
        d.w = -d.w;
    }
    if (flip_flags & kFlipTopBottom) {
        d.y = base_h - r.correction_y;
        d.h = -d.h;
    }
    return d;
}

ViewMapping view_mapping(const PatternSettings& s, const WindowSize& zoomed) {
    const int shift = s.zoom_shift;
    const LONG zw = static_cast<LONG>(zoomed.width), zh = static_cast<LONG>(zoomed.height);
    ViewMapping m{};
    m.source.left = s.scroll_x;
    m.source.top = s.scroll_y;
    m.source.right = m.source.left + std::min<LONG>(s.base_w, zw >> shift);
    m.source.bottom = m.source.top + std::min<LONG>(s.base_h, zh >> shift);
    const LONG dw = (m.source.right - m.source.left) << shift;
    const LONG dh = (m.source.bottom - m.source.top) << shift;
    m.destination.left = (zw - dw) / 2;
    m.destination.top = (zh - dh) / 2;
    m.destination.right = m.destination.left + dw;
    m.destination.bottom = m.destination.top + dh;
    return m;
}

bool clip_frame(const FrameRecord& r, int image_w, int image_h, int base_w, int base_h, RECT* source,
                RECT* destination) {
    // The copy is 1:1, so one offset moves both rectangles together.
    const int dx = r.correction_x - r.image_x, dy = r.correction_y - r.image_y;
    const int left = std::max({0, static_cast<int>(r.image_x), -dx});
    const int top = std::max({0, static_cast<int>(r.image_y), -dy});
    const int right = std::min({image_w, r.image_x + r.image_w, base_w - dx});
    const int bottom = std::min({image_h, r.image_y + r.image_h, base_h - dy});
    if (left >= right || top >= bottom) return false;
    *source = RECT{left, top, right, bottom};
    *destination = RECT{left + dx, top + dy, right + dx, bottom + dy};
    return true;
}
