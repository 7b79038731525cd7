// Keyboard accelerator tables from the resource script, and their translation of queued keys
// into commands, as the program's message loop asks for it.
#include <windows.h>

#include "win/resource_tables.h"

namespace {

const cw::res::Accelerators* table_of(HACCEL h) {
    return reinterpret_cast<const cw::res::Accelerators*>(h);
}

bool down(int vk) {
    return (GetKeyState(vk) & 0x8000) != 0;
}

// A virtual-key entry matches the key and exactly the shift keys it names.
bool matches(const cw::res::AcceleratorKey& a, WPARAM vk) {
    if (!(a.flags & FVIRTKEY) || a.key != vk) return false;
    return ((a.flags & FSHIFT) != 0) == down(VK_SHIFT) && ((a.flags & FCONTROL) != 0) == down(VK_CONTROL) &&
           ((a.flags & FALT) != 0) == down(VK_MENU);
}

// The system does not send the command of a greyed or disabled item of the window's menu.
bool command_disabled(HWND hwnd, UINT id) {
    HMENU menu = GetMenu(hwnd);
    if (!menu) return false;
    const UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) != 0;
}

}  // namespace

HACCEL LoadAcceleratorsA(HINSTANCE, LPCSTR name) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    const cw::res::Accelerators* t =
        cw::res::find_accelerators(static_cast<int>(reinterpret_cast<uintptr_t>(name)));
    // The table lives in the program's resources for the whole run, as a loaded resource does.
    return reinterpret_cast<HACCEL>(const_cast<cw::res::Accelerators*>(t));
}

BOOL DestroyAcceleratorTable(HACCEL table) {
    return table ? TRUE : FALSE;
}

int TranslateAcceleratorA(HWND hwnd, HACCEL table, LPMSG msg) {
    const cw::res::Accelerators* t = table_of(table);
    if (!t || !msg || !IsWindow(hwnd)) return 0;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return 0;
    for (int i = 0; i < t->count; ++i) {
        const cw::res::AcceleratorKey& a = t->keys[i];
        if (!matches(a, msg->wParam)) continue;
        if (!IsWindowEnabled(hwnd) || command_disabled(hwnd, a.id)) return 1;
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(a.id, 1), 0);
        return 1;
    }
    return 0;
}
