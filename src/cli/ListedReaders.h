#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "base/WaitClock.h"
#include "reader/ConnectedReader.h"
#include "reader/HidLibrary.h"

namespace kx12r::cli {

// Every reader of ours connected now, as the one scan finds them, with the queries any refused
// told on the way.
std::vector<ConnectedReader> ListReaders(HidLibrary& hid, WaitClock& clock);

// The one reader with this serial number; nothing, with why, when there is none, several, or
// one the program may not open.
struct Choice {
  std::optional<ConnectedReader> reader;
  QString error;
};
Choice ChooseReader(const std::vector<ConnectedReader>& readers, const QString& serial);

}  // namespace kx12r::cli
