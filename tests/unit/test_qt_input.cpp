// Input given to the Qt widgets arrives as the messages the system sends: dragging a scroll
// bar's thumb reports where the thumb is, and the window decides where the bar stands.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "qt/view.h"
#include "test_windows.h"

namespace {

std::vector<WPARAM> g_vscroll;

LRESULT CALLBACK scrolled_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_VSCROLL) g_vscroll.push_back(wp);
    return DefWindowProcA(h, m, wp, lp);
}

TEST(QtInput, DraggingTheThumbReportsWhereTheThumbIsAndTheWindowKeepsTheBar) {
    HWND w = make_test_parent("CW_QT_INPUT_TEST", scrolled_proc, 200, 200);
    ShowWindow(w, SW_SHOW);
    SetScrollRange(w, SB_VERT, 0, 100, TRUE);
    g_vscroll.clear();
    cw::qt::user_drag_thumb(cw::win::window_from(w), true, 30);
    ASSERT_FALSE(g_vscroll.empty());
    EXPECT_EQ(LOWORD(g_vscroll.back()), SB_THUMBTRACK);
    EXPECT_EQ(HIWORD(g_vscroll.back()), 30) << "the position the thumb was dragged to";
    EXPECT_EQ(GetScrollPos(w, SB_VERT), 0) << "the window moves its bar itself";
    DestroyWindow(w);
}

}  // namespace
