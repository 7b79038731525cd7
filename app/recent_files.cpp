// The recent-files list and its items on the File menus of the three menu bars.
#include "app/recent_files.h"

#include <algorithm>

#include "project/app_state.h"
#include "files/project_data.h"

RecentList g_recent;

namespace {

constexpr size_t kMaxEntryBytes = 511;

UINT id_of_entry(size_t index) {
    return static_cast<UINT>(ID_FILE_RECENT_FIRST + index);
}

bool has_item(HMENU menu, UINT id) {
    return GetMenuState(menu, id, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

void insert_item_before(HMENU menu, UINT before, UINT id, const char* text) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_FTYPE | (text ? MIIM_STRING : 0);
    info.fType = text ? MFT_STRING : MFT_SEPARATOR;
    info.wID = id;
    info.dwTypeData = const_cast<char*>(text);
    InsertMenuItemA(menu, before, FALSE, &info);
}

// Makes one File menu show the list: the entries newest first with the highest id on
// top, then the separator, then "終了".
void show_list_in(HMENU menu, const RecentList& list) {
    if (!menu) return;
    for (UINT id = ID_FILE_RECENT_FIRST; id <= ID_FILE_RECENT_LAST; ++id)
        while (has_item(menu, id)) DeleteMenu(menu, id, MF_BYCOMMAND);
    if (list.separator_added && !has_item(menu, ID_FILE_RECENT_SEPARATOR))
        insert_item_before(menu, ID_FILE_EXIT, ID_FILE_RECENT_SEPARATOR, nullptr);
    UINT above = ID_FILE_RECENT_SEPARATOR;
    for (size_t k = 0; k < list.entries.size(); ++k) {
        insert_item_before(menu, above, id_of_entry(k), list.entries[k].c_str());
        above = id_of_entry(k);
    }
}

void show_list() {
    for (HMENU menu : {g_app.no_project_menu, g_app.project_menu, g_app.pattern_menu})
        show_list_in(menu, g_recent);
    if (g_app.main_window) DrawMenuBar(g_app.main_window);
}

}  // namespace

void recent_list_add(RecentList& list, std::string_view path) {
    const std::string entry = fit_recent_path(path);
    std::erase(list.entries, entry);
    if (list.entries.size() == kMaxRecentEntries) list.entries.erase(list.entries.begin());
    list.entries.push_back(entry);
    list.separator_added = true;
}

bool recent_list_remove(RecentList& list, UINT id) {
    if (id < ID_FILE_RECENT_FIRST || id - ID_FILE_RECENT_FIRST >= list.entries.size()) return false;
    list.entries.erase(list.entries.begin() + (id - ID_FILE_RECENT_FIRST));
    return true;
}

int recent_entry_count(const RecentList& list) {
    return list.separator_added ? 1 + static_cast<int>(list.entries.size()) : 0;
}

UINT next_recent_id(const RecentList& list) {
    return static_cast<UINT>(ID_FILE_RECENT_SEPARATOR + recent_entry_count(list));
}

void add_recent_entry(const char* path) {
    recent_list_add(g_recent, path ? path : "");
    show_list();
}

void remove_recent_entry(UINT id) {
    if (recent_list_remove(g_recent, id)) show_list();
}

std::string recent_entry_text(UINT id) {
    char text[kMaxEntryBytes + 1] = {};
    GetMenuStringA(g_app.pattern_menu, id, text, sizeof text, MF_BYCOMMAND);
    return text;
}
