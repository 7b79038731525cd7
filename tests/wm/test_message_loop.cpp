// What a program's main loop asks of the window manager between messages: a timed wait for
// input lasts its whole time, WM_PAINT is found for the windows that need it (and only those),
// and the time of the last input tells a loop whether the user did anything since it looked.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "automation/automation.h"
#include "win/input.h"
#include "win/window.h"

namespace {

std::vector<HWND> g_painted;

LRESULT CALLBACK painting_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_PAINT) g_painted.push_back(h);
    return DefWindowProcA(h, m, wp, lp);
}

const char* painting_class() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = painting_proc;
        wc.lpszClassName = "TEST_LOOP_PAINTING";
        return RegisterClassA(&wc) != 0;
    }();
    return registered ? "TEST_LOOP_PAINTING" : nullptr;
}

class MessageLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        cw::automation::set_active(true);
        ASSERT_NE(painting_class(), nullptr);
        drain();
        g_painted.clear();
    }
    void TearDown() override {
        for (HWND h : created_)
            if (IsWindow(h)) DestroyWindow(h);
        drain();
    }
    HWND window(HWND parent = nullptr, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
        HWND h = CreateWindowExA(0, painting_class(), "loop", style, 10, 10, 120, 80, parent, nullptr,
                                 nullptr, nullptr);
        created_.push_back(h);
        return h;
    }
    // Dispatches whatever waits, WM_PAINT included, until the queue is empty.
    static void drain() {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
    std::vector<HWND> created_;
};

TEST_F(MessageLoop, ATimedWaitWithNothingComingLastsItsWholeTime) {
    // A loop that waits for its next frame asks for the milliseconds left, rounded up; a wait
    // that ended the fraction of a millisecond early would have it come round and wait again,
    // over and over, until the frame is due.
    int timeouts = 0;
    for (const DWORD ms : {1u, 2u, 3u}) {
        for (int i = 0; i < 5; ++i) {
            drain();
            LARGE_INTEGER frequency, start, end;
            QueryPerformanceFrequency(&frequency);
            QueryPerformanceCounter(&start);
            const DWORD r = MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
            QueryPerformanceCounter(&end);
            if (r != WAIT_TIMEOUT) continue;  // something came after all
            ++timeouts;
            EXPECT_GE((end.QuadPart - start.QuadPart) * 1000, static_cast<LONGLONG>(ms) * frequency.QuadPart)
                << "a wait of " << ms << " ms";
        }
    }
    EXPECT_GT(timeouts, 0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT))
        << "a wait of no time says at once that nothing came";
}

TEST_F(MessageLoop, PaintGoesToTheWindowsThatNeedItOldestFirstAndOnlyWhileTheyCanBeSeen) {
    HWND a = window(), b = window(), hidden = window(nullptr, WS_OVERLAPPEDWINDOW), gone = window();
    HWND validated = window(), child = window(a, WS_CHILD | WS_VISIBLE);
    drain();
    g_painted.clear();
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) << "everything was painted";

    for (HWND h : {child, hidden, validated, gone, b, a}) InvalidateRect(h, nullptr, FALSE);
    DestroyWindow(gone);
    ValidateRect(validated, nullptr);
    // Looked for within a window: its own and its children's, none of another's.
    ASSERT_TRUE(PeekMessageA(&m, b, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    EXPECT_EQ(m.hwnd, b);
    ASSERT_TRUE(PeekMessageA(&m, a, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    EXPECT_EQ(m.hwnd, a);
    drain();
    EXPECT_EQ(g_painted, (std::vector<HWND>{a, b, child})) << "in the order the windows were made";

    // A hidden window waits for its showing; painted once, a window asks no more.
    g_painted.clear();
    ShowWindow(hidden, SW_SHOW);
    drain();
    EXPECT_EQ(g_painted, std::vector<HWND>{hidden});
    InvalidateRect(b, nullptr, FALSE);
    drain();
    drain();
    EXPECT_EQ(g_painted, (std::vector<HWND>{hidden, b}));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(MessageLoop, TheLastInputTimeMovesWithTheUsersInputAndWithNothingElse) {
    HWND h = window();
    drain();
    LASTINPUTINFO info{};
    info.cbSize = sizeof info - 1;  // a structure of another size is refused, as the system does
    SetLastError(0);
    EXPECT_FALSE(GetLastInputInfo(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(GetLastInputInfo(nullptr));

    info.cbSize = sizeof info;
    // Input arrives after a tick of the clock, so that its time differs from any before it.
    auto after_a_tick = [] {
        const DWORD start = GetTickCount();
        while (GetTickCount() == start) MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, 0);
        return GetTickCount();
    };
    const DWORD before_click = after_a_tick();
    cw::win::input_mouse(cw::win::window_from(h), WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
    ASSERT_TRUE(GetLastInputInfo(&info));
    EXPECT_GE(info.dwTime, before_click);
    EXPECT_LE(info.dwTime, GetTickCount());
    const DWORD clicked = info.dwTime;

    // What the program does itself, painting and messages sent or posted, is no input.
    after_a_tick();
    InvalidateRect(h, nullptr, TRUE);
    SendMessageA(h, WM_USER, 0, 0);
    PostMessageA(h, WM_USER, 0, 0);
    drain();
    ASSERT_TRUE(GetLastInputInfo(&info));
    EXPECT_EQ(info.dwTime, clicked);

    // A key, and a click the backend took straight to a widget of its own, are.
    const DWORD before_key = after_a_tick();
    cw::win::input_key(cw::win::window_from(h), WM_KEYDOWN, 'A');
    ASSERT_TRUE(GetLastInputInfo(&info));
    EXPECT_NE(info.dwTime, clicked);
    EXPECT_GE(info.dwTime, before_key);
    const DWORD keyed = info.dwTime;
    after_a_tick();
    cw::win::note_user_input();
    ASSERT_TRUE(GetLastInputInfo(&info));
    EXPECT_GT(info.dwTime, keyed);
}

}  // namespace
