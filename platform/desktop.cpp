#include "platform/desktop.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <limits>

#include "buildinfo.h"
#include "platform/messagelist.h"
#include "platform/programsdirectory.h"

namespace tw {

namespace {

QMessageBox::Icon messageIcon(Severity severity)
{
    switch (severity) {
    case Severity::Information:
        return QMessageBox::Information;
    case Severity::Warning:
        return QMessageBox::Warning;
    case Severity::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

std::optional<QString> DesktopDialogs::openFile(QWidget* parent, const QString& title, const QString& proposed,
                                                const QString& directory, const QStringList& filters)
{
    QFileDialog dialog(parent, title, directory);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    else if (proposed == "*.*")  // every file; on Linux many names have no dot
        dialog.setNameFilter("All files (*)");
    else if (proposed.contains('*'))
        dialog.setNameFilter(proposed);
    if (!proposed.isEmpty() && !proposed.contains('*'))
        dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> DesktopDialogs::saveFile(QWidget* parent, const QString& title, const QString& proposed,
                                                const QString& directory, const QStringList& filters,
                                                Replace replace)
{
    QFileDialog dialog(parent, title, directory);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (replace == Replace::CallerAsks)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

void DesktopDialogs::showMessage(QWidget* parent, const Message& message)
{
    if (message.lines.isEmpty()) {
        QMessageBox box(messageIcon(message.severity), message.title, message.text, QMessageBox::Ok, parent);
        box.setObjectName("messageBox");
        box.exec();
        return;
    }
    ListMessageDialog dialog(parent, message);
    dialog.exec();
}

bool DesktopDialogs::okCancel(QWidget* parent, const QString& title, const QString& text)
{
    return QMessageBox::question(parent, title, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel)
        == QMessageBox::Ok;
}

Dialogs::Choice DesktopDialogs::yesNoCancel(QWidget* parent, const QString& title, const QString& text)
{
    const auto answer = QMessageBox::question(parent, title, text,
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                              QMessageBox::Cancel);
    if (answer == QMessageBox::Yes)
        return Choice::Yes;
    if (answer == QMessageBox::No)
        return Choice::No;
    return Choice::Cancel;
}

std::optional<QString> DesktopEnvironment::variable(const QString& name) const
{
    const QByteArray key = name.toLocal8Bit();
    if (!qEnvironmentVariableIsSet(key.constData()))
        return std::nullopt;
    return qEnvironmentVariable(key.constData());
}

std::optional<QString> DesktopInstallLocation::registeredProgram() const
{
    if (qEnvironmentVariableIsSet("TALLOWICK2_APPPATH"))
        return qEnvironmentVariable("TALLOWICK2_APPPATH");
    QSettings settings("Tallowick2", "Tallowick2");
    if (!settings.contains("AppPath"))
        return std::nullopt;
    return settings.value("AppPath").toString();
}

void DesktopInstallLocation::setRegisteredProgram(const QString& path)
{
    QSettings settings("Tallowick2", "Tallowick2");
    settings.setValue("AppPath", path);
}

QString DesktopInstallLocation::executable() const
{
    return QCoreApplication::applicationFilePath();
}

std::optional<QString> DesktopInstallLocation::installedProgramsDirectory() const
{
    return tw::installedProgramsDirectory(executable());
}

std::optional<QString> DesktopInstallLocation::documentsDirectory() const
{
    return installedDirectory(executable(), kDocumentsDirectoryFromBin);
}

std::optional<QString> DesktopInstallLocation::examplesDirectory() const
{
    return installedDirectory(executable(), kExamplesDirectoryFromBin);
}

QString DesktopSettings::location() const
{
    return QSettings("Tallowick2", "Tallowick2").fileName();
}

QStringList DesktopSettings::lines(const QString& key) const
{
    return QSettings("Tallowick2", "Tallowick2").value(key).toStringList();
}

void DesktopSettings::setLines(const QString& key, const QStringList& lines)
{
    QSettings("Tallowick2", "Tallowick2").setValue(key, lines);
}

namespace {

// Only one outside program runs at a time: a second start while one is waited for
// (from an event handled in the waiting loop) is refused.
bool g_processRunning = false;

// How long a program runs before the progress dialog appears.
constexpr int kQuietMilliseconds = 400;

QString runningText(const ProcessRequest& request, qint64 milliseconds)
{
    const QString what = request.description.isEmpty() ? QFileInfo(request.program).fileName()
                                                        : request.description;
    return QString("Running %1\n%2 s").arg(what).arg(milliseconds / 1000);
}

}  // namespace

ProcessResult DesktopProcesses::runAndWait(QWidget* parent, const ProcessRequest& request)
{
    ProcessResult result;
    if (g_processRunning) {
        result.errorText = "another outside program is still running";
        return result;
    }
    if (request.program.isEmpty()) {
        result.errorText = "no program given";
        return result;
    }
    // A bare name would be looked up on PATH: the program is always taken by its path.
    const QString program = QFileInfo(request.program).absoluteFilePath();

    QProcess process;
    if (!request.workingDirectory.isEmpty())
        process.setWorkingDirectory(request.workingDirectory);
    if (!request.standardInputFile.isEmpty())
        process.setStandardInputFile(request.standardInputFile);
    process.setStandardOutputFile(request.standardOutputFile.isEmpty() ? QProcess::nullDevice()
                                                                       : request.standardOutputFile);
    process.setStandardErrorFile(QProcess::nullDevice());

    process.start(program, request.arguments, QIODevice::ReadWrite);
    if (!process.waitForStarted(-1)) {
        result.errorText = process.errorString();
        return result;
    }
    result.started = true;
    g_processRunning = true;
    if (request.standardInputFile.isEmpty()) {
        process.write(request.standardInput);
        process.closeWriteChannel();
    }

    // Wait in a local event loop so that the windows stay painted. For the first moments
    // user input waits (a quick program ends without a dialog flashing up); then an
    // application-modal progress dialog keeps every other command from starting, shows
    // what runs and for how long, and offers Cancel, which ends the process.
    QElapsedTimer clock;
    clock.start();
    QProgressDialog progress(parent);
    progress.setObjectName("runProgress");
    progress.setWindowTitle("Tallowick2");
    progress.setLabelText(runningText(request, 0));
    progress.setCancelButtonText("Cancel");
    progress.setRange(0, 0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(std::numeric_limits<int>::max());  // shown by this function only
    progress.setWindowModality(Qt::ApplicationModal);

    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::Crashed || process.state() == QProcess::NotRunning)
            loop.quit();
    });
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        result.cancelled = true;
        process.kill();
    });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &progress,
                     [&] { progress.setLabelText(runningText(request, clock.elapsed())); });
    tick.start(1000);
    QTimer reveal;
    reveal.setSingleShot(true);
    QObject::connect(&reveal, &QTimer::timeout, &loop, &QEventLoop::quit);
    reveal.start(kQuietMilliseconds);
    if (process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (process.state() != QProcess::NotRunning) {
        progress.show();
        loop.exec();
    }
    if (process.state() != QProcess::NotRunning)
        process.waitForFinished(-1);
    tick.stop();
    progress.hide();
    g_processRunning = false;
    result.exitCode = !result.cancelled && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}

bool DesktopProcesses::openWithDesktop(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

Platform& desktopPlatform()
{
    static DesktopDialogs dialogs;
    static DesktopEnvironment environment;
    static DesktopInstallLocation install;
    static DesktopProcesses processes;
    static DesktopSettings settings;
    static Platform platform{dialogs, environment, install, processes, settings};
    return platform;
}

}  // namespace tw
