// Dialogs built from resource templates: modeless and modal (with a nested
// message loop), default dialog processing and the dialog item helpers.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "win/backend.h"
#include "win/resource_tables.h"
#include "win/window.h"

namespace cw::win {

namespace {

struct Placement {
    RECT rect;
};

int dlu_x(int v, int bx) {
    return MulDiv(v, bx, 4);
}
int dlu_y(int v, int by) {
    return MulDiv(v, by, 8);
}

HWND create_from_template(const cw::res::Dialog& t, HINSTANCE instance, HWND parent_handle, DLGPROC proc,
                          LPARAM param, bool modal) {
    Window* parent = window_from(parent_handle);
    int bx = 0, by = 0;
    const std::string face = t.font_face ? t.font_face : "";
    dialog_base_units(face, t.font_size, &bx, &by);

    DWORD style = t.style;
    const bool child = (style & WS_CHILD) != 0;
    if (child && !parent) return nullptr;
    const bool visible = (style & WS_VISIBLE) || modal;
    style &= ~WS_VISIBLE;

    RECT r{0, 0, dlu_x(t.cx, bx), dlu_y(t.cy, by)};
    HMENU menu = nullptr;
    if (t.menu_id && !child) menu = LoadMenuA(instance, MAKEINTRESOURCEA(t.menu_id));
    AdjustWindowRectEx(&r, style, menu != nullptr, t.ex_style);
    // The template places the dialog's client area, relative to its owner's client area (to the
    // screen with DS_ABSALIGN, to the parent's client area for a child dialog); its frame and
    // menu bar lie above and to the left of that place, as on the system.
    int x = dlu_x(t.x, bx) + r.left, y = dlu_y(t.y, by) + r.top;
    const int width = r.right - r.left, height = r.bottom - r.top;
    Window* owner_top = parent ? top_level_of(parent) : nullptr;
    if (!child && owner_top && !(style & DS_ABSALIGN)) {
        const POINT o = client_origin_on_screen(owner_top);
        x += o.x;
        y += o.y;
    }
    if (!child && (style & DS_CENTER) && owner_top) {
        const RECT& orc = owner_top->rect;
        x = orc.left + ((orc.right - orc.left) - width) / 2;
        y = orc.top + ((orc.bottom - orc.top) - height) / 2;
    }
    HWND h = CreateWindowExA(t.ex_style, "#32770", t.caption ? t.caption : "", style, x, y, width, height,
                             parent_handle, menu, instance, nullptr);
    Window* w = window_from(h);
    if (!w) return nullptr;
    auto state = std::make_unique<DialogState>();
    state->proc = proc;
    state->modal = modal;
    state->resource_id = t.id;
    state->base_unit_x = bx;
    state->base_unit_y = by;
    state->font_face = face;
    state->font_size = t.font_size;
    w->dialog = std::move(state);
    w->font_face = face;
    w->font_size = t.font_size;
    cw::backend::sync_text(w);

    for (int i = 0; i < t.control_count; ++i) {
        const cw::res::DialogControl& c = t.controls[i];
        const int id = c.id;
        // As the system's dialog manager does: a control does not tell its dialog of its creation,
        // and a bordered control gets the sunken client edge instead of a plain border.
        DWORD control_style = c.style & ~WS_VISIBLE;
        DWORD control_ex_style = c.ex_style | WS_EX_NOPARENTNOTIFY;
        if (control_style & WS_BORDER) {
            control_style &= ~WS_BORDER;
            control_ex_style |= WS_EX_CLIENTEDGE;
        }
        HWND ch = CreateWindowExA(control_ex_style, c.class_name, c.text ? c.text : "", control_style,
                                  dlu_x(c.x, bx), dlu_y(c.y, by), dlu_x(c.cx, bx), dlu_y(c.cy, by), h,
                                  reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), instance, nullptr);
        if (!window_from(h)) return nullptr;
        Window* cw_ = window_from(ch);
        if (!cw_) continue;
        // Controls join the end of the tab order, as the template lists them.
        auto& sib = w->children;
        sib.erase(std::remove(sib.begin(), sib.end(), cw_), sib.end());
        sib.push_back(cw_);
        cw_->font_face = face;
        cw_->font_size = t.font_size;
        cw::backend::sync_text(cw_);
        cw::backend::sync_zorder(cw_);
        if (c.style & WS_VISIBLE) ShowWindow(ch, SW_SHOWNA);
    }
    HWND first_tab = nullptr;
    for (Window* c : w->children)
        if ((c->style & WS_TABSTOP) && !(c->style & WS_DISABLED)) {
            first_tab = c->handle;
            break;
        }
    if (SendMessageA(h, WM_INITDIALOG, (WPARAM)first_tab, param) && first_tab) SetFocus(first_tab);
    if (!window_from(h)) return nullptr;
    if (visible) ShowWindow(h, child ? SW_SHOWNA : SW_SHOW);
    return h;
}

const cw::res::Dialog* find_template(LPCSTR name) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    return cw::res::find_dialog(static_cast<int>(reinterpret_cast<uintptr_t>(name)));
}

}  // namespace

void dialog_base_units(const std::string& face, int size, int* x, int* y) {
    cw::backend::font_base_units(face, size > 0 ? size : 9, x, y);
}

}  // namespace cw::win

using namespace cw::win;

HWND CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param) {
    cw::backend::ensure_started();
    ensure_builtin_classes();
    const cw::res::Dialog* t = find_template(name);
    if (!t) return nullptr;
    return create_from_template(*t, instance, parent, proc, param, false);
}

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param) {
    cw::backend::ensure_started();
    ensure_builtin_classes();
    const cw::res::Dialog* t = find_template(name);
    if (!t) return -1;
    Window* owner = parent ? top_level_of(window_from(parent)) : nullptr;
    const HWND owner_h = owner ? owner->handle : nullptr;
    const bool owner_was_enabled = owner && !(owner->style & WS_DISABLED);
    if (owner_was_enabled) EnableWindow(owner_h, FALSE);
    HWND h = create_from_template(*t, instance, parent, proc, param, true);
    Window* w = window_from(h);
    if (!w) {
        if (owner_was_enabled) EnableWindow(owner_h, TRUE);
        return -1;
    }
    MSG msg;
    while ((w = window_from(h)) && !w->dialog->ended) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (IsDialogMessageA(h, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        WaitMessage();
    }
    INT_PTR result = -1;
    if ((w = window_from(h))) {
        result = w->dialog->result;
        // The owner is enabled before the dialog goes, so that activation can return to it.
        if (owner_was_enabled && window_from(owner_h)) EnableWindow(owner_h, TRUE);
        if (window_from(owner_h)) activate(window_from(owner_h), WA_ACTIVE);
        DestroyWindow(h);
    } else if (owner_was_enabled && window_from(owner_h)) {
        EnableWindow(owner_h, TRUE);
    }
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    Window* w = window_from(dialog);
    if (!w || !w->dialog) return FALSE;
    w->dialog->ended = true;
    w->dialog->result = result;
    if (w->dialog->modal) ShowWindow(dialog, SW_HIDE);
    cw::backend::wake();
    return TRUE;
}

LRESULT DefDlgProcA(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = window_from(hwnd);
    if (!w) return 0;
    if (w->dialog && w->dialog->proc) {
        w->dialog->msg_result = 0;
        const INT_PTR r = w->dialog->proc(hwnd, msg, wp, lp);
        if (!window_from(hwnd)) return r;
        if (r) {
            switch (msg) {
                case WM_INITDIALOG:
                case WM_CTLCOLORSTATIC: return r;
            }
            return w->dialog->msg_result;
        }
    }
    switch (msg) {
        case WM_CLOSE:
            SendMessageA(hwnd, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
            return 0;
        case WM_INITDIALOG: return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT msg, WPARAM wp, LPARAM lp) {
    return SendMessageA(GetDlgItem(dialog, id), msg, wp, lp);
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    HWND h = GetDlgItem(dialog, id);
    return h ? SetWindowTextA(h, text) : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
    HWND h = GetDlgItem(dialog, id);
    if (!h) {
        if (buffer && size > 0) buffer[0] = 0;
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(h, buffer, size));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL is_signed) {
    char buf[16];
    if (is_signed)
        std::snprintf(buf, sizeof buf, "%d", static_cast<int>(value));
    else
        std::snprintf(buf, sizeof buf, "%u", value);
    return SetDlgItemTextA(dialog, id, buf);
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL is_signed) {
    char buf[32] = {0};
    GetDlgItemTextA(dialog, id, buf, sizeof buf);
    char* end = nullptr;
    const long v = std::strtol(buf, &end, 10);
    const bool ok = end != buf && *end == 0 && (is_signed || v >= 0);
    if (translated) *translated = ok;
    return ok ? static_cast<UINT>(v) : 0;
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
    return SendDlgItemMessageA(dialog, id, BM_SETCHECK, check, 0) == 0;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
    return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
    Window* w = window_from(dialog);
    if (!w || !w->dialog || !rect) return FALSE;
    const int bx = w->dialog->base_unit_x, by = w->dialog->base_unit_y;
    *rect =
        RECT{dlu_x(rect->left, bx), dlu_y(rect->top, by), dlu_x(rect->right, bx), dlu_y(rect->bottom, by)};
    return TRUE;
}
