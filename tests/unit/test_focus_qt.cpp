// The window manager's keyboard focus and Qt's are one: a click into an edit makes it the focus
// window with the messages the system sends, SetFocus moves the focus the user sees, and the
// keys the user types go to the window GetFocus names.
#include <windows.h>

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "automation/inspect.h"
#include "qt/widgets.h"
#include "test_windows.h"

namespace {

std::vector<std::pair<HWND, UINT>> g_focus_messages;
WNDPROC g_edit_proc = nullptr;

LRESULT CALLBACK recording_edit(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_SETFOCUS || m == WM_KILLFOCUS) g_focus_messages.push_back({h, m});
    return CallWindowProcA(g_edit_proc, h, m, wp, lp);
}

HWND recorded_edit(HWND parent, int y) {
    HWND e = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, y, 120, 20, parent,
                             nullptr, nullptr, nullptr);
    g_edit_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(e, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recording_edit)));
    return e;
}

QWidget* widget_of(HWND h) {
    return cw::qt::view_of(cw::win::window_from(h))->control;
}

LRESULT CALLBACK plain_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(h, m, wp, lp);
}

TEST(QtFocus, AClickIntoAnEditMakesItTheFocusWindowAndSetFocusMovesQtsFocus) {
    HWND top = make_test_parent("CW_FOCUS_TEST", plain_proc, 240, 120);
    HWND first = recorded_edit(top, 10), second = recorded_edit(top, 40);
    ShowWindow(top, SW_SHOW);
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    ASSERT_EQ(GetActiveWindow(), top);

    SetFocus(first);
    EXPECT_EQ(QApplication::focusWidget(), widget_of(first)) << "SetFocus moves Qt's focus";

    g_focus_messages.clear();
    ASSERT_EQ(cw::automation::user_mouse(second, WM_LBUTTONDOWN, MK_LBUTTON, 5, 5), "");
    ASSERT_EQ(cw::automation::user_mouse(second, WM_LBUTTONUP, 0, 5, 5), "");
    EXPECT_EQ(QApplication::focusWidget(), widget_of(second));
    EXPECT_EQ(GetFocus(), second) << "the click's focus is the window manager's";
    const std::vector<std::pair<HWND, UINT>> expected{{first, WM_KILLFOCUS}, {second, WM_SETFOCUS}};
    EXPECT_EQ(g_focus_messages, expected);

    // The keys go where the program put the focus, not where the click left Qt's.
    SetFocus(first);
    EXPECT_EQ(QApplication::focusWidget(), widget_of(first));
    ASSERT_EQ(cw::automation::user_type("ab"), "");
    char text[16] = {};
    GetWindowTextA(first, text, sizeof text);
    EXPECT_STREQ(text, "ab");
    GetWindowTextA(second, text, sizeof text);
    EXPECT_STREQ(text, "");

    // The window itself takes the focus from its controls, in Qt too.
    SetFocus(top);
    EXPECT_EQ(cw::qt::window_of(QApplication::focusWidget()), cw::win::window_from(top));
    DestroyWindow(top);
}

}  // namespace
