// "BUTTON": push buttons, check boxes and group boxes.
#include "win/controls.h"

#include "win/backend.h"

namespace cw::win {

namespace {

ButtonState* state(Window* w) {
    return static_cast<ButtonState*>(w->control.get());
}

bool is_check_box(UINT type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE ||
           type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

LRESULT CALLBACK button_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    switch (msg) {
        case WM_CREATE: w->control = std::make_unique<ButtonState>(); return 0;
        case BM_GETCHECK: return state(w) ? state(w)->check : 0;
        case BM_SETCHECK:
            if (state(w) && is_check_box(button_type(w))) {
                state(w)->check = static_cast<int>(wp);
                cw::backend::control_changed(w);
            }
            return 0;
        case BM_CLICK: button_user_clicked(w); return 0;
        case WM_SETTEXT: return control_set_text(w, wp, lp);
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

UINT button_type(const Window* w) {
    return w->style & BS_TYPEMASK;
}

void button_user_clicked(Window* w) {
    if (!w || (w->style & WS_DISABLED) || button_type(w) == BS_GROUPBOX) return;
    const UINT type = button_type(w);
    if (ButtonState* s = state(w)) {
        if (type == BS_AUTOCHECKBOX) s->check = s->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        if (type == BS_AUTO3STATE) s->check = (s->check + 1) % 3;
        if (type == BS_AUTORADIOBUTTON) s->check = BST_CHECKED;
    }
    cw::backend::control_changed(w);
    command_parent(w, BN_CLICKED);
}

void register_button_class() {
    register_builtin_class("BUTTON", button_proc);
}

}  // namespace cw::win
