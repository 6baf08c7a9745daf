// keys.json as LocalKeysService reads and changes it, in a temporary home. Checked for
// every input written as the key file:
// - reading fails, naming the file, exactly when it is not a JSON object of strings, and
//   hasAPIKey agrees with apiKey;
// - a file that holds a JSON object of strings gives each non-empty key by its profile id;
// - saving a key then reads it back, keeps every key the file held and leaves the file
//   readable by its owner only;
// - a file that could not be read is never lost: it is set aside byte for byte.

#include "FuzzCheck.h"

#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "profiles/LocalKeysService.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::quietLogging();
    // Removed when the fuzzer ends normally (left behind after a finding, to look at).
    static QTemporaryDir home;
    Fuzz::require(home.isValid(), "a temporary home can be made");
    qputenv("HOME", QFile::encodeName(home.path()));
    AppPaths::setHomeDirectoryOverride(home.path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input = Fuzz::bytes(data, size);
    QDir tavrin(AppPaths::tavrinDirectory());
    tavrin.removeRecursively();
    QDir().mkpath(tavrin.path());
    {
        QFile file(AppPaths::keysURL());
        Fuzz::require(file.open(QIODevice::WriteOnly) && file.write(input) == input.size(),
                      "the key file can be written");
    }

    // What the file holds, read independently.
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(input, &error);
    bool readable = error.error == QJsonParseError::NoError && json.isObject();
    const QJsonObject object = json.object();
    for (auto it = object.begin(); readable && it != object.end(); ++it)
        readable = it->isString();

    LocalKeysService keys;
    const QString newID = QStringLiteral("fuzz-new-profile");
    const auto read = [&keys](const QString& id, bool& named) -> std::optional<QString> {
        named = false;
        try {
            return keys.apiKey(id);
        } catch (const FileError& error) {
            named = error.localizedDescription().startsWith(
                QStringLiteral("~/.codex/tavrin/keys.json cannot be read: "));
            Fuzz::require(named, "an unreadable file is named in the error");
            return std::nullopt;
        }
    };
    bool named = false;
    read(newID, named);
    Fuzz::require(named == !readable, "only a file that cannot be read is named in an error");
    for (auto it = object.begin(); it != object.end(); ++it) {
        const std::optional<QString> key = read(it.key(), named);
        Fuzz::require(keys.hasAPIKey(it.key()) == key.has_value(), "hasAPIKey agrees with apiKey");
        if (readable && it.key() != newID)
            Fuzz::require(
                key == (it->toString().isEmpty() ? std::nullopt : std::optional(it->toString())),
                "a readable file gives each key by its profile id", it.key());
    }

    keys.saveAPIKey(QStringLiteral("sk-fuzz"), newID);
    Fuzz::require(keys.apiKey(newID) == QStringLiteral("sk-fuzz"), "a saved key reads back");
    Fuzz::require(QFile::permissions(AppPaths::keysURL()) ==
                      (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
                  "the key file is readable by its owner only");
    const QStringList aside =
        tavrin.entryList({QStringLiteral("keys.json.unreadable-*")}, QDir::Files);
    if (readable) {
        Fuzz::require(aside.isEmpty(), "a readable file is not set aside");
        for (auto it = object.begin(); it != object.end(); ++it)
            if (it.key() != newID && !it->toString().isEmpty())
                Fuzz::require(keys.apiKey(it.key()) == it->toString(),
                              "saving a key keeps every other key", it.key());
    } else {
        Fuzz::require(aside.size() == 1 && readFile(tavrin.filePath(aside.first())) == input,
                      "an unreadable file is set aside byte for byte");
    }
    return 0;
}
