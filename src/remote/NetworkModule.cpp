#include "remote/NetworkModule.h"

#include "profiles/Modules.h"

namespace NetworkModule {
namespace {

struct Loaded {
    HttpTransportFactory create = nullptr;
    QString problem;
};

Loaded load() {
    Loaded loaded;
    loaded.create = reinterpret_cast<HttpTransportFactory>(
        Modules::entryPoint(QStringLiteral(TAVRIN_NETWORK_MODULE), TAVRIN_HTTP_TRANSPORT_ENTRY,
                            QStringLiteral("network"), loaded.problem));
    return loaded;
}

} // namespace

std::unique_ptr<HttpTransport> createTransport(QString& problem) {
    // Never unloaded: the transports it makes run its code until the process ends.
    static const Loaded loaded = load();
    if (!loaded.create) {
        problem = loaded.problem;
        return nullptr;
    }
    return std::unique_ptr<HttpTransport>(loaded.create());
}

} // namespace NetworkModule
