// The project as a whole: starting a new one, closing, opening and saving it. The file
// commands that drive them are the application's (app/file_commands.h).
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

// Opens a project already read and checked (a recovery copy) as the project at path, which
// it is saved to; the files at path are not read.
struct ProjectFiles;
bool open_read_project(const char* path, const ProjectFiles& files);

// Writes the project under path (a ".cwp" path: the project file and its data
// file; any other: the data file alone), after asking before an existing file is
// overwritten. Either every file is replaced or none is; a failure is reported.
// True when the files were written.
bool save_project(const char* path);

// New: the hint, the image chosen in the open-file dialog and loaded, the project named
// "新規ｱﾆﾒｰｼｮﾝ". False when the dialog was cancelled or the image did not load (no project is
// open then; the open project is the caller's to close first).
bool new_project();
// New, over the image at image_path instead of one chosen in the dialog (a BMP, TIM or PNG
// file named on the command line or dropped). The image is decoded first: Refused when it
// was refused, with the open project left as it was; otherwise the open project is closed
// and the new one Started, or Failed as New fails (no project is open then).
enum class SheetOpening { Started, Refused, Failed };
SheetOpening new_project_from_image(const char* image_path);
