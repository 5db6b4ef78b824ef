#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace kx12r {

// The keyboard interface of a reader: the part of the USB device that types the card messages.
struct KeyboardInterface {
  QString serial_number;  // of the reader it belongs to
  QString id;             // names the interface while it stays connected
};

// Where the keyboard input reports of the readers plugged in can be read, without taking the
// keys from the application that has the focus.
class KeyboardInputs {
 public:
  virtual ~KeyboardInputs() = default;

  // The readers' keyboard interfaces present now.
  virtual std::vector<KeyboardInterface> Interfaces() = 0;
  // The interface's report descriptor; empty when it cannot be read.
  virtual std::vector<std::uint8_t> Descriptor(const QString& id) = 0;

  enum class ReadResult { kReport, kNothing, kGone, kDenied };
  // The next input report waiting (byte 0 the report number, 0 without numbered reports),
  // without waiting for one; kDenied while the system does not let the program read it.
  virtual ReadResult Read(const QString& id, std::vector<std::uint8_t>& report) = 0;
};

}  // namespace kx12r
