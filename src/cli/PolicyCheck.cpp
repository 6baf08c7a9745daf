#include "cli/PolicyCheck.h"

#include "remote/CloudControlService.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace PolicyCheck {

Verdict updateRequired(QString& problem) {
    if (!CloudControlService::configuredURL())
        return Verdict::allowed;
    // Next to the program in a build folder, or where the package installs it.
    const QString here = QCoreApplication::applicationDirPath();
    QLibrary module;
    for (const QString& directory : {here, QDir(here).filePath(QStringLiteral("../lib/tavrin")),
                                     QStringLiteral(TAVRIN_MODULE_DIR)}) {
        module.setFileName(QDir(directory).filePath(QStringLiteral("tavrin-policy")));
        if (module.load())
            break;
    }
    using Check = int (*)(char*, int);
    const auto check = module.isLoaded()
                           ? reinterpret_cast<Check>(module.resolve("tavrinPolicyUpdateRequired"))
                           : nullptr;
    if (!check) {
        problem = QStringLiteral("the policy module is missing (%1)").arg(module.errorString());
        return Verdict::unknown;
    }
    char text[1024] = {};
    switch (check(text, sizeof text)) {
    case 1:
        return Verdict::updateRequired;
    case 0:
        return Verdict::allowed;
    default:
        problem = QString::fromUtf8(text);
        return Verdict::unknown;
    }
}

} // namespace PolicyCheck
