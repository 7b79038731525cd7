// libFuzzer target for the project file reader: any bytes are either refused or
// give name tables in which every field holds its NUL, and which are written back
// as the bytes that were read (up to the file's 8102 bytes, zeros after its end).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "files/project_data.h"
#include "tests/fuzz/reader_check.h"

namespace reader_check {

Verdict check_project_file(std::span<const uint8_t> bytes) {
    const ProjectFileResult r = decode_project_file(bytes);
    if (r.refusal.refused()) {
        if (refusal_text(r.refusal).empty()) return fault(false, "refused without a text");
        if (r.names.image_path[0] != 0) return fault(false, "refused but kept the image path");
        return refused();
    }
    std::vector<uint8_t> expected(kProjectFileSize, 0);
    if (!bytes.empty()) std::memcpy(expected.data(), bytes.data(), std::min(bytes.size(), kProjectFileSize));
    if (encode_project_file(r.names) != expected) return fault(true, "written back as other bytes");
    if (!std::memchr(r.names.project_name, 0, kLabelSize))
        return fault(true, "a project name without its NUL");
    return read();
}

}  // namespace reader_check

CELWRIGHT_FUZZ_TARGET(reader_check::check_project_file)
