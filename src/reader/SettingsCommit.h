#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "reader/HidLibrary.h"
#include "reader/ReaderSettings.h"

namespace kx12r {

// One value for a reader to take.
struct SettingWrite {
  SettingsKey key;
  SettingValue value;
};

// The one way settings are written to a reader: the settings tab's single change, a file's
// apply and kx12rctl's station all go through it.
// Writes one setting; false when the value has no form on the wire, nothing could be sent, or
// the reader refused it.
bool CommitSetting(HidLibrary& hid, int handle, const SettingWrite& write);
// Writes in order and stops at the first setting the reader does not take: its key. `accepted`
// hears of each one taken, so what is known of the reader can follow.
std::optional<SettingsKey> CommitSettings(
    HidLibrary& hid, int handle, const std::vector<SettingWrite>& writes,
    const std::function<void(const SettingWrite&)>& accepted = nullptr);

// The settings of `writes` that `read_back` (a reader's settings as the queries read them) does
// not hold as written, in their order. Empty when all are held.
std::vector<SettingsKey> NotHeld(const ReaderValues& read_back,
                                 const std::vector<SettingWrite>& writes);

}  // namespace kx12r
