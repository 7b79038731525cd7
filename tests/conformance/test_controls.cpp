// The common controls and the combo box as the program drives them, and what they tell their
// parent: the project tree (selection, check boxes, items by relation, hit tests), the frame
// name list of the add-pattern dialog (in-place label editing), the up-downs, the pattern and
// frame combo boxes and the speed trackbar. Operations of the program itself (TVM_SELECTITEM,
// CB_SETCURSEL, UDM_SETPOS, TBM_SETPOS) and of the user (keys and clicks, sent as the
// messages the controls receive) are told apart as the system tells them apart.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "conformance.h"

using conformance::message_log;

namespace {

// What the parent heard, beyond the message log (which holds the codes in their order).
struct Heard {
    std::vector<NMTREEVIEWA> tree;
    std::vector<NMUPDOWN> updown;
    struct LabelEdit {
        int item;
        bool has_text;
        std::string text;
    };
    std::vector<LabelEdit> label_edits;
    std::vector<NMITEMACTIVATE> activations;
    std::vector<WPARAM> scrolls;  // the wParam of WM_HSCROLL and WM_VSCROLL
    bool refuse_label = false;    // the answer to LVN_ENDLABELEDIT
};
Heard g_heard;

LRESULT on_notify(const NMHDR* hdr) {
    message_log().record(hdr->hwndFrom, hdr->code, 0, 0);
    const UINT code = hdr->code;
    if (code == TVN_SELCHANGINGA || code == TVN_SELCHANGEDA || code == TVN_BEGINDRAGA)
        g_heard.tree.push_back(*reinterpret_cast<const NMTREEVIEWA*>(hdr));
    if (code == UDN_DELTAPOS) g_heard.updown.push_back(*reinterpret_cast<const NMUPDOWN*>(hdr));
    if (code == NM_CLICK || code == NM_DBLCLK) {
        char cls[32] = {};
        GetClassNameA(hdr->hwndFrom, cls, sizeof cls);
        if (std::string(cls) == WC_LISTVIEWA)
            g_heard.activations.push_back(*reinterpret_cast<const NMITEMACTIVATE*>(hdr));
    }
    if (code == LVN_ENDLABELEDITA) {
        const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(hdr);
        g_heard.label_edits.push_back(
            {info->item.iItem, info->item.pszText != nullptr, info->item.pszText ? info->item.pszText : ""});
        return g_heard.refuse_label ? FALSE : TRUE;
    }
    return 0;
}

LRESULT CALLBACK parent_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_NOTIFY: return on_notify(reinterpret_cast<const NMHDR*>(lparam));
        case WM_COMMAND:
            message_log().record(reinterpret_cast<HWND>(lparam), WM_COMMAND, HIWORD(wparam), 0);
            break;
        case WM_HSCROLL:
        case WM_VSCROLL:
            message_log().record(reinterpret_cast<HWND>(lparam), message, LOWORD(wparam), 0);
            g_heard.scrolls.push_back(wparam);
            return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

HWND parent() {
    static HWND window = [] {
        InitCommonControls();
        return CreateWindowExA(0,
                               conformance::register_class("CONFORMANCE_PARENT", parent_proc, LTGRAY_BRUSH),
                               "controls", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 500, 400, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    }();
    return window;
}

HWND control(const char* cls, DWORD style, int x, int y, int w, int h, int id, DWORD ex_style = 0) {
    return CreateWindowExA(ex_style, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                           nullptr);
}

void start(std::initializer_list<UINT> watched) {
    g_heard = Heard{};
    message_log().watch(watched);
    message_log().clear();
}

// ---- tree ----------------------------------------------------------------------------------

HTREEITEM insert(HWND tree, HTREEITEM parent_item, const char* text, LPARAM data) {
    TVINSERTSTRUCTA ins{};
    ins.hParent = parent_item;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM;
    ins.item.pszText = const_cast<char*>(text);
    ins.item.lParam = data;
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
}

HTREEITEM next(HWND tree, UINT relation, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

bool select(HWND tree, HTREEITEM item) {
    return SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)) != 0;
}

// TVM_GETITEMRECT takes the item in the rectangle it fills.
RECT item_rect(HWND tree, HTREEITEM item, BOOL text_only) {
    union {
        RECT rect;
        HTREEITEM item;
    } in_out{};
    in_out.item = item;
    CHECK(SendMessageA(tree, TVM_GETITEMRECT, text_only, reinterpret_cast<LPARAM>(&in_out.rect)));
    return in_out.rect;
}

UINT check_image(HWND tree, HTREEITEM item) {
    const auto state = static_cast<UINT>(
        SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK));
    return (state & TVIS_STATEIMAGEMASK) >> 12;
}

constexpr DWORD kTreeStyle = WS_CLIPCHILDREN | WS_BORDER | WS_TABSTOP | TVS_FULLROWSELECT | TVS_CHECKBOXES |
                             TVS_SHOWSELALWAYS | TVS_LINESATROOT | TVS_HASBUTTONS;

struct Tree {
    HWND tree = control(WC_TREEVIEWA, kTreeStyle, 10, 10, 200, 300, 100, WS_EX_CLIENTEDGE);
    HTREEITEM project = insert(tree, TVI_ROOT, "project", 1);
    HTREEITEM walk = insert(tree, project, "walk", 2);
    HTREEITEM frame = insert(tree, walk, "frame_00", 3);
    HTREEITEM run = insert(tree, project, "run", 4);
    Tree() {
        SendMessageA(tree, TVM_SETITEMHEIGHT, 17, 0);
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(project));
        SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(walk));
    }
    ~Tree() { DestroyWindow(tree); }
};

}  // namespace

CONFORMANCE_CASE(TreeItemsByRelation) {
    Tree t;
    CHECK(next(t.tree, TVGN_ROOT, nullptr) == t.project);
    CHECK(next(t.tree, TVGN_CHILD, t.project) == t.walk);
    CHECK(next(t.tree, TVGN_NEXT, t.walk) == t.run);
    CHECK(next(t.tree, TVGN_PREVIOUS, t.run) == t.walk);
    CHECK(next(t.tree, TVGN_PARENT, t.frame) == t.walk);
    CHECK(next(t.tree, TVGN_NEXT, t.run) == nullptr);
    CHECK(next(t.tree, TVGN_CHILD, t.run) == nullptr);
    CHECK(next(t.tree, TVGN_CARET, nullptr) == nullptr);
    CHECK_EQ(SendMessageA(t.tree, TVM_GETCOUNT, 0, 0), 4);
    // The program asks for 17 pixels; without TVS_NONEVENHEIGHT an odd height is rounded down.
    CHECK_EQ(SendMessageA(t.tree, TVM_GETITEMHEIGHT, 0, 0), 16);

    char text[32] = {};
    TVITEMA item{};
    item.mask = TVIF_TEXT | TVIF_PARAM;
    item.hItem = t.run;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    CHECK(SendMessageA(t.tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    CHECK_TEXT(std::string(text), "run");
    CHECK_EQ(item.lParam, 4);
    item.mask = TVIF_TEXT;
    item.pszText = const_cast<char*>("走る");
    CHECK(SendMessageA(t.tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    item.pszText = text;
    SendMessageA(t.tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    CHECK_TEXT(std::string(text), "走る");

    // Deleting an item takes its children with it.
    CHECK(SendMessageA(t.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(t.walk)));
    CHECK_EQ(SendMessageA(t.tree, TVM_GETCOUNT, 0, 0), 2);
    CHECK(next(t.tree, TVGN_CHILD, t.project) == t.run);
}

// The program selects items itself and hears TVN_SELCHANGED for its own selections as for the
// user's: TVN_SELCHANGING first, then TVN_SELCHANGED, naming the old and the new item.
CONFORMANCE_CASE(TreeSelectionByTheProgramIsNotified) {
    Tree t;
    start({TVN_SELCHANGINGA, TVN_SELCHANGEDA});
    CHECK(select(t.tree, t.walk));
    EXPECT_SEQUENCE(message_log().entries(), {{t.tree, TVN_SELCHANGINGA}, {t.tree, TVN_SELCHANGEDA}});
    if (g_heard.tree.size() == 2) {
        const NMTREEVIEWA& changed = g_heard.tree[1];
        CHECK_EQ(changed.hdr.idFrom, 100);
        CHECK_EQ(changed.action, TVC_UNKNOWN);
        CHECK(changed.itemOld.hItem == nullptr);
        CHECK(changed.itemNew.hItem == t.walk);
        CHECK_EQ(changed.itemNew.lParam, 2);
    }
    CHECK(next(t.tree, TVGN_CARET, nullptr) == t.walk);

    start({TVN_SELCHANGINGA, TVN_SELCHANGEDA});
    CHECK(select(t.tree, t.frame));
    EXPECT_SEQUENCE(message_log().entries(), {{t.tree, TVN_SELCHANGINGA}, {t.tree, TVN_SELCHANGEDA}});
    if (g_heard.tree.size() == 2) {
        CHECK(g_heard.tree[1].itemOld.hItem == t.walk);
        CHECK_EQ(g_heard.tree[1].itemOld.lParam, 2);
        CHECK(g_heard.tree[1].itemNew.hItem == t.frame);
    }
    // The selected item again: nothing.
    start({TVN_SELCHANGINGA, TVN_SELCHANGEDA});
    CHECK(select(t.tree, t.frame));
    EXPECT_SEQUENCE(message_log().entries(), {});
    // No item: the selection is cleared, and said so.
    start({TVN_SELCHANGINGA, TVN_SELCHANGEDA});
    select(t.tree, nullptr);
    EXPECT_SEQUENCE(message_log().entries(), {{t.tree, TVN_SELCHANGINGA}, {t.tree, TVN_SELCHANGEDA}});
    if (g_heard.tree.size() == 2) CHECK(g_heard.tree[1].itemNew.hItem == nullptr);
    CHECK(next(t.tree, TVGN_CARET, nullptr) == nullptr);
}

// With TVS_CHECKBOXES every item shows a check box, unchecked (state image 1) until checked (2).
CONFORMANCE_CASE(TreeCheckBoxesAreStateImages) {
    Tree t;
    CHECK_EQ(check_image(t.tree, t.walk), 1);
    CHECK_EQ(check_image(t.tree, t.frame), 1);
    TVITEMA item{};
    item.mask = TVIF_STATE;
    item.hItem = t.frame;
    item.stateMask = TVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(2);
    CHECK(SendMessageA(t.tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    CHECK_EQ(check_image(t.tree, t.frame), 2);
    CHECK_EQ(check_image(t.tree, t.walk), 1);
}

// The check boxes switched on after the tree is made, before it holds items, as the program does
// it: the marks it then gives its items stay when the tree is first painted.
CONFORMANCE_CASE(TreeCheckBoxesSwitchedOnAfterCreationKeepTheirMarks) {
    HWND tree = control(WC_TREEVIEWA, kTreeStyle & ~TVS_CHECKBOXES, 10, 10, 200, 300, 101, WS_EX_CLIENTEDGE);
    SetWindowLongPtrA(tree, GWL_STYLE, GetWindowLongPtrA(tree, GWL_STYLE) | TVS_CHECKBOXES);
    const HTREEITEM project = insert(tree, TVI_ROOT, "project", 1);
    CHECK_EQ(check_image(tree, project), 1);
    TVITEMA item{};
    item.mask = TVIF_STATE;
    item.hItem = project;
    item.stateMask = TVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(2);
    CHECK(SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    InvalidateRect(tree, nullptr, TRUE);
    UpdateWindow(tree);
    conformance::pump_messages();
    CHECK_EQ(check_image(tree, project), 2);
    DestroyWindow(tree);
}

// Where the items are: one row of the item height each, and a hit test finds the row's item.
CONFORMANCE_CASE(TreeRowsAndHitTests) {
    Tree t;
    RECT rows[4];
    const HTREEITEM items[4] = {t.project, t.walk, t.frame, t.run};
    for (int i = 0; i < 4; ++i) {
        rows[i] = item_rect(t.tree, items[i], FALSE);
        CHECK_EQ(rows[i].top, 16 * i);  // one row of the item height each
        CHECK(rows[i].bottom > rows[i].top && rows[i].bottom <= rows[i].top + 16);
    }
    const RECT label = item_rect(t.tree, t.frame, TRUE);
    CHECK(label.left > rows[2].left && label.right > label.left);
    TVHITTESTINFO hit{};
    hit.pt = POINT{(label.left + label.right) / 2, (label.top + label.bottom) / 2};
    CHECK(reinterpret_cast<HTREEITEM>(SendMessageA(t.tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))) ==
          t.frame);
    CHECK(hit.hItem == t.frame);
    CHECK(hit.flags & TVHT_ONITEMLABEL);
    hit.pt = POINT{20, 16 * 4 + 30};  // below the last row
    CHECK(SendMessageA(t.tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == 0);
    CHECK(hit.hItem == nullptr);
    CHECK(hit.flags & TVHT_NOWHERE);
}

// A click on an item's label selects it by mouse.
CONFORMANCE_CASE(TreeClickSelectsByMouse) {
    Tree t;
    const RECT label = item_rect(t.tree, t.run, TRUE);
    const LPARAM at = MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2);
    start({TVN_SELCHANGINGA, TVN_SELCHANGEDA, TVN_BEGINDRAGA});
    // The release waits in the queue, as it would after a quick click.
    PostMessageA(t.tree, WM_LBUTTONUP, 0, at);
    SendMessageA(t.tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    conformance::pump_messages();
    EXPECT_SEQUENCE(message_log().entries(), {{t.tree, TVN_SELCHANGINGA}, {t.tree, TVN_SELCHANGEDA}});
    if (g_heard.tree.size() == 2) {
        CHECK_EQ(g_heard.tree[1].action, TVC_BYMOUSE);
        CHECK(g_heard.tree[1].itemNew.hItem == t.run);
    }
    CHECK(next(t.tree, TVGN_CARET, nullptr) == t.run);
}

// ---- list view with in-place label editing ----------------------------------------------------

namespace {

constexpr DWORD kListStyle = LVS_LIST | LVS_SINGLESEL | LVS_EDITLABELS | LVS_NOLABELWRAP |
                             LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS | WS_TABSTOP;

struct List {
    HWND list = control(WC_LISTVIEWA, kListStyle, 220, 10, 190, 120, 200, WS_EX_CLIENTEDGE);
    List() {
        for (int i = 0; i < 3; ++i) {
            const std::string text = "frame_0" + std::to_string(i);
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<char*>(text.c_str());
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
    }
    ~List() { DestroyWindow(list); }
    std::string text(int i) const {
        char buffer[64] = {};
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
};

}  // namespace

CONFORMANCE_CASE(ListItemsAndTheirTexts) {
    List l;
    CHECK_EQ(SendMessageA(l.list, LVM_GETITEMCOUNT, 0, 0), 3);
    CHECK_TEXT(l.text(1), "frame_01");
    LVITEMA item{};
    item.pszText = const_cast<char*>("ﾌﾚｰﾑ");
    CHECK(SendMessageA(l.list, LVM_SETITEMTEXTA, 2, reinterpret_cast<LPARAM>(&item)));
    CHECK_TEXT(l.text(2), "ﾌﾚｰﾑ");
    CHECK(SendMessageA(l.list, LVM_DELETEITEM, 0, 0));
    CHECK_EQ(SendMessageA(l.list, LVM_GETITEMCOUNT, 0, 0), 2);
    CHECK_TEXT(l.text(0), "frame_01");
    CHECK_EQ(SendMessageA(l.list, LVM_SETSELECTIONMARK, 0, 1), -1);
    CHECK_EQ(SendMessageA(l.list, LVM_GETSELECTIONMARK, 0, 0), 1);
}

// LVM_EDITLABEL opens an edit on the item's text; Return ends it and the parent hears the new
// text in LVN_ENDLABELEDIT, which it accepts by returning TRUE; Escape ends it with no text.
CONFORMANCE_CASE(ListLabelEditingEndsWithTheNewText) {
    List l;
    SetFocus(l.list);
    start({LVN_BEGINLABELEDITA, LVN_ENDLABELEDITA});
    HWND edit = reinterpret_cast<HWND>(SendMessageA(l.list, LVM_EDITLABELA, 1, 0));
    CHECK(edit != nullptr);
    CHECK(reinterpret_cast<HWND>(SendMessageA(l.list, LVM_GETEDITCONTROL, 0, 0)) == edit);
    char text[32] = {};
    GetWindowTextA(edit, text, sizeof text);
    CHECK_TEXT(std::string(text), "frame_01");
    SetWindowTextA(edit, "歩き");
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    conformance::pump_messages();
    EXPECT_SEQUENCE(message_log().entries(), {{l.list, LVN_BEGINLABELEDITA}, {l.list, LVN_ENDLABELEDITA}});
    if (CHECK_EQ(g_heard.label_edits.size(), 1)) {
        CHECK_EQ(g_heard.label_edits[0].item, 1);
        CHECK(g_heard.label_edits[0].has_text);
        CHECK_TEXT(g_heard.label_edits[0].text, "歩き");
    }
    CHECK_TEXT(l.text(1), "歩き");
    CHECK(!IsWindow(edit));
    CHECK(SendMessageA(l.list, LVM_GETEDITCONTROL, 0, 0) == 0);

    // Escape: the edit ends without a text, and the item keeps its name.
    start({LVN_BEGINLABELEDITA, LVN_ENDLABELEDITA});
    edit = reinterpret_cast<HWND>(SendMessageA(l.list, LVM_EDITLABELA, 0, 0));
    SetWindowTextA(edit, "discarded");
    SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    conformance::pump_messages();
    if (CHECK_EQ(g_heard.label_edits.size(), 1)) CHECK(!g_heard.label_edits[0].has_text);
    CHECK_TEXT(l.text(0), "frame_00");

    // A parent that refuses the new text keeps the old one.
    start({LVN_BEGINLABELEDITA, LVN_ENDLABELEDITA});
    g_heard.refuse_label = true;
    edit = reinterpret_cast<HWND>(SendMessageA(l.list, LVM_EDITLABELA, 2, 0));
    SetWindowTextA(edit, "refused");
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    conformance::pump_messages();
    CHECK_TEXT(l.text(2), "frame_02");
}

// A double click on an item tells the parent which item, and leaves the selection mark on it.
CONFORMANCE_CASE(ListDoubleClickNamesTheItem) {
    List l;
    RECT r{};
    r.left = LVIR_BOUNDS;
    CHECK(SendMessageA(l.list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)));
    const LPARAM at = MAKELPARAM(r.left + 5, (r.top + r.bottom) / 2);
    start({NM_CLICK, NM_DBLCLK});
    PostMessageA(l.list, WM_LBUTTONUP, 0, at);
    SendMessageA(l.list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    conformance::pump_messages();
    SendMessageA(l.list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageA(l.list, WM_LBUTTONUP, 0, at);
    conformance::pump_messages();
    CHECK(!g_heard.activations.empty());
    bool double_click = false;
    for (const NMITEMACTIVATE& a : g_heard.activations)
        if (a.hdr.code == static_cast<UINT>(NM_DBLCLK)) {
            double_click = true;
            CHECK_EQ(a.iItem, 1);
        }
    CHECK(double_click);
    CHECK_EQ(SendMessageA(l.list, LVM_GETSELECTIONMARK, 0, 0), 1);
}

// ---- up-down -----------------------------------------------------------------------------------

namespace {

struct Spin {
    HWND buddy = control("EDIT", ES_NUMBER, 10, 320, 60, 20, 300, WS_EX_CLIENTEDGE);
    HWND spin = control(UPDOWN_CLASSA, UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_ALIGNRIGHT | UDS_AUTOBUDDY, 0, 0,
                        10, 20, 301);
    Spin() {
        SendMessageA(spin, UDM_SETRANGE, 0, MAKELPARAM(20, 1));
        SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(5, 0));
    }
    ~Spin() {
        DestroyWindow(spin);
        DestroyWindow(buddy);
    }
    std::string buddy_text() const {
        char text[16] = {};
        GetWindowTextA(buddy, text, sizeof text);
        return text;
    }
};

}  // namespace

CONFORMANCE_CASE(UpDownPositionByTheProgramIsSilent) {
    Spin s;
    CHECK(reinterpret_cast<HWND>(SendMessageA(s.spin, UDM_GETBUDDY, 0, 0)) == s.buddy);
    CHECK_EQ(SendMessageA(s.spin, UDM_GETRANGE, 0, 0), MAKELONG(20, 1));
    start({UDN_DELTAPOS, WM_VSCROLL, WM_COMMAND});
    CHECK_EQ(SendMessageA(s.spin, UDM_SETPOS, 0, MAKELPARAM(7, 0)), 5);  // the previous position
    CHECK_TEXT(s.buddy_text(), "7");
    CHECK_EQ(SendMessageA(s.spin, UDM_GETPOS, 0, 0), MAKELONG(7, 0));
    // Outside the range the position is clamped.
    SendMessageA(s.spin, UDM_SETPOS, 0, MAKELPARAM(50, 0));
    CHECK_EQ(LOWORD(SendMessageA(s.spin, UDM_GETPOS, 0, 0)), 20);
    // The buddy's text is read back: a number in the range is the position.
    SetWindowTextA(s.buddy, "12");
    CHECK_EQ(SendMessageA(s.spin, UDM_GETPOS, 0, 0), MAKELONG(12, 0));
    // Without a buddy holding its number an up-down reports its position as an error.
    HWND alone = control(UPDOWN_CLASSA, UDS_ARROWKEYS, 100, 320, 10, 20, 302);
    SendMessageA(alone, UDM_SETRANGE, 0, MAKELPARAM(100, 0));
    SendMessageA(alone, UDM_SETPOS, 0, MAKELPARAM(40, 0));
    CHECK_EQ(SendMessageA(alone, UDM_GETPOS, 0, 0), MAKELONG(40, 1));
    RECT r;
    GetWindowRect(alone, &r);
    CHECK_EQ(r.right - r.left, 16);  // a vertical up-down's own width
    DestroyWindow(alone);
    // The buddy's own WM_COMMAND (EN_CHANGE) reaches the parent; nothing from the up-down.
    bool from_updown = false;
    for (const conformance::Logged& m : message_log().entries()) from_updown |= m.hwnd == s.spin;
    CHECK(!from_updown);
}

// An arrow key, and a click on an arrow, step the position: the parent is asked first
// (UDN_DELTAPOS with the position and the step), then told (WM_VSCROLL, SB_THUMBPOSITION with
// the new position); releasing the mouse ends it with SB_ENDSCROLL.
CONFORMANCE_CASE(UpDownStepsByTheUserAreAskedAndTold) {
    Spin s;
    start({UDN_DELTAPOS, WM_VSCROLL});
    SendMessageA(s.spin, WM_KEYDOWN, VK_UP, 0);
    SendMessageA(s.spin, WM_KEYUP, VK_UP, 0);
    conformance::pump_messages();
    EXPECT_SEQUENCE(message_log().entries(),
                    {{s.spin, UDN_DELTAPOS}, {s.spin, WM_VSCROLL, SB_THUMBPOSITION}});
    if (CHECK_EQ(g_heard.updown.size(), 1)) {
        CHECK_EQ(g_heard.updown[0].iPos, 5);
        CHECK_EQ(g_heard.updown[0].iDelta, 1);
    }
    if (!g_heard.scrolls.empty()) CHECK_EQ(HIWORD(g_heard.scrolls[0]), 6);
    CHECK_TEXT(s.buddy_text(), "6");

    RECT r;
    GetClientRect(s.spin, &r);
    const LPARAM lower_arrow = MAKELPARAM(r.right / 2, r.bottom - 3);
    start({UDN_DELTAPOS, WM_VSCROLL});
    SendMessageA(s.spin, WM_LBUTTONDOWN, MK_LBUTTON, lower_arrow);
    SendMessageA(s.spin, WM_LBUTTONUP, 0, lower_arrow);
    conformance::pump_messages();
    EXPECT_SEQUENCE(
        message_log().entries(),
        {{s.spin, UDN_DELTAPOS}, {s.spin, WM_VSCROLL, SB_THUMBPOSITION}, {s.spin, WM_VSCROLL, SB_ENDSCROLL}});
    if (CHECK_EQ(g_heard.updown.size(), 1)) CHECK_EQ(g_heard.updown[0].iDelta, -1);
    CHECK_TEXT(s.buddy_text(), "5");
    CHECK(GetCapture() != s.spin);
}

// ---- combo box -------------------------------------------------------------------------------

namespace {

struct Combo {
    HWND combo = control("COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 220, 150, 150, 200, 400);
    Combo() {
        for (const char* text : {"walk", "run", "jump"})
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    ~Combo() { DestroyWindow(combo); }
    int selection() const { return static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)); }
};

}  // namespace

CONFORMANCE_CASE(ComboSelectionByTheProgramIsSilentAndFollowsItsItem) {
    Combo c;
    start({WM_COMMAND});
    CHECK_EQ(c.selection(), CB_ERR);
    CHECK_EQ(SendMessageA(c.combo, CB_SETCURSEL, 1, 0), 1);
    CHECK_EQ(c.selection(), 1);
    CHECK_EQ(SendMessageA(c.combo, CB_SETCURSEL, 7, 0), CB_ERR);
    WINE_DIFFERS(
        "Wine keeps the selection when CB_SETCURSEL names no item; the documentation says it is cleared",
        CHECK_EQ(c.selection(), CB_ERR));
    SendMessageA(c.combo, CB_SETCURSEL, 1, 0);
    bool changed = false;
    for (const conformance::Logged& m : message_log().entries()) changed |= m.wparam == CBN_SELCHANGE;
    CHECK(!changed);

    // The selection stays on its item when items are inserted or deleted before it.
    SendMessageA(c.combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("stand"));
    CHECK_EQ(c.selection(), 2);
    SendMessageA(c.combo, CB_DELETESTRING, 0, 0);
    CHECK_EQ(c.selection(), 1);
    SendMessageA(c.combo, CB_DELETESTRING, 2, 0);  // after it
    CHECK_EQ(c.selection(), 1);
    CHECK_EQ(SendMessageA(c.combo, CB_GETCOUNT, 0, 0), 2);
    char text[16] = {};
    CHECK_EQ(SendMessageA(c.combo, CB_GETLBTEXTLEN, 1, 0), 3);
    CHECK_EQ(SendMessageA(c.combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text)), 3);
    CHECK_TEXT(std::string(text), "run");
    CHECK_EQ(SendMessageA(c.combo, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(text)), CB_ERR);
    SendMessageA(c.combo, CB_RESETCONTENT, 0, 0);
    CHECK_EQ(SendMessageA(c.combo, CB_GETCOUNT, 0, 0), 0);
    CHECK_EQ(c.selection(), CB_ERR);
}

// The user's choice with the keyboard is told: CBN_SELCHANGE, after the selection moved.
CONFORMANCE_CASE(ComboSelectionByTheUserIsTold) {
    Combo c;
    SendMessageA(c.combo, CB_SETCURSEL, 0, 0);
    SetFocus(c.combo);
    start({WM_COMMAND});
    SendMessageA(c.combo, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(c.combo, WM_KEYUP, VK_DOWN, 0);
    conformance::pump_messages();
    CHECK_EQ(c.selection(), 1);
    int selchanges = 0;
    for (const conformance::Logged& m : message_log().entries())
        if (m.hwnd == c.combo && m.wparam == CBN_SELCHANGE) ++selchanges;
    CHECK_EQ(selchanges, 1);
}

// ---- trackbar ----------------------------------------------------------------------------------

CONFORMANCE_CASE(TrackbarPositionByTheProgramIsSilentTheUsersIsTold) {
    HWND bar = control(TRACKBAR_CLASSA, TBS_AUTOTICKS | WS_TABSTOP, 10, 350, 150, 30, 500);
    SendMessageA(bar, TBM_SETRANGE, TRUE, MAKELPARAM(0, 9));
    CHECK_EQ(SendMessageA(bar, TBM_GETRANGEMIN, 0, 0), 0);
    CHECK_EQ(SendMessageA(bar, TBM_GETRANGEMAX, 0, 0), 9);
    start({WM_HSCROLL, WM_VSCROLL});
    SendMessageA(bar, TBM_SETPOS, TRUE, 4);
    CHECK_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 4);
    SendMessageA(bar, TBM_SETPOS, TRUE, 30);
    CHECK_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 9);  // clamped
    SendMessageA(bar, TBM_SETPOS, TRUE, 4);
    EXPECT_SEQUENCE(message_log().entries(), {});

    // A key moves it one line and tells WM_HSCROLL; releasing the key ends the move.
    SetFocus(bar);
    start({WM_HSCROLL, WM_VSCROLL});
    SendMessageA(bar, WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageA(bar, WM_KEYUP, VK_RIGHT, 0);
    conformance::pump_messages();
    EXPECT_SEQUENCE(message_log().entries(),
                    {{bar, WM_HSCROLL, TB_LINEDOWN}, {bar, WM_HSCROLL, TB_ENDTRACK}});
    CHECK_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 5);
    start({WM_HSCROLL});
    SendMessageA(bar, WM_KEYDOWN, VK_END, 0);
    SendMessageA(bar, WM_KEYUP, VK_END, 0);
    conformance::pump_messages();
    EXPECT_SEQUENCE(message_log().entries(), {{bar, WM_HSCROLL, TB_BOTTOM}, {bar, WM_HSCROLL, TB_ENDTRACK}});
    CHECK_EQ(SendMessageA(bar, TBM_GETPOS, 0, 0), 9);
    DestroyWindow(bar);
}

// ---- edit ----------------------------------------------------------------------------------

// The parent hears an edit gain and lose the keyboard focus, the old one first; what the program
// sets is not the user's to undo, nor is anything once the buffer was emptied.
CONFORMANCE_CASE(EditFocusIsToldAndWhatTheProgramSetsCannotBeUndone) {
    HWND edit = control("EDIT", ES_NUMBER, 10, 10, 80, 20, 310, WS_EX_CLIENTEDGE);
    HWND other = control("EDIT", 0, 10, 40, 80, 20, 311, WS_EX_CLIENTEDGE);
    SetFocus(other);
    start({WM_COMMAND});
    SetFocus(edit);
    SetFocus(other);
    EXPECT_SEQUENCE(message_log().entries(), {{other, WM_COMMAND, EN_KILLFOCUS},
                                              {edit, WM_COMMAND, EN_SETFOCUS},
                                              {edit, WM_COMMAND, EN_KILLFOCUS},
                                              {other, WM_COMMAND, EN_SETFOCUS}});
    SetWindowTextA(edit, "12");
    CHECK(!SendMessageA(edit, EM_CANUNDO, 0, 0));
    SendMessageA(edit, EM_EMPTYUNDOBUFFER, 0, 0);
    CHECK(!SendMessageA(edit, EM_CANUNDO, 0, 0));
    char text[8] = {};
    GetWindowTextA(edit, text, sizeof text);
    CHECK_TEXT(std::string(text), "12");
    DestroyWindow(edit);
    DestroyWindow(other);
}

// ---- status bar ----------------------------------------------------------------------------

// The main window's status bar in two parts: the project's path in the first (also its window
// text), the frame's time in the second; the edges read back as set, the last reaching the end.
CONFORMANCE_CASE(StatusBarPartsKeepTheirTextsAndEdges) {
    HWND bar = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(320)), GetModuleHandleA(nullptr),
                               nullptr);
    CHECK(bar != nullptr);
    CHECK_EQ(SendMessageA(bar, SB_GETPARTS, 0, 0), 1);
    int edges[2] = {150, -1};
    CHECK(SendMessageA(bar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges)));
    SendMessageA(bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>("walk.cwp"));
    SendMessageA(bar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>("17 ms"));
    int read[4] = {};
    CHECK_EQ(SendMessageA(bar, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(read)), 2);
    CHECK_EQ(read[0], 150);
    CHECK_EQ(read[1], -1);
    CHECK_EQ(LOWORD(SendMessageA(bar, SB_GETTEXTLENGTHA, 1, 0)), 5);
    char text[32] = {};
    SendMessageA(bar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    CHECK_TEXT(std::string(text), "17 ms");
    GetWindowTextA(bar, text, sizeof text);
    CHECK_TEXT(std::string(text), "walk.cwp");
    // Fewer parts: the texts of those that remain stay.
    CHECK(SendMessageA(bar, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(edges + 1)));
    SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    CHECK_TEXT(std::string(text), "walk.cwp");
    DestroyWindow(bar);
}
