// The project's byte formats: the project file, the animation data file with its
// computed offsets and CLUT stamping, the refusals of files that do not fit, the
// labels an opened project shows, the file-name rules and the configuration record
// with its newline translation.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "files/project_data.h"
#include "project/tables.h"
#include "build_paths.h"

namespace {

const std::string kProjectDir = std::string(build_paths::source_dir) + "/tests/data/project/";

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::unique_ptr<Tables> fresh_tables() {
    auto t = std::make_unique<Tables>();
    reset_tables(*t);
    return t;
}

uint32_t u32_at(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t u16_at(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

// Pattern p with `frames` frames whose records are distinguishable by (p, f).
void add_pattern(Tables& t, int frames, uint16_t base_w, uint16_t base_h) {
    const int p = static_cast<int>(t.data.header.pattern_count++);
    t.data.entries[p].frame_count = static_cast<uint32_t>(frames);
    t.settings[p].base_w = base_w;
    t.settings[p].base_h = base_h;
    for (int f = 0; f < frames; ++f) {
        FrameRecord& r = t.frames[p][f];
        r.correction_x = static_cast<uint8_t>(10 * p + f);
        r.correction_y = static_cast<uint8_t>(f + 1);
        r.timing = static_cast<uint16_t>(300 + f);
        r.image_x = static_cast<uint8_t>(200 + f);
        r.image_y = static_cast<uint8_t>(p);
        r.clut = static_cast<uint16_t>(0x1111 * (f + 1));  // stale: a save replaces it
        r.image_w = static_cast<uint16_t>(256 - f);
        r.image_h = static_cast<uint16_t>(7 + p);
    }
}

std::vector<uint8_t> header(uint32_t tpage, uint32_t speed, uint32_t patterns) {
    std::vector<uint8_t> b;
    for (uint32_t v : {tpage, speed, patterns})
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return b;
}
void append_entry(std::vector<uint8_t>& b, uint32_t offset, uint32_t frames, uint16_t w, uint16_t h) {
    for (uint32_t v : {offset, frames})
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    for (uint16_t v : {w, h}) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    }
}

// ---- animation data file ---------------------------------------------------------

TEST(AnimationData, OffsetsFollowFrameCountsAndEveryRecordCarriesTheCurrentClut) {
    auto t = fresh_tables();
    t->data.header.tpage = 0x9A;
    t->data.header.speed = 4;
    add_pattern(*t, 3, 40, 30);
    add_pattern(*t, 0, 17, 9);
    t->data.entries[0].offset = 999;  // what the tables held before is not what the file gets
    const std::vector<uint8_t> b = encode_animation_data(*t, 0x7805);
    ASSERT_EQ(b.size(), 72u);
    EXPECT_EQ(u32_at(b, 0), 0x9Au);
    EXPECT_EQ(u32_at(b, 4), 4u);
    EXPECT_EQ(u32_at(b, 8), 2u);
    EXPECT_EQ(u32_at(b, 12), 36u);  // entry 0: offset, frames, base size
    EXPECT_EQ(u32_at(b, 16), 3u);
    EXPECT_EQ(u16_at(b, 20), 40);
    EXPECT_EQ(u16_at(b, 22), 30);
    EXPECT_EQ(u32_at(b, 24), 72u);  // entry 1: where its records would start
    EXPECT_EQ(u32_at(b, 28), 0u);
    EXPECT_EQ(u16_at(b, 32), 17);
    for (int f = 0; f < 3; ++f) {
        const size_t at = 36 + 12 * f;
        EXPECT_EQ(b[at], 10 * 0 + f);
        EXPECT_EQ(u16_at(b, at + 2), 300 + f);
        EXPECT_EQ(b[at + 4], 200 + f);
        EXPECT_EQ(u16_at(b, at + 6), 0x7805) << "frame " << f;
        EXPECT_EQ(u16_at(b, at + 8), 256 - f);
    }
    // The tables themselves are not changed by encoding.
    EXPECT_EQ(t->data.entries[0].offset, 999u);
    EXPECT_EQ(t->frames[0][1].clut, 0x2222);

    const auto entries = saved_pattern_entries(*t);
    EXPECT_EQ(entries[0].offset, 36u);
    EXPECT_EQ(entries[1].offset, 72u);
    EXPECT_EQ(entries[1].base_w, 17);
    EXPECT_EQ(entries[2].offset, 0u);  // beyond the pattern count
}

TEST(AnimationData, DecodingGivesBackWhatWasEncoded) {
    auto t = fresh_tables();
    t->data.header.tpage = 0x1C2;
    t->data.header.speed = 9;
    add_pattern(*t, 2, 5, 6);
    add_pattern(*t, 20, 300, 200);
    add_pattern(*t, 1, 1, 1);
    const AnimationDataResult r = decode_animation_data(encode_animation_data(*t, 0x0042));
    ASSERT_FALSE(r.refusal.refused());
    EXPECT_EQ(r.data.header.tpage, 0x1C2u);
    EXPECT_EQ(r.data.header.speed, 9u);
    EXPECT_EQ(r.data.header.pattern_count, 3u);
    EXPECT_EQ(r.data.entries[1].frame_count, 20u);
    EXPECT_EQ(r.data.entries[1].offset, 12u + 36u + 24u);
    EXPECT_EQ(r.data.entries[1].base_w, 300);
    for (int p = 0; p < 3; ++p)
        for (uint32_t f = 0; f < r.data.entries[p].frame_count; ++f) {
            FrameRecord expected = t->frames[p][f];
            expected.clut = 0x0042;
            EXPECT_EQ(std::memcmp(&r.data.frames[p][f], &expected, sizeof expected), 0) << p << " " << f;
        }
    EXPECT_EQ(r.data.frames[0][2].image_w, 0);  // beyond the counts everything is zero
}

TEST(AnimationData, RecordsAreReadInOrderWhateverTheOffsetFieldsSay) {
    std::vector<uint8_t> b = header(0, 0, 2);
    append_entry(b, 5000, 1, 3, 3);
    append_entry(b, 7, 2, 4, 4);
    for (uint8_t r = 1; r <= 3; ++r)
        for (int i = 0; i < 12; ++i) b.push_back(static_cast<uint8_t>(r * 16 + i));
    const AnimationDataResult d = decode_animation_data(b);
    ASSERT_FALSE(d.refusal.refused());
    EXPECT_EQ(d.data.frames[0][0].correction_x, 0x10);
    EXPECT_EQ(d.data.frames[1][0].correction_x, 0x20);
    EXPECT_EQ(d.data.frames[1][1].correction_x, 0x30);
    EXPECT_EQ(d.data.frames[1][1].clut, 0x3736);
}

TEST(AnimationData, FilesThatDoNotFitTheTablesOrEndEarlyAreRefused) {
    std::vector<uint8_t> good = header(0x80, 1, 2);
    append_entry(good, 36, 2, 1, 1);
    append_entry(good, 60, 1, 1, 1);
    good.resize(good.size() + 36, 0xAB);
    ASSERT_FALSE(decode_animation_data(good).refusal.refused());
    // Bytes after the last record are not looked at.
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_FALSE(decode_animation_data(longer).refusal.refused());

    struct Cut {
        size_t size;
        FileProblem problem;
        size_t needed;
    };
    for (const Cut& c : {Cut{0, FileProblem::HeaderShort, 12}, Cut{11, FileProblem::HeaderShort, 12},
                         Cut{12, FileProblem::EntriesShort, 36}, Cut{35, FileProblem::EntriesShort, 36},
                         Cut{36, FileProblem::RecordsShort, 72}, Cut{71, FileProblem::RecordsShort, 72}}) {
        SCOPED_TRACE(c.size);
        const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(c.size));
        const AnimationDataResult r = decode_animation_data(cut);
        EXPECT_EQ(r.refusal.problem, c.problem);
        EXPECT_EQ(r.refusal.needed, c.needed);
        EXPECT_EQ(r.refusal.actual, c.size);
        EXPECT_EQ(r.data.header.pattern_count, 0u) << "a refused file leaves nothing half read";
    }

    std::vector<uint8_t> patterns = header(0, 0, 13);
    patterns.resize(12 + 13 * 12, 0);
    AnimationDataResult r = decode_animation_data(patterns);
    EXPECT_EQ(r.refusal.problem, FileProblem::TooManyPatterns);
    EXPECT_EQ(r.refusal.value, 13u);

    std::vector<uint8_t> frames = header(0, 0, 2);
    append_entry(frames, 36, 20, 1, 1);
    append_entry(frames, 276, 21, 1, 1);
    frames.resize(36 + 41 * 12, 0);
    r = decode_animation_data(frames);
    EXPECT_EQ(r.refusal.problem, FileProblem::TooManyFrames);
    EXPECT_EQ(r.refusal.pattern, 1);
    EXPECT_EQ(r.refusal.value, 21u);
    // A huge count is refused by the count, not by a size computed from it.
    std::vector<uint8_t> huge = header(0, 0, 2);
    append_entry(huge, 36, 1, 1, 1);
    append_entry(huge, 48, 0xFFFFFFFFu, 1, 1);
    huge.resize(36 + 12, 0);
    const AnimationDataResult h = decode_animation_data(huge);
    EXPECT_EQ(h.refusal.problem, FileProblem::TooManyFrames);
    EXPECT_EQ(h.refusal.pattern, 1);
    EXPECT_EQ(h.refusal.value, 0xFFFFFFFFu);

    EXPECT_NE(refusal_text(r.refusal).find("21"), std::string::npos);
    EXPECT_NE(refusal_text(decode_animation_data(std::vector<uint8_t>(5, 0)).refusal).find('5'),
              std::string::npos);
}

// ---- project file ----------------------------------------------------------------

TEST(ProjectFile, IsTheNameTablesByteForByteAndReadsBack) {
    auto t = fresh_tables();
    std::strcpy(t->names.image_path, "C:\\画像\\sheet.bmp");
    set_label(t->names.project_name, "歩き");
    set_label(t->names.pattern_labels[1], "pattern_01");
    set_label(t->names.frame_labels[1][19], "最後");
    const std::vector<uint8_t> b = encode_project_file(t->names);
    ASSERT_EQ(b.size(), 8102u);
    EXPECT_EQ(std::memcmp(b.data(), &t->names, 8102), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()) + 902 + 600 + 30 * 19), "最後");

    const ProjectFileResult r = decode_project_file(b);
    ASSERT_FALSE(r.refusal.refused());
    EXPECT_EQ(std::memcmp(&r.names, &t->names, sizeof r.names), 0);
}

TEST(ProjectFile, AShortFileLeavesTheRestZeroAndEveryFieldMustHoldItsNul) {
    std::vector<uint8_t> b(600, 0);
    std::memcpy(b.data(), "a.bmp", 5);
    std::memcpy(b.data() + 512, "name", 4);
    ProjectFileResult r = decode_project_file(b);
    ASSERT_FALSE(r.refusal.refused());
    EXPECT_STREQ(r.names.project_name, "name");
    EXPECT_EQ(r.names.frame_labels[11][19][0], 0);

    struct Case {
        size_t at;
        NameField field;
        int pattern, frame;
    };
    for (const Case& c : {Case{0, NameField::ImagePath, -1, -1}, Case{512, NameField::ProjectName, -1, -1},
                          Case{542 + 30 * 11, NameField::PatternLabel, 11, -1},
                          Case{902 + 600 * 2 + 30 * 5, NameField::FrameLabel, 2, 5}}) {
        SCOPED_TRACE(c.at);
        std::vector<uint8_t> full(8102, 0);
        const size_t size = c.at == 0 ? 512 : 30;
        std::memset(full.data() + c.at, 'x', size);
        r = decode_project_file(full);
        EXPECT_EQ(r.refusal.problem, FileProblem::FieldWithoutNul);
        EXPECT_EQ(r.refusal.field, c.field);
        EXPECT_EQ(r.refusal.pattern, c.pattern);
        EXPECT_EQ(r.refusal.frame, c.frame);
        EXPECT_EQ(r.names.image_path[0], 0);
        // One byte short of the whole field leaves room for the NUL.
        full[c.at + size - 1] = 0;
        EXPECT_FALSE(decode_project_file(full).refusal.refused());
    }
    std::vector<uint8_t> bad(8102, 0);
    std::memset(bad.data() + 902 + 600 * 2 + 30 * 5, 'x', 30);
    EXPECT_EQ(refusal_text(decode_project_file(bad).refusal),
              "ﾌﾟﾛｼﾞｪｸﾄﾌｧｲﾙが壊れています.\nﾊﾟﾀｰﾝ2のﾌﾚｰﾑ5のﾗﾍﾞﾙに終端がありません.");
}

// ---- labels of an opened project ---------------------------------------------------

TEST(OpenedLabels, TheDataFileCountsDecideAndMissingLabelsAreGenerated) {
    auto t = fresh_tables();
    NameTables& n = t->names;
    set_label(n.pattern_labels[0], "walk");
    set_label(n.frame_labels[0][0], "step");
    set_label(n.frame_labels[0][3], "stray");  // beyond the data file's frames
    set_label(n.pattern_labels[2], "gone");    // beyond its patterns
    set_label(n.frame_labels[2][0], "gone too");
    AnimationDataContents d{};
    d.header.pattern_count = 2;
    d.entries[0].frame_count = 2;
    d.entries[1].frame_count = 3;
    reconcile_labels(n, d);
    EXPECT_STREQ(n.pattern_labels[0], "walk");
    EXPECT_STREQ(n.frame_labels[0][0], "step");
    EXPECT_STREQ(n.frame_labels[0][1], "frame_01");
    EXPECT_EQ(std::memcmp(n.frame_labels[0][3], std::string(30, '\0').data(), 30), 0);
    EXPECT_STREQ(n.pattern_labels[1], "pattern_01");
    EXPECT_STREQ(n.frame_labels[1][0], "frame_00");
    EXPECT_STREQ(n.frame_labels[1][2], "frame_02");
    EXPECT_EQ(std::memcmp(n.pattern_labels[2], std::string(30, '\0').data(), 30), 0);
    EXPECT_EQ(n.frame_labels[2][0][0], 0);
    // Generated labels are whole zero-filled fields, so saving them is reproducible.
    EXPECT_EQ(std::memcmp(n.frame_labels[1][2] + 9, std::string(21, '\0').data(), 21), 0);
}

// ---- file names ----------------------------------------------------------------------

TEST(FileNames, TheDataFileReplacesTheFirstProjectExtensionAndDropsTheRest) {
    EXPECT_EQ(data_path_for("/anim/walk.cwp"), "/anim/walk.spa");
    EXPECT_EQ(data_path_for("C:\\x.cwp\\y.cwp"), "C:\\x.spa");
    EXPECT_EQ(data_path_for("x.cwp/y.cwp"), "x.spa");
    EXPECT_EQ(data_path_for("walk.cwp.old"), "walk.spa");
    EXPECT_EQ(classify_path("a.cwp"), PathKind::ProjectFile);
    EXPECT_EQ(classify_path("a.spa.cwp"), PathKind::ProjectFile);
    EXPECT_EQ(classify_path("a.spa"), PathKind::DataFile);
    EXPECT_EQ(classify_path("A.CWP"), PathKind::Neither);  // case-sensitive
    EXPECT_EQ(classify_path("a.bmp"), PathKind::Neither);
    EXPECT_EQ(classify_path("/表/歩き.cwp"), PathKind::ProjectFile);
}

TEST(FileNames, ADataFileOnItsOwnIsNamedAfterItsFileName) {
    EXPECT_EQ(project_name_for_data_file("C:\\anim\\walk.spa"), "walk");
    EXPECT_EQ(project_name_for_data_file("/home/anim/walk.spa"), "walk");
    EXPECT_EQ(project_name_for_data_file("walk.spa"), "walk");
    EXPECT_EQ(project_name_for_data_file("/a/b.spa/c.spa"), "b");
    // 0x5C as the trail byte of "表" does not split the name.
    EXPECT_EQ(project_name_for_data_file("/anim/表示.spa"), "表示");
    EXPECT_EQ(project_name_for_data_file("C:\\表\\表.spa"), "表");
    // Longer than 29 bytes: cut on a character boundary.
    const std::string twenty_kanji = "漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字";
    EXPECT_EQ(project_name_for_data_file("/" + twenty_kanji + ".spa"), twenty_kanji.substr(0, 28));
    EXPECT_EQ(project_name_for_data_file("/a" + twenty_kanji + ".spa"), "a" + twenty_kanji.substr(0, 28));
}

// ---- configuration record ---------------------------------------------------------------

TEST(ConfigurationRecord, WithoutLineFeedsItIsStoredAsTheRecordItself) {
    Configuration c;
    c.main_width = 800;
    c.main_height = 600;
    c.recent[0] = "/a.cwp";
    c.background_fill[0] = 100;
    const std::vector<uint8_t> stored = encode_configuration(c);
    ASSERT_EQ(stored.size(), 2776u);
    EXPECT_EQ(u32_at(stored, 0), 800u);
    EXPECT_EQ(u32_at(stored, 4), 600u);
    EXPECT_EQ(u32_at(stored, 8), 200u);
    EXPECT_EQ(u32_at(stored, 104), 256u);
    EXPECT_EQ(u32_at(stored, 112), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(stored.data()) + 116), "/a.cwp");
    EXPECT_EQ(stored[116 + 511], 0);
    EXPECT_EQ(stored[116 + 512], 0);  // slot 2 is empty
    EXPECT_EQ(stored[2676], 100);
}

TEST(ConfigurationRecord, TheFillRecordKeepsItsHundredByteLayoutInEveryBuild) {
    // Raster operation SRCINVERT and a fill colour whose bytes are all different.
    const std::array<uint8_t, kFillRecordSize> bytes = encode_fill_record(FillRecord{0x00660046, 0x00A1B2C3});
    std::array<uint8_t, kFillRecordSize> expected{};
    expected[0] = 100;
    expected[8] = 0x46, expected[9] = 0x00, expected[10] = 0x66;
    expected[80] = 0xC3, expected[81] = 0xB2, expected[82] = 0xA1;
    EXPECT_EQ(bytes, expected);
    const FillRecord back = decode_fill_record(bytes);
    EXPECT_EQ(back.raster_operation, 0x00660046u);
    EXPECT_EQ(back.fill_colour, 0x00A1B2C3u);
    // What lies between the three fields is not read.
    std::array<uint8_t, kFillRecordSize> noisy = bytes;
    for (size_t i : {4u, 12u, 76u, 84u, 99u}) noisy[i] = 0xEE;
    EXPECT_EQ(decode_fill_record(noisy).fill_colour, 0x00A1B2C3u);
}

TEST(ConfigurationRecord, LineFeedsAreStoredAsCarriageReturnLineFeedAndReadBack) {
    Configuration c;
    c.pattern_client[0] = WindowSize{266, 200};
    c.new_window_style = 0x01000000;
    c.recent = {"/x/1.cwp", "/x/2.cwp", "/x/\n3.cwp", "", "/x/5.spa"};
    const std::vector<uint8_t> stored = encode_configuration(c);
    ASSERT_EQ(stored.size(), 2776u + 2);
    const std::vector<uint8_t> expected = {0x0D, 0x0A, 0x01, 0x00, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(stored.begin() + 8, stored.begin() + 13), expected);
    const Configuration back = decode_configuration(stored);
    EXPECT_EQ(back.pattern_client[0].width, 266u);
    EXPECT_EQ(back.pattern_client[0].height, 200u);
    EXPECT_EQ(back.new_window_style, 0x01000000u);
    EXPECT_EQ(back.recent, c.recent);
    EXPECT_TRUE(back.background_fill_read);
    // A carriage return that is not followed by a line feed is an ordinary byte.
    Configuration cr;
    cr.pattern_client[3] = WindowSize{0x10D, 0x0D0D};
    EXPECT_EQ(decode_configuration(encode_configuration(cr)).pattern_client[3].height, 0x0D0Du);
    EXPECT_EQ(newlines_from_stored(std::vector<uint8_t>{0x0D, 0x0D, 0x0A, 0x0A}),
              (std::vector<uint8_t>{0x0D, 0x0A, 0x0A}));
}

TEST(ConfigurationRecord, MissingAndImpossibleValuesKeepTheirInitialOnes) {
    const Configuration none = decode_configuration({});
    EXPECT_EQ(none.main_width, 640);
    EXPECT_EQ(none.main_height, 480);
    EXPECT_EQ(none.pattern_client[11].width, 200u);
    EXPECT_EQ(none.image_height, 256);
    EXPECT_FALSE(none.background_fill_read);

    Configuration c;
    c.main_width = 1024;
    c.recent[0] = "/kept.cwp";
    c.recent[1] = "/cut.cwp";
    std::vector<uint8_t> stored = encode_configuration(c);
    stored.resize(116 + 512 + 100);  // the second slot is cut
    Configuration back = decode_configuration(stored);
    EXPECT_EQ(back.main_width, 1024);
    EXPECT_EQ(back.recent[0], "/kept.cwp");
    EXPECT_EQ(back.recent[1], "");
    EXPECT_FALSE(back.background_fill_read);

    struct Bad {
        size_t at;
        uint32_t value;
    };
    for (const Bad& b : {Bad{0, 0}, Bad{4, 32768}, Bad{4, 0xFFFFFFFB}, Bad{8, 0x80000000}, Bad{108, 0}}) {
        SCOPED_TRACE(b.at);
        std::vector<uint8_t> s = encode_configuration(Configuration{});
        for (int i = 0; i < 4; ++i) s[b.at + i] = static_cast<uint8_t>(b.value >> (8 * i));
        back = decode_configuration(s);
        EXPECT_EQ(back.main_width, 640);
        EXPECT_EQ(back.main_height, 480);
        EXPECT_EQ(back.pattern_client[0].width, 200u);
        EXPECT_EQ(back.image_height, 256);
    }
    std::vector<uint8_t> s = encode_configuration(Configuration{});
    s[112] = 2;  // a style flag that is neither 0 nor WS_MAXIMIZE
    EXPECT_EQ(decode_configuration(s).new_window_style, 0u);
    std::memset(s.data() + 116, 'x', 512);  // a slot without its NUL
    EXPECT_EQ(decode_configuration(s).recent[0], "");
    s[4] = 0xFF;
    s[5] = 0x7F;  // 32767 is the largest side that is kept
    EXPECT_EQ(decode_configuration(s).main_height, 32767);
}

TEST(ConfigurationRecord, ARecentPathIsCutTo511BytesOnACharacterBoundary) {
    Configuration c;
    c.recent[0] = "/" + std::string(600, 'a');
    std::string edge = "/" + std::string(511, 'x');
    edge[510] = '\x95';  // "表" across the 511-byte edge
    edge[511] = '\x5C';
    c.recent[1] = edge;
    const std::vector<uint8_t> stored = encode_configuration(c);
    EXPECT_EQ(stored.size(), 2776u);
    const Configuration back = decode_configuration(stored);
    EXPECT_EQ(back.recent[0], c.recent[0].substr(0, 511));
    EXPECT_EQ(back.recent[1], edge.substr(0, 510));
    // A path that fits is kept byte for byte, even one that ends in a lone lead byte.
    c.recent[2] = "/a\x95";
    EXPECT_EQ(decode_configuration(encode_configuration(c)).recent[2], "/a\x95");
}

// ---- the sample files (also the fuzzers' seeds) ------------------------------------------

// Tables holding what a decoded data file holds, as opening a project puts it there.
std::unique_ptr<Tables> tables_from(const AnimationDataContents& d) {
    auto t = fresh_tables();
    t->data.header = d.header;
    for (int p = 0; p < kMaxPatterns; ++p) {
        t->data.entries[p] = d.entries[p];
        t->settings[p].base_w = d.entries[p].base_w;
        t->settings[p].base_h = d.entries[p].base_h;
        for (int f = 0; f < kMaxFrames; ++f) t->frames[p][f] = d.frames[p][f];
    }
    return t;
}

TEST(SampleFiles, EachReadsAndIsWrittenBackByteForByte) {
    const std::vector<uint8_t> cwp = read_file(kProjectDir + "walk.cwp");
    const ProjectFileResult project = decode_project_file(cwp);
    ASSERT_FALSE(project.refusal.refused());
    EXPECT_STREQ(project.names.project_name, "歩き");
    EXPECT_STREQ(project.names.pattern_labels[1], "待機");
    EXPECT_EQ(encode_project_file(project.names), cwp);

    for (const char* name : {"walk.spa", "full.spa"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> spa = read_file(kProjectDir + name);
        const AnimationDataResult data = decode_animation_data(spa);
        ASSERT_FALSE(data.refusal.refused());
        const auto t = tables_from(data.data);
        EXPECT_EQ(encode_animation_data(*t, data.data.frames[0][0].clut), spa);
    }
    EXPECT_EQ(read_file(kProjectDir + "full.spa").size(), kMaxDataFileSize);

    const std::vector<uint8_t> cfg = read_file(kProjectDir + "Celwin.cfg");
    const Configuration c = decode_configuration(cfg);
    EXPECT_EQ(c.main_width, 800);
    EXPECT_EQ(c.pattern_client[0].width, 266u);
    EXPECT_EQ(c.pattern_client[1].width, 282u);
    EXPECT_EQ(c.new_window_style, 0x01000000u);
    EXPECT_EQ(c.recent[1], "/anim/表示.cwp");
    EXPECT_EQ(encode_configuration(c), cfg);
}

}  // namespace
