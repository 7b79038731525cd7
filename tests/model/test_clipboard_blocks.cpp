// The two clipboard blocks byte for byte: where each field of a pattern and a frame
// stands, that what is written reads back the same, and that a block no editor writes
// (too short, more than 20 frames, an impossible zoom, labels without their NUL) is
// refused or kept within its fields.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "project/clipboard_blocks.h"
#include "project/tables.h"
#include "build_paths.h"

namespace {

const std::string kClipboardDir = std::string(build_paths::source_dir) + "/tests/data/clipboard/";

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t u32_at(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t u16_at(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
std::string text_at(const std::vector<uint8_t>& b, size_t at) {
    return std::string(reinterpret_cast<const char*>(b.data() + at));
}

FrameRecord record(int f) {
    return FrameRecord{static_cast<uint8_t>(10 + f),   static_cast<uint8_t>(20 + f),
                       static_cast<uint16_t>(300 + f), static_cast<uint8_t>(40 + f),
                       static_cast<uint8_t>(50 + f),   static_cast<uint16_t>(0x1234),
                       static_cast<uint16_t>(64 + f),  static_cast<uint16_t>(16 + f)};
}

// Pattern 1 of a project: three frames, a 4x zoom, played forward, scrolled.
std::unique_ptr<Tables> project() {
    auto t = std::make_unique<Tables>();
    reset_tables(*t);
    t->data.header.pattern_count = 2;
    t->data.entries[1] = PatternEntry{48, 3, 60, 30};
    PatternSettings& s = t->settings[1];
    s.scroll_x = -2;
    s.scroll_y = 5;
    s.base_w = 66;
    s.base_h = 18;
    s.view_offset_x = -7;
    s.view_offset_y = 0x01020304;
    s.zoom_shift = 2;
    s.zoom_factor = 4;
    s.play_mode = 1011;
    for (int f = 0; f < 3; ++f) {
        t->frames[1][f] = record(f);
        store_frame_label(*t, 1, f, ("frame_0" + std::to_string(f)).c_str());
    }
    store_pattern_label(*t, 1, "歩き");
    store_frame_label(*t, 1, 1, "ｼﾞｬﾝﾌﾟ");
    return t;
}

std::vector<uint8_t> pattern_bytes() {
    return encode_pattern_block(pattern_block_of(*project(), 1));
}

}  // namespace

TEST(ClipboardBlocks, APatternBlockIsTheEntrySettingsFrameRowAndLabelsAtTheirOffsets) {
    const std::vector<uint8_t> b = pattern_bytes();
    ASSERT_EQ(b.size(), 908u);
    // The entry as it stands in memory.
    EXPECT_EQ(u32_at(b, 0), 48u);
    EXPECT_EQ(u32_at(b, 4), 3u);
    EXPECT_EQ(u16_at(b, 8), 60);
    EXPECT_EQ(u16_at(b, 10), 30);
    // The settings, signed fields in two's complement.
    EXPECT_EQ(u16_at(b, 12), 0xFFFE);
    EXPECT_EQ(u16_at(b, 14), 5);
    EXPECT_EQ(u16_at(b, 16), 66);
    EXPECT_EQ(u16_at(b, 18), 18);
    EXPECT_EQ(u32_at(b, 20), 0xFFFFFFF9u);
    EXPECT_EQ(u32_at(b, 24), 0x01020304u);
    EXPECT_EQ(b[28], 2);
    EXPECT_EQ(b[29], 0);
    EXPECT_EQ(u16_at(b, 30), 4);
    EXPECT_EQ(u32_at(b, 32), 1011u);
    // Frame 1's record, its CLUT attribute kept.
    const size_t r1 = 36 + 12;
    EXPECT_EQ(b[r1], 11);
    EXPECT_EQ(b[r1 + 1], 21);
    EXPECT_EQ(u16_at(b, r1 + 2), 301);
    EXPECT_EQ(b[r1 + 4], 41);
    EXPECT_EQ(b[r1 + 5], 51);
    EXPECT_EQ(u16_at(b, r1 + 6), 0x1234);
    EXPECT_EQ(u16_at(b, r1 + 8), 65);
    EXPECT_EQ(u16_at(b, r1 + 10), 17);
    // The rest of the row is zero, as the table holds it.
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 36 + 36, b.begin() + 276), std::vector<uint8_t>(204, 0));
    EXPECT_EQ(text_at(b, 276), "歩き");
    EXPECT_EQ(text_at(b, 306), "frame_00");
    EXPECT_EQ(text_at(b, 336), "ｼﾞｬﾝﾌﾟ");
    EXPECT_EQ(text_at(b, 366), "frame_02");
    EXPECT_EQ(b[396], 0) << "frame 3 has no label";
    EXPECT_EQ(b[906], 0);
    EXPECT_EQ(b[907], 0);
}

TEST(ClipboardBlocks, AFrameBlockIsTheRecordThenTheLabel) {
    const std::unique_ptr<Tables> t = project();
    const std::vector<uint8_t> b = encode_frame_block(frame_block_of(*t, 1, 1));
    ASSERT_EQ(b.size(), 42u);
    EXPECT_EQ(std::memcmp(b.data(),
                          std::vector<uint8_t>{11, 21, 45, 1, 41, 51, 0x34, 0x12, 65, 0, 17, 0}.data(), 12),
              0);
    EXPECT_EQ(std::memcmp(b.data() + 12, t->names.frame_labels[1][1], 30), 0);
}

TEST(ClipboardBlocks, WhatIsWrittenReadsBackTheSame) {
    const std::vector<uint8_t> pattern = pattern_bytes();
    const auto p = decode_pattern_block(pattern);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->entry.frame_count, 3u);
    EXPECT_EQ(p->settings.play_mode, 1011u);
    EXPECT_EQ(p->settings.view_offset_x, -7);
    EXPECT_STREQ(p->frame_labels[1], "ｼﾞｬﾝﾌﾟ");
    EXPECT_EQ(encode_pattern_block(*p), pattern);

    const std::vector<uint8_t> frame = encode_frame_block(frame_block_of(*project(), 1, 2));
    const auto f = decode_frame_block(frame);
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->record.image_w, 66);
    EXPECT_EQ(encode_frame_block(*f), frame);

    // The system may hand out a larger block than was asked for; the rest is not looked at.
    std::vector<uint8_t> larger = pattern;
    larger.resize(1024, 0xEE);
    ASSERT_TRUE(decode_pattern_block(larger).has_value());
    EXPECT_EQ(encode_pattern_block(*decode_pattern_block(larger)), pattern);
}

TEST(ClipboardBlocks, BlocksNoEditorWritesAreRefused) {
    const std::vector<uint8_t> pattern = pattern_bytes();
    EXPECT_FALSE(decode_pattern_block(std::span(pattern).first(907)).has_value());
    EXPECT_FALSE(decode_pattern_block({}).has_value());
    std::vector<uint8_t> frame(42, 0);
    EXPECT_TRUE(decode_frame_block(frame).has_value());
    EXPECT_FALSE(decode_frame_block(std::span(frame).first(41)).has_value());

    std::vector<uint8_t> b = pattern;
    b[4] = 20;
    EXPECT_TRUE(decode_pattern_block(b).has_value()) << "20 frames fill a pattern";
    b[4] = 21;
    EXPECT_FALSE(decode_pattern_block(b).has_value());
    b[4] = 3;
    b[7] = 1;  // 16777219 frames
    EXPECT_FALSE(decode_pattern_block(b).has_value());

    // The zoom is a shift of 0 to 5 and the factor that goes with it.
    b = pattern;
    b[28] = 5;
    b[30] = 32;
    EXPECT_TRUE(decode_pattern_block(b).has_value());
    b[28] = 6;
    b[30] = 64;
    EXPECT_FALSE(decode_pattern_block(b).has_value());
    b[28] = 0xFF;  // -1
    EXPECT_FALSE(decode_pattern_block(b).has_value());
    b[28] = 1;
    b[30] = 4;
    EXPECT_FALSE(decode_pattern_block(b).has_value());
}

TEST(ClipboardBlocks, LabelsWithoutTheirNulAreCutOnACharacterBoundary) {
    std::vector<uint8_t> b = pattern_bytes();
    std::memset(b.data() + 276, 'A', 30);
    // Frame 0's label: 28 single bytes, then a double-byte character that would end at 30.
    std::memset(b.data() + 306, 'B', 28);
    b[306 + 28] = 0x83;
    b[306 + 29] = 0x41;
    const auto p = decode_pattern_block(b);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(std::string(p->label), std::string(29, 'A'));
    EXPECT_EQ(std::string(p->frame_labels[0]), std::string(28, 'B'));
    EXPECT_EQ(p->frame_labels[0][29], 0);

    std::vector<uint8_t> frame(42, 'C');
    const auto f = decode_frame_block(frame);
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(std::string(f->label), std::string(29, 'C'));
}

TEST(ClipboardBlocks, SampleBlocksReadAndWriteBackByteForByte) {
    const std::vector<uint8_t> pattern = read_file(kClipboardDir + "pattern.bin");
    const std::vector<uint8_t> frame = read_file(kClipboardDir + "frame.bin");
    ASSERT_EQ(pattern.size(), kPatternBlockSize);
    ASSERT_EQ(frame.size(), kFrameBlockSize);
    const auto p = decode_pattern_block(pattern);
    const auto f = decode_frame_block(frame);
    ASSERT_TRUE(p.has_value());
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(encode_pattern_block(*p), pattern);
    EXPECT_EQ(encode_frame_block(*f), frame);
    EXPECT_EQ(p->entry.frame_count, 3u);
    EXPECT_STREQ(f->label, "ｼﾞｬﾝﾌﾟ");
}
