// What the Qt backend shows, read back from the screen: GDI drawn on a control's window lies
// over the control until the window is invalidated, read-only edits and the status bar stand
// on the button face, and the pixels of a window are shown opaque.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "qt/view.h"
#include "test_windows.h"
#include "win/window.h"

namespace {

LRESULT CALLBACK parent_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(h, m, wp, lp);
}

COLORREF shown(HWND h, int x, int y) {
    return cw::qt::shown_pixel(cw::win::window_from(h), x, y);
}

class Look : public ::testing::Test {
  protected:
    void SetUp() override {
        InitCommonControls();
        parent_ = make_test_parent("CW_LOOK_TEST", parent_proc, 400, 300);
        ShowWindow(parent_, SW_SHOW);
    }
    void TearDown() override { DestroyWindow(parent_); }
    HWND child(const char* cls, DWORD style, int w, int h) {
        return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, 10, 10, w, h, parent_, nullptr,
                               nullptr, nullptr);
    }
    HWND parent_ = nullptr;
};

TEST_F(Look, AnOutlineDrawnOnTheTreesWindowShowsOverTheTreeUntilItIsInvalidated) {
    HWND tree = child(WC_TREEVIEWA, TVS_HASBUTTONS, 150, 100);
    const COLORREF background = shown(tree, 50, 60);
    const COLORREF blue = RGB(0, 0, 255);
    ASSERT_NE(background, blue);
    HDC dc = GetDC(tree);
    RECT mark{0, 40, 150, 57};
    HBRUSH brush = CreateSolidBrush(blue);
    FrameRect(dc, &mark, brush);
    ReleaseDC(tree, dc);
    EXPECT_EQ(shown(tree, 50, 40), blue) << "the top edge of the outline";
    EXPECT_EQ(shown(tree, 0, 48), blue) << "the left edge";
    EXPECT_EQ(shown(tree, 50, 48), shown(tree, 50, 80)) << "inside the outline the tree shows through";
    InvalidateRect(tree, nullptr, TRUE);
    EXPECT_EQ(shown(tree, 50, 40), background) << "the control repainted over the outline";
    DeleteObject(brush);
}

TEST_F(Look, ReadOnlyEditsStandOnTheButtonFaceAndEditableOnesOnWhite) {
    HWND edit = child("EDIT", ES_READONLY, 60, 16);
    EXPECT_EQ(shown(edit, 30, 8), GetSysColor(COLOR_BTNFACE));
    SendMessageA(edit, EM_SETREADONLY, FALSE, 0);
    EXPECT_EQ(shown(edit, 30, 8), GetSysColor(COLOR_WINDOW));
}

TEST_F(Look, TheStatusBarStandsOnTheButtonFaceOverAGreyParent) {
    HWND status = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", parent_, 11);
    RECT r;
    GetClientRect(status, &r);
    // Below the text pane's sunken edge, left of the size grip.
    EXPECT_EQ(shown(status, 1, r.bottom / 2), GetSysColor(COLOR_BTNFACE));
}

}  // namespace
