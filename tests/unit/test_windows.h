// A top-level window of a class of the test's own, for controls under test.
#pragma once

#include <windows.h>

// Registers the class once (later calls reuse it) and creates a window of it.
inline HWND make_test_parent(const char* class_name, WNDPROC proc, int width, int height) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = class_name;
    RegisterClassA(&wc);  // fails harmlessly when the class is already there
    return CreateWindowExA(0, class_name, "parent", WS_OVERLAPPEDWINDOW, 0, 0, width, height, nullptr,
                           nullptr, nullptr, nullptr);
}
