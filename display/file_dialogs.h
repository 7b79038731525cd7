// The two file dialogs every file command uses, and the current path: the path of the open
// project, which the status bar shows.
#pragma once

#include <windows.h>

// The project and image filters of the file dialogs (pairs, NUL-separated, double NUL at the end).
extern const char kProjectFilter[];
extern const char kImageFilter[];

// Runs the open-file dialog into buffer; true when the user chose a file.
bool open_file_dialog(char* buffer, DWORD size, const char* filter, const char* default_ext);
// Runs the save-file dialog, starting from the current path; the dialog's result.
BOOL save_file_dialog(char* buffer, DWORD size, const char* filter, const char* default_ext);
// The current path: the status bar's text.
void current_path(char* buffer, int size);
void set_current_path(const char* path);
