// What the editor asks the system about a file before it reads it: whether an opened name is a
// file on a disk, a device or a pipe.
#include "conformance.h"

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
