// Scenario verbs and dump sections for the list view and the up-down:
//
//   listedit INDEX "text"   inside an open dialog: double-click item INDEX of its list
//                           view, type the text into the label edit that starts, press Enter
//   updown ID POS           click the arrows of up-down ID (open dialog, else edit panel)
//                           until it stands at POS, or at the end of its range on the way
//   treepick INDEX          inside an open dialog: click the label of top-level item INDEX of
//                           its tree view
//
// The dump gains "list_views", "tree_views" and "up_downs": those of the open dialog, as shown.
#include <commctrl.h>
#include <windows.h>

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "automation/automation.h"
#include "automation/inspect.h"
#include "automation/json.h"
#include "qt/view.h"
#include "scenario/driver.h"
#include "text/cp932.h"
#include "win/controls.h"

namespace scenario {

namespace {

using cw::automation::fail;
using cw::automation::json_array;
using cw::automation::json_object;
using cw::automation::json_string;

bool is_class(HWND h, const char* name) {
    const cw::win::Window* w = cw::win::window_from(h);
    return w && w->cls && strcasecmp(w->cls->name.c_str(), name) == 0;
}

std::vector<HWND> children_of_class(HWND parent, const char* name) {
    std::vector<HWND> out;
    for (HWND c = parent ? GetWindow(parent, GW_CHILD) : nullptr; c; c = GetWindow(c, GW_HWNDNEXT))
        if (is_class(c, name)) out.push_back(c);
    return out;
}

void listedit(const Line& l) {
    need(l, 3, "listedit INDEX \"text\"");
    HWND dialog = current_dialog();
    if (!dialog) fail("listedit is only possible inside an open dialog");
    const std::vector<HWND> lists = children_of_class(dialog, WC_LISTVIEWA);
    if (lists.empty()) fail("the dialog has no list view");
    const HWND list = lists.front();
    const long long index = number(l.words[1]);
    const long long count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    if (index < 0 || index >= count)
        fail("the list view has no item " + std::to_string(index) + " (it has " + std::to_string(count) +
             ")");
    if (!is_string(l.words[2])) fail("usage: listedit INDEX \"text\"");
    RECT r{};
    if (!cw::backend::listview_item_rect(cw::win::window_from(list), static_cast<int>(index), &r))
        fail("item " + std::to_string(index) + " of the list view is not shown");
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    // A double click: the second press comes soon after the first at the same place.
    user_step(cw::automation::user_mouse(list, WM_MOUSEMOVE, 0, x, y));
    user_step(cw::automation::user_mouse(list, WM_LBUTTONDOWN, MK_LBUTTON, x, y));
    user_step(cw::automation::user_mouse(list, WM_LBUTTONUP, 0, x, y));
    user_step(cw::automation::user_mouse(list, WM_LBUTTONDBLCLK, MK_LBUTTON, x, y));
    user_step(cw::automation::user_mouse(list, WM_LBUTTONUP, 0, x, y));
    pump();
    const HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0));
    if (!edit) fail("double-clicking item " + std::to_string(index) + " started no label edit");
    // The label edit has the focus: its text is selected and typing replaces it.
    user_step(cw::automation::user_type(string_value(l.words[2])), "the label edit takes no typing");
    if (IsWindow(edit)) user_step(cw::automation::user_keys("return"));
    pump();  // the key waits in the queue, as on the system, until the dialog's loop takes it
    if (IsWindow(edit) && reinterpret_cast<HWND>(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0)) == edit)
        fail("Enter did not end the label edit");
}

// The top-level items of a tree view, in order.
std::vector<HTREEITEM> top_items(HWND tree) {
    std::vector<HTREEITEM> out;
    for (auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)); item;
         item = reinterpret_cast<HTREEITEM>(
             SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
        out.push_back(item);
    return out;
}

std::string item_text(HWND tree, HTREEITEM item) {
    char text[512] = {};
    TVITEMA tv{};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = text;
    tv.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    return cw::text::cp932_to_utf8(text);
}

void treepick(const Line& l) {
    need(l, 2, "treepick INDEX");
    const std::vector<HWND> trees = children_of_class(current_dialog(), WC_TREEVIEWA);
    if (trees.empty()) fail("treepick needs an open dialog with a tree view");
    const HWND tree = trees.front();
    const std::vector<HTREEITEM> items = top_items(tree);
    const long long index = number(l.words[1]);
    if (index < 0 || index >= static_cast<long long>(items.size()))
        fail("the tree view has no item " + std::to_string(index));
    RECT r{};
    // TVM_GETITEMRECT takes the item in the rectangle it fills.
    std::memcpy(&r, &items[static_cast<size_t>(index)], sizeof(HTREEITEM));
    if (!SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r)))
        fail("item " + std::to_string(index) + " of the tree view is not shown");
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    user_step(cw::automation::user_mouse(tree, WM_MOUSEMOVE, 0, x, y));
    user_step(cw::automation::user_mouse(tree, WM_LBUTTONDOWN, MK_LBUTTON, x, y));
    user_step(cw::automation::user_mouse(tree, WM_LBUTTONUP, 0, x, y));
    pump();
}

std::string tree_views_json() {
    std::vector<std::string> out;
    for (HWND tree : children_of_class(current_dialog(), WC_TREEVIEWA)) {
        std::vector<std::string> items;
        for (HTREEITEM item : top_items(tree)) items.push_back(json_string(item_text(tree, item)));
        out.push_back(
            json_object({{"id", std::to_string(GetDlgCtrlID(tree))}, {"items", json_array(items)}}));
    }
    return json_array(out);
}

int position_of(HWND updown) {
    return static_cast<short>(LOWORD(SendMessageA(updown, UDM_GETPOS, 0, 0)));
}

void updown(const Line& l) {
    need(l, 3, "updown ID POS");
    const Line control{l.number, {"control", l.words[1]}};
    size_t i = 0;
    const HWND h = target(control, i);
    if (!is_class(h, UPDOWN_CLASSA)) fail("control " + l.words[1] + " is no up-down");
    const int want = static_cast<int>(number(l.words[2]));
    const LRESULT range = SendMessageA(h, UDM_GETRANGE, 0, 0);
    const int upper = static_cast<short>(LOWORD(range)), lower = static_cast<short>(HIWORD(range));
    // One click per step, as a user would; the up arrow moves towards the upper end. A
    // position beyond the range leaves the control where the arrows stop, at its end.
    for (int steps = 0; position_of(h) != want && steps <= 65536; ++steps) {
        const int before = position_of(h);
        const bool up = (want > before) == (upper >= lower);
        user_step(cw::automation::user_updown(h, up));
        pump();
        if (!IsWindow(h)) fail("up-down " + l.words[1] + " went away");
        if (position_of(h) == before) break;
    }
}

std::string list_views_json() {
    std::vector<std::string> out;
    for (HWND list : children_of_class(current_dialog(), WC_LISTVIEWA)) {
        int selected = -1;
        std::vector<std::string> items;
        for (const std::string& t : cw::qt::listview_shown_items(cw::win::window_from(list), &selected))
            items.push_back(json_string(t));
        const HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0));
        out.push_back(json_object({{"id", std::to_string(GetDlgCtrlID(list))},
                                   {"items", json_array(items)},
                                   {"selection", std::to_string(selected)},
                                   {"mark", std::to_string(SendMessageA(list, LVM_GETSELECTIONMARK, 0, 0))},
                                   {"editing", edit ? "true" : "false"}}));
    }
    return json_array(out);
}

std::string up_downs_json() {
    std::vector<std::string> out;
    for (HWND h : children_of_class(current_dialog(), UPDOWN_CLASSA)) {
        const LRESULT range = SendMessageA(h, UDM_GETRANGE, 0, 0);
        const HWND buddy = reinterpret_cast<HWND>(SendMessageA(h, UDM_GETBUDDY, 0, 0));
        out.push_back(json_object({{"id", std::to_string(GetDlgCtrlID(h))},
                                   {"pos", std::to_string(position_of(h))},
                                   {"lower", std::to_string(static_cast<short>(HIWORD(range)))},
                                   {"upper", std::to_string(static_cast<short>(LOWORD(range)))},
                                   {"buddy", buddy ? std::to_string(GetDlgCtrlID(buddy)) : "null"}}));
    }
    return json_array(out);
}

struct Registration {
    Registration() {
        register_verb("listedit", listedit);
        register_verb("updown", updown);
        register_verb("treepick", treepick);
        register_dump_section("tree_views", tree_views_json);
        register_dump_section("list_views", list_views_json);
        register_dump_section("up_downs", up_downs_json);
    }
} registration;

}  // namespace

}  // namespace scenario
