// libFuzzer target for the clipboard block readers: any bytes are either refused or read
// within the block (never past its end), with at most 20 frames, a zoom of 1 to 32 and
// labels that keep their NUL; what was read is written back as the same fields, and a
// block is refused only for its size, its frame count or its zoom.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "project/clipboard_blocks.h"
#include "tests/fuzz/reader_check.h"

namespace {

using reader_check::fault;
using reader_check::Verdict;

uint32_t u32_at(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The label read from a field: at most 29 bytes and a NUL, zero after it, and a prefix of
// the text the field holds.
bool label_fits(const char (&label)[kLabelSize], const uint8_t* field) {
    const size_t n = strnlen(label, kLabelSize);
    if (n >= static_cast<size_t>(kLabelSize)) return false;
    for (size_t i = n; i < static_cast<size_t>(kLabelSize); ++i)
        if (label[i] != 0) return false;
    return std::memcmp(label, field, n) == 0;
}

Verdict check_pattern(std::span<const uint8_t> bytes) {
    const uint8_t* data = bytes.data();
    const auto p = decode_pattern_block(bytes);
    if (!p) {
        if (bytes.size() < kPatternBlockSize) return reader_check::refused();
        const int shift = static_cast<int8_t>(data[28]);
        const unsigned factor = data[30] | (data[31] << 8);
        const bool zoom_ok = shift >= 0 && shift <= 5 && factor == (1u << shift);
        if (u32_at(data + 4) <= 20 && zoom_ok) return fault(false, "a pattern block refused for nothing");
        return reader_check::refused();
    }
    if (bytes.size() < kPatternBlockSize) return fault(true, "a short pattern block read");
    if (p->entry.frame_count > 20) return fault(true, "a pattern block of more than 20 frames read");
    if (p->settings.zoom_factor != (1u << p->settings.zoom_shift))
        return fault(true, "a pattern block read with a zoom factor other than its shift's");
    const std::vector<uint8_t> again = encode_pattern_block(*p);
    if (again.size() != kPatternBlockSize) return fault(true, "a pattern block written back at another size");
    // Entry, settings and frame records come back byte for byte.
    if (std::memcmp(again.data(), data, kPatternBlockLabel) != 0)
        return fault(true, "a pattern block's records written back as other bytes");
    if (!label_fits(p->label, data + kPatternBlockLabel))
        return fault(true, "a pattern label out of its field");
    for (int f = 0; f < kMaxFrames; ++f)
        if (!label_fits(p->frame_labels[f],
                        data + kPatternBlockFrameLabels + kLabelSize * static_cast<size_t>(f)))
            return fault(true, "a frame label of a pattern block out of its field");
    return reader_check::read();
}

Verdict check_frame(std::span<const uint8_t> bytes) {
    const auto f = decode_frame_block(bytes);
    if (!f) {
        if (bytes.size() >= kFrameBlockSize) return fault(false, "a frame block refused for nothing");
        return reader_check::refused();
    }
    if (bytes.size() < kFrameBlockSize) return fault(true, "a short frame block read");
    const std::vector<uint8_t> again = encode_frame_block(*f);
    if (again.size() != kFrameBlockSize || std::memcmp(again.data(), bytes.data(), kFrameBlockLabel) != 0)
        return fault(true, "a frame block's record written back as other bytes");
    if (!label_fits(f->label, bytes.data() + kFrameBlockLabel))
        return fault(true, "a frame label out of its field");
    return reader_check::read();
}

}  // namespace

namespace reader_check {

Verdict check_clipboard(std::span<const uint8_t> bytes) {
    Verdict pattern = check_pattern(bytes);
    if (!pattern.fault.empty()) return pattern;
    Verdict frame = check_frame(bytes);
    if (!frame.fault.empty()) return frame;
    return Verdict{pattern.read || frame.read, {}};
}

}  // namespace reader_check

CELWRIGHT_FUZZ_TARGET(reader_check::check_clipboard)
