#include "backups/BackupCatalogue.h"

#include "backups/BackupIndex.h"
#include "profiles/AppPaths.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonObject>
#include <QLocale>
#include <QTime>
#include <QTimeZone>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

enum class Where { codexBackups, claudeBackups, codex, claude, tavrin };

struct Folder {
    QString path;
    Where where;
};

QList<Folder> folderList() {
    return {{AppPaths::backupsDirectory(), Where::codexBackups},
            {AppPaths::claudeBackupsDirectory(), Where::claudeBackups},
            {AppPaths::codexDirectory(), Where::codex},
            {AppPaths::claudeDirectory(), Where::claude},
            {AppPaths::tavrinDirectory(), Where::tavrin}};
}

// What a name tells about a copy.
struct Parsed {
    BackupKind kind = BackupKind::config;
    BackupRole role = BackupRole::dated;
    QDateTime made; // invalid: the file's own time
    int sequence = 1;
    QByteArray companion;   // "-wal" or "-shm" for those copies of a database
    QByteArray databaseKey; // the time part that a database's copies share
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int number(QByteArrayView text) {
    int value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    return value;
}

// Reads "yyyy-MM-dd-HH-mm-ss[-N]" at the start of `text`: how many bytes it took, 0 when
// it is not there.
qsizetype readStamp(QByteArrayView text, Parsed& parsed, const QTimeZone& zone) {
    if (text.size() < 19)
        return 0;
    for (qsizetype i = 0; i < 19; ++i) {
        const bool separator = i == 4 || i == 7 || i == 10 || i == 13 || i == 16;
        if (separator ? text[i] != '-' : !isDigit(text[i]))
            return 0;
    }
    const QDate date(number(text.sliced(0, 4)), number(text.sliced(5, 2)),
                     number(text.sliced(8, 2)));
    const QTime time(number(text.sliced(11, 2)), number(text.sliced(14, 2)),
                     number(text.sliced(17, 2)));
    if (!date.isValid() || !time.isValid())
        return 0;
    parsed.made = QDateTime(date, time, zone);
    qsizetype end = 19;
    if (end + 1 < text.size() && text[end] == '-' && isDigit(text[end + 1])) {
        qsizetype digits = end + 1;
        while (digits < text.size() && isDigit(text[digits]) && digits - end <= 6)
            ++digits;
        parsed.sequence = number(text.sliced(end + 1, digits - end - 1));
        end = digits;
    }
    return end;
}

// <prefix><stamp><suffix> exactly.
bool datedName(QByteArrayView name, QByteArrayView prefix, QByteArrayView suffix, Parsed& parsed,
               const QTimeZone& zone) {
    if (!name.startsWith(prefix) || !name.endsWith(suffix) ||
        name.size() < prefix.size() + suffix.size())
        return false;
    const QByteArrayView middle =
        name.sliced(prefix.size(), name.size() - prefix.size() - suffix.size());
    return readStamp(middle, parsed, zone) == middle.size() && middle.size() > 0;
}

// The files copies are made of, by the names their "before-restore" copies start with.
struct Original {
    const char* name;
    BackupKind kind;
    const char* companion;
};

const Original originals[] = {
    {"config.toml", BackupKind::config, ""},
    {"auth.json", BackupKind::auth, ""},
    {"settings.json", BackupKind::claudeSettings, ""},
    {"state_5.sqlite", BackupKind::chatDatabase, ""},
    {"state_5.sqlite-wal", BackupKind::chatDatabase, "-wal"},
    {"state_5.sqlite-shm", BackupKind::chatDatabase, "-shm"},
    {"profiles.json", BackupKind::profiles, ""},
};

// The file a copy of each kind belongs to, worked out once per scan.
struct OriginalPaths {
    QString config = AppPaths::configURL();
    QString auth = AppPaths::authURL();
    QString claudeSettings = AppPaths::claudeSettingsURL();
    QString database = AppPaths::stateDatabaseURL();
    QString profiles = AppPaths::profilesURL();

    const QString& of(BackupKind kind) const {
        switch (kind) {
        case BackupKind::config:
            return config;
        case BackupKind::auth:
            return auth;
        case BackupKind::claudeSettings:
            return claudeSettings;
        case BackupKind::profiles:
            return profiles;
        case BackupKind::chatDatabase:
        case BackupKind::chatMoves:
            break;
        }
        return database;
    }
};

// <file>.before-restore-<stamp>
bool beforeRestoreName(QByteArrayView name, Parsed& parsed, const QTimeZone& zone) {
    static constexpr QByteArrayView marker = ".before-restore-";
    const qsizetype at = QByteArrayView(name).indexOf(marker);
    if (at <= 0)
        return false;
    const QByteArrayView base = name.first(at);
    const QByteArrayView stamp = name.sliced(at + marker.size());
    for (const Original& original : originals) {
        if (base != original.name)
            continue;
        if (readStamp(stamp, parsed, zone) != stamp.size())
            return false;
        parsed.kind = original.kind;
        parsed.role = BackupRole::beforeRestore;
        parsed.companion = original.companion;
        parsed.databaseKey = "before-restore " + stamp.toByteArray();
        return true;
    }
    return false;
}

bool databaseName(QByteArrayView name, Parsed& parsed, const QTimeZone& zone) {
    for (const QByteArrayView companion :
         {QByteArrayView(""), QByteArrayView("-wal"), QByteArrayView("-shm")}) {
        const QByteArray suffix = companion.toByteArray() + ".sqlite";
        if (datedName(name, "state_5-", suffix, parsed, zone)) {
            parsed.kind = BackupKind::chatDatabase;
            parsed.companion = companion.toByteArray();
            parsed.databaseKey = name.first(name.size() - suffix.size()).toByteArray();
            return true;
        }
    }
    return false;
}

std::optional<Parsed> parseName(Where where, QByteArrayView name, const QTimeZone& zone) {
    Parsed parsed;
    if (beforeRestoreName(name, parsed, zone))
        return parsed;
    parsed = Parsed{};
    const auto dated = [&](QByteArrayView prefix, QByteArrayView suffix, BackupKind kind) {
        if (!datedName(name, prefix, suffix, parsed, zone))
            return false;
        parsed.kind = kind;
        return true;
    };
    switch (where) {
    case Where::codexBackups:
        if (dated("config-", ".toml", BackupKind::config) ||
            dated("auth-", ".json", BackupKind::auth) ||
            dated("chats-", ".json", BackupKind::chatMoves) || databaseName(name, parsed, zone))
            return parsed;
        return std::nullopt;
    case Where::claudeBackups:
        if (dated("settings-", ".json", BackupKind::claudeSettings))
            return parsed;
        return std::nullopt;
    case Where::codex:
    case Where::claude: {
        const bool codex = where == Where::codex;
        if (name != (codex ? "config.toml.backup-before-profile-switch"
                           : "settings.json.backup-before-profile-switch"))
            return std::nullopt;
        parsed.kind = codex ? BackupKind::config : BackupKind::claudeSettings;
        parsed.role = BackupRole::latest;
        return parsed;
    }
    case Where::tavrin:
        return std::nullopt;
    }
    return std::nullopt;
}

// Puts a database's copy in its place among the entry's files: the main file first, then
// "-wal", then "-shm".
void addDatabaseFile(BackupEntry& entry, const QString& path, const QByteArray& companion,
                     qint64 size) {
    entry.size += size;
    QStringList files = entry.path.isEmpty() ? QStringList() : entry.files();
    files << path;
    const auto rank = [](const QString& file) {
        const QString name = file.section(QLatin1Char('/'), -1);
        return name.contains(QLatin1String("-wal"))   ? 1
               : name.contains(QLatin1String("-shm")) ? 2
                                                      : 0;
    };
    std::sort(files.begin(), files.end(),
              [&rank](const QString& a, const QString& b) { return rank(a) < rank(b); });
    entry.path = files.takeFirst();
    entry.companions = files;
    if (companion.isEmpty())
        entry.complete = true;
}

void scanFolder(const Folder& folder, const OriginalPaths& originalPaths, const QTimeZone& zone,
                QList<BackupEntry>& entries, QHash<QByteArray, qsizetype>& databases) {
    DIR* dir = ::opendir(QFile::encodeName(folder.path).constData());
    if (!dir)
        return;
    const int fd = ::dirfd(dir);
    while (const dirent* item = ::readdir(dir)) {
        const QByteArrayView name(item->d_name);
        const std::optional<Parsed> parsed = parseName(folder.where, name, zone);
        struct stat info {};
        if (!parsed || ::fstatat(fd, item->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode))
            continue;
        const QString path = folder.path + QLatin1Char('/') + QFile::decodeName(item->d_name);
        if (parsed->kind == BackupKind::chatDatabase) {
            const QByteArray key = QFile::encodeName(folder.path) + '/' + parsed->databaseKey;
            auto found = databases.constFind(key);
            if (found == databases.constEnd()) {
                BackupEntry entry;
                entry.kind = parsed->kind;
                entry.role = parsed->role;
                entry.original = originalPaths.of(parsed->kind);
                entry.made = parsed->made;
                entry.sequence = parsed->sequence;
                entry.complete = false;
                found = databases.insert(key, entries.size());
                entries.append(entry);
            }
            addDatabaseFile(entries[*found], path, parsed->companion, info.st_size);
            continue;
        }
        BackupEntry entry;
        entry.path = path;
        entry.kind = parsed->kind;
        entry.role = parsed->role;
        entry.original = originalPaths.of(parsed->kind);
        entry.made =
            parsed->made.isValid() ? parsed->made : QDateTime::fromSecsSinceEpoch(info.st_mtime);
        entry.sequence = parsed->sequence;
        entry.size = info.st_size;
        entries.append(entry);
    }
    ::closedir(dir);
}

} // namespace

TargetIDE BackupEntry::target() const {
    return kind == BackupKind::claudeSettings ? TargetIDE::claude : TargetIDE::codex;
}

QString BackupEntry::group() const {
    return original + QLatin1Char(' ') + BackupCatalogue::roleName(role) +
           (kind == BackupKind::chatMoves ? QStringLiteral(" moves") : QString());
}

namespace BackupCatalogue {

QStringList folders() {
    QStringList paths;
    for (const Folder& folder : folderList())
        paths << folder.path;
    return paths;
}

QList<BackupEntry> scan() {
    QList<BackupEntry> entries;
    QHash<QByteArray, qsizetype> databases;
    const OriginalPaths originalPaths;
    // The times in the names are local; the zone is read once, not for every name.
    const QTimeZone zone = QTimeZone::systemTimeZone();
    for (const Folder& folder : folderList())
        scanFolder(folder, originalPaths, zone, entries, databases);
    const QString home = AppPaths::homeDirectory() + QLatin1Char('/');
    const QHash<QString, BackupIndex::Profiles> profiles = BackupIndex::read();
    struct Order {
        qint64 time;
        int sequence;
        qsizetype index;
    };
    std::vector<Order> order;
    order.reserve(entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i) {
        BackupEntry& entry = entries[i];
        entry.id = entry.path.startsWith(home) ? entry.path.mid(home.size()) : entry.path;
        if (const auto known = profiles.constFind(entry.id); known != profiles.constEnd()) {
            entry.fromProfile = known->from;
            entry.toProfile = known->to;
        }
        order.push_back({entry.made.toMSecsSinceEpoch(), entry.sequence, i});
    }
    std::sort(order.begin(), order.end(), [&entries](const Order& a, const Order& b) {
        if (a.time != b.time)
            return a.time > b.time;
        if (a.sequence != b.sequence)
            return a.sequence > b.sequence;
        return entries[a.index].id > entries[b.index].id;
    });
    QList<BackupEntry> sorted;
    sorted.reserve(entries.size());
    for (const Order& o : order)
        sorted.append(std::move(entries[o.index]));
    return sorted;
}

std::optional<BackupEntry> find(const QList<BackupEntry>& entries, const QString& reference) {
    QString wanted = reference.trimmed();
    if (wanted.startsWith(QLatin1String("~/")))
        wanted = AppPaths::homeDirectory() + wanted.mid(1);
    std::optional<BackupEntry> byName;
    int named = 0;
    for (const BackupEntry& entry : entries) {
        if (entry.id == wanted || entry.files().contains(wanted))
            return entry;
        if (QFileInfo(entry.path).fileName() == wanted) {
            byName = entry;
            ++named;
        }
    }
    return named == 1 ? byName : std::nullopt;
}

} // namespace BackupCatalogue
