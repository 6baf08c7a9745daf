#include "desktop/Desktop.h"

#include "desktop/LinuxDesktop.h"
#include "desktop/MacDesktop.h"
#include "profiles/Logging.h"
#include "system/ShellService.h"

#include <QCoreApplication>

Desktop::~Desktop() = default;

std::shared_ptr<Desktop> Desktop::forThisSystem(std::shared_ptr<ShellService> shell) {
#ifdef Q_OS_MACOS
    return std::make_shared<MacDesktop>(std::move(shell));
#else
    return std::make_shared<LinuxDesktop>(std::move(shell));
#endif
}

QStringList Desktop::stopCodexServer(const CodexServerCommand& codex, const StepStarted& starting) {
    try {
        if (codex(QStringLiteral("version")).terminationStatus != 0)
            return {};
    } catch (const ProcessError& error) {
        qCWarning(lcDesktop) << "Could not ask Codex about its background server:"
                             << error.localizedDescription();
        return {};
    }
    if (starting)
        starting(QCoreApplication::translate("Desktop", "Stopping Codex's background server."));
    QString failure;
    try {
        const ShellResult stopped = codex(QStringLiteral("stop"));
        if (stopped.terminationStatus == 0) {
            qCInfo(lcDesktop) << "Stopped Codex's background app server";
            return {QCoreApplication::translate("Desktop", "Stopped Codex's background server.")};
        }
        failure = stopped.standardError.simplified();
    } catch (const ProcessError& error) {
        failure = error.localizedDescription();
    }
    return {prefixedMessage(
        QCoreApplication::translate("Desktop", "Codex's background server could not be stopped and "
                                               "keeps the old profile until restarted"),
        failure)};
}
