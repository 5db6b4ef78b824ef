// Firmware versions: which can be configured, and what the owner of an older one is told.
#include "reader/Firmware.h"

#include <vector>

#include "base/MessageBox.h"
#include "base/NumericText.h"

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

constexpr double kFirstConfigurableFirmware = 1.70;
constexpr double kAllCodeFormatsFirmware = 1.82;
constexpr double kCodeFormatZeroFirmware = 1.84;
constexpr std::uint16_t kCodeFormatZeroProduct = 0x00DF;
constexpr int kLastBasicCodeFormat = 8;

}  // namespace

QString FirmwareVersion::Text() const {
  const QString digits = HexWord(release_);
  return QString::number(static_cast<int>(LeadingNumber(digits.left(2)))) + "." + digits.mid(2);
}

double FirmwareVersion::Number() const { return LeadingNumber(Text()); }

bool FirmwareVersion::Configurable() const { return Number() >= kFirstConfigurableFirmware; }

QString FirmwareVersion::FirstConfigurableText() {
  return QString::number(kFirstConfigurableFirmware, 'f', 2);
}

CodeFormatChoice FirmwareVersion::CodeFormats(std::uint16_t product_id) const {
  const double number = Number();
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

QString FirmwareVersion::WhyNoCodeFormat(int id, const QString& name,
                                         std::uint16_t product_id) const {
  if (OffersCodeFormat(CodeFormats(product_id), id)) return QString();
  const QString format = QStringLiteral("формат ") + name;
  if (id == 0) {
    return format + QStringLiteral(" есть только у считывателей ") +
           HexWord(kCodeFormatZeroProduct) + QStringLiteral(" с ПО ") +
           QString::number(kCodeFormatZeroFirmware, 'f', 2) + QStringLiteral(" и выше");
  }
  if (id > kLastBasicCodeFormat) {
    return format + QStringLiteral(" есть только у считывателей с ПО ") +
           QString::number(kAllCodeFormatsFirmware, 'f', 2) + QStringLiteral(" и выше");
  }
  return format + QStringLiteral(" не поддерживается считывателями");
}

QString FirmwareVersion::Warning() const {
  const double x = Number();
  for (const WarningRange& range : WarningRanges()) {
    if (x >= range.lowest && x <= range.highest) return range.text;
  }
  return QStringLiteral(
      "ВНИМАНИЕ! Неизвестная версия ПО. Для обновления ПО необходима отправка изготовителю.");
}

}  // namespace kx12r
