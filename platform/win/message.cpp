// Sending and posting, the message queue, waiting for input, default window processing,
// activation, capture and focus.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <vector>

#include "win/backend.h"
#include "text/cp932.h"
#include "win/mdi.h"
#include "win/paint.h"
#include "win/input.h"
#include "win/window.h"

namespace cw::win {

namespace {

std::deque<MSG>& queue() {
    static std::deque<MSG> q;
    return q;
}

bool g_quit = false;
int g_quit_code = 0;
// Kept as handles: a window may be destroyed while it holds one of these.
HWND g_active = nullptr;
HWND g_capture = nullptr;
HWND g_focus = nullptr;

using Clock = std::chrono::steady_clock;

bool matches(const MSG& m, HWND hwnd, UINT first, UINT last) {
    if (hwnd && m.hwnd != hwnd) return false;
    if (first == 0 && last == 0) return true;
    return m.message >= first && m.message <= last;
}

bool take_posted(LPMSG out, HWND hwnd, UINT first, UINT last, bool remove) {
    auto& q = queue();
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (!matches(*it, hwnd, first, last)) continue;
        if (out) *out = *it;
        if (remove) q.erase(it);
        return true;
    }
    if (g_quit && (first == 0 || (WM_QUIT >= first && WM_QUIT <= last))) {
        if (out) *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(g_quit_code), 0, 0, {0, 0}};
        if (remove) g_quit = false;
        return true;
    }
    return false;
}

}  // namespace

bool quit_posted() {
    return g_quit;
}
int quit_code() {
    return g_quit_code;
}
void reset_quit() {
    g_quit = false;
}
bool queue_empty() {
    return queue().empty() && !g_quit;
}

void post(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    queue().push_back(MSG{hwnd, msg, wp, lp, 0, {0, 0}});
    cw::backend::wake();
}

Window* active_window() {
    return window_from(g_active);
}

namespace {

// An activation the program asked the desktop for and the desktop has not yet confirmed.
// Reports that disagree with it meanwhile describe the desktop as it was before the request
// and are dropped; a desktop that never confirms is believed again after a while.
struct PendingRequest {
    HWND window = nullptr;
    Clock::time_point at{};
};
PendingRequest g_pending;
constexpr auto kConfirmTime = std::chrono::milliseconds(500);

// The top-level windows in the order they were last active, most recent first: where
// activation goes when the active window leaves.
std::vector<HWND>& activation_history() {
    static std::vector<HWND> history;
    return history;
}

void note_activation(HWND h) {
    auto& history = activation_history();
    history.erase(
        std::remove_if(history.begin(), history.end(), [&](HWND x) { return x == h || !window_from(x); }),
        history.end());
    history.insert(history.begin(), h);
}

bool can_take_activation(Window* w, Window* leaving) {
    if (!w || w == leaving || !is_top_level(w) || w->destroying) return false;
    for (Window* o = w->owner; o; o = o->owner)
        if (o == leaving) return false;  // goes with the window that leaves
    return IsWindowVisible(w->handle) && !(w->style & WS_DISABLED);
}

// The focus follows the activation: into the newly active window unless it is already inside
// it, and out of the program when none of its windows is active.
void move_focus_with_activation(Window* active) {
    Window* focus = window_from(GetFocus());
    if (!active) {
        if (focus) SetFocus(nullptr);
        return;
    }
    if (active->minimized) return;
    if (!focus || top_level_of(focus) != active) SetFocus(active->handle);
}

// Moves the activation inside the window manager and sends the messages the system sends.
void set_active(Window* w, int how) {
    Window* old = active_window();
    if (w == old) return;
    const HWND old_h = old ? old->handle : nullptr;
    const HWND new_h = w ? w->handle : nullptr;
    if (new_h) note_activation(new_h);
    if (!old && w) {
        for (Window* t : all_windows())
            if (is_top_level(t)) send(t, WM_ACTIVATEAPP, TRUE, 0);
    }
    g_active = new_h;
    if (old) {
        send(old, WM_NCACTIVATE, FALSE, 0);
        if (window_from(old_h))
            send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, old->minimized), (LPARAM)new_h);
    }
    if (w && window_from(new_h)) {
        send(w, WM_NCACTIVATE, TRUE, 0);
        send(w, WM_ACTIVATE, MAKEWPARAM(how, w->minimized), (LPARAM)old_h);
    }
    if (old && !w) {
        for (Window* t : all_windows())
            if (is_top_level(t)) send(t, WM_ACTIVATEAPP, FALSE, 0);
    }
    if (g_active == new_h) move_focus_with_activation(window_from(new_h));
}

// The modal dialog that stands in front of a disabled owner, if one does.
Window* modal_in_front_of(Window* owner) {
    for (Window* o : all_windows())
        if (o->owner == owner && o->dialog && o->dialog->modal && (o->style & WS_VISIBLE)) return o;
    return nullptr;
}

// Whether a report from the desktop still describes the present, or predates a request.
bool report_is_current(HWND reported) {
    if (!g_pending.window) return true;
    if (reported == g_pending.window || Clock::now() - g_pending.at >= kConfirmTime) {
        g_pending = PendingRequest{};
        return true;
    }
    return false;
}

}  // namespace

void activate(Window* w, int how) {
    if (w) w = top_level_of(w);
    const HWND h = w ? w->handle : nullptr;
    set_active(w, how);
    if (!h || !window_from(h) || active_window() != w) return;
    g_pending = PendingRequest{h, Clock::now()};
    cw::backend::request_activation(w);
}

void activate_other(Window* w) {
    Window* next = w && w->owner && can_take_activation(w->owner, w) ? w->owner : nullptr;
    for (size_t i = 0; !next && i < activation_history().size(); ++i) {
        Window* candidate = window_from(activation_history()[i]);
        if (can_take_activation(candidate, w)) next = candidate;
    }
    activate(next, WA_ACTIVE);
}

void desktop_activated(Window* w) {
    if (w) w = top_level_of(w);
    const HWND h = w ? w->handle : nullptr;
    // A window that is gone or hidden by now cannot be what the desktop shows as active.
    if (w && !IsWindowVisible(h)) return;
    if (!report_is_current(h)) return;
    if (w && (w->style & WS_DISABLED)) {
        // A click on an owner behind a modal dialog brings the dialog forward instead.
        if (Window* dialog = modal_in_front_of(w)) activate(dialog, WA_CLICKACTIVE);
        return;
    }
    set_active(w, WA_CLICKACTIVE);
}

}  // namespace cw::win

using namespace cw::win;

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w || !w->proc) return 0;
    return w->proc(hwnd, msg, wp, lp);
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (hwnd && !window_from(hwnd)) return FALSE;
    post(hwnd, msg, wp, lp);
    return TRUE;
}

void PostQuitMessage(int code) {
    g_quit = true;
    g_quit_code = code;
    cw::backend::wake();
}

namespace {

// WM_PAINT comes after every posted message, for a window whose update region is not empty;
// it stays in the queue until the window validates that region.
bool take_paint(LPMSG out, HWND hwnd, UINT first, UINT last) {
    if (first != 0 || last != 0) {
        if (WM_PAINT < first || WM_PAINT > last) return false;
    }
    const HWND target = window_to_paint(hwnd);
    if (!target) return false;
    if (out) *out = MSG{target, WM_PAINT, 0, 0, 0, {0, 0}};
    return true;
}

// Timers, in the order they were set. WM_TIMER is made when a timer is due and nothing else
// waits; the next one is due a whole interval after it was taken, so timers never pile up.
struct Timer {
    HWND hwnd;
    UINT_PTR id;
    std::chrono::milliseconds interval;
    TIMERPROC proc;
    Clock::time_point due;
};
std::vector<Timer>& timers() {
    static std::vector<Timer> t;
    return t;
}
UINT_PTR g_next_timer_id = 1;

// A window's timers go with it.
void drop_orphaned_timers() {
    auto& t = timers();
    t.erase(std::remove_if(t.begin(), t.end(), [](const Timer& x) { return x.hwnd && !window_from(x.hwnd); }),
            t.end());
}

bool take_timer(LPMSG out, HWND hwnd, UINT first, UINT last, bool remove) {
    drop_orphaned_timers();
    const auto now = Clock::now();
    for (Timer& t : timers()) {
        if (t.due > now) continue;
        const MSG m{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), 0, {0, 0}};
        if (!matches(m, hwnd, first, last)) continue;
        if (out) *out = m;
        if (remove) t.due = now + t.interval;
        return true;
    }
    return false;
}

// Milliseconds until the next timer is due (0 when one is), -1 when there is none.
int next_timer_ms() {
    drop_orphaned_timers();
    int next = -1;
    const auto now = Clock::now();
    for (const Timer& t : timers()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(t.due - now).count();
        const int ms = left < 0 ? 0 : static_cast<int>(std::min<long long>(left, 0x7fffffff));
        if (next < 0 || ms < next) next = ms;
    }
    return next;
}

bool something_waits() {
    return !queue_empty() || paint_pending() || next_timer_ms() == 0;
}

}  // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (hwnd && !window_from(hwnd)) return 0;
    // The system's shortest interval is 10 milliseconds.
    const auto interval = std::chrono::milliseconds(std::max<UINT>(elapse, 10));
    auto& all = timers();
    if (hwnd) {
        for (Timer& t : all)
            if (t.hwnd == hwnd && t.id == id) {
                t = Timer{hwnd, id, interval, proc, Clock::now() + interval};
                return 1;
            }
    } else {
        id = g_next_timer_id++;
    }
    all.push_back(Timer{hwnd, id, interval, proc, Clock::now() + interval});
    cw::backend::wake();
    return hwnd ? 1 : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    drop_orphaned_timers();
    auto& all = timers();
    const auto it =
        std::find_if(all.begin(), all.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == all.end()) return FALSE;
    all.erase(it);
    return TRUE;
}

// Returns at once, as the system's does: whatever waits, or nothing.
BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove) {
    cw::backend::process_events(false, 0);
    if (take_posted(msg, hwnd, first, last, remove & PM_REMOVE)) return TRUE;
    if (take_paint(msg, hwnd, first, last)) return TRUE;
    return take_timer(msg, hwnd, first, last, remove & PM_REMOVE) ? TRUE : FALSE;
}

BOOL WaitMessage() {
    while (!something_waits()) {
        if (cw::backend::process_events(true, next_timer_ms())) break;
    }
    return TRUE;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD milliseconds, DWORD wake_mask) {
    // The program waits on its queue alone; there are no kernel objects to wait for.
    if (count != 0 || !(wake_mask & QS_ALLINPUT)) return WAIT_FAILED;
    if (something_waits()) return WAIT_OBJECT_0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        int timeout = -1;
        if (milliseconds != INFINITE) {
            // Rounded up: the wait ends once its whole time has passed, never the part of a
            // millisecond before, which a caller waiting for its next frame would spin through.
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) return WAIT_TIMEOUT;
            timeout = static_cast<int>(left.count());
        }
        const int timer = next_timer_ms();
        if (timer >= 0 && (timeout < 0 || timer < timeout)) timeout = timer;
        if (cw::backend::process_events(true, timeout) || something_waits()) return WAIT_OBJECT_0;
    }
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency) return FALSE;
    frequency->QuadPart = 1000000000;  // nanoseconds of the steady clock
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count) return FALSE;
    count->QuadPart =
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
    return TRUE;
}

DWORD GetTickCount() {
    // The steady clock counts from the system's start, as the system's tick count does.
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
    return static_cast<DWORD>(ms.count());
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last) {
    for (;;) {
        cw::backend::process_events(false, 0);
        if (take_posted(msg, hwnd, first, last, true)) return msg->message != WM_QUIT;
        if (take_paint(msg, hwnd, first, last)) return TRUE;
        if (take_timer(msg, hwnd, first, last, true)) return TRUE;
        WaitMessage();
    }
}

BOOL TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (msg && msg->message == WM_TIMER && msg->lParam) {
        const auto ticks =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch());
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam,
                                                 static_cast<DWORD>(ticks.count()));
        return 0;
    }
    if (!msg || !msg->hwnd) return 0;
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return proc ? proc(hwnd, msg, wp, lp) : 0;
}

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    switch (msg) {
        case WM_NCCREATE: return TRUE;
        case WM_SETTEXT: {
            w->text = lp ? reinterpret_cast<const char*>(lp) : "";
            cw::backend::sync_text(w);
            return TRUE;
        }
        case WM_GETTEXT: {
            if (wp == 0 || !lp) return 0;
            char* out = reinterpret_cast<char*>(lp);
            cw::text::copy_truncated(out, wp, w->text);
            return static_cast<LRESULT>(std::strlen(out));
        }
        case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
        case WM_CLOSE: DestroyWindow(hwnd); return 0;
        case WM_RBUTTONUP: {
            POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
            ClientToScreen(hwnd, &p);
            SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(p.x, p.y));
            return 0;
        }
        case WM_CONTEXTMENU:
            if ((w->style & WS_CHILD) && w->parent) return SendMessageA(w->parent->handle, msg, wp, lp);
            return 0;
        case WM_SYSCOMMAND:
            switch (wp & 0xFFF0) {
                case SC_CLOSE: SendMessageA(hwnd, WM_CLOSE, 0, 0); return 0;
                case SC_MAXIMIZE: ShowWindow(hwnd, SW_MAXIMIZE); return 0;
                case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); return 0;
                case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); return 0;
            }
            return 0;
        case WM_SETFONT: w->font = reinterpret_cast<HFONT>(wp); return 0;
        case WM_GETFONT: return reinterpret_cast<LRESULT>(w->font);
        case WM_SYSKEYDOWN:
            // Alt+F4 closes the top-level window the key was typed in.
            if (wp == VK_F4) {
                PostMessageA(top_level_of(w)->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
                return 0;
            }
            cw::backend::replay_key(w, msg, static_cast<UINT>(wp), lp);
            return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP:
            // What no procedure took goes to the control's own editing (a text field's Ctrl+Z,
            // Delete, the characters typed after such a key); Tab moves nowhere outside a dialog.
            if (wp != VK_TAB) cw::backend::replay_key(w, msg, static_cast<UINT>(wp), lp);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND: return default_erase_background(hwnd, reinterpret_cast<HDC>(wp));
        case WM_MOUSEACTIVATE:  // MA_ACTIVATE
        case WM_NCACTIVATE: return 1;
    }
    return 0;
}

HWND SetFocus(HWND hwnd) {
    const HWND old = window_from(g_focus) ? g_focus : nullptr;
    Window* w = window_from(hwnd);
    if (w ? hwnd == old : !old) {
        // The focus the user sees may have wandered inside the window (a widget hidden under
        // it): it goes back where the window manager has it.
        if (w) cw::backend::focus_changed(w);
        return old;
    }
    g_focus = w ? hwnd : nullptr;
    // Losing the focus may end the old window (an in-place edit), so only handles are used here.
    if (old) SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (w && window_from(hwnd)) SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    // The keys go where the focus is now, unless WM_SETFOCUS passed it on (and told the backend).
    if (g_focus == (w ? hwnd : nullptr) && (!w || window_from(hwnd)))
        cw::backend::focus_changed(window_from(hwnd));
    return old;
}

HWND GetFocus() {
    return window_from(g_focus) ? g_focus : nullptr;
}

HWND SetActiveWindow(HWND hwnd) {
    Window* old = active_window();
    if (Window* w = window_from(hwnd)) activate(w, WA_ACTIVE);
    return old ? old->handle : nullptr;
}

HWND GetActiveWindow() {
    Window* w = active_window();
    return w ? w->handle : nullptr;
}

BOOL SetForegroundWindow(HWND hwnd) {
    return SetActiveWindow(hwnd) != nullptr || window_from(hwnd);
}

HWND SetCapture(HWND hwnd) {
    Window* old = window_from(g_capture);
    Window* now = window_from(hwnd);
    g_capture = now ? hwnd : nullptr;
    if (old != now) cw::backend::capture_changed(old, now);
    if (old && old != now) SendMessageA(old->handle, WM_CAPTURECHANGED, 0, (LPARAM)hwnd);
    return old ? old->handle : nullptr;
}

BOOL ReleaseCapture() {
    Window* old = window_from(g_capture);
    g_capture = nullptr;
    if (old) cw::backend::capture_changed(old, nullptr);
    if (old) SendMessageA(old->handle, WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

HWND GetCapture() {
    return window_from(g_capture) ? g_capture : nullptr;
}

namespace cw::win {

bool input_keys_queued() {
    for (const MSG& m : queue())
        if (m.message >= WM_KEYDOWN && m.message <= WM_SYSKEYUP) return true;
    return false;
}

}  // namespace cw::win

// Ctrl+F4 closes the active MDI child and Ctrl+F6 moves to the next, when the program's loop
// asks for it.
BOOL TranslateMDISysAccel(HWND client, LPMSG msg) {
    Window* c = window_from(client);
    if (!c || !msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    if (!(GetKeyState(VK_CONTROL) & 0x8000) || (msg->wParam != VK_F4 && msg->wParam != VK_F6)) return FALSE;
    return cw::win::mdi_system_key(c, static_cast<UINT>(msg->wParam), true) ? TRUE : FALSE;
}

BOOL MessageBeep(UINT) {
    return TRUE;
}
