#include "files/recovery.h"

#include <windows.h>

#include <array>
#include <cstring>

#include "files/file_io.h"
#include "files/project_data.h"

namespace {

constexpr char kMagic[8] = {'C', 'W', 'R', 'E', 'C', 'O', 'V', '1'};
constexpr size_t kNoteFixed = sizeof kMagic + 4 + 4 * 4;
constexpr size_t kMaxNoteSize = kNoteFixed + kPathSize;
constexpr const char* kNames[] = {"recovery.cwp", "recovery.spa", "recovery.inf"};
constexpr char kLockName[] = "recovery.lck";
constexpr char kLockMagic[8] = {'C', 'W', 'K', 'E', 'E', 'P', 'E', 'R'};
constexpr size_t kLockSize = sizeof kLockMagic + 4 + 8;
// Creation times of one process read at two moments may differ by the clock's setting in
// between where the system derives them from the time since it started; another process under
// the same id cannot have started within this of the first.
constexpr uint64_t kSameStart = 2 * 10000000ull;

std::string in_folder(const char* folder, const char* name) {
    return std::string(folder) + "/" + name;
}
std::string project_copy(const char* folder) {
    return in_folder(folder, kNames[0]);
}
std::string data_copy(const char* folder) {
    return in_folder(folder, kNames[1]);
}
std::string note_file(const char* folder) {
    return in_folder(folder, kNames[2]);
}
std::string lock_file(const char* folder) {
    return in_folder(folder, kLockName);
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
uint32_t get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint64_t file_time(const FILETIME& t) {
    return static_cast<uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

bool same_owner(const RecoveryOwner& a, const RecoveryOwner& b) {
    const uint64_t apart = a.created > b.created ? a.created - b.created : b.created - a.created;
    return a.process_id == b.process_id && apart <= kSameStart;
}

// Reads one file of the copy; it must be exactly as long as the note says and sum to its sum.
bool read_matching(const std::string& path, uint32_t size, uint32_t sum, size_t max_size,
                   std::vector<uint8_t>& bytes) {
    if (size > max_size) return false;
    if (read_file_bytes(path.c_str(), bytes, max_size + 1) != FileRead::Done) return false;
    return bytes.size() == size && recovery_sum(bytes) == sum;
}

}  // namespace

uint32_t recovery_sum(std::span<const uint8_t> bytes) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (uint8_t b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::vector<uint8_t> encode_recovery_note(const RecoveryNote& note) {
    std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
    put32(out, static_cast<uint32_t>(note.original_path.size()));
    out.insert(out.end(), note.original_path.begin(), note.original_path.end());
    put32(out, note.project_size);
    put32(out, note.project_sum);
    put32(out, note.data_size);
    put32(out, note.data_sum);
    return out;
}

bool decode_recovery_note(std::span<const uint8_t> bytes, RecoveryNote& note) {
    if (bytes.size() < kNoteFixed || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return false;
    const uint32_t path_size = get32(bytes.data() + sizeof kMagic);
    // A path the editor could not have had, or a note longer or shorter than its path says.
    if (path_size == 0 || path_size >= kPathSize || bytes.size() != kNoteFixed + path_size) return false;
    const uint8_t* p = bytes.data() + sizeof kMagic + 4;
    note.original_path.assign(reinterpret_cast<const char*>(p), path_size);
    if (note.original_path.find('\0') != std::string::npos) return false;
    p += path_size;
    note.project_size = get32(p);
    note.project_sum = get32(p + 4);
    note.data_size = get32(p + 8);
    note.data_sum = get32(p + 12);
    return true;
}

bool write_recovery_copy(const char* folder, const std::string& original_path, const Tables& t) {
    if (original_path.empty() || original_path.size() >= kPathSize) return false;
    if (!CreateDirectoryA(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    // Both files always, whatever the project was opened from: the project file keeps the image
    // path and the names that a data file alone does not hold.
    std::vector<FileToWrite> files;
    files.push_back({project_copy(folder), encode_project_file(t.names)});
    files.push_back({data_copy(folder), encode_animation_data(t, t.clut_attribute)});
    RecoveryNote note;
    note.original_path = original_path;
    note.project_size = static_cast<uint32_t>(files[0].bytes.size());
    note.project_sum = recovery_sum(files[0].bytes);
    note.data_size = static_cast<uint32_t>(files[1].bytes.size());
    note.data_sum = recovery_sum(files[1].bytes);
    // The note goes in place last: until it does, the previous note no longer matches the files,
    // and a copy cut off in between is refused rather than taken half old and half new.
    files.push_back({note_file(folder), encode_recovery_note(note)});
    return write_files_replacing(files) < 0;
}

RecoveryFound read_recovery_copy(const char* folder, RecoveryCopy& copy) {
    if (!recovery_copy_present(folder)) return RecoveryFound::None;
    std::vector<uint8_t> bytes;
    RecoveryNote note;
    if (read_file_bytes(note_file(folder).c_str(), bytes, kMaxNoteSize + 1) != FileRead::Done ||
        !decode_recovery_note(bytes, note))
        return RecoveryFound::Refused;
    std::vector<uint8_t> project, data;
    if (!read_matching(project_copy(folder), note.project_size, note.project_sum, kProjectFileSize,
                       project) ||
        !read_matching(data_copy(folder), note.data_size, note.data_sum, kMaxDataFileSize, data))
        return RecoveryFound::Refused;
    // A copy that matches its note went through the writers; the readers still have the last word.
    const ProjectFileResult names = decode_project_file(project);
    const AnimationDataResult contents = decode_animation_data(data);
    if (names.refusal.refused() || contents.refusal.refused() || project.size() != kProjectFileSize)
        return RecoveryFound::Refused;
    copy.original_path = note.original_path;
    copy.files = ProjectFiles{};
    copy.files.kind = PathKind::ProjectFile;
    copy.files.data_path = classify_path(note.original_path) == PathKind::ProjectFile
                               ? data_path_for(note.original_path)
                               : note.original_path;
    copy.files.names = names.names;
    copy.files.data = contents.data;
    return RecoveryFound::Copy;
}

bool recovery_copy_present(const char* folder) {
    // What a write cut off before anything was in place (temporary files alone) is no copy.
    for (const char* name : kNames)
        if (file_exists(in_folder(folder, name).c_str())) return true;
    return false;
}

void remove_recovery_copy(const char* folder) {
    for (const char* name : kNames) {
        const std::string path = in_folder(folder, name);
        for (const std::string& p : {path, temporary_name_for(path), backup_name_for(path)})
            DeleteFileA(p.c_str());
    }
    // The lock last: until the copy is gone, it keeps another editor from taking the folder.
    const std::string lock = lock_file(folder);
    for (const std::string& p : {lock, temporary_name_for(lock), backup_name_for(lock)})
        DeleteFileA(p.c_str());
    RemoveDirectoryA(folder);
}

std::vector<uint8_t> encode_recovery_owner(const RecoveryOwner& owner) {
    std::vector<uint8_t> out(kLockMagic, kLockMagic + sizeof kLockMagic);
    put32(out, owner.process_id);
    put32(out, static_cast<uint32_t>(owner.created));
    put32(out, static_cast<uint32_t>(owner.created >> 32));
    return out;
}

bool decode_recovery_owner(std::span<const uint8_t> bytes, RecoveryOwner& owner) {
    if (bytes.size() != kLockSize || std::memcmp(bytes.data(), kLockMagic, sizeof kLockMagic) != 0)
        return false;
    const uint8_t* p = bytes.data() + sizeof kLockMagic;
    owner.process_id = get32(p);
    owner.created = static_cast<uint64_t>(get32(p + 8)) << 32 | get32(p + 4);
    return true;
}

RecoveryOwner this_recovery_owner() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    RecoveryOwner owner;
    owner.process_id = GetCurrentProcessId();
    owner.created = file_time(created);
    return owner;
}

bool recovery_owner_running(const RecoveryOwner& owner) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner.process_id);
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    // An id given to another process after the owner ended (after a restart, say) is not the owner.
    RecoveryOwner found;
    found.process_id = owner.process_id;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE &&
                         GetProcessTimes(process, &created, &exited, &kernel, &user);
    found.created = file_time(created);
    CloseHandle(process);
    return running && same_owner(found, owner);
}

RecoveryKeeper recovery_keeper(const char* folder) {
    const std::string lock = lock_file(folder);
    if (!file_exists(lock.c_str())) return RecoveryKeeper::None;
    std::vector<uint8_t> bytes;
    RecoveryOwner owner;
    // A lock is put in place whole, so one that does not read as a lock was not written by a keeper.
    if (read_file_bytes(lock.c_str(), bytes, kLockSize + 1) != FileRead::Done ||
        !decode_recovery_owner(bytes, owner))
        return RecoveryKeeper::Ended;
    if (same_owner(owner, this_recovery_owner())) return RecoveryKeeper::ThisRun;
    return recovery_owner_running(owner) ? RecoveryKeeper::Running : RecoveryKeeper::Ended;
}

bool claim_recovery_folder(const char* folder) {
    const RecoveryKeeper keeper = recovery_keeper(folder);
    if (keeper == RecoveryKeeper::ThisRun) return true;
    if (keeper == RecoveryKeeper::Running) return false;
    if (!CreateDirectoryA(folder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    const FileToWrite lock{lock_file(folder), encode_recovery_owner(this_recovery_owner())};
    if (write_files_replacing(std::span<const FileToWrite>(&lock, 1)) >= 0) return false;
    // Two editors that took the folder at one moment: it is the one whose lock stands.
    return recovery_keeper(folder) == RecoveryKeeper::ThisRun;
}

void release_recovery_folder(const char* folder) {
    if (recovery_keeper(folder) != RecoveryKeeper::ThisRun) return;
    DeleteFileA(lock_file(folder).c_str());
    RemoveDirectoryA(folder);
}
