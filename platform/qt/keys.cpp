// Keys typed into our windows. The keys a Win32 program's loop looks at before a control does
// (accelerators, dialog navigation, the tree's editing keys) are queued as window messages for
// the focused window, as the system queues every key; what the program's procedures leave
// comes back here and goes to the widget's own key handling. Plain typing stays with the widget.
// The keyboard focus a click gives a widget of ours is reported, for the window manager's focus
// to follow it.
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

#include "qt/backend_impl.h"
#include "qt/view.h"
#include "qt/widgets.h"
#include "win/backend.h"
#include "win/input.h"

namespace cw::qt {

namespace {

bool g_replaying = false;

// The keys sent through the queue as they came from Qt, by the tag their message carries, so
// that a key the program leaves goes back to the widget exactly as it was typed.
struct QueuedKey {
    int key = 0;
    Qt::KeyboardModifiers modifiers;
    QString text;
};
QueuedKey g_queued[256];
unsigned g_next_tag = 0;

unsigned remember(const QKeyEvent* k) {
    g_next_tag = g_next_tag % 255 + 1;
    g_queued[g_next_tag] = {k->key(), k->modifiers(), k->text()};
    return g_next_tag;
}

struct KeyName {
    int qt;
    UINT vk;
};

constexpr KeyName kKeys[] = {
    {Qt::Key_Escape, VK_ESCAPE}, {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Tab, VK_TAB},       {Qt::Key_Backtab, VK_TAB},   {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Up, VK_UP},         {Qt::Key_Down, VK_DOWN},     {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Right, VK_RIGHT},   {Qt::Key_Space, VK_SPACE},   {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Home, VK_HOME},     {Qt::Key_End, VK_END},
    {Qt::Key_PageUp, VK_PRIOR},  {Qt::Key_PageDown, VK_NEXT},
};

cw::win::KeyModifiers modifiers_of(Qt::KeyboardModifiers m) {
    return {(m & Qt::ShiftModifier) != 0, (m & Qt::ControlModifier) != 0, (m & Qt::AltModifier) != 0};
}

// Keys the program's loop may take for itself before the focused control sees them.
bool loop_key(UINT vk, Qt::KeyboardModifiers m) {
    if (!vk) return false;
    if (m & (Qt::ControlModifier | Qt::AltModifier)) return true;
    return vk == VK_TAB || vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_DELETE ||
           (vk >= VK_F1 && vk <= VK_F12);
}

// Only our own windows' widgets: the desktop's dialogs, menus and popups keep their keys.
bool ours(QWidget* widget) {
    if (!widget || qobject_cast<QMenuBar*>(widget) || qobject_cast<QMenu*>(widget)) return false;
    return widget->window()->property("cw_hwnd").isValid();
}

// The keyboard focus a click or the desktop's activation put on a widget of ours makes its
// window the focus window; the backend's own moves (the window manager's SetFocus) are not told
// back, nor Qt's moves past a widget that was hidden.
void report_focus(QWidget* widget, Qt::FocusReason reason) {
    if (reason != Qt::MouseFocusReason && reason != Qt::ActiveWindowFocusReason) return;
    if (!ours(widget)) return;
    if (cw::win::Window* w = window_of(widget)) cw::win::input_focus_gained(w);
}

class KeyQueue : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        const QEvent::Type t = e->type();
        if (t == QEvent::FocusIn && o->isWidgetType()) {
            report_focus(static_cast<QWidget*>(o), static_cast<QFocusEvent*>(e)->reason());
            return false;
        }
        if (g_replaying || (t != QEvent::KeyPress && t != QEvent::KeyRelease) || !o->isWidgetType())
            return false;
        auto* k = static_cast<QKeyEvent*>(e);
        auto* widget = static_cast<QWidget*>(o);
        if (!ours(widget)) return false;
        const UINT vk = virtual_key(k->key());
        // A plain key goes straight to the widget, unless keys wait in the queue before it:
        // then it waits its turn, so that what was typed keeps its order.
        if (!loop_key(vk, k->modifiers()) && !cw::win::input_keys_queued()) {
            cw::win::input_modifiers(modifiers_of(k->modifiers()));
            return false;
        }
        cw::win::input_key_event(window_of(widget), t == QEvent::KeyPress, vk, modifiers_of(k->modifiers()),
                                 remember(k));
        return true;
    }
};

}  // namespace

UINT virtual_key(int qt_key) {
    for (const KeyName& k : kKeys)
        if (k.qt == qt_key) return k.vk;
    if ((qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) || (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9))
        return static_cast<UINT>(qt_key);
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12) return VK_F1 + static_cast<UINT>(qt_key - Qt::Key_F1);
    return 0;
}

void queue_keys() {
    static bool installed = false;
    if (installed || !QApplication::instance()) return;
    installed = true;
    QApplication::instance()->installEventFilter(new KeyQueue(QApplication::instance()));
}

}  // namespace cw::qt

namespace cw::qt::impl {

void replay_key(cw::win::Window* w, UINT msg, UINT, LPARAM lp) {
    View* v = view_of(w);
    const auto tag = static_cast<unsigned>((lp >> 16) & 0xFF);
    // Only keys that came through the queue go back: the others reach the procedures straight
    // from the widgets, and going back would send them round again.
    if (!v || !tag || g_replaying) return;
    QueuedKey& k = g_queued[tag];
    QWidget* focus = QApplication::focusWidget();
    QWidget* target = focus && window_of(focus) == w ? focus : (v->control ? v->control : v->client);
    if (!target || !k.key) return;
    const bool press = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
    QKeyEvent e(press ? QEvent::KeyPress : QEvent::KeyRelease, k.key, k.modifiers, k.text);
    g_replaying = true;
    QApplication::sendEvent(target, &e);
    g_replaying = false;
}

}  // namespace cw::qt::impl
