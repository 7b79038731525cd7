// Qt widgets behind windows. Only platform/qt includes this.
#pragma once

#include <QImage>
#include <QMenuBar>
#include <QPointer>
#include <QScrollBar>
#include <QString>
#include <QWidget>

#include <string>

#include "qt/view.h"
#include "win/window.h"

namespace cw::qt {

QString to_qt(const std::string& cp932);
QString to_qt(const char* cp932);
std::string from_qt(const QString& s);  // CP932

// The widgets of one window. `frame` covers the window rectangle (for top-level
// windows, the part inside the desktop's own frame); `client` covers the client
// area; the menu bar and scroll bars are parts of the frame.
struct View {
    cw::win::Window* window = nullptr;
    QWidget* frame = nullptr;
    QWidget* client = nullptr;
    QMenuBar* menubar = nullptr;
    QScrollBar* hbar = nullptr;
    QScrollBar* vbar = nullptr;
    QWidget* control = nullptr;  // the Qt widget of a built-in control, inside client
    bool applying = false;       // geometry is being pushed from the window manager
    uint64_t menu_revision = ~0ull;
    QImage pixels;  // what GDI and DirectDraw drew into the client area
    HMENU rendered_menu = nullptr;
};

View* view_of(cw::win::Window* w);
cw::win::Window* window_of(QWidget* widget);  // nearest window whose widget holds this one

// Client coordinates of a point given in the coordinates of one of the view's widgets.
QPoint to_client(View* v, QWidget* from, QPoint p);

// The window message of a Qt mouse event (press, release, double click, move), its key
// state and position; false for other events and other buttons.
bool mouse_message(QEvent* e, UINT* msg, WPARAM* keys, QPoint* pos);
// For controls that route their mouse input through the window procedure: hands a
// mouse event to it as a message. True for every mouse event (other buttons are dropped).
bool route_mouse(cw::win::Window* w, QEvent* e);

// Counts input delivered to windows, so the message loop can tell whether a wait produced anything.
void note_input();

// Keyboard keys the window manager wants to know about (Esc and Enter in dialogs).
bool dialog_key(cw::win::Window* w, int qt_key);

QFont font_for(cw::win::Window* w);
QColor sys_color(int index);

}  // namespace cw::qt
