#include "desktop/Desktop.h"

#include "desktop/LinuxDesktop.h"
#include "desktop/MacDesktop.h"

namespace Assistants {

QString displayName(Assistant assistant) {
    return assistant == Assistant::codex ? QStringLiteral("Codex") : QStringLiteral("Claude Code");
}

QString program(Assistant assistant) {
    return assistant == Assistant::codex ? QStringLiteral("codex") : QStringLiteral("claude");
}

} // namespace Assistants

Desktop::~Desktop() = default;

std::shared_ptr<Desktop> Desktop::forThisSystem(std::shared_ptr<ShellService> shell) {
#ifdef Q_OS_MACOS
    return std::make_shared<MacDesktop>(std::move(shell));
#else
    return std::make_shared<LinuxDesktop>(std::move(shell));
#endif
}
