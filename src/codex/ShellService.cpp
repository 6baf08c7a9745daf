#include "codex/ShellService.h"

#include "profiles/Errors.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStringDecoder>
#include <QThread>

#include <atomic>
#include <csignal>
#include <limits>
#include <mutex>
#include <unistd.h>

namespace {

QString decodeUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString() : text;
}

QString describeLimit(std::chrono::milliseconds limit) {
    const auto milliseconds = limit.count();
    if (milliseconds % 1000 != 0)
        return QStringLiteral("%1 milliseconds").arg(milliseconds);
    const auto seconds = milliseconds / 1000;
    if (seconds >= 120 && seconds % 60 == 0)
        return QStringLiteral("%1 minutes").arg(seconds / 60);
    return seconds == 1 ? QStringLiteral("1 second") : QStringLiteral("%1 seconds").arg(seconds);
}

// QProcess takes an int of milliseconds, -1 meaning no limit. A limit that is not positive,
// or beyond what an int holds, is taken as no limit.
int waitMilliseconds(std::chrono::milliseconds limit) {
    if (limit.count() <= 0 || limit.count() >= std::numeric_limits<int>::max())
        return -1;
    return static_cast<int>(limit.count());
}

// A process inherits the priority of the thread that starts it. Detached programs are
// started from this thread, when there is one, which keeps the priority of the thread
// that set it up.
std::atomic<QObject*> detachedStarter{nullptr};

void stopDetachedStarter() {
    QObject* starter = detachedStarter.exchange(nullptr);
    QThread* thread = starter->thread();
    starter->deleteLater();
    thread->quit();
    thread->wait();
    delete thread;
}

} // namespace

QString shellDoubleQuoted(const QString& value) {
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    escaped.replace(QLatin1Char('$'), QStringLiteral("\\$"));
    escaped.replace(QLatin1Char('`'), QStringLiteral("\\`"));
    return escaped;
}

ShellService::ShellService(std::chrono::milliseconds timeLimit) : m_timeLimit(timeLimit) {}

ShellResult ShellService::run(const QString& command) {
    return runProgram(QStringLiteral("/bin/zsh"), {QStringLiteral("-lc"), command});
}

ShellResult ShellService::runProgram(const QString& program, const QStringList& arguments,
                                     const QProcessEnvironment& environment) {
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    // Nothing is ever fed to the command: a tool that reads its input gets end-of-file at
    // once instead of waiting on a pipe that never closes.
    process.setStandardInputFile(QProcess::nullDevice());
    // A group of its own, so that a stopped command takes its children with it.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start();
    if (!process.waitForStarted(-1))
        throw ProcessError(
            QStringLiteral("Could not start %1: %2").arg(program, process.errorString()));

    ShellResult result;
    if (!process.waitForFinished(waitMilliseconds(m_timeLimit))) {
        const qint64 pid = process.processId();
        if (pid > 0)
            ::kill(-static_cast<pid_t>(pid), SIGKILL);
        process.kill();
        process.waitForFinished(-1);
        result.timedOut = true;
    }
    result.standardOutput = decodeUtf8(process.readAllStandardOutput());
    result.standardError = decodeUtf8(process.readAllStandardError());
    if (result.timedOut) {
        result.terminationStatus = -1;
        const QString note = QStringLiteral("The command did not finish within %1 and was stopped.")
                                 .arg(describeLimit(m_timeLimit));
        result.standardError = result.standardError.trimmed().isEmpty()
                                   ? note
                                   : result.standardError.trimmed() + QLatin1Char(' ') + note;
    } else {
        result.terminationStatus =
            process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    return result;
}

void ShellService::startDetachedAtThisPriority() {
    static std::once_flag once;
    std::call_once(once, [] {
        auto* thread = new QThread;
        thread->setObjectName(QStringLiteral("Detached starts"));
        thread->start();
        auto* starter = new QObject;
        starter->moveToThread(thread);
        detachedStarter = starter;
        qAddPostRoutine(stopDetachedStarter);
    });
}

void ShellService::startDetached(const QString& program, const QStringList& arguments,
                                 const QProcessEnvironment& environment,
                                 const QString& workingDirectory) {
    QString problem;
    const auto start = [&] {
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        if (!environment.isEmpty())
            process.setProcessEnvironment(environment);
        process.setWorkingDirectory(workingDirectory);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        if (!process.startDetached())
            problem = QStringLiteral("Could not start %1: %2").arg(program, process.errorString());
    };
    QObject* starter = detachedStarter;
    if (starter && starter->thread() != QThread::currentThread())
        QMetaObject::invokeMethod(starter, start, Qt::BlockingQueuedConnection);
    else
        start();
    if (!problem.isEmpty())
        throw ProcessError(problem);
}
