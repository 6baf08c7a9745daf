#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A throw-away home directory for one test: $HOME, the XDG folders and the app's own
// path override all point into it, so no test touches the real home.
class TestHome {
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome&) = delete;
    TestHome& operator=(const TestHome&) = delete;

    QString path() const { return m_dir.path(); }
    // Absolute path of a file below the home directory.
    QString file(const QString& relative) const;
    void write(const QString& relative, const QByteArray& data) const;
    QByteArray read(const QString& relative) const;
    bool exists(const QString& relative) const;
    // Names of the entries of a directory below the home, sorted.
    QStringList entries(const QString& relative) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
    QByteArray m_oldXdgConfig;
    QByteArray m_oldXdgData;
};

// Recording stand-ins for the macOS-only tools (osascript, open, launchctl), placed
// first on PATH. Each call records its arguments and, for a here-document call of
// osascript, its standard input; it exits with the status and standard error the
// test chose.
class StandIns {
public:
    explicit StandIns(const QString& directory,
                      const QStringList& tools = {QStringLiteral("osascript"),
                                                  QStringLiteral("open"),
                                                  QStringLiteral("launchctl")});
    ~StandIns();
    StandIns(const StandIns&) = delete;
    StandIns& operator=(const StandIns&) = delete;

    void setResult(const QString& tool, int status, const QByteArray& standardError = {});
    int callCount(const QString& tool) const;
    // Arguments of call `call` (1-based) of the tool.
    QStringList arguments(const QString& tool, int call = 1) const;
    QByteArray standardInput(const QString& tool, int call = 1) const;
    // Every call of every tool in order, as "tool arg1 arg2 ...".
    QStringList callLog() const;
    void reset();

private:
    QString m_bin;
    QString m_records;
    QByteArray m_oldPath;
};
