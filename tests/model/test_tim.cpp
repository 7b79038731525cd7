// TIM decoding: the shipped sample files with their header values, the pixel
// conversions of the four modes, and the refusal of files that do not fit.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "files/tim.h"
#include "build_paths.h"

namespace {

using tim::TimError;

const std::string kTimDir = std::string(build_paths::source_dir) + "/tests/data/tim/";

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The manifest is a flat array of flat objects; each entry maps a key to its raw value text.
struct ManifestEntry {
    std::string text;
    std::string raw(const std::string& key) const {
        const size_t k = text.find("\"" + key + "\"");
        if (k == std::string::npos) return {};
        size_t v = text.find(':', k) + 1;
        while (text[v] == ' ') ++v;
        size_t end = text.find_first_of(",\n}", v);
        std::string value = text.substr(v, end - v);
        if (!value.empty() && value.front() == '"') value = value.substr(1, value.size() - 2);
        return value;
    }
    int number(const std::string& key) const { return std::atoi(raw(key).c_str()); }
};

std::vector<ManifestEntry> read_manifest() {
    const std::vector<uint8_t> bytes = read_file(kTimDir + "manifest.json");
    const std::string all(bytes.begin(), bytes.end());
    std::vector<ManifestEntry> out;
    for (size_t open = all.find('{'); open != std::string::npos; open = all.find('{', open + 1))
        out.push_back(ManifestEntry{all.substr(open, all.find('}', open) - open)});
    return out;
}

void put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
    put16(v, static_cast<uint16_t>(x));
    put16(v, static_cast<uint16_t>(x >> 16));
}

// A TIM file: header, optional CLUT block (rows of `clut` entries), pixel block.
struct TimFields {
    uint32_t flags = 1;
    std::vector<std::vector<uint16_t>> clut_rows;
    uint16_t clut_x = 0, clut_y = 0;
    uint16_t x = 0, y = 0, width_words = 1, height = 1;
    std::vector<uint8_t> pixels;
    int pixel_length_adjust = 0;  // added to the pixel block's stored length
};

std::vector<uint8_t> make_tim(const TimFields& s) {
    std::vector<uint8_t> v;
    put32(v, 0x10);
    put32(v, s.flags);
    if (s.flags & 8) {
        const uint16_t entries = s.clut_rows.empty() ? 0 : static_cast<uint16_t>(s.clut_rows[0].size());
        put32(v, static_cast<uint32_t>(12 + 2 * entries * s.clut_rows.size()));
        put16(v, s.clut_x);
        put16(v, s.clut_y);
        put16(v, entries);
        put16(v, static_cast<uint16_t>(s.clut_rows.size()));
        for (const auto& row : s.clut_rows)
            for (uint16_t c : row) put16(v, c);
    }
    put32(v, static_cast<uint32_t>(12 + static_cast<int>(s.pixels.size()) + s.pixel_length_adjust));
    put16(v, s.x);
    put16(v, s.y);
    put16(v, s.width_words);
    put16(v, s.height);
    v.insert(v.end(), s.pixels.begin(), s.pixels.end());
    return v;
}

struct Colour {
    int r, g, b;
    bool operator==(const Colour&) const = default;
};

// The colour of pixel (x, y) of a decoded image, through its colour table when it has one.
Colour pixel(const tim::TimImage& img, int x, int y) {
    const uint8_t* row = img.bits.data() + static_cast<size_t>(img.stride) * y;
    int index = -1;
    if (img.bits_per_pixel == 4) index = (x & 1) ? row[x / 2] & 0xF : row[x / 2] >> 4;
    if (img.bits_per_pixel == 8) index = row[x];
    if (index < 0) return Colour{row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    if (index >= img.clut_entries) return Colour{0, 0, 0};
    const uint8_t* q = img.colour_table.data() + 4 * index;
    return Colour{q[2], q[1], q[0]};
}

TEST(TimFiles, EverySampleDecodesWithTheHeaderValuesOfTheManifest) {
    const std::vector<ManifestEntry> files = read_manifest();
    ASSERT_GE(files.size(), 9u);
    for (const ManifestEntry& m : files) {
        const std::string name = m.raw("file");
        SCOPED_TRACE(name);
        const std::vector<uint8_t> bytes = read_file(kTimDir + name);
        ASSERT_EQ(bytes.size(), static_cast<size_t>(m.number("size")));
        const tim::TimResult r = tim::decode_tim(bytes);
        // A file whose pixel block holds fewer bytes than its rows (width_words * 2 each) is refused.
        const int clut_bytes = m.raw("has_clut") == "true" ? 12 + 2 * m.number("clut_entries") : 0;
        const int rows_need = 8 + clut_bytes + 12 + 2 * m.number("width_words") * m.number("height");
        if (m.number("size") < rows_need) {
            EXPECT_EQ(r.error, TimError::PixelsShort);
            continue;
        }
        ASSERT_EQ(r.error, TimError::None);
        const tim::TimImage& img = r.image;
        EXPECT_EQ(img.mode, m.number("mode"));
        EXPECT_EQ(img.width, m.number("pixel_width"));
        EXPECT_EQ(img.height, m.number("height"));
        EXPECT_EQ(img.image_x, m.number("image_x"));
        EXPECT_EQ(img.image_y, m.number("image_y"));
        EXPECT_EQ(img.has_clut, (m.raw("has_clut") == "true"));
        EXPECT_EQ(img.clut_entries, m.number("clut_entries"));
        EXPECT_EQ(static_cast<int>(img.tpage), m.number("tpage"));
        EXPECT_EQ(img.clut_attribute, m.number("clut_attribute"));
        EXPECT_EQ(img.bits_per_pixel, img.mode == 0 ? 4 : img.mode == 1 ? 8 : 24);
        EXPECT_EQ(img.stride % 4, 0);
        EXPECT_EQ(img.bits.size(), static_cast<size_t>(img.stride) * img.height);
    }
}

TEST(TimFiles, TheFourModesOfTheSheetShowTheSamePicture) {
    // The 24-bit sheet is the original; the others hold its colours to 5 bits a channel.
    const tim::TimResult full = tim::decode_tim(read_file(kTimDir + "sheet_24bit_0_0.tim"));
    ASSERT_EQ(full.error, TimError::None);
    int coloured = 0;
    for (const char* name : {"sheet_16bit_640_0.tim", "sheet_8bit_896_0_clut0_500.tim",
                             "sheet_4bit_768_256_clut16_481.tim", "sheet_16bit_stpblack_64_256.tim"}) {
        SCOPED_TRACE(name);
        const tim::TimResult r = tim::decode_tim(read_file(kTimDir + name));
        ASSERT_EQ(r.error, TimError::None);
        ASSERT_EQ(r.image.width, 64);
        ASSERT_EQ(r.image.height, 48);
        int mismatches = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const Colour a = pixel(full.image, x, y), b = pixel(r.image, x, y);
                if (!(Colour{a.r & 0xF8, a.g & 0xF8, a.b & 0xF8} == b)) ++mismatches;
                if (a.r || a.g || a.b) ++coloured;
            }
        EXPECT_EQ(mismatches, 0);
    }
    EXPECT_GT(coloured, 0);  // the comparison was not between two black pictures
    EXPECT_EQ(pixel(full.image, 0, 0), (Colour{0, 0, 0}));
}

TEST(TimPixels, FourBitBytesShowTheirLowNibbleFirst) {
    TimFields s;
    s.flags = 8 | 0;
    s.clut_rows = {{0x0000, 0x001F, 0x03E0, 0x7C00}};
    s.width_words = 1;
    s.pixels = {0x21, 0x03};
    const tim::TimResult r = tim::decode_tim(make_tim(s));
    ASSERT_EQ(r.error, TimError::None);
    EXPECT_EQ(r.image.width, 4);
    EXPECT_EQ(r.image.bits[0], 0x12);
    EXPECT_EQ(r.image.bits[1], 0x30);
    EXPECT_EQ(pixel(r.image, 0, 0), (Colour{248, 0, 0}));  // index 1
    EXPECT_EQ(pixel(r.image, 1, 0), (Colour{0, 248, 0}));  // index 2
    EXPECT_EQ(pixel(r.image, 2, 0), (Colour{0, 0, 248}));  // index 3
}

TEST(TimPixels, DirectModesConvertToBlueGreenRedRowsPaddedToFourBytes) {
    TimFields s;
    s.flags = 2;  // 15-bit, no CLUT
    s.width_words = 1;
    s.height = 2;
    s.pixels = {0xFF, 0x7F, 0x1F, 0x80};  // 0x7FFF, then 0x801F: bit 15 is ignored
    tim::TimResult r = tim::decode_tim(make_tim(s));
    ASSERT_EQ(r.error, TimError::None);
    EXPECT_EQ(r.image.stride, 4);
    EXPECT_EQ(pixel(r.image, 0, 0), (Colour{248, 248, 248}));
    EXPECT_EQ(pixel(r.image, 0, 1), (Colour{248, 0, 0}));
    EXPECT_TRUE(r.image.colour_table.empty());
    EXPECT_EQ(r.image.clut_attribute, 0);

    s.flags = 3;  // 24-bit: 3 words hold two pixels, stored red, green, blue
    s.width_words = 3;
    s.height = 2;
    s.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    r = tim::decode_tim(make_tim(s));
    ASSERT_EQ(r.error, TimError::None);
    EXPECT_EQ(r.image.width, 2);
    EXPECT_EQ(r.image.stride, 8);
    EXPECT_EQ(pixel(r.image, 0, 0), (Colour{1, 2, 3}));
    EXPECT_EQ(pixel(r.image, 1, 0), (Colour{4, 5, 6}));
    EXPECT_EQ(pixel(r.image, 0, 1), (Colour{7, 8, 9}));  // source rows are not padded

    s.width_words = 4;  // still two pixels, but each row is four words: the next row starts at byte 8
    s.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    r = tim::decode_tim(make_tim(s));
    ASSERT_EQ(r.error, TimError::None);
    EXPECT_EQ(r.image.width, 2);
    EXPECT_EQ(pixel(r.image, 1, 0), (Colour{4, 5, 6}));
    EXPECT_EQ(pixel(r.image, 0, 1), (Colour{9, 10, 11}));
    EXPECT_EQ(pixel(r.image, 1, 1), (Colour{12, 13, 14}));

    // Rows of six bytes a row, as if the width were the pixels alone, are too short for it.
    s.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(tim::decode_tim(make_tim(s)).error, TimError::PixelsShort);
}

TEST(TimFiles, ATwentyFourBitSampleWithRowsShorterThanItsWidthIsRefused) {
    // 191 words make 382 bytes a row, but the pixel block holds 381 a row.
    const tim::TimResult r = tim::decode_tim(read_file(kTimDir + "rgb24_512_256.tim"));
    EXPECT_EQ(r.error, TimError::PixelsShort);
    EXPECT_TRUE(r.image.bits.empty());
}

TEST(TimPixels, EightBitRowsAreCopiedAndTheSecondClutRowIsSkipped) {
    TimFields s;
    s.flags = 8 | 1;
    s.clut_rows = {{0x0000, 0x001F}, {0x7FFF, 0x7FFF}};
    s.clut_x = 80;
    s.clut_y = 480;
    s.x = 640;
    s.y = 256;
    s.width_words = 1;
    s.height = 2;
    s.pixels = {1, 0, 0, 1};
    const tim::TimResult r = tim::decode_tim(make_tim(s));
    ASSERT_EQ(r.error, TimError::None);
    EXPECT_EQ(r.image.clut_entries, 2);
    EXPECT_EQ(pixel(r.image, 0, 0), (Colour{248, 0, 0}));
    EXPECT_EQ(pixel(r.image, 1, 0), (Colour{0, 0, 0}));
    EXPECT_EQ(pixel(r.image, 1, 1), (Colour{248, 0, 0}));
    EXPECT_EQ(r.image.tpage, 154u);
    EXPECT_EQ(r.image.clut_attribute, 30725);
}

TEST(TimLimits, TwoHundredFiftySixPixelsLoadAndOneMoreIsRefused) {
    TimFields s;
    s.flags = 3;
    s.width_words = 384;  // 256 pixels
    s.pixels.assign(768, 0);
    tim::TimResult r = tim::decode_tim(make_tim(s));
    ASSERT_EQ(r.error, TimError::None);
    EXPECT_EQ(r.image.width, 256);

    s.width_words = 387;  // 258 pixels
    s.pixels.assign(774, 0);
    EXPECT_EQ(tim::decode_tim(make_tim(s)).error, TimError::TooLarge);

    s.flags = 2;
    s.width_words = 1;
    s.height = 257;
    s.pixels.assign(2 * 257, 0);
    EXPECT_EQ(tim::decode_tim(make_tim(s)).error, TimError::TooLarge);
}

TEST(TimRefusals, MalformedFilesAreRefusedWithTheirReason) {
    TimFields base;
    base.flags = 2;
    base.width_words = 2;
    base.height = 2;
    base.pixels.assign(8, 0);
    ASSERT_EQ(tim::decode_tim(make_tim(base)).error, TimError::None);

    for (uint32_t mode = 4; mode <= 7; ++mode) {
        TimFields s = base;
        s.flags = mode;
        EXPECT_EQ(tim::decode_tim(make_tim(s)).error, TimError::UnsupportedMode) << mode;
    }
    TimFields clut = base;
    clut.flags = 8 | 1;
    clut.clut_rows = {std::vector<uint16_t>(257, 0)};
    EXPECT_EQ(tim::decode_tim(make_tim(clut)).error, TimError::ClutTooLarge);
    clut.clut_rows = {std::vector<uint16_t>(256, 0)};
    EXPECT_EQ(tim::decode_tim(make_tim(clut)).error, TimError::None);

    TimFields short_block = base;
    short_block.pixel_length_adjust = -1;
    EXPECT_EQ(tim::decode_tim(make_tim(short_block)).error, TimError::PixelsShort);
    short_block.pixel_length_adjust = -20;  // a block length below its own header
    EXPECT_EQ(tim::decode_tim(make_tim(short_block)).error, TimError::PixelsShort);

    TimFields empty = base;
    empty.height = 0;
    EXPECT_EQ(tim::decode_tim(make_tim(empty)).error, TimError::EmptyImage);
    empty = base;
    empty.flags = 3;
    empty.width_words = 2;  // fewer than three words hold no 24-bit pixel
    EXPECT_EQ(tim::decode_tim(make_tim(empty)).error, TimError::EmptyImage);
}

TEST(TimRefusals, EveryCutOfARealFileIsRefusedAsTruncated) {
    const std::vector<uint8_t> bytes = read_file(kTimDir + "pal8_640_256_clut80_480.tim");
    ASSERT_FALSE(bytes.empty());
    // 8 + 12 + 512 + 12 + 63 * 2 * 64: anything shorter lacks part of a header, the CLUT or the rows.
    const size_t needed = 8 + 12 + 512 + 12 + 63 * 2 * 64;
    for (size_t n = 0; n < needed; n += (n < 600 ? 1 : 97)) {
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + n);
        EXPECT_EQ(tim::decode_tim(cut).error, TimError::Truncated) << n;
    }
    const std::vector<uint8_t> enough(bytes.begin(), bytes.begin() + needed);
    EXPECT_EQ(tim::decode_tim(enough).error, TimError::None);
}

TEST(TimFrameBuffer, TheWordsAndEveryClutRowAreKeptAsStoredWithTheirStpBits) {
    TimFields s;
    s.flags = 8 | 0;
    s.clut_rows = {{0x0000, 0x801F, 0x03E0, 0x7C00}, {0x1234, 0x8000, 0x0001, 0x0002}};
    s.clut_x = 32;
    s.clut_y = 500;
    s.x = 704;
    s.y = 256;
    s.width_words = 2;
    s.height = 2;
    s.pixels = {0x21, 0x03, 0xF0, 0x0E, 0x01, 0x00, 0x00, 0x80};
    const tim::TimResult r = tim::decode_tim(make_tim(s));
    ASSERT_EQ(r.error, TimError::None);
    const tim::TimImage& img = r.image;
    EXPECT_EQ(img.width_words, 2);
    EXPECT_EQ(img.clut_rows, 2);
    EXPECT_EQ(img.clut,
              (std::vector<uint16_t>{0x0000, 0x801F, 0x03E0, 0x7C00, 0x1234, 0x8000, 0x0001, 0x0002}));
    EXPECT_EQ(img.words, (std::vector<uint16_t>{0x0321, 0x0EF0, 0x0001, 0x8000}));
    // Texels of the 4-bit mode, the first in the low nibble, and what the DIB shows agree.
    const int expected[2][8] = {{1, 2, 3, 0, 0, 15, 14, 0}, {1, 0, 0, 0, 0, 0, 0, 8}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(tim::tim_texel(img, x, y), expected[y][x]) << x << "," << y;
            const uint8_t byte = img.bits[static_cast<size_t>(y) * img.stride + x / 2];
            EXPECT_EQ(x % 2 ? byte & 0xF : byte >> 4, expected[y][x]) << x << "," << y;
        }
    EXPECT_EQ(tim::tim_texel(img, 8, 0), 0);  // outside the picture

    // A CLUT block shorter than its rows keeps the rows it holds in full.
    std::vector<uint8_t> bytes = make_tim(s);
    bytes[8] = 12 + 8 + 4;  // the block length: one row and half of the next
    std::vector<uint8_t> fixed(bytes.begin(), bytes.begin() + 8 + 24);
    fixed.insert(fixed.end(), bytes.begin() + 8 + 28, bytes.end());  // the pixel block follows the cut
    const tim::TimResult cut = tim::decode_tim(fixed);
    ASSERT_EQ(cut.error, TimError::None);
    EXPECT_EQ(cut.image.clut_rows, 1);
    EXPECT_EQ(cut.image.clut.size(), 4u);
}

TEST(TimFrameBuffer, EightAndFifteenBitTexelsAreTheIndexAndTheStoredWord) {
    TimFields s;
    s.flags = 8 | 1;
    s.clut_rows = {std::vector<uint16_t>(256, 0x7FFF)};
    s.width_words = 1;
    s.pixels = {0xC8, 0x07};
    tim::TimResult r = tim::decode_tim(make_tim(s));
    ASSERT_EQ(r.error, TimError::None);
    EXPECT_EQ(tim::tim_texel(r.image, 0, 0), 0xC8);
    EXPECT_EQ(tim::tim_texel(r.image, 1, 0), 0x07);
    s.flags = 2;
    s.pixels = {0x1F, 0x80};
    r = tim::decode_tim(make_tim(s));
    ASSERT_EQ(r.error, TimError::None);
    EXPECT_EQ(tim::tim_texel(r.image, 0, 0), 0x801F);  // the STP bit stays
}

TEST(TimFrameBuffer, EncodingGivesTheFileBackAndDecodingTheEncodingThePicture) {
    struct Sample {
        const char* name;
        bool same_bytes;  // two samples hold 64 bytes past their rows in the pixel block, which go
    };
    const Sample samples[] = {{"pal4_640_0_clut0_480.tim", false},
                              {"pal8_640_256_clut80_480.tim", false},
                              {"rgb16_320_0.tim", true},
                              {"sheet_4bit_768_256_clut16_481.tim", true},
                              {"sheet_8bit_896_0_clut0_500.tim", true},
                              {"sheet_16bit_stpblack_64_256.tim", true},
                              {"sheet_24bit_0_0.tim", true}};
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.name);
        const std::vector<uint8_t> bytes = read_file(kTimDir + sample.name);
        const tim::TimResult r = tim::decode_tim(bytes);
        ASSERT_EQ(r.error, TimError::None);
        const std::vector<uint8_t> again = tim::encode_tim(r.image);
        if (sample.same_bytes) {
            EXPECT_EQ(again, bytes);
        }
        const tim::TimResult back = tim::decode_tim(again);
        ASSERT_EQ(back.error, TimError::None);
        EXPECT_EQ(back.image.words, r.image.words);
        EXPECT_EQ(back.image.clut, r.image.clut);
        EXPECT_EQ(back.image.bits, r.image.bits);
        EXPECT_EQ(back.image.colour_table, r.image.colour_table);
        EXPECT_EQ(back.image.tpage, r.image.tpage);
        EXPECT_EQ(back.image.clut_attribute, r.image.clut_attribute);
    }
}

}  // namespace
