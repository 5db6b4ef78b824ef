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
  int GetItemCount() override { return 1; }
  int GetItem(int) override { return 1; }
  std::uint16_t GetVendorID(int) override { return 0x04D8; }
  std::uint16_t GetProductID(int) override { return product_id; }
  std::uint16_t GetVersion(int) override { return version; }
  std::string GetSerialNumber(int) override { return serial_number; }
  std::string GetProductName(int) override { return product_name; }
  std::string GetVendorName(int) override { return vendor_name; }
  int GetOutputReportLength(int) override { return output_length; }
  int GetInputReportLength(int) override { return input_length; }
  bool IsAccessDenied(int) override { return false; }

  std::uint16_t product_id = 0x0002;
  std::uint16_t version = 0x0184;
  std::string serial_number;
  std::string product_name;
  std::string vendor_name;
  int output_length = 8;
  int input_length = 8;
};

}  // namespace kx12r
