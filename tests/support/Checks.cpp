#include "support/Checks.h"

#include "support/TestHome.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

QString errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const TavrinError& error) {
        return error.localizedDescription();
    }
    return {};
}

int modeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

ProcessRun runProcess(const QString& program, const QStringList& arguments, const QByteArray& input,
                      const QProcessEnvironment& environment,
                      const std::function<void()>& inChild) {
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    if (inChild)
        process.setChildProcessModifier(inChild);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(30000);
    const bool normal = finished && process.exitStatus() == QProcess::NormalExit;
    return {normal ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

QProcessEnvironment environmentWithoutDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

QString sqlite(const QString& database, const QByteArray& script) {
    return QString::fromUtf8(
        runProcess("/usr/bin/sqlite3", {"-init", "/dev/null", database}, script).out);
}

void writeInterruptedCodexSwitch(const TestHome& home) {
    home.write(".codex/config.toml", "model = \"new\"\n");
    home.write(".codex/backups/config-old.toml", "model = \"old\"\n");
    const QJsonObject change{{"path", home.file(".codex/config.toml")},
                             {"existed", true},
                             {"copy", home.file(".codex/backups/config-old.toml")}};
    QJsonObject journal = QJsonDocument::fromJson(R"({"target": "Codex", "profile": "velqor-1",
        "profile_name": "Velqor 1", "active_before": "chatgpt", "started": "2026-01-02T03:04:05"})")
                              .object();
    journal.insert("changes", QJsonArray{change});
    home.write(".codex/tavrin/switch-journal.json", QJsonDocument(journal).toJson());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    file.write(data);
}

void makeEntry(const QString& path, const QByteArray& what) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    const QByteArray name = QFile::encodeName(path);
    if (what == "fifo")
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    else if (what == "folder")
        QVERIFY(QDir().mkpath(path));
    else if (what.startsWith("link:"))
        QCOMPARE(::symlink(what.mid(5).constData(), name.constData()), 0);
    else
        writeFile(path, what);
}

unsigned long limitFileSize(unsigned long bytes) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    const rlim_t before = limit.rlim_cur;
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    return static_cast<unsigned long>(before);
}
