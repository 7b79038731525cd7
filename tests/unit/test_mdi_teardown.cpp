// MDI children destroyed together with their frame: each child, as it goes, sees only
// siblings that still exist, as the program's pattern windows do when the main window
// closes (the last one switches the frame's menu bar while the others are gone).
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace {

HWND g_client = nullptr;
HWND g_frame = nullptr;
HMENU g_other_bar = nullptr;
// For each child at its WM_DESTROY: whether the client's active child was none or a window that still
// existed.
std::vector<bool> g_active_existed;

LRESULT CALLBACK frame_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    return DefFrameProcA(h, g_client, m, wp, lp);
}

LRESULT CALLBACK child_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_DESTROY) {
        const HWND active = reinterpret_cast<HWND>(SendMessageA(g_client, WM_MDIGETACTIVE, 0, 0));
        g_active_existed.push_back(active == nullptr || IsWindow(active));
        // The frame's bar changes while the siblings destroyed before are gone.
        SendMessageA(g_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(g_other_bar), 0);
    }
    return DefMDIChildProcA(h, m, wp, lp);
}

TEST(MdiTeardown, ChildrenGoingWithTheirFrameNeverSeeADestroyedSibling) {
    WNDCLASSA frame_class{};
    frame_class.lpfnWndProc = frame_proc;
    frame_class.lpszClassName = "TEARDOWN_FRAME";
    RegisterClassA(&frame_class);
    WNDCLASSA child_class{};
    child_class.lpfnWndProc = child_proc;
    child_class.lpszClassName = "TEARDOWN_CHILD";
    RegisterClassA(&child_class);

    HMENU bar = CreateMenu();
    HMENU window_menu = CreatePopupMenu();
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(window_menu), "Window");
    g_other_bar = CreateMenu();
    AppendMenuA(g_other_bar, MF_STRING, 7, "Other");
    g_frame = CreateWindowExA(0, "TEARDOWN_FRAME", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 500,
                              nullptr, bar, nullptr, nullptr);
    CLIENTCREATESTRUCT ccs{window_menu, 20};
    g_client = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", "", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300,
                               g_frame, reinterpret_cast<HMENU>(1), nullptr, &ccs);
    std::vector<HWND> children;
    for (const char* title : {"A", "B", "C"})
        children.push_back(CreateWindowExA(WS_EX_MDICHILD, "TEARDOWN_CHILD", title, WS_CHILD | WS_VISIBLE,
                                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                           g_client, nullptr, nullptr, nullptr));
    SendMessageA(g_client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(children[1]), 0);

    DestroyWindow(g_frame);
    EXPECT_EQ(g_active_existed, (std::vector<bool>{true, true, true}));
    for (HWND c : children) EXPECT_FALSE(IsWindow(c));
    DestroyMenu(bar);
    DestroyMenu(g_other_bar);
}

}  // namespace
