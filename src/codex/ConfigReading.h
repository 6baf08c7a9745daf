#pragma once

#include "codex/Toml.h"
#include "profiles/Profile.h"

#include <QByteArray>
#include <QHash>
#include <QLatin1String>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// What config.toml holds of the managed keys and the profile's provider table, read with
// the TOML parser when the file is TOML and by the line rules (TomlText) otherwise.
namespace ConfigReading {

struct Assignment {
    QLatin1String key;
    std::optional<QString> value; // the raw value to write; absent: the key must go
};
using Assignments = std::array<Assignment, 5>;

// The managed keys, in the order in which missing ones are inserted (and checked).
Assignments assignments(const Profile& profile);
const Assignment* assignmentFor(const Assignments& all, QByteArrayView key);
// The provider whose model_providers table Codex needs; empty when it needs none.
QString providerNeedingTable(const Profile& profile);
// "model_providers.<provider>", as a header names it.
QString providerTableName(const QString& provider);

struct Found {
    std::optional<QString> text; // the string it holds (line rules: the value without quotes)
    QString display;             // the value as the file writes it
};

// The managed keys and the profile's provider table, as found in a file.
struct Reading {
    QHash<QString, Found> keys;
    bool hasTable = false;
    std::optional<Found> wireApi;
    std::optional<Found> requiresOpenAIAuth;
};

// Where the first table header of the text is (its size when there is none).
qsizetype tablesStart(QByteArrayView text);
// What a TOML parser must read to know the managed keys and the provider table: the
// top-level region and every table whose first key is model_providers or a managed key
// (or cannot be read), in their order. The other tables cannot hold them, so a file of
// any size is parsed in a part of the size of its own configuration of Codex.
QByteArray relevantPart(QByteArrayView text);

// The tree of TOML text; nothing when it is not TOML.
std::optional<toml::table> parsed(QByteArrayView utf8);
// UTF-8 text as a string, a U+FEFF it starts with kept.
QString fromStd(QByteArrayView text);

Reading readToml(const toml::table& root, const QString& provider);
Reading readLines(QByteArrayView text, const QString& provider);
// The TOML reading of the relevant part when it parses, else the line rules.
Reading readingOf(QByteArrayView text, const QString& provider);

// Why Codex could not use the profile with this file; nothing when it could (a missing
// Velqor table is not a reason: the patch adds it).
std::optional<QString> refusal(const Reading& reading, const Profile& profile,
                               const QString& provider);
// The first way the file does not hold what the profile asks.
std::optional<QString> mismatch(const Reading& reading, const Profile& profile,
                                const QString& provider);
// One short line per way the file does not hold what the profile asks.
QStringList differenceLines(const Reading& reading, const Profile& profile,
                            const QString& provider);

} // namespace ConfigReading
