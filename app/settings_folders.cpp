#include "app/settings_folders.h"

#include <windows.h>
#ifdef CELWRIGHT_DESKTOP_SETTINGS
#include <sddl.h>
#endif

#include "app/configuration.h"
#include "app/recovery_commands.h"
#include "files/file_io.h"

namespace {

SettingsFolders working_folder() {
    return SettingsFolders{"", kRecoveryFolder};
}

#ifdef CELWRIGHT_DESKTOP_SETTINGS

constexpr char kProgramFolder[] = "/celwright";
// Room for the folders' own names and a file's after the variable's text.
constexpr DWORD kMaxVariable = 400;

// A folder named by an environment variable, without a separator at its end; "" when it is not
// set, is empty or is not a path that can name a folder: a relative one (the desktop's rules
// ignore those) or one with characters the program's code page has no form for (they arrive as
// '?', which no file name holds).
std::string folder_variable(const char* name) {
    char value[kMaxVariable];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    if (n == 0 || n >= sizeof value) return "";
    std::string folder(value, n);
    if (folder[0] != '/' || folder.find_first_of("?*") != std::string::npos) return "";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

bool folder_identity(const char* path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE folder = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(folder, &info) != FALSE;
    CloseHandle(folder);
    return known && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether two names are of one folder however they reach it (through a link, say): the system
// names a file by its volume and its index there.
bool same_folder(const char* a, const char* b) {
    BY_HANDLE_FILE_INFORMATION ia, ib;
    return folder_identity(a, ia) && folder_identity(b, ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
           ia.nFileIndexLow == ib.nFileIndexLow;
}

// Makes the folder, and those above it that are missing, for their owner alone, as the desktop
// wants its folders made; false when it is not a folder afterwards.
bool make_private_folder(const std::string& folder) {
    PSECURITY_DESCRIPTOR owner_only = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;OICI;FA;;;OW)", SDDL_REVISION_1,
                                                              &owner_only, nullptr))
        return false;
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), owner_only, FALSE};
    for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string part = folder.substr(0, end);
        if (GetFileAttributesA(part.c_str()) == INVALID_FILE_ATTRIBUTES)
            CreateDirectoryA(part.c_str(), &security);
        if (end == std::string::npos) break;
    }
    LocalFree(owner_only);
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The desktop's folders for the settings and for the recovery copies; where they cannot be
// made, the working folder as before.
SettingsFolders desktop_folders(const std::string& home) {
    std::string config = folder_variable("XDG_CONFIG_HOME");
    std::string state = folder_variable("XDG_STATE_HOME");
    config = (config.empty() ? home + "/.config" : config) + kProgramFolder;
    state = (state.empty() ? home + "/.local/state" : state) + kProgramFolder;
    if (!make_private_folder(config) || !make_private_folder(state)) return working_folder();
    return SettingsFolders{config + "/", state + "/" + kRecoveryFolder};
}

#endif

}  // namespace

SettingsFolders find_settings_folders() {
#ifdef CELWRIGHT_DESKTOP_SETTINGS
    const std::string home = folder_variable("HOME");
    if (!home.empty() && !file_exists(kConfigurationFile) && same_folder(".", home.c_str()))
        return desktop_folders(home);
#endif
    return working_folder();
}

const SettingsFolders& settings_folders() {
    static const SettingsFolders folders = find_settings_folders();
    return folders;
}

std::string settings_file(const char* name) {
    return settings_folders().settings + name;
}
