#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// tavrin-cli: the switch, profile listing, status, launch environment and key commands
// from a terminal (the table in cli/Command.h). Runs each command in place and returns the
// exit status: 0 on success, 1 when the operation failed, 2 on a usage error.
class CommandLine {
public:
    CommandLine(QTextStream& out, QTextStream& err);

    int run(QStringList arguments);

    static QString version();

private:
    int help(const QString& command);

    QTextStream& m_out;
    QTextStream& m_err;
};
