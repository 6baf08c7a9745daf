#include "profiles/ProxyURLFormatter.h"

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
    if (end < 1 || !(text[0].isLetter() && text[0].unicode() < 0x80))
        return false;
    return std::all_of(text.cbegin(), text.cbegin() + end, [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') ||
               u == u'+' || u == u'-' || u == u'.';
    });
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
    static const QByteArray kept = QByteArrayLiteral("-._~!$&'()*+,;=");
    const QByteArray utf8 = text.toUtf8();
    const auto isHex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    QString result;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const bool asciiAlphanumeric = c < 0x80 && std::isalnum(c);
        const bool escape =
            c == '%' && i + 2 < utf8.size() && isHex(utf8[i + 1]) && isHex(utf8[i + 2]);
        if (asciiAlphanumeric || kept.contains(static_cast<char>(c)) || escape)
            result += QLatin1Char(static_cast<char>(c));
        else
            result += QLatin1Char('%') +
                      QString::number(c, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    }
    return result;
}

std::optional<QString> problem(const QString& url) {
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid())
        return QStringLiteral("it is not a valid URL");
    const QString scheme = parsed.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
        !scheme.startsWith(QLatin1String("socks")))
        return QStringLiteral("its scheme \"%1\" is not http, https or socks5")
            .arg(parsed.scheme());
    if (parsed.host().isEmpty())
        return QStringLiteral("it has no host");
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
