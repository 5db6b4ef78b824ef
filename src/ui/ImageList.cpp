// The pictures of the window by key.
#include "ui/ImageList.h"

#include <QFile>

static void InitIconResources() { Q_INIT_RESOURCE(icons); }

namespace kx12r {

QIcon ImageListIcon(const QString& key) {
  static const bool initialised = (InitIconResources(), true);
  (void)initialised;
  const QString path = QStringLiteral(":/icons/%1." KX12R_PICTURE_TYPE).arg(key);
  return !key.isEmpty() && QFile::exists(path) ? QIcon(path) : QIcon();
}

}  // namespace kx12r
