#include "ui/TavrinApp.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
#if defined(Q_OS_LINUX)
    // Without a display the platform plugin would abort; say what is missing instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fputs("Tavrin needs a graphical display, but none was found (DISPLAY is not set).\n",
                   stderr);
        return 1;
    }
#endif
    QApplication application(argc, argv);
    TavrinApp app;
    app.show();
    return application.exec();
}
