// The floor for the command-line benchmark: a Qt Core application that exits at once.
#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    return 0;
}
