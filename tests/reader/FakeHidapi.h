#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "reader/HidapiLibrary.h"

// A stand-in for the hidapi C functions, so HidapiLibrary runs without hardware.
namespace fake_hidapi {

struct Device {
  std::string path;
  std::uint16_t vendor_id = 0x04D8;
  std::uint16_t product_id = 0x0002;
  std::uint16_t release = 0x0184;
  std::wstring serial = L"00417";
  std::wstring product = L"KX12R";
  std::wstring manufacturer = L"Salvion";
  int collections = 1;                 // hidapi lists a device once per top-level collection
  unsigned short usage_page = 0xFF00;  // of the first collection
  unsigned short usage = 0x01;
  bool present = true;             // listed by hid_enumerate
  bool openable = true;            // false: gone by the time it is opened
  bool permission_denied = false;  // the user may not open the node
  bool initialized = true;         // udev has finished with the node
  std::string connection = "0003:04D8:0002.0001";
  std::deque<std::vector<std::uint8_t>> input;  // reports as hidraw delivers them
  std::vector<std::vector<std::uint8_t>> written;
  int opened = 0;
  int closed = 0;
};

std::deque<Device>& Devices();  // a deque, so references stay valid as devices are added
Device& Add(std::string path);
int LastReadTimeout();
// What the system would say of the node of a listed device.
kx12r::NodeState Probe(const std::string& path);
void Reset();

}  // namespace fake_hidapi
