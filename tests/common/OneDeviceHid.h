#pragma once

#include <cstdint>
#include <string>

#include "reader/HidLibrary.h"

namespace kx12r {

// One reader at handle 1 for the tests and fuzzers that script its reports: its identity and
// report lengths are fields, Write and Read are theirs to give.
class OneDeviceHid : public HidLibrary {
 public:
  bool Connect() override { return true; }
  void Disconnect() override {}
  HidSnapshot Enumerate() override {
    return {.devices = {{.handle = 1,
                         .vendor_id = 0x04D8,
                         .product_id = product_id,
                         .release = version,
                         .serial_number = serial_number,
                         .product_name = product_name,
                         .vendor_name = vendor_name}}};
  }
  int GetOutputReportLength(int) override { return output_length; }
  int GetInputReportLength(int) override { return input_length; }

  std::uint16_t product_id = 0x0002;
  std::uint16_t version = 0x0184;
  std::string serial_number;
  std::string product_name;
  std::string vendor_name;
  int output_length = 8;
  int input_length = 8;
};

}  // namespace kx12r
