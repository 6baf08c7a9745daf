#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// The two assistants a profile can be switched to.
enum class TargetIDE { codex, claude };

namespace TargetIDEs {
inline constexpr TargetIDE allCases[] = {TargetIDE::codex, TargetIDE::claude};
QString rawValue(TargetIDE target); // "Codex", "Claude Code"
QString shortTitle(TargetIDE target);
QString systemImage(TargetIDE target);
std::optional<TargetIDE> fromRawValue(const QString& raw);
// The command-line program of a target's assistant, "codex" or "claude": also the target's
// name on Tavrin's command line and in its JSON output.
QString program(TargetIDE target);
std::optional<TargetIDE> fromProgram(const QString& name);
} // namespace TargetIDEs

// One account profile: everything a switch needs except the API key.
struct Profile {
    static const QString chatGPTAccountID;    // "chatgpt"
    static const QString claudeCodeAccountID; // "claude-code"
    // The Velqor key service: its Claude-compatible origin (HTTPS, no path, no trailing
    // slash) and its OpenAI-compatible base, for Codex.
    static const QString velqorBaseURL;
    static const QString velqorOpenAIBaseURL;

    QString id;
    QString name;
    QString preferredAuthMethod;
    std::optional<QString> modelProvider;
    QString model;
    QString modelReasoningEffort;
    bool disableResponseStorage = true;
    bool restartCodex = true;
    std::optional<QString> limitsEndpoint;
    std::optional<QString> proxyURL;
    // Members of the stored record this version does not know, written back as they were.
    QJsonObject unknownKeys;

    Profile() = default;
    Profile(QString id, QString name, QString preferredAuthMethod,
            std::optional<QString> modelProvider, QString model, QString modelReasoningEffort,
            bool disableResponseStorage, bool restartCodex,
            std::optional<QString> limitsEndpoint = std::nullopt,
            std::optional<QString> proxyURL = std::nullopt);

    static Profile chatGPTAccount();
    static Profile claudeCodeAccount();
    // A Velqor API-key profile with the given number: the built-ins, "Add Velqor" and a new
    // profile of the settings (numbered by the time) all start from it.
    static Profile velqorAccount(qint64 number);
    // The number "Add Velqor" gives next: one past the largest plain count (up to six
    // digits; time stamps do not count) among the "velqor-" ids of `profiles`, and never
    // the number of an existing id.
    static qint64 nextVelqorNumber(const QList<Profile>& profiles);

    bool isChatGPTAccount() const;
    bool isClaudeCodeAccount() const;
    bool isVelqorAccount() const;
    bool isAvailable(TargetIDE target) const;

    bool operator==(const Profile&) const = default;

    QJsonObject toJson() const;
    // Throws JsonError naming the key and `where` when a required key is missing or mistyped.
    static Profile fromJson(const QJsonObject& object, const QString& where);
};

// The root of profiles.json.
struct ProfilesDocument {
    QString activeProfile;
    std::optional<QString> activeClaudeProfile;
    QList<Profile> profiles;
    // Top-level members this version does not know, written back as they were.
    QJsonObject unknownKeys = {};

    bool operator==(const ProfilesDocument&) const = default;

    static ProfilesDocument defaultDocument();

    QJsonObject toJson() const;
    // Pretty-printed JSON with keys in ascending order.
    QByteArray encoded() const;
    // Throws JsonError with a readable reason for malformed JSON, missing keys or wrong types.
    static ProfilesDocument decode(const QByteArray& data);
};
