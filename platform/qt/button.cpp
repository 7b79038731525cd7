// Qt widgets of "BUTTON" windows.
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "qt/widgets.h"
#include "win/controls.h"

using namespace cw::win;

namespace cw::qt {

void create_button(Window* w) {
    View* v = view_of(w);
    const UINT type = button_type(w);
    QWidget* widget = nullptr;
    if (type == BS_GROUPBOX) {
        widget = new QGroupBox(v->client);
    } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE) {
        auto* box = new QCheckBox(v->client);
        // The window procedure decides the check state; Qt only reports the click.
        QObject::connect(box, &QCheckBox::clicked, box, [w, box](bool) {
            button_sync(w);
            button_user_clicked(w);
        });
        widget = box;
    } else if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
        auto* radio = new QRadioButton(v->client);
        radio->setAutoExclusive(false);
        QObject::connect(radio, &QRadioButton::clicked, radio, [w](bool) {
            button_sync(w);
            button_user_clicked(w);
        });
        widget = radio;
    } else {
        auto* push = new QPushButton(v->client);
        push->setDefault(type == BS_DEFPUSHBUTTON);
        push->setAutoDefault(false);
        QObject::connect(push, &QPushButton::clicked, push, [w] { button_user_clicked(w); });
        widget = push;
    }
    widget->setFont(font_for(w));
    v->control = widget;
    widget->show();
    if (type == BS_GROUPBOX) {
        // A group box is drawn behind the controls it frames, which are its siblings.
        v->client->setAttribute(Qt::WA_TransparentForMouseEvents);
        v->frame->lower();
    }
    button_sync(w);
}

void button_sync(Window* w) {
    View* v = view_of(w);
    if (!v || !v->control) return;
    const QString text = to_qt(w->text);
    const auto* state = dynamic_cast<const ButtonState*>(w->control.get());
    const int check = state ? state->check : BST_UNCHECKED;
    if (auto* g = qobject_cast<QGroupBox*>(v->control)) {
        g->setTitle(text);
    } else if (auto* c = qobject_cast<QCheckBox*>(v->control)) {
        c->setText(text);
        c->setTristate(check == 2);
        c->setCheckState(check == BST_CHECKED ? Qt::Checked
                         : check == 2         ? Qt::PartiallyChecked
                                              : Qt::Unchecked);
    } else if (auto* r = qobject_cast<QRadioButton*>(v->control)) {
        r->setText(text);
        r->setChecked(check == BST_CHECKED);
    } else if (auto* b = qobject_cast<QPushButton*>(v->control)) {
        b->setText(text);
    }
}

}  // namespace cw::qt
