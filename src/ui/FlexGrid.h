#pragma once

#include <QColor>
#include <QRect>
#include <QSet>
#include <QString>
#include <QTableWidget>

namespace kx12r {

// A grid of text cells addressed by row and column from 0, the first FixedRows rows (and
// FixedCols columns) being caption cells that do not scroll. Sizes are in twips; a column
// width or row height of 0 hides it while its cells keep their text. The current cell
// (Row, Col) and the far corner of the selection (RowSel, ColSel) are the grid's own state:
// changing them from the program raises SelChange just as the user's clicks and keys do.
class FlexGrid : public QTableWidget {
  Q_OBJECT

 public:
  enum class SelectionMode { kFree, kByRow };
  enum class ScrollBars { kNone, kHorizontal, kVertical, kBoth };

  explicit FlexGrid(QWidget* parent = nullptr);

  int Rows() const { return rowCount() + fixed_rows_; }
  void SetRows(int rows);
  int Cols() const { return columnCount() + fixed_cols_; }
  void SetCols(int cols);
  int FixedRows() const { return fixed_rows_; }
  void SetFixedRows(int fixed_rows);  // 0 or 1
  int FixedCols() const { return fixed_cols_; }
  void SetFixedCols(int fixed_cols);  // 0 or 1
  bool HasDataRows() const { return Rows() > fixed_rows_; }
  // Adds a row whose cells take the tab-separated texts, from column 0: at the end, or at the
  // data row `index`, the rows from there on moving down.
  void AddItem(const QString& tab_separated, int index = -1);
  // Removes a data row; the rows below move up.
  void RemoveItem(int row);

  QString TextMatrix(int row, int col) const;
  void SetTextMatrix(int row, int col, const QString& text);

  int ColWidth(int col) const;
  void SetColWidth(int col, int twips);
  int RowHeight(int row) const;
  void SetRowHeight(int row, int twips);

  int Row() const { return row_; }
  int Col() const { return col_; }
  int RowSel() const { return row_sel_; }
  int ColSel() const { return col_sel_; }
  void SetRow(int row);
  void SetCol(int col);
  void SetRowSel(int row);
  void SetColSel(int col);
  int TopRow() const;
  void SetTopRow(int row);

  SelectionMode GetSelectionMode() const { return selection_mode_; }
  void SetSelectionMode(SelectionMode mode);
  ScrollBars GetScrollBars() const { return scroll_bars_; }
  void SetScrollBars(ScrollBars bars);

  // Pictures come by key from the image list ("check", "stop", ...); an empty key removes it.
  QString CellPicture(int row, int col) const;
  void SetCellPicture(int row, int col, const QString& key);
  void SetCellBackColor(int row, int col, const QColor& color);
  void SetCellForeColor(int row, int col, const QColor& color);
  QColor CellForeColor(int row, int col) const;
  void SetColAlignment(int col, Qt::Alignment alignment);
  void SetCellAlignment(int row, int col, Qt::Alignment alignment);
  // What the pointer resting on a cell shows, a long text whole; a screen reader hears it as the
  // cell's description.
  void SetCellToolTip(int row, int col, const QString& text);
  // Equal neighbouring cells of a marked row are shown as one; empty cells are never merged.
  void SetMergeRow(int row, bool merge);

  // Where a cell lies inside the grid widget, in pixels; empty for a hidden cell.
  QRect CellGeometry(int row, int col) const;

  const QString& Tag() const { return tag_; }
  void SetTag(const QString& tag) { tag_ = tag; }

  // Set while the program moves the selection, so a SelChange handler can tell it from the user.
  bool SelChangeEventLocked() const { return sel_change_locked_; }
  void SetSelChangeEventLocked(bool locked) { sel_change_locked_ = locked; }

 signals:
  void Click();
  void DblClick();
  void KeyDown(int key);
  void MouseDown(Qt::MouseButton button, QPoint position);
  void MouseMove(QPoint position);
  void SelChange();
  void Scroll();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QTableWidgetItem* Item(int row, int col);
  const QTableWidgetItem* ItemAt(int row, int col) const;
  bool IsDataCell(int row, int col) const;
  bool IsShownRow(int row) const { return RowHeight(row) > 0; }
  int NextShownRow(int from, int step) const;
  QPoint ToGrid(QPoint viewport_position) const;
  void SetCell(int row, int col, int row_sel, int col_sel);
  void ShowSelection();
  void Remerge(int row);
  void ClearSpans(int section_row);

  int fixed_rows_ = 1;
  int fixed_cols_ = 0;
  int row_ = 0;
  int col_ = 0;
  int row_sel_ = 0;
  int col_sel_ = 0;
  bool pressed_inside_ = false;
  SelectionMode selection_mode_ = SelectionMode::kFree;
  ScrollBars scroll_bars_ = ScrollBars::kBoth;
  QHash<int, Qt::Alignment> col_alignment_;
  QSet<int> merged_rows_;
  QString tag_;
  QString corner_text_;
  bool sel_change_locked_ = false;
};

}  // namespace kx12r
