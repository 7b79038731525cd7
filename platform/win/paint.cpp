// Update regions and WM_PAINT. Each window keeps the part of its client area that must be
// drawn again (one rectangle that holds every part invalidated since it was last painted)
// and whether its background must be erased first. The message loop hands out WM_PAINT
// when nothing else is waiting, as the system does, until the window validates its update
// region, usually through BeginPaint.
#include <algorithm>
#include <set>

#include "win/backend.h"
#include "win/paint.h"
#include "win/window.h"

namespace cw::win {

namespace {

bool empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

RECT united(const RECT& a, const RECT& b) {
    if (empty(a)) return b;
    if (empty(b)) return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

RECT intersected(const RECT& a, const RECT& b) {
    const RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
    return empty(r) ? RECT{} : r;
}

bool contains(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// Only windows that can be seen are drawn: hidden and minimised ones, and the children of
// those, wait until they are shown.
bool can_be_painted(const Window* w) {
    for (; w; w = w->parent) {
        if (!(w->style & WS_VISIBLE) || w->minimized || w->destroying) return false;
        if (is_top_level(w)) break;
    }
    return w != nullptr;
}

bool paint_due(const Window* w) {
    return !empty(w->update) && w->created && can_be_painted(w);
}

// Every window whose update region was made non-empty and may still be, in handle order as the
// window table is: the loop looks for WM_PAINT on every pass, and most passes find none, which a
// walk of every window would take far longer to tell. Windows painted or gone are dropped when
// the search meets them.
std::set<HWND>& invalidated() {
    static std::set<HWND> handles;
    return handles;
}

}  // namespace

void invalidate_window(Window* w, const RECT* part, bool erase) {
    if (!w) return;
    const RECT client = client_rect_of(w);
    const RECT r = part ? intersected(*part, client) : client;
    if (empty(r)) return;
    w->update = united(w->update, r);
    invalidated().insert(w->handle);
    if (erase) w->erase_pending = true;
    cw::backend::wake();
}

void invalidate_tree(Window* w, bool erase) {
    if (!w) return;
    invalidate_window(w, nullptr, erase);
    // A control shows its own picture again, without what GDI had drawn over it.
    cw::backend::invalidate(w);
    for (Window* c : w->children) invalidate_tree(c, erase);
}

void size_changed(Window* w, const RECT& old_client) {
    const RECT client = client_rect_of(w);
    const bool redraw_all = w->cls && (w->cls->style & (CS_HREDRAW | CS_VREDRAW));
    if (redraw_all && (client.right != old_client.right || client.bottom != old_client.bottom)) {
        invalidate_window(w, nullptr, true);
        return;
    }
    // What the window did not cover before is new to the screen.
    if (client.right > old_client.right) {
        const RECT strip{old_client.right, 0, client.right, client.bottom};
        invalidate_window(w, &strip, true);
    }
    if (client.bottom > old_client.bottom) {
        const RECT strip{0, old_client.bottom, client.right, client.bottom};
        invalidate_window(w, &strip, true);
    }
}

HWND window_to_paint(HWND filter) {
    auto& handles = invalidated();
    for (auto it = handles.begin(); it != handles.end();) {
        const Window* w = window_from(*it);
        if (!w || empty(w->update)) {
            it = handles.erase(it);
            continue;
        }
        const HWND h = *it++;
        if (!paint_due(w)) continue;
        if (filter && h != filter && !IsChild(filter, h)) continue;
        return h;
    }
    return nullptr;
}

bool paint_pending() {
    return window_to_paint(nullptr) != nullptr;
}

}  // namespace cw::win

using namespace cw::win;

namespace {

// The system erases with the class brush; a dialog's background is the button face.
LRESULT erase_background(Window* w, HDC dc) {
    HBRUSH brush = w->cls ? w->cls->background : nullptr;
    if (!brush && w->dialog) brush = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    if (!brush || !dc) return 0;
    RECT r = client_rect_of(w);
    FillRect(dc, &r, brush);
    return 1;
}

}  // namespace

LRESULT default_erase_background(HWND hwnd, HDC dc) {
    Window* w = window_from(hwnd);
    return w ? erase_background(w, dc) : 0;
}

BOOL InvalidateRect(HWND hwnd, LPCRECT rect, BOOL erase) {
    if (!hwnd) {
        for (Window* w : all_windows())
            if (is_top_level(w)) invalidate_tree(w, erase);
        return TRUE;
    }
    Window* w = window_from(hwnd);
    if (!w) return FALSE;
    invalidate_window(w, rect, erase);
    // A control's picture is the backend's: it draws it again over what GDI left on it.
    cw::backend::invalidate(w);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, LPCRECT rect) {
    Window* w = window_from(hwnd);
    if (!w) return FALSE;
    if (!rect || contains(*rect, w->update)) {
        w->update = RECT{};
        w->erase_pending = false;
        return TRUE;
    }
    // What stays invalid is kept as one rectangle: a band cut off one side, or all of it.
    RECT u = w->update;
    const RECT& v = *rect;
    if (v.top <= u.top && v.bottom >= u.bottom) {
        if (v.left <= u.left && v.right > u.left)
            u.left = v.right;
        else if (v.right >= u.right && v.left < u.right)
            u.right = v.left;
    } else if (v.left <= u.left && v.right >= u.right) {
        if (v.top <= u.top && v.bottom > u.top)
            u.top = v.bottom;
        else if (v.bottom >= u.bottom && v.top < u.bottom)
            u.bottom = v.top;
    }
    w->update = empty(u) ? RECT{} : u;
    if (empty(u)) w->erase_pending = false;
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
    Window* w = window_from(hwnd);
    if (!w) return FALSE;
    if (rect) *rect = w->update;
    if (empty(w->update)) return FALSE;
    if (erase && w->erase_pending) {
        w->erase_pending = false;
        HDC dc = GetDC(hwnd);
        SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        if (window_from(hwnd)) ReleaseDC(hwnd, dc);
    }
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    Window* w = window_from(hwnd);
    if (!w || !ps) return nullptr;
    *ps = PAINTSTRUCT{};
    HDC dc = GetDC(hwnd);
    ps->hdc = dc;
    ps->rcPaint = w->update;
    const bool erase = w->erase_pending;
    // The region is valid from here on: what the window draws now is what it shows.
    w->update = RECT{};
    w->erase_pending = false;
    if (erase) ps->fErase = SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    if (ps && ps->hdc) ReleaseDC(hwnd, ps->hdc);
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
    Window* w = window_from(hwnd);
    if (!w) return FALSE;
    if (paint_due(w)) SendMessageA(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}
