#include "profiles/ProfilesStore.h"

#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"

ProfilesStoreError::ProfilesStoreError(Kind kind, QString message)
    : TavrinError(std::move(message)), m_kind(kind) {}

ProfilesStoreError ProfilesStoreError::profileNotFound(const QString& id) {
    return {Kind::profileNotFound,
            QStringLiteral("Profile '") + id + QStringLiteral("' was not found.")};
}

ProfilesStoreError ProfilesStoreError::cannotDeleteActiveProfile() {
    return {Kind::cannotDeleteActiveProfile,
            QStringLiteral("The active profile cannot be deleted.")};
}

ProfilesStoreError ProfilesStoreError::notLoaded(const QString& path, const QString& reason) {
    return {Kind::notLoaded,
            QStringLiteral("Profiles are read-only because %1 could not be read (%2). Fix or "
                           "move the file, then reopen Tavrin.")
                .arg(path, reason)};
}

ProfilesStore::ProfilesStore(std::shared_ptr<LocalKeysService> localKeysService, QObject* parent)
    : QObject(parent),
      m_keys(localKeysService ? std::move(localKeysService) : std::make_shared<LocalKeysService>()),
      m_document(ProfilesDocument::defaultDocument()) {}

QString ProfilesStore::activeClaudeProfileID() const {
    return m_document.activeClaudeProfile.value_or(m_document.activeProfile);
}

std::optional<Profile> ProfilesStore::profile(const QString& id) const {
    for (const Profile& p : m_document.profiles)
        if (p.id == id)
            return p;
    return std::nullopt;
}

std::optional<Profile> ProfilesStore::activeProfile() const {
    return profile(activeProfileID());
}

std::optional<Profile> ProfilesStore::activeClaudeProfile() const {
    return profile(activeClaudeProfileID());
}

void ProfilesStore::setDocument(ProfilesDocument document) {
    m_document = std::move(document);
    emit documentChanged();
}

void ProfilesStore::ensureWritable() const {
    if (m_loadFailure)
        throw ProfilesStoreError::notLoaded(AppPaths::profilesURL(), *m_loadFailure);
}

void ProfilesStore::ensureProfilesFileExists() {
    FileUtil::makePath(AppPaths::tavrinDirectory());
    if (!FileUtil::exists(AppPaths::profilesURL()))
        write(ProfilesDocument::defaultDocument());
}

void ProfilesStore::write(const ProfilesDocument& document) {
    FileUtil::writeAtomically(AppPaths::profilesURL(), document.encoded());
    // A change already published in memory is not announced a second time.
    if (document != m_document)
        setDocument(document);
}

void ProfilesStore::load() {
    try {
        ensureProfilesFileExists();
        const ProfilesDocument decoded =
            ProfilesDocument::decode(FileUtil::readAll(AppPaths::profilesURL()));
        const ProfilesDocument repaired = migrated(decoded);
        m_loadFailure.reset();
        if (repaired != decoded)
            write(repaired);
        else
            setDocument(decoded);
    } catch (const TavrinError& error) {
        // Keep the file as it is and refuse changes that would overwrite it.
        if (FileUtil::exists(AppPaths::profilesURL()))
            m_loadFailure = error.localizedDescription();
        throw;
    }
}

void ProfilesStore::saveActiveProfileID(const QString& id) {
    saveActive(id, [&](ProfilesDocument& document) { document.activeProfile = id; });
}

void ProfilesStore::saveActiveClaudeProfileID(const QString& id) {
    saveActive(id, [&](ProfilesDocument& document) { document.activeClaudeProfile = id; });
}

void ProfilesStore::saveActive(const QString& id,
                               const std::function<void(ProfilesDocument&)>& assign) {
    ensureWritable();
    if (!profile(id))
        throw ProfilesStoreError::profileNotFound(id);
    assign(m_document);
    emit documentChanged();
    write(m_document);
}

void ProfilesStore::saveProfile(const Profile& profile, const std::optional<QString>& apiKey) {
    ensureWritable();
    auto& list = m_document.profiles;
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const Profile& p) { return p.id == profile.id; });
    if (it != list.end())
        *it = profile;
    else
        list.append(profile);
    emit documentChanged();
    if (apiKey && !apiKey->isEmpty())
        m_keys->saveAPIKey(*apiKey, profile.id);
    write(m_document);
}

void ProfilesStore::deleteProfile(const QString& id) {
    ensureWritable();
    if (id == activeProfileID() || id == activeClaudeProfileID())
        throw ProfilesStoreError::cannotDeleteActiveProfile();
    m_document.profiles.removeIf([&](const Profile& p) { return p.id == id; });
    emit documentChanged();
    m_keys->deleteAPIKey(id);
    write(m_document);
}

void ProfilesStore::deleteAPIKey(const QString& profileID) {
    m_keys->deleteAPIKey(profileID);
}

bool ProfilesStore::hasAPIKey(const QString& profileID) const {
    return m_keys->hasAPIKey(profileID);
}

std::optional<QString> ProfilesStore::apiKey(const QString& profileID) const {
    return m_keys->apiKey(profileID);
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
