#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "db/ServiceDatabase.h"
#include "link/ReaderLink.h"
#include "settings/ReaderFlags.h"
#include "settings/SettingEditor.h"
#include "ui/FlexGrid.h"

namespace kx12r {

// Tab 0, "Настройки считывателя": the settings grid of the selected reader with its eight
// message variants, the message label, the setting editor of variant 8 and the three flags.
// Choosing a row makes that variant the reader's active one at once.
class ReaderSettingsTab : public QWidget {
  Q_OBJECT

 public:
  ReaderSettingsTab(ReaderLink& link, ServiceDatabase& database, QWidget* parent = nullptr);

  FlexGrid* MSFlexGrid2;
  QLabel* Label1;
  QPushButton* CmdEdit;
  QCheckBox* CheckBox1;
  QCheckBox* CheckBox2;
  QCheckBox* CheckBox3;
  SettingEditor* Editor;

  // Once at start-up: captions, the fixed variants and the selected reader's variant 8.
  void BuildSettingsGrid();
  // The selected reader on this tab: the gate, the flags, variant 8 and the mark.
  void ShowReaderInSettingsGrid();
  // Makes the current row the reader's active variant (the grid's Click).
  void SelectVariant();

  // The settings-grid column last under the pointer or last reached with Left/Right.
  int RememberedColumn() const { return remembered_column_; }

 private:
  void FillReaderVariantRow();
  QString VariantHint(const QString& code_format_name);
  void PlaceEditButton();
  void TakeMarkAway();
  void OnSelChange();
  void OnMouseMove(QPoint position);
  // The tab is the one shown in the tab control.
  bool IsOpen() const { return !isHidden(); }

  ReaderLink& link_;
  ServiceDatabase& database_;
  ReaderFlags* flags_;
  int remembered_column_ = 0;
};

}  // namespace kx12r
