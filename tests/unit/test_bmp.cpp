// The system bitmap loader: every good file of the BMP suite decodes to its reference
// picture, questionable and bad files never make it misbehave, and LoadImageA hands
// out a DIB section of the file's own depth.
#include <windows.h>

#include <gtest/gtest.h>

#include <QImage>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "gdi/bmp_decoder.h"
#include "gdi/pixels.h"
#include "text/cp932.h"
#include "build_paths.h"

namespace {

using cw::gdi::BmpError;
using cw::gdi::decode_bmp;
using cw::gdi::DecodedBmp;

const std::string kSuite = std::string(build_paths::source_dir) + "/tests/data/bmpsuite/";

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> files_in(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir((kSuite + folder).c_str())) {
        while (const dirent* e = readdir(dir)) {
            const std::string n = e->d_name;
            if (n.size() > 4 && n.compare(n.size() - 4, 4, ".bmp") == 0) names.push_back(folder + "/" + n);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// reference/map.json: one flat object of file name -> reference picture.
std::map<std::string, std::string> reference_map() {
    const std::vector<uint8_t> text = read_bytes(kSuite + "reference/map.json");
    std::vector<std::string> quoted;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '"') continue;
        const size_t end = std::find(text.begin() + i + 1, text.end(), '"') - text.begin();
        quoted.emplace_back(text.begin() + i + 1, text.begin() + end);
        i = end;
    }
    std::map<std::string, std::string> map;
    for (size_t i = 0; i + 1 < quoted.size(); i += 2) map[quoted[i]] = quoted[i + 1];
    return map;
}

cw::gdi::PixelBuffer view_of(DecodedBmp& d) {
    cw::gdi::PixelBuffer b;
    b.width = d.width;
    b.height = d.row_count();
    b.top = d.rows.data();
    b.pitch = d.stride;
    if (d.bit_count <= 8) {
        b.format = cw::gdi::indexed_format(d.bit_count);
        b.palette = d.colors.data();
        b.palette_size = static_cast<int>(d.colors.size());
    } else if (d.bit_count == 24) {
        b.format = cw::gdi::bgr24_format();
    } else {
        b.format = cw::gdi::masked_format(d.bit_count, d.masks[0], d.masks[1], d.masks[2]);
    }
    return b;
}

// How far a channel may be off the reference: exact from 8 bits up, otherwise half a
// step of the file's channel.
int tolerance(uint32_t mask) {
    const int bits = std::popcount(mask);
    return bits >= 8 || bits == 0 ? 0 : 255 / ((1 << bits) - 1) / 2 + 1;
}

// Little-endian builder for hand-made files.
struct Bytes {
    std::vector<uint8_t> b;
    Bytes& u8(uint32_t v) { return b.push_back(static_cast<uint8_t>(v)), *this; }
    Bytes& u16(uint32_t v) { return u8(v).u8(v >> 8); }
    Bytes& u32(uint32_t v) { return u16(v).u16(v >> 16); }
};

// A file with a 40-byte header, a colour table of `colors` entries (index i is grey i)
// and the given pixel bytes.
std::vector<uint8_t> make_bmp(int width, int height, int bpp, uint32_t compression, int colors,
                              const std::vector<uint8_t>& pixels, const std::vector<uint32_t>& masks = {}) {
    const uint32_t offset = 14 + 40 + 4 * static_cast<uint32_t>(masks.size()) + 4 * colors;
    Bytes f;
    f.u8('B').u8('M').u32(offset + static_cast<uint32_t>(pixels.size())).u32(0).u32(offset);
    f.u32(40).u32(static_cast<uint32_t>(width)).u32(static_cast<uint32_t>(height)).u16(1).u16(bpp);
    f.u32(compression).u32(static_cast<uint32_t>(pixels.size())).u32(2835).u32(2835).u32(colors).u32(0);
    for (uint32_t m : masks) f.u32(m);
    for (int i = 0; i < colors; ++i) f.u8(i).u8(i).u8(i).u8(0);
    f.b.insert(f.b.end(), pixels.begin(), pixels.end());
    return f.b;
}

uint8_t index_at(const DecodedBmp& d, int x, int y) {
    const uint8_t* row = d.rows.data() + static_cast<size_t>(y) * d.stride;
    return d.bit_count == 8 ? row[x] : static_cast<uint8_t>(x & 1 ? row[x / 2] & 0xF : row[x / 2] >> 4);
}

TEST(BmpDecoder, EveryGoodFileMatchesItsReference) {
    const auto map = reference_map();
    const auto names = files_in("g");
    ASSERT_GE(names.size(), 20u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        BmpError error;
        auto decoded = decode_bmp(read_bytes(kSuite + name), &error);
        ASSERT_TRUE(decoded) << static_cast<int>(error);
        ASSERT_TRUE(map.count(name));
        // A file with non-square pixels has its picture stretched ("-v") and as stored ("-e").
        std::string ref_name = map.at(name);
        if (const size_t v = ref_name.rfind("-v.png"); v != std::string::npos)
            ref_name.replace(v, 6, "-e.png");
        const QImage ref = QImage(QString::fromStdString(kSuite + "reference/" + ref_name))
                               .convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(ref.isNull());
        ASSERT_EQ(decoded->width, ref.width());
        ASSERT_EQ(decoded->row_count(), ref.height());
        const cw::gdi::PixelBuffer px = view_of(*decoded);
        const bool paletted = decoded->bit_count <= 8;
        const int tr = paletted ? 0 : tolerance(decoded->masks[0]);
        const int tg = paletted ? 0 : tolerance(decoded->masks[1]);
        const int tb = paletted ? 0 : tolerance(decoded->masks[2]);
        int mismatches = 0;
        for (int y = 0; y < px.height; ++y)
            for (int x = 0; x < px.width; ++x) {
                const COLORREF got = cw::gdi::raw_to_rgb(px, cw::gdi::read_raw(px, x, y));
                const QRgb want = ref.pixel(x, y);
                if (std::abs(GetRValue(got) - qRed(want)) > tr ||
                    std::abs(GetGValue(got) - qGreen(want)) > tg ||
                    std::abs(GetBValue(got) - qBlue(want)) > tb)
                    ++mismatches;
            }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST(BmpDecoder, TopDownKeepsItsNegativeHeightAndRowOrder) {
    auto bottom_up = decode_bmp(read_bytes(kSuite + "g/pal8.bmp"));
    auto top_down = decode_bmp(read_bytes(kSuite + "g/pal8topdown.bmp"));
    ASSERT_TRUE(bottom_up && top_down);
    EXPECT_GT(bottom_up->height, 0);
    EXPECT_EQ(top_down->height, -bottom_up->height);
    EXPECT_EQ(top_down->rows, bottom_up->rows);  // both hold the top row first
}

TEST(BmpDecoder, QuestionableBadAndForeignFilesNeverMisbehave) {
    // Each file is decoded whole and cut short at many lengths; under the sanitizers
    // any read outside the bytes fails the test.
    std::vector<std::string> names = files_in("q");
    for (const auto* folder : {"b", "x"})
        for (const std::string& n : files_in(folder)) names.push_back(n);
    ASSERT_GE(names.size(), 50u);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> bytes = read_bytes(kSuite + name);
        ASSERT_FALSE(bytes.empty());
        auto whole = decode_bmp(bytes);
        if (whole) {
            EXPECT_EQ(whole->rows.size(), static_cast<size_t>(whole->stride) * whole->row_count());
            if (whole->bit_count <= 8) {
                EXPECT_EQ(whole->colors.size(), 1u << whole->bit_count);
            }
        }
        for (size_t cut = 0; cut < bytes.size(); cut += 1 + bytes.size() / 64)
            (void)decode_bmp(std::span<const uint8_t>(bytes.data(), cut));
    }
}

TEST(BmpDecoder, RefusesWhatNoSystemLoaderReads) {
    struct Case {
        const char* file;
        BmpError why;
    };
    const Case cases[] = {
        {"x/ba-bm.bmp", BmpError::NotBmp},
        {"b/badbitcount.bmp", BmpError::BadHeader},
        {"b/badheadersize.bmp", BmpError::BadHeader},
        {"b/badplanes.bmp", BmpError::BadHeader},
        {"b/badwidth.bmp", BmpError::BadHeader},
        {"b/reallybig.bmp", BmpError::TooLarge},
        {"b/rletopdown.bmp", BmpError::Unsupported},
        {"b/shortfile.bmp", BmpError::Truncated},
        {"q/rgb24jpeg.bmp", BmpError::Unsupported},
        {"q/rgb24png.bmp", BmpError::Unsupported},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        BmpError error = BmpError::None;
        EXPECT_FALSE(decode_bmp(read_bytes(kSuite + c.file), &error));
        EXPECT_EQ(error, c.why);
    }
}

TEST(BmpDecoder, EveryPrefixOfAGoodFileIsRefusedOrWhole) {
    const std::vector<uint8_t> bytes = read_bytes(kSuite + "g/rgb24.bmp");
    auto whole = decode_bmp(bytes);
    ASSERT_TRUE(whole);
    for (size_t n = 0; n < bytes.size(); ++n) {
        auto part = decode_bmp(std::span<const uint8_t>(bytes.data(), n));
        // Only the padding of the last row may be missing.
        if (part) {
            EXPECT_EQ(part->rows, whole->rows) << n;
        }
    }
}

TEST(BmpDecoder, HugeDimensionsAreRefusedBeforeAnyAllocation) {
    for (auto [w, h] : {std::pair{0x7FFFFFFF, 1},
                        {1, 0x7FFFFFFF},
                        {1, static_cast<int>(0x80000000u)},
                        {16385, 1},
                        {16384, 16384}}) {
        BmpError error;
        EXPECT_FALSE(decode_bmp(make_bmp(w, h, 32, BI_RGB, 0, {}), &error)) << w << "x" << h;
        EXPECT_EQ(error, BmpError::TooLarge);
    }
    BmpError error;
    EXPECT_FALSE(decode_bmp(make_bmp(0, 1, 8, BI_RGB, 0, {}), &error));
    EXPECT_EQ(error, BmpError::BadHeader);
}

TEST(BmpDecoder, BitFieldsMustBeContiguousAndApart) {
    const std::vector<uint8_t> pixel = {0x12, 0x34, 0, 0};
    EXPECT_TRUE(decode_bmp(make_bmp(1, 1, 16, BI_BITFIELDS, 0, pixel, {0xF800, 0x07E0, 0x001F})));
    EXPECT_TRUE(decode_bmp(make_bmp(1, 1, 16, BI_BITFIELDS, 0, pixel, {0xFF00, 0x00FF, 0})));
    EXPECT_FALSE(decode_bmp(make_bmp(1, 1, 16, BI_BITFIELDS, 0, pixel, {0xF00F, 0x07E0, 0x0010})));
    EXPECT_FALSE(decode_bmp(make_bmp(1, 1, 16, BI_BITFIELDS, 0, pixel, {0xF800, 0x0FE0, 0x001F})));
    EXPECT_FALSE(decode_bmp(make_bmp(1, 1, 16, BI_BITFIELDS, 0, pixel, {0x1F0000, 0x07E0, 0x001F})));
    EXPECT_FALSE(decode_bmp(make_bmp(1, 1, 24, BI_BITFIELDS, 0, pixel, {0xFF0000, 0xFF00, 0xFF})));
}

TEST(BmpDecoder, Rle8FollowsDeltasAndLeavesUntouchedPixelsAtIndexZero) {
    // 4 x 3, bottom row first: run of 2 x 7, end of line; delta (1, 1) to (1, 2); an odd
    // absolute run of 3 (padded); a run that spills past the row end; end of bitmap.
    const std::vector<uint8_t> rle = {2, 7, 0, 0, 0, 2, 1, 1, 0, 3, 4, 5, 6, 0, 9, 9, 0, 1};
    auto d = decode_bmp(make_bmp(4, 3, 8, BI_RLE8, 16, rle));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->bit_count, 8);
    const uint8_t want[3][4] = {{0, 4, 5, 6}, {0, 0, 0, 0}, {7, 7, 0, 0}};  // top row first
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(index_at(*d, x, y), want[y][x]) << x << "," << y;
}

TEST(BmpDecoder, Rle4AlternatesNibblesHighFirst) {
    // 7 x 1: run of 3 alternating 1, 2; absolute run of 3 pixels A, B, C (two bytes, a
    // whole word, so no padding); run of 1.
    const std::vector<uint8_t> rle = {3, 0x12, 0, 3, 0xAB, 0xC0, 1, 0x50, 0, 1};
    auto d = decode_bmp(make_bmp(7, 1, 4, BI_RLE4, 16, rle));
    ASSERT_TRUE(d);
    const uint8_t want[7] = {1, 2, 1, 0xA, 0xB, 0xC, 5};
    for (int x = 0; x < 7; ++x) EXPECT_EQ(index_at(*d, x, 0), want[x]) << x;
}

TEST(BmpDecoder, RleCutShortKeepsWhatItHas) {
    const std::vector<uint8_t> rle = {4, 3, 0};  // a run, then half a code
    auto d = decode_bmp(make_bmp(4, 2, 8, BI_RLE8, 4, rle));
    ASSERT_TRUE(d);
    EXPECT_EQ(index_at(*d, 0, 1), 3);  // bottom row
    EXPECT_EQ(index_at(*d, 0, 0), 0);
}

TEST(BmpDecoder, ShortColourTableIsPaddedWithBlack) {
    auto d = decode_bmp(make_bmp(1, 1, 8, BI_RGB, 2, {200, 0, 0, 0}));
    ASSERT_TRUE(d);
    ASSERT_EQ(d->colors.size(), 256u);
    EXPECT_EQ(d->colors[1].rgbRed, 1);
    EXPECT_EQ(d->colors[200].rgbRed, 0);
}

class BmpFileLoad : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = ::testing::TempDir() + "cw_bmp_XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        for (const std::string& f : written_) unlink(f.c_str());
        rmdir(dir_.c_str());
    }
    // Writes bytes to a file named by UTF-8 `name`; returns its path in CP932.
    std::string put(const std::string& utf8_name, const std::vector<uint8_t>& bytes) {
        const std::string path = path_of(utf8_name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        written_.push_back(path);
        return cw::text::utf8_to_cp932(path);
    }
    std::string path_of(const std::string& utf8_name) const { return dir_ + "/" + utf8_name; }
    std::string dir_;
    std::vector<std::string> written_;
};

TEST_F(BmpFileLoad, GivesADibSectionOfTheFilesDepthAndSize) {
    const std::string path = put("\xE7\x94\xBB\xE5\x83\x8F.bmp", read_bytes(kSuite + "g/pal8topdown.bmp"));
    HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, 0x2010));
    ASSERT_NE(bmp, nullptr);
    BITMAP bm{};
    ASSERT_EQ(GetObjectA(bmp, sizeof bm, &bm), static_cast<int>(sizeof bm));
    EXPECT_EQ(bm.bmWidth, 127);
    EXPECT_EQ(bm.bmHeight, 64);  // rows, positive also for a top-down file
    EXPECT_EQ(bm.bmBitsPixel, 8);
    EXPECT_NE(bm.bmBits, nullptr);
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectA(bmp, sizeof ds, &ds), static_cast<int>(sizeof ds));
    EXPECT_EQ(ds.dsBmih.biHeight, -64);

    // Its pixels read back through a memory DC as the reference shows them.
    const QImage ref =
        QImage(QString::fromStdString(kSuite + "reference/pal8.png")).convertToFormat(QImage::Format_RGB32);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    for (auto [x, y] : {std::pair{0, 0}, {126, 0}, {0, 63}, {60, 30}}) {
        const QRgb want = ref.pixel(x, y);
        EXPECT_EQ(GetPixel(dc, x, y), RGB(qRed(want), qGreen(want), qBlue(want))) << x << "," << y;
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(bmp));
}

TEST_F(BmpFileLoad, KeepsLowDepthsForTheCallerToRefuse) {
    const std::string path = put("one.bmp", read_bytes(kSuite + "g/pal1.bmp"));
    HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, 0x2010));
    ASSERT_NE(bmp, nullptr);
    BITMAP bm{};
    GetObjectA(bmp, sizeof bm, &bm);
    EXPECT_EQ(bm.bmBitsPixel, 1);
    DeleteObject(bmp);
}

TEST_F(BmpFileLoad, GivesNothingForMissingOrBrokenFiles) {
    const std::string missing = cw::text::utf8_to_cp932(path_of("missing.bmp"));
    EXPECT_EQ(LoadImageA(nullptr, missing.c_str(), IMAGE_BITMAP, 0, 0, 0x2010), nullptr);
    const std::string broken = put("broken.bmp", read_bytes(kSuite + "b/badplanes.bmp"));
    EXPECT_EQ(LoadImageA(nullptr, broken.c_str(), IMAGE_BITMAP, 0, 0, 0x2010), nullptr);
    const std::string good = put("good.bmp", read_bytes(kSuite + "g/rgb24.bmp"));
    EXPECT_EQ(LoadImageA(nullptr, good.c_str(), IMAGE_ICON, 0, 0, 0x2010), nullptr);
}

}  // namespace
