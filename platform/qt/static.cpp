// Qt widgets of "STATIC" windows.
#include <QLabel>

#include <algorithm>
#include <cstdlib>

#include "qt/widgets.h"
#include "win/backend.h"
#include "win/controls.h"

using namespace cw::win;

namespace cw::qt {

void static_sync(Window* w) {
    View* v = view_of(w);
    auto* label = v ? qobject_cast<QLabel*>(v->control) : nullptr;
    if (!label) return;
    const UINT type = w->style & SS_TYPEMASK;
    if (type == SS_ICON) {
        // The text names the icon resource: "#125" or a plain number.
        const char* t = w->text.c_str();
        const int id = std::atoi(*t == '#' ? t + 1 : t);
        const QIcon icon = qicon_of(LoadIconA(reinterpret_cast<HINSTANCE>(0x400000), MAKEINTRESOURCEA(id)));
        label->setPixmap(icon.pixmap(32, 32));
        return;
    }
    if (type == SS_BLACKRECT || type == SS_GRAYRECT || type == SS_WHITERECT) return;
    label->setText(to_qt(w->text));
}

// A black, grey or white rectangle has no widget of its own: its colour goes into
// the client pixels, so what the program paints there later shows instead.
void create_rectangle(Window* w, UINT type) {
    const QColor c = type == SS_BLACKRECT  ? QColor(0, 0, 0)
                     : type == SS_GRAYRECT ? sys_color(COLOR_BTNSHADOW)
                                           : QColor(255, 255, 255);
    const cw::backend::ScreenPixels p = cw::backend::window_pixels(w);
    if (!p.xrgb) return;
    for (int y = 0; y < p.height; ++y)
        std::fill_n(p.xrgb + y * (p.stride / 4), p.width, static_cast<uint32_t>(c.rgb()));
    cw::backend::window_pixels_changed(w, RECT{0, 0, p.width, p.height});
}

void create_static(Window* w) {
    View* v = view_of(w);
    const UINT kind = w->style & SS_TYPEMASK;
    if (kind == SS_BLACKRECT || kind == SS_GRAYRECT || kind == SS_WHITERECT) {
        create_rectangle(w, kind);
        return;
    }
    auto* label = new QLabel(v->client);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font_for(w));
    const UINT type = w->style & SS_TYPEMASK;
    if (type == SS_CENTER)
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    else if (type == SS_RIGHT)
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    else
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) label->setWordWrap(true);
    if (type == SS_ICON) label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAttribute(Qt::WA_TransparentForMouseEvents, !(w->style & SS_NOTIFY));
    v->control = label;
    label->show();
    static_sync(w);
}

}  // namespace cw::qt
