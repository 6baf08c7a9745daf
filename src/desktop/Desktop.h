#pragma once

#include "desktop/LaunchEnvironment.h"
#include "profiles/Errors.h"
#include "profiles/Profile.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class ShellService;
struct ShellResult;

// A desktop step that failed. The text is the detail the restarters put after their own
// "Could not restart ..." prefix; it may be empty when the tool said nothing.
class DesktopError : public TavrinError {
public:
    using TavrinError::TavrinError;
};

// How an assistant is started after a switch.
struct AssistantSession {
    TargetIDE assistant = TargetIDE::codex;
    // Lines printed above the assistant in its terminal window (none for Codex).
    QStringList banner;
    // Arguments for the assistant's program.
    QStringList arguments;
    // The profile's variables. Besides the launch environment, a terminal started for the
    // session gets them directly where the platform can do that.
    LaunchEnvironment environment;
};

// Hears a short line as a step that quits or stops something begins ("Quitting Codex.").
using StepStarted = std::function<void(const QString&)>;

// Everything a switch asks of the desktop. Each platform has its own implementation:
// MacDesktop (osascript, open, launchctl through the login zsh) and LinuxDesktop (the
// systemd user manager and a terminal emulator, programs started with plain argument
// lists). Operations return notes: short sentences for the switch's log line.
class Desktop {
public:
    virtual ~Desktop();

    // The implementation for the platform this was built for.
    static std::shared_ptr<Desktop> forThisSystem(std::shared_ptr<ShellService> shell = nullptr);

    // Throws DesktopError with a full sentence when the assistant cannot be started here
    // at all (its program or a terminal to run it in is missing).
    virtual void checkInstalled(TargetIDE assistant) = 0;
    // Makes way before the assistant's files change: quits what would keep the old
    // profile (for Codex also its background app server), or says in a note what keeps
    // it. `starting` hears of each thing quit or stopped before it is.
    virtual QStringList quitAssistant(TargetIDE assistant, const StepStarted& starting) = 0;
    // Sets or clears, in order, the variables that programs started from now on get.
    virtual QStringList setLaunchEnvironment(const LaunchEnvironment& variables) = 0;
    // Starts the assistant; the call returns while it runs on.
    virtual QStringList startAssistant(const AssistantSession& session) = 0;

    // Whether Tavrin starts when the user logs in.
    virtual bool startsAtLogin() = 0;
    // Starts `application` (this program: its file on Linux, its bundle on macOS) at login,
    // or no longer does. Throws DesktopError or FileError with a full sentence.
    virtual void setStartsAtLogin(bool enabled, const QString& application) = 0;

protected:
    // Runs `codex app-server daemon <verb>` with the codex on the login shell's PATH;
    // throws ProcessError when it cannot be started.
    using CodexServerCommand = std::function<ShellResult(const QString& verb)>;
    // Today's Codex keeps a background app server that outlives its terminal sessions and
    // would serve the next one with the old profile: when it says it runs ("version"
    // succeeds), it is stopped. An older Codex without the command, like a server that is
    // not running, answers with a failure and leaves nothing to stop. Returns the notes.
    static QStringList stopCodexServer(const CodexServerCommand& codex,
                                       const StepStarted& starting);
};
