// The editors of the database page's grids: menus, in-place edits and their storing.
#include "db/TableEditors.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <QScrollBar>

#include "base/KeyState.h"
#include "base/MessageBox.h"
#include "base/NumericText.h"
#include "ui/GridToolkit.h"
#include "ui/Twips.h"

namespace kx12r {

namespace {

const QString kAdministrator = QStringLiteral("Администратор");
const QString kEnterTip = QStringLiteral("\"Enter\" - сохранить; \"Esc\" - отменить");
const QString kCtrlEnterTip = QStringLiteral("\"Ctrl+Enter\" - сохранить; \"Esc\" - отменить");
const QString kFillTip = QStringLiteral("\"Ctrl+Enter\" - сохранить; \"Esc\" - отменить изменения");

QString ExistsQuestion(const QString& what) {
  return what + QStringLiteral(" уже существует. ") + Quoted(QStringLiteral("Да")) +
         QStringLiteral(" - изменить, ") + Quoted(QStringLiteral("Нет")) +
         QStringLiteral(" - завершить редактирование.");
}

// How each grid shows its table: the captions, the columns kept out of sight, and the question
// when the number in column 1 is taken (%1 is the number).
struct GridLayout {
  QString captions;
  QStringList hidden;
  QString exists_question;
};

const GridLayout& LayoutOf(ServiceTable table) {
  static const GridLayout layouts[] = {
      {"KEY|ID|Формат кода метки|DESCRIPTION",
       {"KEY", "DESCRIPTION"},
       ExistsQuestion(QStringLiteral("ID=%1 для формата кода метки"))},
      {"KEY|CHR|Keyboard key",
       {"KEY"},
       ExistsQuestion(QStringLiteral("CHR=%1 для поля кода ") +
                      Quoted(QStringLiteral("Окончание")))},
      {"KEY|Имя пользователя|", {"KEY"}, QString()},
      {"NAME|Наименование|Значение|Описание", {"NAME"}, QString()},
  };
  return layouts[static_cast<int>(table)];
}

// A row's cells, column by column, as its grid shows them.
QStringList CellsOf(const CodeFormatRow& row) {
  return {row.key, QString::number(row.id), row.name, row.description};
}
QStringList CellsOf(const EndingRow& row) { return {row.key, QString::number(row.code), row.name}; }
QStringList CellsOf(const UserRow& row) { return {row.key, row.name}; }
QStringList CellsOf(const SetupRow& row) { return {row.key, row.name, row.value, row.note}; }

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

template <typename Row>
class TableEditors::RowsOf : public GridRows {
 public:
  using Reader = std::vector<Row> (*)(ServiceDatabase&);
  explicit RowsOf(Reader read) : read_(read) {}

  const Row& At(int index) const { return rows_.at(index); }
  void Read(ServiceDatabase& database) override { rows_ = read_(database); }
  int Count() const override { return static_cast<int>(rows_.size()); }
  QString Key(int index) const override { return rows_.at(index).key; }
  QStringList Cells(int index) const override { return CellsOf(rows_.at(index)); }
  void Take(int index, RowField field, const QString& text) override {
    rows_.at(index).Set(field, text);
  }
  void Append(const QString& key) override { rows_.push_back(Row{.key = key}); }
  void Erase(int index) override { rows_.erase(rows_.begin() + index); }

 private:
  Reader read_;
  std::vector<Row> rows_;
};

TableEditors::TableEditors(ServiceDatabase& database, QWidget& page)
    : QObject(&page),
      database_(database),
      page_(page),
      code_formats_(std::make_unique<RowsOf<CodeFormatRow>>(&ReadCodeFormats)),
      endings_(std::make_unique<RowsOf<EndingRow>>(&ReadEndings)),
      users_(std::make_unique<RowsOf<UserRow>>(&ReadUsers)),
      setup_(std::make_unique<RowsOf<SetupRow>>(&ReadSetupParameters)) {
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
       .table = ServiceTable::kCodeFormats,
       .rows = code_formats_.get(),
       .fields = {std::nullopt, RowField::kCodeFormatId, RowField::kCodeFormatName,
                  RowField::kCodeFormatDescription},
       .code_caption = QStringLiteral("ID"),
       .name_caption = QStringLiteral("Формат кода метки"),
       .add = [this] { AddCodeVariant(); },
       .edit_code = [this] { EditCodeVariantId(); },
       .edit_name = [this] { EditCodeVariantName(); },
       .edit_description = [this] { EditCodeVariantDescription(); },
       .remove = [this] { RemoveCodeVariant(); }},
      {.grid = MSFlexGrid7,
       .table = ServiceTable::kEndings,
       .rows = endings_.get(),
       .fields = {std::nullopt, RowField::kEndingCode, RowField::kEndingName},
       .code_caption = QStringLiteral("CHR"),
       .name_caption = QStringLiteral("Keyboard key"),
       .add = [this] { AddEnding(); },
       .edit_code = [this] { EditEndingCode(); },
       .edit_name = [this] { EditEndingKeyName(); },
       .remove = [this] { RemoveEnding(); }},
      {.grid = MSFlexGrid8,
       .table = ServiceTable::kUsers,
       .rows = users_.get(),
       .fields = {std::nullopt, RowField::kUserName},
       .name_caption = QStringLiteral("Имя пользователя"),
       .add = [this] { AddUser(); },
       .edit_name = [this] { EditUserName(); },
       .remove = [this] { RemoveUser(); },
       .protects_administrator = true},
      {.grid = MSFlexGrid9,
       .table = ServiceTable::kSetup,
       .rows = setup_.get(),
       .fields = {std::nullopt, RowField::kSetupName, RowField::kSetupValue, RowField::kSetupNote},
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

TableEditors::~TableEditors() = default;

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
  for (const GridBehaviour& behaviour : behaviours_) FillGrid(behaviour);
  Text4->setToolTip(kFillTip);
  for (QWidget* control : std::initializer_list<QWidget*>{MSFlexGrid6, MSFlexGrid7, MSFlexGrid8,
                                                          MSFlexGrid9, Label3}) {
    control->show();
  }
  QGuiApplication::restoreOverrideCursor();
}

void TableEditors::FillGrid(const GridBehaviour& behaviour) {
  FlexGrid& grid = *behaviour.grid;
  const GridLayout& layout = LayoutOf(behaviour.table);
  grid.SetRows(1);
  if (!InitGridFromCaptions(grid, layout.captions, Qt::AlignLeft | Qt::AlignVCenter,
                            layout.hidden)) {
    return;
  }
  if (&grid == MSFlexGrid9) {
    // The value and the note can be read whole by scrolling.
    const int width = PixelsToTwips(grid.width());
    grid.SetColWidth(1, width / 2);
    grid.SetColWidth(2, width);
    grid.SetColWidth(3, width);
  }
  behaviour.rows->Read(database_);
  grid.SetRows(behaviour.rows->Count() + 1);
  for (int row = 1; row < grid.Rows(); ++row) ShowRow(behaviour, row);
  SelectGridRow(grid, kCurrent, false, false);
  if (&grid == MSFlexGrid6) ShowDescription();
}

void TableEditors::ShowRow(const GridBehaviour& behaviour, int row) {
  const QStringList cells = behaviour.rows->Cells(row - 1);
  for (int column = 0; column < cells.size(); ++column) {
    behaviour.grid->SetTextMatrix(row, column, cells[column]);
  }
}

void TableEditors::ShowDescription() {
  if (MSFlexGrid6->HasDataRows()) {
    Label3->setText(code_formats_->At(MSFlexGrid6->Row() - 1).description);
  }
}

const UserRow* TableEditors::CurrentUser() const {
  return MSFlexGrid8->HasDataRows() ? &users_->At(MSFlexGrid8->Row() - 1) : nullptr;
}

bool TableEditors::IsProtectedUser() const {
  const UserRow* user = CurrentUser();
  return user && user->name == kAdministrator;
}

std::optional<QString> TableEditors::CurrentKey(const GridBehaviour& behaviour) const {
  const QString key = behaviour.rows->Key(behaviour.grid->Row() - 1);
  // Setup parameters are keyed by their names; the other tables by numbers.
  if (behaviour.table == ServiceTable::kSetup) return key;
  const std::optional<std::int16_t> number = EditorKey(key);
  if (!number) return std::nullopt;
  return QString::number(*number);
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
  const GridBehaviour& behaviour = *BehaviourOf(&grid);
  const std::optional<QString> key = kx12r::AddRow(database_, behaviour.table);
  if (!key) return false;
  // A new code format or ending shows 0 until it is given its number.
  behaviour.rows->Append(*key);
  grid.SetRows(grid.Rows() + 1);
  ShowRow(behaviour, grid.Rows() - 1);
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
  const GridBehaviour& behaviour = *BehaviourOf(&grid);
  const RowField field = *behaviour.fields[1];
  const int row = grid.Row();
  const std::optional<QString> key = CurrentKey(behaviour);
  if (!key) return;
  // Whatever the edit comes to, the cell shows what the database holds.
  const auto show_stored = qScopeGuard([&] { ShowRow(behaviour, row); });
  Text4->setToolTip(kEnterTip);
  while (EditGridCell(grid, *Text4, row, 1)) {
    const std::optional<std::int16_t> number = IntegerOfValue(grid.TextMatrix(row, 1));
    if (!number) {
      // A number beyond 16 bits never wraps into another one.
      ReportOperationFailure(QStringLiteral("Переполнение"));
      return;
    }
    if (!NumberTaken(database_, field, *number)) {
      const QString text = QString::number(*number);
      if (StoreField(database_, field, *key, text)) behaviour.rows->Take(row - 1, field, text);
      return;
    }
    if (ShowMessage(LayoutOf(behaviour.table).exists_question.arg(QString::number(*number)),
                    kYesNoQuestion, kMessageTitle) != kAnswerYes) {
      // The database kept the old number; so does the cell.
      grid.setFocus();
      return;
    }
  }
}

void TableEditors::EditCodeVariantId() { EditNumber(*MSFlexGrid6); }
void TableEditors::EditEndingCode() { EditNumber(*MSFlexGrid7); }

void TableEditors::EditText(FlexGrid& grid, int column) {
  if (!grid.HasDataRows()) return;
  const GridBehaviour& behaviour = *BehaviourOf(&grid);
  const RowField field = *behaviour.fields[column];
  const int row = grid.Row();
  const std::optional<QString> key = CurrentKey(behaviour);
  if (!key) return;
  Text4->setToolTip(kEnterTip);
  if (!EditGridCell(grid, *Text4, row, column)) return;
  const QString text = grid.TextMatrix(row, column);
  if (StoreField(database_, field, *key, text)) behaviour.rows->Take(row - 1, field, text);
  ShowRow(behaviour, row);
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
  const GridBehaviour& behaviour = *BehaviourOf(&grid);
  const int row = grid.Row();
  const std::optional<QString> key = CurrentKey(behaviour);
  if (!key) return;
  grid.setEnabled(false);
  Text4->setToolTip(kCtrlEnterTip);
  if (EditLabel(*Label3, *Text4)) {
    const RowField field = RowField::kCodeFormatDescription;
    if (StoreField(database_, field, *key, Label3->text())) {
      behaviour.rows->Take(row - 1, field, Label3->text());
    }
    ShowRow(behaviour, row);
    ShowDescription();
  }
  grid.setEnabled(true);
}

void TableEditors::RemoveRow(FlexGrid& grid) {
  if (!grid.HasDataRows()) return;
  const GridBehaviour& behaviour = *BehaviourOf(&grid);
  const int row = grid.Row();
  const std::optional<QString> key = CurrentKey(behaviour);
  if (!key || !DeleteRow(database_, behaviour.table, *key)) return;
  behaviour.rows->Erase(row - 1);
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
