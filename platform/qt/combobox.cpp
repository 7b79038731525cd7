// Qt widgets of "COMBOBOX" windows.
#include <QComboBox>
#include <QFontMetrics>

#include "qt/widgets.h"
#include "win/controls.h"

using namespace cw::win;

namespace cw::qt {

void create_combo(Window* w) {
    View* v = view_of(w);
    auto* box = new QComboBox(v->client);
    box->setFont(font_for(w));
    box->setEditable(false);
    // activated is emitted for the user's choices only, as CBN_SELCHANGE is.
    QObject::connect(box, &QComboBox::activated, box, [w](int index) { combo_user_selected(w, index); });
    v->control = box;
    box->show();
    // The window is as high as the closed box; the template height is the dropped list's.
    const int closed = QFontMetrics(font_for(w)).height() + 10;
    if (w->rect.bottom - w->rect.top > closed) w->rect.bottom = w->rect.top + closed;
}

void combo_sync(Window* w) {
    View* v = view_of(w);
    auto* box = v ? qobject_cast<QComboBox*>(v->control) : nullptr;
    auto* s = static_cast<ComboState*>(w->control.get());
    if (!box || !s) return;
    const QSignalBlocker block(box);
    bool same = box->count() == static_cast<int>(s->items.size());
    for (int i = 0; same && i < box->count(); ++i) same = box->itemText(i) == to_qt(s->items[i]);
    if (!same) {
        box->clear();
        for (const std::string& item : s->items) box->addItem(to_qt(item));
    }
    box->setCurrentIndex(s->selection);
}

}  // namespace cw::qt
