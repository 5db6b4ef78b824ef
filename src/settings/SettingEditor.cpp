// The editors of variant 8's prefix, code format, suffix and ending.
#include "settings/SettingEditor.h"

#include <QStyle>
#include <algorithm>
#include <limits>

#include "base/KeyState.h"
#include "base/MessageBox.h"
#include "base/NumericText.h"
#include "db/ServiceLookups.h"
#include "reader/Firmware.h"
#include "settings/SettingsGridLayout.h"
#include "shown/ShownSettings.h"
#include "ui/GridToolkit.h"
#include "ui/Twips.h"

namespace kx12r {
namespace {

// The pad: a tool row over six rows of the printable characters 33..126, 16 to a row.
constexpr int kPadRows = 7;
constexpr int kPadCols = 16;
constexpr int kFirstPadCharacter = 33;
constexpr int kLastPadCharacter = 126;
constexpr int kValueCells = 5;  // cells 0..4 of the tool row show the value
constexpr int kEraserCell = 5;
constexpr int kFirstCaptionCell = 6;
constexpr int kLastCaptionCell = 13;
constexpr int kOkCell = 14;
constexpr int kCloseCell = 15;
constexpr int kAffixLimit = 5;
const QString kPlaceholder = QStringLiteral(" ");  // stands for an empty value

// The choice lists and their title strip, in twips.
constexpr int kListWidth = 3840;
constexpr int kListHeight = 1440;
constexpr int kNarrowColumn = 240;
constexpr int kTitleHeight = 250;
constexpr int kTitleRowHeight = 240;
constexpr int kListFontSize = 8;
constexpr int kTitleOk = 1;
constexpr int kTitleClose = 2;

// The description box of a code format and how far it stands from the list.
constexpr int kDescriptionWidth = 3000;
constexpr int kDescriptionHeight = 1800;
constexpr int kDescriptionGap = 300;
constexpr int kLowestBottomMargin = 50;

QString Hint(const QString& keys, const QString& action) { return keys + action; }
QString Key(const char* name) { return QStringLiteral("\"") + name + QStringLiteral("\""); }
const QString kEraserHint = Hint(Key("Click") + " или " + Key("Backspace"), " - удалить символ");
const QString kPadOkHint = Hint(Key("Click") + " или " + Key("Enter"), " - cохранить");
const QString kCloseHint = Hint(Key("Click") + " или " + Key("Esc"), " - закрыть");
const QString kTitleOkHint =
    Hint(Key("Dbl-Click") + ", " + Key("Click") + " или " + Key("Enter"), " - cохранить");

bool IsSaveKey(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// Resets a popup grid to an empty one of the given shape.
void ResetGrid(FlexGrid& grid, int rows, int cols, FlexGrid::SelectionMode mode,
               FlexGrid::ScrollBars bars) {
  grid.SetMergeRow(0, false);
  grid.SetRows(0);
  grid.SetCols(0);
  grid.SetFixedRows(0);
  grid.SetFixedCols(0);
  grid.SetSelectionMode(mode);
  grid.SetScrollBars(bars);
  grid.SetRows(rows);
  grid.SetCols(cols);
}

// Outer size of a grid whose cells take `width` x `height` twips.
QSize OuterSize(const FlexGrid& grid, int width, int height) {
  const int frame = 2 * grid.frameWidth();
  return {TwipsToPixels(width) + frame, TwipsToPixels(height) + frame};
}

// A number of the database as a value a write takes.
int ChoiceValue(long long number) {
  return static_cast<int>(std::clamp<long long>(number, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

}  // namespace

SettingEditor::SettingEditor(ReaderLink& link, ServiceDatabase& database, QWidget& page,
                             FlexGrid& settings_grid, QLabel& label, QPushButton& edit_button)
    : QObject(&page),
      link_(link),
      database_(database),
      page_(page),
      settings_grid_(settings_grid),
      label_(label),
      edit_button_(edit_button) {
  MSFlexGrid3 = new FlexGrid(&page);
  MSFlexGrid3->hide();
  MSFlexGrid3->setAccessibleName(QStringLiteral("Форматы кода метки"));
  MSFlexGrid4 = new FlexGrid(&page);
  MSFlexGrid4->hide();
  MSFlexGrid4->setAccessibleName(QStringLiteral("Окончания"));
  for (QLabel** box : {&Text1, &Text2}) {
    *box = new QLabel(&page);
    (*box)->setFrameShape(QFrame::Box);
    (*box)->setAutoFillBackground(true);
    (*box)->setBackgroundRole(QPalette::ToolTipBase);
    (*box)->setForegroundRole(QPalette::ToolTipText);
    (*box)->hide();
  }
  Text2->setWordWrap(true);
  Text2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Text2->resize(TwipsToPixels(kDescriptionWidth), TwipsToPixels(kDescriptionHeight));

  connect(MSFlexGrid3, &FlexGrid::Click, this, &SettingEditor::OnPopupClick);
  connect(MSFlexGrid3, &FlexGrid::DblClick, this, [this] {
    if (mode_ == Mode::kList) SaveEditedValue();
  });
  connect(MSFlexGrid3, &FlexGrid::KeyDown, this, &SettingEditor::OnPopupKeyDown);
  connect(MSFlexGrid3, &FlexGrid::SelChange, this, &SettingEditor::OnPopupSelChange);
  connect(MSFlexGrid3, &FlexGrid::MouseMove, this, &SettingEditor::OnPopupMouseMove);
  connect(MSFlexGrid4, &FlexGrid::Click, this, &SettingEditor::OnTitleClick);
  connect(MSFlexGrid4, &FlexGrid::MouseMove, this, &SettingEditor::OnTitleMouseMove);
}

QString SettingEditor::EditedCaption() const {
  return settings_grid_.TextMatrix(0, edited_column_);
}

void SettingEditor::OpenSettingEditor() {
  if (IsOpen() || !link_.WaitForIdle()) return;
  // The column and the reader are fixed now: a later click elsewhere never changes what the
  // save writes, or to whom.
  edited_column_ = settings_grid_.Col();
  edited_handle_ = link_.SelectedReaderHandle();
  bool opened = false;
  if (settings_grid_.Row() == kChangeableVariant && edited_handle_ != 0) {
    switch (edited_column_) {
      case kGridPrefix:
      case kGridSuffix:
        OpenAffixEditor();
        opened = true;
        break;
      case kGridCodeFormat:
        opened = OpenCodeFormatList();
        if (opened) ShowCodeFormatHint();
        break;
      case kGridEnding:
        opened = OpenEndingList();
        break;
      default:
        break;
    }
  }
  // Nothing to choose from: editing ends before it began.
  if (!opened) {
    mode_ = Mode::kClosed;
    link_.HoldDiscovery(false);
    return;
  }
  link_.HoldDiscovery(true);
  link_.ShowDeviceStatus(true, EditedCaption());
}

void SettingEditor::PlaceOverSettingsGrid(FlexGrid& popup) {
  const QRect grid = settings_grid_.geometry();
  popup.move(grid.left() + grid.width() / 2 - popup.width() / 2,
             grid.top() + grid.height() - popup.height());
}

void SettingEditor::OpenAffixEditor() {
  FlexGrid& pad = *MSFlexGrid3;
  ResetGrid(pad, kPadRows, kPadCols, FlexGrid::SelectionMode::kFree, FlexGrid::ScrollBars::kNone);
  QFont font = pad.font();
  font.setPointSize(page_.font().pointSize());
  pad.setFont(font);
  const int side = pad.RowHeight(0);
  for (int col = 0; col < kPadCols; ++col) {
    pad.SetColWidth(col, side);
    pad.SetColAlignment(col, Qt::AlignCenter);
  }
  for (int code = kFirstPadCharacter; code <= kLastPadCharacter; ++code) {
    const int index = code - kFirstPadCharacter;
    pad.SetTextMatrix(1 + index / kPadCols, index % kPadCols, QString(QChar(code)));
  }
  pad.resize(OuterSize(pad, side * kPadCols, side * kPadRows));

  const QPalette colours = pad.palette();
  for (int col = 0; col < kPadCols; ++col) {
    pad.SetCellBackColor(0, col, colours.color(QPalette::Button));
    pad.SetCellAlignment(0, col, Qt::AlignLeft | Qt::AlignVCenter);
  }
  // A picture stays inside its square cell: it starts after the cell's left margin.
  const int margin = pad.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &pad) + 1;
  const int picture = std::min(TwipsToPixels(side) - margin - 1, pad.iconSize().width());
  pad.setIconSize(QSize(picture, picture));
  pad.SetCellPicture(0, kEraserCell, QStringLiteral("eraser"));
  pad.SetCellPicture(0, kOkCell, QStringLiteral("ok"));
  pad.SetCellPicture(0, kCloseCell, QStringLiteral("close"));
  pad.SetMergeRow(0, true);
  for (int col = kFirstCaptionCell; col <= kLastCaptionCell; ++col) {
    pad.SetTextMatrix(0, col, EditedCaption());
  }
  pad.SetCellAlignment(0, kFirstCaptionCell, Qt::AlignCenter);

  const Affix held =
      std::get<Affix>(link_.SelectedReader().Values().Get(EditedSettingOf(edited_column_)));
  SetPadValue(held.text.isEmpty() ? kPlaceholder : held.text);
  PlaceOverSettingsGrid(pad);
  mode_ = Mode::kPad;
  edit_button_.lower();
  pad.show();
  pad.raise();
  pad.setFocus();
}

void SettingEditor::SetPadValue(const QString& value) {
  for (int col = 0; col < kValueCells; ++col) MSFlexGrid3->SetTextMatrix(0, col, value);
}

void SettingEditor::AppendCharacter() {
  FlexGrid& pad = *MSFlexGrid3;
  const QPalette colours = pad.palette();
  if (last_pressed_cell_.y() > 0) {
    pad.SetCellBackColor(last_pressed_cell_.y(), last_pressed_cell_.x(),
                         colours.color(QPalette::Base));
    pad.SetCellForeColor(last_pressed_cell_.y(), last_pressed_cell_.x(),
                         colours.color(QPalette::Text));
  }
  const int row = pad.Row();
  const int col = pad.Col();
  pad.SetCellBackColor(row, col, colours.color(QPalette::Highlight));
  pad.SetCellForeColor(row, col, colours.color(QPalette::Base));
  last_pressed_cell_ = QPoint(col, row);

  const QString pressed = pad.TextMatrix(row, col);
  const QString value = pad.TextMatrix(0, 0);
  const QString next = pressed == kPlaceholder || value != kPlaceholder ? value + pressed : pressed;
  if (next.size() <= kAffixLimit) {
    SetPadValue(next);
    return;
  }
  ShowMessage(QStringLiteral("Длинна параметра ") + Quoted(EditedCaption()) + QStringLiteral(": ") +
                  QStringLiteral("[") + next + QStringLiteral("]") +
                  QStringLiteral(" не может превышать пяти символов."),
              kInformationStyle, kMessageTitle);
}

void SettingEditor::EraseLastCharacter() {
  QString value = MSFlexGrid3->TextMatrix(0, 0);
  if (value.isEmpty()) return;
  value.chop(1);
  SetPadValue(value.isEmpty() ? kPlaceholder : value);
}

bool SettingEditor::OpenCodeFormatList() {
  const ConnectedReader& reader = link_.SelectedReader();
  const CodeFormatChoice offered = reader.identity.firmware.CodeFormats(reader.identity.product_id);
  choices_.clear();
  std::vector<QStringList> cells;
  for (const CodeFormatRow& row : CodeFormatChoices(database_, offered)) {
    choices_.push_back({ChoiceValue(row.id), row.name, row.description});
    cells.push_back({QString::number(row.id), row.name, row.description});
  }
  // A reader without a code format reads as code format 0.
  return FillList(cells, {kNarrowColumn, kListWidth - 2 * kNarrowColumn, 0},
                  {Qt::AlignCenter, Qt::AlignLeft | Qt::AlignVCenter, Qt::AlignCenter},
                  reader.Values().code_format.value_or(0));
}

bool SettingEditor::OpenEndingList() {
  choices_.clear();
  std::vector<QStringList> cells;
  for (const EndingRow& row : EndingChoices(database_)) {
    choices_.push_back({ChoiceValue(row.code), row.name, QString()});
    cells.push_back({QString::number(row.code), row.name});
  }
  return FillList(cells, {0, kListWidth - kNarrowColumn},
                  {Qt::AlignCenter, Qt::AlignLeft | Qt::AlignVCenter},
                  link_.SelectedReader().Values().ending);
}

bool SettingEditor::FillList(const std::vector<QStringList>& cells, const std::vector<int>& widths,
                             const std::vector<Qt::Alignment>& alignments, int held) {
  if (cells.empty()) return false;
  FlexGrid& list = *MSFlexGrid3;
  const int count = static_cast<int>(cells.size());
  const int fields = static_cast<int>(widths.size());
  ResetGrid(list, count, fields, FlexGrid::SelectionMode::kByRow, FlexGrid::ScrollBars::kVertical);
  QFont font = list.font();
  font.setPointSize(kListFontSize);
  list.setFont(font);
  list.resize(OuterSize(list, kListWidth, kListHeight));
  PlaceOverSettingsGrid(list);
  for (int col = 0; col < fields; ++col) {
    list.SetColWidth(col, widths[col]);
    list.SetColAlignment(col, alignments[col]);
  }
  ShowListTitle(EditedCaption());
  for (int row = 0; row < count; ++row) {
    for (int col = 0; col < fields; ++col) list.SetTextMatrix(row, col, cells[row][col]);
  }
  const auto chosen = std::ranges::find(choices_, held, &Choice::value);
  SelectGridRow(list,
                chosen == choices_.end() ? kCurrent : static_cast<int>(chosen - choices_.begin()),
                false, false);
  mode_ = Mode::kList;
  edit_button_.lower();
  list.show();
  list.raise();
  list.setFocus();
  return true;
}

void SettingEditor::ShowListTitle(const QString& caption) {
  FlexGrid& title = *MSFlexGrid4;
  ResetGrid(title, 1, 3, FlexGrid::SelectionMode::kFree, FlexGrid::ScrollBars::kNone);
  title.SetRowHeight(0, kTitleRowHeight);
  title.SetColWidth(0, kListWidth - 2 * kNarrowColumn);
  title.SetColWidth(kTitleOk, kNarrowColumn);
  title.SetColWidth(kTitleClose, kNarrowColumn);
  title.resize(OuterSize(title, kListWidth, kTitleHeight));
  const QRect list = MSFlexGrid3->geometry();
  title.move(list.left(), list.top() - TwipsToPixels(kTitleRowHeight));
  const QColor face = title.palette().color(QPalette::Button);
  for (int col = 0; col < 3; ++col) title.SetCellBackColor(0, col, face);
  title.SetTextMatrix(0, 0, caption);
  title.SetCellAlignment(0, 0, Qt::AlignCenter);
  title.SetCellPicture(0, kTitleOk, QStringLiteral("ok"));
  title.SetCellPicture(0, kTitleClose, QStringLiteral("close"));
  title.show();
  title.raise();
}

void SettingEditor::ShowCodeFormatHint() {
  if (mode_ != Mode::kList || edited_column_ != kGridCodeFormat) return;
  FlexGrid& list = *MSFlexGrid3;
  const int row = list.Row();
  const QRect cell = list.CellGeometry(row, 1);
  if (cell.isEmpty()) return;
  ShowCellHint(list, row, 1, *Text2, choices_.at(row).description, cell.center(), kDescriptionGap,
               PixelsToTwips(page_.height()) - kLowestBottomMargin, true);
  Text2->show();
  Text2->raise();
}

void SettingEditor::SaveEditedValue() {
  if (!IsOpen()) return;
  const SettingsKey key = EditedSettingOf(edited_column_);
  SettingValue value;
  QString shown, description;
  if (mode_ == Mode::kPad) {
    shown = MSFlexGrid3->TextMatrix(0, 0);
    value = Affix{shown == kPlaceholder ? QString() : shown};
  } else {
    const Choice& choice = choices_.at(MSFlexGrid3->Row());
    value = choice.value;
    shown = choice.name;
    description = choice.description;
  }
  // The reader the editor was opened for, and no other, gets the value; one it already holds
  // is not written again.
  const bool same_reader = link_.SelectedReaderHandle() == edited_handle_;
  if (!shown.isEmpty() && !(same_reader && link_.SelectedReader().Values().Holds(key, value))) {
    if (!same_reader || !link_.WriteSetting(key, value)) {
      ShowMessage(QStringLiteral("Не могу присвоить устройству новое значение для поля кода ") +
                      Quoted(EditedCaption()) + QStringLiteral("."),
                  kInformationStyle, kMessageTitle);
    } else {
      if (shown.trimmed().isEmpty()) shown = kNone;
      settings_grid_.SetTextMatrix(kChangeableVariant, edited_column_, shown);
      if (!description.isEmpty()) {
        const QString hint = settings_grid_.TextMatrix(0, kGridCodeFormat) + QStringLiteral(": ") +
                             Quoted(description);
        settings_grid_.SetTextMatrix(kChangeableVariant, kGridHint, hint);
        label_.setText(hint);
      }
    }
  }
  CloseEditor();
}

void SettingEditor::CloseEditor() {
  if (!IsOpen()) return;
  mode_ = Mode::kClosed;
  // Hiding the focused popup would hand the keys to the tab bar: the arrows go on moving in
  // the grid the editor was opened from.
  const bool focused = MSFlexGrid3->hasFocus() || MSFlexGrid4->hasFocus();
  MSFlexGrid3->hide();
  MSFlexGrid4->hide();
  HideHints();
  edit_button_.raise();
  link_.ShowDeviceStatus(false);
  link_.HoldDiscovery(false);
  if (focused) settings_grid_.setFocus();
}

void SettingEditor::HideHints() {
  Text1->hide();
  Text2->hide();
}

void SettingEditor::OnPopupClick() {
  if (mode_ != Mode::kPad) return;  // in a list a click only moves the highlighted row
  const int row = MSFlexGrid3->Row();
  const int col = MSFlexGrid3->Col();
  if (row > 0) return AppendCharacter();
  if (col == kEraserCell) EraseLastCharacter();
  if (col == kOkCell) SaveEditedValue();
  if (col == kCloseCell) CloseEditor();
}

void SettingEditor::OnPopupKeyDown(int key) {
  if (key == Qt::Key_Backspace && mode_ == Mode::kPad) EraseLastCharacter();
  if (IsSaveKey(key)) SaveEditedValue();
  if (key == Qt::Key_Escape) CloseEditor();
}

void SettingEditor::OnPopupSelChange() {
  if (RowMoveKeyIsDown()) ShowCodeFormatHint();
}

void SettingEditor::ShowPictureHint(FlexGrid& grid, int col, const QString& hint, QPoint position) {
  ShowCellHint(grid, 0, col, *Text1, hint, position, 0, PixelsToTwips(page_.height()), false);
  Text1->show();
  Text1->raise();
}

void SettingEditor::OnPopupMouseMove(QPoint position) {
  if (!settings_grid_.isEnabled()) settings_grid_.setEnabled(true);
  FlexGrid& popup = *MSFlexGrid3;
  if (mode_ == Mode::kList) {
    const int row = popup.Row();
    if (edited_column_ == kGridCodeFormat && popup.CellGeometry(row, 1).contains(position)) {
      ShowCodeFormatHint();
    }
    Text1->hide();
    return;
  }
  for (const auto& [col, hint] :
       {std::pair{kEraserCell, kEraserHint}, std::pair{kOkCell, kPadOkHint},
        std::pair{kCloseCell, kCloseHint}}) {
    if (popup.CellGeometry(0, col).contains(position))
      return ShowPictureHint(popup, col, hint, position);
  }
  Text1->hide();
}

void SettingEditor::OnTitleClick() {
  if (MSFlexGrid4->Col() == kTitleOk) SaveEditedValue();
  if (MSFlexGrid4->Col() == kTitleClose) CloseEditor();
}

void SettingEditor::OnTitleMouseMove(QPoint position) {
  if (!settings_grid_.isEnabled()) settings_grid_.setEnabled(true);
  FlexGrid& title = *MSFlexGrid4;
  if (title.CellGeometry(0, kTitleOk).contains(position)) {
    return ShowPictureHint(title, kTitleOk, kTitleOkHint, position);
  }
  if (title.CellGeometry(0, kTitleClose).contains(position)) {
    return ShowPictureHint(title, kTitleClose, kCloseHint, position);
  }
  HideHints();
}

}  // namespace kx12r
