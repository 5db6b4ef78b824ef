#pragma once

#include <gtest/gtest.h>

#include "ReaderWindow.h"
#include "ScriptedPresenter.h"

namespace kx12r {

// The device list and its discovery, on a window over simulated readers.
class ReaderLinkFixture : public ::testing::Test, protected ReaderWindow {
 protected:
  ReaderLinkFixture() : ReaderWindow({760, 200}) {}

  SimulatedReader& PlugReader(std::uint16_t version = 0x0184,
                              ReaderSettings settings = {.variant = 3},
                              std::uint16_t product = 0x0002) {
    return hid_.Plug({.product_id = product,
                      .version = version,
                      .serial_number = "00417",
                      .product_name = "  KX12R  ",
                      .vendor_name = "Salvion "},
                     settings);
  }
  SimulatedReader& PlugKeyboard() { return hid_.Plug({.vendor_id = 0x046D, .product_id = 0xC31C}); }

  std::vector<int> ShownRows() const {
    std::vector<int> rows;
    for (int row = 1; row < table_->Rows(); ++row) {
      if (table_->RowHeight(row) > 0) rows.push_back(row);
    }
    return rows;
  }

  ScriptedPresenter presenter_;
};

}  // namespace kx12r
