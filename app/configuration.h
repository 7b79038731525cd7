// "Celwin.cfg" in the current directory (or where app/settings_folders.h says a desktop keeps
// it): the window sizes, the pattern windows' maximised state, the recent-files list and the
// background fill record, carried from one run to the next.
#pragma once

inline constexpr char kConfigurationFile[] = "Celwin.cfg";
// Beside it, the settings its fixed record has no room for (files/editor_settings.h).

// Start-up, before the main window exists. A missing or unreadable file leaves every
// value at its initial one, silently.
void read_configuration();
// When the main window is destroyed. A file that cannot be written is skipped
// silently; the previous one then stays as it was.
void write_configuration();
