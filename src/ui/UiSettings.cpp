#include "ui/UiSettings.h"

#include <QSettings>
#include <QStandardPaths>

namespace {

const QString targetKey = QStringLiteral("window/target");

// Named by its path, which is computed afresh each time from the user's folders.
QSettings settings() {
    return QSettings(UiSettings::filePath(), QSettings::IniFormat);
}

} // namespace

namespace UiSettings {

QString filePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tavrin/Tavrin.conf");
}

TargetIDE lastTarget() {
    return TargetIDEs::fromRawValue(settings().value(targetKey).toString())
        .value_or(TargetIDE::claude);
}

void saveLastTarget(TargetIDE target) {
    QSettings file = settings();
    file.setValue(targetKey, TargetIDEs::rawValue(target));
}

} // namespace UiSettings
