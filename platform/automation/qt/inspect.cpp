// Read-back and input for the automation seam, done through the widgets so that
// tests see what a user sees.
#include "automation/inspect.h"

#include <QAbstractButton>
#include <QApplication>
#include <QExposeEvent>
#include <QWindow>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>

#include "qt/view.h"
#include "automation/json.h"
#include "qt/widgets.h"
#include "text/cp932.h"
#include "win/menu.h"
#include "win/window.h"

using cw::win::Window;

namespace cw::automation {

namespace {

std::string utf8(const QString& s) {
    return s.toStdString();
}

RECT global_rect(QWidget* w) {
    const QPoint p = w->mapToGlobal(QPoint(0, 0));
    return RECT{p.x(), p.y(), p.x() + w->width(), p.y() + w->height()};
}

// A shown menu item, with the command id of the model item it was rendered from
// (the shown items follow the model's one for one).
std::string action_json(QAction* a, const cw::win::MenuItemModel* item) {
    std::vector<std::pair<std::string, std::string>> m;
    const std::string id = item ? std::to_string(item->id) : "null";
    if (a->isSeparator()) return json_object({{"separator", "true"}, {"id", id}});
    m.push_back({"text", json_string(utf8(a->text()))});
    if (!a->menu()) m.push_back({"id", id});
    m.push_back({"enabled", a->isEnabled() ? "true" : "false"});
    m.push_back({"checked", a->isChecked() ? "true" : "false"});
    if (QMenu* sub = a->menu()) {
        // Popups are filled when they open; show them as they would open now.
        emit sub->aboutToShow();
        const cw::win::MenuModel* model = item ? cw::win::menu_from(item->submenu) : nullptr;
        std::vector<std::string> items;
        const QList<QAction*> shown = sub->actions();
        for (qsizetype i = 0; i < shown.size(); ++i)
            items.push_back(action_json(shown[i], model && static_cast<size_t>(i) < model->items.size()
                                                      ? &model->items[i]
                                                      : nullptr));
        m.push_back({"items", json_array(items)});
    }
    return json_object(m);
}

std::string model_item_json(const cw::win::MenuItemModel& item) {
    if (item.type & MFT_SEPARATOR)
        return json_object({{"separator", "true"}, {"id", std::to_string(item.id)}});
    std::vector<std::pair<std::string, std::string>> m;
    m.push_back({"text", json_string(cw::text::cp932_to_utf8(item.text))});
    m.push_back({"id", std::to_string(item.id)});
    m.push_back({"enabled", (item.state & (MF_GRAYED | MF_DISABLED)) ? "false" : "true"});
    m.push_back({"checked", (item.state & MFS_CHECKED) ? "true" : "false"});
    if (item.submenu) m.push_back({"items", menu_json(item.submenu)});
    return json_object(m);
}

std::string tree_item_json(QTreeWidgetItem* q) {
    std::vector<std::string> kids;
    for (int i = 0; i < q->childCount(); ++i) kids.push_back(tree_item_json(q->child(i)));
    return json_object({{"text", json_string(utf8(q->text(0)))},
                        {"checked", q->checkState(0) == Qt::Checked ? "true" : "false"},
                        {"selected", q->isSelected() ? "true" : "false"},
                        {"expanded", q->isExpanded() ? "true" : "false"},
                        {"children", json_array(kids)}});
}

std::string scrollbar_json(const cw::win::ScrollBarState& s, QScrollBar* bar) {
    const bool shown = bar && bar->isVisibleTo(bar->parentWidget()) && s.shown;
    return json_object({{"shown", shown ? "true" : "false"},
                        {"min", std::to_string(s.min)},
                        {"max", std::to_string(s.max)},
                        {"pos", std::to_string(s.pos)}});
}

}  // namespace

WindowReading read_window(HWND hwnd) {
    WindowReading r;
    Window* w = cw::win::window_from(hwnd);
    cw::qt::View* v = cw::qt::view_of(w);
    if (!w || !v) return r;
    r.exists = true;
    r.visible = IsWindowVisible(hwnd) && v->frame->isVisible();
    r.enabled = !(w->style & WS_DISABLED) &&
                (cw::win::is_top_level(w) ? v->client->isEnabled() : v->frame->isEnabled());
    r.client = global_rect(v->client);
    RECT frame = global_rect(v->frame);
    if (cw::win::is_top_level(w)) {
        const cw::win::Insets sf = cw::win::system_frame(w->style);
        frame.left -= sf.left, frame.top -= sf.top, frame.right += sf.right, frame.bottom += sf.bottom;
        r.title = utf8(v->frame->windowTitle());
    } else {
        r.title = cw::text::cp932_to_utf8(w->text);
    }
    r.window = frame;
    return r;
}

std::string menu_bar_json(HWND top) {
    Window* w = cw::win::window_from(top);
    cw::qt::View* v = cw::qt::view_of(w);
    if (!v || !v->menubar || !w->menu) return "[]";
    const cw::win::MenuModel* model = cw::win::menu_from(w->menu);
    std::vector<std::string> items;
    const QList<QAction*> shown = v->menubar->actions();
    for (qsizetype i = 0; i < shown.size(); ++i)
        items.push_back(action_json(
            shown[i], model && static_cast<size_t>(i) < model->items.size() ? &model->items[i] : nullptr));
    return json_array(items);
}

std::string menu_json(HMENU menu) {
    cw::win::MenuModel* m = cw::win::menu_from(menu);
    if (!m) return "[]";
    std::vector<std::string> items;
    for (const auto& item : m->items) items.push_back(model_item_json(item));
    return json_array(items);
}

std::string tree_json(HWND tree) {
    cw::qt::View* v = cw::qt::view_of(cw::win::window_from(tree));
    auto* t = v ? qobject_cast<QTreeWidget*>(v->control) : nullptr;
    if (!t) return "[]";
    std::vector<std::string> items;
    for (int i = 0; i < t->topLevelItemCount(); ++i) items.push_back(tree_item_json(t->topLevelItem(i)));
    return json_array(items);
}

std::string combo_json(HWND combo) {
    cw::qt::View* v = cw::qt::view_of(cw::win::window_from(combo));
    auto* c = v ? qobject_cast<QComboBox*>(v->control) : nullptr;
    if (!c) return "null";
    std::vector<std::string> items;
    for (int i = 0; i < c->count(); ++i) items.push_back(json_string(utf8(c->itemText(i))));
    return json_object({{"items", json_array(items)}, {"selection", std::to_string(c->currentIndex())}});
}

std::string controls_json(HWND dialog) {
    Window* d = cw::win::window_from(dialog);
    if (!d) return "[]";
    std::vector<std::string> out;
    for (Window* c : d->children) {
        cw::qt::View* v = cw::qt::view_of(c);
        std::vector<std::pair<std::string, std::string>> m;
        m.push_back({"id", std::to_string(static_cast<int>(c->id))});
        m.push_back({"class", json_string(c->cls ? c->cls->name : "")});
        QString text;
        std::string checked = "null";
        if (v && v->control) {
            if (auto* e = qobject_cast<QLineEdit*>(v->control))
                text = e->text();
            else if (auto* b = qobject_cast<QAbstractButton*>(v->control)) {
                text = b->text();
                if (b->isCheckable()) checked = b->isChecked() ? "true" : "false";
            } else if (auto* g = qobject_cast<QGroupBox*>(v->control))
                text = g->title();
            else if (auto* l = qobject_cast<QLabel*>(v->control))
                text = l->text();
            else
                text = cw::qt::to_qt(c->text);
            if (auto* s = qobject_cast<QSlider*>(v->control))
                m.push_back({"position", std::to_string(s->value())});
        } else {
            text = cw::qt::to_qt(c->text);
        }
        m.push_back({"text", json_string(utf8(text))});
        m.push_back({"enabled", v && v->frame->isEnabled() && !(c->style & WS_DISABLED) ? "true" : "false"});
        m.push_back({"visible", v && v->frame->isVisible() ? "true" : "false"});
        m.push_back({"checked", checked});
        if (auto* combo = v ? qobject_cast<QComboBox*>(v->control) : nullptr) {
            std::vector<std::string> items;
            for (int i = 0; i < combo->count(); ++i) items.push_back(json_string(utf8(combo->itemText(i))));
            m.push_back({"items", json_array(items)});
            m.push_back({"selection", std::to_string(combo->currentIndex())});
        }
        out.push_back(json_object(m));
    }
    return json_array(out);
}

std::string scrollbars_json(HWND hwnd) {
    Window* w = cw::win::window_from(hwnd);
    cw::qt::View* v = cw::qt::view_of(w);
    if (!v) return "null";
    return json_object({{"horizontal", scrollbar_json(w->hscroll, v->hbar)},
                        {"vertical", scrollbar_json(w->vscroll, v->vbar)}});
}

bool snapshot(HWND hwnd, const std::string& path) {
    cw::qt::View* v = cw::qt::view_of(cw::win::window_from(hwnd));
    if (!v) return false;
    QCoreApplication::processEvents();
    const QPixmap pm = v->client->grab();
    return pm.save(QString::fromStdString(path), "PNG");
}

void desktop_exposes(HWND hwnd) {
    Window* w = cw::win::window_from(hwnd);
    cw::qt::View* v = w ? cw::qt::view_of(cw::win::top_level_of(w)) : nullptr;
    QWindow* window = v ? v->frame->windowHandle() : nullptr;
    if (!window) return;
    // As the platform reports it: the whole window is to be shown again.
    QExposeEvent expose(QRegion(QRect(QPoint(0, 0), window->size())));
    QCoreApplication::sendEvent(window, &expose);
}

void desktop_activates_another_program() {
    // Qt hears of it as no window of the application being active any more.
    QApplication::setActiveWindow(nullptr);
}

void after(int milliseconds, std::function<void()> action) {
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, std::move(action));
}

bool user_can_reach(HWND hwnd) {
    Window* w = cw::win::window_from(hwnd);
    if (!w || !IsWindowVisible(hwnd)) return false;
    for (; w; w = cw::win::is_top_level(w) ? nullptr : w->parent)
        if (w->style & WS_DISABLED) return false;
    return true;
}

std::string user_menu(HWND top, const std::vector<std::string>& texts, UINT id) {
    Window* w = cw::win::window_from(top);
    cw::qt::View* v = cw::qt::view_of(w);
    if (!v || !v->menubar || !w->menu || !v->menubar->isVisible()) return "the window shows no menu bar";
    if (!user_can_reach(top)) return "the window takes no input";
    std::vector<QAction*> path;
    std::string why = cw::qt::menu_path(v->menubar->actions(), texts, id, &path, [](const std::string& what) {
        return "no item " + what + " is shown";
    });
    if (!why.empty()) return why;
    for (QAction* a : path)
        if (!a->isEnabled()) return "the item \"" + utf8(a->text()) + "\" is greyed";
    path.back()->trigger();
    return "";
}

}  // namespace cw::automation

COLORREF cw::qt::shown_pixel(Window* w, int x, int y) {
    cw::qt::View* v = cw::qt::view_of(w);
    if (!v) return CLR_INVALID;
    QCoreApplication::processEvents();
    const QImage image = v->client->grab().toImage();
    if (!image.rect().contains(x, y)) return CLR_INVALID;
    const QColor c = image.pixelColor(x, y);
    return RGB(c.red(), c.green(), c.blue());
}

void cw::qt::user_drag_thumb(Window* w, bool vertical, int pos) {
    cw::qt::View* v = cw::qt::view_of(w);
    QScrollBar* bar = v ? (vertical ? v->vbar : v->hbar) : nullptr;
    if (!bar) return;
    bar->setSliderDown(true);
    bar->setSliderPosition(pos);
}

namespace {

// The item of a popup or bar with the given text, or nullptr.
QAction* action_named(const QList<QAction*>& actions, const QString& text) {
    for (QAction* a : actions)
        if (!a->isSeparator() && (a->text() == text || a->text().section(QLatin1Char('\t'), 0, 0) == text))
            return a;
    return nullptr;
}

// Depth-first through what the popups show when opened: the path to the item with the id.
bool find_command(const QList<QAction*>& actions, UINT id, std::vector<QAction*>* path) {
    for (QAction* a : actions) {
        if (a->isSeparator()) continue;
        path->push_back(a);
        if (QMenu* sub = a->menu()) {
            emit sub->aboutToShow();
            if (find_command(sub->actions(), id, path)) return true;
        } else if (a->data().isValid() && a->data().toUInt() == id) {
            return true;
        }
        path->pop_back();
    }
    return false;
}

}  // namespace

std::string cw::qt::menu_path(const QList<QAction*>& actions, const std::vector<std::string>& texts, UINT id,
                              std::vector<QAction*>* path,
                              std::string (*not_shown)(const std::string& what)) {
    if (texts.empty()) return find_command(actions, id, path) ? "" : not_shown(std::to_string(id));
    QList<QAction*> shown = actions;
    for (const std::string& t : texts) {
        QAction* a = action_named(shown, QString::fromStdString(t));
        if (!a) return not_shown("\"" + t + "\"");
        path->push_back(a);
        if (QMenu* sub = a->menu()) {
            emit sub->aboutToShow();
            shown = sub->actions();
        } else {
            shown.clear();
        }
    }
    if (path->back()->menu()) return "\"" + texts.back() + "\" opens a popup, it is not a command";
    return "";
}
