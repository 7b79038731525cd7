// "msctls_statusbar32": the status window along the bottom of its parent.
#include "win/controls.h"

#include <cstring>

#include "win/backend.h"

namespace cw::win {

void status_place_at_bottom(Window* w) {
    if (!w->parent || (w->style & CCS_NORESIZE)) return;
    const RECT pc = client_rect_of(w->parent);
    const int h = status_bar_height();
    set_window_rect(w, RECT{0, pc.bottom - h, pc.right, pc.bottom}, SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

StatusState* state(Window* w) {
    return static_cast<StatusState*>(w->control.get());
}

int part_count(StatusState* s) {
    return s && !s->edges.empty() ? static_cast<int>(s->edges.size()) : 1;
}

// SB_SETPARTS: up to 256 parts; the texts of parts that remain are kept.
LRESULT set_parts(Window* w, int count, const int* edges) {
    StatusState* s = state(w);
    if (!s || count <= 0 || count > 256 || !edges) return FALSE;
    s->edges.assign(edges, edges + count);
    s->texts.resize(static_cast<size_t>(count - 1));
    cw::backend::control_changed(w);
    return TRUE;
}

LRESULT set_part_text(Window* w, int part, const char* text) {
    StatusState* s = state(w);
    if (part == 0) return SendMessageA(w->handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    if (!s || part < 0 || part >= part_count(s)) return FALSE;
    s->texts[static_cast<size_t>(part - 1)] = text ? text : "";
    cw::backend::control_changed(w);
    return TRUE;
}

const std::string* part_text(Window* w, int part) {
    StatusState* s = state(w);
    if (part == 0) return &w->text;
    if (!s || part < 0 || part >= part_count(s)) return nullptr;
    return &s->texts[static_cast<size_t>(part - 1)];
}

// SB_GETTEXT and SB_GETTEXTLENGTH: the length in the low word, the drawing type (0) in the high.
LRESULT get_part_text(Window* w, int part, char* out) {
    const std::string* t = part_text(w, part);
    if (!t) return 0;
    if (out) std::memcpy(out, t->c_str(), t->size() + 1);
    return static_cast<LRESULT>(t->size());
}

LRESULT CALLBACK status_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    switch (msg) {
        case WM_CREATE: w->control = std::make_unique<StatusState>(); return 0;
        case WM_SIZE:
            // The parent forwards its own WM_SIZE; the bar places itself along the bottom.
            if (w->created) status_place_at_bottom(w);
            return 0;
        case SB_SETPARTS: return set_parts(w, static_cast<int>(wp), reinterpret_cast<const int*>(lp));
        case SB_GETPARTS: {
            StatusState* s = state(w);
            auto* out = reinterpret_cast<int*>(lp);
            const int n = part_count(s);
            for (int i = 0; out && i < n && i < static_cast<int>(wp); ++i)
                out[i] = s && !s->edges.empty() ? s->edges[static_cast<size_t>(i)] : -1;
            return n;
        }
        case SB_SETTEXTA:
            return set_part_text(w, static_cast<int>(wp & 0xFF), reinterpret_cast<const char*>(lp));
        case SB_GETTEXTA: return get_part_text(w, static_cast<int>(wp), reinterpret_cast<char*>(lp));
        case SB_GETTEXTLENGTHA: return get_part_text(w, static_cast<int>(wp), nullptr);
        case WM_SETTEXT: return control_set_text(w, wp, lp);
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int status_bar_height() {
    return cw::backend::status_bar_height();
}

void register_status_class() {
    register_builtin_class("msctls_statusbar32", status_proc);
}

}  // namespace cw::win

HWND CreateStatusWindowA(LONG style, LPCSTR text, HWND parent, UINT id) {
    cw::win::ensure_builtin_classes();
    HWND h = CreateWindowExA(0, STATUSCLASSNAMEA, text, static_cast<DWORD>(style), 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
    if (cw::win::Window* w = cw::win::window_from(h)) cw::win::status_place_at_bottom(w);
    return h;
}
