// What the Qt backend needs of GDI objects: the colour of a class background
// brush (the brushes themselves live in gdi/objects.h), cursors and icons.
#pragma once

#include <QColor>
#include <QCursor>
#include <QIcon>

#include <windows.h>

namespace cw::qt {

bool brush_color(HBRUSH brush, QColor* out);
QColor to_qcolor(COLORREF c);
QCursor qcursor_of(HCURSOR cursor);
QIcon qicon_of(HICON icon);
// The id a cursor was loaded with: a resource id, or the system id (32512 arrow ...).
int cursor_id(HCURSOR cursor);

}  // namespace cw::qt
