#include "app/SwitchFlow.h"

#include "app/BackupManager.h"
#include "app/SwitchJournal.h"
#include "app/SwitchLock.h"
#include "claude/ClaudeRestarter.h"
#include "claude/ClaudeSettingsPatcher.h"
#include "codex/AuthPatcher.h"
#include "codex/ChatSyncService.h"
#include "codex/CodexRestarter.h"
#include "codex/ConfigPatcher.h"
#include "profiles/AppPaths.h"
#include "profiles/AtomicFile.h"
#include "profiles/FileUtil.h"
#include "profiles/Logging.h"
#include "profiles/ProfilesStore.h"
#include "profiles/ProxyURLFormatter.h"

#include <QCoreApplication>
#include <QUrl>

namespace {

template <class T> std::shared_ptr<T> orDefault(std::shared_ptr<T> service) {
    return service ? std::move(service) : std::make_shared<T>();
}

// The parts as one line; a part followed by another ends with a full stop.
QString sentences(const QStringList& parts) {
    QStringList kept;
    for (const QString& part : parts) {
        if (part.trimmed().isEmpty())
            continue;
        if (!kept.isEmpty() && !kept.last().endsWith(QLatin1Char('.')))
            kept.last() += QLatin1Char('.');
        kept << part.trimmed();
    }
    return kept.join(QLatin1Char(' '));
}

} // namespace

SwitchServices SwitchServices::withDefaults(SwitchServices services) {
    services.configPatcher = orDefault(std::move(services.configPatcher));
    services.authPatcher = orDefault(std::move(services.authPatcher));
    services.codexRestarter = orDefault(std::move(services.codexRestarter));
    services.chatSyncService = orDefault(std::move(services.chatSyncService));
    services.claudeSettingsPatcher = orDefault(std::move(services.claudeSettingsPatcher));
    services.claudeRestarter = orDefault(std::move(services.claudeRestarter));
    return services;
}

SwitchFlow::SwitchFlow(ProfilesStore& store, SwitchServices services, Progress progress)
    : m_store(store), m_services(SwitchServices::withDefaults(std::move(services))),
      m_progress(std::move(progress)) {}

void SwitchFlow::progress(const QString& line) const {
    // One voice per step: the listener when there is one (tavrin-cli prints it), else the
    // logging category.
    if (m_progress)
        m_progress(line);
    else
        qCInfo(lcApp).noquote() << line;
}

void SwitchFlow::checkProfile(TargetIDE target, const Profile& profile,
                              const std::optional<QString>& apiKey) {
    if (profile.isVelqorAccount() && apiKey.value_or(QString()).trimmed().isEmpty())
        throw SwitchError(
            QCoreApplication::translate("SwitchFlow", "%1 has no API key. Add it in Profiles.")
                .arg(profile.name));
    const std::optional<QString> proxy = ProxyURLFormatter::normalized(profile.proxyURL);
    if (!proxy)
        return;
    if (const auto problem = ProxyURLFormatter::problem(*proxy))
        throw SwitchError(
            QCoreApplication::translate("SwitchFlow", "The proxy of %1 cannot be used: %2.")
                .arg(profile.name, *problem));
    if (target == TargetIDE::claude &&
        QUrl(*proxy).scheme().toLower().startsWith(QLatin1String("socks")))
        throw SwitchError(QCoreApplication::translate(
            "SwitchFlow",
            "Claude Code cannot use a SOCKS5 proxy; use an HTTP proxy for this profile."));
}

QString SwitchFlow::apply(TargetIDE target, const Profile& profile, SwitchOptions options) {
    return target == TargetIDE::claude ? applyClaude(profile, options)
                                       : applyCodex(profile, options);
}

QString SwitchFlow::switchTo(TargetIDE target, const QString& profileID, SwitchOptions options) {
    const std::optional<Profile> profile = availableProfile(m_store, target, profileID);
    if (!profile)
        throw SwitchError(QCoreApplication::translate("SwitchFlow", "Select a profile first"));
    return apply(target, *profile, options);
}

std::optional<Profile> SwitchFlow::availableProfile(const ProfilesStore& store, TargetIDE target,
                                                    const QString& profileID) {
    const std::optional<Profile> profile = store.profile(profileID);
    if (profile && profile->isAvailable(target))
        return profile;
    return std::nullopt;
}

QString SwitchFlow::applyCodex(const Profile& profile, SwitchOptions options) {
    const bool restart = profile.restartCodex && options.restart;
    const SwitchLock lock;
    const QString tidied = AtomicFile::leftoversNote(AtomicFile::removeLeftovers());

    // 1. Everything that can be checked before the first change: a switch that fails here
    //    changes nothing and quits nothing.
    const std::optional<QString> key = checkBeforeChanges(TargetIDE::codex, profile);
    const ConfigChange config = m_services.configPatcher->prepare(profile, AppPaths::configURL());
    const AuthChange auth = m_services.authPatcher->prepare(profile, key);
    if (restart)
        m_services.codexRestarter->checkReady();
    const bool loggedIn = auth.writesKey || auth.hasLoginTokens;

    // 2. Make way: quit Codex and stop its background server, each said as it happens.
    //    Nothing has changed yet if this fails, so Codex is not reopened.
    QStringList notes =
        m_services.codexRestarter->quitCodex([this](const QString& line) { progress(line); });

    // 3. Patch, move the chats, save: each change is journaled before it is made, and all
    //    of them are undone when a later step fails.
    const QString activeBefore = m_store.activeProfileID(TargetIDE::codex);
    SwitchJournal journal(TargetIDE::codex, profile, activeBefore);
    QString chats;
    try {
        m_services.configPatcher->apply(config, journal.recorder());
        progress(QCoreApplication::translate("SwitchFlow", "Updated config.toml."));
        m_services.authPatcher->apply(auth, journal.recorder());
        progress(QCoreApplication::translate("SwitchFlow", "Updated auth.json."));
        chats = moveChats(profile, journal);
        progress(chats);
        m_store.saveActiveProfileID(profile.id);
    } catch (const std::exception&) {
        undoAndThrow(journal, TargetIDE::codex, activeBefore, restart);
    }
    journal.finish();
    const QString pruned = BackupManager::afterSwitch(journal.state(), m_store);

    // 4. Start Codex again with the profile's proxy.
    if (restart) {
        progress(QCoreApplication::translate("SwitchFlow", "Starting Codex."));
        notes += startCodex(profile);
    }

    QStringList line{
        QCoreApplication::translate("SwitchFlow", "Codex switched to %1.").arg(profile.name), chats,
        tidied, pruned};
    line += notes;
    if (!loggedIn)
        line << QCoreApplication::translate("SwitchFlow",
                                            "Codex is not logged in: run `codex login`.");
    return sentences(line);
}

QString SwitchFlow::applyClaude(const Profile& profile, SwitchOptions options) {
    const bool restart = profile.restartCodex && options.restart;
    const SwitchLock lock;
    const QString tidied = AtomicFile::leftoversNote(AtomicFile::removeLeftovers());

    // 1. The checks: failing one changes nothing.
    const std::optional<QString> key = checkBeforeChanges(TargetIDE::claude, profile);
    const SettingsChange settings = m_services.claudeSettingsPatcher->prepare(profile, key);
    if (restart)
        m_services.claudeRestarter->checkReady();

    const bool usesVelqor = profile.isVelqorAccount();
    const std::optional<bool> loggedIn =
        usesVelqor ? std::nullopt : m_services.claudeSettingsPatcher->hasAccountLogin();

    // 2. Patch settings.json and save the active profile, undone together on failure.
    const QString activeBefore = m_store.activeProfileID(TargetIDE::claude);
    SwitchJournal journal(TargetIDE::claude, profile, activeBefore);
    try {
        m_services.claudeSettingsPatcher->apply(settings, journal.recorder());
        progress(QCoreApplication::translate("SwitchFlow", "Updated settings.json."));
        m_store.saveActiveClaudeProfileID(profile.id);
    } catch (const std::exception&) {
        undoAndThrow(journal, TargetIDE::claude, activeBefore, restart);
    }
    journal.finish();
    const QString pruned = BackupManager::afterSwitch(journal.state(), m_store);

    // 3. Open a Claude Code session with the matching launch environment.
    QStringList notes;
    if (restart) {
        progress(QCoreApplication::translate("SwitchFlow", "Opening Claude Code."));
        try {
            notes = m_services.claudeRestarter->restartClaudeCode(profile, key);
        } catch (const std::exception&) {
            throw SwitchError(sentences(
                {describeError(std::current_exception()),
                 QCoreApplication::translate("SwitchFlow", "The switch to %1 itself is complete.")
                     .arg(profile.name)}));
        }
    }
    // The line says a session was opened only when one was.
    QStringList line{
        !restart ? QCoreApplication::translate("SwitchFlow", "Claude Code switched to %1.")
                       .arg(profile.name)
        : usesVelqor
            ? QCoreApplication::translate("SwitchFlow", "Claude Code API session opened for %1.")
                  .arg(profile.name)
            : QCoreApplication::translate("SwitchFlow",
                                          "Claude Code account session opened for %1.")
                  .arg(profile.name),
        tidied, pruned};
    line += notes;
    if (loggedIn == false)
        line << QCoreApplication::translate(
            "SwitchFlow", "Claude Code is not logged in: run `claude` and then /login.");
    return sentences(line);
}

std::optional<QString> SwitchFlow::checkBeforeChanges(TargetIDE target, const Profile& profile) {
    SwitchJournal::refuseIfInterrupted();
    m_store.checkWritable();
    const std::optional<QString> key = m_store.apiKey(profile.id);
    checkProfile(target, profile, key);
    return key;
}

QString SwitchFlow::moveChats(const Profile& profile, SwitchJournal& journal) {
    try {
        const ChatSyncResult result =
            m_services.chatSyncService->syncChats(profile, [&journal](const QString& chatsJournal) {
                journal.recordChatMove(chatsJournal);
            });
        QString line =
            QCoreApplication::translate("SwitchFlow", "Synced %1 chats.").arg(result.changedRows);
        if (result.skippedFiles > 0)
            line += QLatin1Char(' ') +
                    (result.skippedFiles == 1
                         ? QCoreApplication::translate(
                               "SwitchFlow", "1 chat file could not be changed and was skipped.")
                         : QCoreApplication::translate(
                               "SwitchFlow", "%1 chat files could not be changed and were skipped.")
                               .arg(result.skippedFiles));
        return line;
    } catch (const TavrinError& error) {
        // Chats left half moved fail the switch, which undoes all of it, chats included.
        if (const auto* moved = dynamic_cast<const ChatSyncError*>(&error);
            moved && moved->kind() == ChatSyncError::Kind::leftMoved)
            throw;
        // Otherwise moving the chats is best effort: the switch goes on, and says so.
        qCWarning(lcApp) << "Chats not moved:" << error.localizedDescription();
        return QCoreApplication::translate("SwitchFlow", "Chats not moved: %1.")
            .arg(withoutFinalStop(error.localizedDescription()));
    }
}

QStringList SwitchFlow::startCodex(const Profile& profile) {
    try {
        return m_services.codexRestarter->openCodex(profile);
    } catch (const std::exception&) {
        const QString cause = describeError(std::current_exception());
        try {
            QStringList notes = m_services.codexRestarter->openCodex(profile);
            qCWarning(lcApp) << "Reopening Codex worked at the second try after:" << cause;
            return notes;
        } catch (const std::exception& again) {
            qCWarning(lcApp) << "The second try to reopen Codex failed too:" << again.what();
            throw SwitchError(sentences(
                {cause,
                 QCoreApplication::translate("SwitchFlow", "The switch to %1 itself is complete.")
                     .arg(profile.name)}));
        }
    }
}

void SwitchFlow::undoAndThrow(SwitchJournal& journal, TargetIDE target, const QString& activeBefore,
                              bool restart) {
    const QString cause = describeError(std::current_exception());
    const QString undone = journal.undo(*m_services.chatSyncService);
    throw SwitchError(
        sentences(QStringList{cause, undone} + reopenAfterUndo(target, activeBefore, restart)));
}

QStringList SwitchFlow::reopenAfterUndo(TargetIDE target, const QString& activeID, bool restart) {
    if (!restart)
        return {};
    // The profile that is active again, not the one the switch failed to make active: the
    // assistant must not run with the failed one's key, base URL or proxy.
    const std::optional<Profile> active = m_store.profile(activeID);
    const bool codex = target == TargetIDE::codex;
    const QString opened =
        !active ? (codex ? QCoreApplication::translate("SwitchFlow", "Opened Codex.")
                         : QCoreApplication::translate("SwitchFlow", "Opened Claude Code."))
                : (codex ? QCoreApplication::translate("SwitchFlow", "Opened Codex with %1.")
                         : QCoreApplication::translate("SwitchFlow", "Opened Claude Code with %1."))
                      .arg(active->name);
    try {
        if (codex)
            return QStringList{opened} + m_services.codexRestarter->openCodex(active);
        const std::optional<QString> key = active ? m_store.apiKey(active->id) : std::nullopt;
        return QStringList{opened} + m_services.claudeRestarter->restartClaudeCode(active, key);
    } catch (const std::exception&) {
        const QString error = describeError(std::current_exception());
        qCWarning(lcApp) << "Starting the assistant again after a failed switch failed too:"
                         << error;
        return {error};
    }
}
