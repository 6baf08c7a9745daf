#include "ui/TavrinApp.h"

#include "app/AppViewModel.h"
#include "profiles/AppIdentity.h"
#include "profiles/ProfilesStore.h"
#include "ui/AboutDialog.h"
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
#include <QScreen>

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
    AppIdentity::configure();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tavrin"));
    // Names the installed desktop entry, so Wayland compositors show its icon and name.
    QGuiApplication::setDesktopFileName(AppIdentity::applicationID());
}

bool TavrinApp::trayAvailable() {
    return Tray::isAvailable();
}

TavrinApp::TavrinApp(QObject* parent, std::optional<bool> withTray)
    : QObject(parent), m_store(new ProfilesStore(nullptr, this)), m_withTray(withTray) {
    configureApplication();
    if (!dynamic_cast<ApplicationStyle*>(QApplication::style()))
        QApplication::setStyle(new ApplicationStyle(QApplication::style()->name()));

    m_window = new QMainWindow;
    m_window->setObjectName(QStringLiteral("mainWindow"));
    m_window->setWindowTitle(QStringLiteral("Tavrin"));
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_contentView = new ContentView(m_store, {}, m_window);
    m_window->setCentralWidget(m_contentView);

    // The standard settings command: Preferences in the macOS application menu,
    // "Settings..." with Ctrl+, elsewhere.
    m_settingsAction = new QAction(tr("Settings..."), m_window);
    m_settingsAction->setObjectName(QStringLiteral("settingsAction"));
    m_settingsAction->setMenuRole(QAction::PreferencesRole);
    m_settingsAction->setShortcut(QKeySequence(QKeySequence::Preferences));
    if (m_settingsAction->shortcut().isEmpty())
        m_settingsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_settingsAction->setShortcutContext(Qt::ApplicationShortcut);
    connect(m_settingsAction, &QAction::triggered, this, &TavrinApp::openSettings);

    auto* quitAction = new QAction(tr("Quit Tavrin"), m_window);
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

    buildMenu(quitAction);
    // The menu band takes the content's colours, so no lighter strip sits above it.
    applyMenuTheme(m_window->menuBar(), m_contentView->theme());
    connect(m_contentView, &ContentView::themeChanged, m_window,
            [this](const CompactTheme& theme) { applyMenuTheme(m_window->menuBar(), theme); });

#if defined(Q_OS_MACOS)
    // A click on the Dock icon activates the app again: it brings back a window closed
    // to the menu bar.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive && !m_window->isVisible())
                    openWindow();
            });
#endif
    // What the first frame does not show waits until it is on screen: the icons, and the
    // tray with the question whether there is one (asked of the session bus or the X
    // server). Queued, as the signal comes while the frame is still being painted.
    connect(
        m_contentView, &ContentView::firstFramePainted, this,
        [this] {
            QGuiApplication::setWindowIcon(TrayIcons::application());
            if (m_withTray.value_or(trayAvailable()))
                addTray();
        },
        Qt::QueuedConnection);
}

void TavrinApp::addTray() {
    if (m_tray)
        return;
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

void TavrinApp::buildMenu(QAction* quitAction) {
    QMenu* menu = m_window->menuBar()->addMenu(QStringLiteral("Tavrin"));
    menu->setObjectName(QStringLiteral("appMenu"));
    auto* about = menu->addAction(tr("About Tavrin"));
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, [this] { showDialog(new AboutDialog(m_window)); });
    auto* help = menu->addAction(tr("Tavrin Help"));
    help->setObjectName(QStringLiteral("helpAction"));
    help->setShortcut(QKeySequence(QKeySequence::HelpContents));
    connect(help, &QAction::triggered, this, [this] { showDialog(new HelpDialog(m_window)); });
    menu->addSeparator();
    menu->addAction(m_settingsAction);
    menu->addSeparator();
    menu->addAction(quitAction);
}

QSize TavrinApp::windowSizeFor(const QSize& designed, const QSize& minimum, const QRect& available,
                               const QSize& frame) {
    const int height = std::min(designed.height(), available.height() - frame.height());
    const int width = std::min(designed.width(), available.width() - frame.width());
    return {std::max(width, minimum.width()), std::max(height, minimum.height())};
}

void TavrinApp::fitWindowToScreen() {
    const QScreen* screen = m_window->screen();
    // Once: after that the window keeps the size the user gives it.
    if (!screen || m_fitted)
        return;
    m_fitted = true;
    // Before the first show the frame is not known yet: a usual title bar is assumed.
    const QSize frame = m_window->isVisible()
                            ? m_window->frameGeometry().size() - m_window->geometry().size()
                            : QSize(0, 40);
    m_window->setMinimumSize(m_window->minimumSizeHint());
    m_window->resize(windowSizeFor(m_window->sizeHint(), m_window->minimumSizeHint(),
                                   screen->availableGeometry(), frame));
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
        tr("Tavrin keeps running in the menu bar. Choose Quit in its menu to end it.");
#else
    const QString text =
        tr("Tavrin keeps running in the system tray. Choose Quit in its menu to end it.");
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
    fitWindowToScreen();
    m_window->show();
}

bool TavrinApp::startInTray() {
    if (!m_withTray.value_or(trayAvailable()))
        return false;
    m_contentView->start(false);
    QGuiApplication::setWindowIcon(TrayIcons::application());
    addTray();
    return true;
}

void TavrinApp::openWindow() {
    fitWindowToScreen();
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

void TavrinApp::showDialog(QDialog* dialog) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
