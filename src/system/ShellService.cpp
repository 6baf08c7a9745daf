#include "system/ShellService.h"

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
        return QCoreApplication::translate("ShellService", "%1 milliseconds").arg(milliseconds);
    const auto seconds = milliseconds / 1000;
    if (seconds >= 120 && seconds % 60 == 0)
        return QCoreApplication::translate("ShellService", "%1 minutes").arg(seconds / 60);
    return seconds == 1 ? QCoreApplication::translate("ShellService", "1 second")
                        : QCoreApplication::translate("ShellService", "%1 seconds").arg(seconds);
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

// Kills the program and everything it started (it leads a process group of its own).
void killGroup(QProcess& process) {
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
    process.kill();
    process.waitForFinished(-1);
}

QString timeLimitNote(std::chrono::milliseconds limit) {
    return QCoreApplication::translate("ShellService",
                                       "The command did not finish within %1 and was stopped.")
        .arg(describeLimit(limit));
}

// Fills in how the process ended; a process stopped at the time limit fails with a note.
void setEnd(ShellResult& result, const QProcess& process, std::chrono::milliseconds limit) {
    if (!result.timedOut) {
        result.terminationStatus =
            process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return;
    }
    result.terminationStatus = -1;
    const QString note = timeLimitNote(limit);
    result.standardError = result.standardError.trimmed().isEmpty()
                               ? note
                               : result.standardError.trimmed() + QLatin1Char(' ') + note;
}

// A process with the given program and arguments, in a process group of its own so that
// a stopped command takes its children with it.
void prepare(QProcess& process, const QString& program, const QStringList& arguments) {
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
}

void start(QProcess& process) {
    process.start();
    if (!process.waitForStarted(-1))
        throw ProcessError(QCoreApplication::translate("ShellService", "Could not start %1: %2")
                               .arg(process.program(), process.errorString()));
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
    prepare(process, program, arguments);
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    // Nothing is ever fed to the command: a tool that reads its input gets end-of-file at
    // once instead of waiting on a pipe that never closes.
    process.setStandardInputFile(QProcess::nullDevice());
    start(process);

    ShellResult result;
    if (!process.waitForFinished(waitMilliseconds(m_timeLimit))) {
        killGroup(process);
        result.timedOut = true;
    }
    result.standardOutput = decodeUtf8(process.readAllStandardOutput());
    result.standardError = decodeUtf8(process.readAllStandardError());
    setEnd(result, process, m_timeLimit);
    return result;
}

std::unique_ptr<ProgramSession> ShellService::startSession(const QString& program,
                                                           const QStringList& arguments) {
    return std::make_unique<ProgramSession>(program, arguments, m_timeLimit);
}

ProgramSession::ProgramSession(const QString& program, const QStringList& arguments,
                               std::chrono::milliseconds timeLimit)
    : m_process(std::make_unique<QProcess>()), m_program(program), m_timeLimit(timeLimit) {
    prepare(*m_process, program, arguments);
    start(*m_process);
}

ProgramSession::~ProgramSession() {
    if (m_process->state() != QProcess::NotRunning)
        killGroup(*m_process);
}

void ProgramSession::timedOut() {
    killGroup(*m_process);
    throw ProcessError(m_program + QStringLiteral(": ") + timeLimitNote(m_timeLimit));
}

void ProgramSession::write(const QByteArray& data) {
    if (m_process->write(data) != data.size())
        throw ProcessError(QCoreApplication::translate("ShellService", "Could not write to %1: %2")
                               .arg(m_program, m_process->errorString()));
    while (m_process->bytesToWrite() > 0) {
        if (m_process->state() == QProcess::NotRunning)
            throw ProcessError(QCoreApplication::translate("ShellService",
                                                           "%1 ended before it had read its input.")
                                   .arg(m_program));
        if (!m_process->waitForBytesWritten(waitMilliseconds(m_timeLimit)))
            timedOut();
    }
}

std::optional<QByteArray> ProgramSession::readLine() {
    while (!m_process->canReadLine()) {
        if (m_process->state() == QProcess::NotRunning) {
            if (m_process->bytesAvailable() == 0)
                return std::nullopt;
            return m_process->readAll();
        }
        if (!m_process->waitForReadyRead(waitMilliseconds(m_timeLimit)) &&
            m_process->state() != QProcess::NotRunning)
            timedOut();
    }
    QByteArray line = m_process->readLine();
    line.chop(1);
    return line;
}

void ProgramSession::endInput() {
    m_process->closeWriteChannel();
}

ShellResult ProgramSession::finish() {
    m_process->closeWriteChannel();
    ShellResult result;
    if (m_process->state() != QProcess::NotRunning &&
        !m_process->waitForFinished(waitMilliseconds(m_timeLimit))) {
        killGroup(*m_process);
        result.timedOut = true;
    }
    result.standardError = decodeUtf8(m_process->readAllStandardError());
    setEnd(result, *m_process, m_timeLimit);
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
            problem = QCoreApplication::translate("ShellService", "Could not start %1: %2")
                          .arg(program, process.errorString());
    };
    QObject* starter = detachedStarter;
    if (starter && starter->thread() != QThread::currentThread())
        QMetaObject::invokeMethod(starter, start, Qt::BlockingQueuedConnection);
    else
        start();
    if (!problem.isEmpty())
        throw ProcessError(problem);
}
