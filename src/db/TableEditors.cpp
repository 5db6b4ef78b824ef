// The editors of the database page's grids: menus, in-place edits and their storing.
#include "db/TableEditors.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QRegularExpression>
#include <QScrollBar>

#include "base/KeyState.h"
#include "base/MessageBox.h"
#include "base/NumericText.h"
#include "db/ServiceLookups.h"
#include "ui/GridToolkit.h"
#include "ui/Twips.h"

namespace kx12r {

namespace {

void ReportOperationFailure(const QString& description) {
  ShowMessage(OperationFailureText(description), kStopStyle, kEngineErrorTitle);
}

// What each grid edits.
struct EditedTable {
  QString table;
  QString key_field;
  QString captions;
  QStringList hidden;
  QString statement;
  QStringList fields;       // the database column of each grid column
  QString exists_question;  // for the unique number in column 1; %1 is the number
};

const QString kAdministrator = QStringLiteral("Администратор");
const QString kEnterTip = QStringLiteral("\"Enter\" - сохранить; \"Esc\" - отменить");
const QString kCtrlEnterTip = QStringLiteral("\"Ctrl+Enter\" - сохранить; \"Esc\" - отменить");
const QString kFillTip = QStringLiteral("\"Ctrl+Enter\" - сохранить; \"Esc\" - отменить изменения");

QString ExistsQuestion(const QString& what) {
  return what + QStringLiteral(" уже существует. ") + Quoted(QStringLiteral("Да")) +
         QStringLiteral(" - изменить, ") + Quoted(QStringLiteral("Нет")) +
         QStringLiteral(" - завершить редактирование.");
}

// The tables of the four grids, in the grids' order.
const EditedTable& Describe(int index) {
  static const EditedTable tables[] = {
      {"CodeVariantsTable",
       "KEY",
       "KEY|ID|Формат кода метки|DESCRIPTION",
       {"KEY", "DESCRIPTION"},
       service_sql::kCodeVariantsGrid,
       {"KEY", "ID", "NAME", "DESCRIPTION"},
       ExistsQuestion(QStringLiteral("ID=%1 для формата кода метки"))},
      {"CodeEndingTable",
       "END_ORDER",
       "KEY|CHR|Keyboard key",
       {"KEY"},
       service_sql::kEndingsGrid,
       {"END_ORDER", "CHR_CODE", "KEY_NAME"},
       ExistsQuestion(QStringLiteral("CHR=%1 для поля кода ") +
                      Quoted(QStringLiteral("Окончание")))},
      {"UsersTable",
       "KEY",
       "KEY|Имя пользователя|",
       {"KEY"},
       service_sql::kUsersGrid,
       {"KEY", "USER_NAME"},
       QString()},
      {"SetupTable",
       "P_NAME",
       "NAME|Наименование|Значение|Описание",
       {"NAME"},
       service_sql::kSetupGrid,
       {"P_NAME", "P_CAPTION", "P_VAL", "P_NOTE"},
       QString()},
  };
  return tables[index];
}

// Places in twips, in the tab control's coordinates.
constexpr int kGridTop = 430;
constexpr int kGridLeft = 120;
constexpr int kGridWidth = 3430;
constexpr int kGridGap = 80;
constexpr int kTallGrid = 2400;
constexpr int kUsersGridHeight = 1500;
constexpr int kBelowGap = 70;
constexpr int kTabHeight = 4650;
constexpr int kBottomMargin = 100;
constexpr int kSetupTop = kGridTop + kTallGrid + kBelowGap;
constexpr int kSetupLeft = kGridLeft + kGridWidth + kGridGap;
constexpr int kUsersLeft = kSetupLeft + kGridWidth + kGridGap;
constexpr int kSetupHeight = kTabHeight - kBottomMargin - kSetupTop;

}  // namespace

std::optional<std::int16_t> EditorKey(const QString& key) {
  bool ok = false;
  const long long value = key.trimmed().toLongLong(&ok);
  if (ok && IsSixteenBit(value)) return static_cast<std::int16_t>(value);
  const bool whole_number =
      ok || QRegularExpression(QStringLiteral(R"(^\s*[+-]?\d+\s*$)")).match(key).hasMatch();
  ReportOperationFailure(whole_number ? QStringLiteral("Переполнение")
                                      : QStringLiteral("Несоответствие типов"));
  return std::nullopt;
}

TableEditors::TableEditors(ServiceDatabase& database, QWidget& page)
    : QObject(&page), database_(database), page_(page) {
  MSFlexGrid6 = new FlexGrid(&page);
  MSFlexGrid6->setGeometry(TabPageRect(kGridLeft, kGridTop, kGridWidth, kTallGrid));
  MSFlexGrid7 = new FlexGrid(&page);
  MSFlexGrid7->setGeometry(TabPageRect(kSetupLeft, kGridTop, kGridWidth, kTallGrid));
  MSFlexGrid8 = new FlexGrid(&page);
  MSFlexGrid8->setGeometry(TabPageRect(kUsersLeft, kGridTop, kGridWidth, kUsersGridHeight));
  MSFlexGrid6->setAccessibleName(QStringLiteral("Форматы кода метки"));
  MSFlexGrid7->setAccessibleName(QStringLiteral("Окончания"));
  MSFlexGrid8->setAccessibleName(QStringLiteral("Пользователи"));
  MSFlexGrid9 = new FlexGrid(&page);
  MSFlexGrid9->setAccessibleName(QStringLiteral("Параметры настройки"));
  MSFlexGrid9->setGeometry(
      TabPageRect(kSetupLeft, kSetupTop, kUsersLeft + kGridWidth - kSetupLeft, kSetupHeight));
  Label3 = new QLabel(&page);
  Label3->setGeometry(TabPageRect(kGridLeft, kSetupTop, 3000, kSetupHeight));
  Label3->setWordWrap(true);
  Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Text4 = new EditorBox(&page);
  Text4->setAccessibleName(QStringLiteral("Значение ячейки"));
  Text4->hide();
  // The columns share each grid's width; only the setup grid's wide columns scroll sideways.
  for (FlexGrid* grid : {MSFlexGrid6, MSFlexGrid7, MSFlexGrid8}) {
    grid->SetScrollBars(FlexGrid::ScrollBars::kVertical);
  }
  for (FlexGrid* grid : {MSFlexGrid6, MSFlexGrid7, MSFlexGrid8, MSFlexGrid9}) {
    grid->SetSelectionMode(FlexGrid::SelectionMode::kByRow);
    grid->hide();
    connect(grid, &FlexGrid::MouseDown, this,
            [this, grid](Qt::MouseButton button, QPoint) { OnMouseDown(grid, button); });
  }
  Label3->hide();

  Transaction = new QMenu(QStringLiteral("&Операции"), &page);
  add = Transaction->addAction(QStringLiteral("Добавить"));
  Edit = Transaction->addMenu(QStringLiteral("Изменить"));
  EditCode = Edit->addAction(QStringLiteral("Код"));
  EditName = Edit->addAction(QStringLiteral("Наименование"));
  EditDescription = Edit->addAction(QStringLiteral("Описание"));
  remove = Transaction->addAction(QStringLiteral("Удалить"));
  add->setObjectName("add");
  Edit->setObjectName("Edit");
  EditCode->setObjectName("EditCode");
  EditName->setObjectName("EditName");
  EditDescription->setObjectName("EditDescription");
  remove->setObjectName("remove");
  connect(add, &QAction::triggered, this, [this] { RunMenuItem(&GridBehaviour::add); });
  connect(EditCode, &QAction::triggered, this, [this] { RunMenuItem(&GridBehaviour::edit_code); });
  connect(EditName, &QAction::triggered, this, [this] { RunMenuItem(&GridBehaviour::edit_name); });
  connect(EditDescription, &QAction::triggered, this,
          [this] { RunMenuItem(&GridBehaviour::edit_description); });
  connect(remove, &QAction::triggered, this, [this] { RunMenuItem(&GridBehaviour::remove); });

  behaviours_ = {{
      {.grid = MSFlexGrid6,
       .table = 0,
       .code_caption = QStringLiteral("ID"),
       .name_caption = QStringLiteral("Формат кода метки"),
       .add = [this] { AddCodeVariant(); },
       .edit_code = [this] { EditCodeVariantId(); },
       .edit_name = [this] { EditCodeVariantName(); },
       .edit_description = [this] { EditCodeVariantDescription(); },
       .remove = [this] { RemoveCodeVariant(); }},
      {.grid = MSFlexGrid7,
       .table = 1,
       .code_caption = QStringLiteral("CHR"),
       .name_caption = QStringLiteral("Keyboard key"),
       .add = [this] { AddEnding(); },
       .edit_code = [this] { EditEndingCode(); },
       .edit_name = [this] { EditEndingKeyName(); },
       .remove = [this] { RemoveEnding(); }},
      {.grid = MSFlexGrid8,
       .table = 2,
       .name_caption = QStringLiteral("Имя пользователя"),
       .add = [this] { AddUser(); },
       .edit_name = [this] { EditUserName(); },
       .remove = [this] { RemoveUser(); },
       .protects_administrator = true},
      {.grid = MSFlexGrid9,
       .table = 3,
       .code_caption = QStringLiteral("Наименование"),
       .name_caption = QStringLiteral("Значение"),
       .edit_code = [this] { EditSetupCell(1); },
       .edit_name = [this] { EditSetupCell(2); },
       .edit_description = [this] { EditSetupCell(3); },
       .items_need_view = true},
  }};

  connect(MSFlexGrid6, &FlexGrid::Click, this, &TableEditors::ShowDescription);
  connect(MSFlexGrid6, &FlexGrid::SelChange, this, [this] {
    if (RowMoveKeyIsDown()) ShowDescription();
  });
}

const TableEditors::GridBehaviour* TableEditors::BehaviourOf(const FlexGrid* grid) const {
  for (const GridBehaviour& behaviour : behaviours_) {
    if (grid && behaviour.grid == grid) return &behaviour;
  }
  return nullptr;
}

void TableEditors::RunMenuItem(std::function<void()> GridBehaviour::*item) {
  const GridBehaviour* behaviour = BehaviourOf(menu_grid_);
  if (behaviour && behaviour->*item) (behaviour->*item)();
}

void TableEditors::FillDatabaseTab() {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  for (FlexGrid* grid : {MSFlexGrid6, MSFlexGrid7, MSFlexGrid8, MSFlexGrid9}) FillGrid(*grid);
  Text4->setToolTip(kFillTip);
  for (QWidget* control : std::initializer_list<QWidget*>{MSFlexGrid6, MSFlexGrid7, MSFlexGrid8,
                                                          MSFlexGrid9, Label3}) {
    control->show();
  }
  QGuiApplication::restoreOverrideCursor();
}

void TableEditors::FillGrid(FlexGrid& grid) {
  const EditedTable& table = Describe(BehaviourOf(&grid)->table);
  grid.SetRows(1);
  if (!InitGridFromCaptions(grid, table.captions, Qt::AlignLeft | Qt::AlignVCenter, table.hidden)) {
    return;
  }
  if (&grid == MSFlexGrid9) {
    // The value and the note can be read whole by scrolling.
    const int width = PixelsToTwips(grid.width());
    grid.SetColWidth(1, width / 2);
    grid.SetColWidth(2, width);
    grid.SetColWidth(3, width);
  }
  const std::optional<Rows> rows = database_.SelectRows(table.statement);
  if (rows) {
    const int count = static_cast<int>(rows->front().size());
    grid.SetRows(count + 1);
    for (int row = 0; row < count; ++row) {
      for (int field = 0; field < static_cast<int>(rows->size()); ++field) {
        grid.SetTextMatrix(row + 1, field, CellText(rows, field, row));
      }
    }
  }
  SelectGridRow(grid, kCurrent, false, false);
  if (&grid == MSFlexGrid6) ShowDescription();
}

void TableEditors::ShowDescription() {
  if (MSFlexGrid6->HasDataRows()) Label3->setText(MSFlexGrid6->TextMatrix(MSFlexGrid6->Row(), 3));
}

bool TableEditors::IsProtectedUser() const {
  return MSFlexGrid8->HasDataRows() &&
         MSFlexGrid8->TextMatrix(MSFlexGrid8->Row(), 1) == kAdministrator;
}

bool TableEditors::ColumnInView(const FlexGrid& grid, int column) const {
  const QRect cell = grid.CellGeometry(0, column);
  const QRect view = grid.viewport()->geometry();
  return !cell.isEmpty() && cell.left() <= view.right() && cell.right() >= view.left();
}

void TableEditors::ConfigureTableMenu(FlexGrid* grid) {
  const GridBehaviour* behaviour = BehaviourOf(grid);
  const GridBehaviour none{};
  const GridBehaviour& b = behaviour ? *behaviour : none;
  const bool editable =
      behaviour && grid->HasDataRows() && !(b.protects_administrator && IsProtectedUser());
  // An item is enabled where it is offered, the grid has a row to act on, and (in the setup
  // grid) the column it edits is in view.
  auto usable = [&](bool offered, int column) {
    return offered && editable && (!b.items_need_view || ColumnInView(*grid, column));
  };
  auto set = [](QAction* action, bool shown, bool enabled) {
    if (action->isVisible() != shown) action->setVisible(shown);
    if (action->isEnabled() != enabled) action->setEnabled(enabled);
  };
  set(add, bool(b.add), true);
  set(Edit->menuAction(), behaviour != nullptr, editable);
  set(EditCode, bool(b.edit_code), usable(bool(b.edit_code), 1));
  const bool name_enabled = usable(bool(b.edit_name), 2);
  if (EditName->isEnabled() != name_enabled) EditName->setEnabled(name_enabled);
  set(EditDescription, bool(b.edit_description), usable(bool(b.edit_description), 3));
  set(remove, bool(b.remove), bool(b.remove) && editable);
  if (EditCode->text() != b.code_caption) EditCode->setText(b.code_caption);
  if (EditName->text() != b.name_caption) EditName->setText(b.name_caption);
}

void TableEditors::OnMouseDown(FlexGrid* grid, Qt::MouseButton button) {
  if (button != Qt::RightButton) return;
  grid->setFocus();
  menu_grid_ = grid;
  ConfigureTableMenu(grid);
  Transaction->popup(QCursor::pos());
}

bool TableEditors::AddRow(FlexGrid& grid) {
  const EditedTable& table = Describe(BehaviourOf(&grid)->table);
  DbRequest request{.Table = table.table, .KeyField = table.key_field};
  if (!database_.InsertRecord(request)) return false;
  // A new code format or ending shows 0 until it is given its number.
  grid.AddItem(&grid == MSFlexGrid8 ? request.KeyValue : request.KeyValue + QStringLiteral("\t0"));
  SelectGridRow(grid, grid.Rows() - 1, false, false);
  return true;
}

void TableEditors::AddCodeVariant() {
  if (AddRow(*MSFlexGrid6)) Label3->clear();
}

void TableEditors::AddEnding() { AddRow(*MSFlexGrid7); }

void TableEditors::AddUser() {
  // A failed insert opens no editor: the current row might be the administrator's.
  if (AddRow(*MSFlexGrid8)) EditUserName();
}

void TableEditors::EditNumber(FlexGrid& grid) {
  if (!grid.HasDataRows()) return;
  const EditedTable& table = Describe(BehaviourOf(&grid)->table);
  const int row = grid.Row();
  const QString old = grid.TextMatrix(row, 1);
  const std::optional<std::int16_t> key = EditorKey(grid.TextMatrix(row, 0));
  if (!key) return;
  Text4->setToolTip(kEnterTip);
  while (EditGridCell(grid, *Text4, row, 1)) {
    const std::optional<std::int16_t> number = IntegerOfValue(grid.TextMatrix(row, 1));
    if (!number) {
      // A number beyond 16 bits never wraps into another one.
      ReportOperationFailure(QStringLiteral("Переполнение"));
      grid.SetTextMatrix(row, 1, old);
      return;
    }
    const QString text = QString::number(*number);
    if (!database_.RecordExists(
            {.Table = table.table, .KeyField = table.fields[1], .KeyValue = text})) {
      const bool stored = database_.UpdateField({.Table = table.table,
                                                 .Field = table.fields[1],
                                                 .Value = text,
                                                 .KeyField = table.key_field,
                                                 .KeyValue = QString::number(*key)});
      grid.SetTextMatrix(row, 1, stored ? text : old);
      return;
    }
    if (ShowMessage(table.exists_question.arg(text), kYesNoQuestion, kMessageTitle) != kAnswerYes) {
      // The database kept the old number; so does the cell.
      grid.SetTextMatrix(row, 1, old);
      grid.setFocus();
      return;
    }
  }
}

void TableEditors::EditCodeVariantId() { EditNumber(*MSFlexGrid6); }
void TableEditors::EditEndingCode() { EditNumber(*MSFlexGrid7); }

void TableEditors::EditText(FlexGrid& grid, int column) {
  if (!grid.HasDataRows()) return;
  const EditedTable& table = Describe(BehaviourOf(&grid)->table);
  const int row = grid.Row();
  const QString old = grid.TextMatrix(row, column);
  QString key = grid.TextMatrix(row, 0);
  if (&grid != MSFlexGrid9) {
    const std::optional<std::int16_t> number = EditorKey(key);
    if (!number) return;
    key = QString::number(*number);
  }
  Text4->setToolTip(kEnterTip);
  if (!EditGridCell(grid, *Text4, row, column)) return;
  if (!database_.UpdateField({.Table = table.table,
                              .Field = table.fields[column],
                              .Value = grid.TextMatrix(row, column),
                              .KeyField = table.key_field,
                              .KeyValue = key})) {
    grid.SetTextMatrix(row, column, old);
  }
}

void TableEditors::EditCodeVariantName() { EditText(*MSFlexGrid6, 2); }
void TableEditors::EditEndingKeyName() { EditText(*MSFlexGrid7, 2); }
void TableEditors::EditSetupCell(int column) { EditText(*MSFlexGrid9, column); }

void TableEditors::EditUserName() {
  if (!IsProtectedUser()) EditText(*MSFlexGrid8, 1);
}

void TableEditors::EditCodeVariantDescription() {
  FlexGrid& grid = *MSFlexGrid6;
  if (!grid.HasDataRows()) return;
  const int row = grid.Row();
  const QString old = grid.TextMatrix(row, 3);
  const std::optional<std::int16_t> key = EditorKey(grid.TextMatrix(row, 0));
  if (!key) return;
  grid.setEnabled(false);
  Text4->setToolTip(kCtrlEnterTip);
  if (EditLabel(*Label3, *Text4)) {
    const bool stored = database_.UpdateField({.Table = QStringLiteral("CodeVariantsTable"),
                                               .Field = QStringLiteral("DESCRIPTION"),
                                               .Value = Label3->text(),
                                               .KeyField = QStringLiteral("KEY"),
                                               .KeyValue = QString::number(*key)});
    grid.SetTextMatrix(row, 3, stored ? Label3->text() : old);
    if (!stored) Label3->setText(old);
  }
  grid.setEnabled(true);
}

void TableEditors::RemoveRow(FlexGrid& grid) {
  if (!grid.HasDataRows()) return;
  const EditedTable& table = Describe(BehaviourOf(&grid)->table);
  const int row = grid.Row();
  const std::optional<std::int16_t> key = EditorKey(grid.TextMatrix(row, 0));
  if (!key) return;
  if (!database_.DeleteRecord(
          {.Table = table.table, .KeyField = table.key_field, .KeyValue = QString::number(*key)})) {
    return;
  }
  grid.RemoveItem(row);
}

void TableEditors::RemoveCodeVariant() {
  RemoveRow(*MSFlexGrid6);
  if (MSFlexGrid6->HasDataRows()) {
    ShowDescription();
  } else {
    Label3->clear();
  }
}

void TableEditors::RemoveEnding() { RemoveRow(*MSFlexGrid7); }

void TableEditors::RemoveUser() {
  if (!IsProtectedUser()) RemoveRow(*MSFlexGrid8);
}

}  // namespace kx12r
