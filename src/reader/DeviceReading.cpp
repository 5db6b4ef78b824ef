// Reading one device's identity and settings into its device-list row.
#include "reader/DeviceReading.h"

#include <QFileInfo>

#include "base/MessageBox.h"
#include "base/NumericText.h"
#include "base/SingleByteText.h"
#include "reader/Firmware.h"
#include "reader/ReaderIdentity.h"
#include "reader/ReaderSettings.h"
#include "reader/ReportExchange.h"

namespace kx12r {
namespace {

// The settings read after the variant, in the order the reader is asked.
constexpr SettingsKey kQueriedAfterVariant[] = {
    SettingsKey::kBuzzerOff, SettingsKey::kStandAlone, SettingsKey::kRepeatMessage,
    SettingsKey::kPrefix,    SettingsKey::kCodeFormat, SettingsKey::kSuffix,
    SettingsKey::kEnding};

QString TextBeforeZero(const std::string& text) {
  return FromSingleByte(std::string_view(text).substr(0, text.find('\0')));
}

}  // namespace

DeviceRecord ReadDevice(HidLibrary& hid, int handle) {
  DeviceRecord device;
  auto& cells = device.cells;
  cells[kColHandle] = QString::number(handle);
  cells[kColVendorId] = HexWord(hid.GetVendorID(handle));
  cells[kColProductId] = HexWord(hid.GetProductID(handle));
  cells[kColVersion] = VersionText(hid.GetVersion(handle));

  int variant = 0;
  if (cells[kColVendorId] == HexWord(kReaderVendorId) &&
      InList(cells[kColProductId], ReaderProductTexts())) {
    if (!IsConfigurableFirmware(cells[kColVersion])) {
      device.is_reader = true;  // listed, so the user learns why it cannot be configured
    } else {
      const std::optional<QString> reply = AskReader(hid, handle, command::kQueryVariant);
      device.silent = !reply;
      variant = LeadingInteger(reply.value_or(QString()));
      device.is_reader = variant > 0;
    }
  }
  cells[kColSerialNumber] = TextBeforeZero(hid.GetSerialNumber(handle));
  cells[kColProductName] = TextBeforeZero(hid.GetProductName(handle)).trimmed();
  cells[kColVendorName] = TextBeforeZero(hid.GetVendorName(handle)).trimmed();
  cells[kColCodeMethod] = QString::number(variant);

  for (SettingsKey key : kQueriedAfterVariant) {
    const SettingDescriptor& setting = SettingOf(key);
    if (variant >= 1) {
      cells[setting.device_column] = CachedFromReply(key, QueryReader(hid, handle, setting.query));
    } else if (setting.encoding == SettingEncoding::kFlag) {
      cells[setting.device_column] = FlagCell(false);
    }
  }
  return device;
}

QString HexWord(std::uint16_t value) {
  return QStringLiteral("%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

QString VersionText(std::uint16_t release) {
  const QString digits = HexWord(release);
  // The major number is read as a decimal number from the first two digits.
  return QString::number(static_cast<int>(LeadingNumber(digits.left(2)))) + "." + digits.mid(2);
}

bool InList(const QString& text, const QStringList& list) { return list.contains(text); }

const QStringList& ReaderProductTexts() {
  static const QStringList products = [] {
    QStringList texts;
    for (std::uint16_t product : kReaderProductIds) texts << HexWord(product);
    return texts;
  }();
  return products;
}

bool ReaderRuleInstalled() {
  for (const char* folder : {"/usr/lib/udev/rules.d", "/lib/udev/rules.d", "/etc/udev/rules.d"}) {
    if (QFileInfo::exists(QString::fromLatin1(folder) + QStringLiteral("/70-kx12r.rules"))) {
      return true;
    }
  }
  return false;
}

QString NoAccessMessage(const QString& product_id, const QString& serial_number,
                        bool rule_installed) {
  const QString fix = rule_installed
                          ? QStringLiteral(
                                "Правило udev 70-kx12r.rules уже установлено: переподключите "
                                "считыватель, а если это не поможет, войдите в систему заново.")
                          : QStringLiteral(
                                "Установите правило udev 70-kx12r.rules из комплекта программы "
                                "(sudo cmake --install build) и переподключите считыватель.");
  return QStringLiteral("Считыватель ") + Quoted(QStringLiteral("KX12R")) +
         QStringLiteral(" (Product ID ") + Quoted(product_id) + QStringLiteral(", S/N ") +
         Quoted(serial_number) +
         QStringLiteral(") подключен, но система не разрешает программе доступ к нему. ") + fix;
}

}  // namespace kx12r
