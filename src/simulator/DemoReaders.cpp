// The demo program's simulated readers and keyboard.
#include "simulator/DemoReaders.h"

namespace kx12r {
namespace {

constexpr char kProductName[] = "KX12R USB Proximity Reader";
constexpr char kVendorName[] = "Salvion Systems";

}  // namespace

void PlugDemoReaders(SimulatedHidLibrary& library) {
  library.Plug({.product_id = 0x00DF,
                .version = 0x0184,
                .serial_number = "00417",
                .product_name = kProductName,
                .vendor_name = kVendorName},
               {.variant = 8, .prefix = "#K", .suffix = "", .code_format = 0, .ending = 13});
  library.Plug({.product_id = 0x0002,
                .version = 0x0172,
                .serial_number = "00158",
                .product_name = kProductName,
                .vendor_name = kVendorName},
               {.variant = 3, .code_format = 2, .ending = 9, .buzzer_off = true});
  library.Plug({.product_id = 0xF002,
                .version = 0x0153,
                .serial_number = "00032",
                .product_name = kProductName,
                .vendor_name = kVendorName});
  library.Plug({.vendor_id = 0x046D,
                .product_id = 0xC31C,
                .version = 0x6400,
                .serial_number = "",
                .product_name = "USB Keyboard",
                .vendor_name = "Logitech"});
}

}  // namespace kx12r
