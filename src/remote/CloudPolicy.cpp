#include "remote/CloudControlService.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSettings>

#ifdef Q_OS_MACOS
#include "profiles/AppIdentity.h"

#include <CoreFoundation/CoreFoundation.h>
#endif

// The parts of the remote policy that need no network: decoding the document, finding
// where it lives and comparing versions. They are kept apart from the request so that a
// program that only reads the configuration (the command line) loads no network library.

// CloudPolicy

namespace {

// A listed key: absent when missing, null or blank; anything but a string is an error.
std::optional<QString> policyString(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isString())
        throw JsonError(
            QCoreApplication::translate("CloudPolicy", "The cloud policy's \"%1\" is not a string.")
                .arg(key));
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

} // namespace

CloudPolicy CloudPolicy::decode(const QByteArray& data) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw JsonError(prefixedMessage(
            QCoreApplication::translate("CloudPolicy", "The cloud policy is not valid JSON"),
            parseError.errorString()));
    if (!document.isObject())
        throw JsonError(
            QCoreApplication::translate("CloudPolicy", "The cloud policy is not a JSON object."));
    const QJsonObject object = document.object();

    CloudPolicy policy;
    policy.latestVersion = policyString(object, QStringLiteral("latest_version"));
    policy.minimumSupportedVersion =
        policyString(object, QStringLiteral("minimum_supported_version"));
    if (const auto text = policyString(object, QStringLiteral("update_url"))) {
        const QUrl url(*text, QUrl::StrictMode);
        if (url.isValid())
            policy.updateURL = url;
    }
    policy.announcement = policyString(object, QStringLiteral("announcement"));
    return policy;
}

// Configuration and versions

namespace {

std::optional<QVariantMap>& infoDictionaryOverrideValues() {
    static std::optional<QVariantMap> values;
    return values;
}

} // namespace

void CloudControlService::setInfoDictionaryOverride(const std::optional<QVariantMap>& values) {
    infoDictionaryOverrideValues() = values;
}

namespace {

// The user's setting: QSettings under the application's organisation and name. On macOS
// the domain is the bundle id (~/Library/Preferences/dev.tavrin.Tavrin.plist, and what a
// configuration profile sets there), for the command line too, in the bundle or not.
// Settings kept in files (tests) are read through QSettings there as well.
QVariant userDefaultsValue(const QString& key) {
#ifdef Q_OS_MACOS
    if (QSettings::defaultFormat() == QSettings::NativeFormat) {
        const CFStringRef cfKey = key.toCFString();
        const CFStringRef domain = AppIdentity::applicationID().toCFString();
        const CFPropertyListRef value = CFPreferencesCopyAppValue(cfKey, domain);
        CFRelease(domain);
        CFRelease(cfKey);
        QVariant text;
        if (value && CFGetTypeID(value) == CFStringGetTypeID())
            text = QString::fromCFString(static_cast<CFStringRef>(value));
        if (value)
            CFRelease(value);
        return text;
    }
#endif
    return QSettings().value(key);
}

} // namespace

std::optional<QString> CloudControlService::userDefaultsURLValue(const QString& key) {
    const QVariant value = userDefaultsValue(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

std::optional<QString> CloudControlService::infoDictionaryString(const QString& key) {
    if (const std::optional<QVariantMap>& values = infoDictionaryOverrideValues()) {
        const QVariant value = values->value(key);
        if (value.typeId() != QMetaType::QString)
            return std::nullopt;
        return value.toString();
    }
#ifdef Q_OS_MACOS
    // In the app bundle (the app, or the command line in Contents/MacOS) its Info.plist
    // answers; a program outside any bundle falls through to the build's values.
    CFBundleRef bundle = CFBundleGetMainBundle();
    if (bundle && CFBundleGetIdentifier(bundle)) {
        CFStringRef cfKey = key.toCFString();
        CFTypeRef value = CFBundleGetValueForInfoDictionaryKey(bundle, cfKey);
        CFRelease(cfKey);
        if (!value || CFGetTypeID(value) != CFStringGetTypeID())
            return std::nullopt;
        return QString::fromCFString(static_cast<CFStringRef>(value));
    }
#endif
    // Without a bundle the build bakes in the same two values.
    if (key == QLatin1String("CFBundleShortVersionString"))
        return QStringLiteral(TAVRIN_VERSION);
    if (key == QLatin1String("CloudPolicyURL"))
        return QStringLiteral(TAVRIN_CLOUD_POLICY_URL);
    return std::nullopt;
}

std::optional<QUrl> CloudControlService::configuredURL(const QString& defaultsKey,
                                                       const QString& infoPlistKey) {
    QString text = userDefaultsURLValue(defaultsKey)
                       .value_or(infoDictionaryString(infoPlistKey).value_or(QString()));
    text = text.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    // Placeholders left in a template configuration count as nothing configured.
    if (text.contains(QLatin1String("YOUR_DOMAIN")))
        return std::nullopt;
    if (text.contains(QLatin1String("example.com"), Qt::CaseInsensitive))
        return std::nullopt;

    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return std::nullopt;
    // QUrl lowercases the scheme; the test is on the scheme exactly as written.
    const QString scheme = text.left(text.indexOf(QLatin1Char(':')));
    if (scheme == QLatin1String("https"))
        return url;
    if (scheme == QLatin1String("http")) {
        const QString host = url.host().toLower();
        if (host == QLatin1String("localhost") || host == QLatin1String("127.0.0.1") ||
            host == QLatin1String("::1"))
            return url;
    }
    return std::nullopt;
}

QString CloudControlService::currentAppVersion() {
    return infoDictionaryString(QStringLiteral("CFBundleShortVersionString"))
        .value_or(QStringLiteral("0"));
}

QVersionNumber CloudControlService::versionNumber(const QString& version) {
    QList<int> segments;
    const QStringList pieces = version.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    for (const QString& piece : pieces) {
        // The leading run of numeric characters; only ASCII digits give a value.
        qsizetype end = 0;
        while (end < piece.size()) {
            char32_t c = piece.at(end).unicode();
            qsizetype width = 1;
            if (piece.at(end).isHighSurrogate() && end + 1 < piece.size() &&
                piece.at(end + 1).isLowSurrogate()) {
                c = QChar::surrogateToUcs4(piece.at(end), piece.at(end + 1));
                width = 2;
            }
            if (!QChar::isNumber(c))
                break;
            end += width;
        }
        const QString run = piece.left(end);
        bool ascii = !run.isEmpty();
        for (const QChar c : std::as_const(run))
            ascii = ascii && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        bool ok = false;
        const int value = ascii ? run.toInt(&ok, 10) : 0;
        segments.append(ok ? value : 0);
    }
    return QVersionNumber(std::move(segments)).normalized();
}

int CloudControlService::compareVersions(const QString& a, const QString& b) {
    const int order = QVersionNumber::compare(versionNumber(a), versionNumber(b));
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

bool CloudControlService::isVersion(const QString& version,
                                    const std::optional<QString>& olderThan) {
    if (!olderThan || olderThan->trimmed().isEmpty())
        return false;
    return compareVersions(version, *olderThan) < 0;
}
