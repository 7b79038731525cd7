// Mouse capture of a tree during a drag: the cursor the program sets shows on the
// tree, and moves and the release outside it still reach its window procedure.
#include <gtest/gtest.h>

#include "test_windows.h"

#include <commctrl.h>
#include <windows.h>

#include <vector>

#include "automation/automation.h"
#include "qt/view.h"
#include "win/input.h"
#include "win/window.h"

namespace {

// Lets the widgets take in what is pending (a new window's placement) before its
// window goes, so that no event arrives for a destroyed window.
void settle() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

struct Mouse {
    UINT msg;
    WPARAM keys;
    int x, y;
};
std::vector<Mouse> g_mouse;
WNDPROC g_tree_proc = nullptr;

LRESULT CALLBACK watching_tree_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_MOUSEMOVE || msg == WM_LBUTTONUP)
        g_mouse.push_back({msg, wp, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
    return CallWindowProcA(g_tree_proc, hwnd, msg, wp, lp);
}

class Capture : public ::testing::Test {
  protected:
    void SetUp() override {
        cw::automation::set_active(true);
        parent = make_test_parent("cw_test_capture_parent", DefWindowProcA, 400, 300);
        tree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS, 0, 0, 150, 200,
                               parent, nullptr, nullptr, nullptr);
        other = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 200, 10, 100, 20, parent, nullptr,
                                nullptr, nullptr);
        ASSERT_TRUE(parent && tree && other);
        ShowWindow(parent, SW_SHOW);
        g_tree_proc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(tree, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watching_tree_proc)));
        g_mouse.clear();
    }
    void TearDown() override {
        ReleaseCapture();
        settle();
        DestroyWindow(parent);
    }
    cw::win::Window* tree_window() { return cw::win::window_from(tree); }

    HWND parent = nullptr, tree = nullptr, other = nullptr;
};

}  // namespace

TEST_F(Capture, CursorSetDuringTheCaptureShowsOnTheTreeUntilReleased) {
    const HCURSOR no = LoadCursorA(nullptr, IDC_NO);
    ASSERT_TRUE(no);
    SetCapture(tree);
    EXPECT_EQ(GetCapture(), tree);
    EXPECT_EQ(cw::qt::mouse_grabber(), tree);  // the tree's viewport holds the grab
    SetCursor(no);
    EXPECT_TRUE(cw::qt::shows_cursor(tree_window(), no));
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_FALSE(cw::qt::shows_cursor(tree_window(), no));
    SetCursor(no);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(cw::qt::mouse_grabber(), nullptr);
    EXPECT_FALSE(cw::qt::shows_cursor(tree_window(), no));  // the tree's own cursor again
}

TEST_F(Capture, InputOverAnotherWindowReachesTheTreeInItsClientCoordinates) {
    SetCapture(tree);
    cw::win::input_mouse(cw::win::window_from(other), WM_MOUSEMOVE, MK_LBUTTON, 5, 5);
    cw::win::input_mouse(cw::win::window_from(parent), WM_LBUTTONUP, 0, 390, -3);
    ASSERT_EQ(g_mouse.size(), 2u);
    EXPECT_EQ(g_mouse[0].msg, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(g_mouse[0].keys, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(g_mouse[0].x, 205);  // the edit's (5, 5) seen from the tree at (0, 0)
    EXPECT_EQ(g_mouse[0].y, 15);
    EXPECT_EQ(g_mouse[1].msg, static_cast<UINT>(WM_LBUTTONUP));
    EXPECT_EQ(g_mouse[1].x, 390);
    EXPECT_EQ(g_mouse[1].y, -3);
}
