#include "platform/programsdirectory.h"

#include <QDir>
#include <QFileInfo>

#include "buildinfo.h"
#include "model/paths.h"
#include "platform/platform.h"

namespace tw {

QString outsideProgramsDirectory(const InstallLocation& install)
{
    if (const auto registered = install.registeredProgram())
        return QString::fromStdString(directoryPart(registered->toStdString()));
    if (const auto installed = install.installedProgramsDirectory())
        return *installed;
    return QString::fromStdString(directoryPart(install.executable().toStdString()));
}

std::optional<QString> installedProgramsDirectory(const QString& executable)
{
    return installedDirectory(executable, kProgramsDirectoryFromBin);
}

std::optional<QString> installedDirectory(const QString& executable, const QString& fromBin)
{
    const QString directory = QDir::cleanPath(QFileInfo(executable).absolutePath() + '/' + fromBin);
    if (!QFileInfo(directory).isDir())
        return std::nullopt;
    return directory;
}

}  // namespace tw
