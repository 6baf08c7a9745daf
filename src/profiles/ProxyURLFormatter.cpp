#include "profiles/ProxyURLFormatter.h"

#include <QStringList>

namespace ProxySchemes {

QString rawValue(ProxyScheme scheme) {
    return scheme == ProxyScheme::socks5 ? QStringLiteral("socks5") : QStringLiteral("http");
}

std::optional<ProxyScheme> fromRawValue(const QString& raw) {
    for (ProxyScheme scheme : allCases)
        if (rawValue(scheme) == raw)
            return scheme;
    return std::nullopt;
}

} // namespace ProxySchemes

namespace ProxyURLFormatter {

std::optional<QString> normalized(const std::optional<QString>& input, ProxyScheme scheme) {
    if (!input)
        return std::nullopt;
    const QString text = input->trimmed();
    if (text.isEmpty())
        return std::nullopt;
    if (text.contains(QLatin1String("://")))
        return text;
    const QString prefix = ProxySchemes::rawValue(scheme) + QStringLiteral("://");
    const QStringList parts = text.split(QLatin1Char(':'), Qt::KeepEmptyParts);
    if (parts.size() == 4)
        return prefix + parts[2] + QLatin1Char(':') + parts[3] + QLatin1Char('@') + parts[0] +
               QLatin1Char(':') + parts[1];
    return prefix + text;
}

ProxyScheme scheme(const std::optional<QString>& url) {
    if (!url)
        return ProxyScheme::http;
    return url->trimmed().toLower().startsWith(QLatin1String("socks5://")) ? ProxyScheme::socks5
                                                                           : ProxyScheme::http;
}

QString withoutScheme(const std::optional<QString>& url) {
    const std::optional<QString> n = normalized(url, ProxyScheme::http);
    if (!n)
        return QString();
    const QString lower = n->toLower();
    if (lower.startsWith(QLatin1String("http://")))
        return n->mid(7);
    if (lower.startsWith(QLatin1String("socks5://")))
        return n->mid(9);
    return *n;
}

const QStringList& variableNames() {
    static const QStringList names{QStringLiteral("HTTP_PROXY"),  QStringLiteral("HTTPS_PROXY"),
                                   QStringLiteral("ALL_PROXY"),   QStringLiteral("http_proxy"),
                                   QStringLiteral("https_proxy"), QStringLiteral("all_proxy")};
    return names;
}

} // namespace ProxyURLFormatter
