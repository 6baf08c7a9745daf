// The proxy text rules. The input is taken as what a user typed, and its lines also as
// the four parts of a compact "host:port:user:pass". Checked for every input:
// - normalizing is idempotent, and keeps no surrounding space;
// - a normalized http URL shown without its scheme normalizes back to the same URL;
// - scheme() of a socks5 normalization is socks5;
// - encodedUserInfo gives plain ASCII that decodes back to the text;
// - a compact host:port:user:pass gives a usable URL whose user name and password decode
//   to the user and the password as typed.

#include "FuzzCheck.h"

#include "profiles/ProxyURLFormatter.h"

#include <QStringList>
#include <QUrl>

#include <cctype>

namespace {

bool hasEscape(const QString& text) {
    for (qsizetype i = 0; i + 2 < text.size(); ++i)
        if (text[i] == u'%' &&
            std::isxdigit(text[i + 1].unicode() < 0x80 ? text[i + 1].toLatin1() : 0) &&
            std::isxdigit(text[i + 2].unicode() < 0x80 ? text[i + 2].toLatin1() : 0))
            return true;
    return false;
}

void checkNormalized(const QString& input) {
    for (ProxyScheme scheme : ProxySchemes::allCases) {
        const std::optional<QString> url = ProxyURLFormatter::normalized(input, scheme);
        if (!url)
            continue;
        Fuzz::require(!url->isEmpty() && *url == url->trimmed(), "a normalized URL is trimmed",
                      *url);
        Fuzz::require(ProxyURLFormatter::normalized(*url, scheme) == url,
                      "normalizing is idempotent", *url);
        ProxyURLFormatter::problem(*url);
        if (*url != input.trimmed()) // not a URL as typed
            Fuzz::require(ProxyURLFormatter::scheme(*url) == scheme,
                          "a typed address gets the chosen scheme", *url);
    }
    const std::optional<QString> url = ProxyURLFormatter::normalized(input, ProxyScheme::http);
    // Not checked: a second "://" (the shown text is a URL of its own), and a password
    // with unencoded colons ("u:p:q@h:1" reads as the compact "host:port:user:pass").
    const auto ambiguous = [](const QString& rest) {
        const qsizetype at = rest.lastIndexOf(u'@');
        return rest.contains(QLatin1String("://")) || (at >= 0 && rest.first(at).count(u':') > 1);
    };
    if (url && url->startsWith(QLatin1String("http://"), Qt::CaseInsensitive) &&
        !ambiguous(url->sliced(7)) && !ProxyURLFormatter::problem(*url)) {
        // The same URL; the scheme may come back in lower case.
        const QString shown = ProxyURLFormatter::withoutScheme(url);
        const std::optional<QString> back = ProxyURLFormatter::normalized(shown, ProxyScheme::http);
        Fuzz::require(back && back->startsWith(QLatin1String("http://")) &&
                          back->sliced(7) == url->sliced(7),
                      "an http URL shown without its scheme normalizes back to itself",
                      *url + QStringLiteral(" -> ") + shown);
    }
}

void checkEncoded(const QString& text) {
    const QString encoded = ProxyURLFormatter::encodedUserInfo(text);
    for (QChar c : encoded)
        Fuzz::require(c.unicode() > 0x20 && c.unicode() < 0x7f, "encoded user info is ASCII",
                      encoded);
    if (!hasEscape(text))
        Fuzz::require(QUrl::fromPercentEncoding(encoded.toLatin1()) == text,
                      "encoded user info decodes to the text", encoded);
}

bool isPlainHost(const QString& host) {
    // A name (QUrl writes numeric hosts such as "127.1" out in full).
    if (host.isEmpty() || host.size() > 63 || !(host[0] >= u'a' && host[0] <= u'z'))
        return false;
    for (QChar c : host)
        if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'.'))
            return false;
    return !host.contains(QLatin1String("..")) && !host.endsWith(u'.');
}

void checkCompact(const QStringList& lines) {
    if (lines.size() < 4)
        return;
    const QString host = lines[0];
    const QString port = lines[1];
    const QString user = lines[2];
    const QString password = lines[3];
    bool ok = false;
    const int number = port.toInt(&ok);
    if (!isPlainHost(host) || !ok || number < 1 || number > 65535 ||
        port != QString::number(number) || user.contains(u':') || user.contains(u'\n') ||
        password.contains(u'\n') || hasEscape(user) || hasEscape(password) ||
        password != password.trimmed() || (password.isEmpty() && user.trimmed() != user))
        return;
    const QString compact = host + u':' + port + u':' + user + u':' + password;
    const std::optional<QString> url = ProxyURLFormatter::normalized(compact, ProxyScheme::http);
    Fuzz::require(url.has_value(), "a compact address normalizes", compact);
    Fuzz::require(!ProxyURLFormatter::problem(*url), "a compact address gives a usable URL", *url);
    const QUrl parsed(*url, QUrl::StrictMode);
    Fuzz::require(parsed.userName() == user && parsed.password() == password,
                  "user name and password decode to what was typed",
                  *url + QStringLiteral(" -> ") + parsed.userName() + u'|' + parsed.password());
    Fuzz::require(parsed.host() == host && parsed.port() == number, "host and port are kept", *url);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input = Fuzz::text(data, size);
    checkNormalized(input);
    checkEncoded(input);
    ProxyURLFormatter::scheme(input);
    ProxyURLFormatter::withoutScheme(input);
    const QStringList lines = input.split(u'\n');
    for (const QString& line : lines)
        checkNormalized(line);
    checkCompact(lines);
    return 0;
}
