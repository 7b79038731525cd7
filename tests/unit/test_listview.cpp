// The list view in list mode: items, selection mark, mouse and in-place label
// editing, checked against what the parent window receives.
#include <gtest/gtest.h>

#include "test_windows.h"

#include <commctrl.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "automation/automation.h"
#include "automation/inspect.h"
#include "qt/view.h"
#include "win/controls.h"

namespace {

// Lets the widgets take in what is pending (a new window's placement) before its
// window goes, so that no event arrives for a destroyed window.
void settle() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

// Qt key codes, as the keyboard gives them to the widgets.
constexpr int kKeyEscape = 0x01000000;
constexpr int kKeyReturn = 0x01000004;

struct Received {
    UINT msg;
    UINT code;  // WM_NOTIFY code or WM_COMMAND notification
    int id;     // WM_COMMAND id
    HWND from;  // WM_COMMAND lParam
    int item;   // iItem of list notifications
    bool has_text;
    std::string text;
};

std::vector<Received> g_log;
LRESULT g_end_result = 0;    // what the parent answers to LVN_ENDLABELEDIT
LRESULT g_begin_result = 0;  // and to LVN_BEGINLABELEDIT

void record(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND) {
        g_log.push_back({msg, HIWORD(wp), LOWORD(wp), reinterpret_cast<HWND>(lp), -1, false, {}});
    } else if (msg == WM_NOTIFY) {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
        Received r{msg, hdr->code, 0, hdr->hwndFrom, -1, false, {}};
        if (hdr->code == LVN_BEGINLABELEDITA || hdr->code == LVN_ENDLABELEDITA) {
            const auto* d = reinterpret_cast<const NMLVDISPINFOA*>(lp);
            r.item = d->item.iItem;
            r.has_text = d->item.pszText != nullptr;
            if (r.has_text) r.text = d->item.pszText;
        } else if (hdr->code == NM_CLICK || hdr->code == NM_DBLCLK) {
            r.item = reinterpret_cast<const NMITEMACTIVATE*>(lp)->iItem;
        }
        g_log.push_back(r);
    }
}

LRESULT CALLBACK parent_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    record(msg, wp, lp);
    if (msg == WM_NOTIFY) {
        const UINT code = reinterpret_cast<const NMHDR*>(lp)->code;
        if (code == LVN_ENDLABELEDITA) return g_end_result;
        if (code == LVN_BEGINLABELEDITA) return g_begin_result;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

INT_PTR CALLBACK dialog_proc(HWND, UINT msg, WPARAM wp, LPARAM lp) {
    record(msg, wp, lp);
    return msg == WM_COMMAND || msg == WM_NOTIFY;
}

const std::vector<Received>& notifications() {
    return g_log;
}

std::vector<Received> of(UINT msg, UINT code) {
    std::vector<Received> out;
    for (const Received& r : g_log)
        if (r.msg == msg && r.code == code) out.push_back(r);
    return out;
}

class ListView : public ::testing::Test {
  protected:
    void SetUp() override {
        cw::automation::set_active(true);
        parent = make_test_parent("cw_test_list_parent", parent_proc, 300, 240);
        ASSERT_TRUE(parent);
        list = CreateWindowExA(0, WC_LISTVIEWA, "",
                               WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_LIST | LVS_SINGLESEL | LVS_EDITLABELS |
                                   LVS_NOLABELWRAP | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS,
                               10, 10, 250, 150, parent, reinterpret_cast<HMENU>(1020), nullptr, nullptr);
        ASSERT_TRUE(list);
        ShowWindow(parent, SW_SHOW);
        g_log.clear();
        g_end_result = g_begin_result = 0;
    }
    void TearDown() override {
        settle();
        DestroyWindow(parent);
    }

    int append(const char* text) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        item.pszText = const_cast<char*>(text);
        return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    std::string text(int i, int size = 64) {
        std::vector<char> buf(static_cast<size_t>(size) + 1, '#');
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = buf.data();
        item.cchTextMax = size;
        const LRESULT n = SendMessageA(list, LVM_GETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(static_cast<size_t>(n), std::strlen(buf.data()));
        return buf.data();
    }
    POINT centre_of(int i) {
        RECT r{};
        EXPECT_TRUE(cw::backend::listview_item_rect(cw::win::window_from(list), i, &r));
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void double_click(int i) {
        const POINT p = centre_of(i);
        cw::automation::user_mouse(list, WM_LBUTTONDOWN, MK_LBUTTON, p.x, p.y);
        cw::automation::user_mouse(list, WM_LBUTTONUP, 0, p.x, p.y);
        cw::automation::user_mouse(list, WM_LBUTTONDBLCLK, MK_LBUTTON, p.x, p.y);
        cw::automation::user_mouse(list, WM_LBUTTONUP, 0, p.x, p.y);
    }
    std::vector<std::string> shown(int* selected = nullptr) {
        int ignored = 0;
        return cw::qt::listview_shown_items(cw::win::window_from(list), selected ? selected : &ignored);
    }

    HWND parent = nullptr;
    HWND list = nullptr;
};

}  // namespace

TEST_F(ListView, ItemsAreInsertedReadRenamedAndDeleted) {
    EXPECT_EQ(append("frame_00"), 0);
    EXPECT_EQ(append("frame_01"), 1);
    LVITEMA far{};
    far.mask = LVIF_TEXT;
    far.iItem = 99;  // beyond the end: appended
    far.pszText = const_cast<char*>("frame_02");
    EXPECT_EQ(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&far)), 2);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(text(2), "frame_02");

    LVITEMA rename{};
    rename.iSubItem = 0;
    rename.pszText = const_cast<char*>("歩き");
    EXPECT_TRUE(SendMessageA(list, LVM_SETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&rename)));
    EXPECT_EQ(text(1), "歩き");
    EXPECT_EQ(shown(),
              (std::vector<std::string>{"frame_00", "\xE6\xAD\xA9\xE3\x81\x8D" /* UTF-8 */, "frame_02"}));

    EXPECT_TRUE(SendMessageA(list, LVM_DELETEITEM, 0, 0));
    EXPECT_EQ(text(0), "歩き");
    EXPECT_FALSE(SendMessageA(list, LVM_DELETEITEM, 5, 0));
    EXPECT_TRUE(SendMessageA(list, LVM_DELETEALLITEMS, 0, 0));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_TRUE(shown().empty());
}

TEST_F(ListView, TextIsCutOnACharacterBoundary) {
    append("ﾌﾚｰﾑ歩き");             // four single-byte kana, then two double-byte characters
    EXPECT_EQ(text(0, 6), "ﾌﾚｰﾑ");  // room for 5 bytes: the half of 歩 is left out
    EXPECT_EQ(text(0, 7), "ﾌﾚｰﾑ歩");
    EXPECT_EQ(text(0, 1), "");
}

TEST_F(ListView, SelectionMarkFollowsItsItem) {
    for (const char* t : {"a", "b", "c"}) append(t);
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0), -1);
    EXPECT_EQ(SendMessageA(list, LVM_SETSELECTIONMARK, 0, 2), -1);
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0), 2);
    LVITEMA first{};
    first.mask = LVIF_TEXT;
    first.iItem = 0;
    first.pszText = const_cast<char*>("z");
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&first));
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0), 3);  // still on "c"
    SendMessageA(list, LVM_DELETEITEM, 3, 0);
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0), -1);
}

TEST_F(ListView, ClickSelectsAndDoubleClickNotifiesTheItem) {
    for (const char* t : {"frame_00", "frame_01", "frame_02"}) append(t);
    double_click(1);
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0), 1);
    int selected = -1;
    shown(&selected);
    EXPECT_EQ(selected, 1);
    const auto dbl = of(WM_NOTIFY, NM_DBLCLK);
    ASSERT_EQ(dbl.size(), 1u);
    EXPECT_EQ(dbl[0].item, 1);
    EXPECT_EQ(dbl[0].from, list);
    EXPECT_EQ(of(WM_NOTIFY, NM_CLICK).size(), 1u);  // the first click of the pair
}

TEST_F(ListView, EnterEndsTheEditWithTheTypedText) {
    for (const char* t : {"frame_00", "frame_01"}) append(t);
    const HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 1, 0));
    ASSERT_TRUE(edit);
    EXPECT_EQ(GetParent(edit), list);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0)), edit);
    char buf[32] = {0};
    GetWindowTextA(edit, buf, sizeof buf);
    EXPECT_STREQ(buf, "frame_01");
    const auto begin = of(WM_NOTIFY, LVN_BEGINLABELEDITA);
    ASSERT_EQ(begin.size(), 1u);
    EXPECT_EQ(begin[0].item, 1);

    // The user types: the edit's notifications reach the list's parent, from the edit.
    g_log.clear();
    cw::win::edit_user_changed(cw::win::window_from(edit), "走り");
    const auto changes = of(WM_COMMAND, EN_CHANGE);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].from, edit);

    g_end_result = FALSE;  // the parent stores the text itself
    cw::qt::user_key(cw::win::window_from(edit), kKeyReturn);
    settle();  // the key was queued for the edit, as the system queues keys
    const auto end = of(WM_NOTIFY, LVN_ENDLABELEDITA);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0].item, 1);
    ASSERT_TRUE(end[0].has_text);
    EXPECT_EQ(end[0].text, "走り");
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0), 0);
    EXPECT_EQ(text(1), "frame_01");  // refused by the parent's FALSE
}

TEST_F(ListView, AcceptedTextIsKeptAndEscCancels) {
    append("frame_00");
    g_end_result = TRUE;
    HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 0, 0));
    ASSERT_TRUE(edit);
    cw::win::edit_user_changed(cw::win::window_from(edit), "idle");
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(text(0), "idle");

    g_log.clear();
    edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 0, 0));
    ASSERT_TRUE(edit);
    cw::win::edit_user_changed(cw::win::window_from(edit), "never");
    cw::qt::user_key(cw::win::window_from(edit), kKeyEscape);
    settle();
    const auto end = of(WM_NOTIFY, LVN_ENDLABELEDITA);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_FALSE(end[0].has_text);
    EXPECT_EQ(text(0), "idle");
    EXPECT_FALSE(IsWindow(edit));
}

TEST_F(ListView, FocusLossOrAClickInTheListEndsTheEdit) {
    for (const char* t : {"frame_00", "frame_01"}) append(t);
    g_end_result = TRUE;
    HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 0, 0));
    ASSERT_TRUE(edit);
    cw::win::edit_user_changed(cw::win::window_from(edit), "one");
    SetFocus(parent);
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(text(0), "one");

    edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 1, 0));
    ASSERT_TRUE(edit);
    cw::win::edit_user_changed(cw::win::window_from(edit), "two");
    const POINT p = centre_of(0);
    cw::automation::user_mouse(list, WM_LBUTTONDOWN, MK_LBUTTON, p.x, p.y);
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(text(1), "two");
    EXPECT_EQ(of(WM_NOTIFY, LVN_ENDLABELEDITA).size(), 2u);
}

TEST_F(ListView, RefusedOrDeletedEditsLeaveNoEditWindow) {
    append("frame_00");
    append("frame_01");
    g_begin_result = TRUE;
    EXPECT_EQ(SendMessageA(list, LVM_EDITLABELA, 0, 0), 0);
    EXPECT_TRUE(cw::win::window_from(list)->children.empty());
    EXPECT_EQ(SendMessageA(list, LVM_EDITLABELA, 7, 0), 0);

    g_begin_result = FALSE;
    const HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 1, 0));
    ASSERT_TRUE(edit);
    g_log.clear();
    SendMessageA(list, LVM_DELETEITEM, 1, 0);
    const auto end = of(WM_NOTIFY, LVN_ENDLABELEDITA);
    ASSERT_EQ(end.size(), 1u);
    EXPECT_FALSE(end[0].has_text);
    EXPECT_FALSE(IsWindow(edit));
}

// In a dialog, Enter in the label edit belongs to the edit: the default button stays unpressed.
TEST(ListViewInDialog, EnterInTheLabelEditDoesNotPressOk) {
    cw::automation::set_active(true);
    const HWND dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(122), nullptr, dialog_proc, 0);
    ASSERT_TRUE(dialog);
    const HWND list = GetDlgItem(dialog, 1020);
    ASSERT_TRUE(list);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<char*>("frame_00");
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    const HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 0, 0));
    ASSERT_TRUE(edit);
    g_log.clear();
    cw::qt::user_key(cw::win::window_from(edit), kKeyReturn);
    settle();  // the key was queued for the edit, as the system queues keys
    EXPECT_EQ(of(WM_NOTIFY, LVN_ENDLABELEDITA).size(), 1u);
    for (const Received& r : notifications())
        EXPECT_FALSE(r.msg == WM_COMMAND && r.from == GetDlgItem(dialog, IDOK)) << "OK was pressed";
    EXPECT_FALSE(IsWindow(edit));
    // The same key on the dialog itself is the default button, for a loop that hands the
    // dialog its keys as a modeless dialog's program does.
    cw::qt::user_key(cw::win::window_from(dialog), kKeyReturn);
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        if (!IsDialogMessageA(dialog, &m)) DispatchMessageA(&m);
    bool ok = false;
    for (const Received& r : notifications()) ok = ok || (r.msg == WM_COMMAND && r.id == IDOK);
    EXPECT_TRUE(ok);
    settle();
    DestroyWindow(dialog);
}
