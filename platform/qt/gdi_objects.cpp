// Qt forms of the window manager's GDI handles: cursor and icon shapes, brush colours.
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
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

// The system's application icon (IDI_APPLICATION) as the classic desktop shows it: a white
// window with a blue title bar. Drawn here at each size, so no toolkit's own logo stands in.
QPixmap application_icon_pixmap(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    const int side = std::max(1, size / 16), top = std::max(1, size / 8);
    const QRect window(side, top, size - 2 * side, size - 2 * top);
    const int title = std::max(2, size * 3 / 16);
    p.fillRect(window, Qt::white);
    p.fillRect(QRect(window.left(), window.top(), window.width(), title), sys_color(COLOR_ACTIVECAPTION));
    p.setPen(Qt::black);
    p.drawRect(window.adjusted(0, 0, -1, -1));
    return pm;
}

QIcon system_icon(int id) {
    if (id != 32512) return QIcon();  // IDI_APPLICATION; the program shows no other system icon
    static const QIcon icon = [] {
        QIcon made;
        for (int size : {12, 13, 14, 15, 16, 18, 20, 24, 32, 48})
            made.addPixmap(application_icon_pixmap(size));
        return made;
    }();
    return icon;
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
    if (!info) return QIcon();
    if (info->system) return system_icon(info->id);
    int hx = 0, hy = 0;
    const QPixmap pm = resource_pixmap(*info, &hx, &hy);
    return pm.isNull() ? QIcon() : QIcon(pm);
}

}  // namespace cw::qt
