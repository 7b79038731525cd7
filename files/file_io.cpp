#include "files/file_io.h"

#include <windows.h>

#include <algorithm>

namespace {

bool write_all(HANDLE file, const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written != chunk) return false;
        done += chunk;
    }
    return true;
}

// A handle of what is stored on a disk; anything else (a device such as CON or NUL, a pipe)
// is closed again and refused as a file that cannot be opened.
HANDLE keep_disk_file(HANDLE file) {
    if (file == INVALID_HANDLE_VALUE || GetFileType(file) == FILE_TYPE_DISK) return file;
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
}

HANDLE open_disk_file(const char* path) {
    return keep_disk_file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The whole file at its temporary name, on disk and closed.
bool write_temporary(const FileToWrite& f) {
    const std::string temp = temporary_name_for(f.path);
    // Something that is not a file of ours under that name (a pipe, a device name) is left alone.
    HANDLE file = keep_disk_file(
        CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = write_all(file, f.bytes) && FlushFileBuffers(file);
    const bool closed = CloseHandle(file) != FALSE;
    if (written && closed) return true;
    DeleteFileA(temp.c_str());
    return false;
}

struct Replaced {
    bool had_previous = false;
    bool kept_previous = false;  // a backup holds the previous file
};

// Puts the temporary file in place of the target, keeping the previous one as a
// backup (a second name of the same file) so that it can come back.
bool replace_target(const FileToWrite& f, Replaced& r) {
    const std::string backup = backup_name_for(f.path);
    r.had_previous = GetFileAttributesA(f.path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (r.had_previous) {
        DeleteFileA(backup.c_str());
        r.kept_previous = CreateHardLinkA(backup.c_str(), f.path.c_str(), nullptr) != FALSE;
    }
    return MoveFileExA(temporary_name_for(f.path).c_str(), f.path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void restore_target(const FileToWrite& f, const Replaced& r) {
    if (r.kept_previous)
        MoveFileExA(backup_name_for(f.path).c_str(), f.path.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    else if (!r.had_previous)
        DeleteFileA(f.path.c_str());
}

}  // namespace

std::string temporary_name_for(const std::string& target) {
    return target + ".~tmp";
}

std::string backup_name_for(const std::string& target) {
    return target + ".~bak";
}

FileRead read_file_bytes(const char* path, std::vector<uint8_t>& bytes, size_t max_bytes) {
    bytes.clear();
    HANDLE file = open_disk_file(path);
    if (file == INVALID_HANDLE_VALUE) return FileRead::CannotOpen;
    uint8_t chunk[65536];
    bool ok = true;
    while (bytes.size() < max_bytes) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(sizeof chunk, max_bytes - bytes.size()));
        if (!ReadFile(file, chunk, want, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    CloseHandle(file);
    return ok ? FileRead::Done : FileRead::Failed;
}

bool disk_file_readable(const char* path) {
    HANDLE file = open_disk_file(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool file_exists(const char* path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path, &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

int write_files_replacing(std::span<const FileToWrite> files) {
    const int count = static_cast<int>(files.size());
    for (int i = 0; i < count; ++i) {
        if (write_temporary(files[i])) continue;
        for (int j = 0; j < i; ++j) DeleteFileA(temporary_name_for(files[j].path).c_str());
        return i;
    }
    std::vector<Replaced> replaced(files.size());
    for (int i = 0; i < count; ++i) {
        if (replace_target(files[i], replaced[i])) continue;
        for (int j = i - 1; j >= 0; --j) restore_target(files[j], replaced[j]);
        for (int j = i; j < count; ++j) DeleteFileA(temporary_name_for(files[j].path).c_str());
        if (replaced[i].kept_previous) DeleteFileA(backup_name_for(files[i].path).c_str());
        return i;
    }
    for (int i = 0; i < count; ++i)
        if (replaced[i].kept_previous) DeleteFileA(backup_name_for(files[i].path).c_str());
    return -1;
}
