// A maximised MDI child shows its caption's parts on the frame's menu bar, as the system does:
// its system menu first (the Japanese system's texts, with what cannot apply greyed) and its
// minimise, restore and close buttons last. Choosing any of them reaches the child as
// WM_SYSCOMMAND through DefFrameProc; restoring the child takes them off the bar again.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mdi_frame.h"
#include "win/input.h"
#include "win/menu.h"
#include "win/window.h"

namespace {

std::vector<std::pair<HWND, WPARAM>> g_syscommands;

void record_syscommand(HWND h, UINT m, WPARAM wp) {
    if (m == WM_SYSCOMMAND) g_syscommands.push_back({h, wp & 0xFFF0});
}

struct Item {
    UINT id;
    std::string text;  // CP932, as the program reads it
};

// The Japanese system's window menu of an MDI child, in order (separators have id 0).
const std::vector<Item> kSystemMenu = {
    {SC_RESTORE, "元のサイズに戻す(&R)"},
    {SC_MOVE, "移動(&M)"},
    {SC_SIZE, "サイズ変更(&S)"},
    {SC_MINIMIZE, "最小化(&N)"},
    {SC_MAXIMIZE, "最大化(&X)"},
    {0, ""},
    {SC_CLOSE, "閉じる(&C)\tCtrl+F4"},
    {0, ""},
    {SC_NEXTWINDOW, "次のウィンドウ(&T)\tCtrl+F6"},
};

std::vector<Item> items_of(HMENU menu) {
    std::vector<Item> out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        const bool separator = (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) != 0;
        out.push_back({separator ? 0u : GetMenuItemID(menu, i), text});
    }
    return out;
}

bool operator==(const Item& a, const Item& b) {
    return a.id == b.id && a.text == b.text;
}

bool greyed(HMENU menu, UINT command) {
    return (GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

// Which of the system menu's commands are greyed, in the menu's order.
std::vector<UINT> greyed_commands(HMENU menu) {
    std::vector<UINT> out;
    for (UINT c : {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_CLOSE, SC_NEXTWINDOW})
        if (greyed(menu, c)) out.push_back(c);
    return out;
}

class MdiBar : public ::testing::Test {
  protected:
    void SetUp() override {
        bar_ = CreateMenu();
        file_ = CreatePopupMenu();
        window_menu_ = CreatePopupMenu();
        AppendMenuA(file_, MF_STRING, 100, "開く(&O)");
        AppendMenuA(window_menu_, MF_STRING, 101, "重ねて表示(&C)");
        AppendMenuA(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(file_), "ﾌｧｲﾙ(&F)");
        AppendMenuA(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(window_menu_), "ｳｨﾝﾄﾞｳ(&W)");
        mdi_.emplace(mdi_frame::Layout{.bar = bar_, .window_menu = window_menu_}, record_syscommand);
        frame_ = mdi_->frame();
        client_ = mdi_->client();
        g_syscommands.clear();
    }
    void TearDown() override {
        mdi_.reset();
        DestroyMenu(bar_);
    }
    HWND child(const char* title) const { return mdi_->child(title); }
    void maximise(HWND c) const { mdi_->maximise(c); }
    // The user chooses an item of the frame's bar: the item must be there and enabled.
    void choose(UINT id) const {
        ASSERT_TRUE(cw::win::menu_item_choosable(bar_, id)) << "no enabled item " << id << " on the bar";
        cw::win::input_menu_chosen(cw::win::window_from(frame_), id);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    // The commands of the right-justified items of the bar, in order: the bar's own have none.
    std::vector<UINT> buttons() const {
        std::vector<UINT> out;
        for (int i = 0; i < GetMenuItemCount(bar_); ++i)
            if (GetMenuState(bar_, static_cast<UINT>(i), MF_BYPOSITION) & MF_HELP)
                out.push_back(GetMenuItemID(bar_, i));
        return out;
    }
    std::optional<mdi_frame::Frame> mdi_;
    HMENU bar_ = nullptr, file_ = nullptr, window_menu_ = nullptr;
    HWND frame_ = nullptr, client_ = nullptr;
};

TEST_F(MdiBar, TheSystemMenuHoldsTheSystemsTextsAndGreysWhatCannotApply) {
    HWND a = child("A");
    const HMENU system_menu = GetSystemMenu(a, FALSE);
    ASSERT_NE(system_menu, nullptr);
    EXPECT_EQ(items_of(system_menu), kSystemMenu);
    EXPECT_EQ(GetSystemMenu(a, FALSE), system_menu) << "the child keeps one system menu";
    EXPECT_NE(GetSystemMenu(child("B"), FALSE), system_menu) << "each child has its own";
    SendMessageA(client_, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
    EXPECT_EQ(greyed_commands(system_menu), (std::vector<UINT>{SC_RESTORE}));
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STATE;
    ASSERT_TRUE(GetMenuItemInfoA(system_menu, SC_CLOSE, FALSE, &mi));
    EXPECT_TRUE(mi.fState & MFS_DEFAULT) << "Close is the default item";

    maximise(a);
    EXPECT_EQ(greyed_commands(system_menu), (std::vector<UINT>{SC_MOVE, SC_SIZE, SC_MAXIMIZE}));
    SendMessageA(a, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(a));
    EXPECT_EQ(greyed_commands(system_menu), (std::vector<UINT>{SC_SIZE, SC_MINIMIZE}));
    mdi_->restore(a);
    EXPECT_EQ(greyed_commands(system_menu), (std::vector<UINT>{SC_RESTORE}));

    // The program may change its copy; reverting gives the system's items back.
    DeleteMenu(system_menu, SC_SIZE, MF_BYCOMMAND);
    EXPECT_EQ(GetSystemMenu(a, TRUE), nullptr);
    EXPECT_EQ(items_of(GetSystemMenu(a, FALSE)), kSystemMenu);
}

TEST_F(MdiBar, MaximisingPutsTheSystemItemFirstAndTheButtonsLastAndRestoringTakesThemAway) {
    HWND a = child("A");
    const std::vector<Item> before = items_of(bar_);
    ASSERT_EQ(before.size(), 2u);

    maximise(a);
    ASSERT_EQ(GetMenuItemCount(bar_), 6);
    EXPECT_EQ(GetSubMenu(bar_, 0), GetSystemMenu(a, FALSE)) << "the child's own system menu";
    EXPECT_TRUE(GetMenuState(bar_, 0, MF_BYPOSITION) & MF_POPUP);
    EXPECT_EQ(GetSubMenu(bar_, 1), file_) << "the bar's own popups move one place on";
    EXPECT_EQ(GetSubMenu(bar_, 2), window_menu_);
    EXPECT_EQ(buttons(), (std::vector<UINT>{SC_MINIMIZE, SC_RESTORE, SC_CLOSE}));
    // Move, size and maximise cannot apply to a maximised child: a user cannot choose them.
    for (UINT c : {SC_MOVE, SC_SIZE, SC_MAXIMIZE}) EXPECT_FALSE(cw::win::menu_item_choosable(bar_, c)) << c;
    // Maximising it again or changing the bar's states puts nothing more on the bar.
    maximise(a);
    DrawMenuBar(frame_);
    EXPECT_EQ(GetMenuItemCount(bar_), 6);

    mdi_->restore(a);
    EXPECT_EQ(items_of(bar_), before);
    EXPECT_EQ(GetSubMenu(bar_, 0), file_);
    EXPECT_TRUE(buttons().empty());
    EXPECT_NE(GetSystemMenu(a, FALSE), nullptr) << "the system menu stays the child's";
}

TEST_F(MdiBar, ChoosingTheSystemItemsAndTheButtonsSendsTheChildItsCommands) {
    HWND a = child("A");
    HWND b = child("B");
    const int items = GetMenuItemCount(bar_);

    // Restore, from the system menu.
    maximise(b);
    choose(GetMenuItemID(GetSubMenu(bar_, 0), 0));
    EXPECT_EQ(g_syscommands, (std::vector<std::pair<HWND, WPARAM>>{{b, SC_RESTORE}}));
    EXPECT_FALSE(IsZoomed(b));
    EXPECT_EQ(GetMenuItemCount(bar_), items);

    // Minimise and Close, from the system menu.
    for (UINT command : {SC_MINIMIZE, SC_CLOSE}) {
        maximise(b);
        g_syscommands.clear();
        ASSERT_EQ(GetMenuItemCount(bar_), items + 4);
        choose(command);
        EXPECT_EQ(g_syscommands, (std::vector<std::pair<HWND, WPARAM>>{{b, command}})) << command;
        if (command == SC_CLOSE) {
            // The next child takes over, maximised, and the bar carries its system menu.
            EXPECT_FALSE(IsWindow(b));
            EXPECT_TRUE(IsZoomed(a));
            EXPECT_EQ(GetSubMenu(bar_, 0), GetSystemMenu(a, FALSE));
            EXPECT_EQ(GetMenuItemCount(bar_), items + 4);
        } else {
            EXPECT_EQ(GetMenuItemCount(bar_), items) << "the child is no longer maximised";
            EXPECT_FALSE(IsZoomed(b));
            EXPECT_TRUE(IsIconic(b));
        }
    }
    mdi_->restore(a);
    EXPECT_EQ(GetMenuItemCount(bar_), items);

    // The buttons at the bar's end, left to right: minimise, restore, close.
    HWND d = child("D");
    const int last = items + 3;
    const struct {
        int position;
        UINT command;
    } presses[] = {{last - 2, SC_MINIMIZE}, {last - 1, SC_RESTORE}, {last, SC_CLOSE}};
    for (const auto& press : presses) {
        maximise(d);
        g_syscommands.clear();
        ASSERT_EQ(GetMenuItemCount(bar_), items + 4);
        choose(GetMenuItemID(bar_, press.position));
        EXPECT_EQ(g_syscommands, (std::vector<std::pair<HWND, WPARAM>>{{d, press.command}})) << press.command;
        if (press.command == SC_CLOSE) {
            EXPECT_FALSE(IsWindow(d));
            EXPECT_TRUE(IsZoomed(a)) << "the next child takes over, maximised";
        } else {
            EXPECT_EQ(GetMenuItemCount(bar_), items) << "the child is no longer maximised";
            EXPECT_FALSE(IsZoomed(d));
            EXPECT_EQ(IsIconic(d) != FALSE, press.command == SC_MINIMIZE);
        }
    }
    mdi_->restore(a);
    EXPECT_EQ(GetMenuItemCount(bar_), items);

    // Next window, from the system menu: the next child takes over, maximised, with its own menu.
    HWND c = child("C");
    maximise(c);
    g_syscommands.clear();
    choose(SC_NEXTWINDOW);
    EXPECT_EQ(g_syscommands, (std::vector<std::pair<HWND, WPARAM>>{{c, SC_NEXTWINDOW}}));
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(client_, WM_MDIGETACTIVE, 0, 0)), a);
    EXPECT_TRUE(IsZoomed(a));
    EXPECT_FALSE(IsZoomed(c));
    EXPECT_EQ(GetSubMenu(bar_, 0), GetSystemMenu(a, FALSE));
    EXPECT_EQ(GetMenuItemCount(bar_), items + 4) << "one system item and one set of buttons";
}

TEST_F(MdiBar, TheItemsFollowTheFrameToANewBarAndGoWithTheMaximisedChild) {
    HWND a = child("A");
    maximise(a);
    HMENU other = CreateMenu();
    AppendMenuA(other, MF_STRING, 7, "ﾍﾙﾌﾟ(&H)");
    SetMenu(frame_, other);
    EXPECT_EQ(GetMenuItemCount(bar_), 2) << "the old bar is as it was";
    EXPECT_EQ(GetMenuItemCount(other), 5);
    EXPECT_EQ(GetSubMenu(other, 0), GetSystemMenu(a, FALSE));
    EXPECT_EQ(GetMenuItemID(other, 1), 7u);

    DestroyWindow(a);
    EXPECT_EQ(GetMenuItemCount(other), 1) << "the last child went: nothing of it stays on the bar";
    SetMenu(frame_, bar_);
    DestroyMenu(other);
}

}  // namespace
