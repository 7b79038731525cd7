// Menu bars and popup menus rendered from the menu model: a QMenuBar per
// top-level window, rebuilt when the program changes its bar, and popups read
// afresh each time they open so that states and check marks are current.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>

#include <algorithm>

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

}  // namespace

void fill_popup(QMenu* menu, HMENU model_handle, HWND owner, UINT* chosen) {
    menu->clear();
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

}  // namespace

void sync_menu_bar_widget(Window* w) {
    View* v = view_of(w);
    if (!v || !cw::win::is_top_level(w)) return;
    if (!v->menubar) {
        v->menubar = new QMenuBar(v->frame);
        v->menubar->setNativeMenuBar(false);
        v->menubar->setStyle(menu_bar_style());
    }
    v->menubar->clear();
    v->rendered_menu = w->menu;
    MenuModel* m = cw::win::menu_from(w->menu);
    if (m) {
        for (size_t i = 0; i < m->items.size(); ++i) {
            const MenuItemModel& item = m->items[i];
            QAction* a = add_item(v->menubar, item, w->handle, nullptr);
            if (i == 0 && cw::win::mdi_bar_has_system_item(w->menu)) {
                // The maximised MDI child's system menu shows as the child's icon.
                a->setIcon(qicon_of(cw::win::mdi_bar_icon(w->menu)));
            }
        }
        v->menu_revision = cw::win::menu_tree_revision(w->menu);
    }
    cw::backend::sync_geometry(w);
}

}  // namespace cw::qt

namespace cw::backend {

void sync_menu_bar(Window* w) {
    cw::qt::sync_menu_bar_widget(w);
}

UINT track_popup(HMENU menu, Window* owner, int x, int y) {
    UINT chosen = 0;
    QMenu popup;
    popup.setFont(QApplication::font());
    // The chosen id is delivered after the menu has closed, as the system does.
    cw::qt::fill_popup(&popup, menu, owner ? owner->handle : nullptr, &chosen);
    popup.exec(QPoint(x, y));
    return chosen;
}

}  // namespace cw::backend
