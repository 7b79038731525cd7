// The few GDI-side objects the windowing layer needs: brushes (for class
// backgrounds), system colours, cursors and icons.
#pragma once

#include <QColor>
#include <QCursor>
#include <QIcon>

#include <windows.h>

namespace cw::qt {

struct Brush {
    COLORREF color = 0;
    bool hollow = false;
};

bool brush_color(HBRUSH brush, QColor* out);
QColor to_qcolor(COLORREF c);
QCursor qcursor_of(HCURSOR cursor);
QIcon qicon_of(HICON icon);
// The id a cursor was loaded with: a resource id, or the system id (32512 arrow ...).
int cursor_id(HCURSOR cursor);

}  // namespace cw::qt
