#include "remote/LimitCheckerService.h"

#include "profiles/Background.h"
#include "profiles/Errors.h"
#include "profiles/KeyStorage.h"
#include "remote/HttpFetcher.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QStringDecoder>
#include <QTextBoundaryFinder>
#include <QUrl>

#include <algorithm>

namespace {

QString noEndpointText() {
    return QCoreApplication::translate("LimitCheckerService", "No limits endpoint");
}

QString keyMissingText() {
    return QCoreApplication::translate("LimitCheckerService", "API key missing");
}

// The names a limits answer is searched for, best first.
const QStringList preferredNames = {
    QStringLiteral("remaining"),
    QStringLiteral("credits_remaining"),
    QStringLiteral("credit_remaining"),
    QStringLiteral("requests_remaining"),
    QStringLiteral("limit_remaining"),
    QStringLiteral("quota_remaining"),
    QStringLiteral("balance"),
    QStringLiteral("credits"),
    QStringLiteral("usage"),
};

constexpr int fallbackLength = 80;

QString trimmedEndpoint(const Profile& profile) {
    return profile.limitsEndpoint.value_or(QString()).trimmed();
}

// A number as plain text: integers exactly, other values in their shortest form.
QString numberText(const QJsonValue& value) {
    const QVariant variant = value.toVariant();
    if (variant.typeId() == QMetaType::LongLong || variant.typeId() == QMetaType::Int)
        return QString::number(variant.toLongLong());
    return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
}

// First letter of every word upper case, the rest lower case.
QString capitalizedWords(const QString& text) {
    QString result;
    result.reserve(text.size());
    bool atWordStart = true;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype width =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()
                ? 2
                : 1;
        const QString character = text.mid(i, width);
        if (character.at(0).isSpace()) {
            result += character;
            atWordStart = true;
        } else {
            result += atWordStart ? character.toUpper() : character.toLower();
            atWordStart = false;
        }
        i += width;
    }
    return result;
}

QString labelForKeyPath(const QString& keyPath) {
    const QStringList pieces = keyPath.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return keyPath;
    QString last = pieces.last();
    last.replace(QLatin1Char('_'), QLatin1Char(' '));
    return capitalizedWords(last);
}

// The first `count` user-perceived characters.
QString leadingCharacters(const QString& text, int count) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int i = 0; i < count; ++i) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            return text;
        end = next;
    }
    return text.left(end);
}

bool isUsableInHeader(const QString& key) {
    return std::none_of(key.cbegin(), key.cend(), [](QChar c) {
        return c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0);
    });
}

} // namespace

LimitStatus LimitStatus::idle(const Profile& profile, bool hasAPIKey) {
    LimitStatus status;
    status.id = profile.id;
    status.profileID = profile.id;
    status.profileName = profile.name;
    if (trimmedEndpoint(profile).isEmpty()) {
        status.text = noEndpointText();
        status.isConfigured = false;
    } else {
        status.text = hasAPIKey
                          ? QCoreApplication::translate("LimitCheckerService", "Ready to check")
                          : keyMissingText();
        status.isConfigured = hasAPIKey;
    }
    return status;
}

LimitCheckerService::LimitCheckerService(std::shared_ptr<KeyStore> keyStore)
    : m_keys(keyStore ? std::move(keyStore) : std::make_shared<KeyStorage>()),
      m_fetcher(std::make_unique<HttpFetcher>()) {}

LimitCheckerService::~LimitCheckerService() = default;

namespace {

// Every status carries the profile and the moment it was made.
struct Answer {
    QString id;
    QString name;
    std::function<void(const LimitStatus&)> done;

    void operator()(const QString& text, bool isConfigured, bool failed,
                    const QStringList& details = {}, int httpStatus = 0) const {
        LimitStatus status;
        status.id = id;
        status.profileID = id;
        status.profileName = name;
        status.text = text;
        status.isConfigured = isConfigured;
        status.checkedAt = QDateTime::currentDateTime();
        status.failed = failed;
        status.details = details;
        status.httpStatus = httpStatus;
        done(status);
    }
};

// Asks the endpoint with the key and answers with what it said.
void ask(HttpFetcher& fetcher, const QUrl& url, const std::optional<QString>& key,
         std::chrono::milliseconds timeout, const Answer& answer) {
    if (!key || key->isEmpty()) {
        answer(keyMissingText(), false, false);
        return;
    }
    // Only HTTP(S) endpoints get the key; anything else could never answer over HTTP.
    const QString scheme = url.scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        answer(QCoreApplication::translate("LimitCheckerService", "Unexpected response"), true,
               true);
        return;
    }
    // A line break in the key would end the header and start another one.
    if (!isUsableInHeader(*key)) {
        answer(QCoreApplication::translate("LimitCheckerService", "API key contains a line break"),
               true, true);
        return;
    }

    HttpRequest request;
    request.url = url;
    request.timeout = timeout;
    request.maximumBodySize = LimitCheckerService::maximumBodySize;
    request.headers = {
        {QByteArrayLiteral("Authorization"), QByteArrayLiteral("Bearer ") + key->toUtf8()},
        {QByteArrayLiteral("Accept"), QByteArrayLiteral("application/json")}};
    // The key is never sent on to wherever a redirect points: a redirect is an answer.
    request.followRedirects = false;
    fetcher.get(request, [answer](const HttpResponse& response) {
        using Outcome = HttpResponse::Outcome;
        switch (response.outcome) {
        case Outcome::transportError:
            answer(response.errorText, true, true);
            return;
        case Outcome::notHttp:
            answer(QCoreApplication::translate("LimitCheckerService", "Unexpected response"), true,
                   true);
            return;
        case Outcome::tooLarge:
            answer(QCoreApplication::translate("LimitCheckerService", "Response larger than %1 MB")
                       .arg(LimitCheckerService::maximumBodySize / (1024 * 1024)),
                   true, true);
            return;
        case Outcome::received:
            if (!response.isSuccess()) {
                answer(QStringLiteral("HTTP %1").arg(response.statusCode), true, true, {},
                       response.statusCode);
                return;
            }
            answer(LimitCheckerService::describeLimitPayload(response.body)
                       .value_or(QCoreApplication::translate("LimitCheckerService", "Checked")),
                   true, false,
                   LimitCheckerService::describeLimitDetails(response.body,
                                                             LimitCheckerService::maximumDetails));
            return;
        }
    });
}

} // namespace

void LimitCheckerService::check(const Profile& profile,
                                std::function<void(const LimitStatus&)> done) {
    const Answer answer{profile.id, profile.name, std::move(done)};
    const QString endpoint = trimmedEndpoint(profile);
    const QUrl url(endpoint, QUrl::StrictMode);
    if (endpoint.isEmpty() || !url.isValid() || url.isRelative()) {
        m_fetcher->post([answer] { answer(noEndpointText(), false, false); });
        return;
    }
    // Read off this thread: the keyring may first ask for its password.
    if (!m_keyContext)
        m_keyContext = std::make_unique<QObject>();
    auto key = std::make_shared<std::optional<QString>>();
    Background::run(
        m_keyContext.get(), [keys = m_keys, id = profile.id, key] { *key = keys->apiKey(id); },
        [this, url, key, answer](std::exception_ptr error) {
            // A key store that cannot be read is said so, never taken for a missing key.
            if (error)
                answer(describeError(error), true, true);
            else
                ask(*m_fetcher, url, *key, m_requestTimeout, answer);
        });
}

namespace {

// The pairs of a JSON body, or none when it is not JSON.
std::optional<QList<QPair<QString, QString>>> payloadPairs(const QByteArray& body) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return std::nullopt;
    return LimitCheckerService::flatten(document.isArray() ? QJsonValue(document.array())
                                                           : QJsonValue(document.object()),
                                        QString());
}

// The index of the pair the answer's text shows: the best preferred name, else the first.
qsizetype pickedPair(const QList<QPair<QString, QString>>& pairs) {
    for (const QString& name : preferredNames)
        for (qsizetype i = 0; i < pairs.size(); ++i)
            if (pairs.at(i).first.toLower().endsWith(name))
                return i;
    return pairs.isEmpty() ? -1 : 0;
}

QString describePair(const QPair<QString, QString>& pair) {
    return labelForKeyPath(pair.first) + QStringLiteral(": ") +
           LimitCheckerService::displayValue(pair.second);
}

} // namespace

QString LimitCheckerService::displayValue(const QString& value) {
    const QLocale locale;
    if (value.size() == 10) {
        const QDate date = QDate::fromString(value, Qt::ISODate);
        return date.isValid() ? locale.toString(date, QLocale::LongFormat) : value;
    }
    if (value.size() < 16 || value.at(10) != QLatin1Char('T'))
        return value;
    const QDateTime moment = QDateTime::fromString(value, Qt::ISODate);
    if (!moment.isValid())
        return value;
    // Midnight names a day, which stays the day it names in every time zone.
    if (moment.time() == QTime(0, 0))
        return locale.toString(moment.date(), QLocale::LongFormat);
    const QDateTime local = moment.toLocalTime();
    return locale.toString(local.date(), QLocale::LongFormat) + QLatin1Char(' ') +
           locale.toString(local.time(), QLocale::ShortFormat);
}

std::optional<QString> LimitCheckerService::describeLimitPayload(const QByteArray& body) {
    if (const auto pairs = payloadPairs(body)) {
        const qsizetype picked = pickedPair(*pairs);
        if (picked < 0)
            return std::nullopt;
        return describePair(pairs->at(picked));
    }

    // Not JSON: show the start of the text as it came.
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(body);
    if (decoder.hasError())
        return std::nullopt;
    return leadingCharacters(text, fallbackLength);
}

QStringList LimitCheckerService::describeLimitDetails(const QByteArray& body, int count) {
    QStringList lines;
    const auto pairs = payloadPairs(body);
    if (!pairs)
        return lines;
    const qsizetype picked = pickedPair(*pairs);
    for (qsizetype i = 0; i < pairs->size() && lines.size() < count; ++i)
        if (i != picked)
            lines << describePair(pairs->at(i));
    return lines;
}

std::optional<QList<QPair<QString, QString>>> LimitCheckerService::flatten(const QJsonValue& value,
                                                                           const QString& prefix) {
    using Pairs = QList<QPair<QString, QString>>;
    switch (value.type()) {
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        // Keys in ascending order of their Unicode scalar values.
        QStringList keys = object.keys();
        std::sort(keys.begin(), keys.end(),
                  [](const QString& a, const QString& b) { return a.toUcs4() < b.toUcs4(); });
        Pairs pairs;
        for (const QString& key : std::as_const(keys)) {
            const QString path = prefix.isEmpty() ? key : prefix + QLatin1Char('.') + key;
            if (const auto child = flatten(object.value(key), path))
                pairs += *child;
        }
        return pairs;
    }
    case QJsonValue::Array: {
        const QJsonArray array = value.toArray();
        Pairs pairs;
        for (qsizetype i = 0; i < array.size(); ++i) {
            const QString path = prefix + QLatin1Char('[') + QString::number(i) + QLatin1Char(']');
            if (const auto child = flatten(array.at(i), path))
                pairs += *child;
        }
        return pairs;
    }
    case QJsonValue::Bool:
        return Pairs{{prefix, value.toBool() ? QStringLiteral("1") : QStringLiteral("0")}};
    case QJsonValue::Double:
        return Pairs{{prefix, numberText(value)}};
    case QJsonValue::String:
        return Pairs{{prefix, value.toString()}};
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return std::nullopt;
    }
    return std::nullopt;
}
