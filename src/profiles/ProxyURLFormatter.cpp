#include "profiles/ProxyURLFormatter.h"

#include "profiles/AsciiText.h"

#include <QCoreApplication>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <cctype>

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

namespace {

// Whether the text begins with a URL scheme and "://" ("http://", "socks5h://"); a
// password that holds "://" does not make a compact address a URL.
bool startsWithScheme(const QString& text) {
    const qsizetype end = text.indexOf(QLatin1String("://"));
    return end >= 1 && text[0].unicode() < 0x80 && text[0].isLetter() &&
           AsciiText::isWord(QStringView(text).first(end), "+-.");
}

} // namespace

std::optional<QString> normalized(const std::optional<QString>& input, ProxyScheme scheme) {
    if (!input)
        return std::nullopt;
    const QString text = input->trimmed();
    if (text.isEmpty())
        return std::nullopt;
    if (startsWithScheme(text))
        return text;
    const QString prefix = ProxySchemes::rawValue(scheme) + QStringLiteral("://");
    // An IPv6 address in brackets is one host: its colons separate nothing.
    const qsizetype close = text.startsWith(u'[') ? text.indexOf(u']') : -1;
    QStringList parts = text.sliced(close + 1).split(QLatin1Char(':'), Qt::KeepEmptyParts);
    parts[0].prepend(text.first(close + 1));
    // host:port:user:pass, the port in digits (else it is the user info of an address
    // such as "user:pa:ss@host:port"); the password keeps any further colons.
    const auto isPort = [](const QString& port) {
        return !port.isEmpty() && std::all_of(port.cbegin(), port.cend(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
    };
    if (parts.size() >= 4 && isPort(parts[1]))
        return prefix + encodedUserInfo(parts[2]) + QLatin1Char(':') +
               encodedUserInfo(parts.mid(3).join(QLatin1Char(':'))) + QLatin1Char('@') + parts[0] +
               QLatin1Char(':') + parts[1];
    return prefix + text;
}

QString encodedUserInfo(const QString& text) {
    // Unreserved characters are never encoded; the sub-delimiters are kept too.
    static const QByteArray subDelimiters = QByteArrayLiteral("!$&'()*+,;=");
    const auto isHex = [](QChar c) { return c.unicode() < 0x80 && std::isxdigit(c.unicode()); };
    // Encoded a piece at a time between the escapes the text holds already, which stay.
    QByteArray encoded;
    qsizetype piece = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'%' || i + 2 >= text.size() || !isHex(text[i + 1]) || !isHex(text[i + 2]))
            continue;
        encoded += QUrl::toPercentEncoding(text.mid(piece, i - piece), subDelimiters) + '%';
        piece = i + 1;
    }
    encoded += QUrl::toPercentEncoding(text.mid(piece), subDelimiters);
    return QString::fromLatin1(encoded);
}

std::optional<QString> problem(const QString& url) {
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid())
        return QCoreApplication::translate("ProxyURLFormatter", "it is not a valid URL");
    const QString scheme = parsed.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
        !scheme.startsWith(QLatin1String("socks")))
        return QCoreApplication::translate("ProxyURLFormatter",
                                           "its scheme \"%1\" is not http, https or socks5")
            .arg(parsed.scheme());
    if (parsed.host().isEmpty())
        return QCoreApplication::translate("ProxyURLFormatter", "it has no host");
    return std::nullopt;
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

QList<QPair<QString, std::optional<QString>>> variables(const std::optional<QString>& proxy) {
    static const char* const proxyNames[] = {"HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY",
                                             "http_proxy", "https_proxy", "all_proxy"};
    const std::optional<QString> direct =
        proxy ? std::optional<QString>(QStringLiteral("localhost,127.0.0.1,::1")) : std::nullopt;
    QList<QPair<QString, std::optional<QString>>> result;
    for (const char* name : proxyNames)
        result.append({QLatin1String(name), proxy});
    result.append({QStringLiteral("NO_PROXY"), direct});
    result.append({QStringLiteral("no_proxy"), direct});
    return result;
}

} // namespace ProxyURLFormatter
