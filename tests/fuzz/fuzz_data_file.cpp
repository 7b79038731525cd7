// libFuzzer target for the animation data file reader: any bytes are either refused
// or fit the tables (at most 12 patterns of 20 frames, no more records than the
// file holds), and what was read is written back as the same records.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "files/project_data.h"
#include "tests/fuzz/reader_check.h"

namespace reader_check {

Verdict check_data_file(std::span<const uint8_t> bytes) {
    const AnimationDataResult r = decode_animation_data(bytes);
    if (r.refusal.refused()) {
        if (refusal_text(r.refusal).empty()) return fault(false, "refused without a text");
        if (r.data.header.pattern_count != 0) return fault(false, "refused but kept the pattern count");
        return refused();
    }
    const AnimationDataContents& d = r.data;
    if (d.header.pattern_count > static_cast<uint32_t>(kMaxPatterns))
        return fault(true, "more than 12 patterns");
    size_t needed = kDataHeaderSize + kDataEntrySize * d.header.pattern_count;
    auto t = std::make_unique<Tables>();
    reset_tables(*t);
    t->data.header = d.header;
    for (uint32_t p = 0; p < d.header.pattern_count; ++p) {
        if (d.entries[p].frame_count > static_cast<uint32_t>(kMaxFrames))
            return fault(true, "a pattern of more than 20 frames");
        needed += kDataRecordSize * d.entries[p].frame_count;
        t->data.entries[p] = d.entries[p];
        t->settings[p].base_w = d.entries[p].base_w;
        t->settings[p].base_h = d.entries[p].base_h;
        std::memcpy(t->frames[p], d.frames[p], sizeof t->frames[p]);
    }
    if (needed > bytes.size()) return fault(true, "more records than the file holds");
    // Written back, the records come out in the same order, stamped with one CLUT attribute.
    const std::vector<uint8_t> again = encode_animation_data(*t, 0x1234);
    if (again.size() != needed) return fault(true, "written back at another size");
    const size_t records = kDataHeaderSize + kDataEntrySize * d.header.pattern_count;
    for (size_t at = records; at < needed; at += kDataRecordSize)
        if (std::memcmp(again.data() + at, bytes.data() + at, 6) != 0 ||
            std::memcmp(again.data() + at + 8, bytes.data() + at + 8, 4) != 0)
            return fault(true, "a frame record written back as other bytes");
    // The labels an opened project would show stay within their fields.
    NameTables names{};
    reconcile_labels(names, d);
    for (uint32_t p = 0; p < d.header.pattern_count; ++p)
        if (!names.pattern_labels[p][0] || names.pattern_labels[p][kLabelSize - 1] != 0)
            return fault(true, "a pattern label missing or without its NUL");
    return read();
}

}  // namespace reader_check

CELWRIGHT_FUZZ_TARGET(reader_check::check_data_file)
