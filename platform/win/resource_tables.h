// Tables produced from res/celwright.rc by the resource compiler (tools/rc).
// The window manager builds menus, dialogs, accelerator tables, icons and cursors from them.
// Texts are CP932 bytes, NUL-terminated, exactly as a resource would hold them.
#pragma once

#include <cstdint>

namespace cw::res {

struct MenuItem {
    uint32_t flags;  // MF_POPUP, MF_SEPARATOR, MF_GRAYED, MF_CHECKED, MF_HELP ...
    uint32_t id;     // command id; 0 for popups and separators
    const char* text;
    const MenuItem* children;  // popup items, or nullptr
    int child_count;
};

struct Menu {
    int id;
    const MenuItem* items;
    int count;
};

struct DialogControl {
    const char* class_name;  // "BUTTON", "EDIT", "STATIC", "COMBOBOX", "SysTreeView32" ...
    const char* text;        // CP932; for an icon static the resource name as "#125"
    int id;                  // -1 (IDC_STATIC) for controls without an id
    uint32_t style;          // complete style, WS_CHILD | WS_VISIBLE included as the script gives
    uint32_t ex_style;
    int x, y, cx, cy;  // dialog units
};

struct Dialog {
    int id;
    bool is_ex;  // DIALOGEX
    uint32_t style;
    uint32_t ex_style;
    int x, y, cx, cy;  // dialog units
    const char* caption;
    int font_size;  // points; 0 when the script sets no font
    const char* font_face;
    int menu_id;  // 0 for none
    const DialogControl* controls;
    int control_count;
};

// One key of an accelerator table, as the system's ACCEL: FVIRTKEY, FSHIFT, FCONTROL, FALT ...
struct AcceleratorKey {
    uint8_t flags;
    uint16_t key;  // a virtual-key code with FVIRTKEY, else a character
    uint16_t id;   // the command sent
};

struct Accelerators {
    int id;
    const AcceleratorKey* keys;
    int count;
};

// An icon or cursor image, 32-bit ARGB, premultiplied alpha not applied.
struct Image {
    int id;
    bool is_cursor;
    int width, height;
    int hotspot_x, hotspot_y;  // cursors only
    const uint32_t* argb;      // width * height pixels, top row first
};

const Menu* find_menu(int id);
const Dialog* find_dialog(int id);
const Accelerators* find_accelerators(int id);
const Image* find_icon(int id);
const Image* find_cursor(int id);

}  // namespace cw::res
