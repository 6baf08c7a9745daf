// The limits answer: describeLimitPayload, describeLimitDetails and flatten. Checked:
// - a JSON answer gives one "Label: value" line per value (null gives none), key paths in
//   order under the prefix, and the line shown is one of them;
// - the details are at most the count asked for, and never repeat the line shown;
// - an answer that is not JSON shows the start of its text (at most 80 characters), or
//   nothing when it is not UTF-8.

#include "FuzzCheck.h"

#include "remote/LimitCheckerService.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

namespace {

// Values below `value`, counted independently of flatten().
qsizetype leaves(const QJsonValue& value) {
    qsizetype count = 0;
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            count += leaves(*it);
    } else if (value.isArray()) {
        for (const QJsonValue element : value.toArray())
            count += leaves(element);
    } else if (!value.isNull() && !value.isUndefined()) {
        count = 1;
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Fuzz::quietLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray body = Fuzz::bytes(data, size);
    const std::optional<QString> shown = LimitCheckerService::describeLimitPayload(body);
    const QStringList details = LimitCheckerService::describeLimitDetails(body, 3);
    Fuzz::require(details.size() <= 3, "at most the details asked for");

    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError) {
        Fuzz::require(details.isEmpty(), "an answer that is not JSON has no details");
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString text = decoder(body);
        if (decoder.hasError()) {
            Fuzz::require(!shown, "an answer that is not UTF-8 shows nothing");
        } else {
            Fuzz::require(shown && text.startsWith(*shown) && shown->size() <= text.size(),
                          "an answer that is not JSON shows the start of its text", text);
            Fuzz::require(shown->size() == text.size() || shown->size() >= 80 ||
                              text.size() - shown->size() < 80,
                          "the start of the text is not cut short", *shown);
        }
        return 0;
    }

    const QJsonValue root =
        document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    const QString prefix = QStringLiteral("root");
    const auto pairs = LimitCheckerService::flatten(root, prefix);
    Fuzz::require(pairs.has_value(), "a JSON document flattens");
    Fuzz::require(pairs->size() == leaves(root), "one pair per value", QString::fromUtf8(body));
    for (const auto& pair : *pairs)
        Fuzz::require(pair.first.startsWith(prefix), "key paths start with the prefix", pair.first);
    Fuzz::require(pairs->isEmpty() == !shown, "a JSON answer with values shows one of them");
    if (shown)
        Fuzz::require(!details.contains(*shown) || details.count(*shown) < pairs->size(),
                      "the details do not repeat the line shown", *shown);
    return 0;
}
