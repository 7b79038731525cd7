// The undo history: the project as it stood after each of the user's changes, so that undo
// and redo can put an earlier or later one back. It holds the model alone (names, records,
// base frame sizes, the speed, tpage and the CLUT attribute, which pattern is which); what
// shows it is the views' to bring in step afterwards. It also knows which state was last
// saved, so that unsaved changes are known by content: undoing back to it leaves none.
#pragma once

#include <cstddef>
#include <cstdint>

#include "project/tables.h"

// The project as the user edits it. What a save writes into the tables by itself (the pattern
// entries' file offsets, the current CLUT attribute stamped into every frame) is left out, so
// that a save is no change.
struct ProjectState {
    NameTables names;
    uint16_t names_end;  // keeps the state free of padding: states are compared byte for byte
    AnimationData data;
    FrameRecord frames[kMaxPatterns][kMaxFrames];
    uint16_t base_w[kMaxPatterns];
    uint16_t base_h[kMaxPatterns];
    uint32_t pattern_id[kMaxPatterns];
    uint16_t clut_attribute;
    uint16_t reserved;
};

ProjectState capture_project(const Tables& t);
// Puts the state's model back into the tables; handles, views and each pattern's view
// settings (zoom, scroll, playback mode) are left as they are.
void restore_project(Tables& t, const ProjectState& s);
bool same_project(const ProjectState& a, const ProjectState& b);

// At least this many steps are kept; the oldest go first.
inline constexpr size_t kHistorySteps = 1000;

// A new history whose only state is `base`, which counts as saved (New, Open, Close).
void history_clear(const ProjectState& base);
// When `now` differs from the state the history stands at, it becomes a new step: what could
// have been redone is gone. True when a step was added.
bool history_record(const ProjectState& now);
bool history_can_undo();
bool history_can_redo();
// Moves one step back or forward; the state to show, or nullptr when there is none.
const ProjectState* history_undo();
const ProjectState* history_redo();
// The state the history stands at.
const ProjectState& history_current();
// `now` was just saved.
void history_mark_saved(const ProjectState& now);
// Whether `now` differs from what was last saved (or opened, or made new).
bool history_unsaved(const ProjectState& now);
// Where the history stands: 0 at the state it started from, one more with every step.
size_t history_position();
// How many states the history holds, and the bytes they take.
size_t history_size();
size_t history_bytes();
