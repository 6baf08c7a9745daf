#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>

class ProfilesStore;

// tavrin-cli: the switch, profile listing, status, launch environment and key commands
// from a terminal. Runs each command in place and returns the exit status: 0 on success,
// 1 when the operation failed, 2 on a usage error.
class CommandLine {
public:
    CommandLine(QTextStream& out, QTextStream& err);
    ~CommandLine();

    int run(QStringList arguments);

    static QString version();

private:
    int dispatch(const QString& command, QStringList& arguments);
    int list(QStringList& arguments);
    int status(QStringList& arguments);
    int switchProfile(QStringList& arguments);
    int env(QStringList& arguments);
    int key(QStringList& arguments);
    int recover(QStringList& arguments);
    int completions(QStringList& arguments);
    int help(const QString& command);

    void loadStore();
    void noteInterruptedSwitch();

    QTextStream& m_out;
    QTextStream& m_err;
    std::unique_ptr<ProfilesStore> m_store;
};
