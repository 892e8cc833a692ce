#include <QTimer>
#include <clocale>

#include "app/guardedapplication.h"
#include "app/mainwindow.h"
#include "platform/desktop.h"

int main(int argc, char** argv)
{
    tw::GuardedApplication app(argc, argv);
    // The library adopted the desktop's locale; numbers in model files keep the decimal point.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setOrganizationName("Tallowick2");
    QApplication::setApplicationName("Tallowick2");
    QApplication::setQuitOnLastWindowClosed(false);

    tw::Form1 window(tw::desktopPlatform());
    app.setReporter([&window](const QString& text) { window.platform().dialogs.message(&window, "Tallowick2", text); });
    window.show();
    // The file named on the command line is read from the event loop, where a failure
    // that escapes the reader is caught as in any command.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        QTimer::singleShot(0, &window, [&window, path = arguments.at(1)] { window.openPimFile(path); });
    return QApplication::exec();
}
