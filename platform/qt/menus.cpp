// Menu bars and popup menus rendered from the menu model: a QMenuBar per
// top-level window, rebuilt when the program changes its bar, and popups read
// afresh each time they open so that states and check marks are current.
#include <QAction>
#include <QApplication>
#include <QStyle>
#include <QMenu>
#include <QMenuBar>

#include "automation/automation.h"
#include "qt/gdi_objects.h"
#include "qt/view.h"
#include "qt/widgets.h"
#include "win/mdi.h"
#include "win/menu.h"

using cw::win::MenuItemModel;
using cw::win::MenuModel;
using cw::win::Window;

namespace cw::qt {

namespace {

bool greyed(const MenuItemModel& item) {
    return (item.state & (MF_GRAYED | MF_DISABLED)) != 0;
}

void fill_popup(QMenu* menu, HMENU model_handle, HWND owner, UINT* chosen);

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
            if (owner) SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(handle), 0);
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
    if (item.state & MFS_CHECKED) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    const UINT id = item.id;
    QObject::connect(a, &QAction::triggered, a, [owner, id, chosen] {
        note_input();
        if (chosen)
            *chosen = id;
        else if (owner)
            PostMessageA(owner, WM_COMMAND, id, 0);
    });
    container->addAction(a);
    return a;
}

void fill_popup(QMenu* menu, HMENU model_handle, HWND owner, UINT* chosen) {
    menu->clear();
    MenuModel* m = cw::win::menu_from(model_handle);
    if (!m) return;
    for (const MenuItemModel& item : m->items) add_item(menu, item, owner, chosen);
}

}  // namespace

void sync_menu_bar(Window* w) {
    View* v = view_of(w);
    if (!v || !cw::win::is_top_level(w)) return;
    if (!v->menubar) {
        v->menubar = new QMenuBar(v->frame);
        v->menubar->setNativeMenuBar(false);
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
                HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
                a->setIcon(qicon_of(icon).isNull()
                               ? v->frame->style()->standardIcon(QStyle::SP_TitleBarMenuButton)
                               : qicon_of(icon));
            }
        }
        v->menu_revision = cw::win::menu_tree_revision(w->menu);
    }
    sync_geometry(w);
}

}  // namespace cw::qt

using namespace cw::qt;

HMENU GetMenu(HWND hwnd) {
    Window* w = cw::win::window_from(hwnd);
    return w && cw::win::is_top_level(w) ? w->menu : nullptr;
}

BOOL SetMenu(HWND hwnd, HMENU menu) {
    Window* w = cw::win::window_from(hwnd);
    if (!w || !cw::win::is_top_level(w)) return FALSE;
    if (menu && !cw::win::menu_from(menu)) return FALSE;
    const HMENU old = w->menu;
    const bool had = old != nullptr;
    w->menu = menu;
    cw::win::mdi_frame_menu_changed(w, old, menu);
    sync_menu_bar(w);
    if (had != (menu != nullptr)) cw::win::nonclient_changed(w);
    return TRUE;
}

BOOL DrawMenuBar(HWND hwnd) {
    Window* w = cw::win::window_from(hwnd);
    if (!w) return FALSE;
    sync_menu_bar(w);
    return TRUE;
}

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, LPCRECT) {
    if (!cw::win::menu_from(menu)) return FALSE;
    UINT chosen = 0;
    if (cw::automation::active()) {
        if (auto a = cw::automation::take_answer(cw::automation::Answer::Menu))
            chosen = a->cancel ? 0 : a->value;
    } else {
        QMenu popup;
        popup.setFont(QApplication::font());
        if (owner) SendMessageA(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
        // The chosen id is delivered after the menu has closed, as the system does.
        fill_popup(&popup, menu, owner, &chosen);
        popup.exec(QPoint(x, y));
    }
    cw::automation::popups().push_back(cw::automation::PopupRecord{owner, menu, x, y, flags, chosen});
    if (chosen == 0) return flags & TPM_RETURNCMD ? 0 : TRUE;
    if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
    if (owner) PostMessageA(owner, WM_COMMAND, chosen, 0);
    return TRUE;
}
