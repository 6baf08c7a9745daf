#include "cli/CommandLine.h"
#include "profiles/AppIdentity.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    // The same names as the window, so both read the same user defaults.
    AppIdentity::configure();
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const int status = CommandLine(out, err).run(arguments);
    // What a command's objects left to the event loop as they ended (a network reply's
    // close, a deferred delete) runs before the program ends, also after a command that
    // returned at once.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    out.flush();
    err.flush();
    return status;
}
