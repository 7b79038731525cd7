// What the editor asks the system about files and processes before it trusts them: what an
// opened name is (a file on a disk, a device, a pipe), whether two names are one folder, a
// folder made for its owner alone, an environment variable, and whether a process is still the
// one that was running under its id.
#include "conformance.h"

// After windows.h, which the SDK's security header needs before it.
#include <sddl.h>

namespace {

// The null device under the name each system gives it.
#ifdef _WIN32
constexpr char kNullDevice[] = "NUL";
#else
constexpr char kNullDevice[] = "/dev/null";
#endif

HANDLE open_existing(const char* name, DWORD access, DWORD flags) {
    return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                       nullptr);
}

void make_file(const char* name) {
    HANDLE f = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (f != INVALID_HANDLE_VALUE) WriteFile(f, "bytes", 5, &written, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
}

unsigned long long file_time(const FILETIME& t) {
    return static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

// The volume and index that name what the handle is open on; all zero when they cannot be read.
unsigned long long identity(HANDLE h, DWORD* volume) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info)) return 0;
    *volume = info.dwVolumeSerialNumber;
    return static_cast<unsigned long long>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
}

}  // namespace

CONFORMANCE_CASE(FileTypeTellsADiskFileFromADeviceAndAClosedHandle) {
    const char name[] = "conformance_type.bin";
    make_file(name);
    HANDLE file = open_existing(name, GENERIC_READ, FILE_ATTRIBUTE_NORMAL);
    if (!CHECK(file != INVALID_HANDLE_VALUE)) return;
    CHECK_EQ(GetFileType(file), FILE_TYPE_DISK);
    CHECK(CloseHandle(file));
    SetLastError(0);
    CHECK_EQ(GetFileType(file), FILE_TYPE_UNKNOWN);
    CHECK_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    CHECK(DeleteFileA(name));

    // The null device opens like a file, at once, and says that it is a character device.
    HANDLE device = open_existing(kNullDevice, GENERIC_READ, FILE_ATTRIBUTE_NORMAL);
    if (!CHECK(device != INVALID_HANDLE_VALUE)) return;
    CHECK_EQ(GetFileType(device), FILE_TYPE_CHAR);
    char byte = 0;
    DWORD got = 7;
    CHECK(ReadFile(device, &byte, 1, &got, nullptr));
    CHECK_EQ(got, 0);
    CHECK(CloseHandle(device));
}

CONFORMANCE_CASE(AFolderOpensOnlyForBackupAndIsKnownByItsIdentity) {
    const char folder[] = "conformance_identity";
    const char other[] = "conformance_identity_other";
    CreateDirectoryA(folder, nullptr);
    CreateDirectoryA(other, nullptr);
    HANDLE refused = open_existing(folder, GENERIC_READ, FILE_ATTRIBUTE_NORMAL);
    CHECK(refused == INVALID_HANDLE_VALUE);
    CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    if (refused != INVALID_HANDLE_VALUE) CloseHandle(refused);

    HANDLE a = open_existing(folder, 0, FILE_FLAG_BACKUP_SEMANTICS);
    HANDLE b = open_existing("conformance_identity/.", 0, FILE_FLAG_BACKUP_SEMANTICS);
    HANDLE c = open_existing(other, 0, FILE_FLAG_BACKUP_SEMANTICS);
    if (CHECK(a != INVALID_HANDLE_VALUE) && CHECK(b != INVALID_HANDLE_VALUE) &&
        CHECK(c != INVALID_HANDLE_VALUE)) {
        BY_HANDLE_FILE_INFORMATION info{};
        CHECK(GetFileInformationByHandle(a, &info));
        CHECK(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        CHECK_EQ(GetFileType(a), FILE_TYPE_DISK);
        DWORD va = 0, vb = 1, vc = 2;
        const unsigned long long ia = identity(a, &va), ib = identity(b, &vb), ic = identity(c, &vc);
        CHECK(ia != 0);
        CHECK(ia == ib && va == vb);
        CHECK(ia != ic);
        CHECK_EQ(va, vc);
    }
    for (HANDLE h : {a, b, c})
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    CHECK(RemoveDirectoryA(folder));
    CHECK(RemoveDirectoryA(other));
}

CONFORMANCE_CASE(AFolderIsMadeWithADescriptorForItsOwner) {
    const char folder[] = "conformance_private";
    RemoveDirectoryA(folder);
    PSECURITY_DESCRIPTOR owner_only = nullptr;
    ULONG size = 0;
    if (!CHECK(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;OICI;FA;;;OW)", SDDL_REVISION_1,
                                                                    &owner_only, &size)))
        return;
    CHECK(owner_only != nullptr);
    CHECK(size > 0);
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), owner_only, FALSE};
    CHECK(CreateDirectoryA(folder, &security));
    CHECK(GetFileAttributesA(folder) & FILE_ATTRIBUTE_DIRECTORY);
    // Its owner may put files in it.
    make_file("conformance_private/inside.bin");
    CHECK(DeleteFileA("conformance_private/inside.bin"));
    CHECK(LocalFree(owner_only) == nullptr);
    CHECK(RemoveDirectoryA(folder));

    // Text that is no descriptor: an entry cut off, a right that does not exist.
    for (const char* text : {"D:P(A;;FA;;;", "D:P(A;;XY;;;OW)"}) {
        PSECURITY_DESCRIPTOR none = nullptr;
        CHECK(!ConvertStringSecurityDescriptorToSecurityDescriptorA(text, SDDL_REVISION_1, &none, nullptr));
        CHECK_EQ(GetLastError(), ERROR_INVALID_ACL);
    }
}

CONFORMANCE_CASE(AnEnvironmentVariableIsCopiedWhenItFits) {
    SetLastError(0);
    char small[2] = {'x', 'x'};
    CHECK_EQ(GetEnvironmentVariableA("CONFORMANCE_SURELY_NOT_SET", small, sizeof small), 0);
    CHECK_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
    // PATH is set for every program; too small a buffer gets the size it needs, NUL counted.
    const DWORD needed = GetEnvironmentVariableA("PATH", small, sizeof small);
    if (!CHECK(needed > 2)) return;
    std::string value(needed, '\0');
    CHECK_EQ(GetEnvironmentVariableA("PATH", value.data(), needed), needed - 1);
    CHECK_EQ(value[needed - 1], 0);
    CHECK_EQ(std::string(value.c_str()).size(), needed - 1);
}

CONFORMANCE_CASE(ARunningProcessIsStillActiveAndKeepsItsCreationTime) {
    const DWORD id = GetCurrentProcessId();
    CHECK(id != 0);
    CHECK(GetCurrentProcess() == reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)));
    HANDLE self = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!CHECK(self != nullptr)) return;
    DWORD code = 0;
    CHECK(GetExitCodeProcess(self, &code));
    CHECK_EQ(code, STILL_ACTIVE);
    FILETIME created{}, exited{}, kernel{}, user{}, again{}, now{};
    CHECK(GetProcessTimes(self, &created, &exited, &kernel, &user));
    CHECK(GetProcessTimes(GetCurrentProcess(), &again, &exited, &kernel, &user));
    CHECK(file_time(created) == file_time(again));
    GetSystemTimeAsFileTime(&now);
    // This program started a moment ago: before now, and within the last hour.
    CHECK(file_time(created) <= file_time(now));
    CHECK(file_time(now) - file_time(created) < 3600ull * 10000000ull);
    CHECK(CloseHandle(self));
    CHECK(!CloseHandle(self));
    CHECK_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    CHECK(GetExitCodeProcess(GetCurrentProcess(), &code));
    CHECK_EQ(code, STILL_ACTIVE);
}

CONFORMANCE_CASE(NoProcessOpensUnderAnIdThatNamesNone) {
    // Ids are multiples of four on the system and far below this one on both.
    for (DWORD id : {0u, 0xFFFFFFF0u}) {
        SetLastError(0);
        HANDLE none = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        CHECK(none == nullptr);
        CHECK_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
        if (none) CloseHandle(none);
    }
}
