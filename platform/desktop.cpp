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

namespace tw {

std::optional<QString> DesktopDialogs::openFile(QWidget* parent, const QString& title, const QString& proposed,
                                                const QString& directory)
{
    QFileDialog dialog(parent, title, directory);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (proposed.contains('*'))
        dialog.setNameFilter(proposed);
    else
        dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> DesktopDialogs::saveFile(QWidget* parent, const QString& title, const QString& proposed)
{
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

void DesktopDialogs::message(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
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

ProcessResult DesktopProcesses::runAndWait(QWidget* parent, const ProcessRequest& request)
{
    ProcessResult result;
    QProcess process;
    if (!request.workingDirectory.isEmpty())
        process.setWorkingDirectory(request.workingDirectory);
    if (!request.standardInputFile.isEmpty())
        process.setStandardInputFile(request.standardInputFile);
    if (!request.standardOutputFile.isEmpty())
        process.setStandardOutputFile(request.standardOutputFile);
    else
        process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());

    process.start(request.program, request.arguments);
    if (!process.waitForStarted(10000)) {
        result.errorText = process.errorString();
        return result;
    }
    result.started = true;
    if (request.standardInputFile.isEmpty()) {
        process.write(request.standardInput);
        process.closeWriteChannel();
    }

    // Wait in a local event loop so the windows stay painted; a modal progress dialog
    // keeps other commands from starting and offers Cancel.
    QProgressDialog progress(parent);
    progress.setWindowTitle("Tallowick2");
    progress.setLabelText(QString("Running %1").arg(request.description.isEmpty() ? request.program
                                                                                   : request.description));
    progress.setRange(0, 0);
    progress.setMinimumDuration(500);
    progress.setWindowModality(Qt::ApplicationModal);
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        result.cancelled = true;
        process.kill();
    });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &progress, [&] {
        progress.setLabelText(QString("Running %1 (%2 s)")
                                  .arg(request.description.isEmpty() ? request.program : request.description)
                                  .arg(clock.elapsed() / 1000));
    });
    tick.start(1000);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    if (process.state() != QProcess::NotRunning)
        process.waitForFinished(-1);
    progress.reset();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
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
    static Platform platform{dialogs, environment, install, processes};
    return platform;
}

}  // namespace tw
