#pragma once

#include "profiles/Errors.h"
#include "profiles/LocalKeysService.h"
#include "profiles/Profile.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class ProfilesStoreError : public TavrinError {
public:
    enum class Kind { profileNotFound, cannotDeleteActiveProfile, notLoaded };

    static ProfilesStoreError profileNotFound(const QString& id);
    static ProfilesStoreError cannotDeleteActiveProfile();
    // Changes are refused while the profiles file on disk could not be read.
    static ProfilesStoreError notLoaded(const QString& path, const QString& reason);

    Kind kind() const { return m_kind; }

private:
    ProfilesStoreError(Kind kind, QString message);
    Kind m_kind;
};

// Owns the profiles document for the whole process. Every change is made in memory,
// then the whole file is written atomically. Lives on the GUI thread.
class ProfilesStore : public QObject {
    Q_OBJECT
public:
    explicit ProfilesStore(std::shared_ptr<LocalKeysService> localKeysService = nullptr,
                           QObject* parent = nullptr);

    const ProfilesDocument& document() const { return m_document; }
    const QList<Profile>& profiles() const { return m_document.profiles; }
    QString activeProfileID() const { return m_document.activeProfile; }
    QString activeClaudeProfileID() const;
    std::optional<Profile> activeProfile() const;
    std::optional<Profile> activeClaudeProfile() const;
    std::optional<Profile> profile(const QString& id) const;

    void load();
    void saveActiveProfileID(const QString& id);
    void saveActiveClaudeProfileID(const QString& id);
    void saveProfile(const Profile& profile, const std::optional<QString>& apiKey = std::nullopt);
    void deleteProfile(const QString& id);
    void deleteAPIKey(const QString& profileID);
    bool hasAPIKey(const QString& profileID) const;
    std::optional<QString> apiKey(const QString& profileID) const;

    // The repair applied on every load: built-in profiles back, legacy names fixed,
    // active ids pointed at existing profiles.
    static ProfilesDocument migrated(ProfilesDocument document);

signals:
    // Emitted after every change of the in-memory document.
    void documentChanged();

private:
    void ensureProfilesFileExists();
    void write(const ProfilesDocument& document);
    void setDocument(ProfilesDocument document);
    void ensureWritable() const;
    void saveActive(const QString& id, const std::function<void(ProfilesDocument&)>& assign);

    std::shared_ptr<LocalKeysService> m_keys;
    ProfilesDocument m_document;
    // Why the last load failed; while set, every change is refused.
    std::optional<QString> m_loadFailure;
};
