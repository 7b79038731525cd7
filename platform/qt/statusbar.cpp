// Qt widgets of "msctls_statusbar32" windows.
#include <QHBoxLayout>
#include <QLabel>
#include <QSizeGrip>

#include "qt/widgets.h"
#include "win/controls.h"

using namespace cw::win;

namespace cw::qt {

void create_status(Window* w) {
    View* v = view_of(w);
    auto* panel = new QWidget(v->client);
    // The bar stands on the button face whatever its parent's background, as the system's does.
    panel->setAutoFillBackground(true);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, sys_color(COLOR_BTNFACE));
    panel->setPalette(p);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(2, 2, 0, 0);
    layout->setSpacing(0);
    auto* label = new QLabel(panel);
    label->setObjectName(QStringLiteral("text"));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label, 1);
    if (w->style & SBARS_SIZEGRIP)
        layout->addWidget(new QSizeGrip(panel), 0, Qt::AlignBottom | Qt::AlignRight);
    v->control = panel;
    panel->show();
    status_sync(w);
}

void status_sync(Window* w) {
    View* v = view_of(w);
    if (!v || !v->control) return;
    if (auto* label = v->control->findChild<QLabel*>(QStringLiteral("text"))) label->setText(to_qt(w->text));
}

}  // namespace cw::qt
