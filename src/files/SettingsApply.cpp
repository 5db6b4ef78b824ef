#include "SettingsApply.h"

#include "ReportExchange.h"

namespace kx12r {

ReaderApply ApplyToReader(HidLibrary& hid, int handle,
                          const std::vector<AppliedParameter>& parameters,
                          const std::function<void(const AppliedParameter&)>& accepted) {
  ReaderApply outcome;
  for (const AppliedParameter& parameter : parameters) {
    if (parameter.missing) {
      ++outcome.missing;
      continue;
    }
    if (!SendTextCommand(hid, handle, parameter.command, parameter.sent)) {
      outcome.refused_caption = parameter.caption;
      return outcome;
    }
    if (accepted) accepted(parameter);
  }
  return outcome;
}

}  // namespace kx12r
