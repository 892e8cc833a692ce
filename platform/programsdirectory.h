#pragma once
// Where the outside programs (corvane, hadleck, fennel1) are started from.

#include <QString>
#include <optional>

namespace tw {

class InstallLocation;

/// The directory the outside programs are taken from: the directory of the registered
/// program when one is registered (TALLOWICK2_APPPATH or "Set CORVANE location…"), else
/// the installed programs directory when the program runs installed, else the running
/// program's own directory (a build tree keeps them beside the program). A registered
/// path without a directory part gives the empty string (the current directory).
QString outsideProgramsDirectory(const InstallLocation& install);

/// The installed outside-programs directory of an executable (PREFIX/bin/tallowick2 ->
/// PREFIX/libexec/tallowick2, cleaned), or nullopt when that directory does not exist.
std::optional<QString> installedProgramsDirectory(const QString& executable);

/// The directory at a path relative to an executable's directory, cleaned, or nullopt
/// when it does not exist.
std::optional<QString> installedDirectory(const QString& executable, const QString& fromBin);

}  // namespace tw
