// "SysTreeView32": the tree view with check boxes. The items live here; the Qt
// tree only shows them. Mouse input reaches this procedure as window messages
// (so a subclass sees it first), and the procedure does what a click does.
#include "win/controls.h"

#include <algorithm>
#include <cstring>

#include "win/backend.h"
#include "text/cp932.h"

namespace cw::win {

TreeState::~TreeState() = default;

TreeState* tree_state(Window* w) {
    return w ? dynamic_cast<TreeState*>(w->control.get()) : nullptr;
}

TreeItem* tree_item(Window* w, HTREEITEM h) {
    TreeState* s = tree_state(w);
    if (!s || !h) return nullptr;
    auto it = s->items.find(h);
    return it == s->items.end() ? nullptr : it->second.get();
}

namespace {

std::vector<TreeItem*>& siblings(TreeState* s, TreeItem* parent) {
    return parent ? parent->children : s->roots;
}

bool is_ancestor_or_self(TreeItem* a, TreeItem* item) {
    for (TreeItem* i = item; i; i = i->parent)
        if (i == a) return true;
    return false;
}

void fill_item(TreeItem* item, TVITEMA* out, UINT mask) {
    out->mask = mask;
    out->hItem = item ? item->handle : nullptr;
    out->state = item ? item->state : 0;
    out->stateMask = 0xFFFF;
    out->lParam = item ? item->param : 0;
}

// Changes the selection and tells the parent, as the control does for every change.
void select(Window* w, TreeItem* item, UINT action) {
    TreeState* s = tree_state(w);
    if (!s || s->selected == item) return;
    NMTREEVIEWA nm{};
    nm.hdr = NMHDR{w->handle, w->id, TVN_SELCHANGINGA};
    nm.action = action;
    fill_item(s->selected, &nm.itemOld, TVIF_HANDLE | TVIF_STATE | TVIF_PARAM);
    fill_item(item, &nm.itemNew, TVIF_HANDLE | TVIF_STATE | TVIF_PARAM);
    const HWND h = w->handle;
    if (notify_parent(w, &nm.hdr)) return;
    if (!window_from(h) || !tree_state(w)) return;
    if (s->selected) s->selected->state &= ~TVIS_SELECTED;
    s->selected = item;
    if (item) item->state |= TVIS_SELECTED;
    cw::backend::control_changed(w);
    nm.hdr.code = TVN_SELCHANGEDA;
    fill_item(s->selected, &nm.itemNew, TVIF_HANDLE | TVIF_STATE | TVIF_PARAM);
    notify_parent(w, &nm.hdr);
}

TreeItem* insert(Window* w, const TVINSERTSTRUCTA* ins) {
    TreeState* s = tree_state(w);
    if (!s || !ins) return nullptr;
    TreeItem* parent = (ins->hParent == TVI_ROOT || !ins->hParent) ? nullptr : tree_item(w, ins->hParent);
    if (ins->hParent && ins->hParent != TVI_ROOT && !parent) return nullptr;
    auto& list = siblings(s, parent);
    size_t at = list.size();
    if (ins->hInsertAfter == TVI_FIRST) {
        at = 0;
    } else if (ins->hInsertAfter == TVI_LAST || ins->hInsertAfter == TVI_SORT || !ins->hInsertAfter) {
        at = list.size();
    } else {
        TreeItem* after = tree_item(w, ins->hInsertAfter);
        auto it = std::find(list.begin(), list.end(), after);
        if (it == list.end()) return nullptr;
        at = static_cast<size_t>(it - list.begin()) + 1;
    }
    auto item = std::make_unique<TreeItem>();
    item->handle = reinterpret_cast<HTREEITEM>(s->next_handle);
    s->next_handle += 8;
    item->parent = parent;
    const TVITEMA& tv = ins->item;
    if ((tv.mask & TVIF_TEXT) && tv.pszText) item->text = tv.pszText;
    if (tv.mask & TVIF_STATE) item->state = (item->state & ~tv.stateMask) | (tv.state & tv.stateMask);
    if (tv.mask & TVIF_PARAM) item->param = tv.lParam;
    item->state &= ~TVIS_SELECTED;
    // A check-box tree gives every new item the unchecked state image.
    if ((w->style & TVS_CHECKBOXES) && !(item->state & TVIS_STATEIMAGEMASK))
        item->state |= INDEXTOSTATEIMAGEMASK(1);
    TreeItem* raw = item.get();
    s->items[raw->handle] = std::move(item);
    list.insert(list.begin() + at, raw);
    cw::backend::control_changed(w);
    return raw;
}

void forget(TreeState* s, TreeItem* item) {
    for (TreeItem* c : item->children) forget(s, c);
    item->children.clear();
    s->items.erase(item->handle);
}

// The item the control selects when the selected one is deleted.
TreeItem* successor(TreeState* s, TreeItem* gone) {
    auto& list = siblings(s, gone->parent);
    auto it = std::find(list.begin(), list.end(), gone);
    if (it != list.end() && it + 1 != list.end()) return *(it + 1);
    if (it != list.end() && it != list.begin()) return *(it - 1);
    return gone->parent;
}

BOOL delete_item(Window* w, HTREEITEM h) {
    TreeState* s = tree_state(w);
    if (!s) return FALSE;
    if (h == TVI_ROOT || h == nullptr) {
        if (s->selected) select(w, nullptr, TVC_UNKNOWN);
        for (TreeItem* r : std::vector<TreeItem*>(s->roots)) forget(s, r);
        s->roots.clear();
        s->press_item = nullptr;
        cw::backend::control_changed(w);
        return TRUE;
    }
    TreeItem* item = tree_item(w, h);
    if (!item) return FALSE;
    if (s->selected && is_ancestor_or_self(item, s->selected)) select(w, successor(s, item), TVC_UNKNOWN);
    if (!tree_state(w) || !(item = tree_item(w, h))) return TRUE;
    if (s->selected && is_ancestor_or_self(item, s->selected)) s->selected = nullptr;
    if (s->press_item && is_ancestor_or_self(item, s->press_item)) s->press_item = nullptr;
    auto& list = siblings(s, item->parent);
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
    forget(s, item);
    cw::backend::control_changed(w);
    return TRUE;
}

LRESULT get_item(Window* w, TVITEMA* tv) {
    TreeItem* item = tv ? tree_item(w, tv->hItem) : nullptr;
    if (!item) return FALSE;
    if (tv->mask & TVIF_TEXT) {
        if (tv->pszText && tv->cchTextMax > 0)
            cw::text::copy_truncated(tv->pszText, static_cast<size_t>(tv->cchTextMax), item->text);
    }
    if (tv->mask & TVIF_STATE) tv->state = item->state & (tv->stateMask ? tv->stateMask : 0xFFFF);
    if (tv->mask & TVIF_PARAM) tv->lParam = item->param;
    if (tv->mask & TVIF_CHILDREN) tv->cChildren = item->children.empty() ? 0 : 1;
    return TRUE;
}

LRESULT set_item(Window* w, const TVITEMA* tv) {
    TreeItem* item = tv ? tree_item(w, tv->hItem) : nullptr;
    if (!item) return FALSE;
    if ((tv->mask & TVIF_TEXT) && tv->pszText) item->text = tv->pszText;
    if (tv->mask & TVIF_STATE) {
        const UINT mask = tv->stateMask & ~TVIS_SELECTED;
        item->state = (item->state & ~mask) | (tv->state & mask);
    }
    if (tv->mask & TVIF_PARAM) item->param = tv->lParam;
    cw::backend::control_changed(w);
    return TRUE;
}

TreeItem* next_item(Window* w, UINT code, TreeItem* from) {
    TreeState* s = tree_state(w);
    if (!s) return nullptr;
    switch (code) {
        case TVGN_ROOT: return s->roots.empty() ? nullptr : s->roots.front();
        case TVGN_CARET: return s->selected;
        case TVGN_CHILD:
            if (!from) return s->roots.empty() ? nullptr : s->roots.front();
            return from->children.empty() ? nullptr : from->children.front();
        case TVGN_PARENT: return from ? from->parent : nullptr;
        case TVGN_NEXT:
        case TVGN_PREVIOUS: {
            if (!from) return nullptr;
            auto& list = siblings(s, from->parent);
            auto it = std::find(list.begin(), list.end(), from);
            if (it == list.end()) return nullptr;
            if (code == TVGN_NEXT) return it + 1 == list.end() ? nullptr : *(it + 1);
            return it == list.begin() ? nullptr : *(it - 1);
        }
    }
    return nullptr;
}

void toggle_check(Window* w, TreeItem* item) {
    const UINT image = (item->state & TVIS_STATEIMAGEMASK) >> 12;
    item->state = (item->state & ~TVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(image == 2 ? 1 : 2);
    cw::backend::control_changed(w);
}

void left_down(Window* w, POINT p) {
    TreeState* s = tree_state(w);
    UINT flags = 0;
    TreeItem* item = cw::backend::tree_item_at(w, p, &flags);
    SetFocus(w->handle);
    if (!item) return;
    if (flags & TVHT_ONITEMSTATEICON) {
        toggle_check(w, item);
        return;
    }
    if (flags & TVHT_ONITEMBUTTON) {
        item->state ^= TVIS_EXPANDED;
        cw::backend::control_changed(w);
        return;
    }
    const HWND h = w->handle;
    s->tracking_left = true;
    s->drag_started = false;
    s->press_point = p;
    s->press_item = item;
    select(w, item, TVC_BYMOUSE);
    if (!window_from(h)) return;
}

void mouse_move(Window* w, WPARAM keys, POINT p) {
    TreeState* s = tree_state(w);
    if (!s || !s->tracking_left || s->drag_started || !(keys & MK_LBUTTON) || !s->press_item) return;
    const int dx = std::abs(p.x - s->press_point.x), dy = std::abs(p.y - s->press_point.y);
    if (dx <= GetSystemMetrics(SM_CXDRAG) && dy <= GetSystemMetrics(SM_CYDRAG)) return;
    if (w->style & TVS_DISABLEDRAGDROP) return;
    s->drag_started = true;
    s->tracking_left = false;
    NMTREEVIEWA nm{};
    nm.hdr = NMHDR{w->handle, w->id, TVN_BEGINDRAGA};
    nm.action = 0;
    fill_item(s->press_item, &nm.itemNew, TVIF_HANDLE | TVIF_STATE | TVIF_PARAM);
    nm.ptDrag = s->press_point;
    notify_parent(w, &nm.hdr);
}

// The parent hears of every key first; Enter is a notification of its own; then the tree
// moves its selection or toggles the check box.
void key_down(Window* w, WPARAM vk) {
    const HWND hwnd = w->handle;
    NMTVKEYDOWN key{};
    key.hdr = {hwnd, w->id, TVN_KEYDOWN};
    key.wVKey = static_cast<WORD>(vk);
    notify_parent(w, &key.hdr);
    if (!window_from(hwnd)) return;
    if (vk == VK_RETURN) {
        notify_parent(w, NM_RETURN);
        return;
    }
    TreeState* s = tree_state(w);
    if (!s || !s->selected) return;
    if (vk == ' ' && (w->style & TVS_CHECKBOXES)) toggle_check(w, s->selected);
    if (vk == VK_DOWN || vk == VK_UP) {
        TreeItem* n = next_item(w, vk == VK_DOWN ? TVGN_NEXT : TVGN_PREVIOUS, s->selected);
        if (n) select(w, n, TVC_BYKEYBOARD);
    }
}

LRESULT CALLBACK tree_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    TreeState* s = tree_state(w);
    const POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
    switch (msg) {
        case WM_CREATE: w->control = std::make_unique<TreeState>(); return 0;
        case TVM_INSERTITEMA: {
            TreeItem* item = insert(w, reinterpret_cast<const TVINSERTSTRUCTA*>(lp));
            return item ? reinterpret_cast<LRESULT>(item->handle) : 0;
        }
        case TVM_DELETEITEM: return delete_item(w, reinterpret_cast<HTREEITEM>(lp));
        case TVM_GETITEMA: return get_item(w, reinterpret_cast<TVITEMA*>(lp));
        case TVM_SETITEMA: return set_item(w, reinterpret_cast<const TVITEMA*>(lp));
        case TVM_GETCOUNT: return s ? static_cast<LRESULT>(s->items.size()) : 0;
        case TVM_GETITEMSTATE: {
            TreeItem* item = tree_item(w, reinterpret_cast<HTREEITEM>(wp));
            return item ? static_cast<LRESULT>(item->state & static_cast<UINT>(lp)) : 0;
        }
        case TVM_SELECTITEM: {
            if (wp != TVGN_CARET) return FALSE;
            TreeItem* item = tree_item(w, reinterpret_cast<HTREEITEM>(lp));
            if (lp && !item) return FALSE;
            select(w, item, TVC_UNKNOWN);
            return TRUE;
        }
        case TVM_GETNEXTITEM: {
            TreeItem* item =
                next_item(w, static_cast<UINT>(wp), tree_item(w, reinterpret_cast<HTREEITEM>(lp)));
            return item ? reinterpret_cast<LRESULT>(item->handle) : 0;
        }
        case TVM_EXPAND: {
            TreeItem* item = tree_item(w, reinterpret_cast<HTREEITEM>(lp));
            if (!item) return FALSE;
            if (wp & TVE_EXPAND) item->state |= TVIS_EXPANDED;
            if (wp & TVE_COLLAPSE) item->state &= ~TVIS_EXPANDED;
            cw::backend::control_changed(w);
            return TRUE;
        }
        case TVM_ENSUREVISIBLE: {
            TreeItem* item = tree_item(w, reinterpret_cast<HTREEITEM>(lp));
            if (!item) return FALSE;
            // Its parents open, as the system opens them, so that the row can be seen.
            for (TreeItem* p = item->parent; p; p = p->parent) p->state |= TVIS_EXPANDED;
            cw::backend::control_changed(w);
            cw::backend::tree_scroll_to(w, item);
            return TRUE;
        }
        case TVM_HITTEST: {
            auto* info = reinterpret_cast<TVHITTESTINFO*>(lp);
            if (!info) return 0;
            info->hItem = nullptr;
            TreeItem* item = cw::backend::tree_item_at(w, info->pt, &info->flags);
            info->hItem = item ? item->handle : nullptr;
            return reinterpret_cast<LRESULT>(info->hItem);
        }
        case TVM_GETITEMRECT: {
            auto* r = reinterpret_cast<RECT*>(lp);
            if (!r) return FALSE;
            TreeItem* item = tree_item(w, *reinterpret_cast<HTREEITEM*>(lp));
            return item && cw::backend::tree_item_rect(w, item, wp != 0, r);
        }
        case TVM_SETITEMHEIGHT: {
            if (!s) return 0;
            const int old = s->item_height;
            s->item_height = wp == static_cast<WPARAM>(-1) ? 16 : std::max(1, static_cast<int>(wp));
            // An odd height is rounded down to an even one unless the tree allows odd heights.
            if (!(w->style & TVS_NONEVENHEIGHT) && s->item_height > 1) s->item_height &= ~1;
            cw::backend::control_changed(w);
            return old;
        }
        case TVM_GETITEMHEIGHT: return s ? s->item_height : 0;
        case WM_LBUTTONDOWN: left_down(w, pt); return 0;
        case WM_LBUTTONDBLCLK:
            left_down(w, pt);
            if (window_from(hwnd)) notify_parent(w, NM_DBLCLK);
            return 0;
        case WM_MOUSEMOVE: mouse_move(w, wp, pt); return 0;
        case WM_LBUTTONUP:
            if (s) {
                const bool clicked = s->tracking_left;
                s->tracking_left = false;
                s->drag_started = false;
                if (clicked) notify_parent(w, NM_CLICK);
            }
            return 0;
        case WM_RBUTTONDOWN: return 0;
        case WM_RBUTTONUP: {
            // The parent may take the right click; otherwise it becomes a context-menu request.
            NMHDR hdr{hwnd, w->id, NM_RCLICK};
            if (!notify_parent(w, &hdr) && window_from(hwnd)) {
                POINT screen = pt;
                ClientToScreen(hwnd, &screen);
                SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
                             MAKELPARAM(screen.x, screen.y));
            }
            return 0;
        }
        case WM_KEYDOWN: key_down(w, wp); return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void register_tree_class() {
    register_builtin_class("SysTreeView32", tree_proc);
}

}  // namespace cw::win
