// Qt widgets behind windows. Only platform/qt includes this.
#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QString>
#include <QWidget>

#include <initializer_list>
#include <string>
#include <vector>

#include "qt/view.h"
#include "win/window.h"

namespace cw::qt {

QString to_qt(const std::string& cp932);
QString to_qt(const char* cp932);
std::string from_qt(const QString& s);  // CP932

}  // namespace cw::qt

// The widgets of one window. `frame` covers the window rectangle (for top-level
// windows, the part inside the desktop's own frame); `client` covers the client
// area; the menu bar and scroll bars are parts of the frame.
struct cw::backend::View {
    cw::win::Window* window = nullptr;
    QWidget* frame = nullptr;
    QWidget* client = nullptr;
    QMenuBar* menubar = nullptr;
    QScrollBar* hbar = nullptr;
    QScrollBar* vbar = nullptr;
    QWidget* control = nullptr;  // the Qt widget of a built-in control, inside client
    bool applying = false;       // geometry is being pushed from the window manager
    uint64_t menu_revision = ~0ull;
    QImage pixels;  // what GDI and DirectDraw draw into the client area
    QImage drawn;   // those pixels as they were when last presented
    QImage shown;   // what the client area shows of them (opaque)
    // For a control's window: what was drawn over the control since it was last invalidated.
    QWidget* overlay = nullptr;
    QImage overlay_pixels;
    HMENU rendered_menu = nullptr;
    QWidget* bar_buttons = nullptr;  // a maximised MDI child's caption buttons, right of the menu bar
    uint64_t presented_frames = 0;   // times the pixels were put on screen
};

namespace cw::qt {

using View = cw::backend::View;

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
// For the controls whose procedure moves their selection (the tree and the list view): every
// mouse event of the widget and its viewport, and the given keys (Qt::Key_*) pressed in it, go
// to the window procedure as messages; the widget's own handling never sees them.
void route_input_to_procedure(cw::win::Window* w, QAbstractScrollArea* widget,
                              std::initializer_list<int> qt_keys);

// The VK_ code of a Qt key, 0 for keys the window manager has no use for.
UINT virtual_key(int qt_key);
// From the start on, the keys a Win32 program's loop looks at (with Ctrl or Alt, Tab, Enter,
// Esc, Delete, the function keys) go to the window manager's queue for the focused window.
void queue_keys();

// Each control class creates its widget and shows its state.
void create_button(cw::win::Window* w);
void create_edit(cw::win::Window* w);
void create_combo(cw::win::Window* w);
void create_static(cw::win::Window* w);
void create_status(cw::win::Window* w);
void create_trackbar(cw::win::Window* w);
void create_tree(cw::win::Window* w);
void create_list(cw::win::Window* w);
void create_updown(cw::win::Window* w);
void button_sync(cw::win::Window* w);
void edit_sync(cw::win::Window* w);
void combo_sync(cw::win::Window* w);
void static_sync(cw::win::Window* w);
void status_sync(cw::win::Window* w);
void trackbar_sync(cw::win::Window* w);
void tree_sync(cw::win::Window* w);
void listview_sync(cw::win::Window* w);
void updown_sync(cw::win::Window* w);

// Menu bars and popups (menus.cpp).
// Mouse capture (capture.cpp): a cursor set while a window holds the capture.
void set_capture_cursor(cw::win::Window* w, HCURSOR cursor);

void sync_menu_bar_widget(cw::win::Window* w);
// A caption button (SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE or SC_CLOSE) as a child's caption and a
// maximised child's buttons on the frame's menu bar show it.
void paint_caption_button(QPainter& p, const QRect& r, UINT command, bool down, bool enabled);
void fill_popup(QMenu* menu, HMENU model_handle, HWND owner, UINT* chosen);
// The path through a menu bar's or a popup's actions to a command: by the texts shown along it
// (UTF-8; an item that shows its key after a tab answers to its text alone too, as a user reads
// it), or by the command's id when texts is empty. Each submenu on the way is filled as when it
// opens. Empty when found; otherwise why not, what is missing worded by not_shown ("\"text\"" or
// the id).
std::string menu_path(const QList<QAction*>& actions, const std::vector<std::string>& texts, UINT id,
                      std::vector<QAction*>* path, std::string (*not_shown)(const std::string& what));
// The filter list of a file dialog as Qt takes it.
QStringList file_dialog_filters(const std::vector<std::string>& pairs);

// Cursors, icons and brush colours of the window manager's handles.
QCursor qcursor_of(HCURSOR cursor);
QIcon qicon_of(HICON icon);
bool brush_color(HBRUSH brush, QColor* out);
QColor to_qcolor(COLORREF c);
QFont font_for(cw::win::Window* w);
QColor sys_color(int index);

}  // namespace cw::qt
