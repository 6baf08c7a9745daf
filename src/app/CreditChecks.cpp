#include "app/CreditChecks.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace {

QString endpointOf(const Profile& profile) {
    return profile.limitsEndpoint.value_or(QString()).trimmed();
}

} // namespace

CreditChecks::CreditChecks(std::shared_ptr<LimitCheckerService> checker, Clock clock,
                           QObject* parent)
    : QObject(parent),
      m_checker(checker ? std::move(checker) : std::make_shared<LimitCheckerService>()),
      m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTimeUtc(); })) {}

CreditChecks::~CreditChecks() = default;

bool CreditChecks::appliesTo(const Profile& profile) {
    return profile.isVelqorAccount() && !endpointOf(profile).isEmpty();
}

const CreditChecks::Entry* CreditChecks::entry(const Profile& profile) const {
    const auto it = m_entries.constFind(profile.id);
    // An answer from another endpoint says nothing about this one.
    if (it == m_entries.constEnd() || it->endpoint != endpointOf(profile))
        return nullptr;
    return &*it;
}

std::optional<LimitStatus> CreditChecks::status(const Profile& profile) const {
    const Entry* e = entry(profile);
    return e ? e->status : std::nullopt;
}

bool CreditChecks::isChecking(const Profile& profile) const {
    const Entry* e = entry(profile);
    return e && e->checking;
}

bool CreditChecks::canCheck(const Profile& profile) const {
    if (!appliesTo(profile))
        return false;
    const Entry* e = entry(profile);
    if (!e)
        return true;
    if (e->checking)
        return false;
    // An answer made without a request (no key yet) does not hold the next one back.
    if (!e->status || !e->status->isConfigured)
        return true;
    return e->answeredAt.secsTo(m_clock()) >= minimumInterval.count();
}

bool CreditChecks::check(const Profile& profile) {
    if (!canCheck(profile))
        return false;
    const QString id = profile.id;
    const QString endpoint = endpointOf(profile);
    Entry& e = m_entries[id];
    if (e.endpoint != endpoint)
        e = Entry{endpoint, std::nullopt, {}, false, 0};
    e.checking = true;
    const quint64 serial = e.serial = ++m_lastSerial;
    // The checker answers later, never inside this call.
    m_checker->check(profile, [self = QPointer<CreditChecks>(this), id,
                               serial](const LimitStatus& status) {
        if (!self)
            return;
        const auto it = self->m_entries.find(id);
        if (it == self->m_entries.end() || it->serial != serial)
            return;
        it->checking = false;
        it->status = status;
        it->answeredAt = self->m_clock();
        // Checking may be offered again once the minute has passed.
        QTimer::singleShot(minimumInterval, self.data(), [self, id] { emit self->changed(id); });
        emit self->changed(id);
    });
    emit changed(id);
    return true;
}

void CreditChecks::forget(const QString& profileID) {
    if (m_entries.remove(profileID))
        emit changed(profileID);
}

QString CreditChecks::describe(const LimitStatus& status) {
    const int code = status.httpStatus;
    if (status.failed && code > 0) {
        const char* text =
            code == 401 || code == 403
                ? QT_TRANSLATE_NOOP("CreditChecks", "The limits service refused the key (HTTP %1).")
            : code == 404
                ? QT_TRANSLATE_NOOP("CreditChecks",
                                    "The limits service does not know this address (HTTP %1).")
            : code == 429
                ? QT_TRANSLATE_NOOP("CreditChecks", "The limits service is busy; try again in "
                                                    "a minute (HTTP %1).")
            : code >= 500
                ? QT_TRANSLATE_NOOP("CreditChecks",
                                    "The limits service failed to answer (HTTP %1).")
                : QT_TRANSLATE_NOOP("CreditChecks",
                                    "The limits service answered with an error (HTTP %1).");
        return QCoreApplication::translate("CreditChecks", text).arg(code);
    }
    if (status.failed)
        return QCoreApplication::translate("CreditChecks", "Could not check the credit: %1")
            .arg(status.text);
    if (status.text.isEmpty())
        return QCoreApplication::translate("CreditChecks", "Checked: the answer held no details.");
    return status.text;
}
