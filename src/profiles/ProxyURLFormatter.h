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

// The six proxy variable names, always handled together and in this order.
const QStringList& variableNames();

} // namespace ProxyURLFormatter
