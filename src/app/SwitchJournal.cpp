#include "app/SwitchJournal.h"

#include "app/SwitchFlow.h"
#include "app/SwitchLock.h"
#include "codex/ChatSyncService.h"
#include "profiles/AppPaths.h"
#include "profiles/AtomicFile.h"
#include "profiles/Errors.h"
#include "profiles/FileUtil.h"
#include "profiles/Logging.h"
#include "profiles/ProfilesStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

// "a", "a and b", "a, b and c".
QString listed(const QStringList& names) {
    if (names.size() <= 1)
        return names.join(QString());
    return QCoreApplication::translate("SwitchJournal", "%1 and %2")
        .arg(names.first(names.size() - 1).join(QStringLiteral(", ")), names.last());
}

// Keeps what a file holds now next to its copy, before a restore replaces it.
void keepCurrent(const QString& path, const QString& copy) {
    const QString directory =
        copy.isEmpty() ? QFileInfo(path).absolutePath() : QFileInfo(copy).absolutePath();
    const QString kept = FileUtil::unusedDatedPath(
        QDir(directory).filePath(fileName(path) + QStringLiteral(".before-restore-")));
    FileUtil::copy(path, kept, FileUtil::NewFileMode::OwnerOnly);
}

// A copy a switch makes: a file (not a link) right inside one of the backups folders.
bool isBackup(const QString& path, const QString& prefix = {}, const QString& suffix = {}) {
    const QString folder = path.section(QLatin1Char('/'), 0, -2);
    const QString name = path.section(QLatin1Char('/'), -1);
    return (folder == AppPaths::backupsDirectory() ||
            folder == AppPaths::claudeBackupsDirectory()) &&
           !name.isEmpty() && name != QLatin1String("..") && name != QLatin1String(".") &&
           name.startsWith(prefix) && name.endsWith(suffix) && !QFileInfo(path).isSymLink();
}

// Why a journal entry is not followed; empty when it names a file a switch writes and a
// copy a switch makes. A journal is trusted with nothing else.
QString distrust(const FileChange& change) {
    const QString database = AppPaths::stateDatabaseURL();
    const QStringList written{AppPaths::configURL(),
                              AppPaths::authURL(),
                              AppPaths::claudeSettingsURL(),
                              AppPaths::profilesURL(),
                              database,
                              database + QStringLiteral("-wal"),
                              database + QStringLiteral("-shm")};
    if (!written.contains(change.path))
        return QCoreApplication::translate("SwitchJournal", "not a file a switch changes");
    if (!change.copy.isEmpty() && !isBackup(change.copy))
        return QCoreApplication::translate("SwitchJournal", "its copy %1 is not one a switch makes")
            .arg(change.copy);
    return {};
}

SwitchJournal::State readState(const QByteArray& text) {
    const QJsonDocument document = QJsonDocument::fromJson(text);
    const QJsonObject object = document.object();
    const auto target = TargetIDEs::fromRawValue(object.value(QStringLiteral("target")).toString());
    if (!document.isObject() || !target)
        throw JsonError(QCoreApplication::translate(
                            "SwitchJournal",
                            "The switch journal %1 cannot be read. Look at it, then set "
                            "it aside in the window or with `tavrin-cli recover "
                            "--discard`.")
                            .arg(SwitchJournal::path()));
    SwitchJournal::State state;
    state.text = text;
    state.target = *target;
    state.profileID = object.value(QStringLiteral("profile")).toString();
    state.profileName = object.value(QStringLiteral("profile_name")).toString();
    state.restoring = object.value(QStringLiteral("restoring")).toString();
    state.activeBefore = object.value(QStringLiteral("active_before")).toString();
    state.started =
        QDateTime::fromString(object.value(QStringLiteral("started")).toString(), Qt::ISODate);
    for (const QJsonValue& value : object.value(QStringLiteral("changes")).toArray()) {
        const QJsonObject entry = value.toObject();
        const FileChange change{entry.value(QStringLiteral("path")).toString(),
                                entry.value(QStringLiteral("existed")).toBool(),
                                entry.value(QStringLiteral("copy")).toString()};
        if (const QString why = distrust(change); !why.isEmpty())
            state.ignored << QStringLiteral("%1 (%2)").arg(change.path, why);
        else
            state.changes.append(change);
    }
    const QString chats = object.value(QStringLiteral("chats")).toString();
    if (chats.isEmpty() || isBackup(chats, QStringLiteral("chats-"), QStringLiteral(".json")))
        state.chatsJournal = chats;
    else
        state.ignored << QCoreApplication::translate("SwitchJournal",
                                                     "%1 (not a chat move journal a switch writes)")
                             .arg(chats);
    return state;
}

QString chatsCondition(const QString& journal, ChatSyncService& chats) {
    try {
        const ChatMoveState state = chats.inspect(journal);
        if (state.rowsMoved == 0 && state.filesRewritten == 0)
            return QCoreApplication::translate("SwitchJournal", "as before the switch");
        return QCoreApplication::translate("SwitchJournal",
                                           "%1 of %2 moved to %3, %4 of %5 session files rewritten")
            .arg(state.rowsMoved)
            .arg(state.rows)
            .arg(state.provider)
            .arg(state.filesRewritten)
            .arg(state.files);
    } catch (const TavrinError& error) {
        return QCoreApplication::translate("SwitchJournal", "cannot tell (%1)")
            .arg(withoutFinalStop(error.localizedDescription()));
    }
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

QString SwitchJournal::headline(const State& state) {
    if (!state.restoring.isEmpty())
        return QCoreApplication::translate("SwitchJournal", "The last restore of %1")
            .arg(state.restoring);
    return QCoreApplication::translate("SwitchJournal", "The last switch of %1 to %2")
        .arg(TargetIDEs::rawValue(state.target), state.profileName);
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
    QJsonObject object{
        {QStringLiteral("target"), TargetIDEs::rawValue(m_state.target)},
        {QStringLiteral("profile"), m_state.profileID},
        {QStringLiteral("profile_name"), m_state.profileName},
        {QStringLiteral("active_before"), m_state.activeBefore},
        {QStringLiteral("started"), m_state.started.toString(Qt::ISODate)},
        {QStringLiteral("changes"), changes},
        {QStringLiteral("chats"), m_state.chatsJournal},
    };
    if (!m_state.restoring.isEmpty())
        object.insert(QStringLiteral("restoring"), m_state.restoring);
    FileUtil::makePath(AppPaths::tavrinDirectory());
    FileUtil::writeAtomically(path(), QJsonDocument(object).toJson(QJsonDocument::Indented),
                              FileUtil::NewFileMode::OwnerOnly, true, AtomicFile::Spare::keep);
}

void SwitchJournal::finish() {
    try {
        AtomicFile::retire(path()); // the next switch writes its journal into it
    } catch (const TavrinError& error) {
        // The switch is complete; a journal left behind only costs a question at next start.
        qCWarning(lcApp) << "Could not remove the switch journal:" << error.localizedDescription();
    }
}

SwitchJournal::Undone SwitchJournal::undoChanges(const State& state, ChatSyncService& chats,
                                                 bool keepCurrentContent) {
    Undone undone;
    for (auto it = state.changes.crbegin(); it != state.changes.crend(); ++it) {
        const FileChange& change = *it;
        const QString name = fileName(change.path);
        try {
            bool written = false;
            if (change.existed) {
                if (change.copy.isEmpty())
                    throw FileError(QCoreApplication::translate(
                        "SwitchJournal", "no copy was taken before the switch"));
                const QByteArray before = FileUtil::readAll(change.copy);
                const bool present = FileUtil::exists(change.path);
                written = !present || FileUtil::readAll(change.path) != before;
                if (written) {
                    if (present && keepCurrentContent)
                        keepCurrent(change.path, change.copy);
                    FileUtil::writeAtomically(change.path, before);
                }
            } else if (FileUtil::exists(change.path)) {
                if (keepCurrentContent)
                    keepCurrent(change.path, change.copy);
                FileUtil::remove(change.path);
                written = true;
            }
            // Named in the order of the switch, which undoes them newest first.
            if (written && !undone.restored.contains(name))
                undone.restored.prepend(name);
        } catch (const TavrinError& error) {
            const QString why = withoutFinalStop(error.localizedDescription());
            undone.failures << (change.copy.isEmpty()
                                    ? QCoreApplication::translate("SwitchJournal",
                                                                  "Could not restore %1 (%2).")
                                          .arg(name, why)
                                    : QCoreApplication::translate(
                                          "SwitchJournal",
                                          "Could not restore %1 (%2); its copy from before "
                                          "the switch is %3.")
                                          .arg(name, why, change.copy));
        }
    }
    if (!state.chatsJournal.isEmpty()) {
        try {
            const ChatUndoResult back = chats.undo(state.chatsJournal);
            if (back.rows > 0 || back.files > 0)
                undone.restored << QCoreApplication::translate("SwitchJournal", "the chats");
            for (const QString& path : back.ignored)
                undone.ignored << QCoreApplication::translate(
                                      "SwitchJournal",
                                      "%1 (not a session file a chat move changes)")
                                      .arg(path);
        } catch (const TavrinError& error) {
            undone.failures << QCoreApplication::translate("SwitchJournal",
                                                           "Could not move the chats back (%1).")
                                   .arg(withoutFinalStop(error.localizedDescription()));
        }
    }
    return undone;
}

QString SwitchJournal::undo(ChatSyncService& chats) {
    if (isEmpty())
        return {};
    const Undone undone = undoChanges(m_state, chats, false);
    QStringList sentences;
    if (!undone.restored.isEmpty())
        sentences << (m_state.restoring.isEmpty()
                          ? QCoreApplication::translate("SwitchJournal",
                                                        "Restored %1 from before the switch.")
                          : QCoreApplication::translate("SwitchJournal",
                                                        "Restored %1 from before the restore."))
                         .arg(listed(undone.restored));
    sentences << undone.failures;
    if (undone.failures.isEmpty())
        finish();
    return sentences.join(QLatin1Char(' '));
}

std::optional<SwitchJournal::State> SwitchJournal::interrupted(bool evenWhileASwitchRuns) {
    const QString file = path();
    if (!FileUtil::exists(file) || (!evenWhileASwitchRuns && SwitchLock::heldElsewhere()))
        return std::nullopt;
    return readState(FileUtil::readAll(file));
}

void SwitchJournal::refuseIfInterrupted() {
    if (const auto state = interrupted(true))
        throw SwitchError(
            QCoreApplication::translate("SwitchJournal",
                                        "%1 did not finish. Restore the files from before it, "
                                        "or keep them as they are, first (in the window, or "
                                        "with `tavrin-cli recover`).")
                .arg(headline(*state)));
}

QString SwitchJournal::describe(const State& state, ChatSyncService& chats) {
    QStringList lines;
    lines << QCoreApplication::translate("SwitchJournal", "%1 (started %2) did not finish.")
                 .arg(headline(state),
                      QLocale::c().toString(state.started, QStringLiteral("yyyy-MM-dd HH:mm")));
    for (const FileChange& change : state.changes) {
        QString condition;
        const bool present = FileUtil::exists(change.path);
        if (!change.existed)
            condition = present
                            ? QCoreApplication::translate("SwitchJournal", "created by the switch")
                            : QCoreApplication::translate("SwitchJournal", "not created");
        else if (!present)
            condition = QCoreApplication::translate("SwitchJournal", "missing");
        else {
            try {
                condition =
                    FileUtil::readAll(change.path) == FileUtil::readAll(change.copy)
                        ? QCoreApplication::translate("SwitchJournal", "as before the switch")
                        : QCoreApplication::translate("SwitchJournal", "changed by the switch");
            } catch (const TavrinError&) {
                condition = QCoreApplication::translate(
                    "SwitchJournal", "changed by the switch (its copy cannot be read)");
            }
        }
        lines << fileName(change.path) + QStringLiteral(": ") + condition;
    }
    if (!state.chatsJournal.isEmpty())
        lines << QCoreApplication::translate("SwitchJournal", "chats: %1")
                     .arg(chatsCondition(state.chatsJournal, chats));
    for (const QString& entry : state.ignored)
        lines << QCoreApplication::translate("SwitchJournal", "ignored: %1").arg(entry);
    return lines.join(QLatin1Char('\n'));
}

QString SwitchJournal::restore(const State& seen, ChatSyncService& chats, ProfilesStore& store,
                               std::chrono::milliseconds wait) {
    const SwitchLock lock(wait);
    const std::optional<State> current = interrupted(true);
    if (!current)
        return QCoreApplication::translate(
            "SwitchJournal", "The interrupted switch has been dealt with meanwhile; nothing "
                             "was restored.");
    if (current->text != seen.text)
        return QCoreApplication::translate(
            "SwitchJournal", "The record of the interrupted switch changed meanwhile; nothing "
                             "was restored. Look at it again.");
    const State& state = *current;
    Undone undone = undoChanges(state, chats, true);
    if (!state.activeBefore.isEmpty() &&
        store.activeProfileID(state.target) != state.activeBefore &&
        store.profile(state.activeBefore)) {
        try {
            store.saveActiveProfileID(state.target, state.activeBefore);
            undone.restored << QCoreApplication::translate("SwitchJournal", "the active profile");
        } catch (const TavrinError& error) {
            undone.failures << QCoreApplication::translate(
                                   "SwitchJournal", "Could not restore the active profile (%1).")
                                   .arg(withoutFinalStop(error.localizedDescription()));
        }
    }
    QStringList sentences;
    if (!undone.restored.isEmpty())
        sentences << (state.restoring.isEmpty()
                          ? QCoreApplication::translate(
                                "SwitchJournal", "Restored %1 from before the interrupted switch. "
                                                 "What the files held until now is kept beside "
                                                 "their copies (*.before-restore-*).")
                          : QCoreApplication::translate(
                                "SwitchJournal", "Restored %1 from before the interrupted restore. "
                                                 "What the files held until now is kept beside "
                                                 "their copies (*.before-restore-*)."))
                         .arg(listed(undone.restored));
    for (const QString& entry : state.ignored + undone.ignored)
        sentences << QCoreApplication::translate("SwitchJournal", "Ignored %1.").arg(entry);
    sentences << undone.failures;
    if (undone.failures.isEmpty())
        FileUtil::remove(path());
    if (sentences.isEmpty())
        return QCoreApplication::translate("SwitchJournal", "Nothing needed restoring.");
    return sentences.join(QLatin1Char(' '));
}

QString SwitchJournal::discard(std::chrono::milliseconds wait) {
    const SwitchLock lock(wait);
    if (!FileUtil::entryExists(path()))
        return {};
    const QString kept = FileUtil::copyToDatedFile(
        path(), AppPaths::tavrinDirectory(), QStringLiteral("switch-journal-"),
        QStringLiteral(".json"), FileUtil::NewFileMode::OwnerOnly);
    FileUtil::remove(path());
    return kept;
}

QString SwitchJournal::removeLeftovers() {
    try {
        const SwitchLock lock(std::chrono::milliseconds(0));
        return AtomicFile::leftoversNote(AtomicFile::removeLeftovers());
    } catch (const TavrinError& error) {
        qCInfo(lcApp) << "Temporary files were not looked for:" << error.localizedDescription();
        return {};
    }
}
