#include "profiles/AppPaths.h"

#include <QDir>
#include <QMutex>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace {

QMutex overrideMutex;
QString homeOverride;

QString passwordDatabaseHome() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result &&
        result->pw_dir && result->pw_dir[0] == '/')
        return QString::fromLocal8Bit(result->pw_dir);
    return QDir::homePath();
}

QString join(const QString& directory, const char* name) {
    return directory + QLatin1Char('/') + QLatin1String(name);
}

} // namespace

namespace AppPaths {

QString homeDirectory() {
    {
        QMutexLocker lock(&overrideMutex);
        if (!homeOverride.isEmpty())
            return homeOverride;
    }
#ifdef Q_OS_MACOS
    // The Codex app and Claude Code read the account's own home on macOS.
    return passwordDatabaseHome();
#else
    // On Linux the assistants follow $HOME when it is an absolute path, and so must we,
    // or we would edit files they never read.
    const QByteArray home = qgetenv("HOME");
    if (home.startsWith('/'))
        return QDir::cleanPath(QString::fromLocal8Bit(home));
    return passwordDatabaseHome();
#endif
}

QString codexDirectory() {
    return join(homeDirectory(), ".codex");
}
QString configURL() {
    return join(codexDirectory(), "config.toml");
}
QString authURL() {
    return join(codexDirectory(), "auth.json");
}
QString stateDatabaseURL() {
    return join(codexDirectory(), "state_5.sqlite");
}
QString latestBackupURL() {
    return join(codexDirectory(), "config.toml.backup-before-profile-switch");
}
QString backupsDirectory() {
    return join(codexDirectory(), "backups");
}
QString tavrinDirectory() {
    return join(codexDirectory(), "tavrin");
}
QString profilesURL() {
    return join(tavrinDirectory(), "profiles.json");
}
QString keysURL() {
    return join(tavrinDirectory(), "keys.json");
}
QString keyStoreURL() {
    return join(tavrinDirectory(), "key-store.json");
}
QString claudeDirectory() {
    return join(homeDirectory(), ".claude");
}
QString claudeSettingsURL() {
    return join(claudeDirectory(), "settings.json");
}
QString claudeLatestBackupURL() {
    return join(claudeDirectory(), "settings.json.backup-before-profile-switch");
}
QString claudeBackupsDirectory() {
    return join(claudeDirectory(), "backups");
}

QString displayPath(const QString& path) {
    const QString home = homeDirectory();
    if (!home.isEmpty() && home != QLatin1String("/") && path.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + path.mid(home.size());
    return path;
}

void setHomeDirectoryOverride(const QString& home) {
    QMutexLocker lock(&overrideMutex);
    homeOverride = home;
}

} // namespace AppPaths
