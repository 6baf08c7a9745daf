// The commands that read the profiles or switch to one: list, status, switch and env.

#include "cli/Command.h"
#include "cli/PolicyCheck.h"

#include "app/SwitchFlow.h"
#include "app/SwitchJournal.h"
#include "claude/ClaudeSettingsPatcher.h"
#include "codex/AuthPatcher.h"
#include "codex/ChatSyncService.h"
#include "codex/ConfigPatcher.h"
#include "desktop/LaunchEnvironment.h"
#include "profiles/AppPaths.h"
#include "profiles/ProfilesStore.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using namespace ExitStatus;

// How chats that do not follow the active profile are mended: by restoring what an
// interrupted switch left, or else by switching to the profile again.
QString chatsRemedy(const Profile& profile) {
    if (QFileInfo::exists(SwitchJournal::path()))
        return QStringLiteral("run `tavrin-cli recover` first");
    return QStringLiteral("switch Codex to %1 again to move them (`tavrin-cli switch codex %2`)")
        .arg(profile.name, profile.id);
}

std::optional<Profile> activeProfile(const ProfilesStore& store, TargetIDE target) {
    return target == TargetIDE::codex ? store.activeProfile() : store.activeClaudeProfile();
}

// One line of `list`: the profile, marked when active, and whether its key is stored.
void printProfile(QTextStream& out, const Profile& profile, bool isActive, bool hasKey) {
    out << (isActive ? QStringLiteral("* ") : QStringLiteral("  ")) << profile.id.leftJustified(14)
        << QLatin1Char(' ') << profile.name
        << (profile.isVelqorAccount()
                ? (hasKey ? QStringLiteral("  (API key)") : QStringLiteral("  (no API key)"))
                : QString())
        << Qt::endl;
}

// What in the assistant's files differs from what its active profile asks.
QStringList differences(ProfilesStore& store, TargetIDE target, const Profile& profile) {
    try {
        const std::optional<QString> key = store.apiKey(profile.id);
        if (target == TargetIDE::claude)
            return ClaudeSettingsPatcher().differences(profile, key);
        return ConfigPatcher().differences(profile, AppPaths::configURL()) +
               AuthPatcher().differences(profile, key) +
               ChatSyncService().differences(profile, chatsRemedy(profile));
    } catch (const TavrinError& error) {
        return {error.localizedDescription()};
    }
}

} // namespace

int Commands::list(CommandContext& context) {
    const bool json = context.isSet(QStringLiteral("json"));
    const bool ids = context.isSet(QStringLiteral("ids"));
    QList<TargetIDE> targets(std::begin(TargetIDEs::allCases), std::end(TargetIDEs::allCases));
    if (!context.words.isEmpty())
        targets = {CommandContext::target(context.words.first())};
    ProfilesStore& store = context.store();

    QJsonObject document;
    QStringList printedIDs; // each id once, whichever targets it serves
    for (TargetIDE target : targets) {
        const QString active = store.activeProfileID(target);
        QJsonArray entries;
        if (!json && !ids && targets.size() > 1)
            context.out << TargetIDEs::rawValue(target) << QStringLiteral(":\n");
        for (const Profile& profile : store.profiles()) {
            if (!profile.isAvailable(target))
                continue;
            const bool isActive = profile.id == active;
            const bool hasKey = store.hasAPIKey(profile.id);
            if (ids && !printedIDs.contains(profile.id))
                context.out << profile.id << Qt::endl;
            else if (!json && !ids)
                printProfile(context.out, profile, isActive, hasKey);
            printedIDs << profile.id;
            entries.append(QJsonObject{{QStringLiteral("id"), profile.id},
                                       {QStringLiteral("name"), profile.name},
                                       {QStringLiteral("kind"), profile.isVelqorAccount()
                                                                    ? QStringLiteral("api-key")
                                                                    : QStringLiteral("account")},
                                       {QStringLiteral("active"), isActive},
                                       {QStringLiteral("has_key"), hasKey}});
        }
        document.insert(TargetIDEs::program(target), entries);
    }
    if (json)
        context.out << QJsonDocument(document).toJson(QJsonDocument::Indented);
    return success;
}

int Commands::status(CommandContext& context) {
    const bool json = context.isSet(QStringLiteral("json"));
    ProfilesStore& store = context.store();
    QJsonObject document;
    for (TargetIDE target : TargetIDEs::allCases) {
        const std::optional<Profile> profile = activeProfile(store, target);
        const QStringList found = profile ? differences(store, target, *profile) : QStringList();
        const QString id = store.activeProfileID(target);
        if (json) {
            document.insert(
                TargetIDEs::program(target),
                QJsonObject{{QStringLiteral("active"), id},
                            {QStringLiteral("name"), profile ? profile->name : QString()},
                            {QStringLiteral("matches"), found.isEmpty()},
                            {QStringLiteral("differences"), QJsonArray::fromStringList(found)}});
            continue;
        }
        context.out << TargetIDEs::rawValue(target) << QStringLiteral(": ")
                    << (profile ? QStringLiteral("%1 (%2)").arg(profile->name, id) : id);
        if (found.isEmpty()) {
            context.out << QStringLiteral(", the files match.\n");
            continue;
        }
        context.out << QStringLiteral(", but the files differ:\n");
        for (const QString& difference : found)
            context.out << QStringLiteral("  ") << difference << Qt::endl;
    }
    if (json)
        context.out << QJsonDocument(document).toJson(QJsonDocument::Indented);
    return success;
}

int Commands::switchProfile(CommandContext& context) {
    const TargetIDE target = CommandContext::target(context.words[0]);
    ProfilesStore& store = context.store();
    const Profile profile = context.profile(context.words[1], target);
    // The policy lock of the window holds here too. A policy that cannot be loaded locks
    // nothing, as in the window at start.
    QString problem;
    switch (PolicyCheck::updateRequired(problem)) {
    case PolicyCheck::Verdict::updateRequired:
        context.err << QStringLiteral("Update required") << Qt::endl;
        return failure;
    case PolicyCheck::Verdict::unknown:
        context.err << QStringLiteral("Cloud check failed: ") << problem << Qt::endl;
        break;
    case PolicyCheck::Verdict::allowed:
        break;
    }
    SwitchFlow flow(store, {},
                    [&context](const QString& line) { context.err << line << Qt::endl; });
    SwitchOptions options;
    options.restart = !context.isSet(QStringLiteral("no-restart"));
    context.out << flow.switchTo(target, profile.id, options) << Qt::endl;
    return success;
}

int Commands::env(CommandContext& context) {
    const TargetIDE target = CommandContext::target(context.words[0]);
    using LaunchEnvironments::Shell;
    Shell shell = Shell::sh;
    if (const std::optional<QString> shellName = context.value(QStringLiteral("shell"))) {
        const auto named = LaunchEnvironments::shellNamed(*shellName);
        if (!named)
            throw UsageError(
                QStringLiteral("Unknown shell '%1': use sh, bash, zsh or fish.").arg(*shellName));
        shell = *named;
    } else {
        // The user's shell, when it is one we speak.
        const QString login = QFileInfo(qEnvironmentVariable("SHELL")).fileName();
        shell = LaunchEnvironments::shellNamed(login).value_or(Shell::sh);
    }
    ProfilesStore& store = context.store();
    const std::optional<Profile> profile = context.words.size() > 1
                                               ? context.profile(context.words[1], target)
                                               : activeProfile(store, target);
    if (!profile)
        throw TavrinError(
            QStringLiteral("%1 has no active profile.").arg(TargetIDEs::rawValue(target)));
    const std::optional<QString> key = store.apiKey(profile->id);
    SwitchFlow::checkProfile(target, *profile, key);
    const LaunchEnvironment variables = target == TargetIDE::codex
                                            ? LaunchEnvironments::codex(profile)
                                            : LaunchEnvironments::claude(profile, key);
    context.out << LaunchEnvironments::shellScript(variables, shell);
    return success;
}
