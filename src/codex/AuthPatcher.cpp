#include "codex/AuthPatcher.h"

#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "profiles/ExactJson.h"
#include "profiles/FileUtil.h"

#include <QCoreApplication>

namespace {

using ExactJson::Value;

const QString authModeKey = QStringLiteral("auth_mode");
const QString apiKeyKey = QStringLiteral("OPENAI_API_KEY");

bool holdsLoginTokens(const Value& auth) {
    const Value* tokens = auth.find(QStringLiteral("tokens"));
    return tokens && tokens->isObject();
}

// The object in auth.json; an absent file or a non-object top level gives an empty one.
// Every member Tavrin does not set comes back exactly as read, numbers by their text.
Value readAuth(const QString& path, bool exists) {
    if (!exists)
        return Value::object();
    const QByteArray data = FileUtil::readAll(path);
    Value document;
    try {
        document = ExactJson::parse(data);
    } catch (const ExactJson::SyntaxError& error) {
        // A file we cannot parse holds someone's credentials: stop before overwriting it.
        throw JsonError(QCoreApplication::translate("AuthPatcher",
                                                    "Could not read %1: it is not valid JSON (%2).")
                            .arg(path, error.localizedDescription()));
    }
    // Any other top-level value, an array for example, is replaced by an object.
    return document.isObject() ? document : Value::object();
}

Value readAuth() {
    const QString path = AppPaths::authURL();
    return readAuth(path, FileUtil::fileExists(path));
}

bool usesAPIKey(const Profile& profile, const std::optional<QString>& apiKey) {
    return profile.preferredAuthMethod == QLatin1String("apikey") && apiKey && !apiKey->isEmpty();
}

} // namespace

QStringList AuthPatcher::differences(const Profile& profile, const std::optional<QString>& apiKey) {
    const Value auth = readAuth();
    const bool usesKey = usesAPIKey(profile, apiKey);
    QStringList result;

    const QString mode = usesKey ? QStringLiteral("apikey") : QStringLiteral("chatgpt");
    const Value* foundMode = auth.find(authModeKey);
    if (!foundMode || !foundMode->isString())
        result << QStringLiteral("auth.json: auth_mode is not \"%1\"").arg(mode);
    else if (foundMode->toString() != mode)
        result << QStringLiteral("auth.json: auth_mode is \"%1\", not \"%2\"")
                      .arg(foundMode->toString(), mode);

    // Never the key itself: only whether the right one is there.
    const Value* foundKey = auth.find(apiKeyKey);
    const bool keySet = foundKey && !foundKey->isNull();
    if (usesKey && !keySet)
        result << QStringLiteral("auth.json: OPENAI_API_KEY is not set");
    else if (usesKey && !(foundKey->isString() && foundKey->toString() == *apiKey))
        result << QStringLiteral("auth.json: OPENAI_API_KEY holds another key");
    else if (!usesKey && keySet)
        result << QStringLiteral("auth.json: OPENAI_API_KEY is set");
    return result;
}

AuthChange AuthPatcher::prepare(const Profile& profile, const std::optional<QString>& apiKey) {
    AuthChange change;
    change.profile = profile;
    change.apiKey = apiKey;
    change.path = AppPaths::authURL();
    change.existed = FileUtil::fileExists(change.path);
    change.source = FileUtil::stampOf(change.path);
    Value auth = readAuth(change.path, change.existed);
    change.hasLoginTokens = holdsLoginTokens(auth);

    change.writesKey = usesAPIKey(profile, apiKey);
    auth.insert(authModeKey, Value::string(change.writesKey ? QStringLiteral("apikey")
                                                            : QStringLiteral("chatgpt")));
    auth.insert(apiKeyKey, change.writesKey ? Value::string(*apiKey) : Value());
    change.content = ExactJson::write(auth);
    return change;
}

void AuthPatcher::apply(const AuthChange& prepared, const ChangeRecorder& recorder) {
    const AuthChange change =
        replanned(prepared, [&] { return prepare(prepared.profile, prepared.apiKey); });
    FileUtil::makePath(AppPaths::codexDirectory());
    QString copy;
    if (change.existed)
        copy = FileUtil::keepToDatedFile(change.path, AppPaths::backupsDirectory(),
                                         QStringLiteral("auth-"), QStringLiteral(".json"),
                                         FileUtil::NewFileMode::OwnerOnly);
    recordChange(recorder, FileChange{change.path, change.existed, copy}, {copy});
    // A file that holds a key or login tokens ends for its owner only, whatever its mode
    // was; a new one is so in any case.
    FileUtil::writeAtomically(change.path, change.content,
                              change.writesKey || change.hasLoginTokens
                                  ? FileUtil::NewFileMode::Secret
                                  : FileUtil::NewFileMode::OwnerOnly);
}
