// The settings tab: the selected reader's eight message variants, its editor and its flags.
#include "settings/ReaderSettingsTab.h"

#include <QScopeGuard>

#include "base/KeyState.h"
#include "base/MessageBox.h"
#include "db/ServiceLookups.h"
#include "link/FirmwareGate.h"
#include "settings/SettingsGridLayout.h"
#include "shown/ShownSettings.h"
#include "ui/GridToolkit.h"
#include "ui/Twips.h"

namespace kx12r {
namespace {

// The grid shows the caption row and the eight variants without scrolling.
constexpr int kGridRows = 9;
constexpr QRect kGridPlace = TabPageRect(120, 400, 5500, 240 * kGridRows);
constexpr int kLabelGap = 100;
constexpr int kLabelHeight = 1000;
constexpr int kFlagLeft = 5800;
constexpr int kFlagWidth = 4700;
constexpr int kFlagHeight = 345;
constexpr int kFlagTops[] = {400, 755, 1110};
constexpr int kEditButtonFontSize = 6;

}  // namespace

ReaderSettingsTab::ReaderSettingsTab(ReaderLink& link, ServiceDatabase& database, QWidget* parent)
    : QWidget(parent), link_(link), database_(database) {
  MSFlexGrid2 = new FlexGrid(this);
  MSFlexGrid2->setGeometry(kGridPlace);
  MSFlexGrid2->SetScrollBars(FlexGrid::ScrollBars::kNone);
  MSFlexGrid2->setAccessibleName(QStringLiteral("Варианты кодовой посылки"));
  Label1 = new QLabel(this);
  Label1->setWordWrap(true);
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  CmdEdit = new QPushButton(this);
  CmdEdit->hide();
  CmdEdit->setAccessibleName(QStringLiteral("Изменить параметр"));
  CheckBox1 = new QCheckBox(CaptionOf(kFlagKeys[0]), this);
  CheckBox2 = new QCheckBox(CaptionOf(kFlagKeys[1]), this);
  CheckBox3 = new QCheckBox(CaptionOf(kFlagKeys[2]), this);
  QCheckBox* boxes[] = {CheckBox1, CheckBox2, CheckBox3};
  for (int i = 0; i < 3; ++i) {
    boxes[i]->setGeometry(TabPageRect(kFlagLeft, kFlagTops[i], kFlagWidth, kFlagHeight));
    boxes[i]->setEnabled(false);
  }
  flags_ = new ReaderFlags(link_, {CheckBox1, CheckBox2, CheckBox3});
  Editor = new SettingEditor(link_, database_, *this, *MSFlexGrid2, *Label1, *CmdEdit);

  connect(MSFlexGrid2, &FlexGrid::Click, this, &ReaderSettingsTab::SelectVariant);
  connect(MSFlexGrid2, &FlexGrid::SelChange, this, &ReaderSettingsTab::OnSelChange);
  connect(MSFlexGrid2, &FlexGrid::MouseMove, this, &ReaderSettingsTab::OnMouseMove);
  connect(CmdEdit, &QPushButton::clicked, Editor, &SettingEditor::OpenSettingEditor);
}

void ReaderSettingsTab::BuildSettingsGrid() {
  FlexGrid& grid = *MSFlexGrid2;
  if (InitGridFromCaptions(grid, SettingsGridCaptions(), Qt::AlignLeft | Qt::AlignVCenter,
                           {QStringLiteral("Dvar")})) {
    // The active variant's mark, "№" and an unknown ending need more than the length of their
    // captions gives.
    WidenColumnsToContent(grid, {{kGridMark, {}}, {kGridNumber, {}}, {kGridEnding, {kUnknown}}});
    grid.SetRows(kGridRows);
    // Exactly nine rows high, so no row scrolls.
    grid.resize(grid.width(), TwipsToPixels(grid.RowHeight(0)) * kGridRows + 2 * grid.frameWidth());
    for (int row = 1; row <= kFixedVariants; ++row) {
      const FixedVariant& variant = *FixedVariantOf(row);
      const QString code_format = QString::fromUtf8(variant.code_format_name);
      grid.SetTextMatrix(row, kGridNumber, QString::number(row));
      grid.SetTextMatrix(row, kGridPrefix, ShownAffix(QString::fromUtf8(variant.prefix)));
      grid.SetTextMatrix(row, kGridCodeFormat, code_format);
      grid.SetTextMatrix(row, kGridSuffix, ShownAffix(QString::fromUtf8(variant.suffix)));
      grid.SetTextMatrix(row, kGridEnding,
                         variant.ending_name ? QString::fromUtf8(variant.ending_name) : kNone);
      grid.SetTextMatrix(row, kGridHint, VariantHint(code_format));
    }
    FillReaderVariantRow();
  }
  const QRect placed = grid.geometry();
  Label1->setGeometry(placed.left(), placed.bottom() + 1 + TwipsToPixels(kLabelGap), placed.width(),
                      TwipsToPixels(kLabelHeight));
}

QString ReaderSettingsTab::VariantHint(const QString& code_format_name) {
  return MSFlexGrid2->TextMatrix(0, kGridCodeFormat) + QStringLiteral(": ") +
         Quoted(GetCodeVariantDescription(database_, code_format_name));
}

void ReaderSettingsTab::FillReaderVariantRow() {
  const ConnectedReader& reader = link_.SelectedReader();
  const ReaderValues& values = reader.Values();
  // A reader without a code format reads as code format 0.
  QString name = GetCodeVariantName(database_, values.code_format.value_or(0));
  if (name.isEmpty()) name = kUnknown;
  QString ending;
  if (reader.Configurable()) ending = GetEndingKeyName(database_, values.ending);
  if (ending.isEmpty()) ending = kUnknown;

  FlexGrid& grid = *MSFlexGrid2;
  grid.SetTextMatrix(kChangeableVariant, kGridNumber, QString::number(kChangeableVariant));
  grid.SetTextMatrix(kChangeableVariant, kGridPrefix, ShownAffix(values.prefix.text));
  grid.SetTextMatrix(kChangeableVariant, kGridCodeFormat, name);
  grid.SetTextMatrix(kChangeableVariant, kGridSuffix, ShownAffix(values.suffix.text));
  grid.SetTextMatrix(kChangeableVariant, kGridEnding, ending);
  grid.SetTextMatrix(kChangeableVariant, kGridHint, VariantHint(name));
}

void ReaderSettingsTab::ShowReaderInSettingsGrid() {
  // An open editor keeps row 8 and its pending value as they are.
  if (Editor->IsOpen()) return;
  int variant = 0;
  if (FirmwareAtLeast170(link_)) {
    variant = link_.SelectedReader().Values().variant;
    Label1->setPalette(palette());
    MSFlexGrid2->setEnabled(true);
  } else {
    FirmwareWarning(*Label1, link_);
    MSFlexGrid2->setEnabled(false);
  }
  flags_->LoadFlags(variant != 0);
  FillReaderVariantRow();

  // A variant the grid has no row for marks nothing and writes nothing.
  if (variant >= 1 && variant <= kChangeableVariant) {
    if (variant > kFixedVariants) {
      const QSignalBlocker moving(MSFlexGrid2);
      MSFlexGrid2->SetRow(variant);
    } else {
      SelectGridRow(*MSFlexGrid2, variant, false, true);
    }
    SelectVariant();
    return;
  }
  TakeMarkAway();
  link_.Status().SetStatus(StatusIcon::kNone, QString(), 2);
  if (link_.CountListedReaders() == 0) Label1->clear();
  CmdEdit->hide();
}

void ReaderSettingsTab::TakeMarkAway() {
  FlexGrid& grid = *MSFlexGrid2;
  bool marked = false;
  const int row = grid.Tag().toInt(&marked);
  if (!marked) return;
  grid.SetTag(QString());
  grid.SetCellPicture(row, kGridMark, QString());
}

void ReaderSettingsTab::SelectVariant() {
  if (!IsOpen() || !link_.HasSelectedReader()) return;
  FlexGrid& grid = *MSFlexGrid2;
  const int row = grid.Row();
  {
    // The moves below are the program's own, not the user's.
    grid.SetSelChangeEventLocked(true);
    const auto unlock = qScopeGuard([&] { grid.SetSelChangeEventLocked(false); });
    if (Editor->IsOpen()) {
      grid.SetRow(kChangeableVariant);
      return;
    }
    if (row < 1 || row > kChangeableVariant) return;
    Label1->setText(grid.TextMatrix(row, kGridHint));
    if (row == kChangeableVariant) {
      grid.SetSelectionMode(FlexGrid::SelectionMode::kFree);
      grid.SetCol(std::clamp(remembered_column_, static_cast<int>(kGridPrefix),
                             static_cast<int>(kGridEnding)));
      PlaceEditButton();
      MarkCheckedRow(grid, kGridMark);
      ShowVariantKind(link_.Status(), true);
    } else {
      grid.SetSelectionMode(FlexGrid::SelectionMode::kByRow);
      MarkCheckedRow(grid, kGridMark);
      SelectGridRow(grid, row, false, false);
      CmdEdit->hide();
      ShowVariantKind(link_.Status(), false);
    }
  }

  if (link_.SelectedReader().Values().variant == row) return;
  if (link_.WriteSetting(SettingsKey::kVariant, row)) return;
  ShowMessage(QStringLiteral("Не могу присвоить устройству новый вариант кодовой посылки."),
              kInformationStyle, kMessageTitle);
  // The mark goes back to the variant the reader kept.
  ShowReaderInSettingsGrid();
}

void ReaderSettingsTab::PlaceEditButton() {
  FlexGrid& grid = *MSFlexGrid2;
  const QRect cell = grid.CellGeometry(grid.Row(), grid.Col());
  if (cell.isEmpty()) return CmdEdit->hide();
  const QPoint corner = grid.mapTo(this, cell.topLeft());
  CmdEdit->setGeometry(corner.x() + cell.width() - cell.height(), corner.y(), cell.height(),
                       cell.height());
  grid.lower();
  if (CmdEdit->font().pointSize() != kEditButtonFontSize) {
    QFont font = CmdEdit->font();
    font.setPointSize(kEditButtonFontSize);
    CmdEdit->setFont(font);
  }
  if (CmdEdit->text() != QStringLiteral("...")) CmdEdit->setText(QStringLiteral("..."));
  CmdEdit->show();
  CmdEdit->raise();
}

void ReaderSettingsTab::OnSelChange() {
  if (MSFlexGrid2->SelChangeEventLocked()) return;
  if (KeyIsDown(Qt::Key_Right) || KeyIsDown(Qt::Key_Left)) {
    remembered_column_ = MSFlexGrid2->Col();
    return SelectVariant();
  }
  if (RowMoveKeyIsDown()) SelectVariant();
}

void ReaderSettingsTab::OnMouseMove(QPoint position) {
  Editor->HideHints();
  const bool list_enabled = link_.DeviceTable().isEnabled();
  if (MSFlexGrid2->isEnabled() != list_enabled) MSFlexGrid2->setEnabled(list_enabled);
  for (int col = 0; col < MSFlexGrid2->Cols(); ++col) {
    const QRect cell = MSFlexGrid2->CellGeometry(0, col);
    if (!cell.isEmpty() && position.x() >= cell.left() && position.x() <= cell.right() + 1) {
      remembered_column_ = col;
      return;
    }
  }
}

}  // namespace kx12r
