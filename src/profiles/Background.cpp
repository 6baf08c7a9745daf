#include "profiles/Background.h"

#include <QMutex>
#include <QObject>
#include <QThreadPool>

#include <memory>

namespace {

// Receives the answer on the context's thread; a child of the context, so it goes with
// it. The worker reaches it only under the mutex, which its destructor takes too, so it
// never posts to a relay that is being deleted.
class Relay : public QObject {
public:
    struct Link {
        QMutex mutex;
        Relay* relay = nullptr;
    };

    Relay(QObject* context, std::shared_ptr<Link> link) : QObject(context), m_link(link) {
        link->relay = this;
    }
    ~Relay() override {
        QMutexLocker lock(&m_link->mutex);
        m_link->relay = nullptr;
    }

private:
    std::shared_ptr<Link> m_link;
};

} // namespace

namespace Background {

void run(QObject* context, std::function<void()> work,
         std::function<void(std::exception_ptr)> done) {
    auto link = std::make_shared<Relay::Link>();
    new Relay(context, link);
    QThreadPool::globalInstance()->start([link, work = std::move(work), done = std::move(done)] {
        std::exception_ptr error;
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        QMutexLocker lock(&link->mutex);
        if (Relay* relay = link->relay)
            QMetaObject::invokeMethod(
                relay,
                [relay, done, error] {
                    relay->deleteLater();
                    done(error);
                },
                Qt::QueuedConnection);
    });
}

} // namespace Background
