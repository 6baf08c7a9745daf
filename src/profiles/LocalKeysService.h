#pragma once

#include <QMap>
#include <QString>

#include <functional>
#include <optional>

// API keys by profile id in ~/.codex/tavrin/keys.json, kept out of the profiles file.
// A missing file holds no keys. A file that cannot be read (not valid JSON, unreadable,
// a symbolic link, a named pipe) is named in the error of every read that needs a key;
// only hasAPIKey(), for display, takes it for one holding none.
class LocalKeysService {
public:
    LocalKeysService() = default;
    virtual ~LocalKeysService() = default;

    // Throws FileError "~/.codex/tavrin/keys.json cannot be read: <why>."
    virtual std::optional<QString> apiKey(const QString& profileID) const;
    virtual bool hasAPIKey(const QString& profileID) const;
    // Each change takes the files lock, reads the file again and writes it whole, so
    // changes made at the same time by other Tavrin programs are all kept.
    virtual void saveAPIKey(const QString& key, const QString& profileID);
    virtual void deleteAPIKey(const QString& profileID);

private:
    using KeyMap = QMap<QString, QString>;
    class Unreadable;
    // The stored map; throws Unreadable.
    static KeyMap readKeys();
    // Before a change replaces a file we could not read, keep it under another name.
    static void setAsideUnreadableFile();
    static void writeKeys(const KeyMap& keys);
    void change(const std::function<void(KeyMap&)>& edit);
};
