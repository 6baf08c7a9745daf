#include "cli/PolicyCheck.h"

#include "remote/CloudControlService.h"

#include <QEventLoop>

namespace PolicyCheck {

Verdict updateRequired(QString& problem) {
    // Without a policy location nothing is asked, and Qt's network library stays unloaded.
    if (!CloudControlService::configuredURL())
        return Verdict::allowed;
    Verdict verdict = Verdict::allowed;
    CloudControlService service;
    QEventLoop loop;
    service.loadPolicy([&](std::exception_ptr error, const CloudPolicyResult& result) {
        if (error) {
            problem = describeError(error);
            verdict = Verdict::unknown;
        } else if (result.isConfigured &&
                   CloudControlService::isVersion(CloudControlService::currentAppVersion(),
                                                  result.policy.minimumSupportedVersion)) {
            verdict = Verdict::updateRequired;
        }
        loop.quit();
    });
    loop.exec();
    return verdict;
}

} // namespace PolicyCheck
