#include "claude/ClaudeSettingsPatcher.h"

#include "profiles/AppPaths.h"
#include "profiles/ExactJson.h"
#include "profiles/FileUtil.h"
#include "profiles/ProxyURLFormatter.h"
#include "system/FileBackupService.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

ClaudeSettingsPatchError ClaudeSettingsPatchError::invalidSettings() {
    return ClaudeSettingsPatchError(QCoreApplication::translate(
        "ClaudeSettingsPatcher", "Claude settings.json is not a JSON object."));
}

namespace {

using ExactJson::Value;

const QString envKey = QStringLiteral("env");
const QString apiKeyHelperKey = QStringLiteral("apiKeyHelper");
const QString baseURLVariable = QStringLiteral("ANTHROPIC_BASE_URL");
const QString authTokenVariable = QStringLiteral("ANTHROPIC_AUTH_TOKEN");
const QString apiKeyVariable = QStringLiteral("ANTHROPIC_API_KEY");

// The switches that keep Claude Code on the configured endpoint and key only.
const QStringList& flagVariables() {
    static const QStringList names{QStringLiteral("CLAUDE_CODE_SIMPLE"),
                                   QStringLiteral("CLAUDE_CODE_DISABLE_KEYCHAIN"),
                                   QStringLiteral("CLAUDE_CODE_DISABLE_NONESSENTIAL_TRAFFIC")};
    return names;
}

} // namespace

// In the order they are reported.
QStringList ClaudeSettingsPatcher::managedVariables() {
    QStringList names =
        QStringList{baseURLVariable, authTokenVariable, apiKeyVariable} + flagVariables();
    for (const auto& variable : ProxyURLFormatter::variables(std::nullopt))
        names << variable.first;
    return names;
}

namespace {

QString settingsPath() {
    return AppPaths::claudeSettingsURL();
}

// The settings document; an absent or zero-byte file is an empty document.
Value loadSettings(bool fileExists) {
    if (!fileExists)
        return Value::object();
    const QByteArray data = FileUtil::readAll(settingsPath());
    if (data.isEmpty())
        return Value::object();
    Value document;
    try {
        document = ExactJson::parse(data);
    } catch (const ExactJson::SyntaxError& error) {
        throw JsonError(QCoreApplication::translate("ClaudeSettingsPatcher",
                                                    "Claude settings.json is not valid JSON: %1.")
                            .arg(error.localizedDescription()));
    }
    if (!document.isObject())
        throw ClaudeSettingsPatchError::invalidSettings();
    return document;
}

// Only an object is a usable env block; anything else is replaced.
Value envOf(const Value& settings) {
    const Value* env = settings.find(envKey);
    return env && env->isObject() ? *env : Value::object();
}

void setOrRemove(Value& env, const QString& name, const std::optional<QString>& value) {
    if (value)
        env.insert(name, Value::string(*value));
    else
        env.remove(name);
}

void applyAPIKeyProfile(Value& env, const Profile& profile, const std::optional<QString>& apiKey) {
    env.insert(baseURLVariable, Value::string(Profile::velqorBaseURL));

    const QString key = apiKey.value_or(QString()).trimmed();
    const std::optional<QString> token = key.isEmpty() ? std::nullopt : std::optional(key);
    setOrRemove(env, authTokenVariable, token);
    setOrRemove(env, apiKeyVariable, token);

    for (const QString& name : flagVariables())
        env.insert(name, Value::string(QStringLiteral("1")));

    for (const auto& [name, value] :
         ProxyURLFormatter::variables(ProxyURLFormatter::normalized(profile.proxyURL)))
        setOrRemove(env, name, value);
}

void applyAccountProfile(Value& env) {
    for (const QString& name : ClaudeSettingsPatcher::managedVariables())
        env.remove(name);
}

void applyProfile(Value& env, const Profile& profile, const std::optional<QString>& apiKey) {
    if (profile.isVelqorAccount())
        applyAPIKeyProfile(env, profile, apiKey);
    else
        applyAccountProfile(env);
}

} // namespace

QStringList ClaudeSettingsPatcher::differences(const Profile& profile,
                                               const std::optional<QString>& apiKey) {
    const Value settings = loadSettings(FileUtil::fileExists(settingsPath()));
    const Value env = envOf(settings);
    Value wanted = env;
    applyProfile(wanted, profile, apiKey);

    // Names only: the values may be keys.
    QStringList result;
    const Value* foundEnv = settings.find(envKey);
    if (foundEnv && !foundEnv->isObject())
        result << QStringLiteral("settings.json: env is not an object");
    for (const QString& name : ClaudeSettingsPatcher::managedVariables()) {
        const Value* found = env.find(name);
        const Value* expected = wanted.find(name);
        if (expected && !found)
            result << QStringLiteral("settings.json: env.%1 is not set").arg(name);
        else if (!expected && found)
            result << QStringLiteral("settings.json: env.%1 should not be set").arg(name);
        else if (expected && !(*expected == *found))
            result << QStringLiteral("settings.json: env.%1 has another value").arg(name);
    }
    if (settings.find(apiKeyHelperKey))
        result << QStringLiteral("settings.json: apiKeyHelper should not be set");
    return result;
}

SettingsChange ClaudeSettingsPatcher::prepare(const Profile& profile,
                                              const std::optional<QString>& apiKey) {
    SettingsChange change;
    change.profile = profile;
    change.apiKey = apiKey;
    change.path = settingsPath();
    change.existed = FileUtil::fileExists(change.path);
    change.source = FileUtil::stampOf(change.path);
    Value settings = loadSettings(change.existed);
    Value env = envOf(settings);
    applyProfile(env, profile, apiKey);
    change.holdsKey = env.find(authTokenVariable) != nullptr;
    settings.remove(apiKeyHelperKey);
    settings.insert(envKey, std::move(env));
    change.content = ExactJson::write(settings);
    return change;
}

void ClaudeSettingsPatcher::apply(const SettingsChange& prepared, const ChangeRecorder& recorder) {
    const SettingsChange change =
        replanned(prepared, [&] { return prepare(prepared.profile, prepared.apiKey); });
    BackupResult copies;
    if (change.existed)
        // The file may hold a key: both copies are for the owner only.
        copies = FileBackupService::createBackups(
            change.path, AppPaths::claudeLatestBackupURL(), AppPaths::claudeBackupsDirectory(),
            QStringLiteral("settings-"), QStringLiteral(".json"), true);
    else
        FileUtil::makePath(AppPaths::claudeDirectory());
    recordChange(recorder, FileChange{change.path, change.existed, copies.timestampedBackupURL},
                 {copies.timestampedBackupURL, copies.latestBackupURL});
    // A new file is for its owner only, and a file that gets a key ends so whatever its
    // mode was. Otherwise an existing file keeps its mode, and a symbolic link keeps
    // pointing where it pointed.
    FileUtil::writeAtomically(change.path, change.content,
                              change.holdsKey ? FileUtil::NewFileMode::Secret
                                              : FileUtil::NewFileMode::OwnerOnly);
}

std::optional<bool> ClaudeSettingsPatcher::hasAccountLogin() {
#ifdef Q_OS_MACOS
    return std::nullopt;
#else
    if (!qEnvironmentVariableIsEmpty("CLAUDE_CODE_OAUTH_TOKEN"))
        return true;
    // The value at `key` of a JSON file's top object; nothing when it cannot be told.
    const auto valueIn = [](const QString& path, const QString& key) -> std::optional<QJsonValue> {
        if (!FileUtil::fileExists(path))
            return QJsonValue();
        const QJsonDocument document = QJsonDocument::fromJson(FileUtil::readAll(path));
        if (!document.isObject())
            return std::nullopt;
        return document.object().value(key);
    };
    try {
        const auto oauth =
            valueIn(AppPaths::claudeDirectory() + QStringLiteral("/.credentials.json"),
                    QStringLiteral("claudeAiOauth"));
        if (!oauth)
            return std::nullopt;
        if (!oauth->toObject().value(QStringLiteral("accessToken")).toString().isEmpty() ||
            !oauth->toObject().value(QStringLiteral("refreshToken")).toString().isEmpty())
            return true;
        const auto consoleKey = valueIn(AppPaths::homeDirectory() + QStringLiteral("/.claude.json"),
                                        QStringLiteral("primaryApiKey"));
        if (!consoleKey)
            return std::nullopt;
        return !consoleKey->toString().isEmpty();
    } catch (const TavrinError&) {
        return std::nullopt; // a folder, a pipe, unreadable: nothing to tell from it
    }
#endif
}
