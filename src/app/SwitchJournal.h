#pragma once

#include "profiles/FileChange.h"
#include "profiles/Profile.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

class ChatSyncService;
class ProfilesStore;

// The record of a running switch, kept next to profiles.json: written before the first
// change, extended before each further change, removed after the last one. A journal
// found on disk means a switch was interrupted (killed, crashed, power lost) and tells
// which files it had changed and where their copies from before it are.
class SwitchJournal {
public:
    struct State {
        TargetIDE target = TargetIDE::codex;
        QString profileID;
        QString profileName;
        QString activeBefore; // the target's active profile id before the switch
        QDateTime started;
        QList<FileChange> changes; // only files a switch writes, with copies it makes
        QString chatsJournal;      // what the chat move needs to be undone; empty when none
        QStringList ignored;       // any other entry, as "<what> (<why>)": never followed
        QString restoring;         // the file a restore of a backup puts back; empty for a switch
        QByteArray text;           // the journal as it was read
    };

    SwitchJournal(TargetIDE target, const Profile& profile, const QString& activeBefore);

    // The journal of a restore of `file` from a backup instead of a switch (before the
    // first change).
    void markAsRestore(const QString& file) { m_state.restoring = file; }
    const State& state() const { return m_state; }

    // Records a change before it is made (it writes the journal file).
    ChangeRecorder recorder();
    void recordChatMove(const QString& chatsJournal);
    bool isEmpty() const { return m_state.changes.isEmpty() && m_state.chatsJournal.isEmpty(); }

    // Puts back every recorded change, newest first, and returns one sentence that says
    // what was restored and what could not be (with the copy to restore by hand). The
    // journal file is removed when everything was put back.
    QString undo(ChatSyncService& chats);
    // The switch has made its last change.
    void finish();

    static QString path();
    // "The last switch of Codex to Velqor 1", or "The last restore of config.toml".
    static QString headline(const State& state);
    // The journal of an interrupted switch, if one is on disk (throws JsonError, naming
    // the way out, when it is there but cannot be read). A journal of a switch that is
    // still running is no interrupted one, unless `evenWhileASwitchRuns` (the caller
    // itself holds the lock).
    static std::optional<State> interrupted(bool evenWhileASwitchRuns = false);
    // A switch that did not finish must be looked at first: switching (or restoring) again
    // would take its half-changed files for the state to return to. Throws SwitchError
    // when there is one; the caller holds the switch lock.
    static void refuseIfInterrupted();
    // What the interrupted switch left, file by file and the chats, in a few plain lines.
    static QString describe(const State& state, ChatSyncService& chats);
    // Restores the copies from before the interrupted switch, the chats and the active
    // profile, holding the switch lock (waiting up to `wait` for a running switch). What
    // each restored file held is kept first, next to its copy. The journal is read again
    // under the lock: when it is no longer the one shown to the user (`seen`), nothing
    // changes. Returns a summary sentence.
    static QString restore(const State& seen, ChatSyncService& chats, ProfilesStore& store,
                           std::chrono::milliseconds wait = std::chrono::seconds(5));
    // Forgets an interrupted switch, leaving the files as they are, also when its journal
    // cannot be read: the journal is kept as a dated copy beside it, whose path is returned.
    static QString discard(std::chrono::milliseconds wait = std::chrono::seconds(5));
    // Removes the temporary files an interrupted write left, unless a switch runs now (its
    // own temporary files are not leftovers); returns the note for the line.
    static QString removeLeftovers();

private:
    struct Undone {
        QStringList restored; // what was written back (or removed), in the order of the switch
        QStringList failures; // sentences
        QStringList ignored;  // entries of the chat move journal that were not followed
    };
    void save() const;
    static Undone undoChanges(const State& state, ChatSyncService& chats, bool keepCurrent);

    State m_state;
};
