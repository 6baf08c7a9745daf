#pragma once

#include "claude/ClaudeRestarter.h"
#include "codex/CodexRestarter.h"

#include <QMutex>
#include <QSemaphore>
#include <QStringList>

// The calls a stand-in heard, from any thread.
class CallRecord {
public:
    QStringList calls() const {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }

protected:
    void record(const QString& call) {
        QMutexLocker lock(&m_mutex);
        m_calls << call;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_calls;
};

// Stand-ins for the assistants themselves (quitting, starting), which cannot exist here.
// They record each call and fail or block on request.
class FakeCodexRestarter : public CodexRestarter, public CallRecord {
public:
    // Which calls fail: "quit", "open" (every open), "open once" (the first only), "ready".
    QString failing;
    // While set, quitCodex() blocks until releaseQuit(), 20 s at most (a fault then fails
    // the test instead of hanging it).
    bool holdQuit = false;
    void releaseQuit() { m_quitGate.release(); }

    void checkReady() override {
        record("ready");
        if (failing == "ready")
            throw RestartError::failed("Codex is not installed");
    }
    QStringList quitCodex() override {
        record("quit");
        if (holdQuit)
            m_quitGate.tryAcquire(1, 20000);
        if (failing == "quit")
            throw RestartError::failed("cannot quit");
        return {};
    }
    QStringList openCodex(const std::optional<Profile>&) override {
        const bool first = !calls().contains("open");
        record("open");
        if (failing == "open" || (failing == "open once" && first))
            throw RestartError::failed("no such app");
        return {};
    }

private:
    QSemaphore m_quitGate;
};

class FakeClaudeRestarter : public ClaudeRestarter, public CallRecord {
public:
    bool failing = false;

    void checkReady() override { record("ready"); }
    QStringList restartClaudeCode(const std::optional<Profile>&,
                                  const std::optional<QString>& apiKey) override {
        record("restart " + apiKey.value_or("-"));
        if (failing)
            throw ClaudeRestartError::failed("denied");
        return {};
    }
};
