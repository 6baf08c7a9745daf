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
    // A failing open still records its call.
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
    QStringList quitCodex(const std::function<void(const QString&)>&) override {
        record("quit");
        if (holdQuit)
            m_quitGate.tryAcquire(1, 20000);
        if (failing == "quit")
            throw RestartError::failed("cannot quit");
        return {};
    }
    // Records "open" and the profile Codex is started with ("-" for none).
    QStringList openCodex(const std::optional<Profile>& profile) override {
        const bool first = calls().filter("open").isEmpty();
        record("open " + (profile ? profile->id : "-"));
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
    // Records "restart", the profile and its key ("-" for none).
    QStringList restartClaudeCode(const std::optional<Profile>& profile,
                                  const std::optional<QString>& apiKey) override {
        record("restart " + (profile ? profile->id : "-") + " " + apiKey.value_or("-"));
        if (failing)
            throw ClaudeRestartError::failed("denied");
        return {};
    }
};
