// Mouse capture on the Qt side. While a window holds the capture, the widget that
// receives its mouse input grabs the mouse: moves and the release outside the
// window (or outside every window of ours) still reach its window procedure, in
// its client coordinates. A cursor set meanwhile shows on that widget; releasing
// the capture gives the widget its own cursor back, as the class cursor returns
// on the next move on the desktop the program was written for.
#include <QAbstractScrollArea>
#include <QtGlobal>
#include <QPointer>
#include <QWidget>

#include <vector>

#include "qt/backend_impl.h"
#include "qt/widgets.h"

using cw::win::Window;

namespace cw::qt {

namespace {

QPointer<QWidget> g_grabber;
std::vector<QPointer<QWidget>> g_cursor_widgets;  // cursors set while captured

// The widget a window's mouse input arrives on: a scroll area's viewport, the
// control's widget, or the client area.
QWidget* input_widget(Window* w) {
    View* v = view_of(w);
    if (!v) return nullptr;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(v->control)) return area->viewport();
    return v->control ? v->control : v->client;
}

void restore_cursors() {
    for (QPointer<QWidget>& p : g_cursor_widgets)
        if (p) p->unsetCursor();
    g_cursor_widgets.clear();
}

}  // namespace

void set_capture_cursor(Window* w, HCURSOR cursor) {
    View* v = view_of(w);
    if (!v) return;
    const QCursor c = qcursor_of(cursor);
    for (QWidget* target : {v->control ? v->control : v->client, input_widget(w)}) {
        if (!target) continue;
        target->setCursor(c);
        bool known = false;
        for (const QPointer<QWidget>& p : g_cursor_widgets) known = known || p == target;
        if (!known) g_cursor_widgets.emplace_back(target);
    }
}

HWND mouse_grabber() {
    QWidget* grabber = QWidget::mouseGrabber();
    if (!grabber) return nullptr;
    for (Window* w : cw::win::all_windows())
        if (input_widget(w) == grabber) return w->handle;
    return nullptr;
}

bool shows_cursor(Window* w, HCURSOR cursor) {
    QWidget* target = input_widget(w);
    if (!target || !target->testAttribute(Qt::WA_SetCursor)) return false;
    const QCursor want = qcursor_of(cursor), shown = target->cursor();
    if (want.shape() != shown.shape()) return false;
    return want.shape() != Qt::BitmapCursor || want.pixmap().cacheKey() == shown.pixmap().cacheKey();
}

}  // namespace cw::qt

namespace cw::qt::impl {

void capture_changed(Window*, Window* new_capture) {
    if (g_grabber && QWidget::mouseGrabber() == g_grabber) g_grabber->releaseMouse();
    g_grabber = nullptr;
    restore_cursors();
    QWidget* target = new_capture ? input_widget(new_capture) : nullptr;
    if (!target) return;
    g_grabber = target;
    // Platforms without a pointer (offscreen) say they cannot grab; the grab inside the
    // application still routes every widget's mouse events, which is what matters here.
    static QtMessageHandler previous = nullptr;
    previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (!text.contains(QStringLiteral("grabbing the mouse")) && previous)
                previous(type, context, text);
        });
    target->grabMouse();
    qInstallMessageHandler(previous);
}

}  // namespace cw::qt::impl
