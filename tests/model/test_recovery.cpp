// The recovery copy: what is written is what a save writes, and a copy that does not match its
// note, or that the readers refuse, is refused whole. The lock beside it names the editor that
// keeps it, and only a keeper that has ended gives the folder up.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <windows.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "files/file_io.h"
#include "files/project_data.h"
#include "files/recovery.h"
#include "project/dbcs_text.h"
#include "project/tables.h"

namespace {

namespace fs = std::filesystem;

class Place {
  public:
    Place() {
        std::string pattern = ::testing::TempDir() + "cw_recovery_XXXXXX";
        root_ = mkdtemp(pattern.data());
        folder_ = root_ + "/Celwin.rcv";
    }
    ~Place() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    const char* folder() const { return folder_.c_str(); }
    std::string file(const char* name) const { return folder_ + "/" + name; }

  private:
    std::string root_, folder_;
};

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void write_bytes(const std::string& path, const std::vector<uint8_t>& b) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// Two patterns of 3 and 1 frames, named, with records told apart by their place.
std::unique_ptr<Tables> edited_tables() {
    auto t = std::make_unique<Tables>();
    reset_tables(*t);
    std::strcpy(t->names.image_path, "sheet.bmp");
    set_label(t->names.project_name, "歩き");
    t->data.header.speed = 4;
    const int frames[] = {3, 1};
    for (int p = 0; p < 2; ++p) {
        t->data.header.pattern_count++;
        t->data.entries[p].frame_count = static_cast<uint32_t>(frames[p]);
        t->settings[p].base_w = static_cast<uint16_t>(40 + p);
        t->settings[p].base_h = 30;
        set_label(t->names.pattern_labels[p], p ? "走り" : "walk");
        for (int f = 0; f < frames[p]; ++f) {
            set_label(t->names.frame_labels[p][f], "step");
            t->frames[p][f].image_x = static_cast<uint8_t>(16 * f);
            t->frames[p][f].timing = static_cast<uint16_t>(5 + p + f);
            t->frames[p][f].image_w = 16;
            t->frames[p][f].image_h = 24;
        }
    }
    t->clut_attribute = 0x7F40;
    return t;
}

}  // namespace

TEST(RecoveryNote, SumIsCrc32AndTheNoteRoundTrips) {
    const std::string digits = "123456789";
    EXPECT_EQ(recovery_sum(std::span(reinterpret_cast<const uint8_t*>(digits.data()), digits.size())),
              0xCBF43926u);
    EXPECT_EQ(recovery_sum({}), 0u);
    RecoveryNote note{"作業\\walk.cwp", 8102, 0x12345678, 60, 0x9ABCDEF0};
    RecoveryNote back;
    const std::vector<uint8_t> bytes = encode_recovery_note(note);
    ASSERT_TRUE(decode_recovery_note(bytes, back));
    EXPECT_EQ(back.original_path, note.original_path);
    EXPECT_EQ(back.project_size, 8102u);
    EXPECT_EQ(back.project_sum, 0x12345678u);
    EXPECT_EQ(back.data_size, 60u);
    EXPECT_EQ(back.data_sum, 0x9ABCDEF0u);
    // Cut short, one byte too many, another magic, no path, a path with a NUL in it.
    EXPECT_FALSE(decode_recovery_note(std::span(bytes).first(bytes.size() - 1), back));
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(decode_recovery_note(longer, back));
    std::vector<uint8_t> other = bytes;
    other[0] ^= 1;
    EXPECT_FALSE(decode_recovery_note(other, back));
    EXPECT_FALSE(decode_recovery_note(encode_recovery_note(RecoveryNote{}), back));
    EXPECT_FALSE(decode_recovery_note(encode_recovery_note(RecoveryNote{std::string("a\0b", 3)}), back));
}

TEST(RecoveryCopy, HoldsWhatASaveWritesAndReadsBackAsTheProjectAtItsPath) {
    Place place;
    const auto t = edited_tables();
    ASSERT_TRUE(write_recovery_copy(place.folder(), "work/walk.cwp", *t));
    EXPECT_EQ(read_bytes(place.file("recovery.cwp")), encode_project_file(t->names));
    const std::vector<uint8_t> data = read_bytes(place.file("recovery.spa"));
    EXPECT_EQ(data, encode_animation_data(*t, 0x7F40));
    EXPECT_EQ(data.size(), 12u + 2 * 12 + 4 * 12);

    RecoveryCopy copy;
    ASSERT_EQ(read_recovery_copy(place.folder(), copy), RecoveryFound::Copy);
    EXPECT_EQ(copy.original_path, "work/walk.cwp");
    EXPECT_EQ(copy.files.kind, PathKind::ProjectFile);
    EXPECT_EQ(copy.files.data_path, "work/walk.spa");
    EXPECT_STREQ(copy.files.names.pattern_labels[1], "走り");
    EXPECT_EQ(copy.files.data.header.pattern_count, 2u);
    EXPECT_EQ(copy.files.data.entries[0].frame_count, 3u);
    EXPECT_EQ(copy.files.data.entries[1].base_w, 41);
    EXPECT_EQ(copy.files.data.frames[0][2].image_x, 32);
    EXPECT_EQ(copy.files.data.frames[1][0].clut, 0x7F40);

    // A project opened from its data file alone keeps that path, and gets its names back too.
    ASSERT_TRUE(write_recovery_copy(place.folder(), "walk.spa", *t));
    ASSERT_EQ(read_recovery_copy(place.folder(), copy), RecoveryFound::Copy);
    EXPECT_EQ(copy.original_path, "walk.spa");
    EXPECT_EQ(copy.files.data_path, "walk.spa");
    EXPECT_STREQ(copy.files.names.project_name, "歩き");
}

TEST(RecoveryCopy, ADamagedCopyIsRefusedWhole) {
    Place place;
    const auto t = edited_tables();
    struct Damage {
        const char* what;
        void (*apply)(const Place&);
    };
    const Damage damages[] = {
        {"data file cut short",
         [](const Place& p) {
             auto b = read_bytes(p.file("recovery.spa"));
             b.pop_back();
             write_bytes(p.file("recovery.spa"), b);
         }},
        {"data file longer",
         [](const Place& p) {
             auto b = read_bytes(p.file("recovery.spa"));
             b.push_back(0);
             write_bytes(p.file("recovery.spa"), b);
         }},
        {"a byte of the project file changed",
         [](const Place& p) {
             auto b = read_bytes(p.file("recovery.cwp"));
             b[100] ^= 0x20;
             write_bytes(p.file("recovery.cwp"), b);
         }},
        {"project file empty", [](const Place& p) { write_bytes(p.file("recovery.cwp"), {}); }},
        {"data file missing", [](const Place& p) { fs::remove(p.file("recovery.spa")); }},
        {"note missing", [](const Place& p) { fs::remove(p.file("recovery.inf")); }},
        {"note cut short",
         [](const Place& p) {
             auto b = read_bytes(p.file("recovery.inf"));
             b.resize(b.size() / 2);
             write_bytes(p.file("recovery.inf"), b);
         }},
        // Files that match their note but that the data file reader refuses (13 patterns).
        {"matching but refused",
         [](const Place& p) {
             auto b = read_bytes(p.file("recovery.spa"));
             b[8] = 13;
             write_bytes(p.file("recovery.spa"), b);
             const auto project = read_bytes(p.file("recovery.cwp"));
             write_bytes(p.file("recovery.inf"),
                         encode_recovery_note(RecoveryNote{
                             "walk.cwp", static_cast<uint32_t>(project.size()), recovery_sum(project),
                             static_cast<uint32_t>(b.size()), recovery_sum(b)}));
         }},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        ASSERT_TRUE(write_recovery_copy(place.folder(), "walk.cwp", *t));
        RecoveryCopy copy;
        ASSERT_EQ(read_recovery_copy(place.folder(), copy), RecoveryFound::Copy);
        d.apply(place);
        copy = RecoveryCopy{};
        EXPECT_EQ(read_recovery_copy(place.folder(), copy), RecoveryFound::Refused);
        EXPECT_EQ(copy.original_path, "");
        EXPECT_EQ(copy.files.data.header.pattern_count, 0u);
    }
}

TEST(RecoveryCopy, RemovalLeavesNothingAndNothingIsNoCopy) {
    Place place;
    RecoveryCopy copy;
    EXPECT_EQ(read_recovery_copy(place.folder(), copy), RecoveryFound::None);
    const auto t = edited_tables();
    ASSERT_TRUE(write_recovery_copy(place.folder(), "walk.cwp", *t));
    EXPECT_TRUE(recovery_copy_present(place.folder()));
    // A write cut off before anything went in place leaves only its temporary file: no copy.
    remove_recovery_copy(place.folder());
    EXPECT_FALSE(fs::exists(place.folder()));
    fs::create_directory(place.folder());
    write_bytes(temporary_name_for(place.file("recovery.cwp")), {1, 2, 3});
    EXPECT_FALSE(recovery_copy_present(place.folder()));
    EXPECT_EQ(read_recovery_copy(place.folder(), copy), RecoveryFound::None);
    remove_recovery_copy(place.folder());
    EXPECT_FALSE(fs::exists(place.folder()));
}

namespace {

// The process that started this test, which runs for as long as the test does, as a keeper.
RecoveryOwner parent_owner() {
    RecoveryOwner owner;
    owner.process_id = static_cast<uint32_t>(getppid());
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner.process_id);
    FILETIME created{}, exited{}, kernel{}, user{};
    EXPECT_TRUE(h && GetProcessTimes(h, &created, &exited, &kernel, &user));
    if (h) CloseHandle(h);
    owner.created = static_cast<uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
    return owner;
}

// A keeper that has ended: a child that ran and was collected.
RecoveryOwner ended_owner() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    RecoveryOwner owner;
    owner.process_id = static_cast<uint32_t>(child);
    HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner.process_id);
    FILETIME created{}, exited{}, kernel{}, user{};
    if (h && GetProcessTimes(h, &created, &exited, &kernel, &user))
        owner.created = static_cast<uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
    if (h) CloseHandle(h);
    waitpid(child, nullptr, 0);
    return owner;
}

void put_lock(const Place& place, const RecoveryOwner& owner) {
    fs::create_directories(place.folder());
    write_bytes(place.file("recovery.lck"), encode_recovery_owner(owner));
}

}  // namespace

TEST(RecoveryLock, TheOwnerRoundTripsAndOnlyAWholeLockReads) {
    RecoveryOwner owner;
    owner.process_id = 0x01020304;
    owner.created = 0x1122334455667788ull;
    const std::vector<uint8_t> bytes = encode_recovery_owner(owner);
    EXPECT_EQ(bytes.size(), 20u);
    RecoveryOwner back;
    ASSERT_TRUE(decode_recovery_owner(bytes, back));
    EXPECT_EQ(back.process_id, owner.process_id);
    EXPECT_EQ(back.created, owner.created);
    std::vector<uint8_t> other = bytes;
    other.pop_back();
    EXPECT_FALSE(decode_recovery_owner(other, back));
    other = bytes;
    other.push_back(0);
    EXPECT_FALSE(decode_recovery_owner(other, back));
    other = bytes;
    other[0] ^= 1;
    EXPECT_FALSE(decode_recovery_owner(other, back));
}

TEST(RecoveryLock, ARunningProcessKeepsItsFolderAndOneThatEndedOrWasReplacedDoesNot) {
    EXPECT_TRUE(recovery_owner_running(this_recovery_owner()));
    const RecoveryOwner parent = parent_owner();
    EXPECT_TRUE(recovery_owner_running(parent));
    // The same id with another start: a process that came after the keeper ended.
    RecoveryOwner replaced = parent;
    replaced.created -= 3600ull * 10000000ull;
    EXPECT_FALSE(recovery_owner_running(replaced));
    const RecoveryOwner ended = ended_owner();
    ASSERT_NE(ended.created, 0u);
    EXPECT_FALSE(recovery_owner_running(ended));

    Place place;
    const auto t = edited_tables();
    EXPECT_EQ(recovery_keeper(place.folder()), RecoveryKeeper::None);
    ASSERT_TRUE(write_recovery_copy(place.folder(), "walk.cwp", *t));
    EXPECT_EQ(recovery_keeper(place.folder()), RecoveryKeeper::None) << "a copy without a lock";
    put_lock(place, parent);
    EXPECT_EQ(recovery_keeper(place.folder()), RecoveryKeeper::Running);
    put_lock(place, replaced);
    EXPECT_EQ(recovery_keeper(place.folder()), RecoveryKeeper::Ended);
    put_lock(place, ended);
    EXPECT_EQ(recovery_keeper(place.folder()), RecoveryKeeper::Ended);
    write_bytes(place.file("recovery.lck"), {1, 2, 3});
    EXPECT_EQ(recovery_keeper(place.folder()), RecoveryKeeper::Ended) << "not a lock";
    put_lock(place, this_recovery_owner());
    EXPECT_EQ(recovery_keeper(place.folder()), RecoveryKeeper::ThisRun);
}

TEST(RecoveryLock, AFolderIsClaimedOnlyFromAKeeperThatEndedAndRemovalTakesTheLockToo) {
    Place place;
    const auto t = edited_tables();
    // Missing: made and taken.
    ASSERT_TRUE(claim_recovery_folder(place.folder()));
    EXPECT_EQ(recovery_keeper(place.folder()), RecoveryKeeper::ThisRun);
    EXPECT_TRUE(claim_recovery_folder(place.folder())) << "taken again by its keeper";
    remove_recovery_copy(place.folder());
    EXPECT_FALSE(fs::exists(place.folder()));

    // A running editor's folder is not taken, and its lock and copy stay as they were.
    ASSERT_TRUE(write_recovery_copy(place.folder(), "walk.cwp", *t));
    put_lock(place, parent_owner());
    const std::vector<uint8_t> lock = read_bytes(place.file("recovery.lck"));
    const std::vector<uint8_t> note = read_bytes(place.file("recovery.inf"));
    EXPECT_FALSE(claim_recovery_folder(place.folder()));
    release_recovery_folder(place.folder());
    EXPECT_EQ(read_bytes(place.file("recovery.lck")), lock);
    EXPECT_EQ(read_bytes(place.file("recovery.inf")), note);

    // One that ended gives it up; released again, the copy stays as a run that ended leaves it.
    put_lock(place, ended_owner());
    ASSERT_TRUE(claim_recovery_folder(place.folder()));
    EXPECT_EQ(recovery_keeper(place.folder()), RecoveryKeeper::ThisRun);
    release_recovery_folder(place.folder());
    EXPECT_EQ(recovery_keeper(place.folder()), RecoveryKeeper::None);
    EXPECT_EQ(read_bytes(place.file("recovery.inf")), note);
    RecoveryCopy copy;
    EXPECT_EQ(read_recovery_copy(place.folder(), copy), RecoveryFound::Copy);

    ASSERT_TRUE(claim_recovery_folder(place.folder()));
    remove_recovery_copy(place.folder());
    EXPECT_FALSE(fs::exists(place.folder())) << "nothing left, the lock included";
}
