// Reading one device's identity and settings.
#include "reader/DeviceReading.h"

#include <QFileInfo>

#include "base/MessageBox.h"
#include "base/SingleByteText.h"
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

ConnectedReader ReadConnectedReader(HidLibrary& hid, int handle) {
  ConnectedReader reader{.handle = handle};
  DeviceIdentity& identity = reader.identity;
  identity.vendor_id = hid.GetVendorID(handle);
  identity.product_id = hid.GetProductID(handle);
  identity.firmware = FirmwareVersion(hid.GetVersion(handle));
  identity.serial_number = TextBeforeZero(hid.GetSerialNumber(handle));
  identity.product_name = TextBeforeZero(hid.GetProductName(handle)).trimmed();
  identity.vendor_name = TextBeforeZero(hid.GetVendorName(handle)).trimmed();
  reader.access_denied = hid.IsAccessDenied(handle);
  // An old reader is listed unasked, so the user learns why it cannot be configured.
  if (!identity.IsOurs() || !identity.firmware.Configurable() || reader.access_denied) {
    return reader;
  }
  const auto ask = [&](SettingsKey key) {
    const QueryReply reply = AskReader(hid, handle, SettingOf(key).query);
    if (reply.refused) reader.refused_queries.push_back(SettingOf(key).query);
    return reply;
  };
  const QueryReply variant = ask(SettingsKey::kVariant);
  reader.silent = !variant.text;
  if (reader.silent) return reader;
  ReaderValues& values = reader.settings.emplace();
  values.TakeReply(SettingsKey::kVariant, *variant.text);
  if (values.variant < 1) return reader;
  for (SettingsKey key : kQueriedAfterVariant) {
    values.TakeReply(key, ask(key).text.value_or(QString()));
  }
  return reader;
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

QString NoAccessMessage(const ConnectedReader& reader) {
  return NoAccessMessage(HexWord(reader.identity.product_id), reader.identity.serial_number);
}

}  // namespace kx12r
