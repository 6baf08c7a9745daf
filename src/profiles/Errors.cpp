#include "profiles/Errors.h"

#include <QCoreApplication>

TavrinError::TavrinError(QString message) : m_message(std::move(message)) {}

TavrinError::~TavrinError() = default;

const char* TavrinError::what() const noexcept {
    if (m_utf8.isEmpty())
        m_utf8 = localizedDescription().toUtf8();
    return m_utf8.constData();
}

QString describeError(std::exception_ptr error) {
    if (!error)
        return {};
    try {
        std::rethrow_exception(error);
    } catch (const TavrinError& e) {
        return e.localizedDescription();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QCoreApplication::translate("Errors", "An unknown error occurred.");
    }
}

QString prefixedMessage(const QString& prefix, const QString& detail) {
    if (detail.isEmpty())
        return prefix + QLatin1Char('.');
    return prefix + QStringLiteral(": ") + detail;
}

QString withoutFinalStop(QString text) {
    text = text.trimmed();
    while (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}
