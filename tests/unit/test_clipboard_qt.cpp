// The clipboard on Qt's: a block set through the layer is on QClipboard under its
// registered name, so any Qt program (another editor among them) finds it, and what
// another program put there under that name is read back through the layer.
#include <windows.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <gtest/gtest.h>

#include <cstring>

#include "test_windows.h"

namespace {

class QtClipboard : public ::testing::Test {
  protected:
    void SetUp() override { window_ = make_test_parent("CW_QT_CLIPBOARD_TEST", DefWindowProcA, 100, 100); }
    void TearDown() override { DestroyWindow(window_); }
    HWND window_ = nullptr;
};

TEST_F(QtClipboard, ABlockSetThroughTheLayerIsOnQClipboardUnderItsName) {
    const UINT format = RegisterClipboardFormatA("CLIP_FRAME");
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, 42);
    auto* p = static_cast<uint8_t*>(GlobalLock(h));
    for (int i = 0; i < 42; ++i) p[i] = static_cast<uint8_t>(200 + i);
    GlobalUnlock(h);
    ASSERT_TRUE(OpenClipboard(window_));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_EQ(SetClipboardData(format, h), h);
    ASSERT_TRUE(CloseClipboard());

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList{QStringLiteral("CLIP_FRAME")});
    const QByteArray bytes = data->data(QStringLiteral("CLIP_FRAME"));
    ASSERT_EQ(bytes.size(), 42);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 200);
    EXPECT_EQ(static_cast<uint8_t>(bytes[41]), 241);

    // Emptying through the layer empties the desktop's clipboard.
    ASSERT_TRUE(OpenClipboard(window_));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(CloseClipboard());
    const QMimeData* after = QGuiApplication::clipboard()->mimeData();
    EXPECT_TRUE(!after || !after->hasFormat(QStringLiteral("CLIP_FRAME")));
}

TEST_F(QtClipboard, WhatAnotherProgramPutOnQClipboardIsReadThroughTheLayer) {
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain"), QByteArray("hello"));
    data->setData(QStringLiteral("Clip_Pattern"), QByteArray("\x01\x00\x02", 3));
    QGuiApplication::clipboard()->setMimeData(data);

    const UINT format = RegisterClipboardFormatA("CLIP_PATTERN");
    EXPECT_TRUE(IsClipboardFormatAvailable(format));
    EXPECT_FALSE(IsClipboardFormatAvailable(RegisterClipboardFormatA("CLIP_FRAME")));
    ASSERT_TRUE(OpenClipboard(window_));
    HANDLE h = GetClipboardData(format);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(GlobalSize(h), 3u);
    const auto* p = static_cast<const uint8_t*>(GlobalLock(h));
    EXPECT_EQ(std::memcmp(p, "\x01\x00\x02", 3), 0) << "bytes after a zero byte are kept";
    GlobalUnlock(h);
    CloseClipboard();
}

}  // namespace
