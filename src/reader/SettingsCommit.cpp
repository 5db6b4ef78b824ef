// Writing settings to a reader.
#include "reader/SettingsCommit.h"

#include "reader/ReportExchange.h"

namespace kx12r {

bool CommitSetting(HidLibrary& hid, int handle, const SettingWrite& write) {
  const std::optional<QString> sent = EncodeSetting(write.key, write.value);
  return sent && SendTextCommand(hid, handle, SettingOf(write.key).set, *sent);
}

std::optional<SettingsKey> CommitSettings(
    HidLibrary& hid, int handle, const std::vector<SettingWrite>& writes,
    const std::function<void(const SettingWrite&)>& accepted) {
  for (const SettingWrite& write : writes) {
    if (!CommitSetting(hid, handle, write)) return write.key;
    if (accepted) accepted(write);
  }
  return std::nullopt;
}

std::vector<SettingsKey> NotHeld(const ReaderValues& read_back,
                                 const std::vector<SettingWrite>& writes) {
  std::vector<SettingsKey> differing;
  for (const SettingWrite& write : writes) {
    if (!read_back.Holds(write.key, write.value)) differing.push_back(write.key);
  }
  return differing;
}

}  // namespace kx12r
