// Repainting and waiting as the program relies on them: an invalidated window hears WM_PAINT
// from the queue when nothing else waits, its background erased through BeginPaint first with
// the class brush; UpdateWindow paints at once; a validated or hidden window is not painted.
// PeekMessage returns at once on an empty queue, MsgWaitForMultipleObjects waits for input or
// its time, and the performance counter runs forward.
#include <algorithm>
#include <vector>

#include "conformance.h"

using conformance::message_log;
using conformance::recording_class;

namespace {

HWND shown_window(const char* title) {
    HWND w = CreateWindowExA(0, recording_class(), title, WS_OVERLAPPEDWINDOW, 60, 60, 240, 160, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(w, SW_SHOW);
    conformance::pump_messages();  // the first painting of a new window
    return w;
}

COLORREF client_pixel(HWND w, int x, int y) {
    HDC dc = GetDC(w);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(w, dc);
    return c;
}

void paint_red(HWND w) {
    HDC dc = GetDC(w);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT r{0, 0, 50, 50};
    FillRect(dc, &r, red);
    DeleteObject(red);
    ReleaseDC(w, dc);
}

bool update_pending(HWND w) {
    RECT r;
    return GetUpdateRect(w, &r, FALSE) != FALSE;
}

long long elapsed_ms(const LARGE_INTEGER& from) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (now.QuadPart - from.QuadPart) * 1000 / frequency.QuadPart;
}

}  // namespace

CONFORMANCE_CASE(AnInvalidatedWindowIsErasedThenPaintedFromTheQueue) {
    HWND w = shown_window("paint");
    CHECK(!update_pending(w));
    paint_red(w);
    CHECK_EQ(client_pixel(w, 10, 10), RGB(255, 0, 0));
    message_log().watch({WM_PAINT, WM_ERASEBKGND});
    InvalidateRect(w, nullptr, TRUE);
    CHECK(update_pending(w));
    CHECK(message_log().entries().empty());  // nothing is sent: WM_PAINT waits in the queue
    conformance::pump_messages();
    // DefWindowProc answers WM_PAINT with BeginPaint, which erases with the class brush.
    EXPECT_SEQUENCE(message_log().entries(), {{w, WM_PAINT}, {w, WM_ERASEBKGND}});
    CHECK(!update_pending(w));
    CHECK_EQ(client_pixel(w, 10, 10), RGB(255, 255, 255));
    DestroyWindow(w);
}

CONFORMANCE_CASE(WithoutEraseOnlyWmPaintComes) {
    HWND w = shown_window("no erase");
    paint_red(w);
    message_log().watch({WM_PAINT, WM_ERASEBKGND});
    InvalidateRect(w, nullptr, FALSE);
    conformance::pump_messages();
    EXPECT_SEQUENCE(message_log().entries(), {{w, WM_PAINT}});
    CHECK_EQ(client_pixel(w, 10, 10), RGB(255, 0, 0));
    DestroyWindow(w);
}

CONFORMANCE_CASE(UpdateWindowPaintsAtOnceAndOnlyWhatIsInvalid) {
    HWND w = shown_window("update");
    message_log().watch({WM_PAINT});
    UpdateWindow(w);
    CHECK(message_log().entries().empty());  // nothing to paint
    InvalidateRect(w, nullptr, TRUE);
    UpdateWindow(w);
    EXPECT_SEQUENCE(message_log().entries(), {{w, WM_PAINT}});
    message_log().clear();
    conformance::pump_messages();
    CHECK(message_log().entries().empty());  // already painted
    DestroyWindow(w);
}

CONFORMANCE_CASE(ValidatedAndHiddenWindowsAreNotPainted) {
    HWND w = shown_window("validated");
    message_log().watch({WM_PAINT});
    InvalidateRect(w, nullptr, TRUE);
    ValidateRect(w, nullptr);
    conformance::pump_messages();
    CHECK(message_log().entries().empty());
    ShowWindow(w, SW_HIDE);
    conformance::pump_messages();
    message_log().clear();
    InvalidateRect(w, nullptr, TRUE);
    conformance::pump_messages();
    CHECK(message_log().entries().empty());
    // Shown again, it is painted.
    ShowWindow(w, SW_SHOW);
    conformance::pump_messages();
    CHECK(!message_log().of(w).empty() && message_log().of(w).front().message == WM_PAINT);
    DestroyWindow(w);
}

CONFORMANCE_CASE(BeginPaintNamesTheInvalidPartAndValidatesIt) {
    HWND w = shown_window("begin");
    RECT part{10, 20, 30, 40};
    InvalidateRect(w, &part, TRUE);
    RECT pending{};
    CHECK(GetUpdateRect(w, &pending, FALSE));
    CHECK(pending.left <= 10 && pending.top <= 20 && pending.right >= 30 && pending.bottom >= 40);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    CHECK(dc != nullptr);
    CHECK(ps.hdc == dc);
    CHECK(ps.rcPaint.left <= 10 && ps.rcPaint.top <= 20 && ps.rcPaint.right >= 30 && ps.rcPaint.bottom >= 40);
    EndPaint(w, &ps);
    CHECK(!update_pending(w));
    DestroyWindow(w);
}

CONFORMANCE_CASE(PeekMessageReturnsAtOnceWhenNothingWaits) {
    conformance::pump_messages();
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    MSG msg;
    int found = 0;
    std::vector<long long> microseconds;
    for (int i = 0; i < 200; ++i) {
        LARGE_INTEGER before, after;
        QueryPerformanceCounter(&before);
        found += PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) ? 1 : 0;
        QueryPerformanceCounter(&after);
        microseconds.push_back((after.QuadPart - before.QuadPart) * 1000000 / frequency.QuadPart);
    }
    CHECK_EQ(found, 0);
    // A look that waited would take a display frame (16 ms). A busy machine holds up some looks
    // whatever the call does, so the middle one tells, not the sum.
    std::nth_element(microseconds.begin(), microseconds.begin() + 100, microseconds.end());
    CHECK(microseconds[100] < 4000);
}

CONFORMANCE_CASE(MsgWaitForMultipleObjectsWaitsForInputOrItsTime) {
    HWND w = shown_window("wait");
    LARGE_INTEGER frequency, a, b;
    CHECK(QueryPerformanceFrequency(&frequency));
    CHECK(frequency.QuadPart > 0);
    CHECK(QueryPerformanceCounter(&a));
    CHECK(QueryPerformanceCounter(&b));
    CHECK(b.QuadPart >= a.QuadPart);
    // Nothing comes: it waits its time and says so. (A new window may still hear from the
    // desktop for a moment; that input is taken first.)
    LARGE_INTEGER start;
    DWORD result = WAIT_OBJECT_0;
    for (int attempt = 0; attempt < 50 && result != WAIT_TIMEOUT; ++attempt) {
        conformance::pump_messages();
        QueryPerformanceCounter(&start);
        result = MsgWaitForMultipleObjects(0, nullptr, FALSE, 60, QS_ALLINPUT);
    }
    CHECK_EQ(result, WAIT_TIMEOUT);
    CHECK(elapsed_ms(start) >= 40);
    // A posted message ends the wait at once.
    PostMessageA(w, WM_NULL, 0, 0);
    QueryPerformanceCounter(&start);
    CHECK_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT), WAIT_OBJECT_0);
    CHECK(elapsed_ms(start) < 2000);
    conformance::pump_messages();
    DestroyWindow(w);
}
