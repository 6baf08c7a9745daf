#include "codex/AuthPatcher.h"

#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "profiles/FileUtil.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

namespace {

// The object in auth.json; an absent file or a non-object top level gives an empty one.
QJsonObject readAuth(const QString& path) {
    QJsonObject object;
    if (FileUtil::exists(path)) {
        const QByteArray data = FileUtil::readAll(path);
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(data, &error);
        // A file we cannot parse holds someone's credentials: stop before overwriting it.
        if (error.error != QJsonParseError::NoError)
            throw JsonError(QStringLiteral("Could not read %1: it is not valid JSON (%2 at "
                                           "character %3).")
                                .arg(path, error.errorString(), QString::number(error.offset)));
        // Any other top-level value, an array for example, is replaced by an object.
        if (document.isObject())
            object = document.object();
    }
    return object;
}

bool usesAPIKey(const Profile& profile, const std::optional<QString>& apiKey) {
    return profile.preferredAuthMethod == QLatin1String("apikey") && apiKey && !apiKey->isEmpty();
}

} // namespace

void AuthPatcher::checkCanApply() {
    readAuth(AppPaths::authURL());
}

bool AuthPatcher::hasLoginTokens() {
    return readAuth(AppPaths::authURL()).value(QStringLiteral("tokens")).isObject();
}

QStringList AuthPatcher::differences(const Profile& profile, const std::optional<QString>& apiKey) {
    const QJsonObject object = readAuth(AppPaths::authURL());
    const QString mode =
        usesAPIKey(profile, apiKey) ? QStringLiteral("apikey") : QStringLiteral("chatgpt");
    const QString found = object.value(QStringLiteral("auth_mode")).toString();
    if (found == mode)
        return {};
    return {QStringLiteral("auth.json: auth_mode is \"%1\", not \"%2\"").arg(found, mode)};
}

AuthPatchResult AuthPatcher::apply(const Profile& profile, const std::optional<QString>& apiKey,
                                   const ChangeRecorder& recorder) {
    const QString path = AppPaths::authURL();
    const bool existed = FileUtil::exists(path);
    QJsonObject object = readAuth(path);

    const bool usesKey = usesAPIKey(profile, apiKey);
    object.insert(QStringLiteral("auth_mode"),
                  usesKey ? QStringLiteral("apikey") : QStringLiteral("chatgpt"));
    object.insert(QStringLiteral("OPENAI_API_KEY"),
                  usesKey ? QJsonValue(*apiKey) : QJsonValue(QJsonValue::Null));

    FileUtil::makePath(AppPaths::codexDirectory());
    AuthPatchResult result;
    if (recorder)
        recorder(FileChange{path, existed, QString()});
    FileUtil::writeAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Indented),
                              FileUtil::NewFileMode::OwnerOnly);
    return result;
}
