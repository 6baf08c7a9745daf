#include "ui/TavrinApp.h"

#include "app/AppViewModel.h"
#include "profiles/ProfilesStore.h"
#include "ui/ContentView.h"
#include "ui/Controls.h"
#include "ui/SettingsView.h"
#include "ui/Tray.h"
#include "ui/TrayIcons.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIconEngine>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProxyStyle>

namespace {

// An icon of the style that is asked of it only when it is first drawn.
class StyleIconWhenDrawn final : public QIconEngine {
public:
    StyleIconWhenDrawn(QStyle* style, QStyle::StandardPixmap which)
        : m_style(style), m_which(which) {}
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return icon().pixmap(size, mode, state);
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QIconEngine* clone() const override { return new StyleIconWhenDrawn(*this); }

private:
    const QIcon& icon() {
        if (m_icon.isNull() && m_style)
            m_icon = m_style->standardIcon(m_which);
        return m_icon;
    }
    QPointer<QStyle> m_style;
    QStyle::StandardPixmap m_which;
    QIcon m_icon;
};

// Qt's styles read the icon of the menu bar's overflow button from image files as the
// menu bar is made, loading every image format plug-in there is to open them. The one
// short menu never overflows, so the icon waits until the button is drawn.
class ApplicationStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option,
                       const QWidget* widget) const override {
        if (which == SP_ToolBarHorizontalExtensionButton && !option)
            return QIcon(new StyleIconWhenDrawn(baseStyle(), which));
        return QProxyStyle::standardIcon(which, option, widget);
    }
};

} // namespace

void TavrinApp::configureApplication() {
    QCoreApplication::setOrganizationName(QStringLiteral("Tavrin"));
    QCoreApplication::setApplicationName(QStringLiteral("Tavrin"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tavrin"));
    // Names the installed desktop entry, so Wayland compositors show its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("dev.tavrin.Tavrin"));
}

bool TavrinApp::trayAvailable() {
    return Tray::isAvailable();
}

TavrinApp::TavrinApp(QObject* parent, std::optional<bool> withTray)
    : QObject(parent), m_store(new ProfilesStore(nullptr, this)) {
    configureApplication();
    if (!dynamic_cast<ApplicationStyle*>(QApplication::style()))
        QApplication::setStyle(new ApplicationStyle(QApplication::style()->name()));

    m_window = new QMainWindow;
    m_window->setObjectName(QStringLiteral("mainWindow"));
    m_window->setWindowTitle(QStringLiteral("Tavrin"));
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_contentView = new ContentView(m_store, {}, m_window);
    m_window->setCentralWidget(m_contentView);
    // The window takes the size of its fixed content (plus the menu bar where it has one).
    m_window->layout()->setSizeConstraint(QLayout::SetFixedSize);

    // The standard settings command: Preferences in the macOS application menu,
    // "Settings..." with Ctrl+, elsewhere.
    m_settingsAction = new QAction(QStringLiteral("Settings..."), m_window);
    m_settingsAction->setObjectName(QStringLiteral("settingsAction"));
    m_settingsAction->setMenuRole(QAction::PreferencesRole);
    m_settingsAction->setShortcut(QKeySequence(QKeySequence::Preferences));
    if (m_settingsAction->shortcut().isEmpty())
        m_settingsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_settingsAction->setShortcutContext(Qt::ApplicationShortcut);
    connect(m_settingsAction, &QAction::triggered, this, &TavrinApp::openSettings);

    auto* quitAction = new QAction(QStringLiteral("Quit Tavrin"), m_window);
    quitAction->setMenuRole(QAction::QuitRole);
    quitAction->setShortcut(QKeySequence(QKeySequence::Quit));
    if (quitAction->shortcut().isEmpty())
        quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quitAction, &QAction::triggered, this, &TavrinApp::quit, Qt::QueuedConnection);
    // A switch that has quit Codex must be allowed to reopen it: closing the window or
    // quitting waits for the running switch to end.
    m_window->installEventFilter(this);
    connect(m_contentView->viewModel(), &AppViewModel::switchFinished, this, [this] {
        if (m_quitWhenSwitched)
            quit();
        else if (m_closeWhenSwitched)
            m_window->close();
    });

    QMenu* menu = m_window->menuBar()->addMenu(QStringLiteral("Tavrin"));
    menu->setObjectName(QStringLiteral("appMenu"));
    menu->addAction(m_settingsAction);
    menu->addSeparator();
    menu->addAction(quitAction);
    // The menu band takes the content's colours, so no lighter strip sits above it.
    applyMenuTheme(m_window->menuBar(), m_contentView->theme());
    connect(m_contentView, &ContentView::themeChanged, m_window,
            [this](const CompactTheme& theme) { applyMenuTheme(m_window->menuBar(), theme); });

    // What the first frame does not show waits until it is on screen: the icons, and the
    // tray with the question whether there is one (asked of the session bus or the X
    // server). Queued, as the signal comes while the frame is still being painted.
    connect(
        m_contentView, &ContentView::firstFramePainted, this,
        [this, withTray] {
            QGuiApplication::setWindowIcon(TrayIcons::application());
            if (withTray ? *withTray : trayAvailable())
                addTray();
        },
        Qt::QueuedConnection);
}

void TavrinApp::addTray() {
    m_tray = new Tray(m_contentView->viewModel(), this);
    connect(m_tray, &Tray::openWindowRequested, this, &TavrinApp::openWindow);
    connect(m_tray, &Tray::settingsRequested, this, &TavrinApp::openSettings);
    connect(m_tray, &Tray::quitRequested, this, &TavrinApp::quit, Qt::QueuedConnection);
    // The window's close leaves the process running in the tray.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    m_tray->show();
}

TavrinApp::~TavrinApp() {
    if (m_tray) {
        delete m_tray;
        QGuiApplication::setQuitOnLastWindowClosed(true);
    }
    delete m_settings;
    delete m_window;
}

bool TavrinApp::isSwitching() const {
    return m_contentView->viewModel()->isSwitching();
}

void TavrinApp::quit() {
    m_quitWhenSwitched = isSwitching();
    if (!m_quitWhenSwitched)
        QCoreApplication::quit();
}

bool TavrinApp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window && event->type() == QEvent::Close) {
        // With a tray the window only hides and a running switch goes on; without one
        // the process ends with the window, so that waits for the switch.
        if (m_tray)
            tellAboutTrayOnce();
        else if (isSwitching()) {
            m_closeWhenSwitched = true;
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TavrinApp::tellAboutTrayOnce() {
    if (m_toldAboutTray)
        return;
    m_toldAboutTray = true;
#if defined(Q_OS_MACOS)
    const QString text =
        QStringLiteral("Tavrin keeps running in the menu bar. Choose Quit in its menu to end it.");
#else
    const QString text = QStringLiteral(
        "Tavrin keeps running in the system tray. Choose Quit in its menu to end it.");
#endif
    if (m_tray->notify(text))
        return;
    auto* box =
        new QMessageBox(QMessageBox::Information, QStringLiteral("Tavrin"), text, QMessageBox::Ok);
    box->setObjectName(QStringLiteral("trayNotice"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void TavrinApp::show() {
    m_window->show();
}

void TavrinApp::openWindow() {
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

SettingsView* TavrinApp::settingsView() {
    if (!m_settings) {
        m_settings = new SettingsView(m_store);
        m_settings->setWindowFlag(Qt::Window);
    }
    return m_settings;
}

void TavrinApp::openSettings() {
    SettingsView* settings = settingsView();
    settings->show();
    settings->raise();
    settings->activateWindow();
}
