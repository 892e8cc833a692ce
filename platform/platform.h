#pragma once
// The services the windows ask of the desktop: dialogs and message boxes, the
// environment, the installation directory and starting outside programs. Windows
// reach them only through these interfaces, so tests answer them from a script.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

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
    /// Message box with an OK button.
    virtual void message(QWidget* parent, const QString& title, const QString& text) = 0;
    /// Question with OK and Cancel; true for OK.
    virtual bool okCancel(QWidget* parent, const QString& title, const QString& text) = 0;
    enum class Choice { Yes, No, Cancel };
    /// Question with Yes, No and Cancel.
    virtual Choice yesNoCancel(QWidget* parent, const QString& title, const QString& text) = 0;
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
};

}  // namespace tw
