// libFuzzer target for the project file reader: any bytes are either refused or
// give name tables in which every field holds its NUL, and which are written back
// as the bytes that were read (up to the file's 8102 bytes, zeros after its end).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "files/project_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ProjectFileResult r = decode_project_file(std::span<const uint8_t>(data, size));
    if (r.refusal.refused()) {
        if (refusal_text(r.refusal).empty() || r.names.image_path[0] != 0) std::abort();
        return 0;
    }
    std::vector<uint8_t> expected(kProjectFileSize, 0);
    std::memcpy(expected.data(), data, size < kProjectFileSize ? size : kProjectFileSize);
    if (encode_project_file(r.names) != expected) std::abort();
    if (!std::memchr(r.names.project_name, 0, kLabelSize)) std::abort();
    return 0;
}
