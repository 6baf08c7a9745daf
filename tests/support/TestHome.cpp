#include "support/TestHome.h"

#include "profiles/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

TestHome::TestHome() {
    QVERIFY2(m_dir.isValid(), "cannot create a temporary home");
    m_oldHome = qgetenv("HOME");
    m_oldXdgConfig = qgetenv("XDG_CONFIG_HOME");
    m_oldXdgData = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", QFile::encodeName(m_dir.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/.config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/.local/share")));
    AppPaths::setHomeDirectoryOverride(m_dir.path());
    // The login shell must read its start-up files from the temporary home only.
    qunsetenv("ZDOTDIR");
}

TestHome::~TestHome() {
    AppPaths::setHomeDirectoryOverride(QString());
    qputenv("HOME", m_oldHome);
    if (m_oldXdgConfig.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_oldXdgConfig);
    if (m_oldXdgData.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", m_oldXdgData);
}

QString TestHome::file(const QString& relative) const {
    return m_dir.path() + QLatin1Char('/') + relative;
}

void TestHome::write(const QString& relative, const QByteArray& data) const {
    const QString path = file(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    f.write(data);
}

QByteArray TestHome::read(const QString& relative) const {
    QFile f(file(relative));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

bool TestHome::exists(const QString& relative) const {
    return QFileInfo::exists(file(relative));
}

QStringList TestHome::entries(const QString& relative) const {
    return QDir(file(relative))
        .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

namespace {

QByteArray shellQuote(const QString& text) {
    QByteArray bytes = QFile::encodeName(text);
    bytes.replace('\'', "'\\''");
    return '\'' + bytes + '\'';
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

StandIns::StandIns(const QString& directory, const QStringList& tools)
    : m_bin(directory + QStringLiteral("/bin")), m_records(directory + QStringLiteral("/records")) {
    QDir().mkpath(m_bin);
    QDir().mkpath(m_records);
    for (const QString& tool : tools) {
        const QByteArray name = tool.toUtf8();
        QByteArray script = "#!/bin/sh\n"
                            "d=" +
                            shellQuote(m_records) +
                            "\n"
                            "t=" +
                            name +
                            "\n"
                            "n=$(cat \"$d/$t.count\" 2>/dev/null || echo 0)\n"
                            "n=$((n+1))\n"
                            "echo \"$n\" > \"$d/$t.count\"\n"
                            ": > \"$d/$t.$n.args\"\n"
                            "for a in \"$@\"; do printf '%s\\0' \"$a\" >> \"$d/$t.$n.args\"; done\n"
                            "printf '%s' \"$t\" >> \"$d/calls.log\"\n"
                            "for a in \"$@\"; do printf ' %s' \"$a\" >> \"$d/calls.log\"; done\n"
                            "printf '\\n' >> \"$d/calls.log\"\n";
        if (tool == QLatin1String("osascript"))
            script += "if [ $# -eq 0 ]; then cat > \"$d/$t.$n.stdin\"; fi\n";
        script += "[ -f \"$d/$t.stderr\" ] && cat \"$d/$t.stderr\" >&2\n"
                  "exit $(cat \"$d/$t.status\" 2>/dev/null || echo 0)\n";
        QFile f(m_bin + QLatin1Char('/') + tool);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(script);
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    m_oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_bin) + ':' + m_oldPath);
}

StandIns::~StandIns() {
    qputenv("PATH", m_oldPath);
}

void StandIns::setResult(const QString& tool, int status, const QByteArray& standardError) {
    QFile s(m_records + QLatin1Char('/') + tool + QStringLiteral(".status"));
    QVERIFY(s.open(QIODevice::WriteOnly | QIODevice::Truncate));
    s.write(QByteArray::number(status));
    QFile e(m_records + QLatin1Char('/') + tool + QStringLiteral(".stderr"));
    QVERIFY(e.open(QIODevice::WriteOnly | QIODevice::Truncate));
    e.write(standardError);
}

int StandIns::callCount(const QString& tool) const {
    return readFile(m_records + QLatin1Char('/') + tool + QStringLiteral(".count"))
        .trimmed()
        .toInt();
}

QStringList StandIns::arguments(const QString& tool, int call) const {
    const QByteArray data = readFile(m_records + QStringLiteral("/%1.%2.args").arg(tool).arg(call));
    QStringList args;
    for (const QByteArray& part : data.split('\0'))
        args << QString::fromUtf8(part);
    if (!args.isEmpty())
        args.removeLast(); // after the last NUL
    return args;
}

QByteArray StandIns::standardInput(const QString& tool, int call) const {
    return readFile(m_records + QStringLiteral("/%1.%2.stdin").arg(tool).arg(call));
}

QStringList StandIns::callLog() const {
    QStringList lines = QString::fromUtf8(readFile(m_records + QStringLiteral("/calls.log")))
                            .split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void StandIns::reset() {
    QDir(m_records).removeRecursively();
    QDir().mkpath(m_records);
}
