// libFuzzer target for the configuration file reader: any bytes give values a window
// can have, recent paths that fit their slots, and a record that reads back the same
// once written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "files/project_data.h"

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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Configuration c = decode_configuration(std::span<const uint8_t>(data, size));
    if (!valid(c.main_width) || !valid(c.main_height) || !valid(c.image_width) || !valid(c.image_height))
        std::abort();
    for (const WindowSize& s : c.pattern_client)
        if (!valid(static_cast<int32_t>(s.width)) || !valid(static_cast<int32_t>(s.height))) std::abort();
    if (c.new_window_style != 0 && c.new_window_style != 0x01000000u) std::abort();
    for (const std::string& path : c.recent)
        if (path.size() >= kRecentSlotSize || path.find('\0') != std::string::npos) std::abort();
    const std::vector<uint8_t> stored = encode_configuration(c);
    if (stored.size() < kConfigRecordSize) std::abort();
    if (!same(decode_configuration(stored), c)) std::abort();
    return 0;
}
