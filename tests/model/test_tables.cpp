// Project tables: record layouts as the files hold them, start values, and the slot
// moves that keep every per-pattern and per-frame table in step.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "project/tables.h"

namespace {

template <typename T>
std::vector<uint8_t> bytes_of(const T& value) {
    std::vector<uint8_t> out(sizeof value);
    std::memcpy(out.data(), &value, sizeof value);
    return out;
}

template <typename H>
H fake_handle(int tag, int kind) {
    return reinterpret_cast<H>(static_cast<uintptr_t>(tag * 0x1000 + kind * 0x10 + 8));
}

// Tables are ~15 KB; keep them off the stack and start from the real start values.
std::unique_ptr<Tables> fresh_tables() {
    auto t = std::make_unique<Tables>();
    reset_tables(*t);
    return t;
}

// Puts a recognisable value derived from `tag` into every table of pattern slot p.
void fill_slot(Tables& t, int p, int tag) {
    t.pattern_window[p] = fake_handle<HWND>(tag, 1);
    t.pattern_item[p] = fake_handle<HTREEITEM>(tag, 2);
    t.pattern_ddraw[p] = fake_handle<LPDIRECTDRAW>(tag, 3);
    t.pattern_primary[p] = fake_handle<LPDIRECTDRAWSURFACE>(tag, 4);
    t.pattern_canvas[p] = fake_handle<LPDIRECTDRAWSURFACE>(tag, 5);
    t.pattern_base_surface[p] = fake_handle<LPDIRECTDRAWSURFACE>(tag, 6);
    t.pattern_clipper[p] = fake_handle<LPDIRECTDRAWCLIPPER>(tag, 7);
    t.data.entries[p] = {static_cast<uint32_t>(tag), 3, static_cast<uint16_t>(tag + 10),
                         static_cast<uint16_t>(tag + 20)};
    PatternSettings& s = t.settings[p];
    s.scroll_x = static_cast<int16_t>(-tag);
    s.base_w = static_cast<uint16_t>(tag + 30);
    s.zoom_shift = 2;
    s.zoom_factor = 4;
    s.play_mode = 1010 + tag;
    for (int f = 0; f < kMaxFrames; ++f) {
        t.frame_items[p][f] = fake_handle<HTREEITEM>(tag, 0x20 + f);
        t.frames[p][f].timing = static_cast<uint16_t>(tag * 100 + f);
        t.frames[p][f].image_x = static_cast<uint8_t>(tag);
        std::snprintf(t.names.frame_labels[p][f], kLabelSize, "f%d_%d", tag, f);
    }
    std::snprintf(t.names.pattern_labels[p], kLabelSize, "pattern_%02d", tag);
    t.client_size[p] = {300u + tag, 400u + tag};
    t.zoomed_client_size[p] = {304u + tag, 404u + tag};
}

// Checks that slot p holds, in every table, what fill_slot(tag) put there.
void expect_slot(const Tables& t, int p, int tag) {
    SCOPED_TRACE("slot " + std::to_string(p) + " expected tag " + std::to_string(tag));
    EXPECT_EQ(t.pattern_window[p], fake_handle<HWND>(tag, 1));
    EXPECT_EQ(t.pattern_item[p], fake_handle<HTREEITEM>(tag, 2));
    EXPECT_EQ(t.pattern_ddraw[p], fake_handle<LPDIRECTDRAW>(tag, 3));
    EXPECT_EQ(t.pattern_primary[p], fake_handle<LPDIRECTDRAWSURFACE>(tag, 4));
    EXPECT_EQ(t.pattern_canvas[p], fake_handle<LPDIRECTDRAWSURFACE>(tag, 5));
    EXPECT_EQ(t.pattern_base_surface[p], fake_handle<LPDIRECTDRAWSURFACE>(tag, 6));
    EXPECT_EQ(t.pattern_clipper[p], fake_handle<LPDIRECTDRAWCLIPPER>(tag, 7));
    EXPECT_EQ(t.data.entries[p].offset, static_cast<uint32_t>(tag));
    EXPECT_EQ(t.data.entries[p].base_w, tag + 10);
    EXPECT_EQ(t.data.entries[p].base_h, tag + 20);
    EXPECT_EQ(t.settings[p].scroll_x, -tag);
    EXPECT_EQ(t.settings[p].base_w, tag + 30);
    EXPECT_EQ(t.settings[p].play_mode, 1010u + tag);
    for (int f = 0; f < kMaxFrames; ++f) {
        EXPECT_EQ(t.frame_items[p][f], fake_handle<HTREEITEM>(tag, 0x20 + f)) << f;
        EXPECT_EQ(t.frames[p][f].timing, tag * 100 + f) << f;
        EXPECT_STREQ(t.names.frame_labels[p][f],
                     ("f" + std::to_string(tag) + "_" + std::to_string(f)).c_str());
    }
    char label[kLabelSize];
    std::snprintf(label, sizeof label, "pattern_%02d", tag);
    EXPECT_STREQ(t.names.pattern_labels[p], label);
    EXPECT_EQ(t.client_size[p].width, 300u + tag);
    EXPECT_EQ(t.client_size[p].height, 400u + tag);
    EXPECT_EQ(t.zoomed_client_size[p].width, 304u + tag);
}

// Checks that slot p holds the empty values a removed pattern leaves behind.
void expect_empty_slot(const Tables& t, int p) {
    SCOPED_TRACE("empty slot " + std::to_string(p));
    EXPECT_EQ(t.pattern_window[p], nullptr);
    EXPECT_EQ(t.pattern_item[p], nullptr);
    EXPECT_EQ(t.pattern_ddraw[p], nullptr);
    EXPECT_EQ(t.pattern_primary[p], nullptr);
    EXPECT_EQ(t.pattern_canvas[p], nullptr);
    EXPECT_EQ(t.pattern_base_surface[p], nullptr);
    EXPECT_EQ(t.pattern_clipper[p], nullptr);
    const std::vector<uint8_t> zero_entry(sizeof(PatternEntry), 0);
    EXPECT_EQ(bytes_of(t.data.entries[p]), zero_entry);
    EXPECT_EQ(bytes_of(t.settings[p]), bytes_of(initial_pattern_settings()));
    for (int f = 0; f < kMaxFrames; ++f) {
        EXPECT_EQ(t.frame_items[p][f], nullptr);
        EXPECT_EQ(bytes_of(t.frames[p][f]), std::vector<uint8_t>(12, 0));
        EXPECT_EQ(bytes_of(t.names.frame_labels[p][f]), std::vector<uint8_t>(kLabelSize, 0));
    }
    EXPECT_EQ(bytes_of(t.names.pattern_labels[p]), std::vector<uint8_t>(kLabelSize, 0));
    EXPECT_EQ(t.client_size[p].width, 200u);
    EXPECT_EQ(t.client_size[p].height, 200u);
    EXPECT_EQ(t.zoomed_client_size[p].width, 0u);
    EXPECT_EQ(t.zoomed_client_size[p].height, 0u);
}

TEST(TablesLayout, FrameRecordInMemoryIsTheFileBytes) {
    FrameRecord r{};
    r.correction_x = 0xFF;
    r.correction_y = 0x01;
    r.timing = 0x1234;
    r.image_x = 255;
    r.image_y = 7;
    r.clut = 0x7FC1;
    r.image_w = 1;
    r.image_h = 0x0100;
    EXPECT_EQ(bytes_of(r),
              (std::vector<uint8_t>{0xFF, 0x01, 0x34, 0x12, 0xFF, 0x07, 0xC1, 0x7F, 0x01, 0x00, 0x00, 0x01}));
}

TEST(TablesLayout, HeaderEntriesAndSettingsAreLittleEndianRecords) {
    AnimationData d{};
    d.header = {0x00000180, 9, 2};
    d.entries[1] = {0x0000003C, 20, 0x0102, 0x0304};
    const std::vector<uint8_t> b = bytes_of(d);
    ASSERT_EQ(b.size(), 156u);
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.begin() + 12),
              (std::vector<uint8_t>{0x80, 0x01, 0, 0, 9, 0, 0, 0, 2, 0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 24, b.begin() + 36),
              (std::vector<uint8_t>{0x3C, 0, 0, 0, 20, 0, 0, 0, 0x02, 0x01, 0x04, 0x03}));

    PatternSettings s{};
    s.scroll_x = -2;
    s.view_offset_y = -1;
    s.zoom_shift = 5;
    s.zoom_factor = 32;
    s.play_mode = kPlayStop;
    const std::vector<uint8_t> sb = bytes_of(s);
    EXPECT_EQ(sb[0], 0xFE);
    EXPECT_EQ(sb[1], 0xFF);
    EXPECT_EQ(std::vector<uint8_t>(sb.begin() + 12, sb.begin() + 16),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(sb[16], 5);
    EXPECT_EQ(sb[17], 0);
    EXPECT_EQ(sb[18], 32);
    EXPECT_EQ(sb[20], 0xF4);  // 1012 = 0x03F4
    EXPECT_EQ(sb[21], 0x03);
}

TEST(TablesLayout, NameTablesPlaceLabelsWhereTheProjectFileHasThem) {
    auto t = fresh_tables();
    store_pattern_label(*t, 1, "pattern_01");
    store_frame_label(*t, 2, 3, "frame_03");
    const auto* raw = reinterpret_cast<const char*>(&t->names);
    EXPECT_STREQ(raw + 542 + 30, "pattern_01");
    EXPECT_STREQ(raw + 902 + 600 * 2 + 30 * 3, "frame_03");
}

TEST(Tables, StartValues) {
    // The global is checked untouched: no test here writes g_tables.
    const Tables& t = g_tables;
    for (int p = 0; p < kMaxPatterns; ++p) {
        EXPECT_EQ(t.settings[p].zoom_factor, 1);
        EXPECT_EQ(t.settings[p].play_mode, kPlayStop);
        EXPECT_EQ(t.settings[p].base_w, 1);
        EXPECT_EQ(t.settings[p].base_h, 1);
        EXPECT_EQ(t.client_size[p].width, 200u);
        EXPECT_EQ(t.zoomed_client_size[p].height, 200u);
        EXPECT_EQ(t.pattern_window[p], nullptr);
    }
    EXPECT_EQ(t.client_size[kImageWindowSlot].width, 256u);
    EXPECT_EQ(t.zoomed_client_size[kImageWindowSlot].height, 256u);
    EXPECT_EQ(bytes_of(t.names), std::vector<uint8_t>(sizeof(NameTables), 0));
    EXPECT_EQ(t.data.header.pattern_count, 0u);

    // reset_tables brings scribbled tables back to the same values.
    auto scratch = fresh_tables();
    fill_slot(*scratch, 4, 9);
    scratch->data.header.pattern_count = 5;
    scratch->new_window_style = kNewWindowMaximize;
    reset_tables(*scratch);
    EXPECT_EQ(std::memcmp(&scratch->names, &t.names, sizeof t.names), 0);
    EXPECT_EQ(bytes_of(scratch->settings), bytes_of(t.settings));
    EXPECT_EQ(bytes_of(scratch->client_size), bytes_of(t.client_size));
    EXPECT_EQ(bytes_of(scratch->zoomed_client_size), bytes_of(t.zoomed_client_size));
    EXPECT_EQ(scratch->pattern_window[4], nullptr);
    EXPECT_EQ(scratch->data.header.pattern_count, 0u);
    EXPECT_EQ(scratch->new_window_style, 0u);
}

TEST(PatternSlots, RemovingPatternZeroOfThreeMovesTheOthersDown) {
    auto t = fresh_tables();
    for (int p = 0; p < 3; ++p) fill_slot(*t, p, p + 1);
    fill_slot(*t, 11, 12);  // a full table: the last slot must still end up empty
    remove_pattern_slot(*t, 0);
    expect_slot(*t, 0, 2);
    expect_slot(*t, 1, 3);
    for (int p = 2; p < 10; ++p) {  // the unused slots in between moved down as they were
        EXPECT_EQ(t->pattern_window[p], nullptr) << p;
        EXPECT_STREQ(pattern_label(*t, p), "") << p;
        EXPECT_EQ(bytes_of(t->settings[p]), bytes_of(initial_pattern_settings())) << p;
    }
    expect_slot(*t, 10, 12);
    expect_empty_slot(*t, 11);
    EXPECT_EQ(t->settings[11].zoom_factor, 1);
    EXPECT_EQ(t->settings[11].play_mode, kPlayStop);
}

TEST(PatternSlots, RemovingTheLastOrAnInvalidSlot) {
    auto t = fresh_tables();
    for (int p = 0; p < kMaxPatterns; ++p) fill_slot(*t, p, p + 1);
    remove_pattern_slot(*t, 11);
    expect_slot(*t, 10, 11);
    expect_empty_slot(*t, 11);

    auto before = std::make_unique<Tables>();
    std::memcpy(before.get(), t.get(), sizeof(Tables));
    remove_pattern_slot(*t, -1);
    remove_pattern_slot(*t, 12);
    move_pattern_slot(*t, 0, 12);
    move_pattern_slot(*t, -1, 3);
    move_frame_entry(*t, 12, 0, 1);
    move_frame_entry(*t, 0, 0, 20);
    remove_frame_entry(*t, 0, 20);
    remove_frame_entry(*t, -1, 0);
    clear_pattern_slot(*t, 12);
    put_pattern_slot(*t, -1, take_pattern_slot(*t, 0));
    store_pattern_label(*t, 12, "x");
    store_frame_label(*t, 0, 20, "x");
    EXPECT_EQ(std::memcmp(before.get(), t.get(), sizeof(Tables)), 0);
    EXPECT_STREQ(pattern_label(*t, 12), "");
    EXPECT_STREQ(frame_label(*t, 0, -1), "");
}

TEST(PatternSlots, MoveCarriesEveryTable) {
    auto t = fresh_tables();
    for (int p = 0; p < 4; ++p) fill_slot(*t, p, p + 1);  // A B C D

    move_pattern_slot(*t, 0, 2);  // A dropped on C
    expect_slot(*t, 0, 2);
    expect_slot(*t, 1, 3);
    expect_slot(*t, 2, 1);
    expect_slot(*t, 3, 4);

    for (int p = 0; p < 4; ++p) fill_slot(*t, p, p + 1);
    move_pattern_slot(*t, 3, 1);  // D dropped on A
    expect_slot(*t, 0, 1);
    expect_slot(*t, 1, 4);
    expect_slot(*t, 2, 2);
    expect_slot(*t, 3, 3);

    move_pattern_slot(*t, 1, 1);
    expect_slot(*t, 1, 4);
    EXPECT_EQ(t->pattern_window[4], nullptr);  // nothing spilled past the moved range
}

TEST(PatternSlots, WindowLookupFollowsTheMoves) {
    auto t = fresh_tables();
    for (int p = 0; p < 3; ++p) fill_slot(*t, p, p + 1);
    // Empty slots hold null windows; a null handle must not find them.
    EXPECT_EQ(pattern_index_of(*t, nullptr), kNoPattern);
    EXPECT_EQ(pattern_index_of(*t, fake_handle<HWND>(99, 1)), kNoPattern);
    EXPECT_EQ(pattern_index_of(*t, fake_handle<HWND>(3, 1)), 2);
    remove_pattern_slot(*t, 0);
    EXPECT_EQ(pattern_index_of(*t, fake_handle<HWND>(3, 1)), 1);
    EXPECT_EQ(pattern_index_of(*t, fake_handle<HWND>(1, 1)), kNoPattern);
}

std::vector<uint16_t> timings(const Tables& t, int p, int n) {
    std::vector<uint16_t> out;
    for (int f = 0; f < n; ++f) out.push_back(t.frames[p][f].timing);
    return out;
}

TEST(FrameEntries, MoveKeepsItemRecordAndLabelTogether) {
    auto t = fresh_tables();
    fill_slot(*t, 0, 1);
    fill_slot(*t, 1, 2);
    move_frame_entry(*t, 0, 0, 2);  // frame 0 of four dropped on frame 2
    EXPECT_EQ(timings(*t, 0, 4), (std::vector<uint16_t>{101, 102, 100, 103}));
    EXPECT_STREQ(frame_label(*t, 0, 2), "f1_0");
    EXPECT_STREQ(frame_label(*t, 0, 0), "f1_1");
    EXPECT_EQ(t->frame_items[0][2], fake_handle<HTREEITEM>(1, 0x20));
    EXPECT_EQ(t->frame_items[0][1], fake_handle<HTREEITEM>(1, 0x22));

    move_frame_entry(*t, 0, 3, 0);
    EXPECT_EQ(timings(*t, 0, 4), (std::vector<uint16_t>{103, 101, 102, 100}));
    EXPECT_STREQ(frame_label(*t, 0, 0), "f1_3");
    EXPECT_EQ(t->frame_items[0][0], fake_handle<HTREEITEM>(1, 0x23));
    expect_slot(*t, 1, 2);  // other patterns untouched
}

TEST(FrameEntries, RemoveShiftsDownAndZeroesTheVacatedEnd) {
    auto t = fresh_tables();
    fill_slot(*t, 0, 1);
    for (int f = 3; f < kMaxFrames; ++f) {  // three frames in use
        t->frames[0][f] = FrameRecord{};
        t->frame_items[0][f] = nullptr;
        set_label(t->names.frame_labels[0][f], nullptr);
    }
    remove_frame_entry(*t, 0, 0);
    EXPECT_EQ(timings(*t, 0, 3), (std::vector<uint16_t>{101, 102, 0}));
    EXPECT_STREQ(frame_label(*t, 0, 0), "f1_1");
    EXPECT_STREQ(frame_label(*t, 0, 1), "f1_2");
    EXPECT_EQ(bytes_of(t->names.frame_labels[0][2]), std::vector<uint8_t>(kLabelSize, 0));
    EXPECT_EQ(t->frame_items[0][2], nullptr);

    fill_slot(*t, 1, 2);  // a full row: the last entry is vacated
    remove_frame_entry(*t, 1, 19);
    EXPECT_EQ(t->frames[1][18].timing, 218);
    EXPECT_EQ(bytes_of(t->frames[1][19]), std::vector<uint8_t>(12, 0));
    EXPECT_EQ(t->frame_items[1][19], nullptr);
    EXPECT_STREQ(frame_label(*t, 1, 19), "");
}

TEST(Labels, WholeFieldZeroFilledAndCutOnACharacterBoundary) {
    char field[kLabelSize];
    std::memset(field, 'X', sizeof field);
    const std::string long_kanji = std::string(28, 'a') + "表示";  // 表 would straddle byte 29
    set_label(field, long_kanji.c_str());
    EXPECT_EQ(std::string(field), std::string(28, 'a'));
    EXPECT_EQ(bytes_of(field), [] {
        std::vector<uint8_t> v(kLabelSize, 0);
        std::memset(v.data(), 'a', 28);
        return v;
    }());

    set_label(field, std::string(40, 'b').c_str());
    EXPECT_EQ(std::string(field), std::string(29, 'b'));
    EXPECT_EQ(field[29], '\0');

    set_label(field, "新規ﾌﾚｰﾑ");
    EXPECT_STREQ(field, "新規ﾌﾚｰﾑ");
    set_label(field, field + 4);  // a tail of itself
    EXPECT_STREQ(field, "ﾌﾚｰﾑ");
    EXPECT_EQ(field[4], '\0');
    EXPECT_EQ(field[8], '\0');

    char unterminated[kLabelSize];
    std::memset(unterminated, 'c', sizeof unterminated);
    set_label(field, unterminated);
    EXPECT_EQ(std::string(field), std::string(29, 'c'));

    set_label(field, nullptr);
    EXPECT_EQ(bytes_of(field), std::vector<uint8_t>(kLabelSize, 0));
}

}  // namespace
