#include "profiles/AppIdentity.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>

namespace AppIdentity {

QString applicationID() {
    return QStringLiteral(TAVRIN_APP_ID);
}

void configure() {
    // "dev.tavrin.Tavrin": the domain is the id's first parts read backwards, the
    // application name its last part.
    QStringList parts = applicationID().split(QLatin1Char('.'));
    const QString name = parts.takeLast();
    std::reverse(parts.begin(), parts.end());
    QCoreApplication::setOrganizationName(name);
    QCoreApplication::setOrganizationDomain(parts.join(QLatin1Char('.')));
    QCoreApplication::setApplicationName(name);
}

} // namespace AppIdentity
