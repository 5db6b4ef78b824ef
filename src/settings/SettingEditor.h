#pragma once

#include <QLabel>
#include <QObject>
#include <QPoint>
#include <QPushButton>
#include <QStringList>
#include <vector>

#include "db/ServiceDatabase.h"
#include "db/ServiceRows.h"
#include "link/ReaderLink.h"
#include "ui/FlexGrid.h"

namespace kx12r {

// The popups that edit one setting of the changeable variant (row 8 of the settings grid):
// a character pad for the prefix and the suffix, a choice list for the code format and the
// ending. Saving writes the value to the reader at once; only an accepted write changes the
// grid and what is known of the reader. While a popup is open the device list and the settings
// grid are locked and discovery is paused.
class SettingEditor : public QObject {
  Q_OBJECT

 public:
  // `page` holds the popups, over `settings_grid`; `label` is the message label under the grid
  // and `edit_button` the "..." button that opens the editor.
  SettingEditor(ReaderLink& link, ServiceDatabase& database, QWidget& page, FlexGrid& settings_grid,
                QLabel& label, QPushButton& edit_button);

  FlexGrid* MSFlexGrid3;  // the pad or the choice list
  FlexGrid* MSFlexGrid4;  // the title strip above a choice list
  QLabel* Text1;          // hints of the pictures
  QLabel* Text2;          // the description of a code format

  bool IsOpen() const { return mode_ != Mode::kClosed; }

  void OpenSettingEditor();
  void SaveEditedValue();
  void CloseEditor();
  void HideHints();

 private:
  enum class Mode { kClosed, kPad, kList };

  void OpenAffixEditor();
  bool OpenCodeFormatList();
  bool OpenEndingList();
  // One entry of a choice list: the value it writes, its name and, for a code format, its
  // description.
  struct Choice {
    int value;
    QString name;
    QString description;
  };
  // Shows the choices, one row each with `cells`, and highlights the one the reader holds.
  bool FillList(const std::vector<QStringList>& cells, const std::vector<int>& widths,
                const std::vector<Qt::Alignment>& alignments, int held);
  void ShowListTitle(const QString& caption);
  void ShowCodeFormatHint();
  void PlaceOverSettingsGrid(FlexGrid& popup);
  QString EditedCaption() const;

  void AppendCharacter();
  void EraseLastCharacter();
  void SetPadValue(const QString& value);

  void OnPopupClick();
  void OnPopupKeyDown(int key);
  void OnPopupSelChange();
  void OnPopupMouseMove(QPoint position);
  void OnTitleClick();
  void OnTitleMouseMove(QPoint position);
  void ShowPictureHint(FlexGrid& grid, int col, const QString& hint, QPoint position);

  ReaderLink& link_;
  ServiceDatabase& database_;
  QWidget& page_;
  FlexGrid& settings_grid_;
  QLabel& label_;
  QPushButton& edit_button_;
  Mode mode_ = Mode::kClosed;
  int edited_column_ = 0;
  int edited_handle_ = 0;
  QPoint last_pressed_cell_;     // row 0: none
  std::vector<Choice> choices_;  // the open list's, row by row
};

}  // namespace kx12r
