// Input for the test seam as a user gives it: Qt mouse events handed to the windows on screen
// through Qt's own entry for a platform's input, the way the desktop delivers them, and key
// events handed to the widget that has the keyboard focus (the window manager's focus, GetFocus,
// is only read to find it). Qt routes the mouse (the widget under the pointer, the implicit grab
// of a pressed button, double clicks) and the backend turns both into messages as it does for
// every user; nothing here calls into the window manager to act.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <map>

#include "automation/automation.h"
#include "automation/inspect.h"
#include "qt/widgets.h"
#include "win/window.h"

using cw::win::Window;

namespace cw::automation {

namespace {

using cw::qt::View;

// The buttons held down and the time of the last event, as the desktop keeps them: a press
// soon after a release at the same place makes a double click, others must not.
Qt::MouseButtons g_buttons;
int g_time = 0;
constexpr int kApart = 2000;  // milliseconds between presses that are not a double click

std::string why_unreachable(HWND hwnd) {
    if (!cw::win::window_from(hwnd)) return "the window does not exist";
    if (!user_can_reach(hwnd)) return "the window is hidden or disabled";
    return "";
}

View* view_of(HWND hwnd) {
    return cw::qt::view_of(cw::win::window_from(hwnd));
}

// One mouse event at a point of a widget, entering through the window that holds it.
std::string deliver(QWidget* widget, QPoint at, QEvent::Type type, Qt::MouseButton button,
                    Qt::KeyboardModifiers mods = Qt::NoModifier, bool second_click = false) {
    QWidget* top = widget ? widget->window() : nullptr;
    QWindow* window = top ? top->windowHandle() : nullptr;
    if (!window || !top->isVisible()) return "the window is not on screen";
    const QPoint local = widget->mapTo(top, at);
    const QPoint global = top->mapToGlobal(local);
    set_cursor_position(POINT{global.x(), global.y()});
    if (type == QEvent::MouseButtonPress) {
        // The desktop activates a window the user clicks into, unless a modal window of the
        // program holds the input (or the window is a popup, which takes the click itself).
        QWidget* modal = QApplication::activeModalWidget();
        if (top != QApplication::activeWindow() && top->windowType() != Qt::Popup &&
            (!modal || modal == top)) {
            top->activateWindow();
            QCoreApplication::processEvents();
        }
        g_time += second_click ? 1 : kApart;
        g_buttons |= button;
    } else {
        g_time += 1;
        if (type == QEvent::MouseButtonRelease) g_buttons &= ~button;
    }
    qt_handleMouseEvent(window, QPointF(local), QPointF(global), g_buttons, button, type, mods, g_time);
    return "";
}

std::string click(QWidget* widget, QPoint at) {
    std::string why = deliver(widget, at, QEvent::MouseMove, Qt::NoButton);
    if (why.empty()) why = deliver(widget, at, QEvent::MouseButtonPress, Qt::LeftButton);
    if (why.empty() && widget) why = deliver(widget, at, QEvent::MouseButtonRelease, Qt::LeftButton);
    return why;
}

Qt::KeyboardModifiers modifiers_of(WPARAM keys) {
    Qt::KeyboardModifiers m;
    if (keys & MK_SHIFT) m |= Qt::ShiftModifier;
    if (keys & MK_CONTROL) m |= Qt::ControlModifier;
    return m;
}

// ---- keys -------------------------------------------------------------------------------

struct KeyName {
    const char* name;
    Qt::Key key;
};
const KeyName kKeys[] = {
    {"tab", Qt::Key_Tab},           {"return", Qt::Key_Return},
    {"enter", Qt::Key_Return},      {"escape", Qt::Key_Escape},
    {"esc", Qt::Key_Escape},        {"delete", Qt::Key_Delete},
    {"del", Qt::Key_Delete},        {"backspace", Qt::Key_Backspace},
    {"insert", Qt::Key_Insert},     {"home", Qt::Key_Home},
    {"end", Qt::Key_End},           {"pageup", Qt::Key_PageUp},
    {"pagedown", Qt::Key_PageDown}, {"left", Qt::Key_Left},
    {"right", Qt::Key_Right},       {"up", Qt::Key_Up},
    {"down", Qt::Key_Down},         {"space", Qt::Key_Space},
};

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A key's name: one letter or digit, F1..F24, or a name of kKeys (any case).
bool key_of(const std::string& name, Qt::Key* key, QString* text) {
    const std::string n = lower(name);
    *text = QString();
    if (n.size() == 1 && std::isalnum(static_cast<unsigned char>(n[0]))) {
        const char c = n[0];
        *key = std::isdigit(static_cast<unsigned char>(c)) ? static_cast<Qt::Key>(Qt::Key_0 + (c - '0'))
                                                           : static_cast<Qt::Key>(Qt::Key_A + (c - 'a'));
        *text = QString(QChar::fromLatin1(c));
        return true;
    }
    if (n.size() >= 2 && n[0] == 'f' && std::isdigit(static_cast<unsigned char>(n[1]))) {
        const int f = std::atoi(n.c_str() + 1);
        if (f < 1 || f > 24) return false;
        *key = static_cast<Qt::Key>(Qt::Key_F1 + (f - 1));
        return true;
    }
    for (const KeyName& k : kKeys)
        if (n == k.name) {
            *key = k.key;
            if (k.key == Qt::Key_Space) *text = QStringLiteral(" ");
            if (k.key == Qt::Key_Return) *text = QStringLiteral("\r");
            if (k.key == Qt::Key_Tab) *text = QStringLiteral("\t");
            return true;
        }
    return false;
}

QWidget* open_qt_dialog();

// The widget a key goes to: while a popup (a menu, a combo box's list) or one of Qt's own
// dialogs is up, that holds the keys. Otherwise the window the window manager gave the keyboard
// focus (GetFocus), which a click moves as it moves Qt's focus: the part of its widget that Qt's
// focus is on (a combo box's field), or its control or client area.
QWidget* key_target() {
    if (QWidget* popup = QApplication::activePopupWidget()) return popup;
    if (QWidget* dialog = open_qt_dialog()) return dialog->focusWidget() ? dialog->focusWidget() : dialog;
    Window* w = cw::win::window_from(GetFocus());
    View* v = cw::qt::view_of(w);
    if (!v) return nullptr;
    QWidget* focus = QApplication::focusWidget();
    if (focus && cw::qt::window_of(focus) == w) return focus;
    return v->control ? v->control : v->client;
}

// A key pressed and released, typing text, with the modifier keys held, on the widget that has
// the focus (or on target, a field just clicked into): it meets the backend's key handling and
// the program's message loop as the user's does.
std::string send_key(Qt::Key key, const QString& text, Qt::KeyboardModifiers mods, QWidget* target) {
    if (!target) target = key_target();
    if (!target) return "no window of the program has the keyboard focus";
    const QPointer<QWidget> alive(target);
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &press);
    if (!alive) return "";
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(alive.data(), &release);
    return "";
}

std::string press_key(Qt::Key key, const QString& text, Qt::KeyboardModifiers mods,
                      QWidget* target = nullptr) {
    // A modifier other than Shift makes a key a command, not a character.
    const QString typed = (mods & ~Qt::ShiftModifier)  ? QString()
                          : (mods & Qt::ShiftModifier) ? text.toUpper()
                                                       : text;
    return send_key(key, typed, mods, target);
}

// Characters typed, one key press each.
std::string type_text(const std::string& utf8, QWidget* target) {
    for (const QChar c : QString::fromStdString(utf8)) {
        Qt::Key key = Qt::Key_unknown;
        if (c.isLetter() && c.unicode() < 128)
            key = static_cast<Qt::Key>(Qt::Key_A + (c.toLower().unicode() - 'a'));
        else if (c.isDigit() && c.unicode() < 128)
            key = static_cast<Qt::Key>(Qt::Key_0 + (c.unicode() - '0'));
        else if (c == QLatin1Char(' '))
            key = Qt::Key_Space;
        else if (c.unicode() < 128)
            key = static_cast<Qt::Key>(c.unicode());
        const Qt::KeyboardModifiers mods = c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
        if (std::string why = send_key(key, QString(c), mods, target); !why.empty()) return why;
    }
    return "";
}

// ---- scroll bars and sliders --------------------------------------------------------------

QStyleOptionSlider slider_option(QAbstractSlider* s) {
    QStyleOptionSlider opt;
    opt.initFrom(s);
    opt.subControls = QStyle::SC_None;
    opt.activeSubControls = QStyle::SC_None;
    opt.orientation = s->orientation();
    opt.maximum = s->maximum();
    opt.minimum = s->minimum();
    opt.sliderPosition = s->sliderPosition();
    opt.sliderValue = s->value();
    opt.singleStep = s->singleStep();
    opt.pageStep = s->pageStep();
    opt.upsideDown = s->invertedAppearance();
    if (s->orientation() == Qt::Horizontal) opt.state |= QStyle::State_Horizontal;
    if (auto* slider = qobject_cast<QSlider*>(s)) {
        opt.tickPosition = slider->tickPosition();
        opt.tickInterval = slider->tickInterval();
        opt.upsideDown = s->orientation() == Qt::Horizontal
                             ? (s->invertedAppearance() != (s->layoutDirection() == Qt::RightToLeft))
                             : !s->invertedAppearance();
    }
    return opt;
}

// The thumb: a scroll bar's slider, a trackbar's handle.
QStyle::SubControl thumb_of(QStyle::ComplexControl control) {
    return control == QStyle::CC_ScrollBar ? QStyle::SC_ScrollBarSlider : QStyle::SC_SliderHandle;
}

QRect part_of(QAbstractSlider* s, QStyle::ComplexControl control, QStyle::SubControl part) {
    const QStyleOptionSlider opt = slider_option(s);
    return s->style()->subControlRect(control, &opt, part, s);
}

// The point of the groove where the thumb's centre stands at a position.
QPoint thumb_centre_at(QAbstractSlider* s, QStyle::ComplexControl control, QStyle::SubControl groove_part,
                       int position) {
    const QStyleOptionSlider opt = slider_option(s);
    const QRect groove = s->style()->subControlRect(control, &opt, groove_part, s);
    const QRect thumb = s->style()->subControlRect(control, &opt, thumb_of(control), s);
    const bool horizontal = s->orientation() == Qt::Horizontal;
    const int span = horizontal ? groove.width() - thumb.width() : groove.height() - thumb.height();
    const int offset =
        QStyle::sliderPositionFromValue(s->minimum(), s->maximum(), position, span, opt.upsideDown);
    return horizontal ? QPoint(groove.x() + offset + thumb.width() / 2, thumb.center().y())
                      : QPoint(thumb.center().x(), groove.y() + offset + thumb.height() / 2);
}

// Presses on the thumb, moves it in steps to where the position stands and lets go.
std::string drag_thumb(QAbstractSlider* s, QStyle::ComplexControl control, QStyle::SubControl groove,
                       int position) {
    const QPoint from = part_of(s, control, thumb_of(control)).center();
    const QPoint to = thumb_centre_at(s, control, groove, position);
    std::string why = deliver(s, from, QEvent::MouseMove, Qt::NoButton);
    if (why.empty()) why = deliver(s, from, QEvent::MouseButtonPress, Qt::LeftButton);
    for (int step = 1; why.empty() && step <= 4; ++step)
        why = deliver(s, from + (to - from) * step / 4, QEvent::MouseMove, Qt::NoButton);
    // The user watches the thumb and nudges it the last pixels to the position wanted.
    const int wanted = std::clamp(position, s->minimum(), s->maximum());
    const bool horizontal = s->orientation() == Qt::Horizontal;
    const bool reversed = slider_option(s).upsideDown;
    QPoint at = to;
    for (int nudge = 0; why.empty() && s->isSliderDown() && s->sliderPosition() != wanted && nudge < 64;
         ++nudge) {
        const int dir = (s->sliderPosition() < wanted) != reversed ? 1 : -1;
        at += horizontal ? QPoint(dir, 0) : QPoint(0, dir);
        why = deliver(s, at, QEvent::MouseMove, Qt::NoButton);
    }
    if (why.empty()) why = deliver(s, at, QEvent::MouseButtonRelease, Qt::LeftButton);
    return why;
}

// ---- Qt's dialogs ---------------------------------------------------------------------------

QWidget* open_qt_dialog() {
    QWidget* w = QApplication::activeModalWidget();
    // Dialogs of the program are windows of the window manager; Qt's own are not (though
    // they stand over one of ours).
    return w && !w->property("cw_hwnd").isValid() ? w : nullptr;
}

QString plain(QString s) {
    return s.remove(QLatin1Char('&')).trimmed();
}

}  // namespace

// ---- the mouse ----------------------------------------------------------------------------

std::string user_mouse(HWND hwnd, UINT msg, WPARAM keys, int x, int y) {
    View* v = view_of(hwnd);
    if (!v) return "the window does not exist";
    const QPoint at(x, y);
    const Qt::KeyboardModifiers mods = modifiers_of(keys);
    // The client area's widget; Qt finds what lies under the point (a control's own widget).
    QWidget* client = v->client;
    if (msg != WM_MOUSEMOVE && msg != WM_LBUTTONUP && msg != WM_RBUTTONUP) {
        // A press lands on whatever the user sees there.
        QWidget* top = client->window();
        QWidget* under = top->childAt(client->mapTo(top, at));
        if (!under || (under != client && !client->isAncestorOf(under)))
            return "another window covers the point " + std::to_string(x) + "," + std::to_string(y);
    }
    switch (msg) {
        case WM_MOUSEMOVE: return deliver(client, at, QEvent::MouseMove, Qt::NoButton, mods);
        case WM_LBUTTONDOWN: return deliver(client, at, QEvent::MouseButtonPress, Qt::LeftButton, mods);
        case WM_LBUTTONUP: return deliver(client, at, QEvent::MouseButtonRelease, Qt::LeftButton, mods);
        case WM_LBUTTONDBLCLK:
            return deliver(client, at, QEvent::MouseButtonPress, Qt::LeftButton, mods, true);
        case WM_RBUTTONDOWN: return deliver(client, at, QEvent::MouseButtonPress, Qt::RightButton, mods);
        case WM_RBUTTONUP: return deliver(client, at, QEvent::MouseButtonRelease, Qt::RightButton, mods);
    }
    return "no such mouse action";
}

std::string user_frame_mouse(HWND hwnd, UINT msg, int x, int y) {
    View* v = view_of(hwnd);
    Window* w = cw::win::window_from(hwnd);
    if (!v || cw::win::is_top_level(w)) return "the window has no frame of its own";
    const QPoint at(x, y);
    switch (msg) {
        case WM_MOUSEMOVE: return deliver(v->frame, at, QEvent::MouseMove, Qt::NoButton);
        case WM_LBUTTONDOWN: return deliver(v->frame, at, QEvent::MouseButtonPress, Qt::LeftButton);
        case WM_LBUTTONUP: return deliver(v->frame, at, QEvent::MouseButtonRelease, Qt::LeftButton);
        case WM_LBUTTONDBLCLK:
            return deliver(v->frame, at, QEvent::MouseButtonPress, Qt::LeftButton, {}, true);
    }
    return "no such mouse action";
}

// ---- keys -----------------------------------------------------------------------------------

namespace {

// A chord of keys ("ctrl+shift+z") pressed on target, or on the focused widget when it is null.
std::string chord_on(const std::string& keys, QWidget* target) {
    Qt::KeyboardModifiers mods;
    std::string rest = keys;
    for (;;) {
        const size_t plus = rest.find('+');
        if (plus == std::string::npos || plus + 1 == rest.size()) break;
        const std::string m = lower(rest.substr(0, plus));
        if (m == "ctrl" || m == "control")
            mods |= Qt::ControlModifier;
        else if (m == "shift")
            mods |= Qt::ShiftModifier;
        else if (m == "alt")
            mods |= Qt::AltModifier;
        else
            return "no modifier key \"" + m + "\"";
        rest = rest.substr(plus + 1);
    }
    Qt::Key key = Qt::Key_unknown;
    QString text;
    if (!key_of(rest, &key, &text)) return "no key \"" + rest + "\"";
    return press_key(key, text, mods, target);
}

}  // namespace

std::string user_keys(const std::string& keys) {
    return chord_on(keys, nullptr);
}

std::string user_type(const std::string& utf8) {
    return type_text(utf8, nullptr);
}

// ---- controls -------------------------------------------------------------------------------

std::string user_click(HWND control) {
    if (std::string why = why_unreachable(control); !why.empty()) return why;
    View* v = view_of(control);
    auto* button = v ? qobject_cast<QAbstractButton*>(v->control) : nullptr;
    if (!button) return "the control is no button";
    QPoint at = button->rect().center();
    // A check box or radio button takes clicks on its box and its text only.
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = button->text();
    if (qobject_cast<QCheckBox*>(button))
        at = button->style()->subElementRect(QStyle::SE_CheckBoxClickRect, &opt, button).center();
    else if (qobject_cast<QRadioButton*>(button))
        at = button->style()->subElementRect(QStyle::SE_RadioButtonClickRect, &opt, button).center();
    return click(button, at);
}

std::string user_set_text(HWND control, const std::string& utf8) {
    if (std::string why = why_unreachable(control); !why.empty()) return why;
    View* v = view_of(control);
    auto* line = v ? qobject_cast<QLineEdit*>(v->control) : nullptr;
    if (!line) return "the control is no edit";
    if (line->isReadOnly()) return "the edit is read-only";
    if (std::string why = click(line, line->rect().center()); !why.empty()) return why;
    if (!line->hasFocus()) return "a click does not give the edit the keyboard focus";
    if (std::string why = press_key(Qt::Key_A, QString(), Qt::ControlModifier, line); !why.empty())
        return why;
    if (utf8.empty()) return press_key(Qt::Key_Delete, QString(), Qt::NoModifier, line);
    return type_text(utf8, line);
}

std::string user_select(HWND combo, int index) {
    if (std::string why = why_unreachable(combo); !why.empty()) return why;
    View* v = view_of(combo);
    auto* box = v ? qobject_cast<QComboBox*>(v->control) : nullptr;
    if (!box) return "the control is no combo box";
    if (index < 0 || index >= box->count()) return "the combo box shows no entry " + std::to_string(index);
    // The click opens the list; its release stays on the box, which leaves the list open.
    if (std::string why = click(box, box->rect().center()); !why.empty()) return why;
    QCoreApplication::processEvents();
    QAbstractItemView* list = box->view();
    if (!list || !list->isVisible()) return "the combo box's list did not open";
    const QModelIndex item = list->model()->index(index, box->modelColumn(), box->rootModelIndex());
    list->scrollTo(item);
    const QPoint at = list->visualRect(item).center();
    std::string why = deliver(list->viewport(), at, QEvent::MouseMove, Qt::NoButton);
    if (why.empty()) why = click(list->viewport(), at);
    QCoreApplication::processEvents();
    return why;
}

std::string user_scroll(HWND hwnd, bool vertical, Scroll how, int position) {
    if (std::string why = why_unreachable(hwnd); !why.empty()) return why;
    View* v = view_of(hwnd);
    QScrollBar* bar = v ? (vertical ? v->vbar : v->hbar) : nullptr;
    if (!bar || !bar->isVisible())
        return std::string("the window shows no ") + (vertical ? "vertical" : "horizontal") + " scroll bar";
    const QStyle::ComplexControl cc = QStyle::CC_ScrollBar;
    switch (how) {
        case Scroll::LineUp: return click(bar, part_of(bar, cc, QStyle::SC_ScrollBarSubLine).center());
        case Scroll::LineDown: return click(bar, part_of(bar, cc, QStyle::SC_ScrollBarAddLine).center());
        case Scroll::PageUp: {
            const QRect r = part_of(bar, cc, QStyle::SC_ScrollBarSubPage);
            if (r.isEmpty()) return "the thumb stands at the start of the bar";
            return click(bar, r.center());
        }
        case Scroll::PageDown: {
            const QRect r = part_of(bar, cc, QStyle::SC_ScrollBarAddPage);
            if (r.isEmpty()) return "the thumb stands at the end of the bar";
            return click(bar, r.center());
        }
        case Scroll::Thumb: return drag_thumb(bar, cc, QStyle::SC_ScrollBarGroove, position);
    }
    return "";
}

std::string user_resize(HWND hwnd, int client_width, int client_height) {
    if (std::string why = why_unreachable(hwnd); !why.empty()) return why;
    Window* w = cw::win::window_from(hwnd);
    View* v = view_of(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    const int dx = client_width - client.right, dy = client_height - client.bottom;
    if (cw::win::is_top_level(w)) {
        // The desktop sizes the window by its frame, within the size hints the backend gave it.
        const QSize now = v->frame->size();
        v->frame->resize(now.width() + dx, now.height() + dy);
        QCoreApplication::processEvents();
        return "";
    }
    if (!(w->style & WS_THICKFRAME)) return "the window has no frame to drag";
    // The bottom-right corner of the frame, dragged with the mouse.
    const int width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
    const QPoint corner(width - 2, height - 2);
    if (cw::win::nonclient_hit_test(w, POINT{corner.x(), corner.y()}) != HTBOTTOMRIGHT)
        return "the window's corner cannot be dragged";
    // A corner another window covers is brought forward first by a click on the caption.
    QWidget* top = v->frame->window();
    auto covered = [&] {
        QWidget* under = top->childAt(v->frame->mapTo(top, corner));
        return !under || (under != v->frame && !v->frame->isAncestorOf(under));
    };
    if (covered()) {
        const int caption_x = width / 3;
        for (int y = 0; y < height; ++y)
            if (cw::win::nonclient_hit_test(w, POINT{caption_x, y}) == HTCAPTION) {
                if (std::string why = click(v->frame, QPoint(caption_x, y)); !why.empty()) return why;
                QCoreApplication::processEvents();
                break;
            }
        if (covered()) return "another window covers the window's corner";
    }
    std::string why = deliver(v->frame, corner, QEvent::MouseMove, Qt::NoButton);
    if (why.empty()) why = deliver(v->frame, corner, QEvent::MouseButtonPress, Qt::LeftButton);
    const QPoint to = corner + QPoint(dx, dy);
    if (why.empty()) why = deliver(v->frame, (corner + to) / 2, QEvent::MouseMove, Qt::NoButton);
    if (why.empty()) why = deliver(v->frame, to, QEvent::MouseMove, Qt::NoButton);
    if (why.empty()) why = deliver(v->frame, to, QEvent::MouseButtonRelease, Qt::LeftButton);
    return why;
}

std::string user_caption_button(HWND hwnd, int hit) {
    if (std::string why = why_unreachable(hwnd); !why.empty()) return why;
    Window* w = cw::win::window_from(hwnd);
    if (cw::win::is_top_level(w) || !(w->ex_style & WS_EX_MDICHILD))
        return "the window has no caption of its own";
    if (!w->maximized) {
        const RECT r = cw::win::caption_button_rect(w, hit);
        return click(view_of(hwnd)->frame, QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    // A maximised child's buttons stand at the right of the frame's menu bar.
    const UINT command = hit == HTCLOSE ? SC_CLOSE : hit == HTMAXBUTTON ? SC_RESTORE : SC_MINIMIZE;
    View* top = cw::qt::view_of(cw::win::top_level_of(w));
    if (!top || !top->bar_buttons) return "the menu bar shows no buttons of the maximised window";
    for (QAbstractButton* b : top->bar_buttons->findChildren<QAbstractButton*>())
        if (b->property("cw_command").toUInt() == command && b->isVisible()) {
            if (!b->isEnabled()) return "the button is greyed";
            return click(b, b->rect().center());
        }
    return "the menu bar shows no such button";
}

std::string user_close(HWND top) {
    Window* w = cw::win::window_from(top);
    View* v = view_of(top);
    if (!w || !v || !cw::win::is_top_level(w)) return "no top-level window";
    if (!v->frame->isVisible()) return "the window is not on screen";
    // The desktop's close box: Qt hears of it as a close event of the window.
    v->frame->close();
    return "";
}

std::string user_drop(HWND top, const std::vector<std::string>& paths) {
    View* v = view_of(top);
    if (!v || !v->frame->isVisible()) return "the window is not on screen";
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& p : paths) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(p)));
    data.setUrls(urls);
    const QPoint at = v->client->mapTo(v->frame, QPoint(10, 10));
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(v->frame, &enter);
    if (!enter.isAccepted()) return "the window takes no dropped files";
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(v->frame, &drop);
    return "";
}

std::string user_updown(HWND updown, bool up) {
    if (std::string why = why_unreachable(updown); !why.empty()) return why;
    View* v = view_of(updown);
    auto* arrow = v && v->control ? v->control->findChild<QToolButton*>(up ? QStringLiteral("up")
                                                                           : QStringLiteral("down"))
                                  : nullptr;
    if (!arrow) return "the control is no up-down";
    return click(arrow, arrow->rect().center());
}

namespace {

QSlider* slider_of(HWND trackbar, std::string* why) {
    *why = why_unreachable(trackbar);
    View* v = view_of(trackbar);
    auto* slider = v ? qobject_cast<QSlider*>(v->control) : nullptr;
    if (why->empty() && !slider) *why = "the control is no trackbar";
    return why->empty() ? slider : nullptr;
}

}  // namespace

std::string user_slider_key(HWND trackbar, const std::string& key) {
    std::string why;
    QSlider* s = slider_of(trackbar, &why);
    if (!s) return why;
    // A click on the thumb gives the slider the focus and moves nothing.
    if (!s->hasFocus()) {
        why = click(s, part_of(s, QStyle::CC_Slider, QStyle::SC_SliderHandle).center());
        if (!why.empty()) return why;
    }
    return chord_on(key, s);
}

std::string user_slider_drag(HWND trackbar, int position) {
    std::string why;
    QSlider* s = slider_of(trackbar, &why);
    return s ? drag_thumb(s, QStyle::CC_Slider, QStyle::SC_SliderGroove, position) : why;
}

std::string user_slider_wheel(HWND trackbar, bool up) {
    std::string why;
    QSlider* s = slider_of(trackbar, &why);
    if (!s) return why;
    const QPoint centre = s->rect().center();
    const QPoint global = s->mapToGlobal(centre);
    set_cursor_position(POINT{global.x(), global.y()});
    // Qt hands a wheel turn to the widget under the pointer.
    QWidget* under = s->childAt(centre);
    QWidget* target = under ? under : s;
    QWheelEvent wheel(QPointF(target->mapFrom(s, centre)), QPointF(global), QPoint(),
                      QPoint(0, up ? 120 : -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
    return "";
}

// ---- Qt's dialogs ---------------------------------------------------------------------------

bool qt_dialog_open() {
    return open_qt_dialog() != nullptr;
}

std::string user_dialog_field(const std::string& label_utf8, const std::string& text_utf8) {
    QWidget* dialog = open_qt_dialog();
    if (!dialog) return "no dialog of Qt's is open";
    const QString wanted = plain(QString::fromStdString(label_utf8));
    QWidget* field = nullptr;
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->isVisible() && label->buddy() && plain(label->text()).startsWith(wanted)) {
            field = label->buddy();
            break;
        }
    if (!field) return "the dialog shows no field labelled \"" + label_utf8 + "\"";
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) field = spin->findChild<QLineEdit*>();
    if (!field || !field->isEnabled()) return "the field labelled \"" + label_utf8 + "\" takes no typing";
    if (std::string why = click(field, field->rect().center()); !why.empty()) return why;
    if (std::string why = press_key(Qt::Key_A, QString(), Qt::ControlModifier, field); !why.empty())
        return why;
    return type_text(text_utf8, field);
}

std::string user_dialog_button(const std::string& text_utf8) {
    QWidget* dialog = open_qt_dialog();
    if (!dialog) return "no dialog of Qt's is open";
    const QString wanted = plain(QString::fromStdString(text_utf8));
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->isVisible() && plain(b->text()) == wanted) {
            if (!b->isEnabled()) return "the button \"" + text_utf8 + "\" is greyed";
            // A popup open over the dialog (the name field's completions) takes the first click
            // and closes; the desktop hands the click on to the button beneath, as X11 does.
            if (QApplication::activePopupWidget())
                if (std::string why = click(b, b->rect().center()); !why.empty()) return why;
            if (QApplication::activePopupWidget()) return "a popup stays open over the dialog";
            if (!open_qt_dialog()) return "";
            return click(b, b->rect().center());
        }
    std::string shown;
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->isVisible()) shown += " \"" + plain(b->text()).toStdString() + "\"";
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->isVisible() && label->buddy())
            shown += " field \"" + plain(label->text()).toStdString() + "\"";
    return "the dialog shows no button \"" + text_utf8 + "\" (it shows" + shown + ")";
}

// ---- popup menus ----------------------------------------------------------------------------

namespace {

QMenu* open_popup_menu() {
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

std::string shown_text(QAction* a) {
    return a->text().toStdString();
}

}  // namespace

bool popup_menu_open() {
    return open_popup_menu() != nullptr;
}

std::string user_popup_item(const std::vector<std::string>& texts, UINT id) {
    QMenu* menu = open_popup_menu();
    if (!menu) return "no popup menu is open";
    std::vector<QAction*> path;
    std::string why = cw::qt::menu_path(menu->actions(), texts, id, &path, [](const std::string& what) {
        return "the popup menu shows no item " + what;
    });
    if (!why.empty()) return why;
    // Each item on the way is clicked in the popup that shows it: a submenu opens from its item.
    for (QAction* a : path) {
        QMenu* shown = open_popup_menu();
        if (!shown) return "the popup menu closed before \"" + shown_text(a) + "\" was reached";
        const QRect r = shown->actionGeometry(a);
        if (!r.isValid()) return "the popup menu does not show \"" + shown_text(a) + "\"";
        if (!a->isEnabled()) return "the popup menu's item \"" + shown_text(a) + "\" is greyed";
        std::string why = deliver(shown, r.center(), QEvent::MouseMove, Qt::NoButton);
        if (why.empty()) why = click(shown, r.center());
        if (!why.empty()) return why;
        QCoreApplication::processEvents();
    }
    return "";
}

}  // namespace cw::automation
