#include "remote/NetworkModule.h"

#include "profiles/Errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

namespace NetworkModule {
namespace {

struct Loaded {
    HttpTransportFactory create = nullptr;
    QString problem;
};

// Beside the program as the build and relocatable installs lay it out (<dir>/lib/tavrin
// next to <dir>/bin), in the macOS bundle's plug-ins, or where the package installs it.
Loaded load() {
    const QString here = QCoreApplication::applicationDirPath();
    QLibrary module;
    for (const QString& directory : {QDir(here).filePath(QStringLiteral("../lib/tavrin")),
                                     QDir(here).filePath(QStringLiteral("../PlugIns/tavrin")),
                                     QStringLiteral(TAVRIN_MODULE_DIR)}) {
        module.setFileName(QDir(directory).filePath(QStringLiteral(TAVRIN_NETWORK_MODULE)));
        if (module.load())
            break;
    }
    Loaded loaded;
    if (module.isLoaded())
        loaded.create =
            reinterpret_cast<HttpTransportFactory>(module.resolve(TAVRIN_HTTP_TRANSPORT_ENTRY));
    if (!loaded.create)
        loaded.problem = prefixedMessage(
            QStringLiteral("Tavrin's network module could not be loaded"), module.errorString());
    return loaded;
}

} // namespace

std::unique_ptr<HttpTransport> createTransport(QString& problem) {
    // Never unloaded: the transports it makes run its code until the process ends.
    static const Loaded loaded = load();
    if (!loaded.create) {
        problem = loaded.problem;
        return nullptr;
    }
    return std::unique_ptr<HttpTransport>(loaded.create());
}

} // namespace NetworkModule
