// libFuzzer target for the clipboard block readers: any bytes are either refused or read
// within the block (never past its end), with at most 20 frames, a zoom of 1 to 32 and
// labels that keep their NUL; what was read is written back as the same fields, and a
// block is refused only for its size, its frame count or its zoom.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "project/clipboard_blocks.h"

namespace {

uint32_t u32_at(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The label read from a field: at most 29 bytes and a NUL, zero after it, and a prefix of
// the text the field holds.
void check_label(const char (&label)[kLabelSize], const uint8_t* field) {
    const size_t n = strnlen(label, kLabelSize);
    if (n >= static_cast<size_t>(kLabelSize)) std::abort();
    for (size_t i = n; i < static_cast<size_t>(kLabelSize); ++i)
        if (label[i] != 0) std::abort();
    if (std::memcmp(label, field, n) != 0) std::abort();
}

void check_pattern(const uint8_t* data, size_t size) {
    const auto p = decode_pattern_block(std::span<const uint8_t>(data, size));
    if (!p) {
        if (size < kPatternBlockSize) return;
        const int shift = static_cast<int8_t>(data[28]);
        const unsigned factor = data[30] | (data[31] << 8);
        const bool zoom_ok = shift >= 0 && shift <= 5 && factor == (1u << shift);
        if (u32_at(data + 4) <= 20 && zoom_ok) std::abort();
        return;
    }
    if (size < kPatternBlockSize || p->entry.frame_count > 20) std::abort();
    if (p->settings.zoom_factor != (1u << p->settings.zoom_shift)) std::abort();
    const std::vector<uint8_t> again = encode_pattern_block(*p);
    if (again.size() != kPatternBlockSize) std::abort();
    // Entry, settings and frame records come back byte for byte.
    if (std::memcmp(again.data(), data, kPatternBlockLabel) != 0) std::abort();
    check_label(p->label, data + kPatternBlockLabel);
    for (int f = 0; f < kMaxFrames; ++f)
        check_label(p->frame_labels[f],
                    data + kPatternBlockFrameLabels + kLabelSize * static_cast<size_t>(f));
}

void check_frame(const uint8_t* data, size_t size) {
    const auto f = decode_frame_block(std::span<const uint8_t>(data, size));
    if (!f) {
        if (size >= kFrameBlockSize) std::abort();
        return;
    }
    if (size < kFrameBlockSize) std::abort();
    const std::vector<uint8_t> again = encode_frame_block(*f);
    if (again.size() != kFrameBlockSize || std::memcmp(again.data(), data, kFrameBlockLabel) != 0)
        std::abort();
    check_label(f->label, data + kFrameBlockLabel);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    check_pattern(data, size);
    check_frame(data, size);
    return 0;
}
