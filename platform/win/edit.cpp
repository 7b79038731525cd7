// "EDIT": single-line edit controls.
#include "win/controls.h"

#include <cstring>

#include "win/backend.h"
#include "text/cp932.h"

namespace cw::win {

namespace {

EditState* state(Window* w) {
    return static_cast<EditState*>(w->control.get());
}

// ES_NUMBER keeps only digits, as the control refuses any other typed character.
std::string accepted(const Window* w, const std::string& text) {
    if (!(w->style & ES_NUMBER)) return text;
    std::string out;
    for (char c : text)
        if (c >= '0' && c <= '9') out += c;
    return out;
}

void empty_undo_buffer(Window* w) {
    if (EditState* s = state(w)) {
        s->can_undo = false;
        s->history_dropped = true;
    }
}

LRESULT CALLBACK edit_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    switch (msg) {
        case WM_CREATE: w->control = std::make_unique<EditState>(); return 0;
        case WM_SETTEXT: {
            const std::string text = lp ? reinterpret_cast<const char*>(lp) : "";
            const bool changed = text != w->text;
            w->text = text;
            // Setting the text ends what the user could undo, as on the system.
            empty_undo_buffer(w);
            cw::backend::control_changed(w);
            // A single-line edit reports a programmatic change like a typed one.
            if (changed) command_parent(w, EN_CHANGE);
            return TRUE;
        }
        case EM_LIMITTEXT:
            if (state(w)) state(w)->limit = wp == 0 ? 0x7FFFFFFE : static_cast<int>(wp);
            cw::backend::control_changed(w);
            return 0;
        case EM_SETREADONLY:
            if (wp)
                w->style |= ES_READONLY;
            else
                w->style &= ~ES_READONLY;
            cw::backend::control_changed(w);
            return TRUE;
        case EM_GETSEL:
        case EM_SETSEL: return 0;
        case EM_CANUNDO: return state(w) && state(w)->can_undo ? TRUE : FALSE;
        case EM_EMPTYUNDOBUFFER:
            empty_undo_buffer(w);
            cw::backend::control_changed(w);
            return 0;
        // The parent hears when the field gains and loses the keyboard focus.
        case WM_SETFOCUS: command_parent(w, EN_SETFOCUS); break;
        case WM_KILLFOCUS: command_parent(w, EN_KILLFOCUS); break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void edit_user_changed(Window* w, const std::string& cp932) {
    if (!w) return;
    std::string text = accepted(w, cp932);
    if (EditState* s = state(w)) text.resize(cw::text::truncated_length(text, static_cast<size_t>(s->limit)));
    if (text == w->text) {
        cw::backend::control_changed(w);
        return;
    }
    w->text = text;
    if (EditState* s = state(w)) s->can_undo = true;
    if (text != cp932) cw::backend::control_changed(w);
    command_parent(w, EN_UPDATE);
    command_parent(w, EN_CHANGE);
}

void register_edit_class() {
    register_builtin_class("EDIT", edit_proc);
}

}  // namespace cw::win
