// Qt widget of "SysTreeView32" windows: a QTreeWidget that mirrors the items of
// the window procedure and hands every mouse and key press back to it.
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <map>

#include "qt/backend_impl.h"
#include "qt/widgets.h"
#include "win/controls.h"
#include "win/input.h"

using namespace cw::win;

namespace cw::qt {

namespace {

class RowHeight : public QStyledItemDelegate {
  public:
    RowHeight(Window* w, QObject* parent) : QStyledItemDelegate(parent), w_(w) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        if (TreeState* st = tree_state(w_)) s.setHeight(st->item_height);
        return s;
    }

  private:
    Window* w_;
};

struct TreeView {
    QTreeWidget* widget = nullptr;
    std::map<TreeItem*, QTreeWidgetItem*> shown;
};

std::map<Window*, TreeView>& trees() {
    static std::map<Window*, TreeView> t;
    return t;
}

}  // namespace

void create_tree(Window* w) {
    View* v = view_of(w);
    auto* tree = new QTreeWidget(v->client);
    tree->setFrameShape(QFrame::NoFrame);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setRootIsDecorated((w->style & TVS_LINESATROOT) != 0);
    tree->setItemDelegate(new RowHeight(w, tree));
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setUniformRowHeights(true);
    tree->setFont(font_for(w));
    tree->setAllColumnsShowFocus((w->style & TVS_FULLROWSELECT) != 0);
    route_input_to_procedure(w, tree, {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_Space});
    tree->viewport()->setMouseTracking(true);
    v->control = tree;
    tree->show();
    trees()[w].widget = tree;
    QObject::connect(tree, &QObject::destroyed, [w] { trees().erase(w); });
}

void add_items(TreeView& tv, QTreeWidgetItem* parent, const std::vector<TreeItem*>& items, bool checkboxes) {
    for (TreeItem* item : items) {
        auto* q = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tv.widget);
        q->setText(0, to_qt(item->text));
        if (checkboxes) {
            q->setFlags(q->flags() | Qt::ItemIsUserCheckable);
            const UINT image = (item->state & TVIS_STATEIMAGEMASK) >> 12;
            q->setCheckState(0, image == 2 ? Qt::Checked : Qt::Unchecked);
        }
        tv.shown[item] = q;
        add_items(tv, q, item->children, checkboxes);
        q->setExpanded((item->state & TVIS_EXPANDED) != 0);
    }
}

QStyleOptionViewItem item_option(QTreeWidget* tree, QTreeWidgetItem* q, bool checkboxes) {
    QStyleOptionViewItem opt;
    opt.initFrom(tree);
    opt.rect = tree->visualItemRect(q);
    opt.font = tree->font();
    opt.fontMetrics = QFontMetrics(tree->font());
    opt.text = q->text(0);
    opt.features = QStyleOptionViewItem::HasDisplay;
    if (checkboxes) opt.features |= QStyleOptionViewItem::HasCheckIndicator;
    opt.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    return opt;
}

void tree_sync(Window* w) {
    auto it = trees().find(w);
    TreeState* s = tree_state(w);
    if (it == trees().end() || !s) return;
    TreeView& tv = it->second;
    const QSignalBlocker block(tv.widget);
    const int scroll = tv.widget->verticalScrollBar()->value();
    tv.widget->clear();
    tv.shown.clear();
    add_items(tv, nullptr, s->roots, (w->style & TVS_CHECKBOXES) != 0);
    tv.widget->clearSelection();
    if (s->selected && tv.shown.count(s->selected)) {
        QTreeWidgetItem* q = tv.shown[s->selected];
        tv.widget->setCurrentItem(q);
        q->setSelected(true);
    }
    tv.widget->doItemsLayout();
    tv.widget->verticalScrollBar()->setValue(scroll);
}

}  // namespace cw::qt

namespace cw::qt::impl {

bool tree_item_rect(Window* w, TreeItem* item, bool text_only, RECT* out) {
    auto it = trees().find(w);
    if (it == trees().end() || !it->second.shown.count(item)) return false;
    QTreeWidget* tree = it->second.widget;
    QTreeWidgetItem* q = it->second.shown[item];
    const QRect r = tree->visualItemRect(q);
    if (!r.isValid()) return false;  // inside a collapsed item
    if (!text_only) {
        *out = RECT{0, r.top(), tree->viewport()->width(), r.bottom() + 1};
        return true;
    }
    const QStyleOptionViewItem opt = item_option(tree, q, (w->style & TVS_CHECKBOXES) != 0);
    const QRect text = tree->style()->subElementRect(QStyle::SE_ItemViewItemText, &opt, tree);
    const int width = opt.fontMetrics.horizontalAdvance(q->text(0)) + 4;
    *out = RECT{text.left(), r.top(), text.left() + width, r.bottom() + 1};
    return true;
}

void tree_scroll_to(Window* w, TreeItem* item) {
    auto it = trees().find(w);
    if (it == trees().end() || !it->second.shown.count(item)) return;
    it->second.widget->scrollToItem(it->second.shown[item]);
}

TreeItem* tree_item_at(Window* w, POINT p, UINT* flags) {
    if (flags) *flags = TVHT_NOWHERE;
    auto it = trees().find(w);
    if (it == trees().end()) return nullptr;
    QTreeWidget* tree = it->second.widget;
    QTreeWidgetItem* q = tree->itemAt(QPoint(p.x, p.y));
    if (!q) {
        // The full row counts as the item, as TVS_FULLROWSELECT makes it.
        q = tree->itemAt(QPoint(tree->viewport()->width() / 2, p.y));
        if (!q || p.x < 0 || p.x >= tree->viewport()->width()) return nullptr;
    }
    TreeItem* found = nullptr;
    for (auto& [item, shown] : it->second.shown)
        if (shown == q) found = item;
    if (!found || !flags) return found;
    const QRect r = tree->visualItemRect(q);
    const QStyleOptionViewItem opt = item_option(tree, q, (w->style & TVS_CHECKBOXES) != 0);
    const QRect check = tree->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, tree);
    RECT text{};
    tree_item_rect(w, found, true, &text);
    if ((w->style & TVS_CHECKBOXES) && check.contains(p.x, p.y))
        *flags = TVHT_ONITEMSTATEICON;
    else if (p.x >= text.left && p.x < text.right)
        *flags = TVHT_ONITEMLABEL;
    else if (p.x < r.left() && p.x >= r.left() - tree->indentation() && q->childCount() > 0)
        *flags = TVHT_ONITEMBUTTON;
    else if (p.x < r.left())
        *flags = TVHT_ONITEMINDENT;
    else
        *flags = TVHT_ONITEMRIGHT;
    return found;
}

}  // namespace cw::qt::impl
