// Renders the main window (both targets, both tabs, light and dark, a failure and a long
// name with its remaining credit) and the settings window to PNG files, over a temporary
// home holding the default profiles.
//
//   tavrin_screenshots [--lang zh_CN|ja|pseudo] <output directory>

#include "app/AppViewModel.h"
#include "profiles/AppPaths.h"
#include "profiles/ProfilesStore.h"
#include "ui/CompactTheme.h"
#include "ui/ContentView.h"
#include "ui/ProfilesPanel.h"
#include "ui/SettingsView.h"
#include "ui/TavrinApp.h"
#include "ui/Translations.h"
#include "ui/screenshots/DarkPalette.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QPainter>
#include <QPalette>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

// A limits endpoint on 127.0.0.1 that answers every request with the same credit.
class LimitsEndpoint : public QTcpServer {
public:
    LimitsEndpoint() {
        // A fixed port where free, so the settings shot shows the same address each run.
        if (!listen(QHostAddress::LocalHost, 38917))
            listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                    const QByteArray body =
                        R"({"data": {"credits_remaining": 42.5, "credits_total": 100,)"
                        R"( "plan": "team", "renews": "2025-07-01"}})";
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                                  "Connection: close\r\nContent-Length: " +
                                  QByteArray::number(body.size()) + "\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1/limits").arg(serverPort()); }
};

bool save(const QImage& image, const QString& path) {
    const bool ok = image.save(path);
    std::fprintf(stderr, "%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

bool save(QWidget* widget, const QString& path) {
    QApplication::processEvents();
    return save(widget->grab().toImage(), path);
}

// The window with a popup drawn where it stands over it.
bool saveWithPopup(QWidget* window, QWidget* popup, const QString& path) {
    QApplication::processEvents();
    QImage image = window->grab().toImage();
    QPainter painter(&image);
    painter.drawPixmap(window->mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->grab());
    painter.end();
    return save(image, path);
}

} // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
    AppPaths::setHomeDirectoryOverride(home.path());
    // A few copies for the settings' Backups section.
    QDir().mkpath(AppPaths::backupsDirectory());
    for (const char* name :
         {"config-2026-03-01-14-05-09.toml", "config-2026-03-02-09-30-00.toml"}) {
        QFile copy(AppPaths::backupsDirectory() + QLatin1Char('/') + QLatin1String(name));
        if (copy.open(QIODevice::WriteOnly))
            copy.write("model = \"gpt-5.5\"\nmodel_provider = \"velqor\"\n");
    }

    QApplication application(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    // --lang zh_CN, ja, pseudo (every text lengthened by 40 %), or en (the default).
    QString language = QStringLiteral("en");
    if (const qsizetype at = args.indexOf(QStringLiteral("--lang"));
        at >= 0 && at + 1 < args.size()) {
        language = args.at(at + 1);
        args.remove(at, 2);
    }
    if (language == QLatin1String("pseudo"))
        Translations::installPseudo();
    else
        Translations::install(QLocale(language));
    const QString out = args.isEmpty() ? QStringLiteral("docs/screenshots") : args.first();
    QDir().mkpath(out);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QPalette light = QApplication::style()->standardPalette();

    TavrinApp app;
    app.show();
    QMainWindow* window = app.mainWindow();
    ContentView* view = app.contentView();
    AppViewModel* vm = view->viewModel();
    QTest::qWait(200);

    // <window>-<appearance>-<what>.png
    const auto path = [&out](const QString& kind, const QString& what, bool dark) {
        return QStringLiteral("%1/%2-%3%4.png")
            .arg(out, kind, dark ? QStringLiteral("dark") : QStringLiteral("light"),
                 what.isEmpty() ? QString() : QLatin1Char('-') + what);
    };
    const QString main = QStringLiteral("main");
    const QString settings = QStringLiteral("settings");
    bool ok = true;
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? darkPalette() : light);
        for (const TargetIDE target : TargetIDEs::allCases) {
            view->setSelectedIDE(target);
            const QString name =
                target == TargetIDE::codex ? QStringLiteral("codex") : QStringLiteral("claude");
            view->setSelectedTab(AppTab::switcher);
            ok &= save(window, path(main, name + QStringLiteral("-switch"), dark));
            view->setSelectedTab(AppTab::profiles);
            ok &= save(window, path(main, name + QStringLiteral("-profiles"), dark));
        }
        view->setSelectedTab(AppTab::switcher);
        view->setSelectedIDE(TargetIDE::claude);
        app.openSettings();
        QTest::qWait(100);
        ok &= save(app.settingsView(), path(settings, QString(), dark));
        auto* tabs = app.settingsView()->findChild<QTabWidget*>(QStringLiteral("settingsTabs"));
        tabs->setCurrentIndex(1);
        QTest::qWait(300);
        ok &= save(app.settingsView(), path(settings, QStringLiteral("general"), dark));
        tabs->setCurrentIndex(0);
        app.settingsView()->hide();
    }

    // A failed switch: the caption in the error colour, and the recent lines it opens.
    // (The lines as the switch makes them, in the language shown.)
    vm->appendLog(
        QCoreApplication::translate("SwitchFlow", "Claude Code account session opened for %1.")
            .arg(QStringLiteral("Claude Account")));
    vm->appendFailure(
        QCoreApplication::translate("SwitchFlow", "%1 has no API key. Add it in Profiles.")
            .arg(QStringLiteral("Velqor 1")));
    vm->appendFailure(
        QCoreApplication::translate("LinuxDesktop", "%1 is not installed: no `%2` on PATH.")
            .arg(QStringLiteral("Claude Code"), QStringLiteral("claude")));
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? darkPalette() : light);
        ok &= save(window, path(main, QStringLiteral("claude-failure"), dark));
    }
    view->showRecentActivity();
    QTest::qWait(100);
    ok &= saveWithPopup(window, view->findChild<QWidget*>(QStringLiteral("recentActivity")),
                        path(main, QStringLiteral("claude-activity"), true));
    view->findChild<QWidget*>(QStringLiteral("recentActivity"))->hide();

    // A long name, its remaining credit and its proxy; the settings list marks both targets.
    LimitsEndpoint endpoint;
    ProfilesStore* store = app.profilesStore();
    Profile team = Profile::velqorAccount(3);
    team.name = QStringLiteral("Velqor team account for the nightly integration test runs");
    team.limitsEndpoint = endpoint.url();
    team.proxyURL = QStringLiteral("socks5://proxy.internal:1080");
    store->saveProfile(team, QStringLiteral("vk-screenshot"));
    store->saveActiveClaudeProfileID(team.id);
    vm->setSelectedClaudeProfileID(team.id);
    view->setSelectedTab(AppTab::profiles);
    QTest::qWait(300);
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? darkPalette() : light);
        view->setSelectedTab(AppTab::switcher);
        ok &= save(window, path(main, QStringLiteral("claude-long-name"), dark));
        view->setSelectedTab(AppTab::profiles);
        ok &= save(window, path(main, QStringLiteral("claude-credit"), dark));
        // Further down: the proxy, unfolded.
        auto* proxy =
            view->profilesPanel()->findChild<QAbstractButton*>(QStringLiteral("proxyDisclosure"));
        auto* scroll = view->findChild<QScrollArea*>(QStringLiteral("profilesScroll"));
        proxy->click();
        QApplication::processEvents();
        scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
        ok &= save(window, path(main, QStringLiteral("claude-proxy"), dark));
        proxy->click();
        scroll->verticalScrollBar()->setValue(0);
        app.openSettings();
        app.settingsView()->selectProfileID(team.id);
        QTest::qWait(100);
        ok &= save(app.settingsView(), path(settings, QStringLiteral("long-name"), dark));
        app.settingsView()->hide();
    }
    return ok ? 0 : 1;
}
