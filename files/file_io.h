// Whole-file reads and writes through the system's file calls. A save never
// leaves a half-written file under a name the user chose: everything is written
// beside its target first and replaces it only once all of it is on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

enum class FileRead { Done, CannotOpen, Failed };

// Reads the file whole, at most max_bytes of it. Only a file stored on a disk is read: a folder,
// a device (CON, NUL) or a pipe cannot be opened, so that no reader ever waits on one.
FileRead read_file_bytes(const char* path, std::vector<uint8_t>& bytes, size_t max_bytes);

// Whether path names a file stored on a disk that can be opened for reading, as read_file_bytes
// and the system's image loader are given it.
bool disk_file_readable(const char* path);

// Whether something (a file or a folder) of that name exists.
bool file_exists(const char* path);

struct FileToWrite {
    std::string path;  // CP932
    std::vector<uint8_t> bytes;
};

// Writes every file to a temporary file in its folder, flushes and closes them all,
// and only then puts them in place of their targets, in order. When anything fails,
// every target that was already replaced gets its previous contents back, the
// temporary files are removed, and the result is the index of the file that could
// not be written; -1 when all of them were.
int write_files_replacing(std::span<const FileToWrite> files);

// The names the writer uses beside a target: the file being written, and the
// previous file kept until all targets are replaced.
std::string temporary_name_for(const std::string& target);
std::string backup_name_for(const std::string& target);
