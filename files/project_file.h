// The project as a whole: closing, opening and saving it, the question before it
// is replaced, and the file commands that drive them (New, Open, Save, Save As,
// the recent-files items, dropped files and leaving the program).
#pragma once

#include <windows.h>

// Discards the open project: patterns and their windows, the tree's root text,
// the menu, the current path, the edit panel, the image window and the working
// image, the tables.
void close_project();

// Opens a project file (".cwp", with the data file beside it) or a data file
// (".spa") on its own. Both files are read and checked whole before the open
// project is closed, so a file that cannot be opened or is refused leaves it open.
// Opening the current path does nothing and succeeds.
bool open_project(const char* path);

// Writes the project under path (a ".cwp" path: the project file and its data
// file; any other: the data file alone), after asking before an existing file is
// overwritten. Either every file is replaced or none is; a failure is reported.
// True when the files were written.
bool save_project(const char* path);

// Before the open project is replaced: asks whether to save it, and if the answer
// is not No, runs Save As. Nothing is asked when no project is open. False only
// when the user wanted the project saved and it was not (the save dialog was
// cancelled or the save failed).
bool save_prompt();

// The commands.
bool command_save_as();  // true when the project was saved
void command_save();
void command_new();
void command_open();
void command_open_recent(UINT id);
void command_open_dropped(const char* path);
// Exit and the close box: the save prompt when a project is open, then the main
// window goes, unless the user wanted to save and nothing was saved.
void command_exit(HWND main_window);
