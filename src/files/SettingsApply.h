#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "db/ServiceDatabase.h"
#include "files/SettingsFile.h"
#include "reader/ConnectedReader.h"
#include "reader/HidLibrary.h"
#include "reader/ReaderSettings.h"

namespace kx12r {

// What the user is told of an apply: a file with invalid values is refused; a reader refused
// the parameter `caption`; all went through with `missing` parameters the file does not set;
// no reader could be configured.
QString InvalidValuesText();
// Why a file with invalid values cannot be applied: the database's missing code formats or
// endings when that is the cause, otherwise the file's values.
QString InvalidFileText(ServiceDatabase& db);
QString ApplyRefusedText(SettingsKey refused);
// The same with the cause where the program knows it: a code format the reader's firmware does
// not offer.
QString ApplyRefusedText(SettingsKey refused, const ConnectedReader& reader,
                         const std::vector<AppliedParameter>& parameters, ServiceDatabase& db);
QString ApplyDoneText(int missing);
QString NothingAppliedText();

// What applying a file to one reader came to.
struct ReaderApply {
  int missing = 0;                     // parameters the file does not set
  std::optional<SettingsKey> refused;  // the parameter the reader refused; nothing after it
};

// Writes the parameters to one reader in order and stops at the first it refuses; `accepted`
// hears of each parameter the reader took, so what is known of the reader can follow.
ReaderApply ApplyToReader(HidLibrary& hid, int handle,
                          const std::vector<AppliedParameter>& parameters,
                          const std::function<void(const SettingWrite&)>& accepted);

// One reader an apply may write to.
struct ApplyTarget {
  int handle = 0;
  bool configurable = false;  // a reader that can be configured; others are passed over
};

// What applying a file to several readers came to. It stops at the first refusal.
struct ApplyReport {
  int configured = 0;  // readers written to, the refusing one included
  int missing = 0;     // parameters the file does not set, counted per reader
  std::optional<SettingsKey> refused;
  int refused_target = -1;   // the index of the reader that refused
  bool interrupted = false;  // `stop` said so before a reader: it and those after were left
};

// Writes the parameters to the targets in order, as the files tab does: readers that cannot be
// configured are passed over, and the first refusal stops the whole apply. `accepted` hears of
// each parameter a target took, `passed` of each target done with; `stop`, asked before each
// reader, ends the apply there.
ApplyReport ApplyToReaders(HidLibrary& hid, const std::vector<ApplyTarget>& targets,
                           const std::vector<AppliedParameter>& parameters,
                           const std::function<void(int target, const SettingWrite&)>& accepted,
                           const std::function<void(int target)>& passed = nullptr,
                           const std::function<bool()>& stop = nullptr);

}  // namespace kx12r
