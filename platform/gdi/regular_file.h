// What the system's image readers read: a regular file, whole. A FIFO or a device is no
// picture file; it is opened without waiting for a writer and refused at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cw::gdi {

// The file at path (UTF-8), when it is a regular file of at most max_bytes.
bool read_regular_file(const std::string& path, size_t max_bytes, std::vector<uint8_t>* out);

}  // namespace cw::gdi
