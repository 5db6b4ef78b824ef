#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "base/WaitClock.h"
#include "reader/DeviceReading.h"
#include "reader/HidLibrary.h"

namespace kx12r::cli {

// A reader as kx12rctl finds it: its device-list row, or only its identity when the system
// refuses the program access to it.
struct ListedReader {
  DeviceRecord record;
  bool access_denied = false;
  QString Serial() const { return record[kColSerialNumber]; }
  int Handle() const;
  bool Configurable() const;
};

// What one device of ours tells: its identity only when the system refuses access to it, its
// whole row otherwise (record.is_reader false for a device that is not a reader after all).
ListedReader ReadReader(HidLibrary& hid, int handle);

// Every reader of ours connected now, in the library's order. A reader whose node the system
// is still setting up is waited for, and one that gives no answer at all is asked again, each
// on `clock` for at most kLateReaderGrace before it is left out.
std::vector<ListedReader> ListReaders(HidLibrary& hid, WaitClock& clock);

// The one reader with this serial number; nothing, after telling why on `err`, when there is
// none, several, or one the program may not open.
struct Choice {
  std::optional<ListedReader> reader;
  QString error;
};
Choice ChooseReader(const std::vector<ListedReader>& readers, const QString& serial);

}  // namespace kx12r::cli
