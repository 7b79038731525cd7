// Registers every built-in control class once, before the first window is made; what the
// controls' procedures share.
#include "win/controls.h"

#include "win/backend.h"

namespace cw::win {

void register_button_class();
void register_static_class();
void register_edit_class();
void register_combo_class();
void register_trackbar_class();
void register_status_class();
void register_tree_class();
void register_listview_class();
void register_updown_class();

void register_controls() {
    register_button_class();
    register_static_class();
    register_edit_class();
    register_combo_class();
    register_trackbar_class();
    register_status_class();
    register_tree_class();
    register_listview_class();
    register_updown_class();
}

LRESULT control_set_text(Window* w, WPARAM wp, LPARAM lp) {
    const LRESULT r = DefWindowProcA(w->handle, WM_SETTEXT, wp, lp);
    cw::backend::control_changed(w);
    return r;
}

}  // namespace cw::win
