#pragma once
// Platform services answered from a script, for tests: dialogs take their answers
// from queues and every question asked is recorded; processes are run for real unless
// a fake runner is set.

#include <QMap>
#include <QQueue>
#include <QStringList>
#include <functional>

#include "platform/platform.h"

namespace tw {

class ScriptedDialogs : public Dialogs {
public:
    struct Asked {
        QString kind;  // "open", "save", "message", "okCancel", "yesNoCancel"
        QString title;
        QString text;  // the message, or the proposed file name of a file dialog
        QString directory = {};    // the folder a file dialog opens in
        QStringList filters = {};  // the name filters a file dialog offers
        Replace replace = Replace::DialogAsks;  // who asks before a save replaces a file
        Severity severity = Severity::Information;  // of a message
        QStringList lines = {};                     // the list under a message
    };

    // Answers, taken in order; an empty queue answers "cancel" (and OK for okCancel is false).
    QQueue<std::optional<QString>> fileAnswers;
    QQueue<bool> okCancelAnswers;
    QQueue<Choice> choiceAnswers;
    QList<Asked> asked;

    std::optional<QString> openFile(QWidget*, const QString& title, const QString& proposed,
                                    const QString& directory, const QStringList& filters) override;
    std::optional<QString> saveFile(QWidget*, const QString& title, const QString& proposed,
                                    const QString& directory, const QStringList& filters, Replace replace) override;
    bool okCancel(QWidget*, const QString& title, const QString& text) override;
    Choice yesNoCancel(QWidget*, const QString& title, const QString& text) override;

    /// The texts of the message boxes shown, in order.
    QStringList messages() const;
    /// The severities of the message boxes shown, in order.
    QList<Severity> severities() const;

protected:
    void showMessage(QWidget*, const Message& message) override;
};

class ScriptedEnvironment : public Environment {
public:
    QMap<QString, QString> values;
    std::optional<QString> variable(const QString& name) const override;
};

class ScriptedInstallLocation : public InstallLocation {
public:
    std::optional<QString> registered;
    QString executablePath = "/usr/local/bin/tallowick2";
    std::optional<QString> installedPrograms;  // as if this libexec directory existed
    std::optional<QString> documents;          // as if this documents folder existed
    std::optional<QString> examples;           // as if this examples folder existed
    std::optional<QString> registeredProgram() const override { return registered; }
    void setRegisteredProgram(const QString& path) override { registered = path; }
    QString executable() const override { return executablePath; }
    std::optional<QString> installedProgramsDirectory() const override { return installedPrograms; }
    std::optional<QString> documentsDirectory() const override { return documents; }
    std::optional<QString> examplesDirectory() const override { return examples; }
};

class ScriptedSettings : public Settings {
public:
    QMap<QString, QStringList> stored;
    QString location() const override { return "/home/test/.config/Tallowick2/Tallowick2.conf"; }
    QStringList lines(const QString& key) const override { return stored.value(key); }
    void setLines(const QString& key, const QStringList& lines) override { stored[key] = lines; }
};

class ScriptedProcesses : public Processes {
public:
    QList<ProcessRequest> requests;
    QStringList opened;
    /// When set, runs instead of starting a real process.
    std::function<ProcessResult(const ProcessRequest&)> fake;

    ProcessResult runAndWait(QWidget* parent, const ProcessRequest& request) override;
    bool openWithDesktop(const QString& path) override;
};

/// A complete scripted platform for one test.
struct ScriptedPlatform {
    ScriptedDialogs dialogs;
    ScriptedEnvironment environment;
    ScriptedInstallLocation install;
    ScriptedProcesses processes;
    ScriptedSettings settings;
    Platform platform{dialogs, environment, install, processes, settings};
};

}  // namespace tw
