#include "ui/KeyChange.h"

#include "profiles/Background.h"

void runKeyChange(QObject* context, bool usesKeyring, std::function<void()> change,
                  std::function<void(bool)> busy, std::function<void(std::exception_ptr)> done) {
    if (!usesKeyring) {
        std::exception_ptr error;
        try {
            change();
        } catch (...) {
            error = std::current_exception();
        }
        done(error);
        return;
    }
    busy(true);
    Background::run(context, std::move(change), [busy, done](std::exception_ptr error) {
        busy(false);
        done(error);
    });
}
