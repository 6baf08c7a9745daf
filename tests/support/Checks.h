#pragma once

// Small helpers shared by the test programs, and the Qt headers nearly all of them use.

#include "profiles/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <initializer_list>
#include <optional>

class TestHome;

// The user-visible text of the TavrinError a call throws; empty when it throws nothing.
QString errorOf(const std::function<void()>& call);

// The permission bits of what a path leads to; -1 when there is nothing.
int modeOf(const QString& path);

// A null text stands for "absent".
inline std::optional<QString> optionalText(const QString& text) {
    return text.isNull() ? std::nullopt : std::optional<QString>(text);
}

// What a finished process said; status -1 when it crashed or did not finish.
struct ProcessRun {
    int status = -1;
    QByteArray out;
    QByteArray err;
};
// `inChild` runs in the child before the program starts (limits, signal dispositions).
ProcessRun runProcess(const QString& program, const QStringList& arguments,
                      const QByteArray& input = {},
                      const QProcessEnvironment& environment = QProcessEnvironment(),
                      const std::function<void()>& inChild = {});

// The system's environment without a display, as on a machine that has none.
QProcessEnvironment environmentWithoutDisplay();

// The real sqlite3 on a database, the script on its standard input; what it printed.
QString sqlite(const QString& database, const QByteArray& script);

// What a Codex switch killed after rewriting config.toml leaves behind: config.toml with
// the new model, the copy with the old one, and the switch journal naming both.
void writeInterruptedCodexSwitch(const TestHome& home);

// A data table whose rows are whole structs that begin with their name: one column, "row".
template <typename Row> void addRows(std::initializer_list<Row> rows) {
    QTest::addColumn<Row>("row");
    for (const Row& row : rows)
        QTest::newRow(row.name) << row;
}

// Puts at `path` (its folders made first, a file there removed) what `what` names: "fifo",
// "folder", "link:<target>" (a symbolic link, its target as written) or else a file with
// `what` as its content.
void makeEntry(const QString& path, const QByteArray& what);

// From now on a write past `bytes` fails with EFBIG as on a full disk (SIGXFSZ ignored);
// returns the limit it replaces. Also safe in a child process before it starts its program.
unsigned long limitFileSize(unsigned long bytes);

// The bytes of a file; empty when it cannot be read.
QByteArray readFile(const QString& path);
// Writes a file, making its folders first.
void writeFile(const QString& path, const QByteArray& data);
