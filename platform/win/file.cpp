// The kernel's file calls the program makes: CreateFile, ReadFile, WriteFile,
// FlushFileBuffers, CloseHandle, GetFileType, GetFileInformationByHandle,
// FindFirstFile/FindClose, GetFileAttributes, DeleteFile, MoveFileEx, CreateHardLink,
// CreateDirectory and RemoveDirectory. Names arrive as CP932 and are converted to the file
// system's UTF-8 here; nothing else in the program sees the file system's encoding.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "text/cp932.h"
#include "win/backend.h"
#include "win/process.h"
#include "win/security.h"

namespace {

struct File {
    int fd;
    mode_t type;  // what it is (S_IFREG, S_IFIFO ...), as fstat told when it was opened
};
std::set<File*>& files() {
    static std::set<File*> f;
    return f;
}

struct Find {
    int unused;
};
std::set<Find*>& finds() {
    static std::set<Find*> f;
    return f;
}

std::string fs_path(LPCSTR name) {
    return cw::text::cp932_to_utf8(name ? name : "");
}

// The system error code closest to errno, as GetLastError reports it.
DWORD error_from_errno(int e) {
    switch (e) {
        case 0: return 0;
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR: return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR: return ERROR_ACCESS_DENIED;
        case EEXIST: return ERROR_FILE_EXISTS;
        case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
        case ENOSPC:
        case EDQUOT: return ERROR_DISK_FULL;
        case EINVAL: return ERROR_INVALID_PARAMETER;
    }
    return ERROR_GEN_FAILURE;
}

BOOL fail_with_errno() {
    SetLastError(error_from_errno(errno));
    return FALSE;
}

File* file_of(HANDLE h) {
    auto* f = static_cast<File*>(h);
    return files().count(f) ? f : nullptr;
}

// The open file a ReadFile or WriteFile call may go to, with its byte count set to 0;
// nullptr (and the error set) for a handle that is not an open file or a missing buffer.
File* transfer_file(HANDLE h, const void* buffer, DWORD count, LPDWORD done) {
    if (done) *done = 0;
    File* f = file_of(h);
    if (f && (buffer || !count)) return f;
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

bool is_directory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Reads and writes of what is stored on a disk wait for nothing; a pipe or a device keeps
// the non-blocking open, so that nothing the program does with its handle can hang.
bool stored_on_disk(mode_t type) {
    return S_ISREG(type) || S_ISDIR(type);
}

}  // namespace

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, LPVOID, DWORD disposition, DWORD attributes, HANDLE) {
    const std::string path = fs_path(name);
    int flags = 0;
    if ((access & GENERIC_READ) && (access & GENERIC_WRITE))
        flags = O_RDWR;
    else if (access & GENERIC_WRITE)
        flags = O_WRONLY;
    else
        flags = O_RDONLY;
    switch (disposition) {
        case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
        case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
        case OPEN_ALWAYS: flags |= O_CREAT; break;
        case OPEN_EXISTING: break;
        default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
    }
    // The system opens a pipe or a device at once, whether anything is at its other end or not;
    // open() would wait for a writer of a FIFO.
    const int fd = open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) {
        fail_with_errno();
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        fail_with_errno();
        close(fd);
        return INVALID_HANDLE_VALUE;
    }
    // A folder opens only for the backup semantics, as on the system.
    if (S_ISDIR(st.st_mode) && !(attributes & FILE_FLAG_BACKUP_SEMANTICS)) {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (stored_on_disk(st.st_mode)) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    auto* f = new File{fd, static_cast<mode_t>(st.st_mode & S_IFMT)};
    files().insert(f);
    SetLastError(0);
    return f;
}

BOOL ReadFile(HANDLE h, LPVOID buffer, DWORD to_read, LPDWORD read_count, LPVOID) {
    File* f = transfer_file(h, buffer, to_read, read_count);
    if (!f) return FALSE;
    DWORD total = 0;
    while (total < to_read) {
        const ssize_t n = read(f->fd, static_cast<char*>(buffer) + total, to_read - total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (read_count) *read_count = total;
            return fail_with_errno();
        }
        if (n == 0) break;
        total += static_cast<DWORD>(n);
    }
    if (read_count) *read_count = total;
    return TRUE;
}

BOOL WriteFile(HANDLE h, LPCVOID buffer, DWORD to_write, LPDWORD written, LPVOID) {
    File* f = transfer_file(h, buffer, to_write, written);
    if (!f) return FALSE;
    DWORD total = 0;
    while (total < to_write) {
        const long long n =
            cw::backend::write_bytes(f->fd, static_cast<const char*>(buffer) + total, to_write - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // What went in before the disk filled up stays written, as on the system.
            if (written) *written = total;
            if (n == 0) errno = ENOSPC;
            return fail_with_errno();
        }
        total += static_cast<DWORD>(n);
    }
    if (written) *written = total;
    return TRUE;
}

BOOL FlushFileBuffers(HANDLE h) {
    File* f = file_of(h);
    if (!f) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return fsync(f->fd) == 0 ? TRUE : fail_with_errno();
}

BOOL CloseHandle(HANDLE h) {
    if (cw::win::close_process_handle(h)) return TRUE;
    File* f = file_of(h);
    if (!f) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // close() reports what a delayed write could not store (a full disk on some file systems).
    const int result = close(f->fd);
    files().erase(f);
    delete f;
    return result == 0 ? TRUE : fail_with_errno();
}

DWORD GetFileType(HANDLE h) {
    const File* f = file_of(h);
    if (!f) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FILE_TYPE_UNKNOWN;
    }
    // The system's answer succeeds with its code cleared, so that FILE_TYPE_UNKNOWN can be told
    // from a failure.
    SetLastError(0);
    switch (f->type) {
        case S_IFREG:
        case S_IFDIR:
        case S_IFBLK: return FILE_TYPE_DISK;
        case S_IFCHR: return FILE_TYPE_CHAR;
        case S_IFIFO:
        case S_IFSOCK: return FILE_TYPE_PIPE;
    }
    return FILE_TYPE_UNKNOWN;
}

BOOL GetFileInformationByHandle(HANDLE h, LPBY_HANDLE_FILE_INFORMATION info) {
    const File* f = file_of(h);
    struct stat st;
    if (!f || !info) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (fstat(f->fd, &st) != 0) return fail_with_errno();
    std::memset(info, 0, sizeof *info);
    info->dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    // The volume and the index within it name the file, whatever path it was opened by.
    const uint64_t device = static_cast<uint64_t>(st.st_dev), index = static_cast<uint64_t>(st.st_ino);
    info->dwVolumeSerialNumber = static_cast<DWORD>(device ^ (device >> 32));
    info->nFileIndexHigh = static_cast<DWORD>(index >> 32);
    info->nFileIndexLow = static_cast<DWORD>(index);
    info->nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_size) >> 32);
    info->nFileSizeLow = static_cast<DWORD>(st.st_size);
    info->nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
    return TRUE;
}

HANDLE FindFirstFileA(LPCSTR name, WIN32_FIND_DATAA* data) {
    struct stat st;
    if (stat(fs_path(name).c_str(), &st) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (data) {
        std::memset(data, 0, sizeof *data);
        data->dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
        data->nFileSizeLow = static_cast<DWORD>(st.st_size);
        data->nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_size) >> 32);
        const char* base = std::strrchr(name, '/');
        cw::text::copy_truncated(data->cFileName, MAX_PATH, base ? base + 1 : name);
    }
    auto* f = new Find{0};
    finds().insert(f);
    return f;
}

BOOL FindClose(HANDLE h) {
    auto* f = static_cast<Find*>(h);
    if (!finds().count(f)) return FALSE;
    finds().erase(f);
    delete f;
    return TRUE;
}

DWORD GetFileAttributesA(LPCSTR name) {
    struct stat st;
    const std::string path = fs_path(name);
    if (stat(path.c_str(), &st) != 0) {
        fail_with_errno();
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    if (access(path.c_str(), W_OK) != 0) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

BOOL DeleteFileA(LPCSTR name) {
    const std::string path = fs_path(name);
    if (is_directory(path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return unlink(path.c_str()) == 0 ? TRUE : fail_with_errno();
}

BOOL CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES security) {
    const std::string path = fs_path(name);
    // A descriptor given decides who may enter the folder exactly, whatever the umask says.
    mode_t mode = 0755;
    const bool exact = security && cw::win::descriptor_mode(security->lpSecurityDescriptor, &mode);
    if (mkdir(path.c_str(), mode) == 0) {
        if (exact) chmod(path.c_str(), mode);
        return TRUE;
    }
    // The system names an existing file or folder of that name alike.
    if (errno == EEXIST) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    return fail_with_errno();
}

BOOL RemoveDirectoryA(LPCSTR name) {
    const std::string path = fs_path(name);
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    return rmdir(path.c_str()) == 0 ? TRUE : fail_with_errno();
}

BOOL MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags) {
    const std::string from = fs_path(existing), to = fs_path(target);
    struct stat st;
    const bool target_exists = lstat(to.c_str(), &st) == 0;
    if (target_exists && !(flags & MOVEFILE_REPLACE_EXISTING)) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    // A folder is never replaced by a file.
    if (target_exists && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (rename(from.c_str(), to.c_str()) != 0) return fail_with_errno();
    if (flags & MOVEFILE_WRITE_THROUGH) {
        // The new name is on disk only once its folder is.
        const size_t slash = to.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : to.substr(0, slash);
        const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            fsync(fd);
            close(fd);
        }
    }
    return TRUE;
}

BOOL CreateHardLinkA(LPCSTR new_name, LPCSTR existing, LPVOID) {
    return link(fs_path(existing).c_str(), fs_path(new_name).c_str()) == 0 ? TRUE : fail_with_errno();
}
