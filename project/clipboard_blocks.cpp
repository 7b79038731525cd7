#include "project/clipboard_blocks.h"

#include <cstring>

#include "project/record_bytes.h"

namespace {

constexpr int kMaxZoomShift = 5;  // 32 x 32

static_assert(kPatternBlockLabel == kPatternBlockFrames + kMaxFrames * sizeof(FrameRecord));
static_assert(kPatternBlockFrameLabels + kMaxFrames * kLabelSize + 2 == kPatternBlockSize);
static_assert(kFrameBlockLabel + kLabelSize == kFrameBlockSize);

void put_label(std::vector<uint8_t>& out, const char (&label)[kLabelSize]) {
    out.insert(out.end(), label, label + kLabelSize);
}

// A label field from a block: set_label reads at most the field's 30 bytes.
void get_label(char (&field)[kLabelSize], const uint8_t* at) {
    set_label(field, reinterpret_cast<const char*>(at));
}

bool zoom_possible(const PatternSettings& s) {
    return s.zoom_shift >= 0 && s.zoom_shift <= kMaxZoomShift && s.zoom_factor == (1u << s.zoom_shift);
}

}  // namespace

PatternBlock pattern_block_of(const Tables& t, int p) {
    PatternBlock b{};
    if (p < 0 || p >= kMaxPatterns) return b;
    b.entry = t.data.entries[p];
    b.settings = t.settings[p];
    std::memcpy(b.frames, t.frames[p], sizeof b.frames);
    std::memcpy(b.label, t.names.pattern_labels[p], sizeof b.label);
    std::memcpy(b.frame_labels, t.names.frame_labels[p], sizeof b.frame_labels);
    return b;
}

FrameBlock frame_block_of(const Tables& t, int p, int f) {
    FrameBlock b{};
    if (p < 0 || p >= kMaxPatterns || f < 0 || f >= kMaxFrames) return b;
    b.record = t.frames[p][f];
    std::memcpy(b.label, t.names.frame_labels[p][f], sizeof b.label);
    return b;
}

std::vector<uint8_t> encode_pattern_block(const PatternBlock& b) {
    std::vector<uint8_t> out;
    out.reserve(kPatternBlockSize);
    put_entry(out, b.entry);
    put_settings(out, b.settings);
    for (const FrameRecord& r : b.frames) put_record(out, r, r.clut);
    put_label(out, b.label);
    for (const auto& label : b.frame_labels) put_label(out, label);
    out.resize(kPatternBlockSize, 0);
    return out;
}

std::vector<uint8_t> encode_frame_block(const FrameBlock& b) {
    std::vector<uint8_t> out;
    out.reserve(kFrameBlockSize);
    put_record(out, b.record, b.record.clut);
    put_label(out, b.label);
    return out;
}

std::optional<PatternBlock> decode_pattern_block(std::span<const uint8_t> bytes) {
    if (bytes.size() < kPatternBlockSize) return std::nullopt;
    const uint8_t* at = bytes.data();
    PatternBlock b{};
    b.entry = get_entry(at + kPatternBlockEntry);
    b.settings = get_settings(at + kPatternBlockSettings);
    // A pattern has room for 20 frames, and the shift is used as a shift count.
    if (b.entry.frame_count > static_cast<uint32_t>(kMaxFrames) || !zoom_possible(b.settings))
        return std::nullopt;
    for (int f = 0; f < kMaxFrames; ++f)
        b.frames[f] = get_record(at + kPatternBlockFrames + sizeof(FrameRecord) * static_cast<size_t>(f));
    get_label(b.label, at + kPatternBlockLabel);
    for (int f = 0; f < kMaxFrames; ++f)
        get_label(b.frame_labels[f], at + kPatternBlockFrameLabels + kLabelSize * static_cast<size_t>(f));
    return b;
}

std::optional<FrameBlock> decode_frame_block(std::span<const uint8_t> bytes) {
    if (bytes.size() < kFrameBlockSize) return std::nullopt;
    FrameBlock b{};
    b.record = get_record(bytes.data() + kFrameBlockRecord);
    get_label(b.label, bytes.data() + kFrameBlockLabel);
    return b;
}
