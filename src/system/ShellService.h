#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <optional>

class QProcess;

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

// A program the caller talks to while it runs: what is written goes to its standard input,
// its standard output is read a line at a time as it comes, so no output is held whole.
// Destroying a session that has not finished kills the program.
class ProgramSession {
public:
    ProgramSession(const QString& program, const QStringList& arguments,
                   std::chrono::milliseconds timeLimit);
    ~ProgramSession();
    ProgramSession(const ProgramSession&) = delete;
    ProgramSession& operator=(const ProgramSession&) = delete;

    // Throws ProcessError when the program is gone or does not take the input in time.
    void write(const QByteArray& data);
    // The next line of standard output without its line feed; nothing once the output has
    // ended. Throws ProcessError when no line comes within the time limit.
    std::optional<QByteArray> readLine();
    // Ends the input: the program sees end-of-file once it has read what was written.
    void endInput();
    // Ends the input and waits for the program to exit; the output not read yet is dropped.
    ShellResult finish();

private:
    [[noreturn]] void timedOut();
    std::unique_ptr<QProcess> m_process;
    QString m_program;
    std::chrono::milliseconds m_timeLimit;
};

// Starts every outside program and hands back its exit status and both outputs. run()
// gives one command line to the login zsh (/bin/zsh -lc), quoted by the caller;
// runProgram() and startDetached() take a program and its plain arguments.
class ShellService {
public:
    static constexpr std::chrono::milliseconds defaultTimeLimit{std::chrono::minutes(5)};

    // A time limit that is not positive means no limit.
    explicit ShellService(std::chrono::milliseconds timeLimit = defaultTimeLimit);

    // Throws ProcessError when the shell cannot be started. A non-zero exit is not an
    // error here. A command still running after the time limit is killed with its
    // children and reported as a failed result.
    ShellResult run(const QString& command);

    // Runs a program with a plain argument list, no shell in between, so every argument
    // arrives exactly as given. An empty environment means this process's own.
    // Throws ProcessError when the program cannot be started; the time limit applies.
    ShellResult runProgram(const QString& program, const QStringList& arguments,
                           const QProcessEnvironment& environment = {});

    // Starts a program to talk to (see ProgramSession); the time limit applies to each wait.
    // Throws ProcessError when it cannot be started.
    std::unique_ptr<ProgramSession> startSession(const QString& program,
                                                 const QStringList& arguments);

    // Starts a program that runs on after the call returns (a terminal window), with a
    // plain argument list, in the directory and environment given, its input and output
    // going nowhere. Throws ProcessError when it cannot be started.
    void startDetached(const QString& program, const QStringList& arguments,
                       const QProcessEnvironment& environment, const QString& workingDirectory);

    // From now on, startDetached() starts programs at the priority of the calling thread,
    // whichever thread asks: a terminal the user works in must not inherit the lowered
    // priority of a background worker. Call before any thread lowers its priority.
    static void startDetachedAtThisPriority();

    std::chrono::milliseconds timeLimit() const { return m_timeLimit; }

private:
    std::chrono::milliseconds m_timeLimit;
};
