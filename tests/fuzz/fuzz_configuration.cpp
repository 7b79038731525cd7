// libFuzzer target for the configuration file reader: any bytes give values a window
// can have, recent paths that fit their slots, and a record that reads back the same
// once written.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "files/project_data.h"
#include "tests/fuzz/reader_check.h"

namespace {

bool valid(int32_t side) {
    return side >= 1 && side <= kMaxClientSide;
}

bool same(const Configuration& a, const Configuration& b) {
    for (int p = 0; p < kMaxPatterns; ++p)
        if (a.pattern_client[p].width != b.pattern_client[p].width ||
            a.pattern_client[p].height != b.pattern_client[p].height)
            return false;
    return a.main_width == b.main_width && a.main_height == b.main_height && a.image_width == b.image_width &&
           a.image_height == b.image_height && a.new_window_style == b.new_window_style &&
           a.recent == b.recent;
}

}  // namespace

namespace reader_check {

// The reader never refuses: what it cannot use keeps the value a missing file gives.
Verdict check_configuration(std::span<const uint8_t> bytes) {
    const Configuration c = decode_configuration(bytes);
    if (!valid(c.main_width) || !valid(c.main_height) || !valid(c.image_width) || !valid(c.image_height))
        return fault(true, "a window size outside 1..32767");
    for (const WindowSize& s : c.pattern_client)
        if (!valid(static_cast<int32_t>(s.width)) || !valid(static_cast<int32_t>(s.height)))
            return fault(true, "a pattern window size outside 1..32767");
    if (c.new_window_style != 0 && c.new_window_style != 0x01000000u)
        return fault(true, "a window style other than 0 or WS_MAXIMIZE");
    for (const std::string& path : c.recent)
        if (path.size() >= kRecentSlotSize || path.find('\0') != std::string::npos)
            return fault(true, "a recent path that does not fit its slot");
    const std::vector<uint8_t> stored = encode_configuration(c);
    if (stored.size() < kConfigRecordSize) return fault(true, "written back shorter than the record");
    if (!same(decode_configuration(stored), c)) return fault(true, "written back, it reads as other values");
    return read();
}

}  // namespace reader_check

CELWRIGHT_FUZZ_TARGET(reader_check::check_configuration)
