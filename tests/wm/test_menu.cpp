// Menu model: the SDK menu calls the program makes, checked against Win32 behaviour.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "win/menu.h"

namespace {

using cw::win::menu_from;
using cw::win::menu_tree_revision;

const cw::res::MenuItem kFile[] = {
    {MF_STRING, 40002, "新規作成(&N)", nullptr, 0},
    {MF_STRING, 40003, "開く(&C)", nullptr, 0},
    {MF_GRAYED, 40004, "名前を付けて保存(&A)", nullptr, 0},
    {MF_GRAYED, 40005, "上書き保存(&S)", nullptr, 0},
    {MF_SEPARATOR, 0, nullptr, nullptr, 0},
    {MF_STRING, 40001, "終了", nullptr, 0},
};
const cw::res::MenuItem kZoom[] = {
    {MF_CHECKED, 40010, "1×1", nullptr, 0},
    {MF_STRING, 40011, "2×2", nullptr, 0},
};
const cw::res::MenuItem kEdit[] = {
    {MF_STRING, 40024, "ﾊﾟﾀｰﾝの追加(&A)", nullptr, 0},
    {MF_POPUP, 0, "拡大率(&Z)", kZoom, 2},
};
const cw::res::MenuItem kBar[] = {
    {MF_POPUP, 0, "ﾌｧｲﾙ(&F)", kFile, 6},
    {MF_POPUP, 0, "編集(&E)", kEdit, 2},
    {MF_GRAYED, 0, "表示(&V)", nullptr, 0},
    {MF_STRING | MF_HELP, 40044, "ﾊﾞｰｼﾞｮﾝ情報", nullptr, 0},
};
const cw::res::Menu kBarMenu = {111, kBar, 4};

std::vector<UINT> ids(HMENU menu) {
    std::vector<UINT> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) out.push_back(GetMenuItemID(menu, i));
    return out;
}

std::string text_of(HMENU menu, UINT item, UINT flags = MF_BYCOMMAND) {
    char buffer[512];
    GetMenuStringA(menu, item, buffer, sizeof buffer, flags);
    return buffer;
}

class MenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        bar = cw::win::build_menu_from_resource(kBarMenu);
        file = GetSubMenu(bar, 0);
        edit = GetSubMenu(bar, 1);
        zoom = GetSubMenu(edit, 1);
    }
    void TearDown() override { DestroyMenu(bar); }
    HMENU bar = nullptr, file = nullptr, edit = nullptr, zoom = nullptr;
};

TEST_F(MenuTest, BuildsTreeFromResourceTable) {
    ASSERT_NE(menu_from(bar), nullptr);
    EXPECT_FALSE(menu_from(bar)->popup);
    EXPECT_EQ(menu_from(bar)->resource_id, 111);
    EXPECT_TRUE(menu_from(file)->popup);
    EXPECT_EQ(menu_from(file)->resource_id, 0);
    EXPECT_EQ(ids(file), (std::vector<UINT>{40002, 40003, 40004, 40005, 0, 40001}));
    EXPECT_EQ(ids(bar), (std::vector<UINT>{0xFFFFFFFF, 0xFFFFFFFF, 0, 40044}));
    EXPECT_EQ(GetMenuState(bar, 0, MF_BYPOSITION), UINT(MF_POPUP | (6 << 8)));
    EXPECT_EQ(GetMenuState(bar, 2, MF_BYPOSITION), UINT(MF_GRAYED));
    EXPECT_EQ(GetMenuState(bar, 3, MF_BYPOSITION), UINT(MF_HELP));
    EXPECT_EQ(GetMenuState(file, 4, MF_BYPOSITION), UINT(MF_SEPARATOR));
    EXPECT_EQ(GetMenuState(bar, 40004, MF_BYCOMMAND), UINT(MF_GRAYED));
    EXPECT_EQ(GetMenuState(bar, 40010, MF_BYCOMMAND), UINT(MF_CHECKED));
    EXPECT_EQ(text_of(bar, 0, MF_BYPOSITION), "ﾌｧｲﾙ(&F)");
    EXPECT_EQ(text_of(bar, 40004), "名前を付けて保存(&A)");
}

TEST_F(MenuTest, ByCommandSearchesPopupsByPositionStaysInMenu) {
    auto [holder, pos] = cw::win::find_by_command(bar, 40011);
    EXPECT_EQ(holder, menu_from(zoom));
    EXPECT_EQ(pos, 1);
    EXPECT_EQ(cw::win::find_by_command(bar, 12345).first, nullptr);
    // Position 1 of the bar is the Edit popup, not an item of the File popup.
    EXPECT_EQ(text_of(bar, 1, MF_BYPOSITION), "編集(&E)");
    EXPECT_EQ(GetMenuState(bar, 9, MF_BYPOSITION), 0xFFFFFFFFu);
    ASSERT_TRUE(InsertMenuA(bar, 1, MF_BYPOSITION | MF_STRING, 7, "x"));
    EXPECT_EQ(GetMenuItemCount(bar), 5);
    EXPECT_EQ(GetMenuItemCount(file), 6);
    ASSERT_TRUE(InsertMenuA(bar, 0xFFFFFFFF, MF_BYPOSITION | MF_STRING, 8, "end"));
    ASSERT_TRUE(InsertMenuA(bar, 99, MF_BYPOSITION | MF_STRING, 9, "past end"));
    EXPECT_EQ(GetMenuItemID(bar, 5), 8u);
    EXPECT_EQ(GetMenuItemID(bar, 6), 9u);
    // A command that names nothing must not land in the menu that was passed.
    EXPECT_FALSE(InsertMenuA(bar, 12345, MF_BYCOMMAND | MF_STRING, 10, "lost"));
    EXPECT_EQ(GetMenuItemCount(bar), 7);
}

// The program's recent-files edits: everything by command on the bar, landing in File.
TEST_F(MenuTest, RecentFilesInsertBeforeAndRenumber) {
    ASSERT_TRUE(InsertMenuA(bar, 40001, MF_BYCOMMAND | MF_SEPARATOR, 60000, nullptr));
    ASSERT_TRUE(InsertMenuA(bar, 60000, MF_BYCOMMAND | MF_STRING, 60001, "C:\\a.cwp"));
    ASSERT_TRUE(InsertMenuA(bar, 60001, MF_BYCOMMAND | MF_STRING, 60002, "C:\\表示\\b.cwp"));
    ASSERT_TRUE(InsertMenuA(bar, 60002, MF_BYCOMMAND | MF_STRING, 60003, "C:\\c.cwp"));
    EXPECT_EQ(GetMenuItemCount(bar), 4);
    EXPECT_EQ(ids(file),
              (std::vector<UINT>{40002, 40003, 40004, 40005, 0, 60003, 60002, 60001, 60000, 40001}));
    EXPECT_EQ(GetMenuState(bar, 60000, MF_BYCOMMAND), UINT(MF_SEPARATOR));
    EXPECT_EQ(GetMenuStringA(bar, 60000, nullptr, 0, MF_BYCOMMAND), 0);
    EXPECT_EQ(text_of(bar, 60002), "C:\\表示\\b.cwp");

    // Remove the middle entry, then move 60003 down to 60002 at the same place.
    ASSERT_TRUE(DeleteMenu(bar, 60002, MF_BYCOMMAND));
    std::string moved = text_of(bar, 60003);
    ASSERT_TRUE(InsertMenuA(bar, 60001, MF_BYCOMMAND | MF_STRING, 60002, moved.c_str()));
    ASSERT_TRUE(DeleteMenu(bar, 60003, MF_BYCOMMAND));
    EXPECT_EQ(ids(file), (std::vector<UINT>{40002, 40003, 40004, 40005, 0, 60002, 60001, 60000, 40001}));
    EXPECT_EQ(text_of(bar, 60002), "C:\\c.cwp");
    EXPECT_EQ(text_of(bar, 60001), "C:\\a.cwp");
    EXPECT_FALSE(DeleteMenu(bar, 60003, MF_BYCOMMAND));
}

TEST(MenuString, TruncatesOnCharacterBoundary) {
    HMENU menu = CreatePopupMenu();
    const char text[] = "ab表ﾌｧ";  // a b 95 5C B6 A7: one double-byte, two single-byte kana
    ASSERT_EQ(sizeof text - 1, 6u);
    AppendMenuA(menu, MF_STRING, 1, text);
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetMenuStringA(menu, 1, buffer, 4, MF_BYCOMMAND), 2);  // 3 bytes would split 95 5C
    EXPECT_STREQ(buffer, "ab");
    EXPECT_EQ(GetMenuStringA(menu, 1, buffer, 5, MF_BYCOMMAND), 4);
    EXPECT_STREQ(buffer, "ab表");
    EXPECT_EQ(GetMenuStringA(menu, 1, buffer, 6, MF_BYCOMMAND), 5);
    EXPECT_STREQ(buffer, "ab表ﾌ");
    EXPECT_EQ(GetMenuStringA(menu, 1, nullptr, 0, MF_BYCOMMAND), 6);
    EXPECT_EQ(GetMenuStringA(menu, 1, buffer, 0, MF_BYCOMMAND), 6);
    EXPECT_EQ(GetMenuStringA(menu, 1, buffer, 1, MF_BYCOMMAND), 0);
    EXPECT_STREQ(buffer, "");

    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = buffer;
    info.cch = 4;
    ASSERT_TRUE(GetMenuItemInfoA(menu, 1, FALSE, &info));
    EXPECT_EQ(info.cch, 2u);
    EXPECT_STREQ(buffer, "ab");
    DestroyMenu(menu);
}

TEST_F(MenuTest, MenuItemInfoHonoursMask) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    info.fState = MFS_GRAYED;
    ASSERT_TRUE(SetMenuItemInfoA(bar, 40024, FALSE, &info));
    EXPECT_EQ(GetMenuState(bar, 40024, MF_BYCOMMAND), UINT(MFS_GRAYED));
    EXPECT_EQ(text_of(bar, 40024), "ﾊﾟﾀｰﾝの追加(&A)");

    // Moving the zoom check mark, as the zoom commands do.
    info.fState = 0;
    ASSERT_TRUE(SetMenuItemInfoA(bar, 40010, FALSE, &info));
    info.fState = MFS_CHECKED;
    ASSERT_TRUE(SetMenuItemInfoA(bar, 40011, FALSE, &info));
    EXPECT_EQ(GetMenuState(zoom, 0, MF_BYPOSITION), 0u);
    EXPECT_EQ(GetMenuState(zoom, 1, MF_BYPOSITION), UINT(MF_CHECKED));

    info.fMask = MIIM_ID | MIIM_DATA;
    info.wID = 41000;
    info.dwItemData = 77;
    ASSERT_TRUE(SetMenuItemInfoA(bar, 40011, FALSE, &info));
    EXPECT_EQ(cw::win::find_by_command(bar, 40011).first, nullptr);
    MENUITEMINFOA got = {};
    got.cbSize = sizeof got;
    got.fMask = MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_FTYPE | MIIM_SUBMENU;
    ASSERT_TRUE(GetMenuItemInfoA(bar, 41000, FALSE, &got));
    EXPECT_EQ(got.fState, UINT(MFS_CHECKED));
    EXPECT_EQ(got.dwItemData, 77u);
    EXPECT_EQ(got.fType, UINT(MFT_STRING));
    ASSERT_TRUE(GetMenuItemInfoA(edit, 1, TRUE, &got));
    EXPECT_EQ(got.hSubMenu, zoom);

    info.fMask = MIIM_TYPE | MIIM_STRING;  // ambiguous old and new text fields
    EXPECT_FALSE(SetMenuItemInfoA(bar, 41000, FALSE, &info));
    info.fMask = MIIM_STATE;
    info.fState = 0;
    info.cbSize = offsetof(MENUITEMINFOA, hbmpItem) - 1;
    EXPECT_FALSE(SetMenuItemInfoA(bar, 41000, FALSE, &info));
    EXPECT_EQ(GetMenuState(bar, 41000, MF_BYCOMMAND), UINT(MF_CHECKED));
    info.cbSize = offsetof(MENUITEMINFOA, hbmpItem);
    EXPECT_TRUE(SetMenuItemInfoA(bar, 41000, FALSE, &info));

    // A popup may not be hung below itself.
    info.fMask = MIIM_SUBMENU;
    info.hSubMenu = edit;
    EXPECT_FALSE(SetMenuItemInfoA(bar, 41000, FALSE, &info));
    EXPECT_FALSE(InsertMenuA(zoom, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(bar), "loop"));

    info.fMask = MIIM_FTYPE | MIIM_ID;
    info.fType = MFT_SEPARATOR;
    info.wID = 60000;
    ASSERT_TRUE(InsertMenuItemA(bar, 40001, FALSE, &info));
    EXPECT_EQ(GetMenuItemID(file, 5), 60000u);
    EXPECT_EQ(GetMenuState(file, 5, MF_BYPOSITION), UINT(MF_SEPARATOR));
}

TEST_F(MenuTest, EnableAndCheckReturnPreviousState) {
    EXPECT_EQ(EnableMenuItem(bar, 40004, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(bar, 40004, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(EnableMenuItem(bar, 12345, MF_BYCOMMAND | MF_GRAYED), -1);
    EXPECT_EQ(CheckMenuItem(bar, 40010, MF_BYCOMMAND | MF_UNCHECKED), DWORD(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(zoom, 1, MF_BYPOSITION | MF_CHECKED), DWORD(MF_UNCHECKED));
    EXPECT_EQ(GetMenuState(bar, 40011, MF_BYCOMMAND), UINT(MF_CHECKED));
    EXPECT_EQ(CheckMenuItem(bar, 12345, MF_BYCOMMAND), 0xFFFFFFFFu);
}

TEST_F(MenuTest, DeleteDestroysPopupRemoveKeepsIt) {
    ASSERT_TRUE(RemoveMenu(edit, 1, MF_BYPOSITION));
    ASSERT_NE(menu_from(zoom), nullptr);
    ASSERT_TRUE(InsertMenuA(file, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(zoom), "z"));
    EXPECT_EQ(cw::win::find_by_command(bar, 40010).first, menu_from(zoom));
    ASSERT_TRUE(DeleteMenu(bar, 1, MF_BYPOSITION));
    EXPECT_EQ(menu_from(edit), nullptr);
    EXPECT_NE(menu_from(zoom), nullptr);
    ASSERT_TRUE(ModifyMenuA(file, 0, MF_BYPOSITION | MF_STRING, 50, "plain"));
    EXPECT_EQ(menu_from(zoom), nullptr);
    EXPECT_EQ(GetMenuItemID(file, 0), 50u);
    EXPECT_EQ(text_of(file, 50), "plain");
}

TEST_F(MenuTest, RevisionFollowsNestedEdits) {
    uint64_t bar_before = menu_tree_revision(bar);
    uint64_t file_before = menu_tree_revision(file);
    CheckMenuItem(bar, 40011, MF_BYCOMMAND | MF_CHECKED);
    EXPECT_GT(menu_tree_revision(bar), bar_before);
    EXPECT_GT(menu_from(bar)->revision, bar_before);
    EXPECT_GT(menu_from(edit)->revision, bar_before);
    EXPECT_EQ(menu_tree_revision(file), file_before);

    // Destroying a popup that is still attached unlinks it from its item.
    bar_before = menu_tree_revision(bar);
    ASSERT_TRUE(DestroyMenu(zoom));
    EXPECT_GT(menu_tree_revision(bar), bar_before);
    EXPECT_EQ(GetSubMenu(edit, 1), nullptr);
    EXPECT_EQ(GetMenuItemID(edit, 1), 0u);
    EXPECT_EQ(cw::win::find_by_command(bar, 40010).first, nullptr);
}

TEST_F(MenuTest, DestroyedAndForeignHandlesFailQuietly) {
    HMENU edit_handle = edit;
    ASSERT_EQ(cw::win::menu_handle(menu_from(edit)), edit);
    ASSERT_TRUE(DestroyMenu(bar));
    for (HMENU dead : {bar, edit_handle, reinterpret_cast<HMENU>(1), HMENU(nullptr)}) {
        EXPECT_EQ(menu_from(dead), nullptr);
        EXPECT_EQ(GetMenuItemCount(dead), -1);
        EXPECT_EQ(GetMenuState(dead, 40024, MF_BYCOMMAND), 0xFFFFFFFFu);
        char buffer[8] = "junk";
        EXPECT_EQ(GetMenuStringA(dead, 40024, buffer, sizeof buffer, MF_BYCOMMAND), 0);
        EXPECT_STREQ(buffer, "");
        EXPECT_FALSE(InsertMenuA(dead, 0, MF_BYPOSITION, 1, "x"));
        EXPECT_FALSE(DeleteMenu(dead, 0, MF_BYPOSITION));
        EXPECT_FALSE(DestroyMenu(dead));
        EXPECT_EQ(GetSubMenu(dead, 0), nullptr);
        EXPECT_EQ(menu_tree_revision(dead), 0u);
    }
    HMENU fresh = CreateMenu();
    EXPECT_NE(fresh, bar);
    EXPECT_FALSE(
        InsertMenuA(fresh, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(edit_handle), "x"));
    EXPECT_EQ(GetMenuItemCount(fresh), 0);
    DestroyMenu(fresh);
    bar = nullptr;
}

// REAL RESOURCE: needs the compiled resource tables (IDR_NO_PROJECT_MENU, the no-project menu bar).
TEST(MenuResource, LoadMenu118FromCompiledResources) {
    HMENU menu = LoadMenuA(nullptr, MAKEINTRESOURCEA(118));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu_from(menu)->resource_id, 118);
    HMENU file = GetSubMenu(menu, 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(GetMenuItemID(file, 0), 40002u);
    EXPECT_EQ(GetMenuState(menu, 40004, MF_BYCOMMAND) & MF_GRAYED, UINT(MF_GRAYED));
    EXPECT_EQ(LoadMenuA(nullptr, MAKEINTRESOURCEA(9999)), nullptr);
    DestroyMenu(menu);
}

}  // namespace

TEST(MenuChoice, OnlyEnabledItemsReachedThroughEnabledPopupsCanBeChosen) {
    HMENU bar = CreateMenu();
    HMENU edit = CreatePopupMenu();
    HMENU deeper = CreatePopupMenu();
    AppendMenuA(edit, MF_STRING, 10, "cut");
    AppendMenuA(edit, MF_STRING | MF_GRAYED, 11, "paste");
    AppendMenuA(edit, MF_SEPARATOR, 12, nullptr);
    AppendMenuA(deeper, MF_STRING, 13, "deep");
    AppendMenuA(edit, MF_POPUP, reinterpret_cast<UINT_PTR>(deeper), "more");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "edit");
    EXPECT_TRUE(cw::win::menu_item_choosable(bar, 10));
    EXPECT_FALSE(cw::win::menu_item_choosable(bar, 11)) << "greyed";
    EXPECT_FALSE(cw::win::menu_item_choosable(bar, 12)) << "a separator is no command";
    EXPECT_FALSE(cw::win::menu_item_choosable(bar, 99)) << "absent";
    EXPECT_TRUE(cw::win::menu_item_choosable(bar, 13));
    EnableMenuItem(bar, 0, MF_BYPOSITION | MF_GRAYED);
    EXPECT_FALSE(cw::win::menu_item_choosable(bar, 10)) << "behind a greyed popup";
    EXPECT_FALSE(cw::win::menu_item_choosable(bar, 13));
    DestroyMenu(bar);
}
