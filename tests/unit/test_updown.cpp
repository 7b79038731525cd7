// The up-down control with its buddy: range and position, the messages a press of
// an arrow sends, the buddy's number and arrow keys, and the template placement.
#include <gtest/gtest.h>

#include "test_windows.h"

#include <commctrl.h>
#include <windows.h>

#include <string>
#include <vector>

#include "automation/automation.h"
#include "qt/view.h"
#include "win/controls.h"

namespace {

// Lets the widgets take in what is pending (a new window's placement) before its
// window goes, so that no event arrives for a destroyed window.
void settle() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

constexpr int kKeyDown = 0x01000015;  // kKeyDown

std::vector<std::string> g_log;  // what the parent received, in order
bool g_refuse_delta = false;

LRESULT CALLBACK parent_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NOTIFY: {
            const auto* nm = reinterpret_cast<const NMUPDOWN*>(lp);
            if (nm->hdr.code != UDN_DELTAPOS) return 0;
            g_log.push_back("delta " + std::to_string(nm->iPos) + " " + std::to_string(nm->iDelta));
            return g_refuse_delta;
        }
        case WM_VSCROLL: {
            const char* code = LOWORD(wp) == SB_THUMBPOSITION ? "thumb"
                               : LOWORD(wp) == SB_ENDSCROLL   ? "end"
                                                              : "?";
            std::string line = std::string("vscroll ") + code;
            if (LOWORD(wp) == SB_THUMBPOSITION) line += " " + std::to_string(static_cast<short>(HIWORD(wp)));
            if (!lp) line += " (no control)";
            g_log.push_back(line);
            return 0;
        }
        case WM_COMMAND:
            if (HIWORD(wp) == EN_CHANGE) g_log.push_back("changed " + std::to_string(LOWORD(wp)));
            return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

class UpDown : public ::testing::Test {
  protected:
    void SetUp() override {
        cw::automation::set_active(true);
        parent = make_test_parent("cw_test_updown_parent", parent_proc, 300, 200);
        ASSERT_TRUE(parent);
        g_log.clear();
        g_refuse_delta = false;
    }
    void TearDown() override {
        settle();
        DestroyWindow(parent);
    }

    // An edit and, created right after it, an up-down that takes it as buddy.
    void make(DWORD style) {
        buddy = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_NUMBER | ES_READONLY, 20, 20, 60,
                                20, parent, reinterpret_cast<HMENU>(1046), nullptr, nullptr);
        updown = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | style, 80, 20, 16, 20, parent,
                                 reinterpret_cast<HMENU>(1052), nullptr, nullptr);
        ASSERT_TRUE(buddy && updown);
        g_log.clear();
    }
    std::string buddy_text() {
        char buf[32] = {0};
        GetWindowTextA(buddy, buf, sizeof buf);
        return buf;
    }
    int pos() { return static_cast<short>(LOWORD(SendMessageA(updown, UDM_GETPOS, 0, 0))); }
    cw::win::Window* w() { return cw::win::window_from(updown); }

    HWND parent = nullptr, buddy = nullptr, updown = nullptr;
};

}  // namespace

TEST_F(UpDown, RangeAndPositionAreKeptWithinTheRange) {
    make(0);
    SendMessageA(updown, UDM_SETRANGE, 0, 0x00010014);  // upper 20, lower 1
    EXPECT_EQ(SendMessageA(updown, UDM_GETRANGE, 0, 0), 0x00010014);
    EXPECT_EQ(SendMessageA(updown, UDM_SETPOS, 0, MAKELONG(25, 0)), 0);
    // Without a buddy holding the number the position comes with its error flag, as on the system.
    EXPECT_EQ(SendMessageA(updown, UDM_GETPOS, 0, 0), MAKELONG(20, 1));
    EXPECT_EQ(SendMessageA(updown, UDM_SETPOS, 0, MAKELONG(static_cast<WORD>(-3), 0)), 20);
    EXPECT_EQ(pos(), 1);
    EXPECT_EQ(SendMessageA(updown, UDM_GETBUDDY, 0, 0), 0);  // no UDS_AUTOBUDDY, no buddy
    EXPECT_EQ(buddy_text(), "");
}

TEST_F(UpDown, PressSendsDeltaThenPositionAndReleaseEndsTheScroll) {
    make(UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ARROWKEYS);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(updown, UDM_GETBUDDY, 0, 0)), buddy);
    SendMessageA(updown, UDM_SETRANGE, 0, 0x00010014);
    SetWindowTextA(buddy, "1");  // as a dialog sets its buddy before any position
    g_log.clear();
    cw::win::updown_user_press(w(), true);
    cw::win::updown_user_release(w());
    EXPECT_EQ(g_log,
              (std::vector<std::string>{"delta 1 1", "changed 1046", "vscroll thumb 2", "vscroll end"}));
    EXPECT_EQ(buddy_text(), "2");
    EXPECT_EQ(SendMessageA(updown, UDM_GETPOS, 0, 0), MAKELONG(2, 0));

    // At the top the position stays, and the parent still hears of the press.
    SendMessageA(updown, UDM_SETPOS, 0, 20);
    g_log.clear();
    cw::win::updown_user_press(w(), true);
    EXPECT_EQ(g_log, (std::vector<std::string>{"delta 20 1", "vscroll thumb 20"}));

    // The parent may refuse the step.
    g_refuse_delta = true;
    g_log.clear();
    cw::win::updown_user_press(w(), false);
    EXPECT_EQ(g_log, (std::vector<std::string>{"delta 20 -1", "vscroll thumb 20"}));
    EXPECT_EQ(buddy_text(), "20");
}

TEST_F(UpDown, TheBuddyShowsThousandsSeparatorsUnlessTheStyleSaysNot) {
    make(UDS_AUTOBUDDY | UDS_SETBUDDYINT);
    SendMessageA(updown, UDM_SETRANGE, 0, MAKELONG(5000, static_cast<WORD>(-5000)));
    SendMessageA(updown, UDM_SETPOS, 0, 1234);
    cw::win::updown_user_press(w(), true);
    EXPECT_EQ(buddy_text(), "1,235");
    SendMessageA(updown, UDM_SETPOS, 0, static_cast<WORD>(-1236));
    cw::win::updown_user_press(w(), true);
    EXPECT_EQ(buddy_text(), "-1,235");
    SendMessageA(updown, UDM_SETPOS, 0, 998);
    cw::win::updown_user_press(w(), true);
    EXPECT_EQ(buddy_text(), "999");
    DestroyWindow(updown);
    DestroyWindow(buddy);
    make(UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_NOTHOUSANDS);
    SendMessageA(updown, UDM_SETRANGE, 0, MAKELONG(5000, 0));
    SendMessageA(updown, UDM_SETPOS, 0, 4320);
    cw::win::updown_user_press(w(), true);
    EXPECT_EQ(buddy_text(), "4321");
}

TEST_F(UpDown, WrapAndReversedRanges) {
    make(UDS_WRAP);
    SendMessageA(updown, UDM_SETRANGE, 0, 0x00010014);
    SendMessageA(updown, UDM_SETPOS, 0, 20);
    cw::win::updown_user_press(w(), true);
    EXPECT_EQ(pos(), 1);
    cw::win::updown_user_press(w(), false);
    EXPECT_EQ(pos(), 20);

    // The default range runs from 100 down to 0: up moves towards 0.
    HWND second =
        CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD, 0, 0, 16, 20, parent, nullptr, nullptr, nullptr);
    SendMessageA(second, UDM_SETPOS, 0, 50);
    cw::win::updown_user_press(cw::win::window_from(second), true);
    EXPECT_EQ(static_cast<short>(LOWORD(SendMessageA(second, UDM_GETPOS, 0, 0))), 49);
}

TEST_F(UpDown, BuddyTextIsThePosition) {
    make(UDS_AUTOBUDDY | UDS_SETBUDDYINT);
    SendMessageA(updown, UDM_SETRANGE, 0, MAKELONG(5000, 0));
    SendMessageA(updown, UDM_SETPOS, 0, 1234);
    EXPECT_EQ(buddy_text(), "1,234");
    SetWindowTextA(buddy, "4,321");
    EXPECT_EQ(SendMessageA(updown, UDM_GETPOS, 0, 0), MAKELONG(4321, 0));
    SetWindowTextA(buddy, "many");
    EXPECT_NE(HIWORD(SendMessageA(updown, UDM_GETPOS, 0, 0)), 0);
    SetWindowTextA(buddy, "9999");  // a number outside the range is no position either
    EXPECT_NE(HIWORD(SendMessageA(updown, UDM_GETPOS, 0, 0)), 0);
    EXPECT_EQ(pos(), 4321);
}

TEST_F(UpDown, ArrowKeysInTheBuddyAndArrowClicksStep) {
    make(UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ARROWKEYS);
    SendMessageA(updown, UDM_SETRANGE, 0, 0x00010014);
    SendMessageA(updown, UDM_SETPOS, 0, 3);
    SendMessageA(buddy, WM_KEYDOWN, VK_UP, 0);
    SendMessageA(buddy, WM_KEYUP, VK_UP, 0);
    EXPECT_EQ(buddy_text(), "4");
    g_log.clear();
    cw::qt::user_key(cw::win::window_from(buddy), kKeyDown);  // typed into the buddy's widget
    // A key steps at once and, unlike the mouse, has no end to report.
    EXPECT_EQ(g_log, (std::vector<std::string>{"delta 4 -1", "changed 1046", "vscroll thumb 3"}));
    g_log.clear();
    cw::qt::updown_user_click(w(), true);  // the upper arrow button
    EXPECT_EQ(g_log,
              (std::vector<std::string>{"delta 3 1", "changed 1046", "vscroll thumb 4", "vscroll end"}));

    // Another buddy takes the keys over; the old one goes back to being a plain edit.
    HWND other = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 50, 40, 20, parent, nullptr, nullptr, nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(other), 0)),
              buddy);
    SendMessageA(buddy, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(pos(), 4);
    SendMessageA(other, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(pos(), 5);
}

TEST(UpDownInDialog, TemplateBuddyIsTheEditBeforeItAndGivesUpItsRightEdge) {
    cw::automation::set_active(true);
    const HWND dialog = CreateDialogParamA(
        nullptr, MAKEINTRESOURCEA(122), nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; },
        0);
    ASSERT_TRUE(dialog);
    const HWND spin = GetDlgItem(dialog, 1052), count = GetDlgItem(dialog, 1046);
    ASSERT_TRUE(spin && count);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(spin, UDM_GETBUDDY, 0, 0)), count);
    RECT s{}, c{};
    GetWindowRect(spin, &s);
    GetWindowRect(count, &c);
    EXPECT_EQ(s.left, c.right - 2);  // side by side, over the edit's border, as the system places it
    EXPECT_EQ(s.right - s.left, 16);
    EXPECT_EQ(s.top, c.top);
    EXPECT_EQ(s.bottom, c.bottom);
    EXPECT_GT(c.right - c.left, 0);
    SendMessageA(spin, UDM_SETRANGE, 0, 0x00010014);
    SetDlgItemTextA(dialog, 1046, "1");
    cw::win::updown_user_press(cw::win::window_from(spin), true);
    char buf[8] = {0};
    GetDlgItemTextA(dialog, 1046, buf, sizeof buf);
    EXPECT_STREQ(buf, "2");
    settle();
    DestroyWindow(dialog);
}
