#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <optional>

enum class ProxyScheme { http, socks5 };

namespace ProxySchemes {
inline constexpr ProxyScheme allCases[] = {ProxyScheme::http, ProxyScheme::socks5};
QString rawValue(ProxyScheme scheme);
std::optional<ProxyScheme> fromRawValue(const QString& raw);
} // namespace ProxySchemes

// Pure text rules between what the user types ("host:port:user:pass", "host:port",
// a full URL) and the proxy URL stored in a profile.
namespace ProxyURLFormatter {

std::optional<QString> normalized(const std::optional<QString>& input,
                                  ProxyScheme scheme = ProxyScheme::http);
ProxyScheme scheme(const std::optional<QString>& url);
QString withoutScheme(const std::optional<QString>& url);

// Why a proxy URL (as normalized() gives it) cannot be used, or nothing when it can: it
// must parse as a URL with an http, https or socks scheme, a host and a valid port.
std::optional<QString> problem(const QString& url);

// Percent-encodes a user name or password for the user-info part of a URL: everything but
// unreserved characters and sub-delimiters is encoded; a "%" already followed by two hex
// digits is kept as it is.
QString encodedUserInfo(const QString& text);

// The variables that hand a proxy to a program, always handled together and in this
// order: HTTP_PROXY, HTTPS_PROXY, ALL_PROXY, http_proxy, https_proxy and all_proxy with the
// proxy URL, then NO_PROXY and no_proxy with the loopback addresses, so that a program's
// calls to its own machine stay direct. Without a proxy every value is absent: all eight
// are cleared.
QList<QPair<QString, std::optional<QString>>> variables(const std::optional<QString>& proxy);

} // namespace ProxyURLFormatter
