// The keyboard interface of dialogs: Tab and Shift+Tab move between the controls that are tab
// stops, Enter presses the focused or the default push button, Esc cancels. A modeless dialog
// gets it only when the program's loop hands its messages to IsDialogMessage, as on the system.
#include <windows.h>

#include <vector>

#include "win/window.h"

using cw::win::Window;
using cw::win::window_from;

namespace {

bool tab_stop(const Window* c) {
    return (c->style & WS_TABSTOP) && (c->style & WS_VISIBLE) && !(c->style & WS_DISABLED);
}

// The control of dialog d that holds hwnd (hwnd itself, or a window inside it).
Window* control_holding(Window* d, HWND hwnd) {
    for (Window* w = window_from(hwnd); w; w = w->parent)
        if (w->parent == d) return w;
    return nullptr;
}

bool is_push_button(const Window* c) {
    if (!c || !c->cls || lstrcmpiA(c->cls->name.c_str(), "BUTTON") != 0) return false;
    const DWORD type = c->style & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// Enter: the focused push button, else the dialog's default push button, else IDOK.
void press_default(Window* d, Window* focused) {
    Window* button = is_push_button(focused) ? focused : nullptr;
    for (Window* c : d->children)
        if (!button && c->cls && lstrcmpiA(c->cls->name.c_str(), "BUTTON") == 0 &&
            (c->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            button = c;
    const int id = button ? static_cast<int>(button->id) : IDOK;
    HWND b = button ? button->handle : GetDlgItem(d->handle, IDOK);
    if (b && !IsWindowEnabled(b)) return;
    SendMessageA(d->handle, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(b));
}

// True when the key was the dialog's to take.
bool dialog_key(Window* d, MSG* msg) {
    const auto code =
        static_cast<UINT>(SendMessageA(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)));
    if (code & DLGC_WANTMESSAGE) return false;
    Window* focused = control_holding(d, msg->hwnd);
    switch (msg->wParam) {
        case VK_TAB: {
            if (code & DLGC_WANTTAB) return false;
            const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
            HWND next = GetNextDlgTabItem(d->handle, focused ? focused->handle : nullptr, back);
            if (next) SetFocus(next);
            return true;
        }
        case VK_ESCAPE:
            SendMessageA(d->handle, WM_COMMAND, IDCANCEL,
                         reinterpret_cast<LPARAM>(GetDlgItem(d->handle, IDCANCEL)));
            return true;
        case VK_RETURN: press_default(d, focused); return true;
    }
    return false;
}

}  // namespace

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    Window* d = window_from(dialog);
    if (!d) return nullptr;
    std::vector<Window*> stops;
    for (Window* c : d->children)
        if (tab_stop(c) || c->handle == control) stops.push_back(c);
    if (stops.empty()) return nullptr;
    const int n = static_cast<int>(stops.size());
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (stops[i]->handle == control) at = i;
    for (int step = 1; step <= n; ++step) {
        const int i =
            at < 0 ? (previous ? n - step : step - 1) : ((at + (previous ? -step : step)) % n + n) % n;
        if (tab_stop(stops[i])) return stops[i]->handle;
    }
    return nullptr;
}

BOOL IsDialogMessageA(HWND dialog, LPMSG msg) {
    Window* d = window_from(dialog);
    if (!d || !msg || !msg->hwnd) return FALSE;
    if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
    if (msg->message == WM_KEYDOWN && dialog_key(d, msg)) return TRUE;
    // Whatever else is for the dialog is handled here too, as the system does.
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return TRUE;
}
