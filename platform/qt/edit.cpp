// Qt widgets of "EDIT" windows.
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "qt/widgets.h"
#include "win/controls.h"

using namespace cw::win;

namespace cw::qt {

void create_edit(Window* w) {
    View* v = view_of(w);
    auto* line = new QLineEdit(v->client);
    line->setFont(font_for(w));
    line->setFrame(false);
    if (w->style & ES_NUMBER)
        line->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), line));
    if ((w->style & 3) == ES_RIGHT)
        line->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    else if ((w->style & 3) == ES_CENTER)
        line->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    // Every change the user makes reaches the control: typing, and the widget's own undo, redo,
    // cut and paste, which change the text without an edit signal. What the window manager
    // sets is shown with the signals blocked.
    QObject::connect(line, &QLineEdit::textChanged, line,
                     [w](const QString& text) { edit_user_changed(w, from_qt(text)); });
    v->control = line;
    line->show();
    edit_sync(w);
}

void edit_sync(Window* w) {
    View* v = view_of(w);
    auto* line = v ? qobject_cast<QLineEdit*>(v->control) : nullptr;
    if (!line) return;
    const bool read_only = (w->style & ES_READONLY) != 0;
    line->setReadOnly(read_only);
    // A read-only edit stands on the button face, as the system draws it; an editable one is white.
    QPalette p = line->palette();
    p.setColor(QPalette::Base, sys_color(read_only ? COLOR_BTNFACE : COLOR_WINDOW));
    line->setPalette(p);
    const QString text = to_qt(w->text);
    auto* state = static_cast<EditState*>(w->control.get());
    const bool drop_history = state && state->history_dropped;
    if (state) state->history_dropped = false;
    // Setting the widget's text also clears its undo history.
    if (line->text() != text || drop_history) {
        const QSignalBlocker block(line);
        const int cursor = line->cursorPosition();
        line->setText(text);
        line->setCursorPosition(std::min<int>(cursor, text.size()));
    }
}

}  // namespace cw::qt
