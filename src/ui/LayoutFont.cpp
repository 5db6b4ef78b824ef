// Tahoma for the window's text, from the system or from Wine's fonts.
#include "ui/LayoutFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace kx12r {
namespace {

const QString kLayoutFamily = QStringLiteral("Tahoma");
constexpr const char* kWineTahoma[] = {"/usr/share/wine/fonts/tahoma.ttf",
                                       "/usr/share/wine/fonts/tahomabd.ttf"};

bool LayoutFamilyAvailable() {
  static const bool available = [] {
    if (QFontDatabase::families().contains(kLayoutFamily)) return true;
    bool added = false;
    for (const char* file : kWineTahoma) {
      added = QFontDatabase::addApplicationFont(QString::fromLatin1(file)) >= 0 || added;
    }
    return added;
  }();
  return available;
}

}  // namespace

QFont LayoutFont(const QFont& base, int point_size) {
  QFont font = base;
  if (LayoutFamilyAvailable()) font.setFamily(kLayoutFamily);
  font.setPointSize(point_size);
  return font;
}

}  // namespace kx12r
