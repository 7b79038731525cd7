// Qt widget of "SysListView32" windows: a QListWidget in list mode (columns that
// fill top to bottom) mirroring the items of the window procedure. Mouse and
// arrow keys go back to the procedure as messages. The in-place label edit is an
// "EDIT" window of its own; here it only gets its keys and focus loss routed.
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>

#include "qt/backend_impl.h"
#include "qt/widgets.h"
#include "win/controls.h"
#include "win/input.h"

using namespace cw::win;

namespace cw::qt {

namespace {

QListWidget* list_of(Window* w) {
    View* v = view_of(w);
    return v ? qobject_cast<QListWidget*>(v->control) : nullptr;
}

// On the label edit's line edit: Enter and Esc end the edit (and never reach the
// dialog, whose default button would take them); losing the focus ends it too.
class LabelEditKeys : public QObject {
  public:
    LabelEditKeys(HWND edit, QObject* parent) : QObject(parent), edit_(edit) {}

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape) return false;
            cw::win::input_key(window_from(edit_), WM_KEYDOWN, virtual_key(key));
            return true;
        }
        if (e->type() == QEvent::ShortcutOverride) {
            // Claim Enter and Esc before any shortcut of the window sees them.
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_Escape) {
                e->accept();
                return true;
            }
        }
        if (e->type() == QEvent::FocusOut && IsWindow(edit_) && IsWindowVisible(edit_)) {
            const auto reason = static_cast<QFocusEvent*>(e)->reason();
            // Focus that leaves for a popup or another application comes back; the edit stays.
            // Focus that goes to a window of ours is the window manager's to move (it is told
            // of a click there, and moved it itself otherwise).
            QWidget* next = QApplication::focusWidget();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
                !(next && window_of(next))) {
                cw::win::input_focus_lost(window_from(edit_));
            }
        }
        return false;
    }

  private:
    HWND edit_;
};

}  // namespace

void create_list(Window* w) {
    View* v = view_of(w);
    auto* list = new QListWidget(v->client);
    list->setFrameShape(QFrame::NoFrame);
    list->setViewMode(QListView::ListMode);
    list->setFlow(QListView::TopToBottom);
    list->setWrapping(true);
    list->setResizeMode(QListView::Adjust);
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setFont(font_for(w));
    route_input_to_procedure(w, list, {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right});
    v->control = list;
    list->show();
}

void listview_sync(Window* w) {
    QListWidget* list = list_of(w);
    ListState* s = list_state(w);
    if (!list || !s) return;
    const QSignalBlocker block(list);
    bool same = list->count() == static_cast<int>(s->items.size());
    for (int i = 0; same && i < list->count(); ++i) same = list->item(i)->text() == to_qt(s->items[i]);
    if (!same) {
        list->clear();
        for (const std::string& item : s->items) list->addItem(to_qt(item));
    }
    list->clearSelection();
    if (s->selected >= 0 && s->selected < list->count()) {
        list->setCurrentRow(s->selected);
        list->item(s->selected)->setSelected(true);
    }
    list->doItemsLayout();
}

std::vector<std::string> listview_shown_items(Window* w, int* selected) {
    std::vector<std::string> out;
    if (selected) *selected = -1;
    QListWidget* list = list_of(w);
    if (!list) return out;
    for (int i = 0; i < list->count(); ++i) {
        out.push_back(list->item(i)->text().toStdString());
        if (selected && list->item(i)->isSelected()) *selected = i;
    }
    return out;
}

void user_key(Window* w, int qt_key) {
    View* v = view_of(w);
    QWidget* target = v ? (v->control ? v->control : v->client) : nullptr;
    if (!target) return;
    // Sent as the keyboard would: a key the widget leaves goes on to its parents.
    const HWND handle = w->handle;
    QKeyEvent press(QEvent::KeyPress, qt_key, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    // The key may have ended the window (an edit that closes on Enter).
    if (!window_from(handle) || !(v = view_of(w))) return;
    QKeyEvent release(QEvent::KeyRelease, qt_key, Qt::NoModifier);
    QApplication::sendEvent(v->control ? v->control : v->client, &release);
}

}  // namespace cw::qt

namespace cw::qt::impl {

bool listview_item_rect(Window* w, int index, RECT* out) {
    QListWidget* list = list_of(w);
    if (!list || !out || index < 0 || index >= list->count()) return false;
    list->doItemsLayout();
    const QRect r = list->visualItemRect(list->item(index));
    if (!r.isValid()) return false;
    const QPoint at = list->viewport()->mapTo(view_of(w)->client, r.topLeft());
    *out = RECT{at.x(), at.y(), at.x() + r.width(), at.y() + r.height()};
    return true;
}

int listview_item_at(Window* w, POINT p) {
    QListWidget* list = list_of(w);
    if (!list) return -1;
    list->doItemsLayout();
    const QPoint at = list->viewport()->mapFrom(view_of(w)->client, QPoint(p.x, p.y));
    QListWidgetItem* item = list->itemAt(at);
    return item ? list->row(item) : -1;
}

void listview_edit_started(Window*, Window* edit) {
    View* ev = view_of(edit);
    auto* line = ev ? qobject_cast<QLineEdit*>(ev->control) : nullptr;
    if (!line) return;
    line->installEventFilter(new LabelEditKeys(edit->handle, line));
    ev->frame->raise();
    line->selectAll();
    line->setFocus(Qt::OtherFocusReason);
}

}  // namespace cw::qt::impl
