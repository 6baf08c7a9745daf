#pragma once

#include "profiles/Errors.h"
#include "profiles/FileUtil.h"
#include "profiles/KeyStorage.h"
#include "profiles/Profile.h"

#include <QMutex>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class QFileSystemWatcher;
class QTimer;

class ProfilesStoreError : public TavrinError {
public:
    enum class Kind { profileNotFound, cannotDeleteActiveProfile, notLoaded, notWritable };

    static ProfilesStoreError profileNotFound(const QString& id);
    static ProfilesStoreError cannotDeleteActiveProfile();
    // Changes are refused while the profiles file on disk could not be read.
    static ProfilesStoreError notLoaded(const QString& path, const QString& reason);
    static ProfilesStoreError notWritable(const QString& directory);

    Kind kind() const { return m_kind; }

private:
    ProfilesStoreError(Kind kind, QString message);
    Kind m_kind;
};

// Owns the profiles document for the whole process. Every change is written to disk at
// once, atomically, under the files lock, after reading in what other Tavrin programs
// wrote; a change whose write fails is taken back in memory too. Safe to call
// from any thread (a switch runs on a worker); documentChanged() is emitted after the
// change, outside the lock, so it reaches objects of other threads through their queue.
class ProfilesStore : public QObject {
    Q_OBJECT
public:
    explicit ProfilesStore(std::shared_ptr<KeyStorage> keyStorage = nullptr,
                           QObject* parent = nullptr);
    ~ProfilesStore() override;

    QList<Profile> profiles() const;
    QString activeProfileID() const;
    QString activeClaudeProfileID() const;
    // The active profile of the target: one of the two above.
    QString activeProfileID(TargetIDE target) const;
    std::optional<Profile> activeProfile() const;
    std::optional<Profile> activeClaudeProfile() const;
    std::optional<Profile> profile(const QString& id) const;

    void load();
    void saveActiveProfileID(const QString& id);
    void saveActiveClaudeProfileID(const QString& id);
    void saveActiveProfileID(TargetIDE target, const QString& id);
    // A key, when given and not empty, is saved once the profile is (a blank one is
    // refused first, changing nothing).
    void saveProfile(const Profile& profile, const std::optional<QString>& apiKey = std::nullopt);
    // Deletes the profile's key once the profile is gone.
    void deleteProfile(const QString& id);
    // Changes the key store only: a key change never writes the profiles file.
    void saveAPIKey(const QString& key, const QString& profileID);
    void deleteAPIKey(const QString& profileID);
    // For display: false also when the key file cannot be read.
    bool hasAPIKey(const QString& profileID) const;
    // The key a switch uses. Throws FileError naming the key file when it cannot be read
    // and the profile is one that uses a key.
    std::optional<QString> apiKey(const QString& profileID) const;
    // Whether key changes and reads may wait on the system keyring; the window then makes
    // them off its thread. The key service itself, to choose where keys are kept.
    bool keysMayWait() const { return m_keys->mayWait(); }
    KeyStorage& keyStorage() const { return *m_keys; }

    // Throws, changing nothing, when a change could not be written now: the last load
    // failed, or the profiles folder does not take new files.
    void checkWritable() const;

    // Reloads when profiles.json, keys.json or key-store.json change on disk (another
    // Tavrin, the command line). Call on the thread the store lives on.
    void startWatchingFiles();

    // The repair applied on every load: built-in profiles back, legacy names fixed,
    // active ids pointed at existing profiles.
    static ProfilesDocument migrated(ProfilesDocument document);

signals:
    // Emitted after every change and every load (the key file may have changed).
    void documentChanged();
    // A reload after an outside change failed; the store is read-only until a load works.
    void reloadFailed(const QString& message);

private:
    // Callers hold m_mutex.
    void ensureProfilesFileExists();
    void write(const ProfilesDocument& document);
    void ensureWritable() const;
    std::optional<Profile> profileLocked(const QString& id) const;
    // Applies `edit` to a copy of the document, writes it and publishes it; nothing changes
    // when `edit` or the write throws.
    void change(const std::function<void(ProfilesDocument&)>& edit);
    void reloadAfterOutsideChange();
    // Takes in what another program wrote to profiles.json since this store last read or
    // wrote it, so a change never overwrites it. Callers hold m_mutex.
    void catchUpWithFile();

    std::shared_ptr<KeyStorage> m_keys;
    mutable QMutex m_mutex;
    ProfilesDocument m_document;
    // Why the last load failed; while set, every change is refused.
    std::optional<QString> m_loadFailure;
    // What identifies the file's content as last read or written.
    std::optional<FileUtil::Stamp> m_fileStamp;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_reloadTimer = nullptr;
};
