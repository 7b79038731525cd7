#include "qt/gdi_objects.h"

#include <QImage>
#include <QPixmap>

#include <map>
#include <memory>

#include "automation/automation.h"
#include "gdi/objects.h"
#include "qt/view.h"
#include "qt/widgets.h"
#include "win/resource_tables.h"

namespace cw::qt {

namespace {

struct CursorObject {
    int id = 0;
    bool system = true;
    QCursor cursor;
    QIcon icon;
};

std::map<int, std::unique_ptr<CursorObject>>& cursors() {
    static std::map<int, std::unique_ptr<CursorObject>> c;
    return c;
}

QImage image_of(const cw::res::Image& img) {
    QImage q(img.width, img.height, QImage::Format_ARGB32);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) q.setPixel(x, y, img.argb[y * img.width + x]);
    return q;
}

Qt::CursorShape system_shape(int id) {
    switch (id) {
        case 32513: return Qt::IBeamCursor;
        case 32514: return Qt::WaitCursor;
        case 32515: return Qt::CrossCursor;
        case 32646: return Qt::SizeAllCursor;
        case 32648: return Qt::ForbiddenCursor;
    }
    return Qt::ArrowCursor;
}

CursorObject* load(int id, bool system, bool icon) {
    const int key = (system ? 0x100000 : 0) | (icon ? 0x200000 : 0) | id;
    auto& table = cursors();
    auto it = table.find(key);
    if (it != table.end()) return it->second.get();
    auto obj = std::make_unique<CursorObject>();
    obj->id = id;
    obj->system = system;
    if (system) {
        obj->cursor = QCursor(system_shape(id));
    } else {
        const cw::res::Image* img = icon ? cw::res::find_icon(id) : cw::res::find_cursor(id);
        if (!img) return nullptr;
        ensure_application();
        const QPixmap pm = QPixmap::fromImage(image_of(*img));
        obj->cursor = QCursor(pm, img->hotspot_x, img->hotspot_y);
        obj->icon = QIcon(pm);
    }
    CursorObject* raw = obj.get();
    table[key] = std::move(obj);
    return raw;
}

int resource_id(LPCSTR name) {
    if (!IS_INTRESOURCE(name)) return -1;
    return static_cast<int>(reinterpret_cast<uintptr_t>(name));
}

}  // namespace

QColor to_qcolor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

bool brush_color(HBRUSH brush, QColor* out) {
    if (!brush) return false;
    // A class background may also be a system colour index plus one.
    const auto value = reinterpret_cast<uintptr_t>(brush);
    if (value <= COLOR_3DLIGHT + 1) {
        *out = sys_color(static_cast<int>(value) - 1);
        return true;
    }
    COLORREF color;
    if (!cw::gdi::solid_brush_color(brush, &color)) return false;
    *out = to_qcolor(color);
    return true;
}

QColor sys_color(int index) {
    return to_qcolor(GetSysColor(index));
}

QCursor qcursor_of(HCURSOR cursor) {
    auto* obj = reinterpret_cast<CursorObject*>(cursor);
    for (auto& [k, v] : cursors())
        if (v.get() == obj) return obj->cursor;
    return QCursor(Qt::ArrowCursor);
}

QIcon qicon_of(HICON icon) {
    auto* obj = reinterpret_cast<CursorObject*>(icon);
    for (auto& [k, v] : cursors())
        if (v.get() == obj) return obj->icon;
    return QIcon();
}

int cursor_id(HCURSOR cursor) {
    auto* obj = reinterpret_cast<CursorObject*>(cursor);
    for (auto& [k, v] : cursors())
        if (v.get() == obj) return obj->id;
    return 0;
}

}  // namespace cw::qt

DWORD GetSysColor(int index) {
    // The classic desktop scheme the program's colours were chosen against.
    switch (index) {
        case COLOR_SCROLLBAR: return RGB(212, 208, 200);
        case COLOR_BACKGROUND: return RGB(58, 110, 165);
        case COLOR_ACTIVECAPTION: return RGB(10, 36, 106);
        case COLOR_INACTIVECAPTION: return RGB(128, 128, 128);
        case COLOR_MENU: return RGB(212, 208, 200);
        case COLOR_WINDOW: return RGB(255, 255, 255);
        case COLOR_WINDOWFRAME: return RGB(0, 0, 0);
        case COLOR_MENUTEXT: return RGB(0, 0, 0);
        case COLOR_WINDOWTEXT: return RGB(0, 0, 0);
        case COLOR_CAPTIONTEXT: return RGB(255, 255, 255);
        case COLOR_ACTIVEBORDER: return RGB(212, 208, 200);
        case COLOR_INACTIVEBORDER: return RGB(212, 208, 200);
        case COLOR_APPWORKSPACE: return RGB(128, 128, 128);
        case COLOR_HIGHLIGHT: return RGB(10, 36, 106);
        case COLOR_HIGHLIGHTTEXT: return RGB(255, 255, 255);
        case COLOR_BTNFACE: return RGB(212, 208, 200);
        case COLOR_BTNSHADOW: return RGB(128, 128, 128);
        case COLOR_GRAYTEXT: return RGB(128, 128, 128);
        case COLOR_BTNTEXT: return RGB(0, 0, 0);
        case COLOR_INACTIVECAPTIONTEXT: return RGB(212, 208, 200);
        case COLOR_BTNHIGHLIGHT: return RGB(255, 255, 255);
        case COLOR_3DDKSHADOW: return RGB(64, 64, 64);
        case COLOR_3DLIGHT: return RGB(212, 208, 200);
    }
    return 0;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
    const int id = cw::qt::resource_id(name);
    if (id < 0) return nullptr;
    const bool system = instance == nullptr;
    return reinterpret_cast<HCURSOR>(cw::qt::load(id, system, false));
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
    const int id = cw::qt::resource_id(name);
    if (id < 0) return nullptr;
    return reinterpret_cast<HICON>(cw::qt::load(id, instance == nullptr, true));
}

HCURSOR SetCursor(HCURSOR cursor) {
    static HCURSOR current = nullptr;
    HCURSOR old = current;
    current = cursor;
    cw::automation::note_cursor(cw::qt::cursor_id(cursor));
    if (cw::win::Window* w = cw::win::window_from(GetCapture()))
        cw::qt::set_capture_cursor(w, cursor);
    else
        for (cw::win::Window* w : cw::win::all_windows())
            if (cw::qt::view_of(w) && cw::qt::view_of(w)->client->underMouse()) cw::qt::set_cursor(w, cursor);
    return old;
}
