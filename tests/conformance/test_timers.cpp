// Timers and folders, as the editor keeps its recovery copy with them: a timer wakes a waiting
// loop when it is due and reaches its procedure through DispatchMessage, and a folder is made
// and removed only as the system allows.
#include "conformance.h"

using conformance::message_log;
using conformance::recording_class;

namespace {

UINT_PTR g_fired_id = 0;
int g_fired = 0;

void CALLBACK count_timer(HWND, UINT message, UINT_PTR id, DWORD) {
    if (message != WM_TIMER) return;
    g_fired_id = id;
    ++g_fired;
}

// The next WM_TIMER, waiting for at most `ms`; anything else that comes meanwhile is dispatched.
// A zero message when none came.
MSG next_timer_message(DWORD ms) {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (;;) {
        MSG m{};
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_TIMER) return m;
            DispatchMessageA(&m);
        }
        QueryPerformanceCounter(&now);
        const long long elapsed = (now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart;
        if (elapsed >= static_cast<long long>(ms)) return MSG{};
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms - elapsed), QS_ALLINPUT);
    }
}

}  // namespace

CONFORMANCE_CASE(ATimerWakesTheWaitAndDispatchCallsItsProcedure) {
    g_fired = 0;
    conformance::pump_messages();
    const UINT_PTR id = SetTimer(nullptr, 0, 60, count_timer);
    CHECK(id != 0);
    MSG m{};
    // Not yet due.
    CHECK(!PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
    // A long wait ends when the timer is due, well before its own time runs out.
    CHECK_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 10000, QS_ALLINPUT), WAIT_OBJECT_0);
    m = next_timer_message(10000);
    CHECK_EQ(m.message, WM_TIMER);
    CHECK_EQ(m.wParam, id);
    CHECK(m.hwnd == nullptr);
    WINE_DIFFERS("Wine 8 puts a value of its own in the lParam of a timer with a procedure",
                 CHECK(m.lParam == reinterpret_cast<LPARAM>(count_timer)));
    DispatchMessageA(&m);
    CHECK_EQ(g_fired, 1);
    CHECK_EQ(g_fired_id, id);
    // It comes again, once per interval, until it is killed.
    m = next_timer_message(10000);
    CHECK_EQ(m.message, WM_TIMER);
    CHECK(KillTimer(nullptr, id));
    CHECK(!KillTimer(nullptr, id));
    while (PeekMessageA(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
    CHECK_EQ(next_timer_message(250).message, 0);
}

CONFORMANCE_CASE(AWindowsTimerGoesToItsProcedureAndEndsWithIt) {
    HWND w = CreateWindowExA(0, recording_class(), "timed", WS_OVERLAPPEDWINDOW, 40, 40, 200, 100, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!CHECK(w != nullptr)) return;
    message_log().watch({WM_TIMER});
    message_log().clear();
    CHECK(SetTimer(w, 7, 40, nullptr) != 0);
    const MSG m = next_timer_message(10000);
    CHECK(m.hwnd == w);
    CHECK_EQ(m.wParam, 7);
    DispatchMessageA(&m);
    EXPECT_SEQUENCE(message_log().entries(), {{w, WM_TIMER, 7}});
    // Setting it again under its id replaces it rather than adding a second.
    CHECK(SetTimer(w, 7, 40, nullptr) != 0);
    CHECK(KillTimer(w, 7));
    CHECK(!KillTimer(w, 7));
    CHECK(SetTimer(w, 8, 40, nullptr) != 0);
    DestroyWindow(w);
    CHECK(!KillTimer(w, 8));
    CHECK_EQ(next_timer_message(200).message, 0);
}

CONFORMANCE_CASE(FoldersAreMadeOnceAndRemovedOnlyWhenEmpty) {
    const char folder[] = "conformance_folder";
    const char inside[] = "conformance_folder/file.bin";
    RemoveDirectoryA(folder);
    CHECK(CreateDirectoryA(folder, nullptr));
    CHECK(GetFileAttributesA(folder) & FILE_ATTRIBUTE_DIRECTORY);
    CHECK(!CreateDirectoryA(folder, nullptr));
    CHECK_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    HANDLE f = CreateFileA(inside, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(f != INVALID_HANDLE_VALUE);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    CHECK(!RemoveDirectoryA(folder));
    CHECK_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    // A file is not a folder to remove.
    CHECK(!RemoveDirectoryA(inside));
    CHECK(GetFileAttributesA(inside) != INVALID_FILE_ATTRIBUTES);
    CHECK(DeleteFileA(inside));
    CHECK(RemoveDirectoryA(folder));
    CHECK_EQ(GetFileAttributesA(folder), INVALID_FILE_ATTRIBUTES);
    CHECK(!RemoveDirectoryA(folder));
}
