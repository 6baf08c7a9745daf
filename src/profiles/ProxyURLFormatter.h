#pragma once

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

// The six proxy variable names, always handled together and in this order.
const QStringList& variableNames();

} // namespace ProxyURLFormatter
