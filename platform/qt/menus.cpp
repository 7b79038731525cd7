// Menu bars and popup menus rendered from the menu model: a QMenuBar per
// top-level window, rebuilt when the program changes its bar, and popups read
// afresh each time they open so that states and check marks are current.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>

#include <algorithm>

#include "qt/backend_impl.h"
#include "qt/widgets.h"
#include "win/input.h"
#include "win/mdi.h"
#include "win/menu.h"

using cw::win::MenuItemModel;
using cw::win::MenuModel;
using cw::win::Window;

namespace cw::qt {

void fill_popup(QMenu* menu, HMENU model_handle, HWND owner, UINT* chosen);

namespace {

bool greyed(const MenuItemModel& item) {
    return (item.state & (MF_GRAYED | MF_DISABLED)) != 0;
}

QAction* add_item(QWidget* container, const MenuItemModel& item, HWND owner, UINT* chosen) {
    if (item.type & MFT_SEPARATOR) {
        auto* a = new QAction(container);
        a->setSeparator(true);
        container->addAction(a);
        return a;
    }
    const QString text = to_qt(item.text);
    if (item.submenu) {
        auto* sub = new QMenu(text, container);
        const HMENU handle = item.submenu;
        QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, handle, owner, chosen] {
            cw::win::input_menu_opening(cw::win::window_from(owner), handle);
            fill_popup(sub, handle, owner, chosen);
        });
        fill_popup(sub, handle, owner, chosen);
        QAction* a = sub->menuAction();
        a->setEnabled(!greyed(item));
        container->addAction(a);
        return a;
    }
    auto* a = new QAction(text, container);
    a->setEnabled(!greyed(item));
    a->setData(QVariant::fromValue(item.id));
    if (item.state & MFS_CHECKED) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    if (item.state & MFS_DEFAULT) {  // the default item (Close, in a system menu) stands out in bold
        QFont bold = a->font();
        bold.setBold(true);
        a->setFont(bold);
    }
    const UINT id = item.id;
    QObject::connect(a, &QAction::triggered, a, [owner, id, chosen] {
        if (chosen)
            *chosen = id;
        else
            cw::win::input_menu_chosen(cw::win::window_from(owner), id);
    });
    container->addAction(a);
    return a;
}

// Takes every item off a bar or popup before it is filled afresh, and deletes what was made for
// them. clear() would leave two kinds behind: a submenu, whose action belongs to the submenu
// while the submenu is a child of the container, and an item the bar has no room for, which
// also sits in the bar's overflow menu and so is only taken off. They go later, not now: one
// of them may be delivering the very click that caused the rebuild.
void clear_items(QWidget* container) {
    for (QAction* a : container->actions()) {
        container->removeAction(a);
        auto* sub = qobject_cast<QMenu*>(a->parent());
        QObject* made = sub && sub->menuAction() == a ? static_cast<QObject*>(sub) : a;
        if (made->parent() != container) continue;
        if (sub) sub->hide();
        made->deleteLater();
    }
}

}  // namespace

void fill_popup(QMenu* menu, HMENU model_handle, HWND owner, UINT* chosen) {
    clear_items(menu);
    MenuModel* m = cw::win::menu_from(model_handle);
    if (!m) return;
    for (const MenuItemModel& item : m->items) add_item(menu, item, owner, chosen);
}

namespace {

// A menu bar's icons stand no taller than its texts: an item shown by its icon alone (a
// maximised MDI child's system menu) must not make the items taller than the bar, or Qt moves
// every item into its overflow button.
class MenuBarStyle : public QProxyStyle {
  public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        const int value = QProxyStyle::pixelMetric(metric, option, widget);
        if (metric == PM_SmallIconSize && widget) return std::min(value, widget->fontMetrics().height());
        return value;
    }
};

QStyle* menu_bar_style() {
    static QStyle* style = new MenuBarStyle;  // for the whole run, as the application's style
    return style;
}

// The text of a system menu item as a tooltip says it: no mnemonic, no shortcut.
QString plain_label(QString text) {
    text = text.section(QLatin1Char('\t'), 0, 0);
    const qsizetype mnemonic = text.indexOf(QLatin1String("(&"));
    if (mnemonic > 0) text.truncate(mnemonic);
    return text.remove(QLatin1Char('&')).trimmed();
}

// One of the maximised child's caption buttons on the frame's bar, painted as on its caption.
class BarButton : public QAbstractButton {
  public:
    BarButton(UINT command, QSize size, QWidget* parent) : QAbstractButton(parent), command_(command) {
        setFixedSize(size);
        setFocusPolicy(Qt::NoFocus);
    }
    QSize sizeHint() const override { return size(); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        paint_caption_button(p, rect(), command_, isDown(), isEnabled());
    }

  private:
    UINT command_;
};

// The buttons are items of the bar's model (its last ones); a click chooses that item, as a
// click on the system's picture item does.
QWidget* make_bar_buttons(Window* w, const MenuModel& bar, QWidget* parent) {
    const int height = cw::win::menu_bar_height();
    const QSize size(height - 2, height - 4);
    auto* box = new QWidget(parent);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 2, 2, 2);
    row->setSpacing(0);
    const HMENU system_menu = bar.items.empty() ? nullptr : bar.items.front().submenu;
    const HWND owner = w->handle;
    for (size_t i = 0; i < bar.items.size(); ++i) {
        if (!cw::win::mdi_bar_button(w->menu, static_cast<int>(i))) continue;
        const MenuItemModel& item = bar.items[i];
        auto* b = new BarButton(item.id, size, box);
        b->setProperty("cw_command", item.id);
        b->setEnabled(!greyed(item));
        char label[128] = {};
        if (system_menu) GetMenuStringA(system_menu, item.id, label, sizeof label, MF_BYCOMMAND);
        b->setToolTip(plain_label(to_qt(label)));
        const UINT id = item.id;
        QObject::connect(b, &QAbstractButton::clicked, b,
                         [owner, id] { cw::win::input_menu_chosen(cw::win::window_from(owner), id); });
        if (id == SC_CLOSE) row->addSpacing(2);  // the close button stands a little apart
        row->addWidget(b);
    }
    box->setFixedSize(row->sizeHint());
    return box;
}

}  // namespace

void sync_menu_bar_widget(Window* w) {
    View* v = view_of(w);
    if (!v || !cw::win::is_top_level(w)) return;
    if (!v->menubar) {
        v->menubar = new QMenuBar(v->frame);
        v->menubar->setNativeMenuBar(false);
        v->menubar->setStyle(menu_bar_style());
    }
    clear_items(v->menubar);
    if (v->bar_buttons) {
        v->menubar->setCornerWidget(nullptr, Qt::TopRightCorner);
        v->bar_buttons->hide();
        v->bar_buttons->deleteLater();
        v->bar_buttons = nullptr;
    }
    v->rendered_menu = w->menu;
    MenuModel* m = cw::win::menu_from(w->menu);
    if (m) {
        bool buttons = false;
        for (size_t i = 0; i < m->items.size(); ++i) {
            const MenuItemModel& item = m->items[i];
            if (cw::win::mdi_bar_button(w->menu, static_cast<int>(i))) {
                buttons = true;  // shown in the bar's corner, below
                continue;
            }
            QAction* a = add_item(v->menubar, item, w->handle, nullptr);
            // The maximised MDI child's system menu shows as the child's icon.
            if (i == 0 && cw::win::mdi_bar_has_system_item(w->menu))
                a->setIcon(qicon_of(cw::win::mdi_bar_icon(w->menu)));
        }
        if (buttons) {
            v->bar_buttons = make_bar_buttons(w, *m, v->menubar);
            v->menubar->setCornerWidget(v->bar_buttons, Qt::TopRightCorner);
            v->bar_buttons->show();
        }
        v->menu_revision = cw::win::menu_tree_revision(w->menu);
    }
    cw::backend::sync_geometry(w);
}

}  // namespace cw::qt

namespace cw::qt::impl {

void sync_menu_bar(Window* w) {
    cw::qt::sync_menu_bar_widget(w);
}

UINT track_popup(HMENU menu, Window* owner, int x, int y, UINT) {
    UINT chosen = 0;
    QMenu popup;
    popup.setFont(QApplication::font());
    // The chosen id is delivered after the menu has closed, as the system does.
    cw::qt::fill_popup(&popup, menu, owner ? owner->handle : nullptr, &chosen);
    popup.exec(QPoint(x, y));
    return chosen;
}

}  // namespace cw::qt::impl
