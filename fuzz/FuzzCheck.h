#pragma once

// Shared by the fuzz programs: a property that does not hold stops the run with its name,
// and libFuzzer keeps the input that broke it (crash-<hash> in the working directory).

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace Fuzz {

[[noreturn]] inline void fail(const char* property, const QString& detail = QString()) {
    QString shown = detail;
    shown.replace(QChar(0), QStringLiteral("\\0"));
    std::fprintf(stderr, "\nProperty does not hold: %s\n%s\n", property,
                 shown.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

inline void require(bool holds, const char* property, const QString& detail = QString()) {
    if (!holds)
        fail(property, detail);
}

// The product's own warnings (files set aside, values refused) would drown the fuzzer's
// report; they say nothing about a property.
inline void quietLogging() {
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\n"
                                                    "*.warning=false"));
}

inline QString text(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

inline QByteArray bytes(const uint8_t* data, size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace Fuzz
