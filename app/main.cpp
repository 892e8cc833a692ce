#include <QApplication>
#include <clocale>

#include "app/mainwindow.h"
#include "platform/desktop.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The library adopted the desktop's locale; numbers in model files keep the decimal point.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setOrganizationName("Tallowick2");
    QApplication::setApplicationName("Tallowick2");
    QApplication::setQuitOnLastWindowClosed(false);

    tw::Form1 window(tw::desktopPlatform());
    window.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        window.openPimFile(arguments.at(1));
    return QApplication::exec();
}
