// Scroll bars of windows, system metrics, string helpers and the environment's variables:
// the small kernel and user services the program calls (files are in file.cpp).
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

#include "win/backend.h"
#include "text/cp932.h"
#include "win/mdi.h"
#include "win/window.h"

namespace cw::win {

void register_controls();

void ensure_builtin_classes() {
    static bool done = false;
    if (done) return;
    done = true;
    register_builtin_class("#32770", DefDlgProcA);
    register_mdi_client_class();
    register_controls();
}

namespace {

ScrollBarState* bar_of(Window* w, int bar) {
    if (!w) return nullptr;
    if (bar == SB_HORZ) return &w->hscroll;
    if (bar == SB_VERT) return &w->vscroll;
    return nullptr;
}

void show_bar(Window* w, int bar, bool show) {
    bool changed = false;
    for (int b : {SB_HORZ, SB_VERT}) {
        if (bar != b && bar != SB_BOTH) continue;
        ScrollBarState* s = bar_of(w, b);
        if (s->shown == show) continue;
        s->shown = show;
        const DWORD style_bit = b == SB_HORZ ? WS_HSCROLL : WS_VSCROLL;
        if (show)
            w->style |= style_bit;
        else
            w->style &= ~style_bit;
        changed = true;
    }
    if (changed) nonclient_changed(w);
    cw::backend::sync_scrollbars(w);
}

int clamp_pos(const ScrollBarState& s, int pos) {
    const int top = s.max - (s.page > 0 ? static_cast<int>(s.page) - 1 : 0);
    if (pos > top) pos = top;
    if (pos < s.min) pos = s.min;
    return pos;
}

}  // namespace

}  // namespace cw::win

using namespace cw::win;

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
    ScrollBarState* s = bar_of(window_from(hwnd), bar);
    if (!s) return 0;
    const int old = s->pos;
    s->pos = clamp_pos(*s, pos);
    if (redraw) cw::backend::sync_scrollbars(window_from(hwnd));
    return old;
}

int GetScrollPos(HWND hwnd, int bar) {
    ScrollBarState* s = bar_of(window_from(hwnd), bar);
    return s ? s->pos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int min_pos, int max_pos, BOOL redraw) {
    Window* w = window_from(hwnd);
    ScrollBarState* s = bar_of(w, bar);
    if (!s) return FALSE;
    s->min = min_pos;
    s->max = max_pos;
    s->pos = clamp_pos(*s, s->pos);
    // A standard scroll bar is shown by a range and hidden by an empty one.
    show_bar(w, bar, min_pos != max_pos);
    if (redraw) cw::backend::sync_scrollbars(w);
    return TRUE;
}

BOOL GetScrollRange(HWND hwnd, int bar, LPINT min_pos, LPINT max_pos) {
    ScrollBarState* s = bar_of(window_from(hwnd), bar);
    if (!s) return FALSE;
    if (min_pos) *min_pos = s->min;
    if (max_pos) *max_pos = s->max;
    return TRUE;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show) {
    Window* w = window_from(hwnd);
    if (!w) return FALSE;
    show_bar(w, bar, show != FALSE);
    return TRUE;
}

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
    Window* w = window_from(hwnd);
    ScrollBarState* s = bar_of(w, bar);
    if (!s || !info) return 0;
    if (info->fMask & SIF_RANGE) s->min = info->nMin, s->max = info->nMax;
    if (info->fMask & SIF_PAGE) s->page = info->nPage;
    if (info->fMask & SIF_POS) s->pos = info->nPos;
    s->pos = clamp_pos(*s, s->pos);
    if (info->fMask & (SIF_RANGE | SIF_PAGE)) {
        const bool needed = s->max > s->min && (s->page == 0 || static_cast<int>(s->page) <= s->max - s->min);
        show_bar(w, bar, needed || (info->fMask & SIF_DISABLENOSCROLL));
    }
    if (redraw) cw::backend::sync_scrollbars(w);
    return s->pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info) {
    ScrollBarState* s = bar_of(window_from(hwnd), bar);
    if (!s || !info) return FALSE;
    if (info->fMask & SIF_RANGE) info->nMin = s->min, info->nMax = s->max;
    if (info->fMask & SIF_PAGE) info->nPage = s->page;
    if (info->fMask & SIF_POS) info->nPos = s->pos;
    if (info->fMask & SIF_TRACKPOS) info->nTrackPos = s->pos;
    return TRUE;
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXVSCROLL:
        case SM_CYHSCROLL: return scrollbar_size();
        case SM_CYCAPTION: return caption_height();
        case SM_CXBORDER:
        case SM_CYBORDER: return 1;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME: return 3;
        case SM_CXFRAME:
        case SM_CYFRAME: return 4;
        case SM_CXEDGE:
        case SM_CYEDGE: return 2;
        case SM_CXICON:
        case SM_CYICON: return 32;
        case SM_CYMENU: return menu_bar_height();
        case SM_CXDRAG:
        case SM_CYDRAG: return 4;
        case SM_CXSCREEN: {
            const RECT r = cw::backend::screen_rect();
            return r.right - r.left;
        }
        case SM_CYSCREEN: {
            const RECT r = cw::backend::screen_rect();
            return r.bottom - r.top;
        }
    }
    return 0;
}

BOOL SystemParametersInfoA(UINT action, UINT, LPVOID param, UINT) {
    if (action != SPI_GETWORKAREA || !param) return FALSE;
    *static_cast<RECT*>(param) = cw::backend::work_area();
    return TRUE;
}

HMODULE GetModuleHandleA(LPCSTR) {
    return reinterpret_cast<HMODULE>(0x400000);
}

void InitCommonControls() {
    ensure_builtin_classes();
}

int wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    // The system routine writes at most 1024 bytes.
    va_list ap;
    va_start(ap, format);
    const int n = std::vsnprintf(buffer, 1024, format, ap);
    va_end(ap);
    return n < 0 ? 0 : (n > 1023 ? 1023 : n);
}

int lstrlenA(LPCSTR s) {
    return s ? static_cast<int>(std::strlen(s)) : 0;
}
LPSTR lstrcpyA(LPSTR dst, LPCSTR src) {
    return dst && src ? std::strcpy(dst, src) : nullptr;
}
LPSTR lstrcpynA(LPSTR dst, LPCSTR src, int max) {
    if (!dst || !src || max <= 0) return dst;
    cw::text::copy_truncated(dst, static_cast<size_t>(max), src);
    return dst;
}
int lstrcmpA(LPCSTR a, LPCSTR b) {
    return std::strcmp(a ? a : "", b ? b : "");
}
// ASCII letters compared without case, as class names and other plain names are.
int lstrcmpiA(LPCSTR a, LPCSTR b) {
    return strcasecmp(a ? a : "", b ? b : "");
}

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
    const char* value = name ? std::getenv(cw::text::cp932_to_utf8(name).c_str()) : nullptr;
    if (!value) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    // The program's code page, as the system hands an ANSI program its environment.
    const std::string text = cw::text::utf8_to_cp932(value);
    if (!buffer || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
    text.copy(buffer, text.size());
    buffer[text.size()] = '\0';
    return static_cast<DWORD>(text.size());
}
