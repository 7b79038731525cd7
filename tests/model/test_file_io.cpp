// Whole-file writes that replace their targets only once every file is complete:
// a full disk, a target that cannot be replaced or a folder in the way leaves the
// previous files byte for byte. Reads take files on a disk only, and nothing waits on a pipe or
// a device. Also the layer's file calls under them.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "automation/automation.h"
#include "files/file_io.h"

namespace {

namespace fs = std::filesystem;

class Folder {
  public:
    Folder() {
        std::string pattern = ::testing::TempDir() + "cw_files_XXXXXX";
        path_ = mkdtemp(pattern.data());
    }
    ~Folder() {
        cw::automation::set_disk_space(-1);
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // Names in the folder, as the file system holds them.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(path_)) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

  private:
    std::string path_;
};

std::vector<uint8_t> bytes(size_t n, uint8_t seed) {
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>(seed + i * 7);
    return b;
}

std::vector<uint8_t> contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void put(const std::string& path, const std::vector<uint8_t>& b) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

TEST(ReplacingWrites, EveryFileReachesItsNameAndNothingElseStays) {
    Folder dir;
    // "歩き.cwp" in CP932; on disk the name is UTF-8.
    const std::vector<FileToWrite> files = {{dir / "\x95\xe0\x82\xab.cwp", bytes(8102, 1)},
                                            {dir / "a.spa", bytes(72, 2)}};
    put(dir / "a.spa", bytes(3000, 9));
    EXPECT_EQ(write_files_replacing(files), -1);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.spa", "\xe6\xad\xa9\xe3\x81\x8d.cwp"}));
    EXPECT_EQ(contents(dir / "\xe6\xad\xa9\xe3\x81\x8d.cwp"), bytes(8102, 1));
    EXPECT_EQ(contents(dir / "a.spa"), bytes(72, 2));  // a longer previous file is replaced, not overwritten
}

TEST(ReplacingWrites, AFullDiskLeavesThePreviousFilesByteForByte) {
    for (long long room : {0LL, 100LL, 8102LL + 10}) {
        SCOPED_TRACE(room);
        Folder dir;
        put(dir / "a.cwp", bytes(8102, 3));
        put(dir / "a.spa", bytes(60, 4));
        cw::automation::set_active(true);  // the seam stands in for the disk
        cw::automation::set_disk_space(room);
        const std::vector<FileToWrite> files = {{dir / "a.cwp", bytes(8102, 5)},
                                                {dir / "a.spa", bytes(72, 6)}};
        EXPECT_EQ(write_files_replacing(files), room > 8102 ? 1 : 0);
        cw::automation::set_disk_space(-1);
        EXPECT_EQ(contents(dir / "a.cwp"), bytes(8102, 3));
        EXPECT_EQ(contents(dir / "a.spa"), bytes(60, 4));
        EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.cwp", "a.spa"}));
    }
}

TEST(ReplacingWrites, ATargetThatCannotBeReplacedPutsTheEarlierOnesBack) {
    Folder dir;
    put(dir / "a.cwp", bytes(8102, 3));
    fs::create_directory(dir / "a.spa");  // a folder is never replaced by a file
    fs::create_directory(dir / "b.spa");
    const std::vector<FileToWrite> both = {{dir / "a.cwp", bytes(8102, 5)}, {dir / "a.spa", bytes(72, 6)}};
    EXPECT_EQ(write_files_replacing(both), 1);
    EXPECT_EQ(contents(dir / "a.cwp"), bytes(8102, 3));
    // A target that did not exist before does not exist after.
    const std::vector<FileToWrite> fresh = {{dir / "b.cwp", bytes(10, 5)}, {dir / "b.spa", bytes(12, 6)}};
    EXPECT_EQ(write_files_replacing(fresh), 1);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.cwp", "a.spa", "b.spa"}));
}

TEST(ReplacingWrites, ATemporaryFileThatCannotBeMadeChangesNothing) {
    Folder dir;
    put(dir / "a.cwp", bytes(100, 3));
    fs::create_directory(temporary_name_for(dir / "a.spa"));
    const std::vector<FileToWrite> files = {{dir / "a.cwp", bytes(8102, 5)}, {dir / "a.spa", bytes(72, 6)}};
    EXPECT_EQ(write_files_replacing(files), 1);
    EXPECT_EQ(contents(dir / "a.cwp"), bytes(100, 3));
    EXPECT_FALSE(fs::exists(temporary_name_for(dir / "a.cwp")));
    EXPECT_FALSE(fs::exists(dir / "a.spa"));
}

TEST(WholeFileReads, MissingFilesAndFoldersCannotBeOpenedAndReadsStopAtTheLimit) {
    Folder dir;
    put(dir / "f", bytes(70000, 1));
    fs::create_directory(dir / "d");
    std::vector<uint8_t> got;
    EXPECT_EQ(read_file_bytes((dir / "f").c_str(), got, 1u << 20), FileRead::Done);
    EXPECT_EQ(got, bytes(70000, 1));
    EXPECT_EQ(read_file_bytes((dir / "f").c_str(), got, 8102), FileRead::Done);
    EXPECT_EQ(got.size(), 8102u);
    EXPECT_EQ(read_file_bytes((dir / "missing").c_str(), got, 10), FileRead::CannotOpen);
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(read_file_bytes((dir / "d").c_str(), got, 10), FileRead::CannotOpen);
    EXPECT_TRUE(file_exists((dir / "f").c_str()));
    EXPECT_TRUE(file_exists((dir / "d").c_str()));
    EXPECT_FALSE(file_exists((dir / "missing").c_str()));
}

TEST(WholeFileReads, APipeOrADeviceIsAFileThatCannotBeOpenedAndNothingWaitsOnIt) {
    Folder dir;
    // A FIFO with no writer: opening it for reading the usual way waits until one comes.
    ASSERT_EQ(mkfifo((dir / "walk.tim").c_str(), 0600), 0);
    put(dir / "sheet.bmp", bytes(100, 1));
    std::vector<uint8_t> got = bytes(3, 1);
    for (const std::string& path : {dir / "walk.tim", std::string("/dev/null"), std::string("/dev/zero")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(read_file_bytes(path.c_str(), got, 1u << 20), FileRead::CannotOpen);
        EXPECT_TRUE(got.empty());
        EXPECT_FALSE(disk_file_readable(path.c_str()));
    }
    EXPECT_TRUE(disk_file_readable((dir / "sheet.bmp").c_str()));
    EXPECT_FALSE(disk_file_readable((dir / "missing.bmp").c_str()));
    fs::create_directory(dir / "d.bmp");
    EXPECT_FALSE(disk_file_readable((dir / "d.bmp").c_str()));
    // The system's image loader is given such a name too.
    EXPECT_EQ(LoadImageA(nullptr, (dir / "walk.tim").c_str(), IMAGE_BITMAP, 0, 0,
                         LR_LOADFROMFILE | LR_CREATEDIBSECTION),
              nullptr);
    EXPECT_EQ(LoadImageA(nullptr, "/dev/zero", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION),
              nullptr);
}

TEST(ReplacingWrites, APipeUnderTheTemporaryNameIsLeftAloneAndTheTargetKept) {
    Folder dir;
    put(dir / "a.cwp", bytes(8102, 3));
    ASSERT_EQ(mkfifo(temporary_name_for(dir / "a.cwp").c_str(), 0600), 0);
    const std::vector<FileToWrite> files = {{dir / "a.cwp", bytes(8102, 5)}};
    EXPECT_EQ(write_files_replacing(files), 0);
    EXPECT_EQ(contents(dir / "a.cwp"), bytes(8102, 3));
    struct stat st;
    ASSERT_EQ(stat(temporary_name_for(dir / "a.cwp").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(FileCalls, FileTypeSaysWhatANameOpenedAndAPipeOpensAtOnce) {
    Folder dir;
    put(dir / "f", bytes(10, 1));
    ASSERT_EQ(mkfifo((dir / "p").c_str(), 0600), 0);
    fs::create_directory(dir / "d");
    struct Case {
        std::string path;
        DWORD type;
    };
    for (const Case& c : {Case{dir / "f", FILE_TYPE_DISK}, Case{dir / "p", FILE_TYPE_PIPE},
                          Case{"/dev/null", FILE_TYPE_CHAR}}) {
        SCOPED_TRACE(c.path);
        HANDLE h = CreateFileA(c.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        SetLastError(ERROR_GEN_FAILURE);
        EXPECT_EQ(GetFileType(h), c.type);
        EXPECT_EQ(GetLastError(), 0u);
        EXPECT_TRUE(CloseHandle(h));
        EXPECT_EQ(GetFileType(h), static_cast<DWORD>(FILE_TYPE_UNKNOWN));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    // A FIFO nobody reads cannot take a writer; the system says so at once instead of waiting.
    EXPECT_EQ(CreateFileA((dir / "p").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    // A folder opens only with the backup semantics.
    EXPECT_EQ(CreateFileA((dir / "d").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    HANDLE d =
        CreateFileA((dir / "d").c_str(), 0, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(d, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileType(d), static_cast<DWORD>(FILE_TYPE_DISK));
    CloseHandle(d);
}

TEST(FileCalls, AFolderIdentityFollowsLinksAndAnOwnersDescriptorMakesItPrivate) {
    Folder dir;
    fs::create_directory(dir / "real");
    fs::create_directory(dir / "other");
    fs::create_directory_symlink(dir / "real", dir / "link");
    auto identity = [](const std::string& path) {
        HANDLE h =
            CreateFileA(path.c_str(), 0, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        BY_HANDLE_FILE_INFORMATION info{};
        EXPECT_TRUE(GetFileInformationByHandle(h, &info)) << path;
        CloseHandle(h);
        return std::vector<DWORD>{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    };
    EXPECT_EQ(identity(dir / "real"), identity(dir / "link"));
    EXPECT_EQ(identity(dir / "real"), identity(dir / "link/"));
    EXPECT_NE(identity(dir / "real"), identity(dir / "other"));

    // The umask may take bits away from a folder made the usual way, never from one whose
    // descriptor says who may enter it.
    const mode_t old_mask = umask(0077);
    PSECURITY_DESCRIPTOR owner_only = nullptr, everyone = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;OICI;FA;;;OW)", SDDL_REVISION_1,
                                                                     &owner_only, nullptr));
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;GA;;;OW)(A;;GRGX;;;WD)",
                                                                     SDDL_REVISION_1, &everyone, nullptr));
    SECURITY_ATTRIBUTES a{sizeof a, owner_only, FALSE}, b{sizeof b, everyone, FALSE};
    EXPECT_TRUE(CreateDirectoryA((dir / "private").c_str(), &a));
    EXPECT_TRUE(CreateDirectoryA((dir / "shared").c_str(), &b));
    umask(old_mask);
    struct stat st;
    ASSERT_EQ(stat((dir / "private").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(stat((dir / "shared").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    EXPECT_EQ(LocalFree(owner_only), nullptr);
    EXPECT_EQ(LocalFree(everyone), nullptr);
    // What has no form in the file system's permissions is refused, not half taken; text that is
    // no descriptor at all is refused as the system refuses it.
    struct Refused {
        const char* text;
        DWORD error;
    };
    for (const Refused& r :
         {Refused{"D:(A;;FA;;;BU)", ERROR_NOT_SUPPORTED}, Refused{"D:(D;;FA;;;WD)", ERROR_NOT_SUPPORTED},
          Refused{"O:OWD:(A;;FA;;;OW)", ERROR_NOT_SUPPORTED}, Refused{"D:(A;;FA;;;OW", ERROR_INVALID_ACL},
          Refused{"D:P(A;;XY;;;OW)", ERROR_INVALID_ACL}, Refused{"D:P(A;;FA;;;OW;)", ERROR_INVALID_ACL},
          Refused{"Q", ERROR_INVALID_ACL}}) {
        SCOPED_TRACE(r.text);
        PSECURITY_DESCRIPTOR refused = nullptr;
        EXPECT_FALSE(
            ConvertStringSecurityDescriptorToSecurityDescriptorA(r.text, SDDL_REVISION_1, &refused, nullptr));
        EXPECT_EQ(GetLastError(), r.error);
    }
    PSECURITY_DESCRIPTOR refused = nullptr;
    EXPECT_FALSE(
        ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;FA;;;OW)", 2, &refused, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_UNKNOWN_REVISION));
}

TEST(FileCalls, AWriteBeyondAFullDiskStoresWhatFitsAndFails) {
    Folder dir;
    HANDLE f = CreateFileA((dir / "w").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    cw::automation::set_active(true);  // the seam stands in for the disk
    cw::automation::set_disk_space(5);
    const std::vector<uint8_t> b = bytes(8, 1);
    DWORD written = 99;
    EXPECT_FALSE(WriteFile(f, b.data(), 8, &written, nullptr));
    EXPECT_EQ(written, 5u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_FALSE(WriteFile(f, b.data(), 1, &written, nullptr));
    EXPECT_EQ(written, 0u);
    cw::automation::set_disk_space(-1);
    EXPECT_TRUE(WriteFile(f, b.data(), 1, &written, nullptr));
    EXPECT_TRUE(FlushFileBuffers(f));
    EXPECT_TRUE(CloseHandle(f));
    EXPECT_FALSE(CloseHandle(f));
    EXPECT_EQ(contents(dir / "w"), (std::vector<uint8_t>{b[0], b[1], b[2], b[3], b[4], b[0]}));
    EXPECT_EQ(GetFileAttributesA((dir / "missing").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((dir / "w").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(MoveFileExA((dir / "w").c_str(), (dir / "w").c_str(), 0))
        << "an existing target needs the flag";
}

}  // namespace
