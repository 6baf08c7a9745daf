#include "ui/GeneralSettings.h"

#include "desktop/Desktop.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

GeneralSettings::GeneralSettings(std::shared_ptr<Desktop> desktop, QWidget* parent)
    : QWidget(parent), m_desktop(desktop ? std::move(desktop) : Desktop::forThisSystem()) {
    setObjectName(QStringLiteral("generalSettings"));
    m_sections = new QVBoxLayout(this);
    m_sections->setContentsMargins(16, 12, 16, 12);
    m_sections->setSpacing(12);
    m_sections->addStretch(1);

    QVBoxLayout* startUp = addSection(tr("Start-up"));
    m_startAtLogin = new QCheckBox(tr("Start at login"), this);
    m_startAtLogin->setObjectName(QStringLiteral("startAtLoginToggle"));
    startUp->addWidget(m_startAtLogin);
    addNote(startUp, tr("Tavrin starts in the tray when you log in, ready to switch."), this);
    m_status = addStatusLine(startUp, QStringLiteral("generalStatus"), this);
    connect(m_startAtLogin, &QCheckBox::toggled, this, &GeneralSettings::setStartAtLogin);
}

QVBoxLayout* GeneralSettings::addSection(const QString& title) {
    auto* group = new QGroupBox(title, this);
    auto* layout = new QVBoxLayout(group);
    // Before the final stretch, after the sections already there.
    m_sections->insertWidget(m_sections->count() - 1, group);
    return layout;
}

QLabel* GeneralSettings::addNote(QVBoxLayout* section, const QString& text, QWidget* parent) {
    auto* note = new QLabel(text, parent);
    note->setWordWrap(true);
    note->setForegroundRole(QPalette::PlaceholderText);
    section->addWidget(note);
    return note;
}

QLabel* GeneralSettings::addStatusLine(QVBoxLayout* section, const QString& name, QWidget* parent) {
    auto* status = new QLabel(parent);
    status->setObjectName(name);
    status->setWordWrap(true);
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    section->addWidget(status);
    return status;
}

QString GeneralSettings::applicationPath() {
#if defined(Q_OS_MACOS)
    // Contents/MacOS/Tavrin inside the bundle: the login item opens the bundle.
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../.."));
#else
    return QCoreApplication::applicationFilePath();
#endif
}

void GeneralSettings::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Asked each time: the desktop's own settings may have changed it.
    bool enabled = false;
    try {
        enabled = m_desktop->startsAtLogin();
    } catch (const std::exception&) {
        m_status->setText(describeError(std::current_exception()));
    }
    const QSignalBlocker blocker(m_startAtLogin);
    m_startAtLogin->setChecked(enabled);
}

void GeneralSettings::setStartAtLogin(bool enabled) {
    try {
        m_desktop->setStartsAtLogin(enabled, applicationPath());
        m_status->clear();
    } catch (const std::exception&) {
        const QString reason = describeError(std::current_exception());
        if (reason.isEmpty())
            m_status->setText(enabled ? tr("Could not turn on Start at login.")
                                      : tr("Could not turn off Start at login."));
        else
            m_status->setText(enabled ? tr("Could not turn on Start at login: %1").arg(reason)
                                      : tr("Could not turn off Start at login: %1").arg(reason));
        const QSignalBlocker blocker(m_startAtLogin);
        m_startAtLogin->setChecked(!enabled);
    }
}
