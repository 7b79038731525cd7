// The program's own dialogs, created from its resource templates: every control is there, in
// the template's order, of the template's class and id, at the rectangle in pixels that its
// dialog units give for the dialog's font (known base units), and the dialog's client area is the
// template's size; an icon control takes its icon's size. The templates come from the same
// script, compiled by celwright-rc (the layer) and by the system's resource compiler.
#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <cstring>
#include <string>

#include "conformance.h"
#include "dialog_templates.h"
#include "res/resource.h"

namespace {

INT_PTR CALLBACK quiet_dialog_proc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

bool same_class(const std::string& a, const char* b) {
    if (a.size() != std::char_traits<char>::length(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string class_of(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// A control's rectangle in its dialog's client coordinates.
RECT placed(HWND dialog, HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<LPPOINT>(&r), 2);
    return r;
}

// The owner of the popup dialogs and parent of the child one (the edit panel).
HWND owner() {
    static HWND window = CreateWindowExA(0, conformance::recording_class(), "owner", WS_OVERLAPPEDWINDOW, 30,
                                         30, 800, 600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return window;
}

// The dialog base units of the program's dialog fonts, as the system measures the face they are
// shown in (IPA P Gothic, which stands in for "ＭＳ Ｐゴシック"): the average width of the 52
// letters, rounded, and the font's height, in pixels. Known values, so that a fault in the
// mapping cannot hide behind the same mapping on both sides of a comparison.
struct BaseUnits {
    int x, y;
};
BaseUnits base_units_of(int points) {
    return points == 10 ? BaseUnits{8, 14} : BaseUnits{7, 13};
}

// Dialog units to pixels as the dialog manager converts them: x by a quarter of the base width,
// y by an eighth of the base height, each rounded.
RECT in_pixels(const RECT& r, BaseUnits b) {
    return RECT{MulDiv(r.left, b.x, 4), MulDiv(r.top, b.y, 8), MulDiv(r.right, b.x, 4),
                MulDiv(r.bottom, b.y, 8)};
}

bool aligned_to_buddy(const TemplateControl& t) {
    return std::strcmp(t.class_name, "msctls_updown32") == 0 && (t.style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT));
}

// An up-down aligned to the right of its buddy (the control before it) takes its place from
// the buddy, which gives up the up-down's width: side by side, the up-down reaching at most
// over the buddy's border, at the buddy's height.
void check_aligned_pair(HWND dialog, HWND buddy, HWND updown, const TemplateControl& buddy_template,
                        BaseUnits units) {
    const conformance::Context context("up-down " + std::to_string(GetDlgCtrlID(updown)) +
                                       " beside its buddy");
    CHECK(reinterpret_cast<HWND>(SendMessageA(updown, UDM_GETBUDDY, 0, 0)) == buddy);
    const RECT full = in_pixels(RECT{0, 0, buddy_template.cx, 0}, units);
    const RECT b = placed(dialog, buddy), u = placed(dialog, updown);
    CHECK_EQ(b.right - b.left, full.right - 16);
    CHECK(u.left >= b.right - 2 && u.left <= b.right);
    CHECK_EQ(u.top, b.top);
    CHECK_EQ(u.bottom, b.bottom);
}

// buddy: the control is the buddy of an aligned up-down, which takes some of its width.
void check_control(HWND dialog, HWND control, const TemplateControl& t, bool buddy, BaseUnits units) {
    const std::string cls = class_of(control);
    CHECK_TEXT(
        std::string(cls.size() == std::strlen(t.class_name) && same_class(cls, t.class_name) ? t.class_name
                                                                                             : cls),
        t.class_name);
    CHECK_EQ(LOWORD(GetDlgCtrlID(control)), LOWORD(t.id));
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(control, GWL_STYLE));
    const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrA(control, GWL_EXSTYLE));
    // The window styles of the template, as the dialog manager and the controls leave them: a
    // bordered control has the sunken client edge instead, a combo box's scroll bars are its
    // list's, and no control tells its dialog of its creation.
    const DWORD window_bits = WS_CHILD | WS_DISABLED | WS_TABSTOP | WS_GROUP;
    CHECK_EQ(style & window_bits, t.style & window_bits);
    CHECK_EQ(style & WS_BORDER, 0);
    CHECK_EQ(ex_style & WS_EX_CLIENTEDGE, (t.style & WS_BORDER) ? WS_EX_CLIENTEDGE : 0);
    CHECK_EQ(ex_style & WS_EX_NOPARENTNOTIFY, WS_EX_NOPARENTNOTIFY);
    if (same_class(cls, "COMBOBOX")) CHECK_EQ(style & (WS_VSCROLL | WS_HSCROLL), 0);
    // The dialog manager converts the position and the size each on its own.
    const RECT origin = in_pixels(RECT{t.x, t.y, 0, 0}, units),
               extent = in_pixels(RECT{0, 0, t.cx, t.cy}, units);
    const RECT expected{origin.left, origin.top, origin.left + extent.right, origin.top + extent.bottom};
    const RECT r = placed(dialog, control);
    if (!aligned_to_buddy(t)) CHECK_EQ(r.left, expected.left);
    CHECK_EQ(r.top, expected.top);
    const bool icon = same_class(cls, "STATIC") && (t.style & SS_TYPEMASK) == SS_ICON;
    const bool combo = same_class(cls, "COMBOBOX");
    const bool updown = same_class(cls, "msctls_updown32");
    if (updown) {
        // A vertical up-down has the system's width of 16 pixels whatever the template says.
        CHECK_EQ(r.right - r.left, 16);
        if (!(t.style & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT)))
            CHECK_EQ(r.bottom - r.top, expected.bottom - expected.top);
    } else if (icon) {
        CHECK_EQ(r.right - r.left, GetSystemMetrics(SM_CXICON));
        CHECK_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYICON));
    } else if (combo) {
        // A drop-down list stands at the height of its selection field; the template's height
        // is that of the list when it drops.
        CHECK_EQ(r.right - r.left, expected.right - expected.left);
        CHECK(r.bottom - r.top > 0 && r.bottom - r.top < expected.bottom - expected.top);
    } else {
        if (!buddy) CHECK_EQ(r.right - r.left, expected.right - expected.left);
        CHECK_EQ(r.bottom - r.top, expected.bottom - expected.top);
    }
}

void check_dialog(const TemplateDialog& t) {
    HWND dialog =
        CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(t.id), owner(), quiet_dialog_proc, 0);
    const conformance::Context context("dialog " + std::to_string(t.id));
    if (!CHECK(dialog != nullptr)) return;
    const BaseUnits units = base_units_of(t.font_size);
    const RECT size = in_pixels(RECT{0, 0, t.cx, t.cy}, units);
    RECT client;
    GetClientRect(dialog, &client);
    CHECK_EQ(client.right, size.right);
    CHECK_EQ(client.bottom, size.bottom);
    // MapDialogRect gives the same: four and eight dialog units are one base width and height.
    RECT mapped{3, 5, t.cx, t.cy}, one{0, 0, 4, 8};
    CHECK(MapDialogRect(dialog, &mapped));
    CHECK(MapDialogRect(dialog, &one));
    CHECK_EQ(one.right, units.x);
    CHECK_EQ(one.bottom, units.y);
    CHECK_EQ(mapped.left, MulDiv(3, units.x, 4));
    CHECK_EQ(mapped.top, MulDiv(5, units.y, 8));
    CHECK_EQ(mapped.right, size.right);
    CHECK_EQ(mapped.bottom, size.bottom);

    int index = 0;
    HWND previous = nullptr;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; previous = c, c = GetWindow(c, GW_HWNDNEXT), ++index) {
        if (index >= t.control_count) continue;
        const conformance::Context control("control " + std::to_string(index) + " (id " +
                                           std::to_string(t.controls[index].id) + ")");
        const bool buddy_of_next = index + 1 < t.control_count && aligned_to_buddy(t.controls[index + 1]);
        if (aligned_to_buddy(t.controls[index]) && previous)
            check_aligned_pair(dialog, previous, c, t.controls[index - 1], units);
        check_control(dialog, c, t.controls[index], buddy_of_next, units);
    }
    CHECK_EQ(index, t.control_count);
    DestroyWindow(dialog);
}

const TemplateDialog* find(int id) {
    for (const TemplateDialog& d : kTemplateDialogs)
        if (d.id == id) return &d;
    return nullptr;
}

}  // namespace

CONFORMANCE_CASE(EveryDialogOfTheProgramIsLaidOutFromItsTemplate) {
    CHECK_EQ(sizeof kTemplateDialogs / sizeof kTemplateDialogs[0], 8);
    for (const TemplateDialog& d : kTemplateDialogs) check_dialog(d);
}

// A popup dialog's template places its client area, not its frame: the image window's template
// at (0, 0) puts its client area's corner on its owner's, its caption and menu bar above it.
CONFORMANCE_CASE(APopupDialogsTemplatePlacesItsClientArea) {
    HWND image = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_IMAGE_WINDOW), owner(),
                                    quiet_dialog_proc, 0);
    if (!CHECK(image != nullptr)) return;
    POINT client{0, 0}, owner_client{0, 0};
    ClientToScreen(image, &client);
    ClientToScreen(owner(), &owner_client);
    CHECK_EQ(client.x, owner_client.x);
    CHECK_EQ(client.y, owner_client.y);
    RECT outer;
    GetWindowRect(image, &outer);
    CHECK(outer.top < client.y - GetSystemMetrics(SM_CYMENU));
    CHECK(outer.left < client.x);
    DestroyWindow(image);
}

// The edit panel is a child dialog, created visible and disabled in its parent's client area.
CONFORMANCE_CASE(TheEditPanelIsAChildDialog) {
    const TemplateDialog* t = find(IDD_EDIT_PANEL);
    if (!CHECK(t != nullptr)) return;
    HWND panel = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_EDIT_PANEL), owner(),
                                    quiet_dialog_proc, 0);
    CHECK(panel != nullptr);
    CHECK(GetParent(panel) == owner());
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(panel, GWL_STYLE));
    CHECK(style & WS_CHILD);
    CHECK(style & WS_DISABLED);
    CHECK(style & WS_VISIBLE);
    CHECK(!IsWindowEnabled(panel));
    RECT r = placed(owner(), panel);
    CHECK_EQ(r.left, 0);
    CHECK_EQ(r.top, 0);
    // Its controls keep their own states: the stop button is disabled, the play button is not.
    CHECK(!IsWindowEnabled(GetDlgItem(panel, IDC_PLAY_STOP)));
    CHECK(IsWindowEnabled(GetDlgItem(panel, IDC_PLAY_FORWARD)));
    DestroyWindow(panel);
}

// The edit panel stands on the button face, whatever its parent paints around it: a child
// dialog erases its own background (the main window paints grey).
CONFORMANCE_CASE(TheEditPanelPaintsItsOwnBackground) {
    HWND parent = CreateWindowExA(0, conformance::register_class("CONFORMANCE_GREY", DefWindowProcA, GRAY_BRUSH),
                                  "grey", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 40, 40, 700, 500,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND panel = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_EDIT_PANEL), parent,
                                    quiet_dialog_proc, 0);
    if (!CHECK(panel != nullptr)) return;
    UpdateWindow(parent);
    UpdateWindow(panel);
    HDC dc = GetDC(panel);
    // Left of the first group box's frame, between two rows of controls: nothing but the dialog.
    const COLORREF shown = GetPixel(dc, 2, 30);
    ReleaseDC(panel, dc);
    CHECK_EQ(shown, GetSysColor(COLOR_BTNFACE));
    DestroyWindow(parent);
}
