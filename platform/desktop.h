#pragma once
// The platform services of the real desktop: Qt dialogs, the process environment,
// QSettings for the installation directory and the stored lists, the installed folders
// found from the running program, and QProcess for outside programs.

#include "platform/platform.h"

namespace tw {

class DesktopDialogs : public Dialogs {
public:
    std::optional<QString> openFile(QWidget* parent, const QString& title, const QString& proposed,
                                    const QString& directory, const QStringList& filters) override;
    std::optional<QString> saveFile(QWidget* parent, const QString& title, const QString& proposed,
                                    const QString& directory, const QStringList& filters, Replace replace) override;
    bool okCancel(QWidget* parent, const QString& title, const QString& text) override;
    Choice yesNoCancel(QWidget* parent, const QString& title, const QString& text) override;

protected:
    void showMessage(QWidget* parent, const Message& message) override;
};

class DesktopEnvironment : public Environment {
public:
    std::optional<QString> variable(const QString& name) const override;
};

class DesktopInstallLocation : public InstallLocation {
public:
    std::optional<QString> registeredProgram() const override;
    void setRegisteredProgram(const QString& path) override;
    QString executable() const override;
    std::optional<QString> installedProgramsDirectory() const override;
    std::optional<QString> documentsDirectory() const override;
    std::optional<QString> examplesDirectory() const override;
};

class DesktopSettings : public Settings {
public:
    QString location() const override;
    QStringList lines(const QString& key) const override;
    void setLines(const QString& key, const QStringList& lines) override;
};

class DesktopProcesses : public Processes {
public:
    ProcessResult runAndWait(QWidget* parent, const ProcessRequest& request) override;
    bool openWithDesktop(const QString& path) override;
};

/// The desktop's services, alive for the whole program.
Platform& desktopPlatform();

}  // namespace tw
