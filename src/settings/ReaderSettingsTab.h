#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QWidget>

#include "FlexGrid.h"
#include "ReaderLink.h"

namespace kx12r {

// Tab 0, "Настройки считывателя": the settings grid of the selected reader, its message label
// and the three flag boxes.
class ReaderSettingsTab : public QWidget {
 public:
  ReaderSettingsTab(ReaderLink& link, QWidget* parent = nullptr);

  FlexGrid* MSFlexGrid2;
  QLabel* Label1;
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;
  QCheckBox* CheckBox3;

  // Shows the selected reader: the settings grid is offered only to firmware that can be
  // configured, others get their warning in Label1.
  void ShowSelectedReader();

 private:
  void ShowFlags();

  ReaderLink& link_;
};

}  // namespace kx12r
