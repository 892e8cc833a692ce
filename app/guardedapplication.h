#pragma once
// The application object of the program. An exception that reaches the event loop
// (memory running out in a command, say) is caught here and reported instead of ending
// the program. The command it stopped leaves the model as it was: commands build what
// they read aside and swap it in only on success.

#include <QApplication>
#include <functional>

namespace tw {

class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    /// Receives the text of each exception caught (no reporter: it is written to
    /// standard error).
    void setReporter(std::function<void(const QString&)> reporter) { m_reporter = std::move(reporter); }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void(const QString&)> m_reporter;
};

/// The message shown for a command stopped by an exception: the failure and that the
/// model was kept.
QString stoppedCommandMessage(const std::exception_ptr& failure);

}  // namespace tw
