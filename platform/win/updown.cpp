// "msctls_updown32": the up-down (spin) control and its buddy window. With
// UDS_SETBUDDYINT the buddy's text is the position as the user sees it, so the
// control reads it back before every step; with UDS_ARROWKEYS the buddy is
// subclassed here so that its Up and Down keys move the position.
#include "win/controls.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <strings.h>

#include "win/backend.h"

namespace cw::win {

namespace {

UpDownState* state(Window* w) {
    return w ? dynamic_cast<UpDownState*>(w->control.get()) : nullptr;
}

// A buddy subclassed for its arrow keys: the up-down it serves and its own procedure.
struct BuddyHook {
    HWND updown = nullptr;
    WNDPROC proc = nullptr;
};
std::map<HWND, BuddyHook>& hooks() {
    static std::map<HWND, BuddyHook> m;
    return m;
}

int low(const UpDownState* s) {
    return std::min(s->lower, s->upper);
}
int high(const UpDownState* s) {
    return std::max(s->lower, s->upper);
}
bool in_range(const UpDownState* s, int v) {
    return v >= low(s) && v <= high(s);
}

std::string decimal(int v, bool thousands) {
    const std::string digits = std::to_string(v < 0 ? -static_cast<long long>(v) : static_cast<long long>(v));
    std::string out = v < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (thousands && i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

void write_buddy(Window* w, UpDownState* s) {
    if (!(w->style & UDS_SETBUDDYINT) || !window_from(s->buddy)) return;
    const std::string text = decimal(s->pos, !(w->style & UDS_NOTHOUSANDS));
    SendMessageA(s->buddy, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Takes the buddy's number as the position when it is one within the range.
bool read_buddy(Window* w, UpDownState* s) {
    if (!(w->style & UDS_SETBUDDYINT) || !window_from(s->buddy)) return false;
    char buf[32] = {0};
    GetWindowTextA(s->buddy, buf, sizeof buf);
    std::string digits;
    for (const char* p = buf; *p; ++p)
        if (*p != ',') digits += *p;
    if (digits.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(digits.c_str(), &end, 10);
    if (*end || !in_range(s, static_cast<int>(v))) return false;
    s->pos = static_cast<int>(v);
    return true;
}

LRESULT CALLBACK buddy_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto it = hooks().find(hwnd);
    if (it == hooks().end()) return 0;
    const BuddyHook hook = it->second;
    Window* ud = window_from(hook.updown);
    if (ud && state(ud) && (ud->style & UDS_ARROWKEYS) && (wp == VK_UP || wp == VK_DOWN)) {
        // An arrow key steps the position at once; unlike the mouse, it has no end to report.
        if (msg == WM_KEYDOWN) {
            updown_user_press(ud, wp == VK_UP);
            return 0;
        }
        if (msg == WM_KEYUP) return 0;
    }
    const LRESULT r = CallWindowProcA(hook.proc, hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) hooks().erase(hwnd);
    return r;
}

void unhook(HWND buddy) {
    auto it = hooks().find(buddy);
    if (it == hooks().end()) return;
    Window* b = window_from(buddy);
    if (b && b->proc == buddy_proc) {
        b->proc = it->second.proc;
        hooks().erase(it);
    } else {
        it->second.updown = nullptr;  // subclassed again on top of us: stay in the chain, inert
    }
}

// The width the system gives a vertical up-down, whatever it was created with.
constexpr int kUpDownWidth = 16;
// How far an aligned up-down reaches over the border of an edit buddy, to look part of it.
constexpr int kBuddyBorder = 2;

bool is_edit(const Window* w) {
    return w->cls && strcasecmp(w->cls->name.c_str(), "EDIT") == 0;
}

// Stands next to the buddy, which gives up the up-down's width on that side.
void align(Window* w, Window* buddy) {
    if (!(w->style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)) || buddy->parent != w->parent) return;
    RECT b = buddy->rect;
    RECT me{};
    const int border = is_edit(buddy) ? kBuddyBorder : 0;
    if (w->style & UDS_ALIGNLEFT) {
        me = RECT{b.left, b.top, b.left + kUpDownWidth + border, b.bottom};
        b.left += kUpDownWidth;
    } else {
        b.right -= kUpDownWidth;
        me = RECT{b.right - border, b.top, b.right - border + kUpDownWidth, b.bottom};
    }
    set_window_rect(buddy, b, SWP_NOZORDER | SWP_NOACTIVATE);
    set_window_rect(w, me, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND set_buddy(Window* w, HWND buddy) {
    UpDownState* s = state(w);
    if (!s) return nullptr;
    const HWND old = s->buddy;
    if (old) unhook(old);
    Window* b = window_from(buddy);
    s->buddy = b ? buddy : nullptr;
    if (b) {
        if (w->style & UDS_ARROWKEYS) {
            auto it = hooks().find(buddy);
            if (it != hooks().end())
                it->second.updown = w->handle;
            else {
                hooks()[buddy] = BuddyHook{w->handle, b->proc};
                b->proc = buddy_proc;
            }
        }
        align(w, b);
    }
    cw::backend::updown_buddy_changed(w);
    return old;
}

// The sibling created just before this control: the previous one in the z-order
// a dialog builds from its template. Handles are handed out in creation order.
HWND previous_sibling(Window* w) {
    if (!w->parent) return nullptr;
    auto order = [](const Window* c) { return reinterpret_cast<uintptr_t>(c->handle); };
    Window* best = nullptr;
    for (Window* c : w->parent->children)
        if (c != w && order(c) < order(w) && (!best || order(c) > order(best))) best = c;
    return best ? best->handle : nullptr;
}

// A press on one of the arrows steps the position and holds the mouse until the release, which
// ends the step; the increasing arrow is the upper (or, side by side, the right) one.
void arrow_pressed(Window* w, UpDownState* s, LPARAM lp) {
    if (!s || !IsWindowEnabled(w->handle)) return;
    const RECT c = client_rect_of(w);
    const int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
    if (x < 0 || y < 0 || x >= c.right || y >= c.bottom) return;
    const bool up = (w->style & UDS_HORZ) ? x >= c.right / 2 : y < c.bottom / 2;
    Window* buddy = window_from(s->buddy);
    if (buddy && is_edit(buddy)) SetFocus(s->buddy);
    SetCapture(w->handle);
    updown_user_press(w, up);
}

LRESULT CALLBACK updown_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    UpDownState* s = state(w);
    switch (msg) {
        case WM_CREATE:
            w->control = std::make_unique<UpDownState>();
            if (!(w->style & UDS_HORZ)) {
                RECT r = w->rect;
                r.right = r.left + kUpDownWidth;
                set_window_rect(w, r, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
            }
            if (w->style & UDS_AUTOBUDDY) set_buddy(w, previous_sibling(w));
            cw::backend::control_changed(w);
            return 0;
        case UDM_SETRANGE:
            if (s) {
                s->upper = static_cast<short>(LOWORD(lp));
                s->lower = static_cast<short>(HIWORD(lp));
                cw::backend::control_changed(w);
            }
            return 0;
        case UDM_GETRANGE: return s ? MAKELONG(s->upper, s->lower) : 0;
        case UDM_SETPOS: {
            if (!s) return 0;
            const int old = s->pos;
            s->pos = std::clamp<int>(static_cast<short>(LOWORD(lp)), low(s), high(s));
            write_buddy(w, s);
            cw::backend::control_changed(w);
            return old;
        }
        case UDM_GETPOS: {
            if (!s) return MAKELONG(0, 1);
            // The buddy shows what the user sees; a text that is no position in range is an error,
            // and so, as on the system, is having no number in a buddy to read at all.
            const bool read = (w->style & UDS_SETBUDDYINT) && window_from(s->buddy) && read_buddy(w, s);
            return MAKELONG(static_cast<WORD>(s->pos), read ? 0 : 1);
        }
        case WM_KEYDOWN:
            if (s && (w->style & UDS_ARROWKEYS) && (wp == VK_UP || wp == VK_DOWN))
                updown_user_press(w, wp == VK_UP);
            return 0;
        case WM_LBUTTONDOWN: arrow_pressed(w, s, lp); return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == hwnd) {
                ReleaseCapture();
                updown_user_release(w);
            }
            return 0;
        case UDM_SETBUDDY: return reinterpret_cast<LRESULT>(set_buddy(w, reinterpret_cast<HWND>(wp)));
        case UDM_GETBUDDY: return s ? reinterpret_cast<LRESULT>(s->buddy) : 0;
        case WM_DESTROY:
            if (s && s->buddy) unhook(s->buddy);
            if (s) s->buddy = nullptr;
            return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void updown_user_press(Window* w, bool up) {
    UpDownState* s = state(w);
    if (!s || !w->parent) return;
    const HWND self = w->handle;
    read_buddy(w, s);
    // Up moves towards the upper end of the range, whichever way the range runs.
    const int delta = (up ? 1 : -1) * (s->upper < s->lower ? -1 : 1);
    NMUPDOWN nm{};
    nm.hdr = NMHDR{self, w->id, UDN_DELTAPOS};
    nm.iPos = s->pos;
    nm.iDelta = delta;
    const bool refused = notify_parent(w, &nm.hdr) != 0;
    if (!window_from(self) || !(s = state(w)) || !w->parent) return;
    if (!refused && nm.iDelta != 0) {
        int next = s->pos + nm.iDelta;
        if (!in_range(s, next)) {
            if (w->style & UDS_WRAP)
                next = next > high(s) ? low(s) : high(s);
            else
                next = std::clamp(next, low(s), high(s));
        }
        if (next != s->pos) {
            s->pos = next;
            write_buddy(w, s);
            if (!window_from(self) || !(s = state(w)) || !w->parent) return;
            cw::backend::control_changed(w);
        }
    }
    const UINT scroll = (w->style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
    send(w->parent, scroll, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(s->pos)),
         reinterpret_cast<LPARAM>(self));
}

void updown_user_release(Window* w) {
    UpDownState* s = state(w);
    if (!s || !w->parent) return;
    const UINT scroll = (w->style & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
    send(w->parent, scroll, MAKEWPARAM(SB_ENDSCROLL, static_cast<WORD>(s->pos)),
         reinterpret_cast<LPARAM>(w->handle));
}

void register_updown_class() {
    register_builtin_class("msctls_updown32", updown_proc);
}

}  // namespace cw::win
