// The two clipboard blocks: a whole pattern under "CLIP_PATTERN" (908 bytes) and a single
// frame under "CLIP_FRAME" (42 bytes), byte-for-byte copies of slices of the tables, so
// that a paste in this or another running editor restores them exactly. Pure functions,
// so the layouts are checked without a window, and a block that another program put on
// the clipboard is read without trusting its size or its counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "project/tables.h"

inline constexpr char kPatternFormat[] = "CLIP_PATTERN";
inline constexpr char kFrameFormat[] = "CLIP_FRAME";
inline constexpr size_t kPatternBlockSize = 908;
inline constexpr size_t kFrameBlockSize = 42;

// Offsets within a pattern block.
inline constexpr size_t kPatternBlockEntry = 0;
inline constexpr size_t kPatternBlockSettings = 12;
inline constexpr size_t kPatternBlockFrames = 36;
inline constexpr size_t kPatternBlockLabel = 276;
inline constexpr size_t kPatternBlockFrameLabels = 306;
// Offsets within a frame block.
inline constexpr size_t kFrameBlockRecord = 0;
inline constexpr size_t kFrameBlockLabel = 12;

struct PatternBlock {
    // As it stands in memory: frame_count is the number of frames in use; offset and the
    // base size are what the last save or load left there.
    PatternEntry entry;
    PatternSettings settings;        // the live base size, zoom and playback mode
    FrameRecord frames[kMaxFrames];  // the whole row, zero beyond frame_count
    char label[kLabelSize];
    char frame_labels[kMaxFrames][kLabelSize];
};

struct FrameBlock {
    FrameRecord record;
    char label[kLabelSize];
};

// Pattern p's slice of the tables, labels as whole fields.
PatternBlock pattern_block_of(const Tables& t, int p);
// Frame f of pattern p.
FrameBlock frame_block_of(const Tables& t, int p, int f);

std::vector<uint8_t> encode_pattern_block(const PatternBlock& b);  // 908 bytes, the last two zero
std::vector<uint8_t> encode_frame_block(const FrameBlock& b);      // 42 bytes

// Nothing for a block no editor writes: shorter than its layout, more than 20 frames, or a
// zoom other than a factor of 1 to 32 given as its shift and its factor alike. Bytes
// beyond the layout are not looked at (the system may hand out a larger block than was
// asked for). Each label keeps at most 29 bytes, cut on a character boundary, and its NUL.
std::optional<PatternBlock> decode_pattern_block(std::span<const uint8_t> bytes);
// Nothing for a block shorter than 42 bytes; the label as above.
std::optional<FrameBlock> decode_frame_block(std::span<const uint8_t> bytes);
