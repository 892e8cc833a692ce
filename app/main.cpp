#include <QIcon>
#include <QTimer>
#include <clocale>
#include <cstdio>

#include "app/commandline.h"
#include "app/guardedapplication.h"
#include "app/mainwindow.h"
#include "buildinfo.h"
#include "platform/desktop.h"

int main(int argc, char** argv)
{
    // --help and --version answer without a window (and without a display).
    if (const auto answer = tw::answerWithoutWindow({argv + (argc > 0 ? 1 : 0), argv + argc})) {
        std::fputs(answer->c_str(), stdout);
        return 0;
    }
    tw::GuardedApplication app(argc, argv);
    // The library adopted the desktop's locale; numbers in model files keep the decimal point.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setOrganizationName("Tallowick2");
    QApplication::setApplicationName("Tallowick2");
    QApplication::setDesktopFileName(tw::kDesktopId);
    QApplication::setWindowIcon(QIcon::fromTheme("tallowick2", QIcon(":/icons/tallowick2.png")));
    QApplication::setQuitOnLastWindowClosed(false);

    tw::Form1 window(tw::desktopPlatform());
    app.setReporter([&window](const QString& text) {
        window.platform().dialogs.message(&window, "Tallowick2", text, tw::Severity::Critical);
    });
    window.show();
    // The file named on the command line is read from the event loop, where a failure
    // that escapes the reader is caught as in any command.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        QTimer::singleShot(0, &window, [&window, path = arguments.at(1)] { window.openModelFile(path); });
    return QApplication::exec();
}
