// Window classes, handles, creation and destruction, geometry, window longs,
// text, visibility and enabling.
#include "win/paint.h"
#include "win/window.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <strings.h>

#include "win/backend.h"
#include "text/cp932.h"
#include "win/mdi.h"
#include "win/system_menu.h"

namespace cw::win {

namespace {

std::vector<std::unique_ptr<WindowClass>>& classes() {
    static std::vector<std::unique_ptr<WindowClass>> list;
    return list;
}

// Never destroyed: the windows still open when the process ends go with the process, as the
// system reclaims them. Freeing them from a static destructor would free each window without
// its view (the backend's widgets and pixels), which by then has no way left to go.
std::map<HWND, std::unique_ptr<Window>>& handles() {
    static auto* table = new std::map<HWND, std::unique_ptr<Window>>;
    return *table;
}

uintptr_t next_handle_value = 0x10000;

std::map<int, Insets>& frames() {
    static std::map<int, Insets> f;
    return f;
}

int frame_kind(DWORD style) {
    if ((style & WS_CAPTION) == WS_CAPTION) return 1;
    if (style & (WS_THICKFRAME | WS_DLGFRAME | WS_BORDER)) return 2;
    return 0;
}

WindowClass* find_class(LPCSTR name) {
    if (!name) return nullptr;
    for (auto& c : classes())
        if (strcasecmp(c->name.c_str(), name) == 0) return c.get();
    return nullptr;
}

bool has_mdi_frame(const Window* w) {
    return w->parent && (w->ex_style & WS_EX_MDICHILD);
}

}  // namespace

Window* window_from(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto it = handles().find(hwnd);
    if (it == handles().end() || !it->second) return nullptr;
    return it->second.get();
}

std::vector<Window*> all_windows() {
    std::vector<Window*> v;
    for (auto& [h, w] : handles()) v.push_back(w.get());
    return v;
}

bool is_top_level(const Window* w) {
    return !(w->style & WS_CHILD) || !w->parent;
}

Window* top_level_of(Window* w) {
    while (w && !is_top_level(w)) w = w->parent;
    return w;
}

int scrollbar_size() {
    return 17;
}
int menu_bar_height() {
    return cw::backend::menu_bar_height();
}
int caption_height() {
    return 19;
}

int frame_width(DWORD style, DWORD ex_style) {
    int n = 0;
    if (style & WS_THICKFRAME)
        n += 4;
    else if ((style & WS_DLGFRAME) || (ex_style & WS_EX_DLGMODALFRAME))
        n += 3;
    else if (style & WS_BORDER)
        n += 1;
    if (ex_style & WS_EX_CLIENTEDGE) n += 2;
    if (ex_style & WS_EX_STATICEDGE) n += 1;
    return n;
}

Insets system_frame(DWORD style) {
    auto it = frames().find(frame_kind(style));
    return it == frames().end() ? Insets{} : it->second;
}

void set_system_frame(DWORD style, Insets frame) {
    const int kind = frame_kind(style);
    const Insets old = system_frame(style);
    if (old.left == frame.left && old.top == frame.top && old.right == frame.right &&
        old.bottom == frame.bottom)
        return;
    // Where every top-level window's client area lies with the frame as it was known.
    std::map<Window*, POINT> origins;
    for (Window* w : all_windows())
        if (is_top_level(w)) origins[w] = client_origin_on_screen(w);
    frames()[kind] = frame;
    for (Window* w : all_windows()) {
        if (!is_top_level(w) || (w->style & WS_VISIBLE)) continue;
        // Hidden windows were sized for the old frame: their outer frame grows around the
        // same client area.
        if (frame_kind(w->style) == kind) {
            w->rect.left -= frame.left - old.left;
            w->rect.top -= frame.top - old.top;
            w->rect.right += frame.right - old.right;
            w->rect.bottom += frame.bottom - old.bottom;
        }
        // An owned window was placed relative to its owner's client area; it stays there.
        if (w->owner && origins.count(w->owner)) {
            const POINT was = origins[w->owner], now = client_origin_on_screen(w->owner);
            OffsetRect(&w->rect, now.x - was.x, now.y - was.y);
        }
    }
}

Insets nonclient_insets(const Window* w) {
    Insets in;
    if (is_top_level(w)) {
        in = system_frame(w->style);
        if (w->menu) in.top += menu_bar_height();
        if (w->ex_style & WS_EX_CLIENTEDGE) {
            in.left += 2, in.top += 2, in.right += 2, in.bottom += 2;
        }
    } else if (has_mdi_frame(w)) {
        const int f = frame_width(w->style, w->ex_style);
        in = {f, f, f, f};
        if ((w->style & WS_CAPTION) == WS_CAPTION) in.top += caption_height();
    } else {
        const int f = frame_width(w->style, w->ex_style);
        in = {f, f, f, f};
    }
    if (w->vscroll.shown) in.right += scrollbar_size();
    if (w->hscroll.shown) in.bottom += scrollbar_size();
    return in;
}

RECT client_rect_of(const Window* w) {
    const Insets in = nonclient_insets(w);
    const int cw = std::max<int>(0, w->rect.right - w->rect.left - in.left - in.right);
    const int ch = std::max<int>(0, w->rect.bottom - w->rect.top - in.top - in.bottom);
    return RECT{0, 0, cw, ch};
}

POINT client_origin_in_window(const Window* w) {
    const Insets in = nonclient_insets(w);
    return POINT{in.left, in.top};
}

POINT client_origin_on_screen(const Window* w) {
    POINT p = client_origin_in_window(w);
    p.x += w->rect.left;
    p.y += w->rect.top;
    if (!is_top_level(w)) {
        const POINT parent = client_origin_on_screen(w->parent);
        p.x += parent.x;
        p.y += parent.y;
    }
    return p;
}

LRESULT send(Window* w, UINT msg, WPARAM wp, LPARAM lp) {
    return w ? SendMessageA(w->handle, msg, wp, lp) : 0;
}

void notify_parent(Window* w, UINT code) {
    NMHDR hdr{w->handle, w->id, code};
    notify_parent(w, &hdr);
}

LRESULT notify_parent(Window* w, NMHDR* hdr) {
    if (!w->parent) return 0;
    return send(w->parent, WM_NOTIFY, w->id, reinterpret_cast<LPARAM>(hdr));
}

void command_parent(Window* w, WORD code) {
    if (!w->parent) return;
    send(w->parent, WM_COMMAND, MAKEWPARAM(w->id, code), reinterpret_cast<LPARAM>(w->handle));
}

void register_builtin_class(const char* name, WNDPROC proc, UINT style) {
    if (find_class(name)) return;
    auto c = std::make_unique<WindowClass>();
    c->name = name;
    c->proc = proc;
    c->style = style;
    c->builtin = true;
    classes().push_back(std::move(c));
}

void send_size(Window* w) {
    const RECT c = client_rect_of(w);
    WPARAM type = SIZE_RESTORED;
    if (w->maximized) type = SIZE_MAXIMIZED;
    if (w->minimized) type = SIZE_MINIMIZED;
    send(w, WM_SIZE, type, MAKELPARAM(c.right, c.bottom));
}

void send_size_and_position(Window* w) {
    const HWND h = w->handle;
    send_size(w);
    if (!window_from(h)) return;
    const POINT o = client_origin_in_window(w);
    send(w, WM_MOVE, 0, MAKELPARAM(w->rect.left + o.x, w->rect.top + o.y));
}

void set_window_rect(Window* w, RECT r, UINT flags) {
    WINDOWPOS pos{
        w->handle, nullptr, (int)r.left, (int)r.top, (int)(r.right - r.left), (int)(r.bottom - r.top), flags};
    if (w->created) send(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (flags & SWP_NOMOVE) {
        pos.x = w->rect.left;
        pos.y = w->rect.top;
    }
    if (flags & SWP_NOSIZE) {
        pos.cx = w->rect.right - w->rect.left;
        pos.cy = w->rect.bottom - w->rect.top;
    }
    pos.cx = std::max(0, pos.cx);
    pos.cy = std::max(0, pos.cy);
    const RECT old = w->rect;
    const RECT old_client = client_rect_of(w);
    w->rect = RECT{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
    cw::backend::sync_geometry(w);
    if (!w->created) return;
    send(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    const RECT client = client_rect_of(w);
    if (old.left != w->rect.left || old.top != w->rect.top) {
        const POINT o = client_origin_in_window(w);
        send(w, WM_MOVE, 0, MAKELPARAM(w->rect.left + o.x, w->rect.top + o.y));
    }
    if (client.right != old_client.right || client.bottom != old_client.bottom ||
        old.right - old.left != w->rect.right - w->rect.left ||
        old.bottom - old.top != w->rect.bottom - w->rect.top) {
        size_changed(w, old_client);
        send_size(w);
    }
}

void nonclient_changed(Window* w) {
    const RECT old_client = client_rect_of(w);
    cw::backend::sync_geometry(w);
    if (!w->created) return;
    size_changed(w, old_client);
    send_size(w);
}

void destroy_window(Window* w) {
    if (!w || w->destroying) return;
    w->destroying = true;
    const HWND h = w->handle;
    if (active_window() == w) activate_other(w);
    if (is_top_level(w)) {
        // Owned windows go first, as the system destroys them with their owner.
        for (Window* o : all_windows())
            if (o->owner == w && !o->destroying) destroy_window(o);
    }
    if (w->style & WS_VISIBLE) {
        w->style &= ~WS_VISIBLE;
        cw::backend::sync_visible(w);
    }
    send(w, WM_DESTROY, 0, 0);
    while (!w->children.empty()) {
        Window* c = w->children.front();
        destroy_window(c);
        if (!w->children.empty() && w->children.front() == c) w->children.erase(w->children.begin());
    }
    send(w, WM_NCDESTROY, 0, 0);
    // Children destroyed with their frame go without DestroyWindow of their own: their
    // client must not go on listing them for the siblings destroyed after them.
    if ((w->ex_style & WS_EX_MDICHILD) && w->parent) mdi_child_gone(w->parent, w);
    if (w->parent) {
        auto& sib = w->parent->children;
        sib.erase(std::remove(sib.begin(), sib.end(), w), sib.end());
    }
    cw::backend::destroy_view(w);
    release_system_menu(w);
    handles().erase(h);
}

}  // namespace cw::win

using namespace cw::win;

ATOM RegisterClassA(const WNDCLASSA* wc) {
    ensure_builtin_classes();
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
    if (find_class(wc->lpszClassName)) return 0;
    auto c = std::make_unique<WindowClass>();
    c->name = wc->lpszClassName;
    c->style = wc->style;
    c->proc = wc->lpfnWndProc;
    c->wnd_extra = wc->cbWndExtra;
    c->icon = wc->hIcon;
    c->cursor = wc->hCursor;
    c->background = wc->hbrBackground;
    classes().push_back(std::move(c));
    return static_cast<ATOM>(0xC000 + classes().size());
}

HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR window_name, DWORD style, int x, int y,
                     int width, int height, HWND parent_handle, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
    cw::backend::ensure_started();
    ensure_builtin_classes();
    WindowClass* cls = find_class(class_name);
    if (!cls) return nullptr;
    Window* parent = window_from(parent_handle);
    if ((style & WS_CHILD) && !parent) return nullptr;

    const bool mdi_child = parent && (ex_style & WS_EX_MDICHILD);
    if (mdi_child) {
        style |= WS_CHILD | WS_CLIPSIBLINGS | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                 WS_MAXIMIZEBOX;
        ex_style |= WS_EX_WINDOWEDGE;
    }

    auto owned = std::make_unique<Window>();
    Window* w = owned.get();
    w->handle = reinterpret_cast<HWND>(next_handle_value);
    next_handle_value += 0x10;
    handles()[w->handle] = std::move(owned);
    w->cls = cls;
    w->proc = cls->proc;
    w->text = window_name ? window_name : "";
    w->style = style;
    w->ex_style = ex_style;
    w->instance = instance;
    w->extra.assign(std::max(0, cls->wnd_extra) / sizeof(LONG_PTR) + 1, 0);
    if (style & WS_CHILD) {
        w->parent = parent;
        w->id = reinterpret_cast<UINT_PTR>(menu);
        parent->children.insert(parent->children.begin(), w);
    } else {
        w->owner = parent ? top_level_of(parent) : nullptr;
        w->menu = menu;
    }

    if (mdi_child) {
        mdi_place_new_child(parent, w, &x, &y, &width, &height);
    } else {
        if (x == CW_USEDEFAULT) x = 0, y = 0;
        if (width == CW_USEDEFAULT) width = 300, height = 200;
    }
    w->rect = RECT{x, y, x + width, y + height};

    cw::backend::create_view(w);

    CREATESTRUCTA cs{param, instance, menu,        parent_handle, height,     width,
                     y,     x,        (LONG)style, window_name,   class_name, ex_style};
    MDICREATESTRUCTA mcs{};
    if (mdi_child) {
        mcs = MDICREATESTRUCTA{class_name, window_name, instance, x, y, width, height, style, (LPARAM)param};
        cs.lpCreateParams = &mcs;
    }
    if (is_top_level(w)) {
        MINMAXINFO mmi{};
        send(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    }
    if (!send(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        destroy_window(w);
        return nullptr;
    }
    const HWND h = w->handle;
    if (send(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        if (window_from(h)) destroy_window(w);
        return nullptr;
    }
    if (!window_from(h)) return nullptr;
    w->created = true;
    w->size_pending = !(style & (WS_CHILD | WS_POPUP));
    if (!w->size_pending) send_size_and_position(w);
    if (w->parent && !(ex_style & WS_EX_NOPARENTNOTIFY) && !mdi_child)
        send(w->parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, w->id), reinterpret_cast<LPARAM>(h));
    if (mdi_child) {
        mdi_child_created(parent, w);
    } else if (style & WS_VISIBLE) {
        w->style &= ~WS_VISIBLE;
        ShowWindow(h, is_top_level(w) ? SW_SHOW : SW_SHOWNA);
    }
    return window_from(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
    Window* w = window_from(hwnd);
    if (!w) return FALSE;
    if (w->ex_style & WS_EX_MDICHILD && w->parent) {
        mdi_child_destroying(w->parent, w);
        if (!window_from(hwnd)) return TRUE;
    }
    destroy_window(w);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    return window_from(hwnd) != nullptr;
}

BOOL IsWindowVisible(HWND hwnd) {
    for (Window* w = window_from(hwnd); w; w = is_top_level(w) ? nullptr : w->parent)
        if (!(w->style & WS_VISIBLE)) return FALSE;
    return window_from(hwnd) != nullptr;
}

BOOL IsWindowEnabled(HWND hwnd) {
    Window* w = window_from(hwnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL IsZoomed(HWND hwnd) {
    Window* w = window_from(hwnd);
    return w && w->maximized;
}

BOOL IsIconic(HWND hwnd) {
    Window* w = window_from(hwnd);
    return w && w->minimized;
}

BOOL IsChild(HWND parent, HWND hwnd) {
    Window* p = window_from(parent);
    for (Window* w = window_from(hwnd); w && !is_top_level(w); w = w->parent)
        if (w->parent == p) return TRUE;
    return FALSE;
}

BOOL ShowWindow(HWND hwnd, int cmd) {
    Window* w = window_from(hwnd);
    if (!w) return FALSE;
    const BOOL was_visible = (w->style & WS_VISIBLE) != 0;
    if (w->ex_style & WS_EX_MDICHILD && w->parent) {
        if (cmd == SW_MAXIMIZE || cmd == SW_SHOWMAXIMIZED) {
            mdi_maximize(w->parent, w);
            return was_visible;
        }
        if (cmd == SW_RESTORE || cmd == SW_SHOWNORMAL) {
            mdi_restore(w->parent, w);
            if (!(w->style & WS_VISIBLE)) {
                w->style |= WS_VISIBLE;
                cw::backend::sync_visible(w);
                invalidate_tree(w, true);
            }
            return was_visible;
        }
    }
    const bool show = cmd != SW_HIDE;
    if (show != static_cast<bool>(was_visible)) {
        send(w, WM_SHOWWINDOW, show, 0);
        if (show)
            w->style |= WS_VISIBLE;
        else
            w->style &= ~WS_VISIBLE;
        cw::backend::sync_visible(w);
        // A window that appears is drawn whole, with everything inside it.
        if (show) invalidate_tree(w, true);
    }
    if (is_top_level(w)) {
        if (show && cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE && cmd != SW_SHOWMINNOACTIVE &&
            !(w->style & WS_DISABLED))
            activate(w, WA_ACTIVE);
        else if (!show && active_window() == w)
            activate_other(w);
    }
    if (show && window_from(hwnd) && w->size_pending) {
        w->size_pending = false;
        send_size_and_position(w);
    }
    return was_visible;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    Window* w = window_from(hwnd);
    if (!w) return FALSE;
    const BOOL was_disabled = (w->style & WS_DISABLED) != 0;
    if (static_cast<bool>(enable) == !was_disabled) return was_disabled;
    if (enable)
        w->style &= ~WS_DISABLED;
    else
        w->style |= WS_DISABLED;
    cw::backend::sync_enabled(w);
    send(w, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return was_disabled;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    Window* w = window_from(hwnd);
    if (!w) return FALSE;
    set_window_rect(w, RECT{x, y, x + width, y + height}, SWP_NOZORDER | SWP_NOACTIVATE);
    if (repaint && window_from(hwnd)) {
        invalidate_window(w, nullptr, true);
        cw::backend::invalidate(w);
    }
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
    Window* w = window_from(hwnd);
    if (!w) return FALSE;
    if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE) || (flags & SWP_FRAMECHANGED))
        set_window_rect(w, RECT{x, y, x + cx, y + cy}, flags);
    if (!(flags & SWP_NOZORDER) && w->parent && after == nullptr) {
        auto& sib = w->parent->children;
        sib.erase(std::remove(sib.begin(), sib.end(), w), sib.end());
        sib.insert(sib.begin(), w);
        cw::backend::sync_zorder(w);
    }
    if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
    Window* w = window_from(hwnd);
    if (!w || !rect) return FALSE;
    *rect = w->rect;
    if (!is_top_level(w)) {
        const POINT o = client_origin_on_screen(w->parent);
        OffsetRect(rect, o.x, o.y);
    }
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
    Window* w = window_from(hwnd);
    if (!w || !rect) return FALSE;
    *rect = client_rect_of(w);
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT pt) {
    Window* w = window_from(hwnd);
    if (!w || !pt) return FALSE;
    const POINT o = client_origin_on_screen(w);
    pt->x += o.x;
    pt->y += o.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT pt) {
    Window* w = window_from(hwnd);
    if (!w || !pt) return FALSE;
    const POINT o = client_origin_on_screen(w);
    pt->x -= o.x;
    pt->y -= o.y;
    return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT pts, UINT count) {
    POINT a{0, 0}, b{0, 0};
    if (Window* f = window_from(from)) a = client_origin_on_screen(f);
    if (Window* t = window_from(to)) b = client_origin_on_screen(t);
    for (UINT i = 0; i < count; ++i) {
        pts[i].x += a.x - b.x;
        pts[i].y += a.y - b.y;
    }
    return MAKELONG(a.x - b.x, a.y - b.y);
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD ex_style) {
    if (!rect) return FALSE;
    Insets in;
    if (!(style & WS_CHILD)) {
        in = system_frame(style);
        if (ex_style & WS_EX_CLIENTEDGE) in.left += 2, in.top += 2, in.right += 2, in.bottom += 2;
    } else {
        const int f = frame_width(style, ex_style);
        in = {f, f, f, f};
        if ((style & WS_CAPTION) == WS_CAPTION) in.top += caption_height();
    }
    if (menu) in.top += menu_bar_height();
    rect->left -= in.left;
    rect->top -= in.top;
    rect->right += in.right;
    rect->bottom += in.bottom;
    return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
    return AdjustWindowRectEx(rect, style, menu, 0);
}

HWND GetParent(HWND hwnd) {
    Window* w = window_from(hwnd);
    if (!w) return nullptr;
    if (w->style & WS_CHILD) return w->parent ? w->parent->handle : nullptr;
    return w->owner ? w->owner->handle : nullptr;
}

HWND GetWindow(HWND hwnd, UINT cmd) {
    Window* w = window_from(hwnd);
    if (!w) return nullptr;
    if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front()->handle;
    if (cmd == GW_OWNER) return w->owner ? w->owner->handle : nullptr;
    if (!w->parent) return nullptr;
    auto& sib = w->parent->children;
    auto it = std::find(sib.begin(), sib.end(), w);
    switch (cmd) {
        case GW_HWNDFIRST: return sib.front()->handle;
        case GW_HWNDLAST: return sib.back()->handle;
        case GW_HWNDNEXT: return (it + 1) != sib.end() ? (*(it + 1))->handle : nullptr;
        case GW_HWNDPREV: return it != sib.begin() ? (*(it - 1))->handle : nullptr;
    }
    return nullptr;
}

HWND GetDlgItem(HWND dialog, int id) {
    Window* w = window_from(dialog);
    if (!w) return nullptr;
    for (Window* c : w->children)
        if (static_cast<int>(c->id) == id) return c->handle;
    return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
    Window* w = window_from(hwnd);
    return w ? static_cast<int>(w->id) : 0;
}

int GetClassNameA(HWND hwnd, LPSTR buffer, int size) {
    Window* w = window_from(hwnd);
    if (!w || !w->cls || !buffer || size <= 0) return 0;
    const int n = std::min(static_cast<int>(w->cls->name.size()), size - 1);
    std::memcpy(buffer, w->cls->name.data(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return n;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
    return window_from(hwnd) ? static_cast<BOOL>(SendMessageA(hwnd, WM_SETTEXT, 0, (LPARAM)text)) : FALSE;
}

int GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
    if (!window_from(hwnd) || !buffer || size <= 0) return 0;
    return static_cast<int>(SendMessageA(hwnd, WM_GETTEXT, size, (LPARAM)buffer));
}

int GetWindowTextLengthA(HWND hwnd) {
    return window_from(hwnd) ? static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

LONG_PTR GetWindowLongPtrA(HWND hwnd, int index) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    if (w->dialog && index >= 0) {
        if (index == DWLP_MSGRESULT) return w->dialog->msg_result;
        if (index == static_cast<int>(sizeof(LONG_PTR)) * 2) return w->dialog->user;
        if (index == static_cast<int>(sizeof(LONG_PTR))) return (LONG_PTR)w->dialog->proc;
    }
    switch (index) {
        case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
        case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
        case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(GetParent(hwnd));
        case GWL_STYLE: return static_cast<LONG>(w->style);
        case GWL_EXSTYLE: return static_cast<LONG>(w->ex_style);
        case GWLP_USERDATA: return w->user_data;
        case GWLP_ID: return static_cast<LONG_PTR>(w->id);
    }
    if (index >= 0 && static_cast<size_t>(index) / sizeof(LONG_PTR) < w->extra.size())
        return w->extra[index / sizeof(LONG_PTR)];
    return 0;
}

LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    const LONG_PTR old = GetWindowLongPtrA(hwnd, index);
    if (w->dialog && index >= 0) {
        if (index == DWLP_MSGRESULT) {
            w->dialog->msg_result = value;
            return old;
        }
        if (index == static_cast<int>(sizeof(LONG_PTR)) * 2) {
            w->dialog->user = value;
            return old;
        }
        if (index == static_cast<int>(sizeof(LONG_PTR))) {
            w->dialog->proc = reinterpret_cast<DLGPROC>(value);
            return old;
        }
    }
    switch (index) {
        case GWLP_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); return old;
        case GWLP_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); return old;
        case GWL_STYLE:
            w->style = static_cast<DWORD>(value);
            cw::backend::sync_geometry(w);
            return old;
        case GWL_EXSTYLE: w->ex_style = static_cast<DWORD>(value); return old;
        case GWLP_USERDATA: w->user_data = value; return old;
        case GWLP_ID: w->id = static_cast<UINT_PTR>(value); return old;
    }
    if (index >= 0 && static_cast<size_t>(index) / sizeof(LONG_PTR) < w->extra.size())
        w->extra[index / sizeof(LONG_PTR)] = value;
    return old;
}

namespace {
bool enum_children(Window* w, WNDENUMPROC proc, LPARAM lp) {
    // Copy first: the callback may destroy windows.
    std::vector<HWND> kids;
    for (Window* c : w->children) kids.push_back(c->handle);
    for (HWND h : kids) {
        Window* c = window_from(h);
        if (!c) continue;
        if (!proc(h, lp)) return false;
        if ((c = window_from(h)) && !enum_children(c, proc, lp)) return false;
    }
    return true;
}
}  // namespace

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lp) {
    Window* w = window_from(parent);
    if (!w || !proc) return FALSE;
    enum_children(w, proc, lp);
    return TRUE;
}

BOOL SetRect(LPRECT r, int l, int t, int rr, int b) {
    if (!r) return FALSE;
    *r = RECT{l, t, rr, b};
    return TRUE;
}
BOOL SetRectEmpty(LPRECT r) {
    return SetRect(r, 0, 0, 0, 0);
}
BOOL OffsetRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left += dx, r->right += dx, r->top += dy, r->bottom += dy;
    return TRUE;
}
BOOL InflateRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left -= dx, r->right += dx, r->top -= dy, r->bottom += dy;
    return TRUE;
}
BOOL PtInRect(const RECT* r, POINT p) {
    return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}
BOOL IsRectEmpty(const RECT* r) {
    return !r || r->right <= r->left || r->bottom <= r->top;
}
BOOL EqualRect(const RECT* a, const RECT* b) {
    return a && b && std::memcmp(a, b, sizeof(RECT)) == 0;
}
int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const int64_t p = static_cast<int64_t>(number) * numerator;
    const int64_t half = (denominator < 0 ? -denominator : denominator) / 2;
    const int64_t r = ((p < 0) != (denominator < 0)) ? (p - half) / denominator : (p + half) / denominator;
    return static_cast<int>(r);
}
