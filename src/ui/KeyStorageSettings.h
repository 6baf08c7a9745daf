#pragma once

#include <QWidget>

class ProfilesStore;
class QCheckBox;
class QLabel;

// The "API Keys" section of the settings' General tab: whether keys are kept in the
// system keyring, and where they are now. Changing it moves every key, off the window's
// thread (the keyring may first ask for its password); the box then shows where the keys
// really are, and the line below says what was done or why nothing was.
class KeyStorageSettings : public QWidget {
    Q_OBJECT
public:
    explicit KeyStorageSettings(ProfilesStore* store, QWidget* parent = nullptr);

    QString status() const;
    bool isMoving() const { return m_moving; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void move(bool toKeyring);
    void showWhereKeysAre();

    ProfilesStore* m_store;
    QCheckBox* m_toggle;
    QLabel* m_status;
    bool m_moving = false;
};
