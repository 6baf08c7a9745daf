#include "ui/KeyStorageSettings.h"

#include "profiles/Background.h"
#include "profiles/ProfilesStore.h"
#include "ui/GeneralSettings.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

KeyStorageSettings::KeyStorageSettings(ProfilesStore* store, QWidget* parent)
    : QWidget(parent), m_store(store) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_toggle = new QCheckBox(tr("Keep API keys in the system keyring"), this);
    m_toggle->setObjectName(QStringLiteral("keyringToggle"));
    layout->addWidget(m_toggle);
    GeneralSettings::addNote(layout,
                             tr("Turning this on moves every key out of Tavrin's key file; "
                                "turning it off moves them back."),
                             this);
    m_status = GeneralSettings::addStatusLine(layout, QStringLiteral("keyStorageStatus"), this);
    connect(m_toggle, &QCheckBox::toggled, this, &KeyStorageSettings::move);
    showWhereKeysAre();
}

QString KeyStorageSettings::status() const {
    return m_status->text();
}

void KeyStorageSettings::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Asked each time: the command line may have moved them.
    if (!m_moving)
        showWhereKeysAre();
}

void KeyStorageSettings::showWhereKeysAre() {
    const QSignalBlocker blocker(m_toggle);
    try {
        const KeyStorage::Location location = m_store->keyStorage().location();
        m_toggle->setChecked(location == KeyStorage::Location::keyring);
        m_status->setText(KeyStorage::describe(location));
    } catch (const std::exception&) {
        m_status->setText(describeError(std::current_exception()));
    }
}

void KeyStorageSettings::move(bool toKeyring) {
    m_moving = true;
    m_toggle->setEnabled(false);
    m_status->setText(toKeyring ? tr("Moving the keys to the system keyring…")
                                : tr("Moving the keys back to the key file…"));
    const auto to = toKeyring ? KeyStorage::Location::keyring : KeyStorage::Location::file;
    auto done = std::make_shared<QString>();
    Background::run(
        this, [storage = &m_store->keyStorage(), to, done] { *done = storage->moveKeys(to); },
        [this, done](std::exception_ptr error) {
            m_moving = false;
            m_toggle->setEnabled(true);
            showWhereKeysAre();
            m_status->setText(error ? describeError(error) : *done);
            // Every view shows the keys where they are now. A profiles file that cannot be
            // read is said where the profiles are shown.
            try {
                m_store->load();
            } catch (const std::exception&) {
            }
        });
}
