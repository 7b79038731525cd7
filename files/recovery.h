// The recovery copy of a project with unsaved changes: the project file and the data file
// exactly as a save would write them, and a note of the path they belong to with the size and
// check sum of each, kept in a folder of their own. A copy that does not match its note (cut
// short, changed, or written only in part when the program stopped) is refused whole.
//
// The folder also names the editor that keeps its copy (a lock beside the copy: the editor's
// process id and the time its process was created), so that a second editor started in the same
// place tells a copy that a run which ended left behind from the live copy of one still running.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "files/project_reading.h"
#include "project/tables.h"

// What the note says about the copy.
struct RecoveryNote {
    std::string original_path;  // CP932: where the project belongs (its current path)
    uint32_t project_size = 0;
    uint32_t project_sum = 0;
    uint32_t data_size = 0;
    uint32_t data_sum = 0;
};

// The check sum of the note (CRC-32, as in PNG and zip).
uint32_t recovery_sum(std::span<const uint8_t> bytes);
std::vector<uint8_t> encode_recovery_note(const RecoveryNote& note);
// False for anything that is not a whole note of this layout.
bool decode_recovery_note(std::span<const uint8_t> bytes, RecoveryNote& note);

// Writes the copy of the project in t into folder (made when missing), replacing the previous
// copy only once all of it is written. False when it could not be written.
bool write_recovery_copy(const char* folder, const std::string& original_path, const Tables& t);

enum class RecoveryFound { None, Copy, Refused };

struct RecoveryCopy {
    std::string original_path;
    ProjectFiles files;  // as read_project_files gives them for the original path
};

// None: there is no copy (no folder, or nothing in it). Refused: something of a copy is there,
// but not the whole of a copy that matches its note and that the readers accept.
RecoveryFound read_recovery_copy(const char* folder, RecoveryCopy& copy);

// Whether any file of a copy is in folder.
bool recovery_copy_present(const char* folder);
// Removes the copy, whatever is left of it (temporary files of a write cut off too), the lock
// that names its keeper, and the folder when nothing else is in it.
void remove_recovery_copy(const char* folder);

// An editor that keeps a copy: its process id alone could be given to another process once the
// editor has ended, the id and the creation time of its process cannot.
struct RecoveryOwner {
    uint32_t process_id = 0;
    uint64_t created = 0;  // the system's file time: 100 ns since 1601
};
std::vector<uint8_t> encode_recovery_owner(const RecoveryOwner& owner);
// False for anything that is not a whole lock of this layout.
bool decode_recovery_owner(std::span<const uint8_t> bytes, RecoveryOwner& owner);
// This run as the keeper of a copy.
RecoveryOwner this_recovery_owner();
// Whether the owner's process is still the one running under its id. A process the system does
// not let us look at counts as running: its copy is not ours to take.
bool recovery_owner_running(const RecoveryOwner& owner);

enum class RecoveryKeeper {
    None,     // no lock: the copy of a version before locks, or no copy at all
    Ended,    // the editor the lock names has ended (or the lock is not one)
    Running,  // another editor, still running
    ThisRun,
};
RecoveryKeeper recovery_keeper(const char* folder);
// Makes folder when it is missing and names this run as its keeper, unless another editor that
// is running keeps it. False when the folder is not this run's after the call.
bool claim_recovery_folder(const char* folder);
// Takes this run's name off the folder (a copy in it is left as a run that ended leaves it).
void release_recovery_folder(const char* folder);
