// The recovery copy of a project with unsaved changes: the project file and the data file
// exactly as a save would write them, and a note of the path they belong to with the size and
// check sum of each, kept in a folder of their own. A copy that does not match its note (cut
// short, changed, or written only in part when the program stopped) is refused whole.
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
// Removes the copy, whatever is left of it (temporary files of a write cut off too), and the
// folder when nothing else is in it.
void remove_recovery_copy(const char* folder);
