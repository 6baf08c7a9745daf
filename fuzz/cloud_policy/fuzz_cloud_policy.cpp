// The remote policy: decoding the document and comparing versions. The whole input is
// decoded as a policy; its first three lines are also taken as versions. Checked:
// - a policy that cannot be read is refused with a JsonError that says why; a decoded
//   update URL is valid;
// - compareVersions is reflexive, antisymmetric and transitive, and isVersion agrees
//   with it.

#include "FuzzCheck.h"

#include "profiles/Errors.h"
#include "remote/CloudControlService.h"

#include <QStringList>

namespace {

int compare(const QString& a, const QString& b) {
    const int result = CloudControlService::compareVersions(a, b);
    Fuzz::require(result >= -1 && result <= 1, "a comparison is -1, 0 or 1");
    return result;
}

void checkVersions(const QString& a, const QString& b, const QString& c) {
    Fuzz::require(compare(a, a) == 0, "a version equals itself", a);
    Fuzz::require(compare(a, b) == -compare(b, a), "comparing is antisymmetric", a + u'|' + b);
    Fuzz::require(CloudControlService::isVersion(a, b) ==
                      (!b.trimmed().isEmpty() && compare(a, b) < 0),
                  "isVersion agrees with compareVersions", a + u'|' + b);
    if (compare(a, b) <= 0 && compare(b, c) <= 0)
        Fuzz::require(compare(a, c) <= 0, "comparing is transitive", a + u'|' + b + u'|' + c);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const CloudPolicy policy = CloudPolicy::decode(Fuzz::bytes(data, size));
        Fuzz::require(!policy.updateURL || policy.updateURL->isValid(),
                      "a decoded update URL is valid");
        const QString current = CloudControlService::currentAppVersion();
        if (policy.latestVersion && policy.minimumSupportedVersion)
            checkVersions(current, *policy.latestVersion, *policy.minimumSupportedVersion);
    } catch (const JsonError& error) {
        Fuzz::require(!error.localizedDescription().isEmpty(), "a refusal says why");
    }

    QStringList lines = Fuzz::text(data, size).split(u'\n');
    while (lines.size() < 3)
        lines.append(QString());
    checkVersions(lines[0], lines[1], lines[2]);
    checkVersions(lines[2], lines[1], lines[0]);
    checkVersions(lines[1], lines[0], lines[2]);
    return 0;
}
