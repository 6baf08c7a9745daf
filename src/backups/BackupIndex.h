#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct BackupEntry;

// What the copies' names cannot tell: the profiles of the switch that made each copy, in
// ~/.codex/tavrin/backup-index.json ({"copies": {"<id>": {"from": …, "to": …}}}). Only a
// help for the list: a copy the index does not know is still a copy.
namespace BackupIndex {

struct Profiles {
    QString from;
    QString to;
};

QString path();
// A copy's id: its path below the home folder (the absolute path when it lies elsewhere).
QString idOf(const QString& path);
// The profiles by id; empty when the index is missing or cannot be read.
QHash<QString, Profiles> read();
// Writes the index anew from what a scan found (`entries`, with the profiles the index
// knew of them), adding `profiles` for the new copies at `paths`: copies that are gone
// are forgotten. Throws FileError when the index cannot be written.
void record(const QList<BackupEntry>& entries, const QStringList& paths, const Profiles& profiles);

} // namespace BackupIndex
