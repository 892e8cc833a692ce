#include "platform/scripted.h"

#include "platform/desktop.h"

namespace tw {

std::optional<QString> ScriptedDialogs::openFile(QWidget*, const QString& title, const QString& proposed,
                                                 const QString& directory, const QStringList& filters)
{
    asked.append({"open", title, proposed, directory, filters});
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
}

std::optional<QString> ScriptedDialogs::saveFile(QWidget*, const QString& title, const QString& proposed,
                                                 const QString& directory, const QStringList& filters,
                                                 Replace replace)
{
    asked.append({"save", title, proposed, directory, filters, replace});
    return fileAnswers.isEmpty() ? std::nullopt : fileAnswers.dequeue();
}

void ScriptedDialogs::showMessage(QWidget*, const Message& message)
{
    asked.append({"message", message.title, message.text, {}, {}, Replace::DialogAsks, message.severity, message.lines});
}

bool ScriptedDialogs::okCancel(QWidget*, const QString& title, const QString& text)
{
    asked.append({"okCancel", title, text});
    return okCancelAnswers.isEmpty() ? false : okCancelAnswers.dequeue();
}

Dialogs::Choice ScriptedDialogs::yesNoCancel(QWidget*, const QString& title, const QString& text)
{
    asked.append({"yesNoCancel", title, text});
    return choiceAnswers.isEmpty() ? Choice::Cancel : choiceAnswers.dequeue();
}

QStringList ScriptedDialogs::messages() const
{
    QStringList texts;
    for (const auto& a : asked)
        if (a.kind == "message")
            texts.append(a.text);
    return texts;
}

QList<Severity> ScriptedDialogs::severities() const
{
    QList<Severity> found;
    for (const auto& a : asked)
        if (a.kind == "message")
            found.append(a.severity);
    return found;
}

std::optional<QString> ScriptedEnvironment::variable(const QString& name) const
{
    if (!values.contains(name))
        return std::nullopt;
    return values.value(name);
}

ProcessResult ScriptedProcesses::runAndWait(QWidget* parent, const ProcessRequest& request)
{
    requests.append(request);
    if (fake)
        return fake(request);
    DesktopProcesses real;
    return real.runAndWait(parent, request);
}

bool ScriptedProcesses::openWithDesktop(const QString& path)
{
    opened.append(path);
    return true;
}

}  // namespace tw
