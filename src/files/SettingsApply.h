#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "HidLibrary.h"
#include "SettingsFile.h"

namespace kx12r {

// What applying a file to one reader came to.
struct ReaderApply {
  int missing = 0;                        // parameters the file does not set
  std::optional<QString> refused_caption;  // the parameter the reader refused; nothing after it
};

// Writes the parameters to one reader in order and stops at the first it refuses; `accepted`
// hears of each parameter the reader took, so its cache can follow.
ReaderApply ApplyToReader(HidLibrary& hid, int handle,
                          const std::vector<AppliedParameter>& parameters,
                          const std::function<void(const AppliedParameter&)>& accepted);

}  // namespace kx12r
