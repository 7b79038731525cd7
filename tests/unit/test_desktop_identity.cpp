// The running editor names itself to the desktop as the installed menu entry does, so that the
// desktop can match its windows with the entry's name and icon.
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "win/backend.h"
#include "build_paths.h"

namespace {

TEST(DesktopIdentity, TheEditorNamesTheDesktopEntryThatIsInstalled) {
    cw::backend::ensure_started();
    const QString name = QGuiApplication::desktopFileName();
    EXPECT_EQ(name.toStdString(), "org.celwright.Celwright");
    QFile entry(QString::fromUtf8(build_paths::source_dir) + "/dist/" + name + ".desktop");
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly)) << entry.fileName().toStdString();
    const QString text = QString::fromUtf8(entry.readAll());
    // An X11 desktop matches the window class, which Qt takes from the application's name.
    const QRegularExpressionMatch wm_class =
        QRegularExpression(QStringLiteral("^StartupWMClass=(.*)$"), QRegularExpression::MultilineOption)
            .match(text);
    ASSERT_TRUE(wm_class.hasMatch());
    EXPECT_EQ(wm_class.captured(1).toStdString(), QCoreApplication::applicationName().toStdString());
    EXPECT_EQ(QCoreApplication::applicationName().toStdString(), "celwright");
}

}  // namespace
