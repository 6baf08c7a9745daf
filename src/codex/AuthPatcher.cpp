#include "codex/AuthPatcher.h"

#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "profiles/FileUtil.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>

void AuthPatcher::apply(const Profile& profile, const std::optional<QString>& apiKey) {
    const QString path = AppPaths::authURL();
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

    const bool usesAPIKey =
        profile.preferredAuthMethod == QLatin1String("apikey") && apiKey && !apiKey->isEmpty();
    object.insert(QStringLiteral("auth_mode"),
                  usesAPIKey ? QStringLiteral("apikey") : QStringLiteral("chatgpt"));
    object.insert(QStringLiteral("OPENAI_API_KEY"),
                  usesAPIKey ? QJsonValue(*apiKey) : QJsonValue(QJsonValue::Null));

    FileUtil::makePath(AppPaths::codexDirectory());
    FileUtil::writeAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Indented),
                              FileUtil::NewFileMode::OwnerOnly);
}
