// "Celwin.cfg" in the current directory (or where app/settings_folders.h says a desktop keeps
// it): the window sizes, the pattern windows' maximised state, the recent-files list and the
// background fill record, carried from one run to the next.
#pragma once

inline constexpr char kConfigurationFile[] = "Celwin.cfg";
// Beside it, a line "X Y" of its own: the image window's place, which the configuration's
// fixed record has no room for.
inline constexpr char kImageWindowPlaceFile[] = "Celwin.pos";

// Start-up, before the main window exists. A missing or unreadable file leaves every
// value at its initial one, silently.
void read_configuration();
// When the main window is destroyed. A file that cannot be written is skipped
// silently; the previous one then stays as it was.
void write_configuration();
