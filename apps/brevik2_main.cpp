// Brevik2: the window of the monitoring and control station. It defines no command-line options
// of its own; the toolkit's (-platform, -display, ...) work as usual.

#include <QApplication>

#include "shell/brevik2_application.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevik2"));
    QApplication::setDesktopFileName(QStringLiteral("brevik2"));

    brevik2::shell::Brevik2Application brevik2;
    brevik2.start();
    QApplication::exec();
    return brevik2.exitStep();
}
