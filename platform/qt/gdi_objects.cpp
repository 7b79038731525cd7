// Qt forms of the window manager's GDI handles: cursor and icon shapes, brush colours.
#include <QImage>
#include <QPixmap>

#include <map>

#include "gdi/objects.h"
#include "qt/widgets.h"
#include "win/resource_tables.h"

namespace cw::qt {

namespace {

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
        case 32642: return Qt::SizeFDiagCursor;
        case 32643: return Qt::SizeBDiagCursor;
        case 32644: return Qt::SizeHorCursor;
        case 32645: return Qt::SizeVerCursor;
        case 32646: return Qt::SizeAllCursor;
        case 32648: return Qt::ForbiddenCursor;
    }
    return Qt::ArrowCursor;
}

// The program's own cursors and icons, made once from the resource tables.
QPixmap resource_pixmap(const cw::win::CursorInfo& info, int* hot_x, int* hot_y) {
    static std::map<std::pair<int, bool>, QPixmap> made;
    const cw::res::Image* img = info.icon ? cw::res::find_icon(info.id) : cw::res::find_cursor(info.id);
    if (!img) return QPixmap();
    *hot_x = img->hotspot_x;
    *hot_y = img->hotspot_y;
    auto key = std::make_pair(info.id, info.icon);
    auto it = made.find(key);
    if (it == made.end()) it = made.emplace(key, QPixmap::fromImage(image_of(*img))).first;
    return it->second;
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
    const cw::win::CursorInfo* info = cw::win::cursor_info(cursor);
    if (!info || info->system) return QCursor(system_shape(info ? info->id : 0));
    int hx = 0, hy = 0;
    const QPixmap pm = resource_pixmap(*info, &hx, &hy);
    return pm.isNull() ? QCursor(Qt::ArrowCursor) : QCursor(pm, hx, hy);
}

QIcon qicon_of(HICON icon) {
    const cw::win::CursorInfo* info = cw::win::cursor_info(reinterpret_cast<HCURSOR>(icon));
    if (!info || info->system) return QIcon();
    int hx = 0, hy = 0;
    const QPixmap pm = resource_pixmap(*info, &hx, &hy);
    return pm.isNull() ? QIcon() : QIcon(pm);
}

}  // namespace cw::qt
