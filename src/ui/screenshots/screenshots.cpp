// Renders the main window (both targets, both tabs, light and dark) and the settings
// window to PNG files, over a temporary home holding the default profiles.
//
//   tavrin_screenshots <output directory>

#include "profiles/AppPaths.h"
#include "ui/CompactTheme.h"
#include "ui/ContentView.h"
#include "ui/SettingsView.h"
#include "ui/TavrinApp.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

QPalette darkPalette() {
    QPalette p;
    const QColor window(0x2b, 0x2b, 0x2b), base(0x1f, 0x1f, 0x1f), text(0xe6, 0xe6, 0xe6);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(0x2f, 0x6f, 0xd0));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x8a, 0x8a, 0x8a));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    return p;
}

bool save(QWidget* widget, const QString& path) {
    QApplication::processEvents();
    const bool ok = widget->grab().save(path);
    std::fprintf(stderr, "%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
    AppPaths::setHomeDirectoryOverride(home.path());

    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString out = args.size() > 1 ? args.at(1) : QStringLiteral("docs/screenshots");
    QDir().mkpath(out);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QPalette light = QApplication::style()->standardPalette();

    TavrinApp app;
    app.show();
    QMainWindow* window = app.mainWindow();
    ContentView* view = app.contentView();
    QTest::qWait(200);

    bool ok = true;
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? darkPalette() : light);
        const QString appearance = dark ? QStringLiteral("dark") : QStringLiteral("light");
        for (const TargetIDE target : TargetIDEs::allCases) {
            view->setSelectedIDE(target);
            const QString name =
                target == TargetIDE::codex ? QStringLiteral("codex") : QStringLiteral("claude");
            view->setSelectedTab(AppTab::switcher);
            ok &=
                save(window, QStringLiteral("%1/main-%2-%3-switch.png").arg(out, appearance, name));
            view->setSelectedTab(AppTab::profiles);
            ok &= save(window,
                       QStringLiteral("%1/main-%2-%3-profiles.png").arg(out, appearance, name));
        }
        view->setSelectedTab(AppTab::switcher);
        view->setSelectedIDE(TargetIDE::claude);
        app.openSettings();
        QTest::qWait(100);
        ok &= save(app.settingsView(), QStringLiteral("%1/settings-%2.png").arg(out, appearance));
        app.settingsView()->hide();
    }
    return ok ? 0 : 1;
}
