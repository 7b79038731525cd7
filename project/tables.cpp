#include "project/tables.h"

#include <cstring>
#include <string_view>

#include "project/dbcs_text.h"

namespace {

constexpr PatternSettings make_initial_pattern_settings() {
    PatternSettings s{};
    s.base_w = 1;
    s.base_h = 1;
    s.zoom_factor = 1;
    s.play_mode = kPlayStop;
    return s;
}

constexpr Tables make_initial_tables() {
    Tables t{};
    for (auto& s : t.settings) s = make_initial_pattern_settings();
    for (int i = 0; i < kGeometrySlots; ++i) {
        const uint32_t side = i == kImageWindowSlot ? kImageClientSize : kPatternClientSize;
        t.client_size[i] = {side, side};
        t.zoomed_client_size[i] = {side, side};
    }
    return t;
}

bool valid_pattern(int p) {
    return p >= 0 && p < kMaxPatterns;
}
bool valid_frame(int f) {
    return f >= 0 && f < kMaxFrames;
}

// Shifts the entries between `from` and `to` one place toward `from` with `move`
// (move(dst, src)), leaving index `to` free for the saved entry.
template <typename Move>
void shift_toward(int from, int to, Move move) {
    if (to < from)
        for (int i = from; i > to; --i) move(i, i - 1);
    else
        for (int i = from; i < to; ++i) move(i, i + 1);
}

}  // namespace

// Constant-initialised, so the tables hold their start values before any other
// static initialiser can look at them.
constinit Tables g_tables = make_initial_tables();

PatternSettings initial_pattern_settings() {
    return make_initial_pattern_settings();
}

void reset_tables(Tables& t) {
    t = make_initial_tables();
}

void reset_pattern_settings_for_load(Tables& t) {
    for (auto& s : t.settings) {
        s = PatternSettings{};
        s.zoom_factor = 1;
        s.play_mode = kPlayStop;
    }
}

PatternSlot take_pattern_slot(const Tables& t, int p) {
    PatternSlot s{};
    if (!valid_pattern(p)) {
        s.settings = make_initial_pattern_settings();
        s.client_size = {kPatternClientSize, kPatternClientSize};
        return s;
    }
    s.window = t.pattern_window[p];
    s.item = t.pattern_item[p];
    s.ddraw = t.pattern_ddraw[p];
    s.primary = t.pattern_primary[p];
    s.canvas = t.pattern_canvas[p];
    s.base_surface = t.pattern_base_surface[p];
    s.clipper = t.pattern_clipper[p];
    s.image_copy = t.pattern_image_copy[p];
    s.id = t.pattern_id[p];
    std::memcpy(s.frame_items, t.frame_items[p], sizeof s.frame_items);
    s.entry = t.data.entries[p];
    s.settings = t.settings[p];
    std::memcpy(s.frames, t.frames[p], sizeof s.frames);
    std::memcpy(s.label, t.names.pattern_labels[p], sizeof s.label);
    std::memcpy(s.frame_labels, t.names.frame_labels[p], sizeof s.frame_labels);
    s.client_size = t.client_size[p];
    s.zoomed_client_size = t.zoomed_client_size[p];
    return s;
}

void put_pattern_slot(Tables& t, int p, const PatternSlot& s) {
    if (!valid_pattern(p)) return;
    t.pattern_window[p] = s.window;
    t.pattern_item[p] = s.item;
    t.pattern_ddraw[p] = s.ddraw;
    t.pattern_primary[p] = s.primary;
    t.pattern_canvas[p] = s.canvas;
    t.pattern_base_surface[p] = s.base_surface;
    t.pattern_clipper[p] = s.clipper;
    t.pattern_image_copy[p] = s.image_copy;
    t.pattern_id[p] = s.id;
    std::memcpy(t.frame_items[p], s.frame_items, sizeof s.frame_items);
    t.data.entries[p] = s.entry;
    t.settings[p] = s.settings;
    std::memcpy(t.frames[p], s.frames, sizeof s.frames);
    std::memcpy(t.names.pattern_labels[p], s.label, sizeof s.label);
    std::memcpy(t.names.frame_labels[p], s.frame_labels, sizeof s.frame_labels);
    t.client_size[p] = s.client_size;
    t.zoomed_client_size[p] = s.zoomed_client_size;
}

void clear_pattern_slot(Tables& t, int p) {
    PatternSlot empty{};
    empty.settings = make_initial_pattern_settings();
    empty.client_size = {kPatternClientSize, kPatternClientSize};
    empty.zoomed_client_size = {0, 0};
    put_pattern_slot(t, p, empty);
}

void remove_pattern_slot(Tables& t, int p) {
    if (!valid_pattern(p)) return;
    for (int i = p; i < kMaxPatterns - 1; ++i) put_pattern_slot(t, i, take_pattern_slot(t, i + 1));
    clear_pattern_slot(t, kMaxPatterns - 1);
}

void move_pattern_slot(Tables& t, int from, int to) {
    if (!valid_pattern(from) || !valid_pattern(to) || from == to) return;
    const PatternSlot saved = take_pattern_slot(t, from);
    shift_toward(from, to, [&](int dst, int src) { put_pattern_slot(t, dst, take_pattern_slot(t, src)); });
    put_pattern_slot(t, to, saved);
}

void move_frame_entry(Tables& t, int p, int from, int to) {
    if (!valid_pattern(p) || !valid_frame(from) || !valid_frame(to) || from == to) return;
    HTREEITEM* items = t.frame_items[p];
    FrameRecord* frames = t.frames[p];
    char(*labels)[kLabelSize] = t.names.frame_labels[p];

    const HTREEITEM saved_item = items[from];
    const FrameRecord saved_frame = frames[from];
    char saved_label[kLabelSize];
    std::memcpy(saved_label, labels[from], kLabelSize);

    shift_toward(from, to, [&](int dst, int src) {
        items[dst] = items[src];
        frames[dst] = frames[src];
        std::memcpy(labels[dst], labels[src], kLabelSize);
    });

    items[to] = saved_item;
    frames[to] = saved_frame;
    std::memcpy(labels[to], saved_label, kLabelSize);
}

void remove_frame_entry(Tables& t, int p, int j) {
    if (!valid_pattern(p) || !valid_frame(j)) return;
    for (int k = j; k < kMaxFrames - 1; ++k) {
        t.frame_items[p][k] = t.frame_items[p][k + 1];
        t.frames[p][k] = t.frames[p][k + 1];
        std::memcpy(t.names.frame_labels[p][k], t.names.frame_labels[p][k + 1], kLabelSize);
    }
    t.frame_items[p][kMaxFrames - 1] = nullptr;
    t.frames[p][kMaxFrames - 1] = FrameRecord{};
    std::memset(t.names.frame_labels[p][kMaxFrames - 1], 0, kLabelSize);
}

int pattern_index_of(const Tables& t, HWND hwnd) {
    if (hwnd == nullptr) return kNoPattern;
    for (int p = 0; p < kMaxPatterns; ++p)
        if (t.pattern_window[p] == hwnd) return p;
    return kNoPattern;
}

const char* pattern_label(const Tables& t, int p) {
    return valid_pattern(p) ? t.names.pattern_labels[p] : "";
}

const char* frame_label(const Tables& t, int p, int f) {
    return valid_pattern(p) && valid_frame(f) ? t.names.frame_labels[p][f] : "";
}

void set_label(char (&field)[kLabelSize], const char* text) {
    // Copy into a scratch field first: text may point into the field itself. Looking
    // at no more than 30 bytes is enough to cut at 29, and keeps a source field that
    // lacks its NUL (a damaged file) from being read past its end.
    char scratch[kLabelSize] = {};
    if (text != nullptr) {
        const std::string_view source(text, strnlen(text, kLabelSize));
        std::memcpy(scratch, source.data(), dbcs_truncated_length(source, kLabelSize - 1));
    }
    std::memcpy(field, scratch, kLabelSize);
}

void store_pattern_label(Tables& t, int p, const char* text) {
    if (valid_pattern(p)) set_label(t.names.pattern_labels[p], text);
}

void store_frame_label(Tables& t, int p, int f, const char* text) {
    if (valid_pattern(p) && valid_frame(f)) set_label(t.names.frame_labels[p][f], text);
}

void give_pattern_id(Tables& t, int p) {
    if (!valid_pattern(p)) return;
    t.pattern_id[p] = ++t.last_pattern_id;
}
