// The MDI client ("MDICLIENT"): its children, their activation, maximising,
// cascading and tiling, the window list in the window menu, and the default
// frame and child procedures.
#include "win/mdi.h"

#include <algorithm>
#include <cstdio>

#include "text/cp932.h"
#include "win/backend.h"
#include "win/menu.h"
#include "win/system_menu.h"

namespace cw::win {

namespace {

// Item data that marks what a maximised child puts on its frame's bar: its system menu and its
// caption buttons.
constexpr ULONG_PTR kSystemItemData = 0x5359534D;  // 'SYSM'
constexpr ULONG_PTR kBarButtonData = 0x5359534E;
// Those items are pictures on the system, not texts (MFT_BITMAP, which the program never uses).
constexpr UINT kMftBitmap = 0x00000004;

struct MdiState : ControlState {
    HMENU window_menu = nullptr;
    UINT first_id = 0;
    std::vector<Window*> children;  // in creation order; ids follow this order
    Window* active = nullptr;
    bool list_in_menu = false;            // the separator and entries are in window_menu
    HMENU system_item_bar = nullptr;      // bar that carries the maximised child's system menu
    Window* system_item_child = nullptr;  // the child whose system menu it carries
    int cascade_step = 0;
    // The frame's own title, as the program last set it; while a child is maximised the frame
    // shows "title - [child's title]".
    bool has_frame_title = false;
    std::string frame_title;  // CP932
};

MdiState* state_of(Window* client) {
    if (!client || !is_mdi_client(client)) return nullptr;
    return static_cast<MdiState*>(client->control.get());
}

Window* frame_of(Window* client) {
    return client ? client->parent : nullptr;
}

void remove_window_list(MdiState* s) {
    if (!s->window_menu || !s->list_in_menu) return;
    for (size_t i = 0; i < s->children.size() + 8; ++i)
        DeleteMenu(s->window_menu, s->first_id + i, MF_BYCOMMAND);
    const int n = GetMenuItemCount(s->window_menu);
    if (n > 0 && (GetMenuState(s->window_menu, n - 1, MF_BYPOSITION) & MF_SEPARATOR))
        DeleteMenu(s->window_menu, n - 1, MF_BYPOSITION);
    s->list_in_menu = false;
}

void add_window_list(MdiState* s) {
    if (!s->window_menu || s->children.empty()) return;
    AppendMenuA(s->window_menu, MF_SEPARATOR, 0, nullptr);
    for (size_t i = 0; i < s->children.size() && i < 9; ++i) {
        Window* c = s->children[i];
        char text[600];
        std::snprintf(text, sizeof text, "&%zu %s", i + 1, c->text.c_str());
        AppendMenuA(s->window_menu, MF_STRING | (c == s->active ? MF_CHECKED : 0), s->first_id + i, text);
    }
    s->list_in_menu = true;
}

void refresh_window_list(Window* client) {
    MdiState* s = state_of(client);
    if (!s) return;
    remove_window_list(s);
    for (size_t i = 0; i < s->children.size(); ++i) s->children[i]->id = s->first_id + i;
    add_window_list(s);
    if (Window* f = frame_of(client)) cw::backend::sync_menu_bar(f);
}

bool bar_item_data_is(HMENU bar, int position, ULONG_PTR data) {
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_DATA;
    return GetMenuItemInfoA(bar, static_cast<UINT>(position), TRUE, &mi) && mi.dwItemData == data;
}

// Takes what a maximised child put on the frame's bar off it again: the system item in front,
// the caption buttons at the end.
void remove_system_item(MdiState* s) {
    const HMENU bar = s->system_item_bar;
    s->system_item_bar = nullptr;
    s->system_item_child = nullptr;
    if (!bar) return;
    if (mdi_bar_has_system_item(bar)) RemoveMenu(bar, 0, MF_BYPOSITION);
    for (int i = GetMenuItemCount(bar) - 1; i >= 0 && mdi_bar_button(bar, i); --i)
        DeleteMenu(bar, static_cast<UINT>(i), MF_BYPOSITION);
}

// A maximised child shows its caption's parts on the frame's bar, as the system does: its
// system menu first, shown as its icon, and its minimise, restore and close buttons right-justified
// at the end. Choosing any of them sends the frame WM_COMMAND with the SC_ command, which
// DefFrameProc hands to the maximised child as WM_SYSCOMMAND.
void put_system_item(Window* client, MdiState* s, Window* child) {
    Window* frame = frame_of(client);
    const HMENU bar = frame ? frame->menu : nullptr;
    if (bar && s->system_item_bar == bar && s->system_item_child == child) return;
    remove_system_item(s);
    const HMENU system_menu = system_menu_of(child);
    if (!bar || !system_menu) return;
    MenuItemModel item;
    item.type = kMftBitmap;
    item.submenu = system_menu;
    item.data = kSystemItemData;
    if (!insert_item(bar, 0, item)) return;
    const UINT close_state = GetMenuState(system_menu, SC_CLOSE, MF_BYCOMMAND);
    for (UINT command : {SC_MINIMIZE, SC_RESTORE, SC_CLOSE}) {
        MenuItemModel button;
        button.type = kMftBitmap | MF_HELP;
        button.id = command;
        button.data = kBarButtonData;
        if (command == SC_CLOSE && (close_state == 0xFFFFFFFF || (close_state & MF_GRAYED)))
            button.state = MF_GRAYED;
        insert_item(bar, 0xFFFFFFFF, button);
    }
    s->system_item_bar = bar;
    s->system_item_child = child;
}

RECT maximized_rect(Window* client, Window* child) {
    RECT r = client_rect_of(client);
    const bool was = child->maximized;
    child->maximized = false;  // insets of the framed window
    const Insets in = nonclient_insets(child);
    child->maximized = was;
    r.left -= in.left;
    r.top -= in.top;
    r.right += in.right;
    r.bottom += in.bottom;
    return r;
}

Window* maximized_child(MdiState* s) {
    for (Window* c : s->children)
        if (c->maximized) return c;
    return nullptr;
}

void set_active(Window* client, Window* child) {
    MdiState* s = state_of(client);
    if (!s || s->active == child) return;
    Window* old = s->active;
    const HWND old_h = old ? old->handle : nullptr;
    const HWND new_h = child ? child->handle : nullptr;
    s->active = child;
    if (old && window_from(old_h)) {
        send(old, WM_NCACTIVATE, FALSE, 0);
        cw::backend::sync_geometry(old);
        send(old, WM_MDIACTIVATE, (WPARAM)old_h, (LPARAM)new_h);
    }
    if (child && window_from(new_h)) {
        auto& sib = client->children;
        sib.erase(std::remove(sib.begin(), sib.end(), child), sib.end());
        sib.insert(sib.begin(), child);
        cw::backend::sync_zorder(child);
        send(child, WM_NCACTIVATE, TRUE, 0);
        cw::backend::sync_geometry(child);
        send(child, WM_MDIACTIVATE, (WPARAM)old_h, (LPARAM)new_h);
    }
    refresh_window_list(client);
}

void arrange(Window* client, bool cascade) {
    MdiState* s = state_of(client);
    if (!s) return;
    if (Window* m = maximized_child(s)) mdi_restore(client, m);
    std::vector<Window*> list;
    for (Window* c : s->children)
        if (!c->minimized && (c->style & WS_VISIBLE)) list.push_back(c);
    if (list.empty()) return;
    const RECT area = client_rect_of(client);
    const int aw = area.right, ah = area.bottom;
    if (cascade) {
        const int step = caption_height() + frame_width(WS_THICKFRAME, 0);
        const int w = std::max(100, aw * 3 / 4), h = std::max(60, ah * 3 / 4);
        // The active window ends on top, last in the cascade.
        std::vector<Window*> order = list;
        if (s->active) {
            order.erase(std::remove(order.begin(), order.end(), s->active), order.end());
            order.push_back(s->active);
        }
        int i = 0;
        for (Window* c : order) {
            const int off = (i * step) % std::max(step, std::min(aw - w, ah - h) + 1);
            set_window_rect(c, RECT{off, off, off + w, off + h}, SWP_NOZORDER);
            ++i;
        }
        return;
    }
    const int n = static_cast<int>(list.size());
    int cols = 1;
    while (cols * cols < n) ++cols;
    const int rows = (n + cols - 1) / cols;
    for (int i = 0; i < n; ++i) {
        // Vertical tiling fills columns first.
        const int col = i / rows, row = i % rows;
        const int rows_here = (col == cols - 1) ? n - rows * (cols - 1) : rows;
        const int x0 = aw * col / cols, x1 = aw * (col + 1) / cols;
        const int y0 = ah * row / std::max(1, rows_here), y1 = ah * (row + 1) / std::max(1, rows_here);
        set_window_rect(list[i], RECT{x0, y0, x1, y1}, SWP_NOZORDER);
    }
}

LRESULT CALLBACK mdi_client_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    MdiState* s = state_of(w);
    switch (msg) {
        case WM_CREATE: {
            auto st = std::make_unique<MdiState>();
            const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
            if (cs && cs->lpCreateParams) {
                const auto* ccs = static_cast<const CLIENTCREATESTRUCT*>(cs->lpCreateParams);
                st->window_menu = static_cast<HMENU>(ccs->hWindowMenu);
                st->first_id = ccs->idFirstChild;
            }
            w->control = std::move(st);
            return 0;
        }
        case WM_MDIDESTROY: {
            Window* c = window_from(reinterpret_cast<HWND>(wp));
            if (c && s) DestroyWindow(c->handle);
            return 0;
        }
        case WM_MDIACTIVATE: {
            Window* c = window_from(reinterpret_cast<HWND>(wp));
            if (c && s && std::find(s->children.begin(), s->children.end(), c) != s->children.end())
                mdi_activate_child(w, c);
            return 0;
        }
        case WM_MDIGETACTIVE:
            if (lp) *reinterpret_cast<BOOL*>(lp) = s && s->active && s->active->maximized;
            return s && s->active ? reinterpret_cast<LRESULT>(s->active->handle) : 0;
        case WM_MDIMAXIMIZE:
            if (Window* c = window_from(reinterpret_cast<HWND>(wp))) mdi_maximize(w, c);
            return 0;
        case WM_MDIRESTORE:
            if (Window* c = window_from(reinterpret_cast<HWND>(wp))) mdi_restore(w, c);
            return 0;
        case WM_MDINEXT: {
            if (!s || s->children.size() < 2) return 0;
            auto it = std::find(s->children.begin(), s->children.end(), s->active);
            size_t i = it == s->children.end() ? 0 : static_cast<size_t>(it - s->children.begin());
            i = lp ? (i + s->children.size() - 1) % s->children.size() : (i + 1) % s->children.size();
            mdi_activate_child(w, s->children[i]);
            return 0;
        }
        case WM_MDICASCADE: arrange(w, true); return TRUE;
        case WM_MDITILE: arrange(w, false); return TRUE;
        case WM_MDIICONARRANGE: return 0;
        case WM_MDISETMENU: {
            if (!s) return 0;
            Window* frame = frame_of(w);
            HMENU old = frame ? frame->menu : nullptr;
            HMENU frame_menu = reinterpret_cast<HMENU>(wp);
            HMENU window_menu = reinterpret_cast<HMENU>(lp);
            remove_window_list(s);
            if (window_menu) s->window_menu = window_menu;
            if (frame_menu && frame) SetMenu(frame->handle, frame_menu);
            add_window_list(s);
            if (frame) cw::backend::sync_menu_bar(frame);
            return reinterpret_cast<LRESULT>(old);
        }
        case WM_MDIREFRESHMENU: refresh_window_list(w); return 0;
        case WM_SIZE:
            if (s)
                if (Window* m = maximized_child(s)) set_window_rect(m, maximized_rect(w, m), SWP_NOZORDER);
            return 0;
        case WM_DESTROY:
            if (s) {
                remove_system_item(s);
                remove_window_list(s);
            }
            return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

bool is_mdi_client(const Window* w) {
    return w && w->cls && w->cls->proc == mdi_client_proc;
}

void register_mdi_client_class() {
    register_builtin_class("MDICLIENT", mdi_client_proc);
}

bool mdi_bar_has_system_item(HMENU bar) {
    return bar && GetMenuItemCount(bar) > 0 && bar_item_data_is(bar, 0, kSystemItemData);
}

bool mdi_bar_button(HMENU bar, int position) {
    return bar && position >= 0 && bar_item_data_is(bar, position, kBarButtonData);
}

HICON mdi_bar_icon(HMENU bar) {
    if (!mdi_bar_has_system_item(bar)) return nullptr;
    Window* child = system_menu_owner(GetSubMenu(bar, 0));
    HICON icon = child && child->cls ? child->cls->icon : nullptr;
    return icon ? icon : LoadIconA(nullptr, IDI_APPLICATION);
}

Window* mdi_active_child(Window* client) {
    MdiState* s = state_of(client);
    return s ? s->active : nullptr;
}

Window* mdi_child_of(Window* w) {
    for (; w && !is_top_level(w); w = w->parent)
        if ((w->ex_style & WS_EX_MDICHILD) && is_mdi_client(w->parent)) return w;
    return nullptr;
}

void mdi_place_new_child(Window* client, Window* child, int* x, int* y, int* width, int* height) {
    MdiState* s = state_of(client);
    const RECT area = client_rect_of(client);
    if (*x == CW_USEDEFAULT) {
        const int step = caption_height() + frame_width(WS_THICKFRAME, 0);
        const int n = s ? s->cascade_step++ : 0;
        const int span = std::max(step, std::min<int>(area.right, area.bottom) / 2);
        *x = (n * step) % span;
        *y = *x;
    }
    if (*width == CW_USEDEFAULT) {
        *width = std::max<int>(100, area.right * 3 / 4);
        *height = std::max<int>(60, area.bottom * 3 / 4);
    }
    if (s) {
        child->id = s->first_id + s->children.size();
        s->children.push_back(child);
    }
}

void mdi_child_created(Window* client, Window* child) {
    MdiState* s = state_of(client);
    if (!s) return;
    const HWND h = child->handle;
    const bool maximize = (child->style & WS_MAXIMIZE) || (s->active && s->active->maximized);
    child->style &= ~WS_MAXIMIZE;
    child->style |= WS_VISIBLE;
    cw::backend::sync_visible(child);
    if (maximize) mdi_maximize(client, child);
    if (!window_from(h)) return;
    mdi_activate_child(client, child);
    refresh_window_list(client);
}

void mdi_child_destroying(Window* client, Window* child) {
    MdiState* s = state_of(client);
    if (!s) return;
    auto it = std::find(s->children.begin(), s->children.end(), child);
    if (it == s->children.end()) return;
    const bool was_max = child->maximized;
    if (s->active == child) {
        Window* next = nullptr;
        for (Window* c : client->children)
            if (c != child && std::find(s->children.begin(), s->children.end(), c) != s->children.end()) {
                next = c;
                break;
            }
        if (next) {
            if (was_max) {
                child->maximized = false;
                mdi_maximize(client, next);
            }
            set_active(client, next);
        } else {
            set_active(client, nullptr);
        }
    }
    s->children.erase(std::remove(s->children.begin(), s->children.end(), child), s->children.end());
    if (!maximized_child(s)) remove_system_item(s);
    refresh_window_list(client);
    // The child's title leaves the frame's with it.
    if (was_max) mdi_update_frame_text(client, nullptr);
}

void mdi_child_gone(Window* client, Window* child) {
    MdiState* s = state_of(client);
    if (!s) return;
    if (s->system_item_child == child) remove_system_item(s);
    if (s->active == child) s->active = nullptr;
    s->children.erase(std::remove(s->children.begin(), s->children.end(), child), s->children.end());
}

void mdi_activate_child(Window* client, Window* child) {
    if (child && child->minimized) mdi_restore(client, child);
    // While a child is maximised, the one activated takes its place, maximised.
    MdiState* s = state_of(client);
    Window* maximized = s ? maximized_child(s) : nullptr;
    if (child && maximized && maximized != child) mdi_maximize(client, child);
    set_active(client, child);
}

void mdi_maximize(Window* client, Window* child) {
    MdiState* s = state_of(client);
    if (!s || child->maximized) return;
    if (Window* other = maximized_child(s)) mdi_restore(client, other);
    if (!child->minimized) child->restore_rect = child->rect;
    child->minimized = false;
    child->maximized = true;
    child->style |= WS_MAXIMIZE;
    child->style &= ~WS_MINIMIZE;
    put_system_item(client, s, child);
    refresh_system_menu(child);
    set_window_rect(child, maximized_rect(client, child), SWP_NOZORDER);
    if (Window* f = frame_of(client)) cw::backend::sync_menu_bar(f);
    mdi_update_frame_text(client, nullptr);
}

void mdi_restore(Window* client, Window* child) {
    MdiState* s = state_of(client);
    if (!s || (!child->maximized && !child->minimized)) return;
    child->maximized = false;
    child->minimized = false;
    child->style &= ~(WS_MAXIMIZE | WS_MINIMIZE);
    if (!maximized_child(s)) remove_system_item(s);
    refresh_system_menu(child);
    set_window_rect(child, child->restore_rect, SWP_NOZORDER);
    if (Window* f = frame_of(client)) cw::backend::sync_menu_bar(f);
    mdi_update_frame_text(client, nullptr);
}

void mdi_update_frame_text(Window* client, const char* title) {
    MdiState* s = state_of(client);
    Window* frame = frame_of(client);
    if (!s || !frame) return;
    if (title) {
        s->frame_title = title;
        s->has_frame_title = true;
    } else if (!s->has_frame_title) {
        s->frame_title = frame->text;
        s->has_frame_title = true;
    }
    std::string shown = s->frame_title;
    // The system's frame caption holds 160 characters: the child's title is added only where
    // the brackets fit, and cut to what is left.
    constexpr size_t kMaxTitle = 160;
    if (Window* m = maximized_child(s); m && shown.size() + 6 <= kMaxTitle && !m->text.empty()) {
        const std::string child =
            m->text.substr(0, cw::text::truncated_length(m->text, kMaxTitle - shown.size() - 5));
        shown += " - [" + child + "]";
    }
    DefWindowProcA(frame->handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shown.c_str()));
}

void mdi_frame_menu_changed(Window* frame, HMENU old_bar, HMENU new_bar) {
    for (Window* c : frame->children) {
        MdiState* s = state_of(c);
        if (!s || !maximized_child(s)) continue;
        if (s->system_item_bar == old_bar) remove_system_item(s);
        if (new_bar) put_system_item(c, s, maximized_child(s));
    }
}

bool mdi_system_key(Window* client, UINT vk, bool ctrl) {
    MdiState* s = state_of(client);
    if (!s || !s->active || !ctrl) return false;
    if (vk == 0x73) {  // Ctrl+F4 closes the active child
        SendMessageA(s->active->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    }
    if (vk == 0x75) {  // Ctrl+F6 moves to the next one
        SendMessageA(client->handle, WM_MDINEXT, reinterpret_cast<WPARAM>(s->active->handle), 0);
        return true;
    }
    return false;
}

}  // namespace cw::win

using namespace cw::win;

LRESULT DefFrameProcA(HWND hwnd, HWND client_h, UINT msg, WPARAM wp, LPARAM lp) {
    Window* client = window_from(client_h);
    MdiState* s = state_of(client);
    switch (msg) {
        case WM_COMMAND:
            if (s) {
                const UINT id = LOWORD(wp);
                if (id >= s->first_id && id < s->first_id + s->children.size()) {
                    Window* c = s->children[id - s->first_id];
                    mdi_activate_child(client, c);
                    return 0;
                }
                // The system menu and buttons a maximised child put on the bar speak for it.
                if (id >= 0xF000)
                    if (Window* m = maximized_child(s)) return SendMessageA(m->handle, WM_SYSCOMMAND, wp, lp);
            }
            break;
        case WM_SIZE:
            if (client) {
                RECT r;
                GetClientRect(hwnd, &r);
                MoveWindow(client_h, 0, 0, r.right, r.bottom, TRUE);
            }
            return 0;
        case WM_SETFOCUS:
            if (client) SetFocus(client_h);
            return 0;
        case WM_SETTEXT:
            if (!client) break;
            mdi_update_frame_text(client, lp ? reinterpret_cast<const char*>(lp) : "");
            return TRUE;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT DefMDIChildProcA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    Window* client = w->parent;
    switch (msg) {
        case WM_CLOSE:
            if (client) SendMessageA(client->handle, WM_MDIDESTROY, (WPARAM)hwnd, 0);
            return 0;
        case WM_SYSCOMMAND:
            switch (wp & 0xFFF0) {
                case SC_MAXIMIZE:
                    if (client) SendMessageA(client->handle, WM_MDIMAXIMIZE, (WPARAM)hwnd, 0);
                    return 0;
                case SC_RESTORE:
                    if (client) SendMessageA(client->handle, WM_MDIRESTORE, (WPARAM)hwnd, 0);
                    return 0;
                case SC_MINIMIZE:
                    if (client && !w->minimized) {
                        if (w->maximized) mdi_restore(client, w);
                        w->restore_rect = w->rect;
                        w->minimized = true;
                        w->style |= WS_MINIMIZE;
                        const RECT area = client_rect_of(client);
                        const int h = caption_height() + 2 * frame_width(w->style, 0);
                        set_window_rect(w, RECT{0, area.bottom - h, 160, area.bottom}, SWP_NOZORDER);
                        refresh_system_menu(w);
                    }
                    return 0;
                case SC_CLOSE: SendMessageA(hwnd, WM_CLOSE, 0, 0); return 0;
                case SC_NEXTWINDOW:
                    if (client) SendMessageA(client->handle, WM_MDINEXT, (WPARAM)hwnd, 0);
                    return 0;
            }
            break;
        case WM_SETTEXT: {
            const LRESULT r = DefWindowProcA(hwnd, msg, wp, lp);
            if (client) refresh_window_list(client);
            if (client && w->maximized) mdi_update_frame_text(client, nullptr);
            return r;
        }
        case WM_MDIACTIVATE:
        case WM_SIZE:
        case WM_GETMINMAXINFO:
        case WM_MOVE: return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}
