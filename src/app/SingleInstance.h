#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Keeps Tavrin to one running instance per user. The running instance listens on a
// local socket in the user's runtime directory; a later start connects to it, asks it
// to bring its window to the front and ends. A socket file left by an instance that
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

    // Needs a QCoreApplication. The socket is not touched until start().
    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    Role start();
    QString socketPath() const { return m_socketPath; }

    // tavrin.socket in the user's runtime directory ($XDG_RUNTIME_DIR on Linux, the
    // per-user temporary folder on macOS).
    static QString defaultSocketPath();

signals:
    // A later start asked this instance to show its window.
    void activationRequested();

private:
    bool handOver() const;
    bool listen();
    void acceptConnection();

    QString m_socketPath;
    QLocalServer* m_server = nullptr;
};
