#pragma once

#include <QString>

namespace kx12r {

// Whether `folder` belongs to a package manager or an installer (under /usr, under Program
// Files, or not the user's own), so the user keeps no files of theirs there even where they
// could write.
bool IsInstalledProgramFolder(const QString& folder);

// The folder of the service database for the program in `program_folder`: beside the program
// (where the Debian package puts a link to its copy in /var/lib), or for a program installed on
// Windows, the machine's shared data folder (ProgramData\kx12r-config), where the installer
// makes the administrators' copy.
QString ServiceDataFolder(const QString& program_folder);

}  // namespace kx12r
