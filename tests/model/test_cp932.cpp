// CP932 conversion, truncation and boundary-aware search. This file is compiled with
// the program's execution charset, so a plain Japanese literal is CP932 bytes and a
// u8 literal is UTF-8.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text/cp932.h"

namespace {

using cw::text::copy_truncated;
using cw::text::cp932_to_utf8;
using cw::text::find;
using cw::text::rfind_char;
using cw::text::truncated_length;
using cw::text::utf8_to_cp932;
constexpr size_t npos = std::string_view::npos;

std::string u8s(const char8_t* s) {
    return std::string(reinterpret_cast<const char*>(s));
}

const std::string kFffd = "\xEF\xBF\xBD";

TEST(Cp932, LiteralsAreCp932Bytes) {
    // Everything below relies on the build's charset flags.
    EXPECT_EQ(std::string("ｱ"), "\xB1");
    EXPECT_EQ(std::string("表"), "\x95\x5C");
}

TEST(Cp932, HalfWidthKatakanaAndKanjiRoundTrip) {
    const std::string cp932 = "ﾌｧｲﾙを開く 表示 能力 ソフト ①";
    const std::string utf8 = u8s(u8"ﾌｧｲﾙを開く 表示 能力 ソフト ①");
    EXPECT_EQ(cp932_to_utf8(cp932), utf8);
    bool lossless = false;
    EXPECT_EQ(utf8_to_cp932(utf8, &lossless), cp932);
    EXPECT_TRUE(lossless);
    // Backslash and tilde stay ASCII in both directions.
    EXPECT_EQ(cp932_to_utf8("C:\\a~b"), "C:\\a~b");
    EXPECT_EQ(utf8_to_cp932("C:\\a~b"), "C:\\a~b");
}

TEST(Cp932, InvalidBytesBecomeVisibleReplacements) {
    EXPECT_EQ(cp932_to_utf8("a\x80"
                            "b"),
              "a" + kFffd + "b");
    EXPECT_EQ(cp932_to_utf8("\xA0\xFD\xFE\xFF"), kFffd + kFffd + kFffd + kFffd);
    // A lone lead byte at the end, and a lead byte before a byte that cannot trail:
    // the lead is replaced, the following character is kept.
    EXPECT_EQ(cp932_to_utf8("A\x81"), "A" + kFffd);
    EXPECT_EQ(cp932_to_utf8("\x81 B"), kFffd + " B");
    // A well-formed but unassigned pair is one character, so one replacement; its
    // trail byte 0x5C must not come out as a backslash.
    EXPECT_EQ(cp932_to_utf8("\x85\x40x"), kFffd + "x");
    EXPECT_EQ(cp932_to_utf8("\x85\x5C"), kFffd);
    // Embedded NULs are text like any other byte, not an end.
    EXPECT_EQ(cp932_to_utf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp932, EveryByteSequenceDecodesToAStableText) {
    // Decoding never drops a byte unaccounted for, and a decoded text survives a trip
    // back to CP932 and again to UTF-8 unchanged (duplicate codes may pick another
    // CP932 form, but the same character).
    for (int b = 0; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::string u = cp932_to_utf8(one);
        ASSERT_FALSE(u.empty()) << b;
        if (b < 0x80) {
            EXPECT_EQ(u, one);
        }
    }
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!cw::text::is_lead_byte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0; trail < 256; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            const std::string u = cp932_to_utf8(pair);
            ASSERT_FALSE(u.empty());
            if (u.find(kFffd) != std::string::npos) continue;
            ++mapped;
            bool lossless = false;
            const std::string back = utf8_to_cp932(u, &lossless);
            ASSERT_TRUE(lossless) << std::hex << lead << " " << trail;
            ASSERT_EQ(cp932_to_utf8(back), u) << std::hex << lead << " " << trail;
        }
    }
    EXPECT_GT(mapped, 7000);  // the JIS rows and the vendor extensions
}

TEST(Cp932, UnmappableCharactersBecomeQuestionMarks) {
    bool lossless = true;
    EXPECT_EQ(utf8_to_cp932(u8s(u8"caf\u00e9 \U0001F600!"), &lossless), "caf? ?!");
    EXPECT_FALSE(lossless);
    // Never silently turned into an ASCII byte of another meaning (a path separator).
    lossless = true;
    EXPECT_EQ(utf8_to_cp932(u8s(u8"a\u00a5b\u203e"), &lossless), "a?b?");
    EXPECT_FALSE(lossless);
    // The JIS wave dash has a CP932 form that reads back as the full-width tilde:
    // kept, but reported as not exact, so a file name using it can be refused.
    lossless = true;
    EXPECT_EQ(utf8_to_cp932(u8s(u8"\u301c"), &lossless), "\x81\x60");
    EXPECT_FALSE(lossless);
    EXPECT_EQ(utf8_to_cp932(u8s(u8"\uFFFD")), "?");
}

TEST(Cp932, MalformedUtf8IsReplacedByteByByte) {
    bool lossless = true;
    EXPECT_EQ(utf8_to_cp932("a\xC0\xAF"
                            "b",
                            &lossless),
              "a??b");  // overlong '/'
    EXPECT_FALSE(lossless);
    EXPECT_EQ(utf8_to_cp932("\xED\xA0\x80"), "???");            // a surrogate
    EXPECT_EQ(utf8_to_cp932("\xF4\x90\x80\x80"), "????");       // above U+10FFFF
    EXPECT_EQ(utf8_to_cp932("x\xE3\x81"), "x??");               // cut short at the end
    EXPECT_EQ(utf8_to_cp932("\x80\xE3\x81\x82"), "?\x82\xA0");  // stray continuation, then "あ"
}

TEST(Cp932, LeadBytes) {
    for (int b : {0x81, 0x9F, 0xE0, 0xFC})
        EXPECT_TRUE(cw::text::is_lead_byte(static_cast<unsigned char>(b))) << b;
    for (int b : {0x00, 0x5C, 0x80, 0xA0, 0xA1, 0xDF, 0xFD, 0xFF})
        EXPECT_FALSE(cw::text::is_lead_byte(static_cast<unsigned char>(b))) << b;
}

TEST(Cp932, TruncationStopsOnCharacterBoundaries) {
    const std::string ascii28(28, 'a');
    EXPECT_EQ(truncated_length(ascii28 + "表", 29), 28u);  // never half of 95 5C
    EXPECT_EQ(truncated_length(ascii28 + "表", 30), 30u);
    EXPECT_EQ(truncated_length("a表示示示示示示示示示示示示示", 29), 29u);  // 1 + 14 x 2
    EXPECT_EQ(truncated_length("ｱｲｳ", 2), 2u);      // half-width katakana are single bytes
    EXPECT_EQ(truncated_length("ab\x95", 10), 2u);  // a lone lead byte at the end goes
    EXPECT_EQ(truncated_length("abc", 0), 0u);
    EXPECT_EQ(truncated_length("", 5), 0u);
}

TEST(Cp932, CopyTruncatedWritesOnlyWhatFits) {
    char buffer[40];
    std::memset(buffer, 'X', sizeof buffer);
    const std::string src = std::string(28, 'a') + "表";
    copy_truncated(buffer, 30, src);
    EXPECT_EQ(std::string(buffer), std::string(28, 'a'));
    EXPECT_EQ(buffer[29], 'X');  // nothing written past the terminator

    std::memset(buffer, 'X', sizeof buffer);
    copy_truncated(buffer, 4, "表示abc");
    EXPECT_STREQ(buffer, "表");
    EXPECT_EQ(buffer[4], 'X');

    std::memset(buffer, 'X', sizeof buffer);
    copy_truncated(buffer, 0, "abc");
    EXPECT_EQ(buffer[0], 'X');
    copy_truncated(buffer, 1, "abc");
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'X');

    copy_truncated(buffer, sizeof buffer, std::string_view("ab\0cd", 5));  // stops at the NUL
    EXPECT_STREQ(buffer, "ab");
    copy_truncated(buffer, sizeof buffer, std::string_view("ab\x95\0c", 5));  // lead before the NUL
    EXPECT_STREQ(buffer, "ab");
}

TEST(Cp932, FindSkipsTrailBytes) {
    // "表" is 95 5C: its trail byte is a backslash to a plain byte search.
    const std::string name = "表.cwp";
    EXPECT_EQ(std::string(name).find('\\'), 1u);
    EXPECT_EQ(find(name, "\\"), npos);
    EXPECT_EQ(find(name, ".cwp"), 2u);

    const std::string path = "C:\\表\\ソ.cwp.cwp";
    EXPECT_EQ(find(path, "\\"), 2u);
    EXPECT_EQ(find(path, "\\", 3), 5u);
    EXPECT_EQ(find(path, "\\", 6), npos);
    EXPECT_EQ(find(path, ".cwp"), 8u);  // the first occurrence
    EXPECT_EQ(find(path, ".cwp", 9), 12u);
    EXPECT_EQ(find(path, ".spa"), npos);
    EXPECT_EQ(find("\x95\x5C\x5C", "\x5C"), 2u);

    // A needle must match whole characters of the haystack.
    EXPECT_EQ(find("表", "\x95"), npos);
    EXPECT_EQ(find("a\x95", "\x95"), 1u);
    EXPECT_EQ(find("x表", "表"), 1u);
    EXPECT_EQ(find("abc", ""), 0u);
    EXPECT_EQ(find("abc", "", 2), 2u);
    EXPECT_EQ(find("abc", "c", 4), npos);
    EXPECT_EQ(find("ab", "abc"), npos);
}

TEST(Cp932, RfindCharFindsTheLastRealBackslash) {
    EXPECT_EQ(rfind_char("C:\\dir\\表", '\\'), 6u);
    EXPECT_EQ(rfind_char("C:\\表\\表", '\\'), 5u);
    EXPECT_EQ(rfind_char("表能", '\\'), npos);
    EXPECT_EQ(rfind_char("", '\\'), npos);
}

}  // namespace
