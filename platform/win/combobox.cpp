// "COMBOBOX": drop-down list combo boxes.
#include "win/controls.h"

#include <algorithm>
#include <cstring>

#include "win/backend.h"
#include "text/cp932.h"

namespace cw::win {

namespace {

ComboState* state(Window* w) {
    return static_cast<ComboState*>(w->control.get());
}

// The keys that move the selection of a closed drop-down list; -1 for any other key.
int selection_after_key(const ComboState* s, WPARAM key) {
    const int count = static_cast<int>(s->items.size());
    if (count == 0) return -1;
    switch (key) {
        case VK_UP:
        case VK_LEFT: return std::max(0, s->selection - 1);
        case VK_DOWN:
        case VK_RIGHT: return s->selection < 0 ? 0 : std::min(count - 1, s->selection + 1);
        case VK_HOME:
        case VK_PRIOR: return 0;
        case VK_END:
        case VK_NEXT: return count - 1;
    }
    return -1;
}

LRESULT CALLBACK combo_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    ComboState* s = state(w);
    switch (msg) {
        // The scroll bar styles are its list's, not the combo box's own.
        case WM_NCCREATE: w->style &= ~(WS_VSCROLL | WS_HSCROLL); return TRUE;
        case WM_CREATE: w->control = std::make_unique<ComboState>(); return 0;
        case WM_KEYDOWN:
            if (s) {
                const int to = selection_after_key(s, wp);
                if (to >= 0 && to != s->selection) combo_user_selected(w, to);
            }
            return 0;
        case CB_GETCOUNT: return s ? static_cast<LRESULT>(s->items.size()) : 0;
        case CB_GETCURSEL: return s ? s->selection : CB_ERR;
        case CB_SETCURSEL: {
            if (!s) return CB_ERR;
            const int i = static_cast<int>(wp);
            s->selection = (i >= 0 && i < static_cast<int>(s->items.size())) ? i : -1;
            cw::backend::control_changed(w);
            return s->selection == -1 && i != -1 ? CB_ERR : s->selection;
        }
        case CB_ADDSTRING:
        case CB_INSERTSTRING: {
            if (!s) return CB_ERR;
            int i = msg == CB_ADDSTRING ? -1 : static_cast<int>(wp);
            if (i > static_cast<int>(s->items.size())) return CB_ERR;
            if (i < 0) i = static_cast<int>(s->items.size());
            s->items.insert(s->items.begin() + i, lp ? reinterpret_cast<const char*>(lp) : "");
            if (s->selection >= i) ++s->selection;
            cw::backend::control_changed(w);
            return i;
        }
        case CB_DELETESTRING: {
            if (!s) return CB_ERR;
            const int i = static_cast<int>(wp);
            if (i < 0 || i >= static_cast<int>(s->items.size())) return CB_ERR;
            s->items.erase(s->items.begin() + i);
            // The list box below the combo drops the selection of a deleted entry
            // and keeps pointing at the same entry when one before it goes.
            if (s->selection == i)
                s->selection = -1;
            else if (s->selection > i)
                --s->selection;
            cw::backend::control_changed(w);
            return static_cast<LRESULT>(s->items.size());
        }
        case CB_RESETCONTENT:
            if (s) {
                s->items.clear();
                s->selection = -1;
                cw::backend::control_changed(w);
            }
            return 0;
        case CB_GETLBTEXTLEN: {
            const int i = static_cast<int>(wp);
            if (!s || i < 0 || i >= static_cast<int>(s->items.size())) return CB_ERR;
            return static_cast<LRESULT>(s->items[i].size());
        }
        case CB_GETLBTEXT: {
            const int i = static_cast<int>(wp);
            if (!s || i < 0 || i >= static_cast<int>(s->items.size()) || !lp) return CB_ERR;
            std::memcpy(reinterpret_cast<char*>(lp), s->items[i].c_str(), s->items[i].size() + 1);
            return static_cast<LRESULT>(s->items[i].size());
        }
        case WM_GETTEXT:
            if (s && s->selection >= 0 && wp > 0 && lp) {
                cw::text::copy_truncated(reinterpret_cast<char*>(lp), wp, s->items[s->selection]);
                return static_cast<LRESULT>(std::strlen(reinterpret_cast<char*>(lp)));
            }
            if (wp > 0 && lp) *reinterpret_cast<char*>(lp) = 0;
            return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void combo_user_selected(Window* w, int index) {
    ComboState* s = state(w);
    if (!s || index < 0 || index >= static_cast<int>(s->items.size())) return;
    s->selection = index;
    cw::backend::control_changed(w);
    command_parent(w, CBN_SELCHANGE);
}

void register_combo_class() {
    register_builtin_class("COMBOBOX", combo_proc);
}

}  // namespace cw::win
