// The editors of the database page's grids: menus, in-place edits and their storing.
#include "db/TableEditors.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScrollBar>

#include "base/KeyState.h"
#include "base/MessageBox.h"
#include "base/NumericText.h"
#include "db/ServiceLookups.h"
#include "ui/GridToolkit.h"
#include "ui/Twips.h"

namespace kx12r {

namespace {

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

TableEditors::TableEditors(ServiceDatabase& database, QWidget& page)
    : QObject(&page), database_(database), page_(page) {
  MSFlexGrid6 = new FlexGrid(&page);
  MSFlexGrid6->setGeometry(TabPageRect(kGridLeft, kGridTop, kGridWidth, kTallGrid));
  MSFlexGrid7 = new FlexGrid(&page);
  MSFlexGrid7->setGeometry(TabPageRect(kSetupLeft, kGridTop, kGridWidth, kTallGrid));
  MSFlexGrid8 = new FlexGrid(&page);
  MSFlexGrid8->setGeometry(TabPageRect(kUsersLeft, kGridTop, kGridWidth, kUsersGridHeight));
  MSFlexGrid9 = new FlexGrid(&page);
  MSFlexGrid9->setGeometry(
      TabPageRect(kSetupLeft, kSetupTop, kUsersLeft + kGridWidth - kSetupLeft, kSetupHeight));
  Label3 = new QLabel(&page);
  Label3->setGeometry(TabPageRect(kGridLeft, kSetupTop, 3000, kSetupHeight));
  Label3->setWordWrap(true);
  Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Text4 = new EditorBox(&page);
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
  connect(add, &QAction::triggered, this, &TableEditors::OnAdd);
  connect(EditCode, &QAction::triggered, this, &TableEditors::OnEditCode);
  connect(EditName, &QAction::triggered, this, &TableEditors::OnEditName);
  connect(EditDescription, &QAction::triggered, this, &TableEditors::OnEditDescription);
  connect(remove, &QAction::triggered, this, &TableEditors::OnRemove);

  connect(MSFlexGrid6, &FlexGrid::Click, this, &TableEditors::ShowDescription);
  connect(MSFlexGrid6, &FlexGrid::SelChange, this, [this] {
    for (int key :
         {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_End, Qt::Key_Home}) {
      if (KeyIsDown(key)) return ShowDescription();
    }
  });
}

int TableEditors::TableIndex(const FlexGrid* grid) const {
  if (grid == MSFlexGrid7) return 1;
  if (grid == MSFlexGrid8) return 2;
  if (grid == MSFlexGrid9) return 3;
  return 0;
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
  const EditedTable& table = Describe(TableIndex(&grid));
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
  struct State {
    bool add_shown = false;
    bool edit_shown = false, edit_enabled = false;
    bool code_shown = false, code_enabled = false;
    bool name_enabled = false;
    bool description_shown = false, description_enabled = false;
    bool remove_shown = false, remove_enabled = false;
    QString code_caption, name_caption;
  } state;
  const bool rows = grid && grid->HasDataRows();
  if (grid == MSFlexGrid6 || grid == MSFlexGrid7) {
    const bool codes = grid == MSFlexGrid6;
    state = {.add_shown = true,
             .edit_shown = true,
             .edit_enabled = rows,
             .code_shown = true,
             .code_enabled = rows,
             .name_enabled = rows,
             .description_shown = codes,
             .description_enabled = codes && rows,
             .remove_shown = true,
             .remove_enabled = rows,
             .code_caption = codes ? QStringLiteral("ID") : QStringLiteral("CHR"),
             .name_caption =
                 codes ? QStringLiteral("Формат кода метки") : QStringLiteral("Keyboard key")};
  } else if (grid == MSFlexGrid8) {
    // The administrator keeps its name and its row.
    const bool editable = rows && !IsProtectedUser();
    state = {.add_shown = true,
             .edit_shown = true,
             .edit_enabled = editable,
             .name_enabled = editable,
             .remove_shown = true,
             .remove_enabled = editable,
             .name_caption = QStringLiteral("Имя пользователя")};
  } else if (grid == MSFlexGrid9) {
    state = {.edit_shown = true,
             .edit_enabled = rows,
             .code_shown = true,
             .code_enabled = rows && ColumnInView(*grid, 1),
             .name_enabled = rows && ColumnInView(*grid, 2),
             .description_shown = true,
             .description_enabled = rows && ColumnInView(*grid, 3),
             .code_caption = QStringLiteral("Наименование"),
             .name_caption = QStringLiteral("Значение")};
  }
  auto set = [](QAction* action, bool shown, bool enabled) {
    if (action->isVisible() != shown) action->setVisible(shown);
    if (action->isEnabled() != enabled) action->setEnabled(enabled);
  };
  set(add, state.add_shown, true);
  set(Edit->menuAction(), state.edit_shown, state.edit_enabled);
  set(EditCode, state.code_shown, state.code_enabled);
  if (EditName->isEnabled() != state.name_enabled) EditName->setEnabled(state.name_enabled);
  set(EditDescription, state.description_shown, state.description_enabled);
  set(remove, state.remove_shown, state.remove_enabled);
  if (EditCode->text() != state.code_caption) EditCode->setText(state.code_caption);
  if (EditName->text() != state.name_caption) EditName->setText(state.name_caption);
}

void TableEditors::OnMouseDown(FlexGrid* grid, Qt::MouseButton button) {
  if (button != Qt::RightButton) return;
  grid->setFocus();
  menu_grid_ = grid;
  ConfigureTableMenu(grid);
  Transaction->popup(QCursor::pos());
}

void TableEditors::OnAdd() {
  if (menu_grid_ == MSFlexGrid6) AddCodeVariant();
  if (menu_grid_ == MSFlexGrid7) AddEnding();
  if (menu_grid_ == MSFlexGrid8) AddUser();
}

void TableEditors::OnEditCode() {
  if (menu_grid_ == MSFlexGrid6) EditCodeVariantId();
  if (menu_grid_ == MSFlexGrid7) EditEndingCode();
  if (menu_grid_ == MSFlexGrid9) EditSetupCell(1);
}

void TableEditors::OnEditName() {
  if (menu_grid_ == MSFlexGrid6) EditCodeVariantName();
  if (menu_grid_ == MSFlexGrid7) EditEndingKeyName();
  if (menu_grid_ == MSFlexGrid8) EditUserName();
  if (menu_grid_ == MSFlexGrid9) EditSetupCell(2);
}

void TableEditors::OnEditDescription() {
  if (menu_grid_ == MSFlexGrid6) EditCodeVariantDescription();
  if (menu_grid_ == MSFlexGrid9) EditSetupCell(3);
}

void TableEditors::OnRemove() {
  if (menu_grid_ == MSFlexGrid6) RemoveCodeVariant();
  if (menu_grid_ == MSFlexGrid7) RemoveEnding();
  if (menu_grid_ == MSFlexGrid8) RemoveUser();
}

bool TableEditors::AddRow(FlexGrid& grid) {
  const EditedTable& table = Describe(TableIndex(&grid));
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
  const EditedTable& table = Describe(TableIndex(&grid));
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
  const EditedTable& table = Describe(TableIndex(&grid));
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
  const EditedTable& table = Describe(TableIndex(&grid));
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
