// The Qt side of windows: one widget tree per window, kept in step with the
// window manager's rectangles, and Qt input turned into window messages.
#include "qt/view.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "automation/automation.h"
#include "ddraw/surfaces.h"
#include "qt/drop.h"
#include "qt/gdi_objects.h"
#include "qt/widgets.h"
#include "text/cp932.h"
#include "win/controls.h"
#include "win/mdi.h"
#include "win/menu.h"

using cw::win::Window;

namespace cw::qt {

namespace {

int g_input_count = 0;
std::map<std::string, ViewFactory>& factories() {
    static std::map<std::string, ViewFactory> f;
    return f;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
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
        if (brush_color(w_->cls ? w_->cls->background : nullptr, &bg))
            p.fillRect(rect(), bg);
        else if (w_->dialog)
            p.fillRect(rect(), sys_color(COLOR_BTNFACE));
        else if (cw::win::is_mdi_client(w_))
            p.fillRect(rect(), sys_color(COLOR_APPWORKSPACE));
        if (View* v = view_of(w_); v && !v->pixels.isNull()) p.drawImage(0, 0, v->pixels);
    }
    void mousePressEvent(QMouseEvent* e) override { mouse(e, true); }
    void mouseReleaseEvent(QMouseEvent* e) override { mouse(e, false); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { mouse(e, true); }
    void mouseMoveEvent(QMouseEvent* e) override {
        note_input();
        const QPoint p = e->position().toPoint();
        cw::win::mouse_input(w_, WM_MOUSEMOVE, key_state(e->buttons(), e->modifiers()), p.x(), p.y());
    }

  private:
    void mouse(QMouseEvent* e, bool down) {
        note_input();
        UINT msg = 0;
        switch (e->button()) {
            case Qt::LeftButton: msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
            case Qt::RightButton: msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
            case Qt::MiddleButton: msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
            default: return;
        }
        const QPoint p = e->position().toPoint();
        cw::win::mouse_input(w_, msg, key_state(e->buttons(), e->modifiers()), p.x(), p.y());
    }
    Window* w_;
    HWND h_;
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
        note_input();
        SendMessageA(w_->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    void resizeEvent(QResizeEvent*) override { desktop_moved(); }
    void moveEvent(QMoveEvent*) override {
        // A window that moves to another screen meets another display: primaries are lost.
        if (screen() != last_screen_) {
            if (last_screen_) cw::ddraw::display_changed();
            last_screen_ = screen();
        }
        desktop_moved();
    }
    void changeEvent(QEvent* e) override {
        if (e->type() == QEvent::ActivationChange) {
            if (isActiveWindow())
                cw::win::activate_from_system(w_);
            else if (!QApplication::activeWindow())
                cw::win::activate_from_system(nullptr);
        }
        QWidget::changeEvent(e);
    }
    void keyPressEvent(QKeyEvent* e) override {
        note_input();
        if (dialog_key(w_, e->key())) return;
        if ((e->modifiers() & Qt::ControlModifier) && (e->key() == Qt::Key_F4 || e->key() == Qt::Key_F6)) {
            for (Window* c : w_->children)
                if (cw::win::is_mdi_client(c) &&
                    cw::win::mdi_system_key(c, e->key() == Qt::Key_F4 ? 0x73 : 0x75, true))
                    return;
        }
        QWidget::keyPressEvent(e);
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
        note_input();
        const QPoint p = e->position().toPoint();
        View* v = view_of(w_);
        const QPoint c = v ? to_client(v, this, p) : p;
        post_drop(w_, paths, POINT{c.x(), c.y()});
    }

  private:
    void desktop_moved() {
        View* v = view_of(w_);
        if (!v || v->applying || !isVisible()) return;
        // The desktop frame is known once the window is on screen.
        const QRect fg = frameGeometry(), g = geometry();
        cw::win::Insets sf{g.left() - fg.left(), g.top() - fg.top(), fg.right() - g.right(),
                           fg.bottom() - g.bottom()};
        cw::win::set_system_frame(w_->style, sf);
        RECT r{fg.left(), fg.top(), fg.right() + 1, fg.bottom() + 1};
        if (r.left == w_->rect.left && r.top == w_->rect.top && r.right == w_->rect.right &&
            r.bottom == w_->rect.bottom) {
            sync_geometry(w_);
            return;
        }
        note_input();
        cw::win::set_window_rect(w_, r, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Window* w_;
    HWND h_;
    QScreen* last_screen_ = nullptr;
};

// A child window's frame: borders, and for MDI children the caption with its buttons.
class ChildFrame : public QWidget {
  public:
    ChildFrame(Window* w, QWidget* parent) : QWidget(parent), w_(w), h_(w->handle) { setMouseTracking(true); }
    bool event(QEvent* e) override { return stale(h_, e) || QWidget::event(e); }

  protected:
    void paintEvent(QPaintEvent*) override {
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
        if (mdi && (w_->style & WS_CAPTION) == WS_CAPTION && !w_->maximized) paint_caption(p);
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (!(w_->ex_style & WS_EX_MDICHILD) || e->button() != Qt::LeftButton) return;
        note_input();
        if (Window* client = w_->parent) cw::win::mdi_activate_child(client, w_);
        const QPoint p = e->position().toPoint();
        const int b = button_at(p);
        if (b) {
            const WPARAM cmd = b == 1   ? SC_CLOSE
                               : b == 2 ? (w_->maximized ? SC_RESTORE : SC_MAXIMIZE)
                                        : SC_MINIMIZE;
            PostMessageA(w_->handle, WM_SYSCOMMAND, cmd, 0);
            return;
        }
        drag_origin_ = e->globalPosition().toPoint();
        drag_rect_ = w_->rect;
        drag_edges_ = edges_at(p);
        dragging_ = true;
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (!dragging_) {
            const int edges =
                (w_->ex_style & WS_EX_MDICHILD) && !w_->maximized ? edges_at(e->position().toPoint()) : 0;
            setCursor(edges == 0 || edges == 16 ? Qt::ArrowCursor
                      : (edges & 3) && (edges & 12)
                          ? ((edges == 5 || edges == 10) ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor)
                      : (edges & 3) ? Qt::SizeHorCursor
                                    : Qt::SizeVerCursor);
            return;
        }
        if (w_->maximized) return;
        const QPoint d = e->globalPosition().toPoint() - drag_origin_;
        RECT r = drag_rect_;
        if (drag_edges_ == 16) {
            OffsetRect(&r, d.x(), d.y());
        } else {
            if (drag_edges_ & 1) r.left += d.x();
            if (drag_edges_ & 2) r.right += d.x();
            if (drag_edges_ & 4) r.top += d.y();
            if (drag_edges_ & 8) r.bottom += d.y();
            const int min_w = 3 * cw::win::caption_height(), min_h = cw::win::caption_height() + 8;
            if (r.right - r.left < min_w)
                (drag_edges_ & 1) ? r.left = r.right - min_w : r.right = r.left + min_w;
            if (r.bottom - r.top < min_h)
                (drag_edges_ & 4) ? r.top = r.bottom - min_h : r.bottom = r.top + min_h;
        }
        note_input();
        cw::win::set_window_rect(w_, r, SWP_NOZORDER);
    }
    void mouseReleaseEvent(QMouseEvent*) override { dragging_ = false; }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        if ((w_->ex_style & WS_EX_MDICHILD) && edges_at(e->position().toPoint()) == 16) {
            note_input();
            PostMessageA(w_->handle, WM_SYSCOMMAND, w_->maximized ? SC_RESTORE : SC_MAXIMIZE, 0);
        }
    }

  private:
    QRect caption_rect() const {
        const int f = cw::win::frame_width(w_->style, w_->ex_style);
        return QRect(f, f, width() - 2 * f, cw::win::caption_height());
    }
    QRect button_rect(int i) const {  // 1 close, 2 maximise, 3 minimise
        const QRect c = caption_rect();
        const int s = c.height() - 4;
        return QRect(c.right() - i * (s + 2), c.top() + 2, s, s);
    }
    int button_at(QPoint p) const {
        if (w_->maximized) return 0;
        for (int i = 1; i <= 3; ++i)
            if (button_rect(i).contains(p)) return i;
        return 0;
    }
    int edges_at(QPoint p) const {
        const int f = cw::win::frame_width(w_->style, w_->ex_style);
        int e = 0;
        if (p.x() < f) e |= 1;
        if (p.x() >= width() - f) e |= 2;
        if (p.y() < f) e |= 4;
        if (p.y() >= height() - f) e |= 8;
        if (!e && caption_rect().contains(p)) e = 16;
        return e;
    }
    void paint_caption(QPainter& p) {
        const bool active = w_->parent && cw::win::mdi_active_child(w_->parent) == w_;
        const QRect c = caption_rect();
        p.fillRect(c, sys_color(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        p.setPen(sys_color(COLOR_CAPTIONTEXT));
        QFont f = font();
        f.setBold(true);
        p.setFont(f);
        p.drawText(c.adjusted(4, 0, -3 * (c.height() - 2), 0), Qt::AlignVCenter | Qt::AlignLeft,
                   to_qt(w_->text));
        for (int i = 1; i <= 3; ++i) {
            const QRect b = button_rect(i);
            p.fillRect(b, sys_color(COLOR_BTNFACE));
            p.setPen(sys_color(COLOR_BTNTEXT));
            p.drawRect(b.adjusted(0, 0, -1, -1));
            const QRect g = b.adjusted(4, 4, -5, -5);
            if (i == 1) {
                p.drawLine(g.topLeft(), g.bottomRight());
                p.drawLine(g.topRight(), g.bottomLeft());
            } else if (i == 2) {
                p.drawRect(g);
                p.drawLine(g.left(), g.top() + 1, g.right(), g.top() + 1);
            } else {
                p.drawLine(g.left(), g.bottom(), g.right(), g.bottom());
            }
        }
    }
    Window* w_;
    HWND h_;
    bool dragging_ = false;
    QPoint drag_origin_;
    RECT drag_rect_{};
    int drag_edges_ = 0;
};

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
                note_input();
                // The window decides the position itself; undo Qt's own move.
                bar->blockSignals(true);
                bar->setSliderPosition(vertical ? w->vscroll.pos : w->hscroll.pos);
                bar->blockSignals(false);
                SendMessageA(w->handle, vertical ? WM_VSCROLL : WM_HSCROLL,
                             MAKEWPARAM(code, code == SB_THUMBTRACK ? bar->sliderPosition() : 0), 0);
            });
            QObject::connect(bar, &QScrollBar::sliderReleased, bar, [w, vertical, bar] {
                note_input();
                const int pos = bar->value();
                SendMessageA(w->handle, vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pos),
                             0);
                SendMessageA(w->handle, vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
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

void note_input() {
    ++g_input_count;
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

bool route_mouse(Window* w, QEvent* e) {
    const QEvent::Type t = e->type();
    if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonRelease &&
        t != QEvent::MouseButtonDblClick && t != QEvent::MouseMove)
        return false;
    UINT msg = 0;
    WPARAM keys = 0;
    QPoint p;
    if (!mouse_message(e, &msg, &keys, &p)) return true;
    note_input();
    cw::win::mouse_input(w, msg, keys, p.x(), p.y());
    return true;
}

void register_view_factory(const char* class_name, ViewFactory factory) {
    factories()[lower(class_name)] = factory;
}

bool has_display() {
    const QString platform = QGuiApplication::platformName();
    return platform != "offscreen" && platform != "minimal";
}

void ensure_application() {
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
    // Screens that come, go or change depth change the display under every primary surface.
    auto* app = static_cast<QGuiApplication*>(QCoreApplication::instance());
    QObject::connect(app, &QGuiApplication::screenAdded, [] { cw::ddraw::display_changed(); });
    QObject::connect(app, &QGuiApplication::screenRemoved, [] { cw::ddraw::display_changed(); });
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, [] { cw::ddraw::display_changed(); });
    // The dialogs name the proportional Gothic face of a Japanese system.
    const QString ms_pgothic = QString::fromUtf8("ＭＳ Ｐゴシック");
    QFont::insertSubstitution(ms_pgothic, QStringLiteral("IPAPGothic"));
    QFont app_font(QStringLiteral("IPAPGothic"));
    app_font.setPixelSize(12);
    QApplication::setFont(app_font);
}

QFont font_for(Window* w) {
    QFont f(w && !w->font_face.empty() ? to_qt(w->font_face) : QStringLiteral("IPAPGothic"));
    const int pt = w && w->font_size > 0 ? w->font_size : 9;
    f.setPixelSize((pt * 96 + 36) / 72);
    return f;
}

void font_base_units(const std::string& face, int point_size, int* bx, int* by) {
    ensure_application();
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
        ensure_application();
        QMenuBar probe;
        probe.addMenu(QStringLiteral("File"));
        return std::max(18, probe.sizeHint().height());
    }();
    return h;
}

int status_bar_height() {
    ensure_application();
    QFontMetrics fm(QApplication::font());
    return fm.height() + 9;
}

void create_view(Window* w) {
    ensure_application();
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
    auto it = factories().find(lower(w->cls->name));
    if (it != factories().end()) it->second(w);
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
        const cw::win::Insets sf = cw::win::system_frame(w->style);
        const QRect inner(w->rect.left + sf.left, w->rect.top + sf.top, std::max(1, ww - sf.left - sf.right),
                          std::max(1, wh - sf.top - sf.bottom));
        if (v->frame->geometry() != inner) v->frame->setGeometry(inner);
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
        bar->setValue(s.pos);
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
    MINMAXINFO mmi{};
    mmi.ptMaxTrackSize = POINT{32767, 32767};
    SendMessageA(w->handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    if (!view_of(w)) return;
    const cw::win::Insets sf = cw::win::system_frame(w->style);
    v->frame->setMinimumSize(std::max(0, static_cast<int>(mmi.ptMinTrackSize.x) - sf.left - sf.right),
                             std::max(0, static_cast<int>(mmi.ptMinTrackSize.y) - sf.top - sf.bottom));
}

}  // namespace

void sync_visible(Window* w) {
    View* v = view_of(w);
    if (!v) return;
    const bool show = (w->style & WS_VISIBLE) != 0;
    if (cw::win::is_top_level(w)) {
        if (show) {
            apply_min_track_size(w);
            v->frame->show();
            sync_geometry(w);
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
    sync_control_text(w);
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
    }
}

void request_activation(Window* w) {
    View* v = view_of(w);
    if (!v || !v->frame->isVisible() || !has_display()) return;
    v->frame->raise();
    v->frame->activateWindow();
}

void set_cursor(Window* w, HCURSOR cursor) {
    View* v = view_of(w);
    if (!v) return;
    QWidget* target = v->control ? v->control : v->client;
    target->setCursor(qcursor_of(cursor));
}

bool process_events(bool wait, int timeout_ms) {
    ensure_application();
    const int before = g_input_count;
    if (!wait) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return g_input_count != before;
    }
    QTimer timer;
    if (timeout_ms >= 0) {
        timer.setSingleShot(true);
        timer.start(timeout_ms);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return g_input_count != before || !cw::win::queue_empty();
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
    }
    return ScreenPixels{v->pixels.width(), v->pixels.height(), static_cast<int>(v->pixels.bytesPerLine()),
                        reinterpret_cast<uint32_t*>(v->pixels.bits())};
}

namespace {

QRect dirty_part(View* v, RECT dirty) {
    return QRect(dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top)
        .intersected(v->pixels.rect());
}

}  // namespace

void window_pixels_changed(Window* w, RECT dirty) {
    View* v = view_of(w);
    if (!v || v->pixels.isNull()) return;
    const QRect r = dirty_part(v, dirty);
    // Drawing code leaves the unused top byte as it likes; Qt needs it opaque.
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(v->pixels.scanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) row[x] |= 0xFF000000u;
    }
    v->client->update(r);
}

void window_pixels_opaque_changed(Window* w, RECT dirty) {
    View* v = view_of(w);
    if (!v || v->pixels.isNull()) return;
    v->client->update(dirty_part(v, dirty));
}

int display_bits_per_pixel() {
    static const int bpp = [] {
        const char* e = std::getenv("CELWRIGHT_DISPLAY_BPP");
        const int n = e ? std::atoi(e) : 0;
        if (n == 8 || n == 16 || n == 24 || n == 32) return n;
        ensure_application();
        const QScreen* screen = QGuiApplication::primaryScreen();
        const int depth = screen ? screen->depth() : 32;
        return depth == 8 || depth == 16 || depth == 24 ? depth : 32;
    }();
    return bpp;
}

POINT cursor_position() {
    if (cw::automation::active()) return cw::automation::cursor_position();
    const QPoint p = QCursor::pos();
    return POINT{p.x(), p.y()};
}

}  // namespace cw::qt

BOOL GetCursorPos(LPPOINT pt) {
    if (!pt) return FALSE;
    *pt = cw::qt::cursor_position();
    return TRUE;
}

BOOL SetCursorPos(int x, int y) {
    if (cw::automation::active()) {
        cw::automation::set_cursor_position(POINT{x, y});
        return TRUE;
    }
    QCursor::setPos(x, y);
    return TRUE;
}
