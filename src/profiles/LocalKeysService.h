#pragma once

#include <QMap>

#include <QString>
#include <functional>

#include <optional>

// API keys by profile id in ~/.codex/tavrin/keys.json, kept out of the profiles file.
// Reads never fail: a missing or undecodable file counts as holding no keys.
class LocalKeysService {
public:
    LocalKeysService() = default;
    virtual ~LocalKeysService() = default;

    virtual std::optional<QString> apiKey(const QString& profileID) const;
    virtual bool hasAPIKey(const QString& profileID) const;
    virtual void saveAPIKey(const QString& key, const QString& profileID);
    virtual void deleteAPIKey(const QString& profileID);

private:
    using KeyMap = QMap<QString, QString>;
    // The stored map; `decodable` tells whether an existing file could be read as one.
    static KeyMap readKeys(bool* decodable = nullptr);
    // Before a change replaces a file we could not read, keep it under another name.
    static void setAsideUnreadableFile();
    static void writeKeys(const KeyMap& keys);
    void change(const std::function<void(KeyMap&)>& edit);
};
