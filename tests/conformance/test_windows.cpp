// The order of messages when windows are created, shown, activated and destroyed: the
// program's main window, image window and edit panel keep app_active from WM_ACTIVATE and lay
// out their children on WM_CREATE and WM_SIZE.
#include "conformance.h"

using conformance::message_log;
using conformance::recording_class;

namespace {

HWND top_level(const char* title, DWORD style = WS_OVERLAPPEDWINDOW, int x = 40) {
    return CreateWindowExA(0, recording_class(), title, style, x, 40, 300, 200, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

HWND child_of(HWND parent, int id) {
    return CreateWindowExA(0, recording_class(), "", WS_CHILD | WS_VISIBLE, 5, 6, 70, 40, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                           nullptr);
}

}  // namespace

CONFORMANCE_CASE(CreatingAHiddenTopLevelWindow) {
    message_log().watch({WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS,
                         WM_SIZE, WM_MOVE});
    HWND w = top_level("hidden");
    CHECK(w != nullptr);
    // An overlapped window hears its size only when it is first shown.
    EXPECT_SEQUENCE(message_log().entries(), {{w, WM_GETMINMAXINFO}, {w, WM_NCCREATE}, {w, WM_CREATE}});
    CHECK(!IsWindowVisible(w));
    CHECK(GetActiveWindow() != w);
    DestroyWindow(w);
}

CONFORMANCE_CASE(ShowingATopLevelWindowActivatesAndFocusesIt) {
    HWND w = top_level("shown");
    message_log().watch(
        {WM_SHOWWINDOW, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS, WM_SIZE, WM_MOVE});
    ShowWindow(w, SW_SHOW);
    EXPECT_SEQUENCE(message_log().entries(), {{w, WM_SHOWWINDOW, TRUE},
                                              {w, WM_NCACTIVATE, TRUE},
                                              {w, WM_ACTIVATE, WA_ACTIVE},
                                              {w, WM_SETFOCUS},
                                              {w, WM_SIZE, SIZE_RESTORED},
                                              {w, WM_MOVE}});
    // Only the first showing brings the size.
    ShowWindow(w, SW_HIDE);
    message_log().clear();
    ShowWindow(w, SW_SHOW);
    EXPECT_SEQUENCE(
        message_log().entries(),
        {{w, WM_SHOWWINDOW, TRUE}, {w, WM_NCACTIVATE, TRUE}, {w, WM_ACTIVATE, WA_ACTIVE}, {w, WM_SETFOCUS}});
    CHECK(IsWindowVisible(w));
    CHECK(GetActiveWindow() == w);
    CHECK(GetFocus() == w);
    DestroyWindow(w);
}

// When activation moves between two windows of the program, the old one hears of it first,
// so a flag kept from WM_ACTIVATE ends set.
CONFORMANCE_CASE(ActivationMovesDeactivationFirst) {
    HWND a = top_level("a", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40);
    HWND b = top_level("b", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 360);
    CHECK(GetActiveWindow() == b);
    message_log().watch({WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS});
    message_log().clear();
    CHECK(SetActiveWindow(a) == b);
    EXPECT_SEQUENCE(message_log().entries(), {{b, WM_NCACTIVATE, FALSE},
                                              {b, WM_ACTIVATE, WA_INACTIVE},
                                              {a, WM_NCACTIVATE, TRUE},
                                              {a, WM_ACTIVATE, WA_ACTIVE},
                                              {b, WM_KILLFOCUS},
                                              {a, WM_SETFOCUS}});
    const std::vector<conformance::Logged> log = message_log().entries();
    if (log.size() == 6) {
        CHECK(reinterpret_cast<HWND>(log[1].lparam) == a);  // WM_ACTIVATE names the other window
        CHECK(reinterpret_cast<HWND>(log[3].lparam) == b);
        CHECK(reinterpret_cast<HWND>(log[4].wparam) == a);  // WM_KILLFOCUS names where focus goes
        CHECK(reinterpret_cast<HWND>(log[5].wparam) == b);
    }
    CHECK(GetActiveWindow() == a);
    // Activating the active window again sends nothing.
    message_log().clear();
    CHECK(SetActiveWindow(a) == a);
    EXPECT_SEQUENCE(message_log().entries(), {});
    DestroyWindow(b);
    DestroyWindow(a);
}

CONFORMANCE_CASE(AChildIsCreatedWithoutActivationAndItsParentIsTold) {
    HWND parent = top_level("parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    message_log().watch({WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE, WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS,
                         WM_SIZE, WM_MOVE, WM_PARENTNOTIFY});
    message_log().clear();
    HWND child = child_of(parent, 7);
    EXPECT_SEQUENCE(message_log().entries(), {{child, WM_NCCREATE},
                                              {child, WM_CREATE},
                                              {child, WM_SIZE, SIZE_RESTORED},
                                              {child, WM_MOVE},
                                              {parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, 7)},
                                              {child, WM_SHOWWINDOW, TRUE}});
    const std::vector<conformance::Logged> notes = message_log().of(parent);
    if (!notes.empty()) CHECK(reinterpret_cast<HWND>(notes[0].lparam) == child);
    CHECK(GetActiveWindow() == parent);
    CHECK(GetParent(child) == parent);
    CHECK_EQ(GetDlgCtrlID(child), 7);
    RECT r;
    GetWindowRect(child, &r);
    POINT origin{0, 0};
    ClientToScreen(parent, &origin);
    CHECK_EQ(r.left - origin.x, 5);
    CHECK_EQ(r.top - origin.y, 6);
    CHECK_EQ(r.right - r.left, 70);
    CHECK_EQ(r.bottom - r.top, 40);
    DestroyWindow(parent);
}

// A parent hears WM_DESTROY before its children and WM_NCDESTROY after them; an active window
// hands activation on before it goes.
CONFORMANCE_CASE(DestructionOrderAndActivationHandedOn) {
    HWND other = top_level("other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 360);
    HWND parent = top_level("parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40);
    HWND child = child_of(parent, 1);
    HWND grandchild = child_of(child, 2);
    CHECK(GetActiveWindow() == parent);
    message_log().watch({WM_ACTIVATE, WM_DESTROY, WM_NCDESTROY});
    message_log().clear();
    CHECK(DestroyWindow(parent));
    EXPECT_SEQUENCE(message_log().entries(), {{parent, WM_ACTIVATE, WA_INACTIVE},
                                              {other, WM_ACTIVATE, WA_ACTIVE},
                                              {parent, WM_DESTROY},
                                              {child, WM_DESTROY},
                                              {grandchild, WM_DESTROY},
                                              {grandchild, WM_NCDESTROY},
                                              {child, WM_NCDESTROY},
                                              {parent, WM_NCDESTROY}});
    CHECK(!IsWindow(parent));
    CHECK(!IsWindow(child));
    CHECK(!IsWindow(grandchild));
    CHECK(GetActiveWindow() == other);
    DestroyWindow(other);
}

CONFORMANCE_CASE(HidingAndResizingReportTheClientArea) {
    HWND w = top_level("sized", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    RECT outer{0, 0, 320, 240};
    CHECK(AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0));
    message_log().watch({WM_SIZE, WM_MOVE, WM_SHOWWINDOW});
    message_log().clear();
    SetWindowPos(w, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_SEQUENCE(message_log().entries(), {{w, WM_SIZE, SIZE_RESTORED}});
    if (message_log().entries().size() == 1)
        CHECK_EQ(message_log().entries()[0].lparam, MAKELPARAM(320, 240));
    RECT client;
    GetClientRect(w, &client);
    CHECK_EQ(client.right, 320);
    CHECK_EQ(client.bottom, 240);
    message_log().clear();
    ShowWindow(w, SW_HIDE);
    EXPECT_SEQUENCE(message_log().entries(), {{w, WM_SHOWWINDOW, FALSE}});
    CHECK(!IsWindowVisible(w));
    DestroyWindow(w);
}

// A window placed beside another is kept on the screen by its work area: a part of the screen,
// never larger, and not empty.
CONFORMANCE_CASE(TheWorkAreaLiesWithinTheScreen) {
    RECT area{};
    CHECK(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    CHECK(w > 0 && h > 0);
    CHECK(area.left >= 0 && area.top >= 0);
    CHECK(area.right <= w && area.bottom <= h);
    CHECK(area.right > area.left && area.bottom > area.top);
}
