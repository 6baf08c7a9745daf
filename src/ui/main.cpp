#include "app/SingleInstance.h"
#include "ui/TavrinApp.h"
#include "ui/Translations.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

const char* const helpText =
    "Usage: tavrin [--background | --help | --version]\n"
    "\n"
    "Tavrin keeps account profiles for Codex and Claude Code and switches either one\n"
    "to the profile you pick. Starting it while it runs brings its window to the front.\n"
    "\n"
    "Options:\n"
    "  --background   Start in the tray without opening the window (used at login).\n"
    "  -h, --help     Show this help and exit.\n"
    "  -v, --version  Show the version and exit.\n";

bool hasOption(int argc, char* argv[], const char* option) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], option) == 0)
            return true;
    return false;
}

// --help and --version answer without a display and without starting the interface.
// Every other argument is left to Qt.
std::optional<int> answerInformationOptions(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--version") == 0 || std::strcmp(argument, "-v") == 0) {
            std::fputs("Tavrin " TAVRIN_VERSION "\n", stdout);
            return 0;
        }
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            std::fputs(helpText, stdout);
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = answerInformationOptions(argc, argv))
        return *status;
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
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVRIN_VERSION));
    // A second start shows the running instance's window instead of racing it.
    SingleInstance instance;
    if (instance.start() == SingleInstance::Role::handedOver)
        return 0;
    // The window speaks the user's language: translations come before any text is made.
    Translations::install();
    TavrinApp app;
    QObject::connect(&instance, &SingleInstance::activationRequested, &app, &TavrinApp::openWindow);
    // Started at login: only the tray, where there is one.
    if (!hasOption(argc, argv, "--background") || !app.startInTray())
        app.show();
    return application.exec();
}
