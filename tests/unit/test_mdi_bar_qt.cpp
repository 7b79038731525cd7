// A maximised MDI child on the Qt backend, as a user sees the frame's menu bar: every item of
// the program's bar stays in view at the main window's 640-pixel width (none in an overflow
// button), the child's system menu shows as the system's application icon, never Qt's logo,
// with the system's Japanese texts, and the caption buttons in the bar's corner act on a click.
#include <windows.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStyle>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mdi_frame.h"
#include "res/resource.h"
#include "text/cp932.h"

namespace {

std::vector<std::pair<HWND, WPARAM>> g_syscommands;

void record_syscommand(HWND h, UINT m, WPARAM wp) {
    if (m == WM_SYSCOMMAND) g_syscommands.push_back({h, wp & 0xFFF0});
}

void pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    QCoreApplication::processEvents();
}

QImage picture(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

void click(QWidget* w) {
    const QPointF at(w->width() / 2.0, w->height() / 2.0), global(w->mapToGlobal(at.toPoint()));
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QCoreApplication::sendEvent(w, &release);
}

class QtMdiBar : public ::testing::Test {
  protected:
    void SetUp() override {
        bar_ = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_PATTERN_MENU));
        ASSERT_NE(bar_, nullptr);
        RECT r{0, 0, 640, 480};  // the main window's client area
        AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, TRUE, 0);
        mdi_.emplace(mdi_frame::Layout{.bar = bar_,
                                       .width = r.right - r.left,
                                       .height = r.bottom - r.top,
                                       .window_menu = GetSubMenu(bar_, 3),
                                       .first_child_id = IDM_FIRST_MDI_CHILD},
                     record_syscommand);
        frame_ = mdi_->frame();
        g_syscommands.clear();
        pump();
    }
    void TearDown() override {
        mdi_.reset();
        DestroyMenu(bar_);
    }
    HWND child(const char* title) const { return mdi_->child(title); }
    void maximise(HWND c) const {
        mdi_->maximise(c);
        pump();
    }
    QMenuBar* menu_bar() const {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->property("cw_hwnd").value<qulonglong>() != reinterpret_cast<qulonglong>(frame_))
                continue;
            return top->findChild<QMenuBar*>();
        }
        return nullptr;
    }
    // The caption buttons in the bar's right-hand corner, left to right.
    std::vector<QAbstractButton*> corner_buttons() const {
        QWidget* corner = menu_bar()->cornerWidget(Qt::TopRightCorner);
        if (!corner || !corner->isVisible()) return {};
        QList<QAbstractButton*> found = corner->findChildren<QAbstractButton*>();
        std::vector<QAbstractButton*> out(found.begin(), found.end());
        std::sort(out.begin(), out.end(),
                  [](QAbstractButton* a, QAbstractButton* b) { return a->x() < b->x(); });
        return out;
    }
    QAbstractButton* corner_button(const QString& tip) const {
        for (QAbstractButton* b : corner_buttons())
            if (b->toolTip() == tip) return b;
        return nullptr;
    }
    std::optional<mdi_frame::Frame> mdi_;
    HMENU bar_ = nullptr;
    HWND frame_ = nullptr;
};

TEST_F(QtMdiBar, EveryItemStaysInViewBesideTheChildsIconAndButtons) {
    QMenuBar* shown = menu_bar();
    ASSERT_NE(shown, nullptr);
    const int own_items = static_cast<int>(shown->actions().size());
    ASSERT_EQ(own_items, 5);
    HWND a = child("walk");
    maximise(a);

    const QList<QAction*> actions = shown->actions();
    ASSERT_EQ(actions.size(), own_items + 1) << "the system item, then the bar's own items";
    const QRect bar_rect = shown->rect();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const QRect r = shown->actionGeometry(actions[i]);
        EXPECT_FALSE(r.isEmpty()) << i;
        EXPECT_TRUE(bar_rect.contains(r)) << "item " << i << " is not in view";
        if (i > 0) {
            char text[64] = {};
            GetMenuStringA(bar_, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            EXPECT_EQ(actions[i]->text().toStdString(), cw::text::cp932_to_utf8(text));
        }
    }
    const auto* overflow = shown->findChild<QToolButton*>(QStringLiteral("qt_menubar_ext_button"));
    EXPECT_TRUE(!overflow || !overflow->isVisible()) << "nothing is left for an overflow button";
    EXPECT_EQ(shown->actionGeometry(actions[0]).height(), shown->actionGeometry(actions[1]).height())
        << "the icon makes its item no taller than the others";

    // The system item shows an icon, and it is not one of Qt's own.
    const QIcon icon = actions[0]->icon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_NE(picture(icon), picture(QApplication::style()->standardIcon(QStyle::SP_TitleBarMenuButton)));
    EXPECT_NE(picture(icon), picture(QApplication::windowIcon()));
    EXPECT_NE(picture(icon), picture(QApplication::style()->standardIcon(QStyle::SP_DesktopIcon)));

    // The buttons sit right of the last item, inside the bar.
    const std::vector<QAbstractButton*> buttons = corner_buttons();
    ASSERT_EQ(buttons.size(), 3u);
    const int last_item_right = shown->actionGeometry(actions.back()).right();
    for (QAbstractButton* b : buttons) {
        const QRect r(b->mapTo(shown, QPoint(0, 0)), b->size());
        EXPECT_TRUE(bar_rect.contains(r));
        EXPECT_GT(r.left(), last_item_right);
        EXPECT_TRUE(b->isEnabled());
    }
    EXPECT_EQ(buttons[0]->toolTip(), QString::fromUtf8("最小化"));
    EXPECT_EQ(buttons[1]->toolTip(), QString::fromUtf8("元のサイズに戻す"));
    EXPECT_EQ(buttons[2]->toolTip(), QString::fromUtf8("閉じる"));
}

TEST_F(QtMdiBar, TheIconOpensTheSystemMenuInTheSystemsTexts) {
    HWND a = child("walk");
    maximise(a);
    QMenu* popup = menu_bar()->actions().value(0)->menu();
    ASSERT_NE(popup, nullptr);
    emit popup->aboutToShow();  // filled as it opens
    struct Shown {
        QString text;
        bool enabled;
    };
    const std::vector<Shown> expected = {
        {QString::fromUtf8("元のサイズに戻す(&R)"), true},
        {QString::fromUtf8("移動(&M)"), false},
        {QString::fromUtf8("サイズ変更(&S)"), false},
        {QString::fromUtf8("最小化(&N)"), true},
        {QString::fromUtf8("最大化(&X)"), false},
        {QString(), false},
        {QString::fromUtf8("閉じる(&C)\tCtrl+F4"), true},
        {QString(), false},
        {QString::fromUtf8("次のウィンドウ(&T)\tCtrl+F6"), true},
    };
    const QList<QAction*> items = popup->actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i].text.isEmpty()) {
            EXPECT_TRUE(items[i]->isSeparator()) << i;
            continue;
        }
        EXPECT_EQ(items[i]->text(), expected[i].text) << i;
        EXPECT_EQ(items[i]->isEnabled(), expected[i].enabled) << i;
    }
    EXPECT_TRUE(items[6]->font().bold()) << "Close is the default item";

    // Choosing Restore there restores the child.
    items[0]->trigger();
    pump();
    EXPECT_EQ(g_syscommands, (std::vector<std::pair<HWND, WPARAM>>{{a, SC_RESTORE}}));
    EXPECT_FALSE(IsZoomed(a));
}

TEST_F(QtMdiBar, ClickingTheCornerButtonsActsOnTheChildAndRestoringPutsTheBarBack) {
    HWND a = child("walk");
    HWND b = child("run");
    const QString minimise = QString::fromUtf8("最小化"), restore = QString::fromUtf8("元のサイズに戻す"),
                  close = QString::fromUtf8("閉じる");

    maximise(b);
    ASSERT_NE(corner_button(restore), nullptr);
    click(corner_button(restore));
    pump();
    EXPECT_EQ(g_syscommands, (std::vector<std::pair<HWND, WPARAM>>{{b, SC_RESTORE}}));
    EXPECT_FALSE(IsZoomed(b));
    EXPECT_EQ(menu_bar()->actions().size(), 5) << "no system item once restored";
    EXPECT_TRUE(corner_buttons().empty()) << "no buttons once restored";

    maximise(b);
    g_syscommands.clear();
    ASSERT_NE(corner_button(minimise), nullptr);
    click(corner_button(minimise));
    pump();
    EXPECT_EQ(g_syscommands, (std::vector<std::pair<HWND, WPARAM>>{{b, SC_MINIMIZE}}));
    EXPECT_TRUE(IsIconic(b));
    EXPECT_TRUE(corner_buttons().empty());

    maximise(a);
    g_syscommands.clear();
    ASSERT_NE(corner_button(close), nullptr);
    click(corner_button(close));
    pump();
    EXPECT_EQ(g_syscommands, (std::vector<std::pair<HWND, WPARAM>>{{a, SC_CLOSE}}));
    EXPECT_FALSE(IsWindow(a));
    EXPECT_EQ(menu_bar()->actions().size(), 5);
    EXPECT_TRUE(corner_buttons().empty());
}

}  // namespace
