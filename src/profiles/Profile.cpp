#include "profiles/Profile.h"

#include "profiles/Errors.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSet>

namespace {

const QString velqorPrefix = QStringLiteral("velqor-");

// A plain count: one to six decimal digits, no sign or spaces. Longer numbers, such as
// the time stamps of profiles made in the settings, are not counts.
std::optional<qint64> plainCount(const QString& text) {
    if (text.isEmpty() || text.size() > 6)
        return std::nullopt;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    return text.toLongLong();
}

} // namespace

#include <initializer_list>

namespace TargetIDEs {

QString rawValue(TargetIDE target) {
    return target == TargetIDE::codex ? QStringLiteral("Codex") : QStringLiteral("Claude Code");
}

QString shortTitle(TargetIDE target) {
    return target == TargetIDE::codex ? QStringLiteral("Codex") : QStringLiteral("Claude");
}

QString systemImage(TargetIDE target) {
    return target == TargetIDE::codex ? QStringLiteral("sparkles")
                                      : QStringLiteral("terminal.fill");
}

namespace {

// The target whose text (its raw value, its program) is `wanted`.
std::optional<TargetIDE> targetWhere(QString (*text)(TargetIDE), const QString& wanted) {
    for (TargetIDE target : allCases)
        if (text(target) == wanted)
            return target;
    return std::nullopt;
}

} // namespace

std::optional<TargetIDE> fromRawValue(const QString& raw) {
    return targetWhere(rawValue, raw);
}

QString program(TargetIDE target) {
    return target == TargetIDE::codex ? QStringLiteral("codex") : QStringLiteral("claude");
}

std::optional<TargetIDE> fromProgram(const QString& name) {
    return targetWhere(program, name);
}

} // namespace TargetIDEs

const QString Profile::chatGPTAccountID = QStringLiteral("chatgpt");
const QString Profile::claudeCodeAccountID = QStringLiteral("claude-code");
const QString Profile::velqorBaseURL = QStringLiteral("https://api.velqor.com");
const QString Profile::velqorOpenAIBaseURL = QStringLiteral("https://api.velqor.com/v1");

Profile::Profile(QString id_, QString name_, QString preferredAuthMethod_,
                 std::optional<QString> modelProvider_, QString model_,
                 QString modelReasoningEffort_, bool disableResponseStorage_, bool restartCodex_,
                 std::optional<QString> limitsEndpoint_, std::optional<QString> proxyURL_)
    : id(std::move(id_)), name(std::move(name_)),
      preferredAuthMethod(std::move(preferredAuthMethod_)),
      modelProvider(std::move(modelProvider_)), model(std::move(model_)),
      modelReasoningEffort(std::move(modelReasoningEffort_)),
      disableResponseStorage(disableResponseStorage_), restartCodex(restartCodex_),
      limitsEndpoint(std::move(limitsEndpoint_)), proxyURL(std::move(proxyURL_)) {}

Profile Profile::chatGPTAccount() {
    return Profile(chatGPTAccountID, QStringLiteral("ChatGPT Account"), QStringLiteral("chatgpt"),
                   QString(), QStringLiteral("gpt-5.5"), QStringLiteral("xhigh"), true, true);
}

Profile Profile::claudeCodeAccount() {
    return Profile(claudeCodeAccountID, QStringLiteral("Claude Account"), QStringLiteral("claude"),
                   QStringLiteral("claude"), QStringLiteral("claude-code"),
                   QStringLiteral("default"), true, true);
}

Profile Profile::velqorAccount(qint64 number) {
    const QString n = QString::number(number);
    return Profile(velqorPrefix + n, QStringLiteral("Velqor ") + n, QStringLiteral("apikey"),
                   QStringLiteral("velqor"), QStringLiteral("gpt-5.5"), QStringLiteral("xhigh"),
                   true, true);
}

qint64 Profile::nextVelqorNumber(const QList<Profile>& profiles) {
    qint64 largest = 0;
    QSet<QString> ids;
    for (const Profile& profile : profiles) {
        ids.insert(profile.id);
        if (!profile.id.startsWith(velqorPrefix))
            continue;
        QString rest = profile.id;
        rest.remove(velqorPrefix);
        if (const auto number = plainCount(rest))
            largest = std::max(largest, *number);
    }
    qint64 next = largest + 1;
    // A number past the counts may still be taken by an id that was not counted.
    while (ids.contains(velqorPrefix + QString::number(next)))
        ++next;
    return next;
}

bool Profile::isChatGPTAccount() const {
    return id == chatGPTAccountID || preferredAuthMethod == QLatin1String("chatgpt");
}

bool Profile::isClaudeCodeAccount() const {
    return id == claudeCodeAccountID || preferredAuthMethod == QLatin1String("claude") ||
           modelProvider == QStringLiteral("claude");
}

bool Profile::isVelqorAccount() const {
    return modelProvider == QStringLiteral("velqor") ||
           preferredAuthMethod == QLatin1String("apikey");
}

bool Profile::isAvailable(TargetIDE target) const {
    if (target == TargetIDE::codex)
        return isChatGPTAccount() || isVelqorAccount();
    return isClaudeCodeAccount() || isVelqorAccount();
}

namespace {

[[noreturn]] void keyError(const QString& where, const QString& key, const char* problem) {
    throw JsonError(QCoreApplication::translate(
                        "Profile", "The profiles file could not be read: \"%1\" %2 in %3.")
                        .arg(key, QCoreApplication::translate("Profile", problem), where));
}

QString requiredString(const QJsonObject& object, const QString& key, const QString& where) {
    const auto it = object.constFind(key);
    if (it == object.constEnd())
        keyError(where, key, QT_TRANSLATE_NOOP("Profile", "is missing"));
    if (!it->isString())
        keyError(where, key, QT_TRANSLATE_NOOP("Profile", "is not a string"));
    return it->toString();
}

bool requiredBool(const QJsonObject& object, const QString& key, const QString& where) {
    const auto it = object.constFind(key);
    if (it == object.constEnd())
        keyError(where, key, QT_TRANSLATE_NOOP("Profile", "is missing"));
    if (!it->isBool())
        keyError(where, key, QT_TRANSLATE_NOOP("Profile", "is not true or false"));
    return it->toBool();
}

std::optional<QString> optionalString(const QJsonObject& object, const QString& key,
                                      const QString& where) {
    const auto it = object.constFind(key);
    if (it == object.constEnd() || it->isNull())
        return std::nullopt;
    if (!it->isString())
        keyError(where, key, QT_TRANSLATE_NOOP("Profile", "is not a string"));
    return it->toString();
}

void putOptional(QJsonObject& object, const char* key, const std::optional<QString>& value) {
    if (value)
        object.insert(QLatin1String(key), *value);
}

// The members of `object` whose names are not `known`.
QJsonObject unknownMembers(const QJsonObject& object, std::initializer_list<const char*> known) {
    QJsonObject unknown = object;
    for (const char* key : known)
        unknown.remove(QLatin1String(key));
    return unknown;
}

// `object` with the unknown members put back under it: a known member always wins.
QJsonObject withUnknown(QJsonObject object, const QJsonObject& unknown) {
    for (auto it = unknown.begin(); it != unknown.end(); ++it)
        if (!object.contains(it.key()))
            object.insert(it.key(), *it);
    return object;
}

} // namespace

QJsonObject Profile::toJson() const {
    QJsonObject object{
        {QStringLiteral("id"), id},
        {QStringLiteral("name"), name},
        {QStringLiteral("preferred_auth_method"), preferredAuthMethod},
        {QStringLiteral("model"), model},
        {QStringLiteral("model_reasoning_effort"), modelReasoningEffort},
        {QStringLiteral("disable_response_storage"), disableResponseStorage},
        {QStringLiteral("restart_codex"), restartCodex},
    };
    putOptional(object, "model_provider", modelProvider);
    putOptional(object, "limits_endpoint", limitsEndpoint);
    putOptional(object, "proxy_url", proxyURL);
    return withUnknown(object, unknownKeys);
}

Profile Profile::fromJson(const QJsonObject& o, const QString& where) {
    Profile p;
    p.id = requiredString(o, QStringLiteral("id"), where);
    p.name = requiredString(o, QStringLiteral("name"), where);
    p.preferredAuthMethod = requiredString(o, QStringLiteral("preferred_auth_method"), where);
    p.modelProvider = optionalString(o, QStringLiteral("model_provider"), where);
    p.model = requiredString(o, QStringLiteral("model"), where);
    p.modelReasoningEffort = requiredString(o, QStringLiteral("model_reasoning_effort"), where);
    p.disableResponseStorage = requiredBool(o, QStringLiteral("disable_response_storage"), where);
    p.restartCodex = requiredBool(o, QStringLiteral("restart_codex"), where);
    p.limitsEndpoint = optionalString(o, QStringLiteral("limits_endpoint"), where);
    p.proxyURL = optionalString(o, QStringLiteral("proxy_url"), where);
    p.unknownKeys =
        unknownMembers(o, {"id", "name", "preferred_auth_method", "model_provider", "model",
                           "model_reasoning_effort", "disable_response_storage", "restart_codex",
                           "limits_endpoint", "proxy_url"});
    return p;
}

ProfilesDocument ProfilesDocument::defaultDocument() {
    return ProfilesDocument{
        QStringLiteral("chatgpt"),
        QStringLiteral("claude-code"),
        {Profile::chatGPTAccount(), Profile::claudeCodeAccount(), Profile::velqorAccount(1),
         Profile::velqorAccount(2)},
    };
}

QJsonObject ProfilesDocument::toJson() const {
    QJsonArray list;
    for (const Profile& profile : profiles)
        list.append(profile.toJson());
    QJsonObject object{{QStringLiteral("active_profile"), activeProfile},
                       {QStringLiteral("profiles"), list}};
    putOptional(object, "active_claude_profile", activeClaudeProfile);
    return withUnknown(object, unknownKeys);
}

QByteArray ProfilesDocument::encoded() const {
    return QJsonDocument(toJson()).toJson(QJsonDocument::Indented);
}

ProfilesDocument ProfilesDocument::decode(const QByteArray& data) {
    QJsonParseError parseError{};
    const QJsonDocument json = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw JsonError(QCoreApplication::translate(
                            "Profile", "The profiles file is not valid JSON: %1 at byte %2.")
                            .arg(parseError.errorString())
                            .arg(parseError.offset));
    if (!json.isObject())
        throw JsonError(
            QCoreApplication::translate("Profile", "The profiles file is not a JSON object."));
    const QJsonObject root = json.object();
    const QString where = QCoreApplication::translate("Profile", "the document");

    ProfilesDocument document;
    document.activeProfile = requiredString(root, QStringLiteral("active_profile"), where);
    document.activeClaudeProfile =
        optionalString(root, QStringLiteral("active_claude_profile"), where);
    if (!document.activeClaudeProfile)
        document.activeClaudeProfile = document.activeProfile;

    const auto list = root.constFind(QStringLiteral("profiles"));
    if (list == root.constEnd())
        keyError(where, QStringLiteral("profiles"), QT_TRANSLATE_NOOP("Profile", "is missing"));
    if (!list->isArray())
        keyError(where, QStringLiteral("profiles"), QT_TRANSLATE_NOOP("Profile", "is not a list"));
    document.unknownKeys =
        unknownMembers(root, {"active_profile", "active_claude_profile", "profiles"});
    const QJsonArray array = list->toArray();
    document.profiles.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString at = QCoreApplication::translate("Profile", "profile %1").arg(i + 1);
        if (!array.at(i).isObject())
            throw JsonError(
                QCoreApplication::translate(
                    "Profile", "The profiles file could not be read: %1 is not an object.")
                    .arg(at));
        document.profiles.append(Profile::fromJson(array.at(i).toObject(), at));
    }
    return document;
}
