// The file commands as the user gives them: New, Open, Save, Save As, the recent-files items,
// dropped files and leaving the program, with the question whether to save the open project.
#pragma once

#include <windows.h>

// Before the open project is replaced: asks whether to save it, and if the answer
// is not No, runs Save As. Nothing is asked when no project is open. False only
// when the user wanted the project saved and it was not (the save dialog was
// cancelled or the save failed).
bool save_prompt();

bool command_save_as();  // true when the project was saved
void command_save();
void command_new();
void command_open();
void command_open_recent(UINT id);
void command_open_dropped(const char* path);
// Exit and the close box: the save prompt when a project is open, then the main
// window goes, unless the user wanted to save and nothing was saved.
void command_exit(HWND main_window);
