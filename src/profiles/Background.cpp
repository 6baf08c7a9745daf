#include "profiles/Background.h"

#include <QMutex>
#include <QObject>
#include <QThreadPool>

#include <memory>

namespace {

// Guards every link between a worker and its relay.
QMutex& linkMutex() {
    static QMutex mutex;
    return mutex;
}

// Receives the answer on the context's thread; a child of the context, so it goes with
// it. The worker reaches it only under the links' mutex, which its destructor takes too,
// so it never posts to a relay that is being deleted.
class Relay : public QObject {
public:
    struct Link {
        Relay* relay = nullptr;
    };

    Relay(QObject* context, std::shared_ptr<Link> link) : QObject(context), m_link(link) {
        link->relay = this;
    }
    ~Relay() override {
        const QMutexLocker lock(&linkMutex());
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
    std::function<void()> task = [link, work = std::move(work), done = std::move(done)] {
        // Pairs with the hand-over below, so what the starting thread put in this task is
        // seen whole here. (Qt's pool hands it over under a lock of its own, which a thread
        // sanitizer cannot see.)
        { const QMutexLocker handedOver(&linkMutex()); }
        std::exception_ptr error;
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        const QMutexLocker lock(&linkMutex());
        if (Relay* relay = link->relay)
            QMetaObject::invokeMethod(
                relay,
                [relay, done, error] {
                    // Pairs with the post, made under the same lock.
                    { const QMutexLocker pairing(&linkMutex()); }
                    relay->deleteLater();
                    done(error);
                },
                Qt::QueuedConnection);
    };
    { const QMutexLocker handOver(&linkMutex()); }
    QThreadPool::globalInstance()->start(std::move(task));
}

} // namespace Background
