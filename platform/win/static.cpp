// "STATIC": labels, filled rectangles and icons.
#include "win/controls.h"

#include <cstdlib>

#include "win/backend.h"

namespace cw::win {

namespace {

// An icon control ignores the size it is created with (a template gives 0 x 0) and takes its
// icon's, unless it centres the icon in the size it was given.
void size_to_icon(HWND hwnd, Window* w) {
    if ((w->style & SS_TYPEMASK) != SS_ICON || (w->style & SS_CENTERIMAGE)) return;
    const char* name = w->text.c_str();
    const int id = std::atoi(*name == '#' ? name + 1 : name);
    if (id <= 0 || !LoadIconA(w->instance, MAKEINTRESOURCEA(id))) return;
    SetWindowPos(hwnd, nullptr, 0, 0, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A black, grey or white rectangle paints itself whole on every WM_PAINT, covering whatever
// was drawn on it before, as the system's does.
bool paint_rectangle(HWND hwnd, const Window* w) {
    const UINT type = w->style & SS_TYPEMASK;
    int colour = -1;
    if (type == SS_BLACKRECT) colour = COLOR_WINDOWFRAME;
    if (type == SS_GRAYRECT) colour = COLOR_BTNSHADOW;
    if (type == SS_WHITERECT) colour = COLOR_WINDOW;
    if (colour < 0) return false;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    if (dc) FillRect(dc, &r, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(colour + 1)));
    EndPaint(hwnd, &ps);
    return true;
}

LRESULT CALLBACK static_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    if (msg == WM_CREATE) {
        size_to_icon(hwnd, w);
        return 0;
    }
    if (msg == WM_PAINT && paint_rectangle(hwnd, w)) return 0;
    if (msg == WM_SETTEXT) return control_set_text(w, wp, lp);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void register_static_class() {
    register_builtin_class("STATIC", static_proc);
}

}  // namespace cw::win
