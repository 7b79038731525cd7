// Menu model behind HMENU. The SDK menu functions edit it; the window manager and the
// backend read it to render menu bars and popups. Everything here runs on the GUI thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "win/resource_tables.h"

namespace cw::win {

struct MenuItemModel {
    UINT type = MFT_STRING;   // MFT_STRING or MFT_SEPARATOR, plus MF_HELP / MF_MENUBREAK / MF_MENUBARBREAK
    UINT state = 0;           // MFS_GRAYED (3) or MF_GRAYED / MF_DISABLED alone, MFS_CHECKED, MFS_DEFAULT
    UINT id = 0;              // command id (0 for popups unless set through MIIM_ID)
    std::string text;         // CP932 bytes as given
    HMENU submenu = nullptr;  // popup; always a live menu (destroying a menu unlinks it everywhere)
    ULONG_PTR data = 0;
};

struct MenuModel {
    std::vector<MenuItemModel> items;
    bool popup = false;     // CreatePopupMenu or a submenu built from a resource, vs a menu bar
    int resource_id = 0;    // id of the menu resource it was loaded from; 0 otherwise and for submenus
    uint64_t revision = 0;  // raised on every change of this menu or of any menu below it
};

// nullptr for nullptr, a destroyed handle or anything that is not a menu handle.
MenuModel* menu_from(HMENU menu);
// The handle of a live model, nullptr otherwise.
HMENU menu_handle(MenuModel* model);

// Finds an item by command id the way MF_BYCOMMAND does: items in order, each popup's
// submenu searched depth-first before moving on; a popup item whose own id matches is
// taken only when nothing inside matched. Returns the menu holding the item and its
// position, or {nullptr, -1}.
std::pair<MenuModel*, int> find_by_command(HMENU menu, UINT id);

// Whether a user could choose command `id` from `menu`: an enabled item with that id,
// reached only through enabled popups.
bool menu_item_choosable(HMENU menu, UINT id);

// Changes whenever anything in the tree under `menu` changes (0 for an invalid handle).
uint64_t menu_tree_revision(HMENU menu);

// Puts an item of the window manager's own at a position of a menu (past the end: appended),
// including kinds the SDK functions refuse to take from the program, such as the picture
// buttons a maximised MDI child puts on its frame's bar. False for a dead menu or a submenu
// that may not hang there.
bool insert_item(HMENU menu, UINT position, MenuItemModel item);

// Builds a menu bar from a compiled resource table; LoadMenuA is this plus the lookup.
// Popups become popup menus; the returned bar carries the table's id as resource_id.
HMENU build_menu_from_resource(const cw::res::Menu& menu);

}  // namespace cw::win
