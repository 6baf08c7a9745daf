// The remote policy request of the command line, in a module of its own: the command line
// loads it (and with it Qt's network library) only when a policy location is configured.

#include "remote/CloudControlService.h"

#include <QEventLoop>

#include <algorithm>
#include <cstring>

// 1: a newer version is required; 0: it is not (or nothing is configured); -1: the policy
// could not be loaded, and `problem` (of `size` bytes) says why, as UTF-8.
extern "C" Q_DECL_EXPORT int tavrinPolicyUpdateRequired(char* problem, int size) {
    CloudControlService service;
    QEventLoop loop;
    int verdict = 0;
    service.loadPolicy([&](std::exception_ptr error, const CloudPolicyResult& result) {
        if (error) {
            const QByteArray text = describeError(error).toUtf8();
            const auto length = std::min<qsizetype>(text.size(), size - 1);
            if (size > 0) {
                std::memcpy(problem, text.constData(), static_cast<size_t>(length));
                problem[length] = '\0';
            }
            verdict = -1;
        } else if (result.isConfigured &&
                   CloudControlService::isVersion(CloudControlService::currentAppVersion(),
                                                  result.policy.minimumSupportedVersion)) {
            verdict = 1;
        }
        loop.quit();
    });
    loop.exec();
    return verdict;
}
