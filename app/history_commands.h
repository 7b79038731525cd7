// Undo and redo as the application offers them. After every message the main loop handles, a
// change of the project becomes one step of the undo history, unless the user is in the middle
// of it (a button held for a drag, a field being typed into): then it is taken once the gesture
// ends. The edit menus' undo and redo items and the main window's title follow the history.
#pragma once

// A change since the last step becomes a step, when no gesture is under way.
void note_project_changes();
// The project was made new, opened or closed: the history starts afresh from it.
void start_history();
// The project was saved: what it is now has no unsaved changes.
void project_saved();
// Whether the open project differs from what was last saved, opened or made new.
bool project_has_unsaved_changes();
void command_undo();
void command_redo();
// The undo and redo items of the three edit menus (greyed when there is nothing to undo or
// redo, or while a pattern plays) and the title with the project's name and its mark.
void show_history_state();
