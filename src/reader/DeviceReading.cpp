// Reading one device's identity and settings.
#include "reader/DeviceReading.h"

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

// Asks a reader known by its identity for its settings.
ConnectedReader ReadSettings(HidLibrary& hid, ConnectedReader reader) {
  const DeviceIdentity& identity = reader.identity;
  // An old reader is listed unasked, so the user learns why it cannot be configured.
  if (!identity.IsOurs() || !identity.firmware.Configurable() || reader.access_denied) {
    return reader;
  }
  const auto ask = [&](SettingsKey key) {
    const QueryReply reply = AskReader(hid, reader.handle, SettingOf(key).query);
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

}  // namespace

ConnectedReader ReadConnectedReader(HidLibrary& hid, const HidDeviceInfo& device) {
  return ReadSettings(hid,
                      {.handle = device.handle,
                       .identity = {.vendor_id = device.vendor_id,
                                    .product_id = device.product_id,
                                    .firmware = FirmwareVersion(device.release),
                                    .serial_number = TextBeforeZero(device.serial_number),
                                    .product_name = TextBeforeZero(device.product_name).trimmed(),
                                    .vendor_name = TextBeforeZero(device.vendor_name).trimmed()},
                       .access_denied = device.access_denied});
}

ConnectedReader ReadSettingsAgain(HidLibrary& hid, const ConnectedReader& known) {
  return ReadSettings(
      hid,
      {.handle = known.handle, .identity = known.identity, .access_denied = known.access_denied});
}

}  // namespace kx12r
