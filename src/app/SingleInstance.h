#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QSocketNotifier;

// Keeps Tavrin to one running instance per user. The running instance listens on a
// local socket in a folder only this user may enter; a later start connects to it, asks
// it to bring its window to the front and ends. A socket file left by an instance that
// crashed is detected (nobody answers on it) and replaced.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        // This process is the running instance now (or the guard could not be set up,
        // in which case it runs unguarded rather than not at all).
        primary,
        // Another instance is running and was asked to show its window.
        handedOver,
    };

    // Needs a QCoreApplication. The socket is not touched until start(); an empty path
    // runs unguarded.
    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    Role start();
    QString socketPath() const { return m_socketPath; }

    // tavrin.socket in $XDG_RUNTIME_DIR when that folder is private to the user, otherwise
    // in <temporary folder>/tavrin-<uid>, created private when missing. Empty when neither
    // can be trusted: another user could have put a socket of theirs there.
    static QString defaultSocketPath();
    // Why `folder` may not hold the socket, in plain words; empty when it is a real folder
    // (not a symbolic link) of this user's that nobody else may enter.
    static QString unsafeFolderReason(const QString& folder);

signals:
    // A later start asked this instance to show its window.
    void activationRequested();

private:
    bool handOver() const;
    bool listen();
    void acceptConnections();
    void serve(int fd);

    QString m_socketPath;
    int m_listener = -1;
    QSocketNotifier* m_notifier = nullptr;
    // The connections being served, oldest first.
    QList<QObject*> m_clients;
};
