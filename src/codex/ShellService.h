#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <chrono>

struct ShellResult {
    int terminationStatus = 0;
    QString standardOutput;
    QString standardError;
    // True when the command ran past the time limit and was stopped; the status is
    // then non-zero and standardError says so.
    bool timedOut = false;
};

// Escapes a value for use inside double quotes in the shell, so that it arrives as typed:
// backslash, double quote, dollar sign and backtick each get a backslash.
QString shellDoubleQuoted(const QString& value);

// Starts every outside program and hands back its exit status and both outputs. run()
// gives one command line to the login zsh (/bin/zsh -lc), quoted by the caller;
// runProgram() and startDetached() take a program and its plain arguments.
class ShellService {
public:
    static constexpr std::chrono::milliseconds defaultTimeLimit{std::chrono::minutes(5)};

    // A time limit that is not positive means no limit.
    explicit ShellService(std::chrono::milliseconds timeLimit = defaultTimeLimit);
    virtual ~ShellService() = default;

    // Throws ProcessError when the shell cannot be started. A non-zero exit is not an
    // error here. A command still running after the time limit is killed with its
    // children and reported as a failed result.
    virtual ShellResult run(const QString& command);

    // Runs a program with a plain argument list, no shell in between, so every argument
    // arrives exactly as given. An empty environment means this process's own.
    // Throws ProcessError when the program cannot be started; the time limit applies.
    virtual ShellResult runProgram(const QString& program, const QStringList& arguments,
                                   const QProcessEnvironment& environment = {});

    // Starts a program that runs on after the call returns (a terminal window), with a
    // plain argument list, in the directory and environment given, its input and output
    // going nowhere. Throws ProcessError when it cannot be started.
    virtual void startDetached(const QString& program, const QStringList& arguments,
                               const QProcessEnvironment& environment,
                               const QString& workingDirectory);

    // From now on, startDetached() starts programs at the priority of the calling thread,
    // whichever thread asks: a terminal the user works in must not inherit the lowered
    // priority of a background worker. Call before any thread lowers its priority.
    static void startDetachedAtThisPriority();

    std::chrono::milliseconds timeLimit() const { return m_timeLimit; }

private:
    std::chrono::milliseconds m_timeLimit;
};
