#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace kx12r {

class FlexGrid;

// What a screen reader is told of a grid: a table of the rows and columns the grid shows, the
// caption row as column headers and the fixed column (where there is one) as row headers. Rows
// and columns of height or width 0 hold the program's own values and are not in it.
class FlexGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit FlexGridAccessible(FlexGrid* grid);
  ~FlexGridAccessible() override;

  // Makes every grid of the program answer a screen reader through this interface.
  static void Install();

  QAccessible::Role role() const override { return QAccessible::Table; }
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  void* interface_cast(QAccessible::InterfaceType type) override;

  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override;
  int columnCount() const override;
  int rowCount() const override;
  QString columnDescription(int column) const override;
  QString rowDescription(int row) const override;
  int selectedCellCount() const override;
  QList<QAccessibleInterface*> selectedCells() const override;
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override;
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override;
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int row) const override;
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override {}

  FlexGrid* Grid() const;
  // The model's row and column of a shown row and column; -1 for a header.
  int ModelRow(int shown_row) const;
  int ModelColumn(int shown_column) const;
  int ShownColumn(int model_column) const;
  int ShownRow(int model_row) const;
  // Whether the grid's own selection holds the cell.
  bool IsSelected(int model_row, int model_column) const;

 private:
  // A cell by its model row (-1: the column header) and column; made once, kept until the grid
  // goes.
  QAccessibleInterface* Cell(int model_row, int model_column) const;

  mutable QHash<QPair<int, int>, QAccessible::Id> cells_;
};

}  // namespace kx12r
