// Starting Tavrin when the user logs in: an XDG autostart entry on Linux, a login item
// of System Events on macOS.

#include "desktop/LinuxDesktop.h"
#include "desktop/MacDesktop.h"

#include "profiles/FileUtil.h"
#include "system/ShellService.h"

#include <QStandardPaths>

namespace {

const QString loginItemName = QStringLiteral("Tavrin");

// An argument of an Exec line: quoted when it holds a character the line reserves, with
// the characters that stay special inside the quotes escaped.
QString execArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (!std::any_of(argument.begin(), argument.end(),
                     [](QChar c) { return reserved.contains(c); }))
        return argument;
    QString quoted;
    for (QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// A value of a desktop entry: its own escapes for backslash and line breaks.
QString entryValue(QString value) {
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    value.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return value;
}

} // namespace

QString LinuxDesktop::autostartPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/dev.tavrin.Tavrin.desktop");
}

QByteArray LinuxDesktop::autostartEntry(const QString& program) {
    const QString exec = execArgument(program) + QStringLiteral(" --background");
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Tavrin\n"
                          "Comment=Keeps Tavrin ready in the tray\n"
                          "Exec=%1\n"
                          "Icon=dev.tavrin.Tavrin\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(entryValue(exec))
        .toUtf8();
}

bool LinuxDesktop::startsAtLogin() {
    const QString path = autostartPath();
    if (!FileUtil::exists(path))
        return false;
    // An entry that the desktop's own settings switched off does not start anything.
    const QByteArray entry = FileUtil::readAll(path);
    return !entry.contains("\nHidden=true") && !entry.contains("\nX-GNOME-Autostart-enabled=false");
}

void LinuxDesktop::setStartsAtLogin(bool enabled, const QString& application) {
    const QString path = autostartPath();
    if (!enabled) {
        FileUtil::remove(path);
        return;
    }
    FileUtil::makePath(path.section(QLatin1Char('/'), 0, -2));
    FileUtil::writeAtomically(path, autostartEntry(application));
}

QString MacDesktop::loginItemCommand(bool enabled, const QString& application) {
    const QString script =
        enabled ? QStringLiteral("tell application \"System Events\" to make login item at end "
                                 "with properties {path:\"%1\", hidden:true}")
                      .arg(QString(application)
                               .replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                               .replace(QLatin1Char('"'), QStringLiteral("\\\"")))
                : QStringLiteral("tell application \"System Events\" to delete every login item "
                                 "whose name is \"%1\"")
                      .arg(loginItemName);
    return QStringLiteral("osascript -e \"") + shellDoubleQuoted(script) + QLatin1Char('"');
}

bool MacDesktop::startsAtLogin() {
    const ShellResult result = m_shell->run(QStringLiteral(
        "osascript -e 'tell application \"System Events\" to get the name of every login item'"));
    if (result.terminationStatus != 0)
        return false;
    const QStringList names = result.standardOutput.trimmed().split(QStringLiteral(", "));
    return names.contains(loginItemName);
}

void MacDesktop::setStartsAtLogin(bool enabled, const QString& application) {
    // One item at most: an old one (another path) goes before the new one is made.
    runChecked(loginItemCommand(false, application));
    if (enabled)
        runChecked(loginItemCommand(true, application));
}
