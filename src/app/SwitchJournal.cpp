#include "app/SwitchJournal.h"

#include "codex/ChatSyncService.h"
#include "profiles/AppPaths.h"
#include "profiles/Errors.h"
#include "profiles/FileUtil.h"
#include "profiles/Logging.h"
#include "profiles/ProfilesStore.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>

namespace {

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

// "a", "a and b", "a, b and c".
QString listed(const QStringList& names) {
    if (names.size() <= 1)
        return names.join(QString());
    return names.first(names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           names.last();
}

QString withoutFinalStop(QString text) {
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

// Keeps what a file holds now next to its copy, before a restore replaces it.
void keepCurrent(const QString& path, const QString& copy) {
    const QString directory =
        copy.isEmpty() ? QFileInfo(path).absolutePath() : QFileInfo(copy).absolutePath();
    const QString kept = QDir(directory).filePath(
        fileName(path) + QStringLiteral(".before-restore-") + FileUtil::timestamp());
    FileUtil::copy(path, kept, FileUtil::NewFileMode::OwnerOnly);
}

} // namespace

SwitchJournal::SwitchJournal(TargetIDE target, const Profile& profile,
                             const QString& activeBefore) {
    m_state.target = target;
    m_state.profileID = profile.id;
    m_state.profileName = profile.name;
    m_state.activeBefore = activeBefore;
    m_state.started = QDateTime::currentDateTime();
}

QString SwitchJournal::path() {
    return AppPaths::tavrinDirectory() + QStringLiteral("/switch-journal.json");
}

ChangeRecorder SwitchJournal::recorder() {
    return [this](const FileChange& change) {
        m_state.changes.append(change);
        save();
    };
}

void SwitchJournal::recordChatMove(const QString& chatsJournal) {
    if (chatsJournal.isEmpty())
        return;
    m_state.chatsJournal = chatsJournal;
    save();
}

void SwitchJournal::save() const {
    QJsonArray changes;
    for (const FileChange& change : m_state.changes)
        changes.append(QJsonObject{{QStringLiteral("path"), change.path},
                                   {QStringLiteral("existed"), change.existed},
                                   {QStringLiteral("copy"), change.copy}});
    const QJsonObject object{
        {QStringLiteral("target"), TargetIDEs::rawValue(m_state.target)},
        {QStringLiteral("profile"), m_state.profileID},
        {QStringLiteral("profile_name"), m_state.profileName},
        {QStringLiteral("active_before"), m_state.activeBefore},
        {QStringLiteral("started"), m_state.started.toString(Qt::ISODate)},
        {QStringLiteral("changes"), changes},
        {QStringLiteral("chats"), m_state.chatsJournal},
    };
    FileUtil::makePath(AppPaths::tavrinDirectory());
    FileUtil::writeAtomically(path(), QJsonDocument(object).toJson(QJsonDocument::Indented),
                              FileUtil::NewFileMode::OwnerOnly);
}

void SwitchJournal::finish() {
    try {
        FileUtil::remove(path());
    } catch (const TavrinError& error) {
        // The switch is complete; a journal left behind only costs a question at next start.
        qCWarning(lcApp) << "Could not remove the switch journal:" << error.localizedDescription();
    }
}

QStringList SwitchJournal::undoChanges(const State& state, ChatSyncService& chats,
                                       bool keepCurrentContent, QStringList& failures) {
    QStringList restored;
    for (auto it = state.changes.crbegin(); it != state.changes.crend(); ++it) {
        const FileChange& change = *it;
        const QString name = fileName(change.path);
        try {
            if (change.existed) {
                if (change.copy.isEmpty())
                    throw FileError(QStringLiteral("no copy was taken before the switch"));
                const QByteArray before = FileUtil::readAll(change.copy);
                const bool present = FileUtil::exists(change.path);
                if (!present || FileUtil::readAll(change.path) != before) {
                    if (present && keepCurrentContent)
                        keepCurrent(change.path, change.copy);
                    FileUtil::writeAtomically(change.path, before);
                }
            } else if (FileUtil::exists(change.path)) {
                if (keepCurrentContent)
                    keepCurrent(change.path, change.copy);
                FileUtil::remove(change.path);
            }
            // Named in the order of the switch, which undoes them newest first.
            if (!restored.contains(name))
                restored.prepend(name);
        } catch (const TavrinError& error) {
            QString failure = QStringLiteral("Could not restore %1 (%2)")
                                  .arg(name, withoutFinalStop(error.localizedDescription()));
            if (!change.copy.isEmpty())
                failure += QStringLiteral("; its copy from before the switch is ") + change.copy;
            failures << failure + QLatin1Char('.');
        }
    }
    if (!state.chatsJournal.isEmpty()) {
        try {
            chats.undo(state.chatsJournal);
            restored << QStringLiteral("the chats");
        } catch (const TavrinError& error) {
            failures << QStringLiteral("Could not move the chats back (%1).")
                            .arg(withoutFinalStop(error.localizedDescription()));
        }
    }
    return restored;
}

QString SwitchJournal::undo(ChatSyncService& chats) {
    if (isEmpty())
        return {};
    QStringList failures;
    const QStringList restored = undoChanges(m_state, chats, false, failures);
    QStringList sentences;
    if (!restored.isEmpty())
        sentences << QStringLiteral("Restored %1 from before the switch.").arg(listed(restored));
    sentences << failures;
    if (failures.isEmpty())
        finish();
    return sentences.join(QLatin1Char(' '));
}

QString SwitchJournal::lockPath() {
    return AppPaths::tavrinDirectory() + QStringLiteral("/switch.lock");
}

bool SwitchJournal::switchRunning() {
    if (!FileUtil::exists(AppPaths::tavrinDirectory()))
        return false;
    QLockFile lock(lockPath());
    lock.setStaleLockTime(0);
    if (lock.tryLock(0)) {
        lock.unlock();
        return false;
    }
    return lock.error() == QLockFile::LockFailedError;
}

std::optional<SwitchJournal::State> SwitchJournal::interrupted(bool evenWhileASwitchRuns) {
    const QString file = path();
    if (!FileUtil::exists(file) || (!evenWhileASwitchRuns && switchRunning()))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(FileUtil::readAll(file));
    const QJsonObject object = document.object();
    State state;
    const auto target = TargetIDEs::fromRawValue(object.value(QStringLiteral("target")).toString());
    if (!document.isObject() || !target)
        throw JsonError(QStringLiteral("The switch journal %1 cannot be read.").arg(file));
    state.target = *target;
    state.profileID = object.value(QStringLiteral("profile")).toString();
    state.profileName = object.value(QStringLiteral("profile_name")).toString();
    state.activeBefore = object.value(QStringLiteral("active_before")).toString();
    state.started =
        QDateTime::fromString(object.value(QStringLiteral("started")).toString(), Qt::ISODate);
    for (const QJsonValue& value : object.value(QStringLiteral("changes")).toArray()) {
        const QJsonObject change = value.toObject();
        state.changes.append(FileChange{change.value(QStringLiteral("path")).toString(),
                                        change.value(QStringLiteral("existed")).toBool(),
                                        change.value(QStringLiteral("copy")).toString()});
    }
    state.chatsJournal = object.value(QStringLiteral("chats")).toString();
    return state;
}

QString SwitchJournal::describe(const State& state) {
    QStringList lines;
    lines << QStringLiteral("The last switch of %1 to %2 (started %3) did not finish.")
                 .arg(TargetIDEs::rawValue(state.target), state.profileName,
                      QLocale::c().toString(state.started, QStringLiteral("yyyy-MM-dd HH:mm")));
    for (const FileChange& change : state.changes) {
        QString condition;
        const bool present = FileUtil::exists(change.path);
        if (!change.existed)
            condition =
                present ? QStringLiteral("created by the switch") : QStringLiteral("not created");
        else if (!present)
            condition = QStringLiteral("missing");
        else {
            try {
                condition = FileUtil::readAll(change.path) == FileUtil::readAll(change.copy)
                                ? QStringLiteral("as before the switch")
                                : QStringLiteral("changed by the switch");
            } catch (const TavrinError&) {
                condition = QStringLiteral("changed by the switch (its copy cannot be read)");
            }
        }
        lines << fileName(change.path) + QStringLiteral(": ") + condition;
    }
    if (!state.chatsJournal.isEmpty())
        lines << QStringLiteral("chats: moved, or partly moved, to the new provider");
    return lines.join(QLatin1Char('\n'));
}

QString SwitchJournal::restore(const State& state, ChatSyncService& chats, ProfilesStore& store) {
    QStringList failures;
    QStringList restored = undoChanges(state, chats, true, failures);
    if (!state.activeBefore.isEmpty() &&
        store.activeProfileID(state.target) != state.activeBefore &&
        store.profile(state.activeBefore)) {
        try {
            store.saveActiveProfileID(state.target, state.activeBefore);
            restored << QStringLiteral("the active profile");
        } catch (const TavrinError& error) {
            failures << QStringLiteral("Could not restore the active profile (%1).")
                            .arg(withoutFinalStop(error.localizedDescription()));
        }
    }
    QStringList sentences;
    if (!restored.isEmpty())
        sentences << QStringLiteral("Restored %1 from before the interrupted switch. What the "
                                    "files held until now is kept beside their copies "
                                    "(*.before-restore-*).")
                         .arg(listed(restored));
    sentences << failures;
    if (failures.isEmpty())
        discard();
    if (sentences.isEmpty())
        return QStringLiteral("Nothing needed restoring.");
    return sentences.join(QLatin1Char(' '));
}

void SwitchJournal::discard() {
    FileUtil::remove(path());
}
