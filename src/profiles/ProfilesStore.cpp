#include "profiles/ProfilesStore.h"

#include "profiles/AppPaths.h"
#include "profiles/FileLock.h"
#include "profiles/FileUtil.h"
#include "profiles/Logging.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

namespace {

// Watches Tavrin's files where they exist and are not watched yet: a file put in place by
// an atomic replace is a new one.
void watchExistingFiles(QFileSystemWatcher& watcher) {
    for (const QString& file :
         {AppPaths::profilesURL(), AppPaths::keysURL(), AppPaths::keyStoreURL()})
        if (FileUtil::exists(file) && !watcher.files().contains(file))
            watcher.addPath(file);
}

} // namespace

ProfilesStoreError::ProfilesStoreError(Kind kind, QString message)
    : TavrinError(std::move(message)), m_kind(kind) {}

ProfilesStoreError ProfilesStoreError::profileNotFound(const QString& id) {
    return {Kind::profileNotFound,
            QCoreApplication::translate("ProfilesStore", "Profile '%1' was not found.").arg(id)};
}

ProfilesStoreError ProfilesStoreError::cannotDeleteActiveProfile() {
    return {Kind::cannotDeleteActiveProfile,
            QCoreApplication::translate("ProfilesStore", "The active profile cannot be deleted.")};
}

ProfilesStoreError ProfilesStoreError::notLoaded(const QString& path, const QString& reason) {
    return {Kind::notLoaded,
            QCoreApplication::translate(
                "ProfilesStore", "Profiles are read-only because %1 could not be read (%2). Fix or "
                                 "move the file, then reopen Tavrin.")
                .arg(path, reason)};
}

ProfilesStoreError ProfilesStoreError::notWritable(const QString& directory) {
    return {Kind::notWritable,
            QCoreApplication::translate("ProfilesStore",
                                        "Profiles cannot be saved: the folder %1 is not writable.")
                .arg(directory)};
}

ProfilesStore::ProfilesStore(std::shared_ptr<KeyStorage> keyStorage, QObject* parent)
    : QObject(parent), m_keys(keyStorage ? std::move(keyStorage) : std::make_shared<KeyStorage>()),
      m_document(ProfilesDocument::defaultDocument()) {}

ProfilesStore::~ProfilesStore() = default;

QList<Profile> ProfilesStore::profiles() const {
    QMutexLocker lock(&m_mutex);
    return m_document.profiles;
}

QString ProfilesStore::activeProfileID() const {
    QMutexLocker lock(&m_mutex);
    return m_document.activeProfile;
}

QString ProfilesStore::activeClaudeProfileID() const {
    QMutexLocker lock(&m_mutex);
    return m_document.activeClaudeProfile.value_or(m_document.activeProfile);
}

QString ProfilesStore::activeProfileID(TargetIDE target) const {
    return target == TargetIDE::claude ? activeClaudeProfileID() : activeProfileID();
}

std::optional<Profile> ProfilesStore::profileLocked(const QString& id) const {
    for (const Profile& p : m_document.profiles)
        if (p.id == id)
            return p;
    return std::nullopt;
}

std::optional<Profile> ProfilesStore::profile(const QString& id) const {
    QMutexLocker lock(&m_mutex);
    return profileLocked(id);
}

std::optional<Profile> ProfilesStore::activeProfile() const {
    QMutexLocker lock(&m_mutex);
    return profileLocked(m_document.activeProfile);
}

std::optional<Profile> ProfilesStore::activeClaudeProfile() const {
    QMutexLocker lock(&m_mutex);
    return profileLocked(m_document.activeClaudeProfile.value_or(m_document.activeProfile));
}

void ProfilesStore::ensureWritable() const {
    if (m_loadFailure)
        throw ProfilesStoreError::notLoaded(AppPaths::profilesURL(), *m_loadFailure);
}

void ProfilesStore::checkWritable() const {
    QMutexLocker lock(&m_mutex);
    ensureWritable();
    const QString directory = AppPaths::tavrinDirectory();
    const QFileInfo info(directory);
    if (info.exists() && !(info.isDir() && info.isWritable()))
        throw ProfilesStoreError::notWritable(directory);
}

void ProfilesStore::ensureProfilesFileExists() {
    FileUtil::makePath(AppPaths::tavrinDirectory());
    // Only where nothing at all is: a folder, a dangling link or a link loop at the path
    // is reported in plain words, never replaced by the default document.
    if (!FileUtil::fileExists(AppPaths::profilesURL()))
        write(ProfilesDocument::defaultDocument());
}

void ProfilesStore::write(const ProfilesDocument& document) {
    // For its owner only, like the key file: it tells which accounts and proxies are used.
    // Read only under the files lock, as it is written: its spare is scrubbed.
    FileUtil::writeAtomically(AppPaths::profilesURL(), document.encoded(),
                              FileUtil::NewFileMode::Secret, true, AtomicFile::Spare::scrub);
    m_fileStamp = FileUtil::stampOf(AppPaths::profilesURL());
}

void ProfilesStore::catchUpWithFile() {
    // Stamped before reading: a file replaced meanwhile is read again next time.
    const std::optional<FileUtil::Stamp> stamp = FileUtil::stampOf(AppPaths::profilesURL());
    if (!m_fileStamp || stamp == m_fileStamp)
        return;
    try {
        m_document = migrated(ProfilesDocument::decode(FileUtil::readAll(AppPaths::profilesURL())));
        m_fileStamp = stamp;
    } catch (const TavrinError& error) {
        // Something else broke the file: never write over it.
        m_loadFailure = error.localizedDescription();
        throw ProfilesStoreError::notLoaded(AppPaths::profilesURL(), *m_loadFailure);
    }
}

void ProfilesStore::load() {
    {
        QMutexLocker lock(&m_mutex);
        // A repair written now must not undo what another program is writing.
        const FilesLock files;
        try {
            ensureProfilesFileExists();
            const std::optional<FileUtil::Stamp> stamp = FileUtil::stampOf(AppPaths::profilesURL());
            const ProfilesDocument decoded =
                ProfilesDocument::decode(FileUtil::readAll(AppPaths::profilesURL()));
            m_fileStamp = stamp;
            const ProfilesDocument repaired = migrated(decoded);
            if (repaired != decoded)
                write(repaired);
            m_loadFailure.reset();
            m_document = repaired;
        } catch (const TavrinError& error) {
            // Keep the file as it is and refuse changes that would overwrite it.
            const QString path = AppPaths::profilesURL();
            if (FileUtil::entryExists(path))
                m_loadFailure = error.localizedDescription();
            throw;
        }
    }
    // Also after a load that found what was already there: the key file may have changed.
    emit documentChanged();
}

void ProfilesStore::change(const std::function<void(ProfilesDocument&)>& edit) {
    {
        QMutexLocker lock(&m_mutex);
        ensureWritable();
        // Another program's change made since the last read is read in first, under the
        // lock, so this one keeps it.
        const FilesLock files;
        catchUpWithFile();
        ProfilesDocument next = m_document;
        edit(next);
        write(next);
        m_document = std::move(next);
    }
    emit documentChanged();
}

void ProfilesStore::saveActiveProfileID(const QString& id) {
    saveActiveProfileID(TargetIDE::codex, id);
}

void ProfilesStore::saveActiveClaudeProfileID(const QString& id) {
    saveActiveProfileID(TargetIDE::claude, id);
}

void ProfilesStore::saveActiveProfileID(TargetIDE target, const QString& id) {
    change([&](ProfilesDocument& document) {
        if (!profileLocked(id))
            throw ProfilesStoreError::profileNotFound(id);
        if (target == TargetIDE::claude)
            document.activeClaudeProfile = id;
        else
            document.activeProfile = id;
    });
}

void ProfilesStore::saveProfile(const Profile& profile, const std::optional<QString>& apiKey) {
    const bool savesKey = apiKey && !apiKey->isEmpty();
    if (savesKey)
        KeyStorage::checkedKey(*apiKey);
    change([&](ProfilesDocument& document) {
        auto& list = document.profiles;
        const auto it = std::find_if(list.begin(), list.end(),
                                     [&](const Profile& p) { return p.id == profile.id; });
        if (it != list.end()) {
            // What this version does not know of the stored record is kept.
            const QJsonObject unknown = it->unknownKeys;
            *it = profile;
            for (auto key = unknown.begin(); key != unknown.end(); ++key)
                if (!it->unknownKeys.contains(key.key()))
                    it->unknownKeys.insert(key.key(), *key);
        } else {
            list.append(profile);
        }
    });
    // Outside the change: the keyring may take a while, and nobody waits for it meanwhile.
    if (savesKey)
        saveAPIKey(*apiKey, profile.id);
}

void ProfilesStore::deleteProfile(const QString& id) {
    change([&](ProfilesDocument& document) {
        if (id == document.activeProfile ||
            id == document.activeClaudeProfile.value_or(document.activeProfile))
            throw ProfilesStoreError::cannotDeleteActiveProfile();
        document.profiles.removeIf([&](const Profile& p) { return p.id == id; });
    });
    m_keys->deleteAPIKey(id);
}

void ProfilesStore::saveAPIKey(const QString& key, const QString& profileID) {
    m_keys->saveAPIKey(key, profileID);
    emit documentChanged();
}

void ProfilesStore::deleteAPIKey(const QString& profileID) {
    m_keys->deleteAPIKey(profileID);
}

bool ProfilesStore::hasAPIKey(const QString& profileID) const {
    return m_keys->hasAPIKey(profileID);
}

std::optional<QString> ProfilesStore::apiKey(const QString& profileID) const {
    try {
        return m_keys->apiKey(profileID);
    } catch (const TavrinError&) {
        // A profile that signs in with its account needs no key.
        const std::optional<Profile> found = profile(profileID);
        if (found && !found->isVelqorAccount())
            return std::nullopt;
        throw;
    }
}

void ProfilesStore::startWatchingFiles() {
    if (m_watcher)
        return;
    m_watcher = new QFileSystemWatcher(this);
    m_reloadTimer = new QTimer(this);
    m_reloadTimer->setSingleShot(true);
    // Several events arrive for one atomic replace; one reload is enough.
    m_reloadTimer->setInterval(150);
    connect(m_reloadTimer, &QTimer::timeout, this, &ProfilesStore::reloadAfterOutsideChange);
    const auto schedule = [this] { m_reloadTimer->start(); };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, schedule);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, schedule);
    // The folder is watched as well: an atomic replace puts a new file in place, which the
    // watch on the old file does not see.
    FileUtil::makePath(AppPaths::tavrinDirectory());
    m_watcher->addPath(AppPaths::tavrinDirectory());
    watchExistingFiles(*m_watcher);
}

void ProfilesStore::reloadAfterOutsideChange() {
    watchExistingFiles(*m_watcher);
    try {
        load();
    } catch (const TavrinError& error) {
        qCWarning(lcProfiles) << "Reloading the profiles after an outside change failed:"
                              << error.localizedDescription();
        emit reloadFailed(error.localizedDescription());
    }
}

ProfilesDocument ProfilesStore::migrated(ProfilesDocument document) {
    auto& list = document.profiles;
    const auto find = [&list](const QString& id) {
        return std::find_if(list.begin(), list.end(), [&](const Profile& p) { return p.id == id; });
    };
    const auto has = [&](const QString& id) { return find(id) != list.end(); };

    if (auto chatgpt = find(Profile::chatGPTAccountID); chatgpt != list.end()) {
        if (chatgpt->name == QLatin1String("Current Account"))
            chatgpt->name = QStringLiteral("ChatGPT Account");
        chatgpt->preferredAuthMethod = QStringLiteral("chatgpt");
        chatgpt->modelProvider = QString();
    } else {
        list.prepend(Profile::chatGPTAccount());
    }

    if (auto claude = find(Profile::claudeCodeAccountID); claude != list.end()) {
        if (claude->name == QLatin1String("Claude Code Account") ||
            claude->name == QLatin1String("Claude Desktop Account"))
            claude->name = QStringLiteral("Claude Account");
    } else {
        list.insert(std::min<qsizetype>(1, list.size()), Profile::claudeCodeAccount());
    }

    if (!has(document.activeProfile) || document.activeProfile == Profile::claudeCodeAccountID)
        document.activeProfile = Profile::chatGPTAccountID;

    const QString claudeCandidate = document.activeClaudeProfile.value_or(document.activeProfile);
    if (claudeCandidate == Profile::chatGPTAccountID || !has(claudeCandidate))
        document.activeClaudeProfile = Profile::claudeCodeAccountID;
    return document;
}

#include "moc_ProfilesStore.cpp"
