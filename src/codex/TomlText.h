#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// config.toml read as UTF-8 text, statement by statement, without a TOML parser: enough to
// find the top-level keys and the table headers and to rewrite single statements, leaving
// every other byte as it was. A statement is one line, or several when a multi-line
// string, array or inline table runs on; lines inside those are never taken for keys or
// headers.
namespace TomlText {

// The horizontal space (space, tab and the other Unicode space separators; no line break)
// that starts at `at`: its length in bytes, 0 when there is none.
qsizetype spaceAt(QByteArrayView text, qsizetype at);
// The text without the horizontal space at either end.
QByteArrayView trimmed(QByteArrayView text);
// A key without the quotes around it, when it has a pair of them.
QByteArrayView unquoted(QByteArrayView key);

// Letters, digits, "_" and "-": a key TOML writes without quotes.
bool isBareKey(QStringView key);
// A TOML basic string of the raw text: quotes, backslashes and control characters escaped.
QString quoted(const QString& value);
// A key as TOML writes it: bare when it can be, quoted otherwise.
QString keyText(const QString& key);

// The key of a key/value line: letters, digits and "_" only, bare or in quotes. Dotted
// keys, keys with "-" or with escapes are never managed, so they are not recognised.
std::optional<QByteArrayView> keyOf(QByteArrayView line);
bool isTableHeader(QByteArrayView line);
// The keys a table header names ("[a . 'b.c']" names a and b.c); nothing when the line is
// not a header that can be read.
std::optional<QStringList> headerKeys(QByteArrayView line);
bool isArrayHeader(QByteArrayView line);

// A one-line basic string at the start of `value` ("..." with TOML's escapes): what it
// holds and its length in bytes; nothing when `value` does not start with a whole one.
std::optional<std::pair<QString, qsizetype>> basicStringAt(QByteArrayView value);

// The line ending most lines of the text use; "\n" when it has none.
QByteArray dominantEnding(QByteArrayView text);

struct Statement {
    qsizetype begin = 0;
    QByteArrayView text;      // all its lines with their line endings
    QByteArrayView firstLine; // its first line without the line ending
    QByteArrayView ending;    // the line ending of its last line; empty at an unended end
};

// Reads a text statement by statement. When a multi-line value never ends (the file is not
// TOML), that line counts alone and the rest of the text is read line by line.
class Statements {
public:
    explicit Statements(QByteArrayView text, qsizetype from = 0) : m_text(text), m_position(from) {}

    std::optional<Statement> next();

private:
    QByteArrayView m_text;
    qsizetype m_position = 0;
    bool m_multiLine = true;
};

} // namespace TomlText
