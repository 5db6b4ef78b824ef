// The grids as a screen reader reads them: shown rows and columns only.
#include "ui/FlexGridAccessible.h"

#include <QHeaderView>

#include "ui/FlexGrid.h"

namespace kx12r {
namespace {

constexpr int kHeaderRow = -1;

// One cell of a grid, or the header of one of its columns, by model row and column.
class GridCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  GridCell(FlexGrid* grid, int model_row, int model_column)
      : grid_(grid), row_(model_row), column_(model_column) {}

  bool isValid() const override {
    return grid_ && row_ < grid_->model()->rowCount() && column_ < grid_->model()->columnCount();
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return Table() ? Table()->window() : nullptr; }
  QAccessibleInterface* parent() const override { return Table(); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessible::Role role() const override {
    return row_ == kHeaderRow ? QAccessible::ColumnHeader : QAccessible::Cell;
  }
  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) return state;
    state.selectable = row_ != kHeaderRow;
    state.selected = row_ != kHeaderRow && Table() && Table()->IsSelected(row_, column_);
    return state;
  }
  QString text(QAccessible::Text kind) const override {
    if (!isValid()) return QString();
    if (row_ == kHeaderRow) {
      return kind == QAccessible::Name
                 ? grid_->model()->headerData(column_, Qt::Horizontal).toString()
                 : QString();
    }
    if (kind == QAccessible::Name) return Index().data(Qt::DisplayRole).toString();
    if (kind == QAccessible::Description) {
      return Index().data(Qt::AccessibleDescriptionRole).toString();
    }
    return QString();
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid()) return QRect();
    if (row_ == kHeaderRow) {
      const QHeaderView* header = grid_->horizontalHeader();
      const QRect section(header->sectionViewportPosition(column_), 0, header->sectionSize(column_),
                          header->height());
      return section.translated(header->viewport()->mapToGlobal(QPoint(0, 0)));
    }
    return grid_->visualRect(Index()).translated(grid_->viewport()->mapToGlobal(QPoint(0, 0)));
  }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::TableCellInterface
               ? static_cast<QAccessibleTableCellInterface*>(this)
               : nullptr;
  }

  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QList<QAccessibleInterface*> columnHeaderCells() const override {
    if (row_ == kHeaderRow || Table() == nullptr) return {};
    return {Table()->child(Table()->ShownColumn(column_))};
  }
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return Table() ? Table()->ShownColumn(column_) : -1; }
  int rowIndex() const override {
    return Table() && row_ != kHeaderRow ? Table()->ShownRow(row_) : -1;
  }
  bool isSelected() const override { return state().selected; }
  QAccessibleInterface* table() const override { return Table(); }

 private:
  FlexGridAccessible* Table() const {
    return grid_ ? static_cast<FlexGridAccessible*>(QAccessible::queryAccessibleInterface(grid_))
                 : nullptr;
  }
  QModelIndex Index() const { return grid_->model()->index(row_, column_); }

  QPointer<FlexGrid> grid_;
  int row_;
  int column_;
};

QAccessibleInterface* MakeGridAccessible(const QString&, QObject* object) {
  auto* grid = qobject_cast<FlexGrid*>(object);
  return grid != nullptr ? new FlexGridAccessible(grid) : nullptr;
}

}  // namespace

FlexGridAccessible::FlexGridAccessible(FlexGrid* grid)
    : QAccessibleWidget(grid, QAccessible::Table) {}

FlexGridAccessible::~FlexGridAccessible() {
  for (const QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
}

void FlexGridAccessible::Install() {
  static const bool installed = [] {
    QAccessible::installFactory(MakeGridAccessible);
    return true;
  }();
  (void)installed;
}

FlexGrid* FlexGridAccessible::Grid() const { return static_cast<FlexGrid*>(widget()); }

void* FlexGridAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
  return QAccessibleWidget::interface_cast(type);
}

int FlexGridAccessible::columnCount() const {
  int shown = 0;
  for (int column = 0; column < Grid()->model()->columnCount(); ++column) {
    if (!Grid()->isColumnHidden(column)) ++shown;
  }
  return shown;
}

int FlexGridAccessible::rowCount() const {
  int shown = 0;
  for (int row = 0; row < Grid()->model()->rowCount(); ++row) {
    if (!Grid()->isRowHidden(row)) ++shown;
  }
  return shown;
}

int FlexGridAccessible::ModelColumn(int shown_column) const {
  for (int column = 0; column < Grid()->model()->columnCount(); ++column) {
    if (!Grid()->isColumnHidden(column) && shown_column-- == 0) return column;
  }
  return -1;
}

int FlexGridAccessible::ModelRow(int shown_row) const {
  for (int row = 0; row < Grid()->model()->rowCount(); ++row) {
    if (!Grid()->isRowHidden(row) && shown_row-- == 0) return row;
  }
  return -1;
}

int FlexGridAccessible::ShownColumn(int model_column) const {
  if (Grid()->isColumnHidden(model_column)) return -1;
  int shown = 0;
  for (int column = 0; column < model_column; ++column) {
    if (!Grid()->isColumnHidden(column)) ++shown;
  }
  return shown;
}

int FlexGridAccessible::ShownRow(int model_row) const {
  if (Grid()->isRowHidden(model_row)) return -1;
  int shown = 0;
  for (int row = 0; row < model_row; ++row) {
    if (!Grid()->isRowHidden(row)) ++shown;
  }
  return shown;
}

QAccessibleInterface* FlexGridAccessible::Cell(int model_row, int model_column) const {
  if (model_column < 0) return nullptr;
  const QPair<int, int> key(model_row, model_column);
  if (const auto known = cells_.constFind(key); known != cells_.cend()) {
    return QAccessible::accessibleInterface(*known);
  }
  auto* cell = new GridCell(Grid(), model_row, model_column);
  cells_.insert(key, QAccessible::registerAccessibleInterface(cell));
  return cell;
}

QAccessibleInterface* FlexGridAccessible::cellAt(int row, int column) const {
  const int model_row = ModelRow(row);
  return model_row < 0 ? nullptr : Cell(model_row, ModelColumn(column));
}

// The column headers first, then the cells row by row.
int FlexGridAccessible::childCount() const { return columnCount() * (rowCount() + 1); }

QAccessibleInterface* FlexGridAccessible::child(int index) const {
  const int columns = columnCount();
  if (index < 0 || columns == 0 || index >= childCount()) return nullptr;
  if (index < columns) return Cell(kHeaderRow, ModelColumn(index));
  return cellAt(index / columns - 1, index % columns);
}

int FlexGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
  auto* known = const_cast<QAccessibleInterface*>(child);
  const auto* cell = known != nullptr ? known->tableCellInterface() : nullptr;
  if (cell == nullptr || child->parent() != this) return -1;
  const int column = cell->columnIndex();
  return child->role() == QAccessible::ColumnHeader
             ? column
             : (cell->rowIndex() + 1) * columnCount() + column;
}

QString FlexGridAccessible::columnDescription(int column) const {
  return Grid()->model()->headerData(ModelColumn(column), Qt::Horizontal).toString();
}

QString FlexGridAccessible::rowDescription(int row) const {
  if (!Grid()->verticalHeader()->isVisible()) return QString();
  return Grid()->model()->headerData(ModelRow(row), Qt::Vertical).toString();
}

bool FlexGridAccessible::IsSelected(int model_row, int model_column) const {
  const FlexGrid& grid = *Grid();
  const int row = model_row + grid.FixedRows();
  const int column = model_column + grid.FixedCols();
  // The grid's own selection: from the current cell to RowSel and ColSel, whole rows by row.
  if (grid.Row() < grid.FixedRows()) return false;
  const bool in_rows =
      row >= std::min(grid.Row(), grid.RowSel()) && row <= std::max(grid.Row(), grid.RowSel());
  const bool in_columns = grid.GetSelectionMode() == FlexGrid::SelectionMode::kByRow ||
                          (column >= std::min(grid.Col(), grid.ColSel()) &&
                           column <= std::max(grid.Col(), grid.ColSel()));
  return in_rows && in_columns;
}

QList<int> FlexGridAccessible::selectedRows() const {
  QList<int> rows;
  for (int shown = 0; shown < rowCount(); ++shown) {
    const int row = ModelRow(shown);
    bool whole = columnCount() > 0;
    for (int column = 0; column < columnCount() && whole; ++column) {
      whole = IsSelected(row, ModelColumn(column));
    }
    if (whole) rows << shown;
  }
  return rows;
}

int FlexGridAccessible::selectedRowCount() const { return static_cast<int>(selectedRows().size()); }

bool FlexGridAccessible::isRowSelected(int row) const { return selectedRows().contains(row); }

QList<QAccessibleInterface*> FlexGridAccessible::selectedCells() const {
  QList<QAccessibleInterface*> cells;
  for (int row = 0; row < rowCount(); ++row) {
    for (int column = 0; column < columnCount(); ++column) {
      if (IsSelected(ModelRow(row), ModelColumn(column))) cells << cellAt(row, column);
    }
  }
  return cells;
}

int FlexGridAccessible::selectedCellCount() const {
  return static_cast<int>(selectedCells().size());
}

}  // namespace kx12r
