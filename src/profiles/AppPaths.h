#pragma once

#include <QString>

// Where the assistants keep their files. Every path is computed afresh on each
// call from the user's home directory; computing a path creates nothing.
namespace AppPaths {

QString homeDirectory();
QString codexDirectory();
QString configURL();
QString authURL();
QString stateDatabaseURL();
QString latestBackupURL();
QString backupsDirectory();
QString tavrinDirectory();
QString profilesURL();
QString keysURL();
// Where the user keeps API keys: the key file or the system keyring.
QString keyStoreURL();
QString claudeDirectory();
QString claudeSettingsURL();
QString claudeLatestBackupURL();
QString claudeBackupsDirectory();

// The path as the user reads it: "~/.claude/settings.json" for a file below the home
// directory, otherwise unchanged.
QString displayPath(const QString& path);

// Points every path at another home directory (tests); an empty text restores
// the real one.
void setHomeDirectoryOverride(const QString& home);

} // namespace AppPaths
