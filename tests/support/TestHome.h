#pragma once

#include "support/Checks.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Environment variables set for a while and restored when this ends; a null value
// removes a variable.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    void set(const QByteArray& name, const QByteArray& value);

private:
    QMap<QByteArray, QByteArray> m_old;
};

// A throw-away home directory for one test: $HOME, the XDG folders and the app's own
// path override all point into it, so no test touches the real home. Its login shell
// start-up files put the stand-ins (below) first on PATH again after the system's own
// start-up files have set it.
class TestHome {
public:
    TestHome();
    ~TestHome();

    QString path() const { return m_dir.path(); }
    // Absolute path of a file below the home directory.
    QString file(const QString& relative) const { return path() + '/' + relative; }
    void write(const QString& relative, const QByteArray& data) const {
        writeFile(file(relative), data);
    }
    QByteArray read(const QString& relative) const { return readFile(file(relative)); }
    bool exists(const QString& relative) const { return QFileInfo::exists(file(relative)); }
    // Names of the entries of a directory below the home, sorted.
    QStringList entries(const QString& relative) const;
    // The files below the home that hold `text`, relative to it, sorted.
    QStringList filesHolding(const QByteArray& text) const;

private:
    ScopedEnvironment m_environment;
    QTemporaryDir m_dir;
};

// Recording stand-ins for the outside tools, placed first on PATH: the macOS tools
// (osascript, open, launchctl), the Linux ones (systemctl,
// dbus-update-activation-environment, a terminal that $TERMINAL names), the two
// assistants (claude, codex) and any extra tools a test names. Each call records its
// arguments and working directory (the assistants and the Linux tools also their
// environment, osascript its standard input when given a here-document) and exits with
// the status and standard error the test chose. The terminal stand-in also runs what
// follows its "-e", as a terminal would.
class StandIns {
public:
    explicit StandIns(const QString& directory, const QStringList& extraTools = {});

    // Stops the test program when any tool would not reach its stand-in through the
    // login shells the product asks (the login zsh, $SHELL -l): a login profile that
    // puts the system folders first (macOS's path_helper does) would let a test quit
    // the developer's real Codex. Call it before running a switch or a restarter.
    void requireFirstOnPath() const;

    // Sets a variable until the stand-ins go away.
    void setEnvironment(const QByteArray& name, const QByteArray& value) {
        m_environment.set(name, value);
    }
    QString path(const QString& tool) const { return m_bin + QLatin1Char('/') + tool; }
    void setResult(const QString& tool, int status, const QByteArray& standardError = {});
    // How codex answers `app-server daemon version|stop`: "running", "refuses" (the stop
    // fails), "stopped" (the default) or "old" (no such command). A stop of a running
    // server kills the process `pid` (its stand-in) and waits until it is gone.
    void setCodexServer(const QString& state, qint64 pid = 0);
    // Replaces a stand-in with a script of the test's own.
    void replace(const QString& tool, const QByteArray& script);
    void remove(const QString& tool) { QFile::remove(path(tool)); }
    int callCount(const QString& tool) const;
    // Arguments of call `call` (1-based) of the tool.
    QStringList arguments(const QString& tool, int call = 1) const;
    // The environment a tool got (see above), name to value; its working directory.
    QMap<QString, QString> environment(const QString& tool, int call = 1) const;
    QString workingDirectory(const QString& tool, int call = 1) const;
    QByteArray standardInput(const QString& tool, int call = 1) const;
    // What the command run by the terminal stand-in printed.
    QByteArray output(const QString& tool, int call = 1) const;
    // The Linux scheduling policy a tool ran with (of those that note their environment).
    QByteArray schedulingPolicy(const QString& tool, int call = 1) const;
    // Every call of every tool in order, as "tool arg1 arg2 ...".
    QStringList callLog() const;

private:
    QString m_bin;
    QString m_records;
    QStringList m_tools;
    ScopedEnvironment m_environment;
};
