// The recent-files list: at most five entries, newest on top, repeated paths moved
// rather than doubled, removal renumbering the entries above, and the separator
// that stays once the first entry came.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/recent_files.h"
#include "res/resource.h"

namespace {

TEST(RecentList, SixProjectsLeaveTheNewestFiveWithTheNewestOnTop) {
    RecentList list;
    EXPECT_EQ(recent_entry_count(list), 0);
    EXPECT_EQ(next_recent_id(list), static_cast<UINT>(ID_FILE_RECENT_SEPARATOR));
    for (int i = 1; i <= 6; ++i) recent_list_add(list, "/p" + std::to_string(i) + ".cwp");
    EXPECT_EQ(list.entries,
              (std::vector<std::string>{"/p2.cwp", "/p3.cwp", "/p4.cwp", "/p5.cwp", "/p6.cwp"}));
    EXPECT_EQ(recent_entry_count(list), 6);
    EXPECT_EQ(next_recent_id(list), static_cast<UINT>(ID_FILE_RECENT_LAST + 1));
}

TEST(RecentList, ReopeningAnEntryMovesItToTheTopAndPathsCompareByteForByte) {
    RecentList list;
    for (const char* p : {"C:\\a.cwp", "C:\\b.cwp", "C:\\c.cwp"}) recent_list_add(list, p);
    recent_list_add(list, "C:\\a.cwp");
    EXPECT_EQ(list.entries, (std::vector<std::string>{"C:\\b.cwp", "C:\\c.cwp", "C:\\a.cwp"}));
    recent_list_add(list, "C:\\A.cwp");
    EXPECT_EQ(list.entries.size(), 4u);
    // Full list: the repeated entry moves, nothing drops out.
    recent_list_add(list, "C:\\d.cwp");
    recent_list_add(list, "C:\\c.cwp");
    EXPECT_EQ(list.entries,
              (std::vector<std::string>{"C:\\b.cwp", "C:\\a.cwp", "C:\\A.cwp", "C:\\d.cwp", "C:\\c.cwp"}));
}

TEST(RecentList, RemovingTheMiddleOfThreeRenumbersTheEntryAbove) {
    RecentList list;
    for (const char* p : {"/1.cwp", "/2.cwp", "/3.cwp"}) recent_list_add(list, p);
    EXPECT_TRUE(recent_list_remove(list, ID_FILE_RECENT_FIRST + 1));
    EXPECT_EQ(list.entries, (std::vector<std::string>{"/1.cwp", "/3.cwp"}));
    EXPECT_EQ(recent_entry_count(list), 3);
    EXPECT_EQ(next_recent_id(list), static_cast<UINT>(ID_FILE_RECENT_FIRST + 2));
    EXPECT_FALSE(recent_list_remove(list, ID_FILE_RECENT_FIRST + 2));
    EXPECT_FALSE(recent_list_remove(list, ID_FILE_RECENT_SEPARATOR));
    EXPECT_TRUE(recent_list_remove(list, ID_FILE_RECENT_FIRST));
    EXPECT_TRUE(recent_list_remove(list, ID_FILE_RECENT_FIRST));
    // The separator stays: the count is 1 with no entry left.
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(recent_entry_count(list), 1);
    EXPECT_EQ(next_recent_id(list), static_cast<UINT>(ID_FILE_RECENT_FIRST));
}

TEST(RecentList, AnEntryIsAtMost511BytesCutOnACharacterBoundary) {
    RecentList list;
    std::string path = "/" + std::string(509, 'x') + "\x95\x5C" + "tail";  // "表" across byte 511
    recent_list_add(list, path);
    EXPECT_EQ(list.entries[0], path.substr(0, 510));
    recent_list_add(list, "/b\x95");  // fits: kept as it is
    EXPECT_EQ(list.entries[1], "/b\x95");
}

}  // namespace
