// Cursors and icons by id, SetCursor, the pointer position and the system colours.
// A cursor or icon handle names a resource or system id; the backend gives it a shape.
#include <map>
#include <memory>

#include "win/backend.h"
#include "win/resource_tables.h"
#include "win/window.h"

namespace cw::win {

namespace {

std::map<int, std::unique_ptr<CursorInfo>>& cursors() {
    static std::map<int, std::unique_ptr<CursorInfo>> c;
    return c;
}

// Loads once and keeps for the whole run, as the system shares resource cursors.
CursorInfo* load(int id, bool system, bool icon) {
    const int key = (system ? 0x100000 : 0) | (icon ? 0x200000 : 0) | id;
    auto& table = cursors();
    auto it = table.find(key);
    if (it != table.end()) return it->second.get();
    if (!system && !(icon ? cw::res::find_icon(id) : cw::res::find_cursor(id))) return nullptr;
    auto info = std::make_unique<CursorInfo>(CursorInfo{id, system, icon});
    CursorInfo* raw = info.get();
    table[key] = std::move(info);
    return raw;
}

int resource_id(LPCSTR name) {
    if (!IS_INTRESOURCE(name)) return -1;
    return static_cast<int>(reinterpret_cast<uintptr_t>(name));
}

}  // namespace

const CursorInfo* cursor_info(HCURSOR cursor) {
    for (auto& [key, info] : cursors())
        if (reinterpret_cast<HCURSOR>(info.get()) == cursor) return info.get();
    return nullptr;
}

}  // namespace cw::win

DWORD GetSysColor(int index) {
    // The classic desktop scheme the program's colours were chosen against, by index.
    static const COLORREF scheme[] = {
        RGB(212, 208, 200),  // COLOR_SCROLLBAR
        RGB(58, 110, 165),   // COLOR_BACKGROUND
        RGB(10, 36, 106),    // COLOR_ACTIVECAPTION
        RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
        RGB(212, 208, 200),  // COLOR_MENU
        RGB(255, 255, 255),  // COLOR_WINDOW
        RGB(0, 0, 0),        // COLOR_WINDOWFRAME
        RGB(0, 0, 0),        // COLOR_MENUTEXT
        RGB(0, 0, 0),        // COLOR_WINDOWTEXT
        RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
        RGB(212, 208, 200),  // COLOR_ACTIVEBORDER
        RGB(212, 208, 200),  // COLOR_INACTIVEBORDER
        RGB(128, 128, 128),  // COLOR_APPWORKSPACE
        RGB(10, 36, 106),    // COLOR_HIGHLIGHT
        RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
        RGB(212, 208, 200),  // COLOR_BTNFACE
        RGB(128, 128, 128),  // COLOR_BTNSHADOW
        RGB(128, 128, 128),  // COLOR_GRAYTEXT
        RGB(0, 0, 0),        // COLOR_BTNTEXT
        RGB(212, 208, 200),  // COLOR_INACTIVECAPTIONTEXT
        RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
        RGB(64, 64, 64),     // COLOR_3DDKSHADOW
        RGB(212, 208, 200),  // COLOR_3DLIGHT
    };
    static_assert(sizeof scheme / sizeof scheme[0] == COLOR_3DLIGHT + 1);
    return index >= 0 && index <= COLOR_3DLIGHT ? scheme[index] : 0;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    const int id = cw::win::resource_id(name);
    if (id < 0) return nullptr;
    return reinterpret_cast<HCURSOR>(cw::win::load(id, instance == nullptr, false));
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
    const int id = cw::win::resource_id(name);
    if (id < 0) return nullptr;
    return reinterpret_cast<HICON>(cw::win::load(id, instance == nullptr, true));
}

HCURSOR SetCursor(HCURSOR cursor) {
    static HCURSOR current = nullptr;
    HCURSOR old = current;
    current = cursor;
    cw::backend::show_cursor(cw::win::window_from(GetCapture()), cursor);
    return old;
}

BOOL GetCursorPos(LPPOINT pt) {
    if (!pt) return FALSE;
    *pt = cw::backend::cursor_position();
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    cw::backend::set_cursor_position(POINT{x, y});
    return TRUE;
}
