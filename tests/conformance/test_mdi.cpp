// The MDI frame, client and children as the program uses them: pattern windows created with
// WS_EX_MDICHILD, activated through WM_MDIACTIVATE (which names both windows), destroyed
// through WM_MDIDESTROY, the menu bar switched with WM_MDISETMENU and the window list kept in
// the Window popup, and a maximised child's system menu put in front of the menu bar.
#include <string>

#include "conformance.h"
#include "res/resource.h"

using conformance::Logged;
using conformance::message_log;

namespace {

HWND g_client = nullptr;

LRESULT CALLBACK frame_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    message_log().record(hwnd, message, wparam, lparam);
    return DefFrameProcA(hwnd, g_client, message, wparam, lparam);
}

LRESULT CALLBACK child_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    message_log().record(hwnd, message, wparam, lparam);
    return DefMDIChildProcA(hwnd, message, wparam, lparam);
}

void register_classes() {
    conformance::register_class("CONFORMANCE_FRAME", frame_proc, GRAY_BRUSH);
    conformance::register_class("CONFORMANCE_CHILD", child_proc, GRAY_BRUSH);
}

HMENU load(int id) {
    return LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

// A frame with the project menu, its client listing children in the File popup from id 20.
struct Frame {
    HWND frame = nullptr;
    HMENU project_menu = load(IDR_PROJECT_MENU);
    HMENU pattern_menu = load(IDR_PATTERN_MENU);

    Frame() {
        register_classes();
        frame = CreateWindowExA(0, "CONFORMANCE_FRAME", "frame", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 10,
                                10, 700, 500, nullptr, project_menu, GetModuleHandleA(nullptr), nullptr);
        CLIENTCREATESTRUCT ccs{GetSubMenu(project_menu, 0), IDM_FIRST_MDI_CHILD};
        g_client = CreateWindowExA(
            WS_EX_CLIENTEDGE, "MDICLIENT", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 500, 400, frame,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_MDI_CLIENT)), GetModuleHandleA(nullptr), &ccs);
        ShowWindow(frame, SW_SHOW);
    }
    ~Frame() {
        DestroyWindow(frame);
        g_client = nullptr;
        DestroyMenu(project_menu);
        DestroyMenu(pattern_menu);
    }
    HWND child(const char* title, DWORD style = 0) const {
        return CreateWindowExA(WS_EX_MDICHILD, "CONFORMANCE_CHILD", title,
                               WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW | style, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, g_client, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
};

HWND active_child() {
    return reinterpret_cast<HWND>(SendMessageA(g_client, WM_MDIGETACTIVE, 0, 0));
}

std::string item_text(HMENU menu, int position) {
    char text[128] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
    return text;
}

// The WM_MDIACTIVATE a child received: which window it names as deactivated and as activated.
bool names(const Logged& m, HWND deactivated, HWND activated) {
    return reinterpret_cast<HWND>(m.wparam) == deactivated && reinterpret_cast<HWND>(m.lparam) == activated;
}

}  // namespace

CONFORMANCE_CASE(ANewChildIsActivatedAndTheOldOneHearsFirst) {
    Frame f;
    message_log().watch({WM_CREATE, WM_MDIACTIVATE, WM_NCACTIVATE});
    HWND a = f.child("A");
    CHECK(a != nullptr);
    CHECK(GetParent(a) == g_client);
    CHECK_EQ(GetDlgCtrlID(a), IDM_FIRST_MDI_CHILD);
    EXPECT_SEQUENCE(message_log().entries(), {{a, WM_CREATE}, {a, WM_NCACTIVATE, TRUE}, {a, WM_MDIACTIVATE}});
    if (message_log().entries().size() == 3) CHECK(names(message_log().entries()[2], nullptr, a));
    CHECK(active_child() == a);

    message_log().clear();
    HWND b = f.child("B");
    CHECK_EQ(GetDlgCtrlID(b), IDM_FIRST_MDI_CHILD + 1);
    EXPECT_SEQUENCE(message_log().entries(), {{b, WM_CREATE},
                                              {a, WM_NCACTIVATE, FALSE},
                                              {a, WM_MDIACTIVATE},
                                              {b, WM_NCACTIVATE, TRUE},
                                              {b, WM_MDIACTIVATE}});
    const std::vector<Logged> log = message_log().entries();
    if (log.size() == 5) {
        CHECK(names(log[2], a, b));  // the deactivated window hears both names too
        CHECK(names(log[4], a, b));
    }
    CHECK(active_child() == b);

    // Activating through the client, as the program does when the tree selects a pattern.
    message_log().clear();
    SendMessageA(g_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
    EXPECT_SEQUENCE(
        message_log().entries(),
        {{b, WM_NCACTIVATE, FALSE}, {b, WM_MDIACTIVATE}, {a, WM_NCACTIVATE, TRUE}, {a, WM_MDIACTIVATE}});
    CHECK(active_child() == a);
    // The active child again: nothing happens.
    message_log().clear();
    SendMessageA(g_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
    EXPECT_SEQUENCE(message_log().entries(), {});
}

CONFORMANCE_CASE(DestroyingTheActiveChildActivatesTheNext) {
    Frame f;
    HWND a = f.child("A");
    HWND b = f.child("B");
    HWND c = f.child("C");
    message_log().watch({WM_MDIACTIVATE, WM_DESTROY});
    message_log().clear();
    SendMessageA(g_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(c), 0);
    CHECK(!IsWindow(c));
    // The child below it in the z-order (the one active before it) takes over, then it goes.
    EXPECT_SEQUENCE(message_log().entries(), {{c, WM_MDIACTIVATE}, {b, WM_MDIACTIVATE}, {c, WM_DESTROY}});
    CHECK(active_child() == b);
    message_log().clear();
    SendMessageA(g_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(a), 0);  // not the active one
    EXPECT_SEQUENCE(message_log().entries(), {{a, WM_DESTROY}});
    CHECK(active_child() == b);
    message_log().clear();
    SendMessageA(g_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(b), 0);
    EXPECT_SEQUENCE(message_log().entries(), {{b, WM_MDIACTIVATE}, {b, WM_DESTROY}});
    if (message_log().entries().size() == 2) CHECK(names(message_log().entries()[0], b, nullptr));
    CHECK(active_child() == nullptr);
}

// WM_MDISETMENU gives the frame its menu bar and the client its window list's popup; the list
// follows, with the active child checked.
CONFORMANCE_CASE(SetMenuMovesTheWindowList) {
    Frame f;
    HMENU project_file = GetSubMenu(f.project_menu, 0);
    HMENU pattern_window = GetSubMenu(f.pattern_menu, 3);
    const int file_items = GetMenuItemCount(project_file);
    const int window_items = GetMenuItemCount(pattern_window);
    HWND a = f.child("walk");
    HWND b = f.child("run");
    // The list as the client was created: in the project menu's File popup.
    CHECK_EQ(GetMenuItemCount(project_file), file_items + 3);
    CHECK_EQ(GetMenuState(project_file, file_items, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);

    const LRESULT previous = SendMessageA(g_client, WM_MDISETMENU, reinterpret_cast<WPARAM>(f.pattern_menu),
                                          reinterpret_cast<LPARAM>(pattern_window));
    DrawMenuBar(f.frame);
    CHECK(reinterpret_cast<HMENU>(previous) == f.project_menu);
    CHECK(GetMenu(f.frame) == f.pattern_menu);
    CHECK_EQ(GetMenuItemCount(project_file), file_items);
    CHECK_EQ(GetMenuItemCount(pattern_window), window_items + 3);
    CHECK_EQ(GetMenuItemID(pattern_window, window_items + 1), IDM_FIRST_MDI_CHILD);
    CHECK_EQ(GetMenuItemID(pattern_window, window_items + 2), IDM_FIRST_MDI_CHILD + 1);
    CHECK_TEXT(item_text(pattern_window, window_items + 1), "&1 walk");
    CHECK_TEXT(item_text(pattern_window, window_items + 2), "&2 run");
    CHECK_EQ(GetMenuState(pattern_window, IDM_FIRST_MDI_CHILD + 1, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
    CHECK_EQ(GetMenuState(pattern_window, IDM_FIRST_MDI_CHILD, MF_BYCOMMAND) & MF_CHECKED, 0);

    // Choosing a window of the list activates it (DefFrameProc).
    SendMessageA(f.frame, WM_COMMAND, IDM_FIRST_MDI_CHILD, 0);
    CHECK(active_child() == a);
    // A null menu bar leaves the frame's as it is; the list stays where it is.
    SendMessageA(g_client, WM_MDISETMENU, 0, 0);
    CHECK(GetMenu(f.frame) == f.pattern_menu);
    CHECK_EQ(GetMenuItemCount(pattern_window), window_items + 3);
    // A destroyed child leaves the list, and the others keep their order.
    SendMessageA(g_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(a), 0);
    SendMessageA(g_client, WM_MDIREFRESHMENU, 0, 0);
    DrawMenuBar(f.frame);
    CHECK_EQ(GetMenuItemCount(pattern_window), window_items + 2);
    CHECK_TEXT(item_text(pattern_window, window_items + 1), "&1 run");
    CHECK_EQ(GetDlgCtrlID(b), IDM_FIRST_MDI_CHILD);
    SetMenu(f.frame, f.project_menu);
}

// A maximised child puts its system menu at position 0 of the frame's menu bar, so that the
// bar's popups move one place on; restoring it takes the item away again.
CONFORMANCE_CASE(AMaximisedChildShiftsTheMenuBar) {
    Frame f;
    HMENU bar = f.project_menu;
    HMENU file = GetSubMenu(bar, 0);
    HMENU edit = GetSubMenu(bar, 1);
    const int bar_items = GetMenuItemCount(bar);
    HWND a = f.child("A");
    SendMessageA(g_client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(a), 0);
    CHECK(IsZoomed(a));
    BOOL maximized = FALSE;
    CHECK(reinterpret_cast<HWND>(
              SendMessageA(g_client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized))) == a);
    CHECK(maximized);
    CHECK(GetSubMenu(bar, 1) == file);
    CHECK(GetSubMenu(bar, 2) == edit);
    CHECK(GetSubMenu(bar, 0) != nullptr);
    // The item in front is the child's own system menu, with Close; what cannot apply to a
    // maximised window (moving, sizing, maximising) is greyed, Restore is not. The texts are the
    // system's own language, so only commands and states are compared.
    HMENU system_menu = GetSystemMenu(a, FALSE);
    CHECK(system_menu != nullptr);
    CHECK(GetSubMenu(bar, 0) == system_menu);
    CHECK(GetMenuState(system_menu, SC_CLOSE, MF_BYCOMMAND) != 0xFFFFFFFF);
    CHECK_EQ(GetMenuState(system_menu, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED, 0);
    CHECK_EQ(GetMenuState(system_menu, SC_RESTORE, MF_BYCOMMAND) & MF_GRAYED, 0);
    CHECK_EQ(GetMenuState(system_menu, SC_MAXIMIZE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    CHECK_EQ(GetMenuState(system_menu, SC_MOVE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    CHECK_EQ(GetMenuState(system_menu, SC_SIZE, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
    // The child's minimise, restore and close buttons end the bar, right-justified.
    CHECK_EQ(GetMenuItemCount(bar), bar_items + 4);
    const UINT buttons[] = {SC_MINIMIZE, SC_RESTORE, SC_CLOSE};
    for (int i = 0; i < 3; ++i) {
        CHECK_EQ(GetMenuItemID(bar, bar_items + 1 + i), buttons[i]);
        CHECK_EQ(GetMenuState(bar, static_cast<UINT>(bar_items + 1 + i), MF_BYPOSITION) & MF_HELP, MF_HELP);
    }
    RECT client_area, child_client;
    GetClientRect(g_client, &client_area);
    GetClientRect(a, &child_client);
    CHECK_EQ(child_client.right, client_area.right);
    CHECK_EQ(child_client.bottom, client_area.bottom);
    // A new child created maximised, as the program creates one while its last pattern window
    // was maximised, takes over from the maximised one, which is restored.
    HWND b = f.child("B", WS_MAXIMIZE);
    CHECK(IsZoomed(b));
    CHECK(!IsZoomed(a));
    CHECK(GetSubMenu(bar, 0) == GetSystemMenu(b, FALSE));
    CHECK_EQ(GetMenuItemCount(bar), bar_items + 4);
    SendMessageA(g_client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(b), 0);
    CHECK(!IsZoomed(b));
    CHECK(GetSubMenu(bar, 0) == file);
    CHECK(GetSubMenu(bar, 1) == edit);
    CHECK_EQ(GetMenuItemCount(bar), bar_items);
}

// What is chosen on the bar reaches the frame as WM_COMMAND with the SC_ command; DefFrameProc
// hands it to the maximised child as WM_SYSCOMMAND, and to no child when none is maximised.
// While one is maximised, activating another maximises that one in its place.
CONFORMANCE_CASE(TheBarsSystemCommandsReachTheMaximisedChild) {
    Frame f;
    HMENU bar = f.project_menu;
    const int bar_items = GetMenuItemCount(bar);
    HWND a = f.child("A");
    HWND b = f.child("B");
    SendMessageA(g_client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(a), 0);
    SendMessageA(g_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(b), 0);
    CHECK(IsZoomed(b));
    CHECK(!IsZoomed(a));
    CHECK(GetSubMenu(bar, 0) == GetSystemMenu(b, FALSE));
    CHECK_EQ(GetMenuItemCount(bar), bar_items + 4);

    message_log().watch({WM_SYSCOMMAND});
    message_log().clear();
    SendMessageA(f.frame, WM_COMMAND, SC_RESTORE, 0);
    EXPECT_SEQUENCE(message_log().entries(), {{b, WM_SYSCOMMAND, SC_RESTORE}});
    CHECK(!IsZoomed(b));
    CHECK_EQ(GetMenuItemCount(bar), bar_items);
    message_log().clear();
    SendMessageA(f.frame, WM_COMMAND, SC_CLOSE, 0);
    EXPECT_SEQUENCE(message_log().entries(), {});
    CHECK(IsWindow(a) && IsWindow(b));
}

// While a child is maximised the frame's caption names it in brackets after the frame's own
// title; a title the program sets meanwhile keeps the child's, and restoring the child, or its
// going, leaves the frame's own title.
CONFORMANCE_CASE(TheFramesTitleNamesTheMaximisedChild) {
    Frame f;
    const auto title = [&] {
        char text[256] = {};
        GetWindowTextA(f.frame, text, sizeof text);
        return std::string(text);
    };
    HWND walk = f.child("walk");
    CHECK_TEXT(title(), "frame");
    SendMessageA(g_client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(walk), 0);
    CHECK_TEXT(title(), "frame - [walk]");
    SetWindowTextA(f.frame, "frame - p.cwp *");
    CHECK_TEXT(title(), "frame - p.cwp * - [walk]");
    SetWindowTextA(walk, "run");
    CHECK_TEXT(title(), "frame - p.cwp * - [run]");
    SendMessageA(g_client, WM_MDIRESTORE, reinterpret_cast<WPARAM>(walk), 0);
    CHECK_TEXT(title(), "frame - p.cwp *");
    SendMessageA(g_client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(walk), 0);
    SendMessageA(g_client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(walk), 0);
    CHECK_TEXT(title(), "frame - p.cwp *");
}
