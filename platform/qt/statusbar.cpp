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
    layout->setSpacing(2);
    if (w->style & SBARS_SIZEGRIP)
        layout->addWidget(new QSizeGrip(panel), 0, Qt::AlignBottom | Qt::AlignRight);
    v->control = panel;
    panel->show();
    status_sync(w);
}

namespace {

QLabel* new_part(QWidget* panel, QHBoxLayout* layout) {
    auto* label = new QLabel(panel);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setTextFormat(Qt::PlainText);
    // Before the size grip, when there is one.
    layout->insertWidget(layout->count() - (panel->findChild<QSizeGrip*>() ? 1 : 0), label);
    return label;
}

}  // namespace

// A sunken label a part, each as wide as its edges say; the last one, or one that reaches the
// end (-1), takes what is left.
void status_sync(Window* w) {
    View* v = view_of(w);
    if (!v || !v->control) return;
    auto* layout = static_cast<QHBoxLayout*>(v->control->layout());
    auto* s = static_cast<StatusState*>(w->control.get());
    const std::vector<int> edges = s && !s->edges.empty() ? s->edges : std::vector<int>{-1};
    QList<QLabel*> labels = v->control->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
    while (static_cast<size_t>(labels.size()) < edges.size()) labels.push_back(new_part(v->control, layout));
    while (static_cast<size_t>(labels.size()) > edges.size()) {
        delete labels.back();
        labels.pop_back();
    }
    int left = 0;
    for (size_t i = 0; i < static_cast<size_t>(labels.size()); ++i) {
        const bool rest = edges[i] < 0 || i + 1 == static_cast<size_t>(labels.size());
        if (rest) {
            labels[i]->setMinimumWidth(0);
            labels[i]->setMaximumWidth(QWIDGETSIZE_MAX);
        } else {
            labels[i]->setFixedWidth(std::max(0, edges[i] - left - 2));
            left = edges[i];
        }
        layout->setStretchFactor(labels[i], rest ? 1 : 0);
        labels[i]->setText(to_qt(i == 0 ? w->text : s->texts[i - 1]));
    }
}

}  // namespace cw::qt
