// The demo program's own copy of the service database.
#include "app/DemoDatabase.h"

#include <QFile>

#include "db/ServiceDatabase.h"

namespace kx12r {

QString CopyPristineDatabase(const QString& pristine, const QString& folder) {
  const QString copy = GetDatabasePath(folder);
  QFile::remove(copy);
  if (!QFile::copy(pristine, copy)) return copy;
  // A copy of a resource is read-only like its source.
  QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  return copy;
}

}  // namespace kx12r
