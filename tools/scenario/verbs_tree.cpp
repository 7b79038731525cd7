// Scenario verbs for the project tree and the pattern windows, and the dump of
// the pattern windows.
//
//   tree select root|pattern N|frame N M       a click on the item's label
//   tree check ITEM 0|1                        a click on the item's check box when its state differs
//   tree drag ITEM to ITEM [release empty|outside]
//                                              press on the first item, move past the drag
//                                              threshold to the second item's row and release
//                                              there, or after it on empty tree space, or over
//                                              the MDI client
//
// An ITEM is "root", "pattern N" or "frame N M".
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "project/app_state.h"
#include "automation/automation.h"
#include "automation/inspect.h"
#include "automation/json.h"
#include "project/tables.h"
#include "scenario/driver.h"
#include "text/cp932.h"

namespace {

using cw::automation::fail;
using cw::automation::json_array;
using cw::automation::json_object;
using cw::automation::json_string;
using scenario::Line;
using scenario::number;

std::string pair_json(long long a, long long b) {
    return "[" + std::to_string(a) + "," + std::to_string(b) + "]";
}

// Reads an ITEM at words[i] and advances i past it.
HTREEITEM tree_item(const Line& l, size_t& i) {
    if (i >= l.words.size()) fail("a tree item (root, pattern N or frame N M) is missing");
    const std::string kind = l.words[i++];
    if (kind == "root") return g_app.project_item;
    if (kind == "pattern") {
        if (i >= l.words.size()) fail("pattern needs an index");
        const long long p = number(l.words[i++]);
        if (p < 0 || p >= kMaxPatterns || !g_tables.pattern_item[p])
            fail("pattern " + std::to_string(p) + " has no item");
        return g_tables.pattern_item[p];
    }
    if (kind == "frame") {
        if (i + 1 >= l.words.size()) fail("frame needs a pattern and a frame index");
        const long long p = number(l.words[i++]), f = number(l.words[i++]);
        if (p < 0 || p >= kMaxPatterns || f < 0 || f >= kMaxFrames || !g_tables.frame_items[p][f])
            fail("frame " + std::to_string(p) + " " + std::to_string(f) + " has no item");
        return g_tables.frame_items[p][f];
    }
    fail("unknown tree item: " + kind);
}

RECT item_rect(HTREEITEM item, bool text_only) {
    RECT r{};
    // TVM_GETITEMRECT takes the item in the rectangle it fills.
    std::memcpy(&r, &item, sizeof item);
    if (!SendMessageA(g_app.project_tree, TVM_GETITEMRECT, text_only, reinterpret_cast<LPARAM>(&r)))
        fail("the tree item is not shown (outside the tree or collapsed)");
    return r;
}

POINT label_point(HTREEITEM item) {
    const RECT r = item_rect(item, true);
    RECT client;
    GetClientRect(g_app.project_tree, &client);
    if (r.bottom > client.bottom) fail("the tree item lies below the tree's visible area");
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void press(POINT p) {
    scenario::user_step(cw::automation::user_mouse(g_app.project_tree, WM_MOUSEMOVE, 0, p.x, p.y));
    scenario::user_step(cw::automation::user_mouse(g_app.project_tree, WM_LBUTTONDOWN, MK_LBUTTON, p.x, p.y));
}
void move(POINT p) {
    scenario::user_step(cw::automation::user_mouse(g_app.project_tree, WM_MOUSEMOVE, MK_LBUTTON, p.x, p.y));
}
void release(POINT p) {
    scenario::user_step(cw::automation::user_mouse(g_app.project_tree, WM_LBUTTONUP, 0, p.x, p.y));
}

bool checked(HTREEITEM item) {
    const auto state = SendMessageA(g_app.project_tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                    TVIS_STATEIMAGEMASK);
    return (state >> 12) == 2;
}

// The check box is found the way the mouse finds it: by hit-testing along the row.
POINT check_box_point(HTREEITEM item) {
    const RECT text = item_rect(item, true);
    const int y = (text.top + text.bottom) / 2;
    for (int x = 0; x < text.left; ++x) {
        TVHITTESTINFO hit{};
        hit.pt = POINT{x, y};
        SendMessageA(g_app.project_tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.hItem == item && (hit.flags & TVHT_ONITEMSTATEICON)) return hit.pt;
    }
    fail("the tree item shows no check box");
}

void tree_verb(const Line& l) {
    scenario::need(l, 3, "tree select|doubleclick|check|drag ...");
    const std::string action = l.words[1];
    size_t i = 2;
    if (action == "select" || action == "doubleclick") {
        const POINT p = label_point(tree_item(l, i));
        press(p);
        release(p);
        if (action == "doubleclick") {
            cw::automation::user_mouse(g_app.project_tree, WM_LBUTTONDBLCLK, MK_LBUTTON, p.x, p.y);
            release(p);
        }
    } else if (action == "check") {
        const HTREEITEM item = tree_item(l, i);
        if (i >= l.words.size()) fail("usage: tree check ITEM 0|1");
        const bool want = number(l.words[i]) != 0;
        if (checked(item) != want) {
            const POINT p = check_box_point(item);
            press(p);
            release(p);
        }
    } else if (action == "drag") {
        const HTREEITEM from = tree_item(l, i);
        if (i >= l.words.size() || l.words[i] != "to")
            fail("usage: tree drag ITEM to ITEM [release empty|outside]");
        ++i;
        const HTREEITEM to = tree_item(l, i);
        std::string where = "target";
        if (i < l.words.size()) {
            if (l.words[i] != "release" || i + 1 >= l.words.size()) fail("usage: ... release empty|outside");
            where = l.words[i + 1];
            if (where != "empty" && where != "outside") fail("release must be empty or outside");
        }
        const POINT start = label_point(from);
        const POINT over = label_point(to);
        const int threshold = GetSystemMetrics(SM_CYDRAG) + 1;
        press(start);
        // Past the drag threshold first, then in steps to the target's row.
        const POINT past{start.x, start.y + (over.y >= start.y ? threshold : -threshold)};
        move(past);
        move(POINT{(past.x + over.x) / 2, (past.y + over.y) / 2});
        move(over);
        if (where == "target") {
            release(over);
        } else if (where == "empty") {
            RECT client;
            GetClientRect(g_app.project_tree, &client);
            const POINT empty{over.x, client.bottom - 2};
            TVHITTESTINFO hit{};
            hit.pt = empty;
            SendMessageA(g_app.project_tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (hit.hItem) fail("the tree has no empty space below its items");
            move(empty);
            release(empty);
        } else {
            // Over the MDI client, where the mouse goes when the user lets go beside the tree.
            scenario::user_step(
                cw::automation::user_mouse(g_app.mdi_client, WM_MOUSEMOVE, MK_LBUTTON, 10, 10));
            scenario::user_step(cw::automation::user_mouse(g_app.mdi_client, WM_LBUTTONUP, 0, 10, 10));
        }
    } else {
        fail("tree action must be select, doubleclick, check or drag");
    }
}

std::string pattern_windows_json() {
    std::vector<std::string> out;
    for (int p = 0; p < kMaxPatterns; ++p) {
        const HWND h = g_tables.pattern_window[p];
        const cw::automation::WindowReading r = cw::automation::read_window(h);
        std::vector<std::pair<std::string, std::string>> m;
        m.push_back({"open", h && r.exists ? "true" : "false"});
        if (h && r.exists) {
            m.push_back({"title", json_string(r.title)});
            m.push_back(
                {"client", pair_json(r.client.right - r.client.left, r.client.bottom - r.client.top)});
            m.push_back({"maximized", IsZoomed(h) ? "true" : "false"});
            m.push_back({"enabled", r.enabled ? "true" : "false"});
            m.push_back({"scrollbars", cw::automation::scrollbars_json(h)});
        }
        m.push_back(
            {"client_size", pair_json(g_tables.client_size[p].width, g_tables.client_size[p].height)});
        m.push_back({"zoomed_client_size",
                     pair_json(g_tables.zoomed_client_size[p].width, g_tables.zoomed_client_size[p].height)});
        m.push_back({"settings", scenario::settings_json(g_tables.settings[p])});
        out.push_back(json_object(m));
    }
    return json_array(out);
}

const bool registered = [] {
    scenario::register_verb("tree", tree_verb);
    scenario::register_dump_section("pattern_windows", pattern_windows_json);
    return true;
}();

}  // namespace
