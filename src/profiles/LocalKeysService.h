#pragma once

#include "profiles/KeyStore.h"

#include <QMap>
#include <QString>

#include <functional>
#include <optional>

// API keys by profile id in ~/.codex/tavrin/keys.json, kept out of the profiles file.
// A missing file holds no keys. A file that cannot be read (not valid JSON, unreadable,
// a symbolic link, a named pipe) is named in the error of every read that needs a key;
// only hasAPIKey(), for display, takes it for one holding none.
class LocalKeysService : public KeyStore {
public:
    using KeyMap = QMap<QString, QString>;

    // Throws FileError "~/.codex/tavrin/keys.json cannot be read: <why>."
    std::optional<QString> apiKey(const QString& profileID) const override;
    bool hasAPIKey(const QString& profileID) const override;
    // Each change takes the files lock, reads the file again and writes it whole, so
    // changes made at the same time by other Tavrin programs are all kept.
    void saveAPIKey(const QString& key, const QString& profileID) override;
    void deleteAPIKey(const QString& profileID) override;

    // The whole stored map, empty entries too; throws as apiKey() does.
    static KeyMap readKeys();
    // One change of the map, made as the changes above are.
    void change(const std::function<void(KeyMap&)>& edit);

private:
    class Unreadable;
    // Before a change replaces a file we could not read, keep it under another name.
    static void setAsideUnreadableFile();
    static void writeKeys(const KeyMap& keys);
};
