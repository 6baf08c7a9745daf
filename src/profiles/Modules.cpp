#include "profiles/Modules.h"

#include "profiles/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace Modules {

QFunctionPointer entryPoint(const QString& fileName, const char* entry, const QString& name,
                            QString& problem) {
    const QString here = QCoreApplication::applicationDirPath();
    QLibrary module;
    for (const QString& directory : {QDir(here).filePath(QStringLiteral("../lib/tavrin")),
                                     QDir(here).filePath(QStringLiteral("../PlugIns/tavrin")),
                                     QStringLiteral(TAVRIN_MODULE_DIR)}) {
        module.setFileName(QDir(directory).filePath(fileName));
        if (module.load())
            break;
    }
    const QFunctionPointer found = module.isLoaded() ? module.resolve(entry) : nullptr;
    if (!found)
        problem = prefixedMessage(
            QCoreApplication::translate("Modules", "Tavrin's %1 module could not be loaded")
                .arg(name),
            module.errorString());
    return found;
}

} // namespace Modules
