// The window manager against a desktop (the null backend's stand-in): activation the
// desktop reports is a fact and never asked back for, stale reports are dropped, the frame
// of MDI children is hit-tested and dragged here, keys of the frame, disabled windows, the
// focus a click gives, presentation of unchanged pixels, and placement once the desktop's
// frame is known.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "automation/automation.h"
#include "mdi_frame.h"
#include "null/desktop.h"
#include "win/backend.h"
#include "win/input.h"
#include "win/window.h"

namespace {

struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wp;
};
std::vector<Seen> g_seen;

void record(HWND h, UINT m, WPARAM wp) {
    g_seen.push_back({h, m, wp});
}

LRESULT CALLBACK recording_proc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
    record(h, m, wp);
    return DefWindowProcA(h, m, wp, lp);
}

// A frame window with an MDI client of 600 x 400 in it, without an edge.
const mdi_frame::Layout kMdiLayout{.client_width = 600, .client_height = 400, .client_ex_style = 0};

INT_PTR CALLBACK plain_dialog(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG;
}

// WA_* of the WM_ACTIVATE messages a window received, in order.
std::vector<WPARAM> activations_of(HWND h) {
    std::vector<WPARAM> out;
    for (const Seen& s : g_seen)
        if (s.hwnd == h && s.msg == WM_ACTIVATE) out.push_back(LOWORD(s.wp));
    return out;
}

int count_of(HWND h, UINT msg) {
    int n = 0;
    for (const Seen& s : g_seen) n += s.hwnd == h && s.msg == msg;
    return n;
}

POINT client_origin(HWND h) {
    POINT p{0, 0};
    ClientToScreen(h, &p);
    return p;
}

void deliver_desktop_reports() {
    cw::backend::process_events(false, 0);
}

class Desktop : public ::testing::Test {
  protected:
    void SetUp() override {
        cw::automation::set_active(false);
        WNDCLASSA wc{};
        wc.lpfnWndProc = recording_proc;
        wc.lpszClassName = "DESKTOP_TEST";
        RegisterClassA(&wc);
        cw::null::set_desktop_follows(true);
        deliver_desktop_reports();
        cw::null::activation_requests().clear();
        g_seen.clear();
    }
    void TearDown() override {
        for (HWND h : created_)
            if (IsWindow(h)) DestroyWindow(h);
        deliver_desktop_reports();
        cw::null::set_desktop_follows(true);
        cw::automation::set_active(false);
    }
    HWND top(const char* title, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, HWND owner = nullptr) {
        HWND h = CreateWindowExA(0, "DESKTOP_TEST", title, style, 10, 10, 300, 200, owner, nullptr, nullptr,
                                 nullptr);
        created_.push_back(h);
        return h;
    }
    std::vector<HWND> created_;
};

TEST_F(Desktop, AnActivationTheDesktopReportsIsTakenAndNeverAskedBack) {
    HWND a = top("a"), b = top("b");
    deliver_desktop_reports();  // the desktop granted both showings
    ASSERT_EQ(GetActiveWindow(), b);
    cw::null::activation_requests().clear();
    g_seen.clear();

    cw::null::report_activation(a);  // the user clicked a's title bar
    deliver_desktop_reports();
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_EQ(activations_of(b), (std::vector<WPARAM>{WA_INACTIVE}));
    EXPECT_EQ(activations_of(a), (std::vector<WPARAM>{WA_CLICKACTIVE}));
    EXPECT_TRUE(cw::null::activation_requests().empty()) << "the report was echoed back to the desktop";

    // Reports of what already holds are no news: nothing is sent, nothing is asked.
    g_seen.clear();
    for (int i = 0; i < 5; ++i) cw::null::report_activation(a);
    deliver_desktop_reports();
    EXPECT_TRUE(activations_of(a).empty());
    EXPECT_TRUE(cw::null::activation_requests().empty());

    // Another program became active: every window of ours is inactive.
    cw::null::report_activation(nullptr);
    deliver_desktop_reports();
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(activations_of(a), (std::vector<WPARAM>{WA_INACTIVE}));
}

TEST_F(Desktop, TheProgramAsksOnceAndReportsFromBeforeItsRequestAreDropped) {
    HWND a = top("a"), b = top("b");
    deliver_desktop_reports();
    cw::null::activation_requests().clear();
    cw::null::set_desktop_follows(false);

    SetActiveWindow(a);
    ASSERT_EQ(cw::null::activation_requests(), (std::vector<HWND>{a}));
    // The desktop still tells of b, as it was before it saw the request.
    g_seen.clear();
    cw::null::report_activation(b);
    deliver_desktop_reports();
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_TRUE(activations_of(b).empty());
    // Then it confirms; nothing more is asked of it.
    cw::null::report_activation(a);
    deliver_desktop_reports();
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_EQ(cw::null::activation_requests().size(), 1u);
    // After the confirmation the desktop's word holds again.
    cw::null::report_activation(b);
    deliver_desktop_reports();
    EXPECT_EQ(GetActiveWindow(), b);
    EXPECT_EQ(cw::null::activation_requests().size(), 1u);
}

TEST_F(Desktop, ReportsForHiddenOrDestroyedWindowsAreDropped) {
    HWND a = top("a"), b = top("b");
    deliver_desktop_reports();
    ASSERT_EQ(GetActiveWindow(), b);
    ShowWindow(a, SW_HIDE);
    cw::null::report_activation(a);
    deliver_desktop_reports();
    EXPECT_EQ(GetActiveWindow(), b);
    ShowWindow(a, SW_SHOW);
    deliver_desktop_reports();
    ASSERT_EQ(GetActiveWindow(), a);
    HWND gone = top("gone");
    deliver_desktop_reports();
    ASSERT_EQ(GetActiveWindow(), gone);
    DestroyWindow(gone);
    // The activation went back to the window active before; a late report of the destroyed
    // window moves it nowhere.
    ASSERT_EQ(GetActiveWindow(), a);
    g_seen.clear();
    cw::null::report_activation(gone);
    deliver_desktop_reports();
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_EQ(GetFocus(), a);
    EXPECT_TRUE(activations_of(a).empty()) << "a heard of no activation it already had";
}

TEST_F(Desktop, AClickOnAnOwnerBehindAModalDialogBringsTheDialogForward) {
    HWND owner = top("owner");
    deliver_desktop_reports();
    cw::automation::set_active(true);  // for the hook that acts while the dialog is open
    HWND seen_active = nullptr, dialog_seen = nullptr;
    size_t requests_before = 0, requests_after = 0;
    cw::automation::set_dialog_hook([&](HWND dialog, int) {
        dialog_seen = dialog;
        deliver_desktop_reports();
        requests_before = cw::null::activation_requests().size();
        cw::null::report_activation(owner);  // the user clicks the disabled owner
        deliver_desktop_reports();
        seen_active = GetActiveWindow();
        requests_after = cw::null::activation_requests().size();
        EndDialog(dialog, IDOK);
    });
    DialogBoxParamA(nullptr, MAKEINTRESOURCEA(124), owner, plain_dialog, 0);
    cw::automation::set_dialog_hook(nullptr);
    EXPECT_EQ(seen_active, dialog_seen);
    EXPECT_EQ(requests_after, requests_before + 1) << "the dialog is asked forward once";
    EXPECT_EQ(GetActiveWindow(), owner);
}

TEST_F(Desktop, DisabledWindowsTakeNoMouseInputAndTheirChildrenNeither) {
    HWND t = top("t");
    HWND panel = CreateWindowExA(0, "DESKTOP_TEST", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, t, nullptr,
                                 nullptr, nullptr);
    HWND button = CreateWindowExA(0, "DESKTOP_TEST", "", WS_CHILD | WS_VISIBLE, 5, 5, 20, 20, panel, nullptr,
                                  nullptr, nullptr);
    g_seen.clear();
    cw::win::input_mouse(cw::win::window_from(button), WM_LBUTTONDOWN, MK_LBUTTON, 3, 3);
    EXPECT_EQ(count_of(button, WM_LBUTTONDOWN), 1);
    EnableWindow(panel, FALSE);
    cw::win::input_mouse(cw::win::window_from(button), WM_LBUTTONDOWN, MK_LBUTTON, 3, 3);
    cw::win::input_mouse(cw::win::window_from(panel), WM_LBUTTONDOWN, MK_LBUTTON, 50, 50);
    EXPECT_EQ(count_of(button, WM_LBUTTONDOWN), 1);
    EXPECT_EQ(count_of(panel, WM_LBUTTONDOWN), 0);
    // A window that holds the capture still hears the release, as it asked to.
    EnableWindow(panel, TRUE);
    SetCapture(button);
    EnableWindow(panel, FALSE);
    cw::win::input_mouse(cw::win::window_from(t), WM_LBUTTONUP, 0, 200, 100);
    EXPECT_EQ(count_of(button, WM_LBUTTONUP), 1);
    ReleaseCapture();
}

TEST_F(Desktop, FocusTheUserGivesAControlIsTheWindowManagersAndSetFocusTellsTheBackend) {
    HWND a = top("a"), b = top("b");
    deliver_desktop_reports();
    ASSERT_EQ(GetActiveWindow(), b);
    auto child = [](HWND parent, DWORD extra = 0) {
        return CreateWindowExA(0, "DESKTOP_TEST", "", WS_CHILD | WS_VISIBLE | extra, 0, 0, 50, 20, parent,
                               nullptr, nullptr, nullptr);
    };
    HWND first = child(b), second = child(b), greyed = child(b, WS_DISABLED), elsewhere = child(a);
    SetFocus(first);
    EXPECT_EQ(cw::null::focused_window(), first) << "SetFocus moves the focus the user sees";
    cw::win::input_focus_gained(cw::win::window_from(second));  // the user clicks into it
    EXPECT_EQ(GetFocus(), second);
    EXPECT_EQ(count_of(first, WM_KILLFOCUS) + count_of(second, WM_SETFOCUS), 2);
    EXPECT_EQ(cw::null::focused_window(), second);
    // No focus for a disabled window, nor for one in a window that is not active.
    for (HWND h : {greyed, elsewhere}) cw::win::input_focus_gained(cw::win::window_from(h));
    EXPECT_EQ(GetFocus(), second);
    EXPECT_EQ(count_of(greyed, WM_SETFOCUS) + count_of(elsewhere, WM_SETFOCUS), 0);
}

TEST_F(Desktop, TheFrameOfAnMdiChildIsHitTestedAndDraggedByTheWindowManager) {
    const mdi_frame::Frame mdi(kMdiLayout, record);
    HWND client = mdi.client();
    HWND child = mdi.child("child", 20, 30, 200, 150);
    cw::win::Window* w = cw::win::window_from(child);
    ASSERT_NE(w, nullptr);
    const RECT caption = cw::win::caption_rect(w);
    const POINT on_caption{caption.left + 10, caption.top + 5};
    EXPECT_EQ(cw::win::nonclient_hit_test(w, on_caption), HTCAPTION);
    EXPECT_EQ(cw::win::nonclient_hit_test(w, POINT{1, 60}), HTLEFT);
    EXPECT_EQ(cw::win::nonclient_hit_test(w, POINT{199, 149}), HTBOTTOMRIGHT);
    EXPECT_EQ(cw::win::nonclient_hit_test(w, POINT{100, 100}), HTCLIENT);
    const RECT close = cw::win::caption_button_rect(w, HTCLOSE);
    const RECT max = cw::win::caption_button_rect(w, HTMAXBUTTON);
    EXPECT_EQ(cw::win::nonclient_hit_test(w, POINT{close.left + 2, close.top + 2}), HTCLOSE);
    EXPECT_LT(max.right, close.left) << "maximise stands left of close";

    // Dragging the caption 30 right and 10 down moves the window by that much, its size kept.
    const POINT screen{500, 300};
    cw::win::input_nonclient_mouse(w, WM_LBUTTONDOWN, on_caption, screen);
    cw::win::input_nonclient_mouse(w, WM_MOUSEMOVE, on_caption, POINT{530, 310});
    cw::win::input_nonclient_mouse(w, WM_LBUTTONUP, on_caption, POINT{530, 310});
    RECT r;
    GetWindowRect(child, &r);
    RECT c;
    GetWindowRect(client, &c);
    EXPECT_EQ(r.left - c.left, 50);
    EXPECT_EQ(r.top - c.top, 40);
    EXPECT_EQ(r.right - r.left, 200);
    // Sizing from the bottom-right corner stops at the smallest frame that keeps the caption.
    const POINT corner{199, 149};
    cw::win::input_nonclient_mouse(w, WM_LBUTTONDOWN, corner, screen);
    cw::win::input_nonclient_mouse(w, WM_MOUSEMOVE, corner, POINT{0, 0});
    cw::win::input_nonclient_mouse(w, WM_LBUTTONUP, corner, POINT{0, 0});
    GetWindowRect(child, &r);
    EXPECT_GE(r.right - r.left, 3 * GetSystemMetrics(SM_CYCAPTION));
    EXPECT_EQ(r.left - c.left, 50) << "the other corner stays";

    // The close button (where it stands now) asks the child to close, through its system command.
    g_seen.clear();
    const RECT moved_close = cw::win::caption_button_rect(w, HTCLOSE);
    cw::win::input_nonclient_mouse(w, WM_LBUTTONDOWN, POINT{moved_close.left + 2, moved_close.top + 2},
                                   screen);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(count_of(child, WM_SYSCOMMAND), 1);
    EXPECT_FALSE(IsWindow(child));
}

namespace {

// A loop as a Win32 program writes it, with or without the MDI keys.
void run_queue(HWND client, bool mdi_keys) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (mdi_keys && TranslateMDISysAccel(client, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

TEST_F(Desktop, KeysAreQueuedSoThatTheLoopTranslatesMdiKeysAndDialogsTakeEsc) {
    const mdi_frame::Frame mdi(kMdiLayout, record);
    HWND frame = mdi.frame(), client = mdi.client();
    HWND one = mdi.child("one", 0, 0, 200, 150);
    HWND two = mdi.child("two", 0, 0, 200, 150);
    cw::win::Window* c = cw::win::window_from(two);
    const cw::win::KeyModifiers ctrl{false, true, false};
    ASSERT_EQ(reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)), two);
    // A loop that does not ask for the MDI keys gets none, as on the system.
    EXPECT_TRUE(cw::win::input_key_event(c, true, VK_F6, ctrl));
    run_queue(client, false);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)), two);
    EXPECT_TRUE(cw::win::input_key_event(c, true, VK_F6, {}));
    run_queue(client, true);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)), two)
        << "F6 alone is not an MDI key";
    EXPECT_TRUE(cw::win::input_key_event(c, true, VK_F6, ctrl));
    run_queue(client, true);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)), one);
    EXPECT_TRUE(cw::win::input_key_event(cw::win::window_from(one), true, VK_F4, ctrl));
    run_queue(client, true);
    EXPECT_FALSE(IsWindow(one));
    EXPECT_TRUE(IsWindow(two));
    // A disabled frame (behind a modal dialog) takes no keys.
    EnableWindow(frame, FALSE);
    EXPECT_FALSE(cw::win::input_key_event(cw::win::window_from(two), true, VK_F4, ctrl));
    run_queue(client, true);
    EXPECT_TRUE(IsWindow(two));
    EnableWindow(frame, TRUE);
    cw::win::input_modifiers({});

    // Esc in a modal dialog is its cancel button: the dialog's own loop asks IsDialogMessage.
    cw::automation::set_active(true);
    INT_PTR result = 0;
    cw::automation::set_dialog_hook([&](HWND dialog, int) {
        EXPECT_TRUE(cw::win::input_key_event(cw::win::window_from(dialog), true, VK_ESCAPE, {}));
    });
    result = DialogBoxParamA(
        nullptr, MAKEINTRESOURCEA(124), frame,
        [](HWND d, UINT m, WPARAM wp, LPARAM) -> INT_PTR {
            if (m == WM_COMMAND && LOWORD(wp) == IDCANCEL) EndDialog(d, 77);
            return m == WM_INITDIALOG;
        },
        0);
    cw::automation::set_dialog_hook(nullptr);
    EXPECT_EQ(result, 77);
}

TEST_F(Desktop, PixelsDrawnAgainUnchangedAreNotPresentedAgain) {
    HWND t = top("t");
    HDC dc = GetDC(t);
    RECT r{0, 0, 40, 30};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &r, red);
    const uint64_t once = cw::null::presented_frames(t);
    EXPECT_GE(once, 1u);
    for (int i = 0; i < 10; ++i) FillRect(dc, &r, red);
    EXPECT_EQ(cw::null::presented_frames(t), once);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    RECT corner{0, 0, 1, 1};
    FillRect(dc, &corner, blue);
    EXPECT_EQ(cw::null::presented_frames(t), once + 1);
    ReleaseDC(t, dc);
    DeleteObject(red);
    DeleteObject(blue);
}

TEST_F(Desktop, AHiddenOwnedWindowKeepsItsPlaceAtTheOwnersClientAreaWhenTheFrameBecomesKnown) {
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
    HMENU bar = CreateMenu();
    AppendMenuA(bar, MF_STRING, 1, "File");
    HWND owner =
        CreateWindowExA(0, "DESKTOP_TEST", "owner", style, 0, 0, 400, 300, nullptr, bar, nullptr, nullptr);
    created_.push_back(owner);
    // The dialog's client area goes to the owner's client area (template at 0, 0).
    HWND image = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(102), owner, plain_dialog, 0);
    ASSERT_NE(image, nullptr);
    const POINT origin = client_origin(owner);
    EXPECT_EQ(client_origin(image).x, origin.x);
    EXPECT_EQ(client_origin(image).y, origin.y);
    RECT client_before;
    GetClientRect(image, &client_before);

    // The desktop frames the owner: 4 pixels around, a 22-pixel title bar.
    cw::win::Window* o = cw::win::window_from(owner);
    const cw::win::Insets frame{4, 22, 4, 4};
    RECT outer = o->rect;
    outer.right += 8;
    outer.bottom += 26;
    cw::win::input_desktop_geometry(o, outer, frame);
    const POINT now = client_origin(owner);
    EXPECT_EQ(now.x, origin.x + 4);
    EXPECT_EQ(now.y, origin.y + 22);
    RECT after;
    GetWindowRect(image, &after);
    EXPECT_EQ(client_origin(image).x, now.x) << "still at the owner's client area";
    EXPECT_EQ(client_origin(image).y, now.y);
    RECT client_after;
    GetClientRect(image, &client_after);
    EXPECT_EQ(client_after.right, client_before.right) << "the client area keeps its size";
    EXPECT_EQ(client_after.bottom, client_before.bottom);

    // Shown, it is reported before the desktop framed it: it keeps its place and gets the frame.
    ShowWindow(image, SW_SHOW);
    cw::win::Window* w = cw::win::window_from(image);
    RECT inner{after.left, after.top, after.right - 8, after.bottom - 26};
    cw::win::input_desktop_geometry(w, inner, cw::win::Insets{});
    RECT shown;
    GetWindowRect(image, &shown);
    EXPECT_TRUE(EqualRect(&shown, &after));
    DestroyWindow(image);
    // Put the frame back for the tests that follow.
    cw::win::set_system_frame(style, cw::win::Insets{});
}

}  // namespace
