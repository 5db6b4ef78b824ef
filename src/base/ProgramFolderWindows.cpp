#include <QDir>
#include <QFileInfo>

#include "base/ProgramFolder.h"

namespace kx12r {

bool IsInstalledProgramFolder(const QString& folder) {
  const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) + QLatin1Char('/');
  for (const char* variable : {"ProgramFiles", "ProgramW6432", "ProgramFiles(x86)"}) {
    const QString installed = QDir::fromNativeSeparators(qEnvironmentVariable(variable));
    if (!installed.isEmpty() &&
        path.startsWith(QDir::cleanPath(installed) + QLatin1Char('/'), Qt::CaseInsensitive)) {
      return true;
    }
  }
  return false;
}

QString ServiceDataFolder(const QString& program_folder) {
  const QString shared = qEnvironmentVariable("ProgramData");
  if (!IsInstalledProgramFolder(program_folder) || shared.isEmpty()) return program_folder;
  return QDir(QDir::fromNativeSeparators(shared)).filePath(QStringLiteral("kx12r-config"));
}

}  // namespace kx12r
