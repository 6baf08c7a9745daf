#include "ui/Tray.h"

#include "app/TrayMenuModel.h"
#include "ui/TrayIcons.h"

#include <QActionGroup>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {
constexpr int notificationMilliseconds = 6000;
}

Tray::Tray(AppViewModel* viewModel, QObject* parent)
    : QObject(parent), m_model(new TrayMenuModel(viewModel, this)),
      m_menu(std::make_unique<QMenu>()), m_icon(new QSystemTrayIcon(this)) {
    m_menu->setObjectName(QStringLiteral("trayMenu"));
    m_icon->setContextMenu(m_menu.get());
    connect(m_model, &TrayMenuModel::changed, this, &Tray::scheduleRebuild);
    connect(m_model, &TrayMenuModel::outcome, this,
            [this](const QString& line, bool failure) { notify(line, failure); });
#if !defined(Q_OS_MACOS)
    // A click on the icon opens the window; on macOS it opens the menu, as there.
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger)
            emit openWindowRequested();
    });
#endif
    rebuild();
}

void Tray::show() {
    m_shown = true;
    m_icon->setIcon(m_model->isSwitching() ? TrayIcons::switching() : TrayIcons::application());
    if (isAvailable())
        m_icon->show();
}

Tray::~Tray() {
    m_icon->setContextMenu(nullptr);
}

bool Tray::isAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool Tray::notify(const QString& text, bool failure) {
    if (!m_icon->isVisible() || !QSystemTrayIcon::supportsMessages())
        return false;
    m_icon->showMessage(QStringLiteral("Tavrin"), text,
                        failure ? QSystemTrayIcon::Warning : QSystemTrayIcon::Information,
                        notificationMilliseconds);
    return true;
}

void Tray::scheduleRebuild() {
    // Later, from the event loop: the change may come from an action of this very menu,
    // which must not be deleted while it is being triggered.
    if (m_rebuildPending)
        return;
    m_rebuildPending = true;
    QTimer::singleShot(0, this, &Tray::rebuild);
}

void Tray::rebuild() {
    using Kind = TrayMenuEntry::Kind;
    m_rebuildPending = false;
    m_menu->clear();
    // One exclusive group per target: the active profile shows as the chosen one.
    delete m_groups;
    m_groups = new QObject(this);
    QActionGroup* group = nullptr;
    for (const TrayMenuEntry& entry : m_model->entries()) {
        if (entry.kind == Kind::section)
            group = new QActionGroup(m_groups);
        if (entry.kind == Kind::separator) {
            m_menu->addSeparator();
            continue;
        }
        // A profile named "R&D" shows its ampersand rather than a shortcut.
        QString text = entry.text;
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = m_menu->addAction(text);
        action->setEnabled(entry.enabled);
        if (entry.kind == Kind::profile) {
            action->setCheckable(true);
            action->setChecked(entry.checked);
            if (group)
                group->addAction(action);
        }
        connect(action, &QAction::triggered, this, [this, entry] {
            switch (entry.kind) {
            case Kind::profile:
                m_model->choose(entry.target, entry.profileID);
                break;
            case Kind::update:
                m_model->openUpdate();
                break;
            case Kind::openWindow:
                emit openWindowRequested();
                break;
            case Kind::settings:
                emit settingsRequested();
                break;
            case Kind::quit:
                emit quitRequested();
                break;
            case Kind::section:
            case Kind::placeholder:
            case Kind::separator:
                break;
            }
        });
    }
    const bool switching = m_model->isSwitching();
    if (m_shown && switching != m_shownSwitching)
        m_icon->setIcon(switching ? TrayIcons::switching() : TrayIcons::application());
    m_shownSwitching = switching;
    m_icon->setToolTip(m_model->toolTip());
}
