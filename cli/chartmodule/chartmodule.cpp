// tallowick2-chart.so: draws the PIM chart for tallowick2-model on Qt's offscreen
// platform, so that no display is needed. Qt's own warnings (a missing runtime directory,
// fonts) would break the program's one-line messages, so they are not shown.
#include <QGuiApplication>
#include <cstdio>
#include <type_traits>

#include "cli/chartmodule.h"
#include "pim/chartdraw/chartfile.h"

namespace {

void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message.simplified()));
}

// The application the fonts need, made once with the offscreen platform whatever
// QT_QPA_PLATFORM says, and kept to the end of the program.
void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 3;
    static char name[] = "tallowick2-model";
    static char platformOption[] = "-platform";
    static char platform[] = "offscreen";
    static char* argv[] = {name, platformOption, platform, nullptr};
    qInstallMessageHandler(quietMessages);
    static QGuiApplication* application = new QGuiApplication(argc, argv);
    (void)application;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) bool tallowick2_draw_chart(const tw::ChartData& chart,
                                                                              tw::ChartFormat format,
                                                                              std::string& bytes, std::string& error)
{
    ensureApplication();
    tw::Result<std::string> drawn = tw::drawChartFile(chart, format);
    if (!drawn) {
        error = drawn.error().text();
        return false;
    }
    bytes = std::move(*drawn);
    return true;
}

// Checked at compile time: the function is what the program will call.
static_assert(std::is_same_v<decltype(&tallowick2_draw_chart), tw::cli::DrawChartFunction>);
