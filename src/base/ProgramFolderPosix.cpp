#include <unistd.h>

#include <QFileInfo>

#include "base/ProgramFolder.h"

namespace kx12r {

bool IsInstalledProgramFolder(const QString& folder) {
  const QFileInfo info(folder);
  const QString path =
      info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
  return path == QLatin1String("/usr") || path.startsWith(QLatin1String("/usr/")) ||
         (info.exists() && info.ownerId() != geteuid());
}

QString ServiceDataFolder(const QString& program_folder) { return program_folder; }

}  // namespace kx12r
