#pragma once

#include <QLabel>
#include <QWidget>

namespace kx12r {

// Tab 3, "Обновление ПО": how readers get new firmware.
class FirmwareUpdateTab : public QWidget {
 public:
  explicit FirmwareUpdateTab(QWidget* parent = nullptr);

  QLabel* Label10;
};

}  // namespace kx12r
