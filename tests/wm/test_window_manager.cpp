// The window manager behaves as the program expects of the system: message
// order, geometry, scroll bars as non-client parts, subclassing, activation,
// modal dialogs, the queue and the MDI client.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "automation/automation.h"

namespace {

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};
std::vector<Seen> g_seen;

LRESULT CALLBACK recording_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    g_seen.push_back({h, m, wp, lp});
    if (m == WM_NCCREATE) return TRUE;
    return DefWindowProcA(h, m, wp, lp);
}

LRESULT CALLBACK recording_child_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    g_seen.push_back({h, m, wp, lp});
    return DefMDIChildProcA(h, m, wp, lp);
}

const char* test_class() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = recording_proc;
        wc.lpszClassName = "TEST_RECORDING";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        registered = RegisterClassA(&wc) != 0;
        wc.lpfnWndProc = recording_child_proc;
        wc.lpszClassName = "TEST_MDI_CHILD";
        RegisterClassA(&wc);
    }
    return "TEST_RECORDING";
}

std::vector<UINT> messages_of(HWND h) {
    std::vector<UINT> out;
    for (const Seen& s : g_seen)
        if (s.hwnd == h) out.push_back(s.msg);
    return out;
}

int index_of(UINT msg, HWND h, LPARAM lp_match = -1) {
    for (size_t i = 0; i < g_seen.size(); ++i)
        if (g_seen[i].hwnd == h && g_seen[i].msg == msg && (lp_match == -1 || g_seen[i].lp == lp_match))
            return static_cast<int>(i);
    return -1;
}

class WindowManager : public ::testing::Test {
  protected:
    void SetUp() override {
        cw::automation::set_active(true);
        test_class();
        g_seen.clear();
    }
    void TearDown() override {
        for (HWND h : created_)
            if (IsWindow(h)) DestroyWindow(h);
    }
    HWND top(DWORD style = WS_OVERLAPPEDWINDOW, HMENU menu = nullptr, int w = 300, int h = 200) {
        HWND hwnd =
            CreateWindowExA(0, test_class(), "top", style, 10, 10, w, h, nullptr, menu, nullptr, nullptr);
        created_.push_back(hwnd);
        return hwnd;
    }
    std::vector<HWND> created_;
};

TEST_F(WindowManager, CreationSendsItsMessagesInTheSystemsOrder) {
    HWND t = top();
    ASSERT_NE(t, nullptr);
    // An overlapped window hears its size and position when it is first shown.
    EXPECT_EQ(messages_of(t), (std::vector<UINT>{WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE}));
    g_seen.clear();
    ShowWindow(t, SW_SHOW);
    const std::vector<UINT> shown = messages_of(t);
    const int size_at = index_of(WM_SIZE, t), move_at = index_of(WM_MOVE, t);
    EXPECT_GE(size_at, 0);
    EXPECT_EQ(move_at, size_at + 1);
    EXPECT_EQ(shown.front(), static_cast<UINT>(WM_SHOWWINDOW));

    g_seen.clear();
    HWND c = CreateWindowExA(0, test_class(), "child", WS_CHILD | WS_VISIBLE, 0, 0, 50, 40, t, nullptr,
                             nullptr, nullptr);
    const std::vector<UINT> child_msgs = messages_of(c);
    ASSERT_GE(child_msgs.size(), 4u);
    EXPECT_EQ(child_msgs[0], static_cast<UINT>(WM_NCCREATE)) << "no WM_GETMINMAXINFO for a child";
    EXPECT_EQ(child_msgs[1], static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(index_of(WM_PARENTNOTIFY, t) >= 0, true);

    g_seen.clear();
    DestroyWindow(t);
    EXPECT_FALSE(IsWindow(c));
    // The parent hears WM_DESTROY before its children, and WM_NCDESTROY after them.
    EXPECT_LT(index_of(WM_DESTROY, t), index_of(WM_DESTROY, c));
    EXPECT_LT(index_of(WM_NCDESTROY, c), index_of(WM_NCDESTROY, t));
}

TEST_F(WindowManager, AdjustWindowRectMatchesTheClientAreaItProduces) {
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_STRING, 1, "File");
    for (const bool with_menu : {false, true}) {
        RECT r{0, 0, 320, 240};
        AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, with_menu);
        HWND t = top(WS_OVERLAPPEDWINDOW, with_menu ? bar : nullptr, r.right - r.left, r.bottom - r.top);
        RECT c;
        GetClientRect(t, &c);
        EXPECT_EQ(c.right, 320) << with_menu;
        EXPECT_EQ(c.bottom, 240) << with_menu;
        DestroyWindow(t);
    }
    HWND t = top();
    RECT r{0, 0, 100, 60};
    const DWORD style = WS_CHILD | WS_BORDER, ex = WS_EX_CLIENTEDGE;
    AdjustWindowRectEx(&r, style, FALSE, ex);
    HWND c = CreateWindowExA(ex, test_class(), "", style, 0, 0, r.right - r.left, r.bottom - r.top, t,
                             nullptr, nullptr, nullptr);
    RECT cr;
    GetClientRect(c, &cr);
    EXPECT_EQ(cr.right, 100);
    EXPECT_EQ(cr.bottom, 60);
}

TEST_F(WindowManager, ShowingAScrollBarShrinksTheClientAreaAndSendsWmSize) {
    HWND t = top();
    HWND c = CreateWindowExA(0, test_class(), "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 200, t, nullptr, nullptr,
                             nullptr);
    g_seen.clear();
    SetScrollRange(c, SB_HORZ, 0, 50, TRUE);
    RECT cr;
    GetClientRect(c, &cr);
    EXPECT_EQ(cr.right, 200);
    EXPECT_EQ(cr.bottom, 200 - GetSystemMetrics(SM_CYHSCROLL));
    const int size = index_of(WM_SIZE, c);
    ASSERT_GE(size, 0);
    EXPECT_EQ(HIWORD(g_seen[size].lp), 200 - GetSystemMetrics(SM_CYHSCROLL));
    EXPECT_TRUE(GetWindowLongPtrA(c, GWL_STYLE) & WS_HSCROLL);
    // Positions are kept inside the range.
    SetScrollPos(c, SB_HORZ, 80, TRUE);
    EXPECT_EQ(GetScrollPos(c, SB_HORZ), 50);
    SetScrollPos(c, SB_HORZ, -5, TRUE);
    EXPECT_EQ(GetScrollPos(c, SB_HORZ), 0);
    // An empty range hides it again and gives the height back.
    SetScrollRange(c, SB_HORZ, 0, 0, TRUE);
    GetClientRect(c, &cr);
    EXPECT_EQ(cr.bottom, 200);
    ShowScrollBar(c, SB_VERT, TRUE);
    GetClientRect(c, &cr);
    EXPECT_EQ(cr.right, 200 - GetSystemMetrics(SM_CXVSCROLL));
}

WNDPROC g_old_proc = nullptr;
int g_subclass_saw = 0;
LRESULT CALLBACK subclass_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_USER + 7) ++g_subclass_saw;
    return CallWindowProcA(g_old_proc, h, m, wp, lp);
}

TEST_F(WindowManager, SubclassingSeesMessagesFirstAndPassesThemOn) {
    HWND t = top();
    g_old_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(t, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass_proc)));
    EXPECT_EQ(g_old_proc, recording_proc);
    g_seen.clear();
    g_subclass_saw = 0;
    SendMessageA(t, WM_USER + 7, 1, 2);
    EXPECT_EQ(g_subclass_saw, 1);
    EXPECT_GE(index_of(WM_USER + 7, t), 0) << "the original procedure still got it";
    SetWindowLongPtrA(t, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_old_proc));
    SendMessageA(t, WM_USER + 7, 1, 2);
    EXPECT_EQ(g_subclass_saw, 1);
}

TEST_F(WindowManager, DeactivationArrivesBeforeTheNextActivation) {
    HWND a = top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND b = top(WS_OVERLAPPEDWINDOW);
    EXPECT_EQ(GetActiveWindow(), a);
    g_seen.clear();
    ShowWindow(b, SW_SHOW);
    EXPECT_EQ(GetActiveWindow(), b);
    const int off = index_of(WM_ACTIVATE, a);
    const int on = index_of(WM_ACTIVATE, b);
    ASSERT_GE(off, 0);
    ASSERT_GE(on, 0);
    EXPECT_LT(off, on);
    EXPECT_EQ(LOWORD(g_seen[off].wp), WA_INACTIVE);
    EXPECT_EQ(reinterpret_cast<HWND>(g_seen[off].lp), b);
    EXPECT_EQ(LOWORD(g_seen[on].wp), WA_ACTIVE);
    EXPECT_EQ(reinterpret_cast<HWND>(g_seen[on].lp), a);
}

TEST_F(WindowManager, PostedMessagesComeInOrderAndQuitOnlyWhenTheQueueIsEmpty) {
    HWND t = top();
    PostMessageA(t, WM_USER + 1, 0, 0);
    PostQuitMessage(3);
    PostMessageA(t, WM_USER + 2, 0, 0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 1));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 2));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0)) << "no such window";
}

TEST_F(WindowManager, WindowTextIsCutOnACharacterBoundary) {
    HWND t = top();
    SetWindowTextA(t,
                   "ab\x95\x5c"
                   "cd");  // a double-byte character whose trail byte is a backslash
    char buf[4];
    EXPECT_EQ(GetWindowTextA(t, buf, sizeof buf), 2);
    EXPECT_STREQ(buf, "ab");
    char all[16];
    EXPECT_EQ(GetWindowTextA(t, all, sizeof all), 6);
    EXPECT_EQ(GetWindowTextLengthA(t), 6);
}

INT_PTR CALLBACK plain_dialog(HWND, UINT m, WPARAM, LPARAM) {
    return m == WM_INITDIALOG ? TRUE : FALSE;
}

TEST_F(WindowManager, AModalDialogDisablesItsOwnerUntilEndDialog) {
    HWND owner = top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    bool owner_enabled_inside = true;
    int opened = 0;
    cw::automation::set_dialog_hook([&](HWND dialog, int id) {
        ++opened;
        EXPECT_EQ(id, 124);
        owner_enabled_inside = IsWindowEnabled(owner);
        EXPECT_EQ(GetActiveWindow(), dialog);
        EndDialog(dialog, 42);
    });
    const INT_PTR result = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(124), owner, plain_dialog, 0);
    cw::automation::set_dialog_hook(nullptr);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(result, 42);
    EXPECT_FALSE(owner_enabled_inside);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner);
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(9999), owner, plain_dialog, 0), -1)
        << "unknown template";
}

TEST_F(WindowManager, DialogUnitsFollowTheDialogFont) {
    HWND owner = top(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    HWND panel = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(119), owner, plain_dialog, 0);
    ASSERT_NE(panel, nullptr);
    RECT r;
    GetWindowRect(panel, &r);
    // 121 x 216 dialog units in a 9-point font: wider than tall would be wrong, and
    // neither side may be zero or absurd.
    EXPECT_GT(r.right - r.left, 121);
    EXPECT_LT(r.right - r.left, 121 * 3);
    EXPECT_GT(r.bottom - r.top, 216);
    EXPECT_LT(r.bottom - r.top, 216 * 3);
    EXPECT_FALSE(IsWindowEnabled(panel)) << "the template creates it disabled";
    EXPECT_TRUE(IsWindowVisible(panel));
    EXPECT_NE(GetDlgItem(panel, 1019), nullptr);
}

// ---- MDI ------------------------------------------------------------------

class Mdi : public WindowManager {
  protected:
    void SetUp() override {
        WindowManager::SetUp();
        bar_ = CreateMenu();
        window_menu_ = CreatePopupMenu();
        AppendMenuA(window_menu_, MF_STRING, 100, "Cascade");
        AppendMenuA(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(window_menu_), "Window");
        frame_ = top(WS_OVERLAPPEDWINDOW | WS_VISIBLE, bar_, 600, 500);
        CLIENTCREATESTRUCT ccs{window_menu_, 20};
        client_ = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", "", WS_CHILD | WS_VISIBLE, 0, 0, 400, 300,
                                  frame_, reinterpret_cast<HMENU>(1), nullptr, &ccs);
    }
    HWND child(const char* title) {
        HWND h =
            CreateWindowExA(WS_EX_MDICHILD, "TEST_MDI_CHILD", title, WS_CHILD | WS_VISIBLE, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, client_, nullptr, nullptr, nullptr);
        created_.push_back(h);
        return h;
    }
    std::string menu_text(UINT id) {
        char buf[64] = {0};
        GetMenuStringA(window_menu_, id, buf, sizeof buf, MF_BYCOMMAND);
        return buf;
    }
    HMENU bar_ = nullptr, window_menu_ = nullptr;
    HWND frame_ = nullptr, client_ = nullptr;
};

TEST_F(Mdi, ChildrenAreNumberedFrom20AndListedInTheWindowMenu) {
    HWND a = child("A");
    HWND b = child("B");
    EXPECT_EQ(GetDlgCtrlID(a), 20);
    EXPECT_EQ(GetDlgCtrlID(b), 21);
    EXPECT_EQ(menu_text(20), "&1 A");
    EXPECT_EQ(menu_text(21), "&2 B");
    EXPECT_EQ(GetMenuItemCount(window_menu_), 4) << "Cascade, separator and two entries";
    EXPECT_EQ(GetMenuState(window_menu_, 21, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED))
        << "the active child is checked";
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(client_, WM_MDIGETACTIVE, 0, 0)), b);

    SendMessageA(client_, WM_MDIDESTROY, reinterpret_cast<WPARAM>(a), 0);
    EXPECT_FALSE(IsWindow(a));
    EXPECT_EQ(GetDlgCtrlID(b), 20) << "ids close up";
    EXPECT_EQ(menu_text(20), "&1 B");
    SendMessageA(client_, WM_MDIDESTROY, reinterpret_cast<WPARAM>(b), 0);
    EXPECT_EQ(GetMenuItemCount(window_menu_), 1) << "the list and its separator go with the last child";
}

TEST_F(Mdi, ActivationTellsTheOldChildFirstAndDefFrameProcActivatesFromTheList) {
    HWND a = child("A");
    HWND b = child("B");
    g_seen.clear();
    SendMessageA(client_, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a), 0);
    const int off = index_of(WM_MDIACTIVATE, b), on = index_of(WM_MDIACTIVATE, a);
    ASSERT_GE(off, 0);
    ASSERT_GE(on, 0);
    EXPECT_LT(off, on);
    EXPECT_EQ(reinterpret_cast<HWND>(g_seen[on].wp), b);
    EXPECT_EQ(reinterpret_cast<HWND>(g_seen[on].lp), a);
    DefFrameProcA(frame_, client_, WM_COMMAND, 21, 0);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(client_, WM_MDIGETACTIVE, 0, 0)), b);
}

TEST_F(Mdi, AMaximisedChildFillsTheClientAndPutsItsSystemMenuOnTheBar) {
    HWND a = child("A");
    const int items = GetMenuItemCount(bar_);
    SendMessageA(client_, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(a), 0);
    EXPECT_TRUE(IsZoomed(a));
    EXPECT_EQ(GetMenuItemCount(bar_), items + 4) << "the system item and three caption buttons";
    EXPECT_EQ(GetSubMenu(bar_, 1), window_menu_) << "the bar's own popups move one place right";
    RECT mc, cc;
    GetClientRect(client_, &mc);
    GetClientRect(a, &cc);
    EXPECT_EQ(cc.right, mc.right);
    EXPECT_EQ(cc.bottom, mc.bottom);
    // A new child opens maximised while one is.
    HWND b = child("B");
    EXPECT_TRUE(IsZoomed(b));
    EXPECT_FALSE(IsZoomed(a));
    SendMessageA(client_, WM_MDIRESTORE, reinterpret_cast<WPARAM>(b), 0);
    EXPECT_FALSE(IsZoomed(b));
    EXPECT_EQ(GetMenuItemCount(bar_), items);
}

TEST_F(Mdi, CascadeAndTileKeepEveryChildInsideTheClient) {
    HWND kids[3] = {child("A"), child("B"), child("C")};
    RECT area;
    GetClientRect(client_, &area);
    for (UINT msg : {static_cast<UINT>(WM_MDICASCADE), static_cast<UINT>(WM_MDITILE)}) {
        SendMessageA(client_, msg, 0, 0);
        for (HWND k : kids) {
            RECT r;
            GetWindowRect(k, &r);
            POINT tl{r.left, r.top}, br{r.right, r.bottom};
            ScreenToClient(client_, &tl);
            ScreenToClient(client_, &br);
            EXPECT_GE(tl.x, 0);
            EXPECT_GE(tl.y, 0);
            EXPECT_LE(br.x, area.right);
            EXPECT_LE(br.y, area.bottom);
        }
    }
    // Tiling splits the area: no two children overlap.
    RECT r0, r1;
    GetWindowRect(kids[0], &r0);
    GetWindowRect(kids[1], &r1);
    RECT both{std::max(r0.left, r1.left), std::max(r0.top, r1.top), std::min(r0.right, r1.right),
              std::min(r0.bottom, r1.bottom)};
    EXPECT_TRUE(IsRectEmpty(&both));
}

TEST_F(Mdi, CloseBoxOfAChildDestroysItThroughTheClient) {
    HWND a = child("A");
    SendMessageA(a, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(a));
}

// ---- message boxes and file dialogs ----------------------------------------

TEST(CommonDialogs, MessageBoxesAreAnsweredFromTheQueueAndRecorded) {
    cw::automation::set_active(true);
    cw::automation::message_boxes().clear();
    cw::automation::queue_answer({cw::automation::Answer::Box, false, IDNO, ""});
    EXPECT_EQ(MessageBoxA(nullptr, "\x8e\xa6", "cap", MB_YESNO | MB_ICONINFORMATION), IDNO);
    ASSERT_EQ(cw::automation::message_boxes().size(), 1u);
    const auto& rec = cw::automation::message_boxes()[0];
    EXPECT_EQ(rec.text, "\xE7\xA4\xBA");  // recorded as UTF-8 (this file is compiled to CP932)
    EXPECT_EQ(rec.caption, "cap");
    EXPECT_EQ(rec.style, static_cast<UINT>(MB_YESNO | MB_ICONINFORMATION));
    cw::automation::queue_answer({cw::automation::Answer::Box, false, IDYES, ""});
    EXPECT_EXIT(MessageBoxA(nullptr, "t", "c", MB_OK), ::testing::ExitedWithCode(2), "not a button");
}

TEST(CommonDialogs, OpenDialogAddsTheDefaultExtensionAndRefusesMissingFiles) {
    cw::automation::set_active(true);
    char buffer[512] = "old";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = 76;
    ofn.lpstrFilter = "Images\0*.bmp;*.tim\0";
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof buffer;
    ofn.lpstrTitle = "open";
    ofn.lpstrDefExt = "bmp";
    ofn.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    const std::string folder = std::filesystem::temp_directory_path().string();
    cw::automation::queue_answer({cw::automation::Answer::Open, false, 0, folder + "/sheet"});
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(std::string(buffer), folder + "/sheet.bmp");
    EXPECT_EQ(std::string(buffer + ofn.nFileOffset), "sheet.bmp");
    const auto& rec = cw::automation::file_dialogs().back();
    EXPECT_EQ(rec.filter, (std::vector<std::string>{"Images", "*.bmp;*.tim"}));
    EXPECT_EQ(rec.struct_size, 76u);

    cw::automation::queue_answer({cw::automation::Answer::Open, true, 0, ""});
    EXPECT_FALSE(GetOpenFileNameA(&ofn));

    ofn.Flags |= OFN_FILEMUSTEXIST;
    cw::automation::queue_answer({cw::automation::Answer::Open, false, 0, "/nonexistent/folder/x.bmp"});
    EXPECT_EXIT(GetOpenFileNameA(&ofn), ::testing::ExitedWithCode(2), "existing");
}

}  // namespace
