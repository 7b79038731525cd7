// The tree and the list view on Qt: the navigation keys a user types into their widgets reach
// the window procedure, which moves the selection and tells the parent, and other keys do not.
#include <gtest/gtest.h>

#include "test_windows.h"

#include <commctrl.h>
#include <windows.h>

#include <vector>

#include "qt/view.h"
#include "win/controls.h"
#include "win/window.h"

namespace {

// Qt key codes, as the keyboard gives them to the widgets.
constexpr int kKeySpace = 0x20;
constexpr int kKeyA = 0x41;
constexpr int kKeyUp = 0x01000013;
constexpr int kKeyDown = 0x01000015;

std::vector<WORD> g_tree_keys;  // wVKey of the TVN_KEYDOWN the parent received

LRESULT CALLBACK parent_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lp)->code == TVN_KEYDOWN)
        g_tree_keys.push_back(reinterpret_cast<const NMTVKEYDOWN*>(lp)->wVKey);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void type(HWND control, int qt_key) {
    cw::qt::user_key(cw::win::window_from(control), qt_key);
}

class ProcedureKeys : public ::testing::Test {
  protected:
    void SetUp() override {
        parent_ = make_test_parent("cw_test_keys_parent", parent_proc, 300, 240);
        ASSERT_TRUE(parent_);
        ShowWindow(parent_, SW_SHOW);
        g_tree_keys.clear();
    }
    void TearDown() override { DestroyWindow(parent_); }
    HWND control(const char* cls, DWORD style) const {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 200, 150, parent_, nullptr,
                               nullptr, nullptr);
    }
    HWND parent_ = nullptr;
};

HTREEITEM insert(HWND tree, const char* text) {
    TVINSERTSTRUCTA ins{};
    ins.hParent = TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT;
    ins.item.pszText = const_cast<char*>(text);
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
}

HTREEITEM caret(HWND tree) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

// The procedure's selection, not the widget's.
int selected(HWND list) {
    return cw::win::list_state(cw::win::window_from(list))->selected;
}

TEST_F(ProcedureKeys, TheTreesArrowsAndSpaceReachItsProcedureAndOtherKeysDoNot) {
    HWND tree = control(WC_TREEVIEWA, TVS_HASBUTTONS);
    ASSERT_TRUE(tree);
    HTREEITEM a = insert(tree, "a"), b = insert(tree, "b");
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a));

    type(tree, kKeyDown);
    EXPECT_EQ(caret(tree), b);
    type(tree, kKeyUp);
    EXPECT_EQ(caret(tree), a);
    type(tree, kKeySpace);
    type(tree, kKeyA);
    EXPECT_EQ(g_tree_keys, (std::vector<WORD>{VK_DOWN, VK_UP, VK_SPACE}));
}

TEST_F(ProcedureKeys, TheListsArrowsMoveItsSelectionThroughItsProcedure) {
    HWND list = control(WC_LISTVIEWA, LVS_LIST | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
    ASSERT_TRUE(list);
    for (const char* text : {"a", "b", "c"}) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        item.pszText = const_cast<char*>(text);
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    ASSERT_EQ(selected(list), -1);

    type(list, kKeyDown);
    EXPECT_EQ(selected(list), 0) << "from no selection, the first item";
    type(list, kKeyDown);
    type(list, kKeyDown);
    EXPECT_EQ(selected(list), 2);
    type(list, kKeyUp);
    EXPECT_EQ(selected(list), 1);
    int shown = -1;
    cw::qt::listview_shown_items(cw::win::window_from(list), &shown);
    EXPECT_EQ(shown, 1) << "the widget shows the procedure's selection";
}

}  // namespace
