#include "remote/LimitCheckerService.h"

#include "profiles/Errors.h"
#include "remote/HttpFetcher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QStringDecoder>
#include <QTextBoundaryFinder>
#include <QUrl>

#include <algorithm>

namespace {

const QString noEndpointText = QStringLiteral("No limits endpoint");
const QString keyMissingText = QStringLiteral("API key missing");

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
        status.text = noEndpointText;
        status.isConfigured = false;
    } else {
        status.text = hasAPIKey ? QStringLiteral("Ready to check") : keyMissingText;
        status.isConfigured = hasAPIKey;
    }
    return status;
}

LimitCheckerService::LimitCheckerService(std::shared_ptr<LocalKeysService> localKeysService)
    : m_keys(localKeysService ? std::move(localKeysService) : std::make_shared<LocalKeysService>()),
      m_fetcher(std::make_unique<HttpFetcher>()) {}

LimitCheckerService::~LimitCheckerService() = default;

void LimitCheckerService::check(const Profile& profile,
                                std::function<void(const LimitStatus&)> done) {
    // Every status carries the profile and the moment it was made.
    auto answer = [id = profile.id, name = profile.name,
                   done](const QString& text, bool isConfigured, bool failed,
                         const QStringList& details = {}, int httpStatus = 0) {
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
    };
    auto answerLater = [this, answer](const QString& text, bool isConfigured, bool failed) {
        m_fetcher->post(
            [answer, text, isConfigured, failed] { answer(text, isConfigured, failed); });
    };

    const QString endpoint = trimmedEndpoint(profile);
    const QUrl url(endpoint, QUrl::StrictMode);
    if (endpoint.isEmpty() || !url.isValid() || url.isRelative()) {
        answerLater(noEndpointText, false, false);
        return;
    }

    std::optional<QString> key;
    try {
        key = m_keys->apiKey(profile.id);
    } catch (const TavrinError& error) {
        // The key file cannot be read: say so, it is not a missing key.
        answerLater(error.localizedDescription(), true, true);
        return;
    }
    if (!key || key->isEmpty()) {
        answerLater(keyMissingText, false, false);
        return;
    }

    // Only HTTP(S) endpoints get the key; anything else could never answer over HTTP.
    const QString scheme = url.scheme();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        answerLater(QStringLiteral("Unexpected response"), true, true);
        return;
    }
    // A line break in the key would end the header and start another one.
    if (!isUsableInHeader(*key)) {
        answerLater(QStringLiteral("API key contains a line break"), true, true);
        return;
    }

    HttpRequest request;
    request.url = url;
    request.timeout = m_requestTimeout;
    request.maximumBodySize = maximumBodySize;
    request.headers = {
        {QByteArrayLiteral("Authorization"), QByteArrayLiteral("Bearer ") + key->toUtf8()},
        {QByteArrayLiteral("Accept"), QByteArrayLiteral("application/json")}};
    // The key is never sent on to wherever a redirect points: a redirect is an answer.
    request.followRedirects = false;

    m_fetcher->get(request, [answer](const HttpResponse& response) {
        using Outcome = HttpResponse::Outcome;
        switch (response.outcome) {
        case Outcome::transportError:
            answer(response.errorText, true, true);
            return;
        case Outcome::notHttp:
            answer(QStringLiteral("Unexpected response"), true, true);
            return;
        case Outcome::tooLarge:
            answer(
                QStringLiteral("Response larger than %1 MB").arg(maximumBodySize / (1024 * 1024)),
                true, true);
            return;
        case Outcome::received:
            if (!response.isSuccess()) {
                answer(QStringLiteral("HTTP %1").arg(response.statusCode), true, true, {},
                       response.statusCode);
                return;
            }
            answer(describeLimitPayload(response.body).value_or(QStringLiteral("Checked")), true,
                   false, describeLimitDetails(response.body, maximumDetails));
            return;
        }
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
