// The simulated readers' keyboard interfaces.
#include "simulator/SimulatedKeyboardInputs.h"

namespace kx12r {

const std::vector<std::uint8_t>& BootKeyboardDescriptor() {
  static const std::vector<std::uint8_t> descriptor = {
      0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,              // Generic Desktop, Keyboard, Application
      0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00,  // Keyboard page, modifiers E0..E7
      0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,  // 8 one-bit variables
      0x95, 0x01, 0x75, 0x08, 0x81, 0x01,              // the reserved byte
      0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65,  // six keys
      0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00,  // an array of usages 0..101
      0xC0};
  return descriptor;
}

std::vector<KeyboardInterface> SimulatedKeyboardInputs::Interfaces() {
  std::vector<KeyboardInterface> interfaces;
  for (const HidDeviceInfo& listed : hid_.Enumerate().devices) {
    const SimulatedReader* device = hid_.DeviceAt(listed.handle);
    if (device && device->SpeaksReaderProtocol()) {
      interfaces.push_back({QString::fromStdString(device->Identity().serial_number),
                            QString::number(listed.handle)});
    }
  }
  return interfaces;
}

std::vector<std::uint8_t> SimulatedKeyboardInputs::Descriptor(const QString&) {
  return BootKeyboardDescriptor();
}

KeyboardInputs::ReadResult SimulatedKeyboardInputs::Read(const QString& id,
                                                         std::vector<std::uint8_t>& report) {
  SimulatedReader* device = hid_.DeviceAt(id.toInt());
  if (!device) return ReadResult::kGone;
  if (device->AccessDenied()) return ReadResult::kDenied;
  return device->TakeKeyboardReport(report) ? ReadResult::kReport : ReadResult::kNothing;
}

}  // namespace kx12r
