#include "claude/ClaudeSettingsPatcher.h"

#include "codex/FileBackupService.h"
#include "profiles/AppPaths.h"
#include "profiles/FileUtil.h"
#include "profiles/ProxyURLFormatter.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringList>

const QString ClaudeSettingsPatcher::velqorBaseURL = QStringLiteral("https://api.velqor.com");
const QString ClaudeSettingsPatcher::velqorOpenAIBaseURL =
    QStringLiteral("https://api.velqor.com/v1");

ClaudeSettingsPatchError ClaudeSettingsPatchError::invalidSettings() {
    return ClaudeSettingsPatchError(QStringLiteral("Claude settings.json is not a JSON object."));
}

namespace {

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

QString settingsPath() {
    return AppPaths::claudeSettingsURL();
}

// Index of the first byte that is neither white space nor a byte-order mark.
qsizetype firstSignificantByte(const QByteArray& data) {
    qsizetype i = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < data.size() &&
           (data[i] == ' ' || data[i] == '\t' || data[i] == '\n' || data[i] == '\r'))
        ++i;
    return i;
}

[[noreturn]] void throwParseError(const QByteArray& data, const QJsonParseError& error) {
    const QString prefix = QStringLiteral("Claude settings.json is not valid JSON: ");
    const qsizetype start = firstSignificantByte(data);
    if (start >= data.size())
        throw JsonError(prefix + QStringLiteral("the file holds only white space."));
    QString reason = error.errorString();
    qsizetype offset = error.offset;
    if (data[start] != '{' && data[start] != '[') {
        // The parser only says "illegal value" for a bare string, number or literal.
        reason = QStringLiteral("the document does not start with an object or an array");
        offset = start;
    }
    throw JsonError(prefix + reason + QStringLiteral(" at byte ") + QString::number(offset) +
                    QLatin1Char('.'));
}

// The settings document; an absent or zero-byte file is an empty document.
QJsonObject loadSettings(bool fileExists) {
    if (!fileExists)
        return {};
    const QByteArray data = FileUtil::readAll(settingsPath());
    if (data.isEmpty())
        return {};
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError)
        throwParseError(data, error);
    if (!document.isObject())
        throw ClaudeSettingsPatchError::invalidSettings();
    return document.object();
}

void setOrRemove(QJsonObject& env, const QString& name, const std::optional<QString>& value) {
    if (value)
        env.insert(name, *value);
    else
        env.remove(name);
}

void applyAPIKeyProfile(QJsonObject& env, const Profile& profile,
                        const std::optional<QString>& apiKey) {
    env.insert(baseURLVariable, ClaudeSettingsPatcher::velqorBaseURL);

    const QString key = apiKey.value_or(QString()).trimmed();
    const std::optional<QString> token = key.isEmpty() ? std::nullopt : std::optional(key);
    setOrRemove(env, authTokenVariable, token);
    setOrRemove(env, apiKeyVariable, token);

    for (const QString& name : flagVariables())
        env.insert(name, QStringLiteral("1"));

    const std::optional<QString> proxy = ProxyURLFormatter::normalized(profile.proxyURL);
    for (const QString& name : ProxyURLFormatter::variableNames())
        setOrRemove(env, name, proxy);
}

void applyAccountProfile(QJsonObject& env) {
    env.remove(baseURLVariable);
    env.remove(authTokenVariable);
    env.remove(apiKeyVariable);
    for (const QString& name : flagVariables())
        env.remove(name);
    for (const QString& name : ProxyURLFormatter::variableNames())
        env.remove(name);
}

} // namespace

void ClaudeSettingsPatcher::checkCanApply() {
    loadSettings(FileUtil::exists(settingsPath()));
}

QStringList ClaudeSettingsPatcher::differences(const Profile& profile,
                                               const std::optional<QString>& apiKey) {
    const QJsonObject settings = loadSettings(FileUtil::exists(settingsPath()));
    const QJsonValue existingEnv = settings.value(envKey);
    const QJsonObject env = existingEnv.isObject() ? existingEnv.toObject() : QJsonObject();
    QJsonObject wanted = env;
    if (usesVelqor(profile))
        applyAPIKeyProfile(wanted, profile, apiKey);
    else
        applyAccountProfile(wanted);
    QStringList result;
    for (auto it = wanted.begin(); it != wanted.end(); ++it)
        if (env.value(it.key()) != it.value())
            result << QStringLiteral("settings.json: env.%1 differs").arg(it.key());
    for (auto it = env.begin(); it != env.end(); ++it)
        if (!wanted.contains(it.key()))
            result << QStringLiteral("settings.json: env.%1 should not be set").arg(it.key());
    return result;
}

ClaudeSettingsPatchResult ClaudeSettingsPatcher::apply(const Profile& profile,
                                                       const std::optional<QString>& apiKey,
                                                       const ChangeRecorder& recorder) {
    const QString path = settingsPath();
    const bool fileExists = FileUtil::exists(path);

    ClaudeSettingsPatchResult result;
    if (fileExists)
        result = createBackup();
    else
        FileUtil::makePath(AppPaths::claudeDirectory());

    QJsonObject settings = loadSettings(fileExists);

    // Only an object is a usable env block; anything else is replaced.
    const QJsonValue existingEnv = settings.value(envKey);
    QJsonObject env = existingEnv.isObject() ? existingEnv.toObject() : QJsonObject();

    if (usesVelqor(profile))
        applyAPIKeyProfile(env, profile, apiKey);
    else
        applyAccountProfile(env);
    settings.remove(apiKeyHelperKey);
    settings.insert(envKey, env);

    if (recorder)
        recorder(FileChange{path, fileExists, result.timestampedBackupURL.value_or(QString())});

    // A new file may hold an API key, so only its owner may read it. An existing file
    // keeps its mode, and a symbolic link keeps pointing where it pointed.
    FileUtil::writeAtomically(path, QJsonDocument(settings).toJson(QJsonDocument::Indented),
                              FileUtil::NewFileMode::OwnerOnly);
    return result;
}

ClaudeSettingsPatchResult ClaudeSettingsPatcher::createBackup() {
    const BackupResult backup = FileBackupService::createBackups(
        settingsPath(), AppPaths::claudeLatestBackupURL(), AppPaths::claudeBackupsDirectory(),
        QStringLiteral("settings-"), QStringLiteral(".json"));
    return ClaudeSettingsPatchResult{backup.latestBackupURL, backup.timestampedBackupURL};
}
