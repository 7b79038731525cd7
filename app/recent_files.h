// The recent-files list: up to five project paths on the three File menus, newest
// first, above a separator (ID_FILE_RECENT_SEPARATOR) that comes with the very first entry and stays.
// Entry k counting from the oldest has the command id ID_FILE_RECENT_FIRST + k.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

inline constexpr int kMaxRecentEntries = 5;

struct RecentList {
    bool separator_added = false;      // the first entry ever has been added
    std::vector<std::string> entries;  // oldest first, at most five, each at most 511 bytes
};

// Puts path at the top (newest); an entry equal to it byte for byte moves there
// instead of being repeated, and a sixth entry drops the oldest.
void recent_list_add(RecentList& list, std::string_view path);
// Takes out the entry with command id `id`; the entries above it move one id down.
// False when no entry has that id.
bool recent_list_remove(RecentList& list, UINT id);
// The items the list has added to a File menu, separator included (0 before the
// first entry), and the command id the next entry receives.
int recent_entry_count(const RecentList& list);
UINT next_recent_id(const RecentList& list);

// The program's list, shown on the three File menus.
extern RecentList g_recent;

// add recent entry / remove recent entry: change g_recent and the three menus with it.
void add_recent_entry(const char* path);
void remove_recent_entry(UINT id);
// The text of the recent-files item with command id `id`, read from the
// pattern-window menu; "" when there is none.
std::string recent_entry_text(UINT id);
