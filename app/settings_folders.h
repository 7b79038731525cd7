// Where the editor keeps what carries over from one run to the next: the settings files
// (Celwin.cfg, Celwin.ini) and the recovery copies. They are kept in the working folder, the
// folder the editor is started in.
//
// Built for a desktop (CELWRIGHT_DESKTOP_SETTINGS), an editor started in the user's home folder,
// as the desktop's menu and its file manager start it, keeps them where the desktop keeps every
// program's instead: the settings under $XDG_CONFIG_HOME/celwright (~/.config/celwright), the
// recovery copies under $XDG_STATE_HOME/celwright (~/.local/state/celwright), rather than at the
// top of the home folder. A home folder that already holds a Celwin.cfg keeps it and everything
// with it in the working folder, as before.
#pragma once

#include <string>

struct SettingsFolders {
    // What goes before a settings file's name: "" for the working folder, otherwise a folder
    // and its separator.
    std::string settings;
    // The folder of the recovery copies.
    std::string recovery;
};

// Decided from the working folder and the environment as they are now; the desktop's folders
// are made (for their owner alone) where they are missing.
SettingsFolders find_settings_folders();
// This run's, decided at the first call.
const SettingsFolders& settings_folders();
// The path of this run's settings file of that name.
std::string settings_file(const char* name);
