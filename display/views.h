// Bringing every view in step with a project state put back by undo or redo: the tables take
// the state, and the tree, the edit panel's combos and fields, the speed slider and the pattern
// windows show it. A pattern that is still there keeps its window, its place, zoom and scroll;
// a pattern that comes back gets a window again; one that goes takes its window with it.
#pragma once

#include "project/history.h"

// `before` is what the views showed: the item where the two differ is selected afterwards.
void show_project_state(const ProjectState& target, const ProjectState& before);
