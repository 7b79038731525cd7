// The recovery copy as the application keeps it. While the open project has changes that are
// not saved, a copy of it is written a moment after it changes (every change within that moment
// goes into one write, made from the main loop's timer, so the user never waits for it). A save,
// undoing back to what was saved, closing the project or leaving the program cleanly removes
// it; so a copy found at start-up whose editor is no longer running was left by a run that did
// not end cleanly. The copy of an editor still running (a second editor started in the same
// place) is its own: it is never offered, removed or written over by another; the second editor
// keeps its copy in a folder of its own beside the first one's.
#pragma once

// The copy's folder, beside the settings file (app/settings_folders.h). Editors running at the
// same time take the first that no other one keeps, of this one and those beside it with a
// number: "Celwin.rcv.2" and on.
inline constexpr char kRecoveryFolder[] = "Celwin.rcv";
inline constexpr int kRecoveryFolders = 8;
// How long after a change its copy is written, in milliseconds.
inline constexpr unsigned kRecoveryDelay = 2000;

// At start-up: offers to restore each copy left by a run that did not end cleanly, one after
// the other until one is restored. Restored, it is open as an unsaved project under the path it
// was edited under; declined, it is removed; a copy that is damaged is refused with a message
// and removed.
void offer_recovery();
// After each message the main loop handles: the copy follows the project.
void keep_recovery_copy();
// The program is closing cleanly: nothing is left to recover.
void end_recovery();
