// The time of the user's last input follows input that a control's own widget takes, which
// the window manager hears of only through the control's notifications, if at all.
#include <windows.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include "qt/widgets.h"
#include "test_windows.h"

namespace {

LRESULT CALLBACK plain_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(h, m, wp, lp);
}

DWORD last_input() {
    LASTINPUTINFO info{};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetLastInputInfo(&info));
    return info.dwTime;
}

// Lets the clock tick on, so that input from now on has a time of its own.
void next_tick() {
    const DWORD start = GetTickCount();
    while (GetTickCount() == start) QCoreApplication::processEvents();
}

TEST(QtInputTime, AClickOnACheckBoxsOwnWidgetIsTheUsersInput) {
    HWND top = make_test_parent("CW_INPUT_TIME_TEST", plain_proc, 200, 100);
    HWND box = CreateWindowExA(0, "BUTTON", "box", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 10, 120, 20,
                               top, nullptr, nullptr, nullptr);
    ShowWindow(top, SW_SHOW);
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    QWidget* widget = cw::qt::view_of(cw::win::window_from(box))->control;
    ASSERT_NE(widget, nullptr);

    next_tick();
    const DWORD before = last_input();
    next_tick();
    EXPECT_EQ(last_input(), before) << "nothing the program did meanwhile is input";
    const QPointF at(5, 10);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED) << "the widget took the click itself";
    EXPECT_NE(last_input(), before);
    EXPECT_LE(last_input(), GetTickCount());
    DestroyWindow(top);
}

}  // namespace
