#include "project/history.h"

#include <cstring>
#include <deque>
#include <type_traits>

static_assert(std::has_unique_object_representations_v<ProjectState>, "states are compared byte for byte");

namespace {

struct History {
    std::deque<ProjectState> states;  // oldest first
    size_t at = 0;                    // index of the state the project stands at
    ProjectState saved{};
};

History& history() {
    static History h;
    return h;
}

}  // namespace

ProjectState capture_project(const Tables& t) {
    ProjectState s;
    std::memset(&s, 0, sizeof s);
    s.names = t.names;
    s.data = t.data;
    std::memcpy(s.frames, t.frames, sizeof s.frames);
    for (int p = 0; p < kMaxPatterns; ++p) {
        s.data.entries[p].offset = 0;
        s.data.entries[p].base_w = 0;
        s.data.entries[p].base_h = 0;
        for (int f = 0; f < kMaxFrames; ++f) s.frames[p][f].clut = 0;
        s.base_w[p] = t.settings[p].base_w;
        s.base_h[p] = t.settings[p].base_h;
        s.pattern_id[p] = t.pattern_id[p];
    }
    s.clut_attribute = t.clut_attribute;
    return s;
}

void restore_project(Tables& t, const ProjectState& s) {
    t.names = s.names;
    t.data = s.data;
    std::memcpy(t.frames, s.frames, sizeof t.frames);
    for (int p = 0; p < kMaxPatterns; ++p) {
        t.settings[p].base_w = s.base_w[p];
        t.settings[p].base_h = s.base_h[p];
        t.pattern_id[p] = s.pattern_id[p];
    }
    t.clut_attribute = s.clut_attribute;
}

bool same_project(const ProjectState& a, const ProjectState& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void history_clear(const ProjectState& base) {
    History& h = history();
    h.states.clear();
    h.states.push_back(base);
    h.at = 0;
    h.saved = base;
}

bool history_record(const ProjectState& now) {
    History& h = history();
    if (h.states.empty()) {
        history_clear(now);
        return false;
    }
    if (same_project(h.states[h.at], now)) return false;
    h.states.erase(h.states.begin() + static_cast<std::ptrdiff_t>(h.at) + 1, h.states.end());
    h.states.push_back(now);
    // One more than the steps kept: the state before the oldest step.
    while (h.states.size() > kHistorySteps + 1) h.states.pop_front();
    h.at = h.states.size() - 1;
    return true;
}

bool history_can_undo() {
    return history().at > 0;
}

bool history_can_redo() {
    const History& h = history();
    return h.at + 1 < h.states.size();
}

const ProjectState* history_undo() {
    History& h = history();
    if (h.at == 0) return nullptr;
    return &h.states[--h.at];
}

const ProjectState* history_redo() {
    History& h = history();
    if (h.at + 1 >= h.states.size()) return nullptr;
    return &h.states[++h.at];
}

const ProjectState& history_current() {
    History& h = history();
    if (h.states.empty()) history_clear(ProjectState{});
    return h.states[h.at];
}

void history_mark_saved(const ProjectState& now) {
    history().saved = now;
}

bool history_unsaved(const ProjectState& now) {
    return !same_project(history().saved, now);
}

size_t history_position() {
    return history().at;
}

size_t history_size() {
    return history().states.size();
}

size_t history_bytes() {
    return history().states.size() * sizeof(ProjectState);
}
