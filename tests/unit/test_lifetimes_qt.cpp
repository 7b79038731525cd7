// What the Qt backend makes for a window goes when the window goes: a menu bar set again and
// again, and windows with controls and pixels created and destroyed again and again, leave the
// process with as many Qt objects as the first time did. Opening projects one after another
// does both, and nothing else would show it until the editor had grown by hundreds of megabytes.
#include <windows.h>
#include <commctrl.h>

#include <QApplication>
#include <QMenuBar>
#include <QWidget>

#include <gtest/gtest.h>

#include "res/resource.h"

namespace {

LRESULT CALLBACK plain_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(h, m, wp, lp);
}

void pump() {
    MSG msg;
    for (int i = 0; i < 3; ++i)
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// Every Qt object under a top-level widget: widgets, menus, actions, layouts.
qsizetype live_objects() {
    qsizetype n = 0;
    for (QWidget* top : QApplication::topLevelWidgets()) n += 1 + top->findChildren<QObject*>().size();
    return n;
}

void register_plain_class() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = plain_proc;
    wc.lpszClassName = "LIFETIME_WINDOW";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassA(&wc);
}

// A top-level window as the program's dialogs and pattern windows are: controls of each kind
// and a client area drawn into, so that it has pixels of its own.
HWND window_with_controls() {
    HWND top = CreateWindowExA(0, "LIFETIME_WINDOW", "lifetime", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320,
                               240, nullptr, nullptr, nullptr, nullptr);
    const char* classes[] = {"BUTTON",
                             "EDIT",
                             "COMBOBOX",
                             "STATIC",
                             "SysTreeView32",
                             "SysListView32",
                             "msctls_trackbar32",
                             "msctls_updown32",
                             "msctls_statusbar32",
                             "LIFETIME_WINDOW"};
    int id = 100;
    for (const char* c : classes) {
        const int y = 4 + 20 * (id - 100);
        CreateWindowExA(0, c, "x", WS_CHILD | WS_VISIBLE, 4, y, 80, 18, top,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        ++id;
    }
    HDC dc = GetDC(top);
    RECT r{0, 0, 300, 200};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(top, dc);
    return top;
}

TEST(QtLifetimes, AMenuBarSetAgainAndAgainKeepsOnlyItsLastItems) {
    register_plain_class();
    HMENU bars[] = {LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_PATTERN_MENU)),
                    LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_PROJECT_MENU))};
    ASSERT_NE(bars[0], nullptr);
    ASSERT_NE(bars[1], nullptr);
    for (int width : {640, 120}) {  // at 120 pixels most items move into the bar's overflow menu
        HWND frame = CreateWindowExA(0, "LIFETIME_WINDOW", "bar", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                     width, 200, nullptr, bars[0], nullptr, nullptr);
        ASSERT_NE(frame, nullptr);
        auto set_both = [&] {
            for (HMENU bar : bars) {
                SetMenu(frame, bar);
                DrawMenuBar(frame);
                pump();
            }
        };
        for (int i = 0; i < 3; ++i) set_both();
        const qsizetype settled = live_objects();
        for (int i = 0; i < 25; ++i) set_both();
        EXPECT_EQ(live_objects(), settled) << "at " << width << " pixels the old items and popups stay";
        SetMenu(frame, nullptr);
        DestroyWindow(frame);
        pump();
    }
    for (HMENU bar : bars) DestroyMenu(bar);
}

TEST(QtLifetimes, ADestroyedWindowLeavesNoWidgetBehind) {
    register_plain_class();
    pump();
    const qsizetype before = live_objects(), widgets_before = QApplication::allWidgets().size();
    for (int i = 0; i < 10; ++i) {
        HWND top = window_with_controls();
        ASSERT_NE(top, nullptr);
        pump();
        EXPECT_GT(live_objects(), before);
        DestroyWindow(top);
        pump();
    }
    EXPECT_EQ(live_objects(), before);
    EXPECT_EQ(QApplication::allWidgets().size(), widgets_before);
}

}  // namespace
