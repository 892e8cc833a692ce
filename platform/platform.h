#pragma once
// The services the windows ask of the desktop: dialogs and message boxes, the
// environment, the installation directory, the stored settings and starting outside
// programs. Windows reach them only through these interfaces, so tests answer them
// from a script.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

#include "model/result.h"

class QWidget;

namespace tw {

/// The filters of the dialogs that choose model files, the first one chosen at first.
inline QStringList modelFileFilters()
{
    return {"Model files (*.inp *.mss *.con *.OUT)", "All files (*)"};
}

class Dialogs {
public:
    virtual ~Dialogs() = default;
    /// Open-file dialog in directory (empty: the dialog's own choice) offering the name
    /// filters given ("Text (*.txt)"; none: proposed may be a pattern such as "*.*");
    /// the chosen name, or nullopt when the user cancelled.
    virtual std::optional<QString> openFile(QWidget* parent, const QString& title, const QString& proposed,
                                            const QString& directory = {}, const QStringList& filters = {}) = 0;
    /// Who asks before a save replaces an existing file.
    enum class Replace { DialogAsks, CallerAsks };
    /// Save-file dialog in directory (empty: the dialog's own choice) proposing a name;
    /// the chosen name, or nullopt when the user cancelled.
    virtual std::optional<QString> saveFile(QWidget* parent, const QString& title, const QString& proposed,
                                            const QString& directory = {}, const QStringList& filters = {},
                                            Replace replace = Replace::DialogAsks) = 0;
    /// Message box with an OK button and the icon of its severity: information for what
    /// was done, warning or critical for a problem.
    void message(QWidget* parent, const QString& title, const QString& text,
                 Severity severity = Severity::Information)
    {
        showMessage(parent, {title, text, {}, severity});
    }
    /// One message over a scrollable list of lines (the engine's error lines), however
    /// many lines there are.
    void messageList(QWidget* parent, const QString& title, const QString& text, const QStringList& lines,
                     Severity severity)
    {
        showMessage(parent, {title, text, lines, severity});
    }
    /// Question with OK and Cancel; true for OK.
    virtual bool okCancel(QWidget* parent, const QString& title, const QString& text) = 0;
    enum class Choice { Yes, No, Cancel };
    /// Question with Yes, No and Cancel.
    virtual Choice yesNoCancel(QWidget* parent, const QString& title, const QString& text) = 0;

    struct Message {
        QString title;
        QString text;
        QStringList lines;  // shown in a scrollable list below the text; empty: none
        Severity severity = Severity::Information;
    };

protected:
    /// Shows a message and waits for OK.
    virtual void showMessage(QWidget* parent, const Message& message) = 0;
};

class Environment {
public:
    virtual ~Environment() = default;
    /// The value of an environment variable; nullopt when it is not set.
    virtual std::optional<QString> variable(const QString& name) const = 0;
};

class InstallLocation {
public:
    virtual ~InstallLocation() = default;
    /// The registered full path of the program file (the AppPath setting, overridden by
    /// TALLOWICK2_APPPATH); nullopt when neither is set.
    virtual std::optional<QString> registeredProgram() const = 0;
    /// Stores the registered program path (the AppPath setting).
    virtual void setRegisteredProgram(const QString& path) = 0;
    /// Full path of the running executable.
    virtual QString executable() const = 0;
    /// The directory of the outside programs of an installed program (libexec/tallowick2
    /// under the installation prefix); nullopt when the program does not run installed.
    virtual std::optional<QString> installedProgramsDirectory() const = 0;
    /// The folder of the documents (share/doc/tallowick2 under the installation prefix,
    /// or its copy in a build tree); nullopt when there is none.
    virtual std::optional<QString> documentsDirectory() const = 0;
    /// The folder of the examples (share/tallowick2/examples, or its copy in a build
    /// tree); nullopt when there is none.
    virtual std::optional<QString> examplesDirectory() const = 0;
};

class Settings {
public:
    virtual ~Settings() = default;
    /// Where the settings are kept, as the user may look for it (a file's path).
    virtual QString location() const = 0;
    /// The lines stored under a key; empty when none are.
    virtual QStringList lines(const QString& key) const = 0;
    virtual void setLines(const QString& key, const QStringList& lines) = 0;
};

struct ProcessRequest {
    QString program;        // full path, started without a shell
    QStringList arguments;  // passed as they are, never interpreted
    QByteArray standardInput;   // written through a pipe, then the pipe is closed
    QString standardInputFile;  // when set, standard input comes from this file instead
    QString standardOutputFile; // when set, standard output goes to this file
    QString workingDirectory;   // empty: the current directory
    QString description;        // what the progress display says runs
};

struct ProcessResult {
    bool started = false;
    bool cancelled = false;  // the user ended it
    int exitCode = -1;       // -1 when it could not be started
    QString errorText;       // why it could not be started
};

class Processes {
public:
    virtual ~Processes() = default;
    /// Runs a program and waits for its end without freezing the windows.
    virtual ProcessResult runAndWait(QWidget* parent, const ProcessRequest& request) = 0;
    /// Opens a file with the desktop's default program for it, without waiting.
    virtual bool openWithDesktop(const QString& path) = 0;
};

/// The services of one running program.
struct Platform {
    Dialogs& dialogs;
    Environment& environment;
    InstallLocation& install;
    Processes& processes;
    Settings& settings;
};

}  // namespace tw
