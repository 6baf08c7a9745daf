#pragma once

#include "desktop/Desktop.h"

// macOS: every step is one command line run by the login zsh. Codex is the desktop app,
// quit with osascript and started with open; Claude Code runs in a new Terminal window
// that AppleScript opens after quitting the Claude desktop app; launchctl holds the
// launch environment.
class MacDesktop : public Desktop {
public:
    explicit MacDesktop(std::shared_ptr<ShellService> shell = nullptr);

    // Nothing to check: a missing app or tool shows when it is started.
    void checkInstalled(TargetIDE assistant) override;
    // Codex: quits the app (not running is fine), gives it two seconds to exit, then stops
    // the CLI's background app server when it runs. Claude Code: nothing here; its
    // desktop app is quit as the new session opens.
    QStringList quitAssistant(TargetIDE assistant, const StepStarted& starting) override;
    QStringList setLaunchEnvironment(const LaunchEnvironment& variables) override;
    QStringList startAssistant(const AssistantSession& session) override;
    // A login item of System Events, asked and changed with osascript.
    bool startsAtLogin() override;
    void setStartsAtLogin(bool enabled, const QString& application) override;

    // The command texts, public so they can be tested as tables.
    static QString quitCodexCommand();
    static QString openCodexCommand();
    // "codex app-server daemon " + the verb ("version", "stop").
    static QString codexServerCommand(const QString& verb);
    // "launchctl setenv NAME \"value\"" or "launchctl unsetenv NAME" each, joined by "; ".
    static QString launchctlCommand(const LaunchEnvironment& variables);
    // What the Terminal window runs: the two banner lines, then claude with the arguments.
    static QString claudeTerminalCommand(const AssistantSession& session);
    // The osascript here-document that quits Claude and opens Terminal running the above.
    static QString claudeScriptCommand(const AssistantSession& session);
    static QString loginItemCommand(bool enabled, const QString& application);

private:
    void runChecked(const QString& command);
    std::shared_ptr<ShellService> m_shell;
};
