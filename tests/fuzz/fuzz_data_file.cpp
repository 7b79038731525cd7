// libFuzzer target for the animation data file reader: any bytes are either refused
// or fit the tables (at most 12 patterns of 20 frames, no more records than the
// file holds), and what was read is written back as the same records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "files/project_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const AnimationDataResult r = decode_animation_data(std::span<const uint8_t>(data, size));
    if (r.refusal.refused()) {
        if (refusal_text(r.refusal).empty() || r.data.header.pattern_count != 0) std::abort();
        return 0;
    }
    const AnimationDataContents& d = r.data;
    if (d.header.pattern_count > static_cast<uint32_t>(kMaxPatterns)) std::abort();
    size_t needed = kDataHeaderSize + kDataEntrySize * d.header.pattern_count;
    auto t = std::make_unique<Tables>();
    reset_tables(*t);
    t->data.header = d.header;
    for (uint32_t p = 0; p < d.header.pattern_count; ++p) {
        if (d.entries[p].frame_count > static_cast<uint32_t>(kMaxFrames)) std::abort();
        needed += kDataRecordSize * d.entries[p].frame_count;
        t->data.entries[p] = d.entries[p];
        t->settings[p].base_w = d.entries[p].base_w;
        t->settings[p].base_h = d.entries[p].base_h;
        std::memcpy(t->frames[p], d.frames[p], sizeof t->frames[p]);
    }
    if (needed > size) std::abort();
    // Written back, the records come out in the same order, stamped with one CLUT attribute.
    const std::vector<uint8_t> again = encode_animation_data(*t, 0x1234);
    if (again.size() != needed) std::abort();
    const size_t records = kDataHeaderSize + kDataEntrySize * d.header.pattern_count;
    for (size_t at = records; at < needed; at += kDataRecordSize)
        if (std::memcmp(again.data() + at, data + at, 6) != 0 ||
            std::memcmp(again.data() + at + 8, data + at + 8, 4) != 0)
            std::abort();
    // The labels an opened project would show stay within their fields.
    NameTables names{};
    reconcile_labels(names, d);
    for (uint32_t p = 0; p < d.header.pattern_count; ++p)
        if (!names.pattern_labels[p][0] || names.pattern_labels[p][kLabelSize - 1] != 0) std::abort();
    return 0;
}
