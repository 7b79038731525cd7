// Qt widget of "msctls_updown32" windows: two stacked arrow buttons. A press is
// one step and its release ends the scroll, as the control reports them.
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "qt/backend_impl.h"
#include "qt/widgets.h"
#include "win/controls.h"
#include "win/input.h"

using namespace cw::win;

namespace cw::qt {

namespace {

// On the buddy's line edit: Up and Down go to the buddy's procedure as key messages,
// where the up-down's subclass takes them.
class BuddyKeys : public QObject {
  public:
    BuddyKeys(HWND buddy, QObject* parent) : QObject(parent), buddy_(buddy) {}

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease) return false;
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() != Qt::Key_Up && k->key() != Qt::Key_Down) return false;
        if (k->isAutoRepeat() && e->type() == QEvent::KeyRelease) return true;
        cw::win::input_key(window_from(buddy_), e->type() == QEvent::KeyPress ? WM_KEYDOWN : WM_KEYUP,
                           virtual_key(k->key()));
        return true;
    }

  private:
    HWND buddy_;
};

QToolButton* arrow(QWidget* parent, Qt::ArrowType type, Window* w, bool up) {
    auto* b = new QToolButton(parent);
    b->setArrowType(type);
    b->setFocusPolicy(Qt::NoFocus);
    b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    b->setObjectName(up ? QStringLiteral("up") : QStringLiteral("down"));
    QObject::connect(b, &QToolButton::pressed, b, [w, up] { updown_user_press(w, up); });
    QObject::connect(b, &QToolButton::released, b, [w] { updown_user_release(w); });
    return b;
}

}  // namespace

void create_updown(Window* w) {
    View* v = view_of(w);
    auto* box = new QWidget(v->client);
    auto* layout = (w->style & UDS_HORZ) ? static_cast<QBoxLayout*>(new QHBoxLayout(box))
                                         : static_cast<QBoxLayout*>(new QVBoxLayout(box));
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const bool horizontal = (w->style & UDS_HORZ) != 0;
    // Up (or right) comes first on screen for a vertical control, last for a horizontal one.
    if (horizontal) {
        layout->addWidget(arrow(box, Qt::LeftArrow, w, false));
        layout->addWidget(arrow(box, Qt::RightArrow, w, true));
    } else {
        layout->addWidget(arrow(box, Qt::UpArrow, w, true));
        layout->addWidget(arrow(box, Qt::DownArrow, w, false));
    }
    v->control = box;
    box->show();
}

void updown_sync(Window* w) {
    View* v = view_of(w);
    if (v && v->control) v->control->update();
}

void updown_user_click(Window* w, bool up) {
    View* v = view_of(w);
    if (!v || !v->control) return;
    if (auto* b = v->control->findChild<QToolButton*>(up ? QStringLiteral("up") : QStringLiteral("down")))
        b->click();
}

}  // namespace cw::qt

namespace cw::qt::impl {

void updown_buddy_changed(Window* w) {
    auto* s = dynamic_cast<UpDownState*>(w->control.get());
    Window* buddy = s ? window_from(s->buddy) : nullptr;
    View* bv = buddy ? view_of(buddy) : nullptr;
    if (!buddy || !bv || !bv->control || !(w->style & UDS_ARROWKEYS)) return;
    if (bv->control->property("cw_updown_keys").toBool()) return;
    bv->control->setProperty("cw_updown_keys", true);
    bv->control->installEventFilter(new BuddyKeys(buddy->handle, bv->control));
}

}  // namespace cw::qt::impl
