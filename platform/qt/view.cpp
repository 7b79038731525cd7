// The Qt side of windows: one widget tree per window, kept in step with the
// window manager's rectangles, and Qt input turned into window messages.
#include "qt/view.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QCloseEvent>
#include <QCursor>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QUrl>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "qt/backend_impl.h"
#include "qt/widgets.h"
#include "text/cp932.h"
#include "win/controls.h"
#include "win/input.h"
#include "win/mdi.h"
#include "win/menu.h"

using cw::win::Window;

namespace cw::qt {

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

using ViewFactory = void (*)(Window* w);
struct ControlClass {
    const char* name;
    ViewFactory create;
    ViewFactory sync;
};
// The built-in controls that show a Qt widget of their own.
const ControlClass kControls[] = {
    {"BUTTON", create_button, button_sync},
    {"EDIT", create_edit, edit_sync},
    {"COMBOBOX", create_combo, combo_sync},
    {"STATIC", create_static, static_sync},
    {"msctls_statusbar32", create_status, status_sync},
    {"msctls_trackbar32", create_trackbar, trackbar_sync},
    {"SysTreeView32", create_tree, tree_sync},
    {"SysListView32", create_list, listview_sync},
    {"msctls_updown32", create_updown, updown_sync},
};

const ControlClass* control_class(const Window* w) {
    if (!w->cls || !w->cls->builtin) return nullptr;
    for (const ControlClass& c : kControls)
        if (lower(c.name) == lower(w->cls->name)) return &c;
    return nullptr;
}

WPARAM key_state(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
    WPARAM k = 0;
    if (buttons & Qt::LeftButton) k |= MK_LBUTTON;
    if (buttons & Qt::RightButton) k |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) k |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier) k |= MK_SHIFT;
    if (mods & Qt::ControlModifier) k |= MK_CONTROL;
    return k;
}

// While the desktop's activation of a window is reported: Qt gives the keyboard focus back to
// the widget that had it in that window once the report is done, and reports that in turn.
bool g_desktop_activating = false;

// Widgets are deleted later than their windows; events that arrive in between
// must not reach a window that is gone.
bool stale(HWND h, QEvent* e) {
    if (cw::win::window_from(h)) return false;
    switch (e->type()) {
        case QEvent::DeferredDelete:
        case QEvent::ChildAdded:
        case QEvent::ChildRemoved:
        case QEvent::ChildPolished: return false;
        default: return true;
    }
}

// The client area of an ordinary window: mouse input becomes messages, and the
// class background brush is the only thing painted here.
class ClientArea : public QWidget {
  public:
    ClientArea(Window* w, QWidget* parent) : QWidget(parent), w_(w), h_(w->handle) {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent, false);
    }

    bool event(QEvent* e) override { return stale(h_, e) || QWidget::event(e); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QColor bg;
        bool filled = true;
        if (brush_color(w_->cls ? w_->cls->background : nullptr, &bg))
            p.fillRect(rect(), bg);
        else if (w_->dialog)
            p.fillRect(rect(), sys_color(COLOR_BTNFACE));
        else if (cw::win::is_mdi_client(w_))
            p.fillRect(rect(), sys_color(COLOR_APPWORKSPACE));
        else
            filled = false;
        if (View* v = view_of(w_); v && !v->shown.isNull()) p.drawImage(0, 0, v->shown);
        // A client area that covers itself needs nothing behind it painted first: a window
        // drawn at every frame would otherwise have its frame and caption drawn again each time.
        setAttribute(Qt::WA_OpaquePaintEvent, filled);
    }
    void mousePressEvent(QMouseEvent* e) override { mouse(e, true); }
    void mouseReleaseEvent(QMouseEvent* e) override { mouse(e, false); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { mouse(e, true); }
    void mouseMoveEvent(QMouseEvent* e) override {
        const QPoint p = e->position().toPoint();
        cw::win::input_mouse(w_, WM_MOUSEMOVE, key_state(e->buttons(), e->modifiers()), p.x(), p.y());
    }

  private:
    void mouse(QMouseEvent* e, bool down) {
        UINT msg = 0;
        switch (e->button()) {
            case Qt::LeftButton: msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
            case Qt::RightButton: msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
            case Qt::MiddleButton: msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
            default: return;
        }
        const QPoint p = e->position().toPoint();
        cw::win::input_mouse(w_, msg, key_state(e->buttons(), e->modifiers()), p.x(), p.y());
    }
    Window* w_;
    HWND h_;
};

// What GDI draws on the window of a control (a drop outline on the tree, say) lies over
// the control's own picture until the window is invalidated, as on a window DC.
class DrawnOverControl : public QWidget {
  public:
    DrawnOverControl(View* v, QWidget* parent) : QWidget(parent), v_(v) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, v_->overlay_pixels);
    }

  private:
    View* v_;
};

// A top-level window: the desktop draws its frame; the menu bar, scroll bars and
// client area are ours.
class TopFrame : public QWidget {
  public:
    explicit TopFrame(Window* w) : QWidget(nullptr), w_(w), h_(w->handle) {
        setAttribute(Qt::WA_DeleteOnClose, false);
        if (w->ex_style & WS_EX_ACCEPTFILES) setAcceptDrops(true);
    }

    bool event(QEvent* e) override { return stale(h_, e) || QWidget::event(e); }

    // Where the desktop put the window and the frame it drew around it, told to the window
    // manager as a fact.
    void desktop_moved() {
        View* v = view_of(w_);
        if (!v || !isVisible()) return;
        if (v->applying) {
            // What the desktop made of our own change is read once that change is done.
            queue_recheck();
            return;
        }
        // The desktop frame is known once the window is on screen.
        const QRect fg = frameGeometry(), g = geometry();
        const cw::win::Insets sf{g.left() - fg.left(), g.top() - fg.top(), fg.right() - g.right(),
                                 fg.bottom() - g.bottom()};
        cw::win::input_desktop_geometry(w_, RECT{fg.left(), fg.top(), fg.right() + 1, fg.bottom() + 1}, sf);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), sys_color(COLOR_BTNFACE));
        if (w_->ex_style & WS_EX_CLIENTEDGE) {
            View* v = view_of(w_);
            if (v && v->client) {
                const QRect c = v->client->geometry().adjusted(-2, -2, 1, 1);
                p.setPen(sys_color(COLOR_BTNSHADOW));
                p.drawRect(c);
            }
        }
    }
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        cw::win::input_close(w_);
    }
    void resizeEvent(QResizeEvent*) override { desktop_moved(); }
    // The desktop puts its frame around a window when it maps it: read it once shown.
    void showEvent(QShowEvent*) override {
        watch_exposure();
        queue_recheck();
    }
    // What the desktop shows again after covering it (or restoring it) is ours to draw again,
    // as the system asks its windows with WM_PAINT; the backing store is not trusted for it.
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched == windowHandle() && e->type() == QEvent::Expose && windowHandle()->isExposed())
            cw::win::input_exposed(w_);
        return false;
    }
    void moveEvent(QMoveEvent*) override {
        // A window that moves to another screen meets another display: primaries are lost.
        if (screen() != last_screen_) {
            if (last_screen_) cw::win::input_display_changed();
            last_screen_ = screen();
        }
        desktop_moved();
    }
    void changeEvent(QEvent* e) override {
        if (e->type() == QEvent::ActivationChange) {
            // What the desktop did is reported as a fact; the window manager decides.
            const bool was = g_desktop_activating;
            g_desktop_activating = true;
            if (isActiveWindow()) {
                cw::win::input_activated(w_);
            } else if (!QApplication::activeWindow()) {
                // Between one of the program's windows losing the activation and another
                // gaining it the desktop has none active for a moment: the program has lost it
                // only if none of its windows is active once the desktop's events are through.
                QTimer::singleShot(0, this, [] {
                    if (QApplication::activeWindow()) return;
                    const bool before = g_desktop_activating;
                    g_desktop_activating = true;
                    cw::win::input_activated(nullptr);
                    g_desktop_activating = before;
                });
            }
            g_desktop_activating = was;
        }
        QWidget::changeEvent(e);
    }
    void dragEnterEvent(QDragEnterEvent* e) override {
        if (e->mimeData()->hasUrls()) e->acceptProposedAction();
    }
    void dropEvent(QDropEvent* e) override {
        std::vector<std::string> paths;
        for (const QUrl& u : e->mimeData()->urls())
            if (u.isLocalFile()) paths.push_back(u.toLocalFile().toStdString());
        if (paths.empty()) return;
        e->acceptProposedAction();
        const QPoint p = e->position().toPoint();
        View* v = view_of(w_);
        const QPoint c = v ? to_client(v, this, p) : p;
        cw::win::input_files_dropped(w_, paths, POINT{c.x(), c.y()});
    }

  private:
    void watch_exposure() {
        if (watching_ || !windowHandle()) return;
        watching_ = true;
        windowHandle()->installEventFilter(this);
    }
    void queue_recheck() {
        if (recheck_queued_) return;
        recheck_queued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                recheck_queued_ = false;
                desktop_moved();
            },
            Qt::QueuedConnection);
    }
    Window* w_;
    HWND h_;
    QScreen* last_screen_ = nullptr;
    bool recheck_queued_ = false;
    bool watching_ = false;
};

// A child window's frame: borders, and for MDI children the caption with its buttons.
// What a click or a drag on it does is the window manager's; this only paints and reports.
class ChildFrame : public QWidget {
  public:
    ChildFrame(Window* w, QWidget* parent) : QWidget(parent), w_(w), h_(w->handle) { setMouseTracking(true); }
    bool event(QEvent* e) override { return stale(h_, e) || QWidget::event(e); }

  protected:
    void paintEvent(QPaintEvent* e) override {
        QPainter p(this);
        const int f = cw::win::frame_width(w_->style, w_->ex_style);
        if (f <= 0) return;
        const bool mdi = (w_->ex_style & WS_EX_MDICHILD) != 0;
        p.fillRect(rect(), sys_color(mdi ? COLOR_BTNFACE : COLOR_WINDOW));
        p.setPen(sys_color(COLOR_BTNSHADOW));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        if (w_->ex_style & WS_EX_CLIENTEDGE) {
            View* v = view_of(w_);
            if (v && v->client) {
                p.setPen(sys_color(COLOR_3DDKSHADOW));
                p.drawRect(v->client->geometry().adjusted(-1, -1, 0, 0));
            }
        }
        // Laying out the caption's text is the dear part; a paint that misses it skips it.
        if (mdi && (w_->style & WS_CAPTION) == WS_CAPTION && !w_->maximized &&
            e->region().intersects(qrect(cw::win::caption_rect(w_))))
            paint_caption(p);
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) report(e, WM_LBUTTONDOWN);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (!(e->buttons() & Qt::LeftButton)) {
            const QPoint p = e->position().toPoint();
            setCursor(qcursor_of(cw::win::nonclient_cursor(w_, POINT{p.x(), p.y()})));
            return;
        }
        report(e, WM_MOUSEMOVE);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) report(e, WM_LBUTTONUP);
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton) report(e, WM_LBUTTONDBLCLK);
    }

  private:
    void report(QMouseEvent* e, UINT msg) {
        const QPoint p = e->position().toPoint(), g = e->globalPosition().toPoint();
        cw::win::input_nonclient_mouse(w_, msg, POINT{p.x(), p.y()}, POINT{g.x(), g.y()});
    }
    static QRect qrect(RECT r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }
    void paint_caption(QPainter& p) {
        const bool active = w_->parent && cw::win::mdi_active_child(w_->parent) == w_;
        const QRect c = qrect(cw::win::caption_rect(w_));
        p.fillRect(c, sys_color(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        p.setPen(sys_color(COLOR_CAPTIONTEXT));
        QFont f = font();
        f.setBold(true);
        p.setFont(f);
        p.drawText(c.adjusted(4, 0, -3 * (c.height() - 2), 0), Qt::AlignVCenter | Qt::AlignLeft,
                   to_qt(w_->text));
        for (int hit : {HTCLOSE, HTMAXBUTTON, HTMINBUTTON})
            paint_caption_button(p, qrect(cw::win::caption_button_rect(w_, hit)),
                                 hit == HTCLOSE       ? SC_CLOSE
                                 : hit == HTMAXBUTTON ? SC_MAXIMIZE
                                                      : SC_MINIMIZE,
                                 false, true);
    }
    Window* w_;
    HWND h_;
};

}  // namespace

void paint_caption_button(QPainter& p, const QRect& b, UINT command, bool down, bool enabled) {
    p.save();
    p.fillRect(b, sys_color(COLOR_BTNFACE));
    p.setPen(sys_color(COLOR_BTNTEXT));
    p.drawRect(b.adjusted(0, 0, -1, -1));
    if (down) {
        p.setPen(sys_color(COLOR_BTNSHADOW));
        p.drawLine(b.left() + 1, b.top() + 1, b.right() - 1, b.top() + 1);
        p.drawLine(b.left() + 1, b.top() + 1, b.left() + 1, b.bottom() - 1);
    }
    p.setPen(sys_color(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    // The glyph is square, centred, whatever the button's shape.
    const int side = std::min(b.width(), b.height()) - 9;
    const QRect g = QRect(b.left() + (b.width() - side) / 2, b.top() + (b.height() - side) / 2, side, side)
                        .translated(down ? 1 : 0, down ? 1 : 0);
    switch (command) {
        case SC_CLOSE:
            p.drawLine(g.topLeft(), g.bottomRight());
            p.drawLine(g.topRight(), g.bottomLeft());
            break;
        case SC_MAXIMIZE:
            p.drawRect(g);
            p.drawLine(g.left(), g.top() + 1, g.right(), g.top() + 1);
            break;
        case SC_RESTORE: {
            // Two windows, the front one lower left.
            const int d = std::max(2, g.width() / 3);
            const QRect back = g.adjusted(d, 0, 0, -d), front = g.adjusted(0, d, -d, 0);
            p.drawRect(back);
            p.drawLine(back.left(), back.top() + 1, back.right(), back.top() + 1);
            p.fillRect(front, sys_color(COLOR_BTNFACE));
            p.drawRect(front);
            p.drawLine(front.left(), front.top() + 1, front.right(), front.top() + 1);
            break;
        }
        default: p.drawLine(g.left(), g.bottom(), g.right(), g.bottom()); break;
    }
    p.restore();
}

namespace {

QWidget* parent_client_widget(Window* w) {
    if (cw::win::is_top_level(w)) return nullptr;
    View* pv = view_of(w->parent);
    return pv ? pv->client : nullptr;
}

void place_scrollbars(View* v, QPoint client_pos, QSize client_size) {
    Window* w = v->window;
    const int s = cw::win::scrollbar_size();
    auto make = [&](QScrollBar*& bar, Qt::Orientation o, bool vertical) {
        if (!bar) {
            bar = new QScrollBar(o, v->frame);
            QObject::connect(bar, &QScrollBar::actionTriggered, bar, [w, vertical, bar](int action) {
                int code = -1;
                switch (action) {
                    case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
                    case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
                    case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
                    case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
                    case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
                    case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
                    case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
                }
                if (code < 0) return;
                // The window decides the position itself; undo Qt's own move. While the thumb is
                // dragged it follows the mouse, as the system's does, until it is let go.
                const int track = bar->sliderPosition();
                if (code != SB_THUMBTRACK) {
                    bar->blockSignals(true);
                    bar->setSliderPosition(vertical ? w->vscroll.pos : w->hscroll.pos);
                    bar->blockSignals(false);
                }
                cw::win::input_scroll(w, vertical, code, code == SB_THUMBTRACK ? track : 0);
            });
            QObject::connect(bar, &QScrollBar::sliderReleased, bar, [w, vertical, bar] {
                cw::win::input_scroll(w, vertical, SB_THUMBPOSITION, bar->sliderPosition());
                cw::win::input_scroll(w, vertical, SB_ENDSCROLL, 0);
            });
        }
    };
    if (w->hscroll.shown) make(v->hbar, Qt::Horizontal, false);
    if (w->vscroll.shown) make(v->vbar, Qt::Vertical, true);
    if (v->hbar) {
        v->hbar->setVisible(w->hscroll.shown);
        v->hbar->setGeometry(client_pos.x(), client_pos.y() + client_size.height(), client_size.width(), s);
    }
    if (v->vbar) {
        v->vbar->setVisible(w->vscroll.shown);
        v->vbar->setGeometry(client_pos.x() + client_size.width(), client_pos.y(), s, client_size.height());
    }
}

}  // namespace

QString to_qt(const std::string& cp932) {
    return QString::fromStdString(cw::text::cp932_to_utf8(cp932));
}
QString to_qt(const char* cp932) {
    return to_qt(std::string(cp932 ? cp932 : ""));
}
std::string from_qt(const QString& s) {
    return cw::text::utf8_to_cp932(s.toStdString());
}

View* view_of(Window* w) {
    return w ? w->view : nullptr;
}

Window* window_of(QWidget* widget) {
    for (; widget; widget = widget->parentWidget()) {
        const QVariant v = widget->property("cw_hwnd");
        if (v.isValid()) return cw::win::window_from(reinterpret_cast<HWND>(v.value<qulonglong>()));
    }
    return nullptr;
}

QPoint to_client(View* v, QWidget* from, QPoint p) {
    if (!v->client || from == v->client) return p;
    return v->client->mapFrom(from, p);
}

bool mouse_message(QEvent* e, UINT* msg, WPARAM* keys, QPoint* pos) {
    const QEvent::Type t = e->type();
    if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonRelease &&
        t != QEvent::MouseButtonDblClick && t != QEvent::MouseMove)
        return false;
    auto* m = static_cast<QMouseEvent*>(e);
    const bool press = t != QEvent::MouseButtonRelease;
    if (t == QEvent::MouseMove)
        *msg = WM_MOUSEMOVE;
    else if (m->button() == Qt::LeftButton)
        *msg = t == QEvent::MouseButtonDblClick ? WM_LBUTTONDBLCLK : press ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    else if (m->button() == Qt::RightButton)
        *msg = press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    else
        return false;
    *keys = key_state(m->buttons(), m->modifiers());
    *pos = m->position().toPoint();
    return true;
}

namespace {

class ProcedureInput : public QObject {
  public:
    ProcedureInput(Window* w, std::initializer_list<int> qt_keys, QObject* parent)
        : QObject(parent), w_(w), keys_(qt_keys) {}

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (route_mouse(w_, e)) return true;
        if (e->type() != QEvent::KeyPress) return false;
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (std::find(keys_.begin(), keys_.end(), key) == keys_.end()) return false;
        cw::win::input_key(w_, WM_KEYDOWN, virtual_key(key));
        return true;
    }

  private:
    Window* w_;
    std::vector<int> keys_;
};

}  // namespace

void route_input_to_procedure(Window* w, QAbstractScrollArea* widget, std::initializer_list<int> qt_keys) {
    widget->viewport()->installEventFilter(new ProcedureInput(w, qt_keys, widget));
    widget->installEventFilter(new ProcedureInput(w, qt_keys, widget));
}

bool route_mouse(Window* w, QEvent* e) {
    const QEvent::Type t = e->type();
    if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonRelease &&
        t != QEvent::MouseButtonDblClick && t != QEvent::MouseMove)
        return false;
    UINT msg = 0;
    WPARAM keys = 0;
    QPoint p;
    if (!mouse_message(e, &msg, &keys, &p)) return true;
    cw::win::input_mouse(w, msg, keys, p.x(), p.y());
    return true;
}

QFont font_for(Window* w) {
    QFont f(w && !w->font_face.empty() ? to_qt(w->font_face) : QStringLiteral("IPAPGothic"));
    const int pt = w && w->font_size > 0 ? w->font_size : 9;
    f.setPixelSize((pt * 96 + 36) / 72);
    return f;
}

namespace {

// Qt's own texts (dialog buttons, file dialog labels) read as on a Japanese system.
void load_japanese_translations(QCoreApplication* app) {
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* name : {"qtbase_ja", "qt_ja"}) {
        auto* t = new QTranslator(app);
        if (t->load(QString::fromLatin1(name), dir))
            QCoreApplication::installTranslator(t);
        else
            delete t;
    }
}

// The time of the user's last input (GetLastInputInfo) is taken from every input event the
// application receives, whichever widget it goes to: a control's own widget takes its clicks
// and keys without the window manager hearing of them.
class InputTime : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::Wheel:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::InputMethod:
            case QEvent::Drop:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
            case QEvent::TabletPress:
            case QEvent::TabletMove:
            case QEvent::TabletRelease: cw::win::note_user_input(); break;
            default: break;
        }
        return false;
    }
};

}  // namespace

}  // namespace cw::qt

namespace cw::qt::impl {

bool has_display() {
    const QString platform = QGuiApplication::platformName();
    return platform != "offscreen" && platform != "minimal";
}

void ensure_started() {
    if (QApplication::instance()) return;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    if ((!qpa || !*qpa) && (!display || !*display) && (!wayland || !*wayland))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt wants a private runtime folder; a session without one gets a temporary one.
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        static std::string runtime =
            (std::filesystem::temp_directory_path() / "celwright-runtime-XXXXXX").string();
        if (mkdtemp(runtime.data())) setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    static int argc = 1;
    static char name[] = "celwright";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    queue_keys();
    // Installed last, so that it sees every event before the key queue takes some away.
    QApplication::instance()->installEventFilter(new InputTime(QApplication::instance()));
    // The installed desktop entry's name: a Wayland desktop matches the windows to their menu
    // entry and icon by it (an X11 desktop by the window class, "celwright", the name above).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.celwright.Celwright"));
    // Screens that come, go or change depth change the display under every primary surface.
    auto* app = static_cast<QGuiApplication*>(QCoreApplication::instance());
    QObject::connect(app, &QGuiApplication::screenAdded, [] { cw::win::input_display_changed(); });
    QObject::connect(app, &QGuiApplication::screenRemoved, [] { cw::win::input_display_changed(); });
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, [] { cw::win::input_display_changed(); });
    load_japanese_translations(app);
    // The dialogs name the proportional Gothic face of a Japanese system.
    const QString ms_pgothic = QString::fromUtf8("ＭＳ Ｐゴシック");
    QFont::insertSubstitution(ms_pgothic, QStringLiteral("IPAPGothic"));
    QFont app_font(QStringLiteral("IPAPGothic"));
    app_font.setPixelSize(12);
    QApplication::setFont(app_font);
}

void font_base_units(const std::string& face, int point_size, int* bx, int* by) {
    ensure_started();
    QFont f(face.empty() ? QStringLiteral("IPAPGothic") : to_qt(face));
    f.setPixelSize((point_size * 96 + 36) / 72);
    QFontMetrics fm(f);
    const int width =
        fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    *bx = (width / 26 + 1) / 2;
    *by = fm.height();
    if (*bx <= 0) *bx = 6;
    if (*by <= 0) *by = 13;
}

int menu_bar_height() {
    static int h = [] {
        ensure_started();
        QMenuBar probe;
        probe.addMenu(QStringLiteral("File"));
        return std::max(18, probe.sizeHint().height());
    }();
    return h;
}

// The system's status bar stands its text with two-pixel borders and a pixel of frame above and
// below: in the dialogs' face (IPA P Gothic, 13 pixels high) it is 20 pixels high, as under Wine.
int status_bar_height() {
    ensure_started();
    QFontMetrics fm(QApplication::font());
    return fm.height() + 7;
}

void create_view(Window* w) {
    ensure_started();
    auto* v = new View;
    v->window = w;
    w->view = v;
    const bool top = cw::win::is_top_level(w);
    if (top) {
        auto* f = new TopFrame(w);
        f->setWindowTitle(to_qt(w->text));
        if (w->owner && view_of(w->owner)) {
            // Owned windows stay above their owner, as on the desktop they were designed for.
            f->setParent(view_of(w->owner)->frame, Qt::Window | Qt::Dialog);
            if (!(w->style & WS_MINIMIZEBOX)) f->setWindowFlag(Qt::WindowMinimizeButtonHint, false);
            if (w->style & WS_MAXIMIZEBOX) f->setWindowFlag(Qt::WindowMaximizeButtonHint, true);
        }
        if (!(w->style & WS_THICKFRAME) && (w->style & WS_CAPTION))
            f->setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
        v->frame = f;
    } else {
        v->frame = new ChildFrame(w, parent_client_widget(w));
    }
    v->frame->setProperty("cw_hwnd",
                          QVariant::fromValue<qulonglong>(reinterpret_cast<qulonglong>(w->handle)));
    v->client = new ClientArea(w, v->frame);
    v->frame->setFont(font_for(w));
    if (const ControlClass* c = control_class(w)) c->create(w);
    if (top && w->menu) sync_menu_bar(w);
    sync_geometry(w);
    sync_enabled(w);
    if (!top && (w->style & WS_VISIBLE)) v->frame->show();
    if (!top && !(w->style & WS_VISIBLE)) v->frame->hide();
}

void destroy_view(Window* w) {
    View* v = view_of(w);
    if (!v) return;
    w->view = nullptr;
    v->frame->setProperty("cw_hwnd", QVariant());
    v->frame->hide();
    v->frame->deleteLater();
    delete v;
}

void sync_geometry(Window* w) {
    View* v = view_of(w);
    if (!v) return;
    v->applying = true;
    const cw::win::Insets in = cw::win::nonclient_insets(w);
    const RECT c = cw::win::client_rect_of(w);
    const int ww = w->rect.right - w->rect.left, wh = w->rect.bottom - w->rect.top;
    QPoint client_pos(in.left, in.top);
    if (cw::win::is_top_level(w)) {
        // A top-level window's rectangle is its outer frame: Qt's move() places the frame the
        // desktop draws, resize() sizes what lies inside it.
        const cw::win::Insets sf = cw::win::system_frame(w->style);
        const QPoint outer(w->rect.left, w->rect.top);
        const QSize inner(std::max(1, ww - sf.left - sf.right), std::max(1, wh - sf.top - sf.bottom));
        if (v->frame->pos() != outer || !v->frame->testAttribute(Qt::WA_Moved)) v->frame->move(outer);
        if (v->frame->size() != inner) v->frame->resize(inner);
        client_pos -= QPoint(sf.left, sf.top);
        if (v->menubar) {
            v->menubar->setGeometry(0, 0, inner.width(), cw::win::menu_bar_height());
            v->menubar->setVisible(w->menu != nullptr);
        }
    } else {
        v->frame->setGeometry(w->rect.left, w->rect.top, std::max(0, ww), std::max(0, wh));
    }
    v->client->setGeometry(client_pos.x(), client_pos.y(), c.right, c.bottom);
    if (v->control) v->control->setGeometry(0, 0, c.right, c.bottom);
    place_scrollbars(v, client_pos, QSize(c.right, c.bottom));
    v->frame->update();
    v->applying = false;
}

void sync_scrollbars(Window* w) {
    View* v = view_of(w);
    if (!v) return;
    auto apply = [](QScrollBar* bar, const cw::win::ScrollBarState& s) {
        if (!bar) return;
        const QSignalBlocker block(bar);
        const int page = static_cast<int>(s.page);
        bar->setRange(s.min, std::max(s.min, s.max - std::max(0, page - 1)));
        bar->setPageStep(page > 0 ? page : std::max(1, (s.max - s.min) / 10));
        if (!bar->isSliderDown()) bar->setValue(s.pos);  // a dragged thumb follows the mouse
        bar->setVisible(s.shown);
    };
    sync_geometry(w);
    apply(v->hbar, w->hscroll);
    apply(v->vbar, w->vscroll);
}

namespace {

// The desktop's window manager enforces the minimum tracking size while the user drags the frame.
void apply_min_track_size(Window* w) {
    View* v = view_of(w);
    if (!v || !(w->style & WS_THICKFRAME)) return;
    const MINMAXINFO mmi = cw::win::track_sizes(w);
    if (!view_of(w)) return;
    const cw::win::Insets sf = cw::win::system_frame(w->style);
    v->frame->setMinimumSize(std::max(0, static_cast<int>(mmi.ptMinTrackSize.x) - sf.left - sf.right),
                             std::max(0, static_cast<int>(mmi.ptMinTrackSize.y) - sf.top - sf.bottom));
}

// On the system a window stands where the desktop put it, in its frame, by the time ShowWindow
// returns: whatever the program places next beside it is placed by that. An X desktop maps and
// frames a window a moment after it is asked to, so the window manager is told where it went
// before ShowWindow returns. Input waits meanwhile, as it waits for the system's ShowWindow.
void wait_until_on_screen(View* v) {
    constexpr int kDeadlineMs = 1500;
    QWindow* shown = v->frame->windowHandle();
    if (!has_display() || !shown) return;
    QElapsedTimer waited;
    waited.start();
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(kDeadlineMs);
    while (!shown->isExposed() && waited.elapsed() < kDeadlineMs)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::WaitForMoreEvents);
    if (auto* top = dynamic_cast<TopFrame*>(v->frame)) top->desktop_moved();
}

}  // namespace

void sync_visible(Window* w) {
    View* v = view_of(w);
    if (!v) return;
    const bool show = (w->style & WS_VISIBLE) != 0;
    if (cw::win::is_top_level(w)) {
        if (show) {
            apply_min_track_size(w);
            const bool was_shown = v->frame->isVisible();
            v->frame->show();
            sync_geometry(w);
            if (!was_shown) wait_until_on_screen(v);
        } else {
            v->frame->hide();
        }
    } else {
        v->frame->setVisible(show);
    }
}

void sync_enabled(Window* w) {
    View* v = view_of(w);
    if (!v) return;
    const bool enabled = !(w->style & WS_DISABLED);
    if (cw::win::is_top_level(w)) {
        // A disabled top-level window refuses input but still shows its contents.
        v->client->setEnabled(enabled);
        if (v->menubar) v->menubar->setEnabled(enabled);
    } else {
        v->frame->setEnabled(enabled);
    }
}

void sync_text(Window* w) {
    View* v = view_of(w);
    if (!v) return;
    if (cw::win::is_top_level(w)) v->frame->setWindowTitle(to_qt(w->text));
    v->frame->setFont(font_for(w));
    v->frame->update();
    control_changed(w);
}

void sync_zorder(Window* w) {
    View* v = view_of(w);
    if (v && !cw::win::is_top_level(w)) v->frame->raise();  // child widgets stack in any platform
}

void invalidate(Window* w) {
    View* v = view_of(w);
    if (v) {
        v->frame->update();
        v->client->update();
        if (v->control) v->control->update();
        // A control repaints itself over whatever was drawn on its window.
        if (v->overlay) {
            v->overlay_pixels.fill(Qt::transparent);
            v->overlay->update();
        }
    }
}

void request_activation(Window* w) {
    View* v = view_of(w);
    if (!v || !v->frame->isVisible()) return;
    if (has_display()) v->frame->raise();
    v->frame->activateWindow();
}

void focus_changed(Window* w) {
    // The focus the window manager moves while it hears of an activation is where Qt puts it
    // back right after (the widget last focused in that window), and it follows Qt there.
    if (g_desktop_activating) return;
    QWidget* focus = QApplication::focusWidget();
    if (!w) {
        if (focus && window_of(focus)) focus->clearFocus();
        return;
    }
    View* v = view_of(w);
    // A widget inside the window's own (a combo box's field) already has it.
    if (!v || (focus && window_of(focus) == w)) return;
    // Qt gives it the focus now when the window is active, else when the window is activated.
    (v->control ? v->control : v->client)->setFocus(Qt::OtherFocusReason);
}

void show_cursor(Window* capture, HCURSOR cursor) {
    if (capture) {
        set_capture_cursor(capture, cursor);
        return;
    }
    for (Window* w : cw::win::all_windows()) {
        View* v = view_of(w);
        if (!v || !v->client->underMouse()) continue;
        QWidget* target = v->control ? v->control : v->client;
        target->setCursor(qcursor_of(cursor));
    }
}

namespace {

int g_event_depth = 0;  // process_events calls under way, nested in each other

// Widgets of destroyed windows and menus taken off a bar go by deleteLater, and Qt deletes
// such objects when one of its event loops gets back to the level they were posted at. The
// program's loop is not one of Qt's: what a posted message destroys would stay for the life of
// the process. The program's outermost wait is the moment none of them can be on the stack.
void delete_destroyed_widgets() {
    if (g_event_depth == 1) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

bool process_events(bool wait, int timeout_ms) {
    ensure_started();
    ++g_event_depth;
    struct Leave {
        ~Leave() { --g_event_depth; }
    } leave;
    delete_destroyed_widgets();
    const unsigned before = cw::win::input_count();
    if (!wait) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return cw::win::input_count() != before;
    }
    QTimer timer;
    if (timeout_ms >= 0) {
        // The program paces its frames on these waits: a coarse timer would let them drift.
        timer.setTimerType(Qt::PreciseTimer);
        timer.setSingleShot(true);
        timer.start(timeout_ms);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return cw::win::input_count() != before || !cw::win::queue_empty();
}

void wake() {
    if (auto* d = QAbstractEventDispatcher::instance()) d->wakeUp();
}

ScreenPixels window_pixels(Window* w) {
    View* v = view_of(w);
    if (!v) return {};
    const RECT c = cw::win::client_rect_of(w);
    const QSize size(std::max<int>(1, c.right), std::max<int>(1, c.bottom));
    if (v->pixels.size() != size) {
        QImage next(size, QImage::Format_RGB32);
        next.fill(sys_color(COLOR_BTNFACE));
        if (!v->pixels.isNull()) {
            QPainter p(&next);
            p.drawImage(0, 0, v->pixels);
        }
        v->pixels = next;
        v->drawn = QImage();
        v->shown = QImage();
    }
    return ScreenPixels{v->pixels.width(), v->pixels.height(), static_cast<int>(v->pixels.bytesPerLine()),
                        reinterpret_cast<uint32_t*>(v->pixels.bits())};
}

namespace {

void draw_over_control(View* v, QRect r) {
    if (!v->overlay) {
        v->overlay = new DrawnOverControl(v, v->client);
        v->overlay->show();
    }
    if (v->overlay_pixels.size() != v->pixels.size()) {
        v->overlay_pixels = QImage(v->pixels.size(), QImage::Format_ARGB32);
        v->overlay_pixels.fill(Qt::transparent);
    }
    v->overlay->setGeometry(0, 0, v->pixels.width(), v->pixels.height());
    v->overlay->raise();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(v->pixels.constScanLine(y)) + r.left();
        auto* out = reinterpret_cast<uint32_t*>(v->overlay_pixels.scanLine(y)) + r.left();
        for (int x = 0; x < r.width(); ++x) out[x] = row[x] | 0xFF000000u;
    }
    ++v->presented_frames;
    v->overlay->update(r);
}

}  // namespace

void window_pixels_changed(Window* w, RECT dirty) {
    View* v = view_of(w);
    if (!v || v->pixels.isNull()) return;
    const QRect r = QRect(dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top)
                        .intersected(v->pixels.rect());
    if (r.isEmpty()) return;
    if (v->control) {
        draw_over_control(v, r);
        return;
    }
    if (v->drawn.size() != v->pixels.size()) {
        // A new buffer: what it holds is on screen from now on.
        v->drawn = v->pixels.copy();
        v->shown = v->pixels.copy();
        for (int y = 0; y < v->shown.height(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(v->shown.scanLine(y));
            for (int x = 0; x < v->shown.width(); ++x) row[x] |= 0xFF000000u;
        }
        v->client->update();
    }
    // A window redrawn with what it already shows costs nothing on screen: only rows that
    // differ from what was drawn last time are put there.
    int first = -1, last = -1;
    const size_t bytes = static_cast<size_t>(r.width()) * 4;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(v->pixels.constScanLine(y)) + r.left();
        auto* before = reinterpret_cast<uint32_t*>(v->drawn.scanLine(y)) + r.left();
        if (std::memcmp(row, before, bytes) == 0) continue;
        std::memcpy(before, row, bytes);
        // Drawing code leaves the unused top byte as it likes; the screen needs it opaque.
        auto* out = reinterpret_cast<uint32_t*>(v->shown.scanLine(y)) + r.left();
        for (int x = 0; x < r.width(); ++x) out[x] = row[x] | 0xFF000000u;
        if (first < 0) first = y;
        last = y;
    }
    if (first < 0) return;
    ++v->presented_frames;
    v->client->update(QRect(r.left(), first, r.width(), last - first + 1));
}

int display_bits_per_pixel() {
    static const int bpp = [] {
        const char* e = std::getenv("CELWRIGHT_DISPLAY_BPP");
        const int n = e ? std::atoi(e) : 0;
        if (n == 8 || n == 16 || n == 24 || n == 32) return n;
        ensure_started();
        // A screen of depth 24 keeps each pixel in 32 bits, as the 32-bit displays do.
        const QScreen* screen = QGuiApplication::primaryScreen();
        const int depth = screen ? screen->depth() : 32;
        return depth == 8 || depth == 16 ? depth : 32;
    }();
    return bpp;
}

namespace {

RECT rect_of(const QRect& r) {
    return RECT{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

}  // namespace

RECT screen_rect() {
    ensure_started();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? rect_of(screen->geometry()) : RECT{0, 0, 1920, 1080};
}

RECT work_area() {
    ensure_started();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? rect_of(screen->availableGeometry()) : screen_rect();
}

POINT cursor_position() {
    const QPoint p = QCursor::pos();
    return POINT{p.x(), p.y()};
}

void set_cursor_position(POINT p) {
    QCursor::setPos(p.x, p.y);
}

void control_changed(Window* w) {
    if (!view_of(w)) return;
    if (const ControlClass* c = control_class(w)) c->sync(w);
}

}  // namespace cw::qt::impl
