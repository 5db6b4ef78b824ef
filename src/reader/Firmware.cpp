// Firmware versions: which can be configured, and what the owner of an older one is told.
#include "reader/Firmware.h"

#include <vector>

#include "base/MessageBox.h"

namespace kx12r {
namespace {

struct WarningRange {
  double lowest;
  double highest;
  QString text;
};

// What each old firmware offers and what its owner can do; the first range that holds wins.
const std::vector<WarningRange>& WarningRanges() {
  static const std::vector<WarningRange> ranges = [] {
    const QString unsupported = QStringLiteral(
        "ВНИМАНИЕ! Данная версия ПО не поддерживается Конфигуратором. Имеет только ");
    const QString manual = Quoted(QStringLiteral("вручную")) + QStringLiteral(". ");
    const QString send_to_maker =
        QStringLiteral("Для обновления ПО необходима отправка изготовителю.");
    const QString update_it = QStringLiteral("Для доступа к конфигурированию обновите ПО.");
    const QString five = QStringLiteral("пять вариантов посылки, переключаемых ");
    return std::vector<WarningRange>{
        {0.96, 1.29, unsupported + QStringLiteral("один вариант посылки. ") + send_to_maker},
        {1.3, 1.39,
         unsupported + QStringLiteral("три варианта посылки, переключаемые ") + manual +
             send_to_maker},
        {1.4, 1.49, unsupported + five + manual + send_to_maker},
        {1.5, 1.52, unsupported + five + manual + update_it},
        {1.53, 1.69,
         unsupported + QStringLiteral("семь вариантов посылки, переключаемых ") + manual +
             update_it},
    };
  }();
  return ranges;
}

constexpr double kAllCodeFormatsFirmware = 1.82;
constexpr double kCodeFormatZeroFirmware = 1.84;
const QString kCodeFormatZeroProduct = QStringLiteral("00DF");
constexpr int kLastBasicCodeFormat = 8;

}  // namespace

CodeFormatChoice CodeFormatsOffered(const QString& version, const QString& product_id) {
  const double number = FirmwareNumber(version);
  if (number < kAllCodeFormatsFirmware) return CodeFormatChoice::kBelowNineWithoutZero;
  if (number >= kCodeFormatZeroFirmware && product_id == kCodeFormatZeroProduct) {
    return CodeFormatChoice::kAll;
  }
  return CodeFormatChoice::kWithoutZero;
}

bool OffersCodeFormat(CodeFormatChoice choice, int id) {
  if (id == 0) return choice == CodeFormatChoice::kAll;
  if (id >= 1 && id <= kLastBasicCodeFormat) return true;
  return id > kLastBasicCodeFormat && choice != CodeFormatChoice::kBelowNineWithoutZero;
}

QString FirmwareWarningText(const QString& version) {
  const double x = FirmwareNumber(version);
  for (const WarningRange& range : WarningRanges()) {
    if (x >= range.lowest && x <= range.highest) return range.text;
  }
  return QStringLiteral(
      "ВНИМАНИЕ! Неизвестная версия ПО. Для обновления ПО необходима отправка изготовителю.");
}

}  // namespace kx12r
