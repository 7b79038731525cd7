// "SysListView32" in list mode, with in-place label editing. The items live here;
// the Qt list only shows them. Mouse input reaches this procedure as window
// messages (so a subclass sees it first). A label edit is a real "EDIT" child
// window over the item, subclassed here for Enter, Esc and focus loss.
#include "win/controls.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "win/backend.h"
#include "text/cp932.h"

namespace cw::win {

ListState* list_state(Window* w) {
    return w ? dynamic_cast<ListState*>(w->control.get()) : nullptr;
}

namespace {

// The edit window's own procedure under our subclass, by edit handle.
std::map<HWND, WNDPROC>& edit_procs() {
    static std::map<HWND, WNDPROC> m;
    return m;
}

int count(const ListState* s) {
    return static_cast<int>(s->items.size());
}
bool valid(const ListState* s, int i) {
    return s && i >= 0 && i < count(s);
}

void notify_item(Window* w, UINT code, int item, POINT pt) {
    NMITEMACTIVATE nm{};
    nm.hdr = NMHDR{w->handle, w->id, code};
    nm.iItem = item;
    nm.ptAction = pt;
    notify_parent(w, &nm.hdr);
}

// Ends the running label edit: with the edit's text, or cancelled (no text).
void end_edit(Window* w, bool keep_text) {
    ListState* s = list_state(w);
    if (!s || !s->edit || s->ending) return;
    s->ending = true;
    const HWND self = w->handle, edit = s->edit;
    const int item = s->edit_item;
    Window* e = window_from(edit);
    std::string text = e ? e->text : std::string();
    // The list takes the focus back before its edit goes.
    if (GetFocus() == edit) SetFocus(self);
    if (window_from(edit)) ShowWindow(edit, SW_HIDE);
    NMLVDISPINFOA nm{};
    nm.hdr = NMHDR{self, w->id, LVN_ENDLABELEDITA};
    nm.item.mask = LVIF_TEXT;
    nm.item.iItem = item;
    nm.item.pszText = keep_text ? text.data() : nullptr;
    nm.item.cchTextMax = keep_text ? static_cast<int>(text.size()) + 1 : 0;
    const LRESULT accepted = notify_parent(w, &nm.hdr);
    if (!window_from(self) || !(s = list_state(w))) return;
    s->edit = nullptr;
    s->edit_item = -1;
    s->ending = false;
    if (window_from(edit)) DestroyWindow(edit);
    // The control keeps the new text only when the parent accepts it.
    if (accepted && keep_text && valid(s, item)) {
        s->items[item] = text;
        cw::backend::control_changed(w);
    }
}

LRESULT CALLBACK label_edit_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto it = edit_procs().find(hwnd);
    const WNDPROC base = it == edit_procs().end() ? nullptr : it->second;
    Window* e = window_from(hwnd);
    Window* list = e ? e->parent : nullptr;
    ListState* s = list_state(list);
    const bool running = s && s->edit == hwnd && !s->ending;
    switch (msg) {
        // Enter and Esc end the edit, not the dialog around the list.
        case WM_GETDLGCODE:
            if (running) return DLGC_WANTALLKEYS;
            break;
        case WM_KEYDOWN:
            if (running && (wp == VK_RETURN || wp == VK_ESCAPE)) {
                end_edit(list, wp == VK_RETURN);
                return 0;
            }
            break;
        case WM_KILLFOCUS: {
            const LRESULT r = CallWindowProcA(base, hwnd, msg, wp, lp);
            if (running) end_edit(list, true);
            return r;
        }
        case WM_NCDESTROY: {
            const LRESULT r = CallWindowProcA(base, hwnd, msg, wp, lp);
            edit_procs().erase(hwnd);
            if (s && s->edit == hwnd && !s->ending) {
                s->edit = nullptr;
                s->edit_item = -1;
            }
            return r;
        }
    }
    return CallWindowProcA(base, hwnd, msg, wp, lp);
}

HWND edit_label(Window* w, int item) {
    ListState* s = list_state(w);
    if (!s) return nullptr;
    if (s->edit) end_edit(w, item >= 0);
    if (!(s = list_state(w)) || !valid(s, item)) return nullptr;
    const HWND self = w->handle;
    SetFocus(self);
    NMLVDISPINFOA nm{};
    nm.hdr = NMHDR{self, w->id, LVN_BEGINLABELEDITA};
    nm.item.mask = LVIF_TEXT;
    nm.item.iItem = item;
    std::string text = s->items[item];
    nm.item.pszText = text.data();
    nm.item.cchTextMax = static_cast<int>(text.size()) + 1;
    if (notify_parent(w, &nm.hdr)) return nullptr;  // the parent refused the edit
    if (!window_from(self) || !(s = list_state(w)) || !valid(s, item) || s->edit) return nullptr;
    RECT r{0, 0, 80, 16};
    cw::backend::listview_item_rect(w, item, &r);
    const RECT client = client_rect_of(w);
    const int height = std::max<int>(r.bottom - r.top + 4, 16);
    const int width = std::max<int>(r.right - r.left + 24, 60);
    const int left = std::max<int>(0, std::min<int>(r.left - 2, client.right - width));
    // Id 1, as the system's own label edit has: its notifications reach the dialog
    // looking like IDOK, which is why dialogs compare the control handle.
    const HWND edit =
        CreateWindowExA(0, "EDIT", s->items[item].c_str(), WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, left,
                        r.top - 2, width, height, self, reinterpret_cast<HMENU>(1), w->instance, nullptr);
    Window* e = window_from(edit);
    if (!e || !(s = list_state(w))) return nullptr;
    edit_procs()[edit] = e->proc;
    e->proc = label_edit_proc;
    e->font_face = w->font_face;
    e->font_size = w->font_size;
    cw::backend::sync_text(e);
    s->edit = edit;
    s->edit_item = item;
    ShowWindow(edit, SW_SHOW);
    SetFocus(edit);
    cw::backend::listview_edit_started(w, e);
    return edit;
}

void select(Window* w, int item) {
    ListState* s = list_state(w);
    if (!s) return;
    s->selected = valid(s, item) ? item : -1;
    if (s->selected >= 0) s->mark = s->selected;
    cw::backend::control_changed(w);
}

// After item i was inserted (delta 1) or removed (delta -1), indices behind it move.
void shift(int* index, int i, int delta) {
    if (*index < 0) return;
    if (delta < 0 && *index == i)
        *index = -1;
    else if (*index >= i)
        *index += delta;
}

LRESULT get_text(Window* w, int i, LVITEMA* item) {
    ListState* s = list_state(w);
    if (!item || !valid(s, i) || item->iSubItem != 0 || !item->pszText || item->cchTextMax <= 0) return 0;
    cw::text::copy_truncated(item->pszText, static_cast<size_t>(item->cchTextMax), s->items[i]);
    return static_cast<LRESULT>(std::strlen(item->pszText));
}

// Where an item is shown, in client coordinates; a list without icons has its label in its whole
// row, whatever part the caller asks for.
BOOL item_rect(Window* w, int index, RECT* out) {
    ListState* s = list_state(w);
    if (!s || !out || index < 0 || index >= count(s)) return FALSE;
    return cw::backend::listview_item_rect(w, index, out) ? TRUE : FALSE;
}

LRESULT CALLBACK list_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    ListState* s = list_state(w);
    const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    switch (msg) {
        case WM_CREATE: w->control = std::make_unique<ListState>(); return 0;
        case LVM_GETITEMCOUNT: return s ? count(s) : 0;
        case LVM_INSERTITEMA: {
            const auto* item = reinterpret_cast<const LVITEMA*>(lp);
            if (!s || !item || item->iItem < 0) return -1;
            const int i = std::min(item->iItem, count(s));
            const char* text = (item->mask & LVIF_TEXT) && item->pszText ? item->pszText : "";
            s->items.insert(s->items.begin() + i, text);
            shift(&s->selected, i, 1);
            shift(&s->mark, i, 1);
            if (s->edit_item >= i) ++s->edit_item;
            cw::backend::control_changed(w);
            return i;
        }
        case LVM_DELETEITEM: {
            const int i = static_cast<int>(wp);
            if (!valid(s, i)) return FALSE;
            if (s->edit && s->edit_item == i) end_edit(w, false);
            if (!(s = list_state(w)) || !valid(s, i)) return FALSE;
            s->items.erase(s->items.begin() + i);
            shift(&s->selected, i, -1);
            shift(&s->mark, i, -1);
            if (s->edit_item > i) --s->edit_item;
            cw::backend::control_changed(w);
            return TRUE;
        }
        case LVM_DELETEALLITEMS:
            if (!s) return FALSE;
            if (s->edit) end_edit(w, false);
            if (!(s = list_state(w))) return FALSE;
            s->items.clear();
            s->selected = s->mark = -1;
            cw::backend::control_changed(w);
            return TRUE;
        case LVM_GETITEMTEXTA: return get_text(w, static_cast<int>(wp), reinterpret_cast<LVITEMA*>(lp));
        case LVM_SETITEMTEXTA: {
            const auto* item = reinterpret_cast<const LVITEMA*>(lp);
            const int i = static_cast<int>(wp);
            if (!item || !valid(s, i) || item->iSubItem != 0) return FALSE;
            s->items[i] = item->pszText ? item->pszText : "";
            cw::backend::control_changed(w);
            return TRUE;
        }
        case LVM_GETITEMRECT: return item_rect(w, static_cast<int>(wp), reinterpret_cast<RECT*>(lp));
        case LVM_GETSELECTIONMARK: return s ? s->mark : -1;
        case LVM_SETSELECTIONMARK: {
            if (!s) return -1;
            const int old = s->mark;
            s->mark = static_cast<int>(lp) >= -1 ? static_cast<int>(lp) : -1;
            return old;
        }
        case LVM_EDITLABELA: return reinterpret_cast<LRESULT>(edit_label(w, static_cast<int>(wp)));
        case LVM_GETEDITCONTROL: return s ? reinterpret_cast<LRESULT>(s->edit) : 0;
        case WM_COMMAND:
            // The label edit's notifications go on to the list's parent.
            if (w->parent && s && lp && reinterpret_cast<HWND>(lp) == s->edit)
                return SendMessageA(w->parent->handle, WM_COMMAND, wp, lp);
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (!s) return 0;
            if (s->edit) end_edit(w, true);  // a click in the list takes the focus from the edit
            if (!window_from(hwnd) || !(s = list_state(w))) return 0;
            SetFocus(hwnd);
            const int item = cw::backend::listview_item_at(w, pt);
            select(w, item);  // a click on empty space clears the selection, not the mark
            s->tracking_left = msg == WM_LBUTTONDOWN;
            if (msg == WM_LBUTTONDBLCLK) notify_item(w, NM_DBLCLK, item, pt);
            return 0;
        }
        case WM_LBUTTONUP:
            if (s && s->tracking_left) {
                s->tracking_left = false;
                notify_item(w, NM_CLICK, cw::backend::listview_item_at(w, pt), pt);
            }
            return 0;
        case WM_KEYDOWN:
            if (s && (wp == VK_UP || wp == VK_DOWN) && count(s) > 0) {
                const int from = s->selected >= 0 ? s->selected : s->mark;
                const int to = std::clamp(from + (wp == VK_DOWN ? 1 : -1), 0, count(s) - 1);
                select(w, to);
            }
            return 0;
        case WM_DESTROY:
            if (s) s->edit = nullptr;
            return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void register_listview_class() {
    register_builtin_class("SysListView32", list_proc);
}

}  // namespace cw::win
