#pragma once

#include "profiles/FileChange.h"
#include "profiles/Profile.h"

#include <QDateTime>
#include <QList>
#include <QString>

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
        QList<FileChange> changes;
        QString chatsJournal; // what the chat move needs to be undone; empty when none
    };

    SwitchJournal(TargetIDE target, const Profile& profile, const QString& activeBefore);

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
    // The lock a switch holds from start to end, whichever program runs it.
    static QString lockPath();
    // Whether a switch is running now, in this process or another.
    static bool switchRunning();
    // The journal of an interrupted switch, if one is on disk (throws when it is there but
    // cannot be read). A journal of a switch that is still running is no interrupted one,
    // unless `evenWhileASwitchRuns` (the caller itself holds the lock).
    static std::optional<State> interrupted(bool evenWhileASwitchRuns = false);
    // What the interrupted switch left, file by file, in a few plain lines.
    static QString describe(const State& state);
    // Restores the copies from before the interrupted switch and the active profile. What
    // each restored file held is kept first, next to its copy. Returns a summary sentence.
    static QString restore(const State& state, ChatSyncService& chats, ProfilesStore& store);
    // Forgets an interrupted switch, leaving the files as they are.
    static void discard();

private:
    void save() const;
    // Undoes the changes of `state`; returns the names restored and the failures.
    static QStringList undoChanges(const State& state, ChatSyncService& chats, bool keepCurrent,
                                   QStringList& failures);

    State m_state;
};
