// Byte work on the program's Shift-JIS texts through the system's double-byte functions: no
// search starts or ends inside a character, and no cut splits one. "表" is 0x95 0x5C, whose
// trail byte is the backslash.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "project/dbcs_text.h"

namespace {

constexpr size_t npos = std::string_view::npos;

TEST(DbcsText, SearchesMatchWholeCharactersOnly) {
    const std::string path =
        "C:\\\x95\x5C"
        "a\\b.cwp";  // C:\表a\b.cwp
    EXPECT_EQ(dbcs_find(path, "\\"), 2u);
    EXPECT_EQ(dbcs_find(path, "\\a"), npos) << "the backslash of 表 is half a character";
    EXPECT_EQ(dbcs_find(path, "a\\b"), 5u);
    EXPECT_EQ(dbcs_find(path, ".cwp"), 8u);
    EXPECT_EQ(dbcs_find(path, ""), 0u);
    // A needle ending in a lead byte matches only where that byte ends the text.
    EXPECT_EQ(dbcs_find("x\x95\x5C", "x\x95"), npos);
    EXPECT_EQ(dbcs_find("yx\x95", "x\x95"), 1u);
    EXPECT_EQ(dbcs_find("ab", "abc"), npos);
}

TEST(DbcsText, CutsStopOnCharacterBoundaries) {
    const std::string text =
        "ab\x95\x5C"
        "c";  // ab表c
    EXPECT_EQ(dbcs_truncated_length(text, 10), 5u);
    EXPECT_EQ(dbcs_truncated_length(text, 4), 4u);
    EXPECT_EQ(dbcs_truncated_length(text, 3), 2u) << "表 would straddle the limit";
    EXPECT_EQ(dbcs_truncated_length(text, 0), 0u);
    // A lone lead byte at the end is half a character and is cut.
    EXPECT_EQ(dbcs_truncated_length("ab\x95", 10), 2u);
    EXPECT_EQ(dbcs_char_length("ab\x95", 2), 1u);
    EXPECT_EQ(dbcs_char_length(text, 2), 2u);
    EXPECT_EQ(dbcs_char_length(text, 0), 1u);
    // Half-width katakana (0xA1-0xDF) are single bytes.
    EXPECT_EQ(dbcs_truncated_length("\xB1\xB2\xB3", 2), 2u);
}

}  // namespace
