#include "desktop/Desktop.h"

#include "desktop/LinuxDesktop.h"
#include "desktop/MacDesktop.h"

namespace Assistants {

QString program(TargetIDE assistant) {
    return assistant == TargetIDE::codex ? QStringLiteral("codex") : QStringLiteral("claude");
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
