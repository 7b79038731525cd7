// The project as a whole: closing it, the question before it is replaced, and
// the New command that starts one from an image.
#pragma once

// Discards the open project: patterns and their windows, the tree's root text,
// the menu, the current path, the edit panel, the image window, the tables.
void close_project();

// Before the open project is replaced: asks whether to save it, and if the
// answer is not No, runs Save As. Nothing is asked when no project is open.
void save_prompt();

// Save As: the save dialog, prefilled with the current path, then saving.
void command_save_as();

// New: save prompt, close project, the image dialog, the new project's name,
// the image, the project menu and the edit panel.
void command_new();
