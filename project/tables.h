// The project tables: one image, up to 12 patterns of up to 20 frames, held in
// fixed-size tables for the whole run. A pattern is only an index; every table keyed
// by pattern (or by frame) is kept in the same order, so deleting or moving a pattern
// moves the entries of all of them together.
//
// The records below are written byte for byte to the project file, the animation
// data file and the clipboard, so their layouts are fixed and asserted here.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <ddraw.h>

#include <cstddef>
#include <cstdint>

#include "res/resource.h"

inline constexpr int kMaxPatterns = 12;
inline constexpr int kMaxFrames = 20;
inline constexpr int kLabelSize = 30;  // 29 bytes of CP932 text and the NUL
inline constexpr int kPathSize = 512;  // 511 bytes of CP932 text and the NUL
inline constexpr int kNoPattern = 255;
inline constexpr int kImageWindowSlot = 12;  // the image window's entry of the geometry arrays
inline constexpr int kGeometrySlots = kMaxPatterns + 1;
inline constexpr uint32_t kPlayStop = IDC_PLAY_STOP;        // the stop button: still display
inline constexpr uint32_t kNewWindowMaximize = 0x01000000;  // WS_MAXIMIZE
inline constexpr uint32_t kPatternClientSize = 200;
inline constexpr uint32_t kImageClientSize = 256;

// One frame of a pattern; the animation data file and the clipboard hold it as is.
struct FrameRecord {
    uint8_t correction_x;  // placement on the pattern's base frame
    uint8_t correction_y;
    uint16_t timing;  // the frame stays timing + 1 playback steps
    uint8_t image_x;  // rectangle in the working image
    uint8_t image_y;
    uint16_t clut;  // CLUT attribute; every record gets the current one at save
    uint16_t image_w;
    uint16_t image_h;
};
static_assert(sizeof(FrameRecord) == 12);
static_assert(offsetof(FrameRecord, correction_x) == 0);
static_assert(offsetof(FrameRecord, correction_y) == 1);
static_assert(offsetof(FrameRecord, timing) == 2);
static_assert(offsetof(FrameRecord, image_x) == 4);
static_assert(offsetof(FrameRecord, image_y) == 5);
static_assert(offsetof(FrameRecord, clut) == 6);
static_assert(offsetof(FrameRecord, image_w) == 8);
static_assert(offsetof(FrameRecord, image_h) == 10);

// The first 12 bytes of the animation data file.
struct AnimationHeader {
    uint32_t tpage;  // texture-page attribute word
    uint32_t speed;  // speed slider position 0..9
    uint32_t pattern_count;
};
static_assert(sizeof(AnimationHeader) == 12);
static_assert(offsetof(AnimationHeader, tpage) == 0);
static_assert(offsetof(AnimationHeader, speed) == 4);
static_assert(offsetof(AnimationHeader, pattern_count) == 8);

struct PatternEntry {
    uint32_t offset;  // file offset of the first frame record, filled in at save
    uint32_t frame_count;
    uint16_t base_w;  // copied from the pattern settings at save, back at load
    uint16_t base_h;
};
static_assert(sizeof(PatternEntry) == 12);
static_assert(offsetof(PatternEntry, offset) == 0);
static_assert(offsetof(PatternEntry, frame_count) == 4);
static_assert(offsetof(PatternEntry, base_w) == 8);
static_assert(offsetof(PatternEntry, base_h) == 10);

// Per-pattern view and playback state; only in memory, but copied into a pattern's
// clipboard block, so its layout is fixed too.
struct PatternSettings {
    int16_t scroll_x;
    int16_t scroll_y;
    uint16_t base_w;  // size of the base frame the frames are placed on
    uint16_t base_h;
    int32_t view_offset_x;
    int32_t view_offset_y;
    int8_t zoom_shift;  // 0..5
    uint8_t reserved;
    uint16_t zoom_factor;  // 1 << zoom_shift, never 0
    uint32_t play_mode;    // last playback button, IDC_PLAY_BACKWARD..IDC_PLAY_LAST
};
static_assert(sizeof(PatternSettings) == 24);
static_assert(offsetof(PatternSettings, scroll_x) == 0);
static_assert(offsetof(PatternSettings, scroll_y) == 2);
static_assert(offsetof(PatternSettings, base_w) == 4);
static_assert(offsetof(PatternSettings, base_h) == 6);
static_assert(offsetof(PatternSettings, view_offset_x) == 8);
static_assert(offsetof(PatternSettings, view_offset_y) == 12);
static_assert(offsetof(PatternSettings, zoom_shift) == 16);
static_assert(offsetof(PatternSettings, reserved) == 17);
static_assert(offsetof(PatternSettings, zoom_factor) == 18);
static_assert(offsetof(PatternSettings, play_mode) == 20);

struct WindowSize {
    uint32_t width;
    uint32_t height;
};
static_assert(sizeof(WindowSize) == 8);
static_assert(offsetof(WindowSize, height) == 4);

// The project file is the exact image of this block.
struct NameTables {
    char image_path[kPathSize];
    char project_name[kLabelSize];
    char pattern_labels[kMaxPatterns][kLabelSize];
    char frame_labels[kMaxPatterns][kMaxFrames][kLabelSize];
};
static_assert(sizeof(NameTables) == 8102);
static_assert(offsetof(NameTables, image_path) == 0);
static_assert(offsetof(NameTables, project_name) == 512);
static_assert(offsetof(NameTables, pattern_labels) == 542);
static_assert(offsetof(NameTables, frame_labels) == 902);

// The header and the 12 entries are zeroed and written together, so they must be
// one contiguous block.
struct AnimationData {
    AnimationHeader header;
    PatternEntry entries[kMaxPatterns];
};
static_assert(sizeof(AnimationData) == 156);
static_assert(offsetof(AnimationData, entries) == 12);

struct Tables {
    NameTables names;
    AnimationData data;
    FrameRecord frames[kMaxPatterns][kMaxFrames];
    PatternSettings settings[kMaxPatterns];
    WindowSize client_size[kGeometrySlots];  // 0..11 patterns, 12 the image window
    WindowSize zoomed_client_size[kGeometrySlots];

    // Per-pattern handles, 0 = none.
    HWND pattern_window[kMaxPatterns];
    HTREEITEM pattern_item[kMaxPatterns];
    HTREEITEM frame_items[kMaxPatterns][kMaxFrames];
    LPDIRECTDRAW pattern_ddraw[kMaxPatterns];
    LPDIRECTDRAWSURFACE pattern_primary[kMaxPatterns];
    LPDIRECTDRAWSURFACE pattern_canvas[kMaxPatterns];
    LPDIRECTDRAWSURFACE pattern_base_surface[kMaxPatterns];
    LPDIRECTDRAWCLIPPER pattern_clipper[kMaxPatterns];
    // The working image again, as a surface of the pattern's own DirectDraw object: a blit
    // takes its source from a surface of the same object only.
    LPDIRECTDRAWSURFACE pattern_image_copy[kMaxPatterns];
    // Which pattern a slot holds, whatever its index: the undo history finds a pattern's
    // window and view again by it after patterns were added, deleted or moved. 0: none.
    uint32_t pattern_id[kMaxPatterns];
    uint32_t last_pattern_id;

    uint16_t clut_attribute;    // the current CLUT attribute, in the frame record's format
    uint32_t new_window_style;  // 0 or kNewWindowMaximize, added to new pattern windows
    uint8_t open_pattern_windows;

    // Drag state of the project tree.
    uint8_t drag_kind;  // 0 none, 1 pattern, 2 frame
    int32_t drop_index;
    WNDPROC saved_tree_proc;
    RECT drop_mark;
};
static_assert(sizeof(Tables::frames) == 2880, "the frame table is zeroed as one 2880-byte block");

extern Tables g_tables;

// Everything one pattern index owns, as a drag move or a delete carries it along.
struct PatternSlot {
    HWND window;
    HTREEITEM item;
    LPDIRECTDRAW ddraw;
    LPDIRECTDRAWSURFACE primary;
    LPDIRECTDRAWSURFACE canvas;
    LPDIRECTDRAWSURFACE base_surface;
    LPDIRECTDRAWCLIPPER clipper;
    LPDIRECTDRAWSURFACE image_copy;
    uint32_t id;
    HTREEITEM frame_items[kMaxFrames];
    PatternEntry entry;
    PatternSettings settings;
    FrameRecord frames[kMaxFrames];
    char label[kLabelSize];
    char frame_labels[kMaxFrames][kLabelSize];
    WindowSize client_size;
    WindowSize zoomed_client_size;
};

// Settings of a pattern slot not in use: all zero except base 1 x 1, zoom factor 1
// and the stopped playback mode.
PatternSettings initial_pattern_settings();

// Every table at its program-start value.
void reset_tables(Tables& t);

// Before a project is loaded: all 12 settings zero, then zoom factor 1 and the
// stopped playback mode in each (the loader copies the base sizes from the entries).
void reset_pattern_settings_for_load(Tables& t);

// Slot p of every per-pattern table; an out-of-range p gives an empty slot.
PatternSlot take_pattern_slot(const Tables& t, int p);
void put_pattern_slot(Tables& t, int p, const PatternSlot& slot);

// Puts slot p to its empty values: handles and items 0, entry, frames and labels
// zero, settings initial, client size 200 x 200, zoomed client size 0 x 0.
void clear_pattern_slot(Tables& t, int p);

// Closes the gap of a removed pattern: slots p+1..11 move down by one and slot 11 is
// cleared. The pattern count is the caller's to adjust.
void remove_pattern_slot(Tables& t, int p);

// Moves slot `from` to index `to`; the slots in between shift one place toward
// `from`. Moving 0 to 2 of A B C D gives B C A D.
void move_pattern_slot(Tables& t, int from, int to);

// Moves frame `from` of pattern p to index `to` (tree item, record and label
// together); the frames in between shift one place toward `from`.
void move_frame_entry(Tables& t, int p, int from, int to);

// Closes the gap of a removed frame j of pattern p: frames j+1..19 move down and
// entry 19 is zeroed. The frame count is the caller's to adjust.
void remove_frame_entry(Tables& t, int p, int j);

// A new pattern in slot p gets an id no other pattern of the run has had.
void give_pattern_id(Tables& t, int p);

// Pattern index whose window is hwnd; kNoPattern for a null or unknown window.
int pattern_index_of(const Tables& t, HWND hwnd);
inline int pattern_index_of(HWND hwnd) {
    return pattern_index_of(g_tables, hwnd);
}

// The 30-byte label fields; "" for an index out of range.
const char* pattern_label(const Tables& t, int p);
const char* frame_label(const Tables& t, int p, int f);

// Stores text as a whole 30-byte label field: zero-filled, at most 29 bytes, cut on
// a CP932 character boundary. A null text gives an empty label.
void set_label(char (&field)[kLabelSize], const char* text);

// set_label on pattern label p / frame label (p, f); out-of-range indices do nothing.
void store_pattern_label(Tables& t, int p, const char* text);
void store_frame_label(Tables& t, int p, int f, const char* text);
