#include "app/guardedapplication.h"

#include <cstdio>

#include "model/result.h"

namespace tw {

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        const QString text = stoppedCommandMessage(std::current_exception());
        if (m_reporter)
            m_reporter(text);
        else
            std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    return true;
}

QString stoppedCommandMessage(const std::exception_ptr& failure)
{
    QString text = QString::fromStdString(failureText(failure));
    text[0] = text[0].toUpper();
    return text + ": the command was stopped and the model kept as it was.";
}

}  // namespace tw
