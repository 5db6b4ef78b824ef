// FlexGrid: the grid control the screens are built of.
#include "ui/FlexGrid.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>

#include "base/KeyState.h"
#include "ui/FlexGridAccessible.h"
#include "ui/ImageList.h"
#include "ui/Twips.h"

namespace kx12r {
namespace {

constexpr int kDefaultRowHeightTwips = 240;
constexpr int kPictureKeyRole = Qt::UserRole + 1;

}  // namespace

FlexGrid::FlexGrid(QWidget* parent) : QTableWidget(parent) {
  FlexGridAccessible::Install();
  // The grid keeps the current cell and the selection itself and only shows them.
  QTableWidget::setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setAutoScroll(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setTabKeyNavigation(false);
  setMouseTracking(true);
  horizontalHeader()->setMinimumSectionSize(0);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setFixedHeight(TwipsToPixels(kDefaultRowHeightTwips));
  verticalHeader()->setMinimumSectionSize(0);
  verticalHeader()->setSectionsClickable(false);
  verticalHeader()->setHighlightSections(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(TwipsToPixels(kDefaultRowHeightTwips));
  verticalHeader()->setVisible(false);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &FlexGrid::Scroll);
  connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &FlexGrid::Scroll);
  // The corner between the two caption bands shows the corner cell's text.
  if (auto* corner = findChild<QAbstractButton*>()) corner->installEventFilter(this);
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* event) {
  auto* corner = qobject_cast<QAbstractButton*>(watched);
  if (!corner || event->type() != QEvent::Paint || corner_text_.isEmpty()) {
    return QTableWidget::eventFilter(watched, event);
  }
  QStyleOptionHeader option;
  option.initFrom(corner);
  option.palette = palette();  // the corner button is never enabled; its caption reads as one
  option.rect = corner->rect();
  option.text = corner_text_;
  option.textAlignment = Qt::AlignCenter;
  option.position = QStyleOptionHeader::OnlyOneSection;
  option.state |= QStyle::State_Enabled;
  QPainter painter(corner);
  style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
  return true;
}

void FlexGrid::SetRows(int rows) {
  setRowCount(std::max(rows, fixed_rows_) - fixed_rows_);
  for (int row : QSet<int>(merged_rows_)) {
    if (row >= Rows()) merged_rows_.remove(row);
  }
  const int last = Rows() - 1;
  auto clamp = [&](int row) { return HasDataRows() ? std::clamp(row, fixed_rows_, last) : 0; };
  SetCell(clamp(row_), col_, clamp(row_sel_), col_sel_);
}

void FlexGrid::AddItem(const QString& tab_separated, int index) {
  int row = Rows();
  if (index >= fixed_rows_ && index < Rows()) {
    insertRow(index - fixed_rows_);
    row = index;
  } else {
    SetRows(row + 1);
  }
  const QStringList texts = tab_separated.split(QLatin1Char('\t'));
  for (int col = 0; col < texts.size() && col < Cols(); ++col) SetTextMatrix(row, col, texts[col]);
}

void FlexGrid::RemoveItem(int row) {
  if (row < fixed_rows_ || row >= Rows()) return;
  merged_rows_.remove(row);
  removeRow(row - fixed_rows_);
  const int last = Rows() - 1;
  auto clamp = [&](int r) { return HasDataRows() ? std::clamp(r, fixed_rows_, last) : 0; };
  row_ = -1;  // the current row moved or went away: tell SelChange handlers
  SetCell(clamp(row), col_, clamp(row), col_sel_);
}

void FlexGrid::SetCols(int cols) {
  setColumnCount(std::max(cols, fixed_cols_) - fixed_cols_);
  const int last = std::max(Cols() - 1, 0);
  auto clamp = [&](int col) { return std::clamp(col, std::min(fixed_cols_, last), last); };
  SetCell(row_, clamp(col_), row_sel_, clamp(col_sel_));
}

void FlexGrid::SetFixedRows(int fixed_rows) {
  const int rows = Rows();
  fixed_rows_ = std::clamp(fixed_rows, 0, 1);
  horizontalHeader()->setVisible(fixed_rows_ > 0);
  SetRows(rows);
}

void FlexGrid::SetFixedCols(int fixed_cols) {
  const int cols = Cols();
  fixed_cols_ = std::clamp(fixed_cols, 0, 1);
  verticalHeader()->setVisible(fixed_cols_ > 0);
  SetCols(cols);
}

bool FlexGrid::IsDataCell(int row, int col) const {
  return row >= fixed_rows_ && row < Rows() && col >= fixed_cols_ && col < Cols();
}

const QTableWidgetItem* FlexGrid::ItemAt(int row, int col) const {
  if (row < 0 || col < 0 || row >= Rows() || col >= Cols()) return nullptr;
  if (row < fixed_rows_ && col < fixed_cols_) return nullptr;
  if (row < fixed_rows_) return horizontalHeaderItem(col - fixed_cols_);
  if (col < fixed_cols_) return verticalHeaderItem(row - fixed_rows_);
  return item(row - fixed_rows_, col - fixed_cols_);
}

QTableWidgetItem* FlexGrid::Item(int row, int col) {
  if (row < 0 || col < 0 || row >= Rows() || col >= Cols()) return nullptr;
  if (row < fixed_rows_ && col < fixed_cols_) return nullptr;
  if (auto* existing = const_cast<QTableWidgetItem*>(ItemAt(row, col))) return existing;
  auto* created = new QTableWidgetItem;
  if (col_alignment_.contains(col)) created->setTextAlignment(col_alignment_[col]);
  if (row < fixed_rows_) {
    setHorizontalHeaderItem(col - fixed_cols_, created);
  } else if (col < fixed_cols_) {
    setVerticalHeaderItem(row - fixed_rows_, created);
  } else {
    setItem(row - fixed_rows_, col - fixed_cols_, created);
  }
  return created;
}

QString FlexGrid::TextMatrix(int row, int col) const {
  if (row < fixed_rows_ && col < fixed_cols_) return corner_text_;
  const QTableWidgetItem* cell = ItemAt(row, col);
  return cell ? cell->text() : QString();
}

void FlexGrid::SetTextMatrix(int row, int col, const QString& text) {
  if (row < fixed_rows_ && col < fixed_cols_) {
    corner_text_ = text;
    if (auto* corner = findChild<QAbstractButton*>()) corner->update();
    return;
  }
  if (QTableWidgetItem* cell = Item(row, col); cell && cell->text() != text) {
    cell->setText(text);
    Remerge(row);
  }
}

int FlexGrid::ColWidth(int col) const {
  if (col < 0 || col >= Cols()) return 0;
  if (col < fixed_cols_)
    return verticalHeader()->isVisible() ? PixelsToTwips(verticalHeader()->width()) : 0;
  const int section = col - fixed_cols_;
  return isColumnHidden(section) ? 0 : PixelsToTwips(columnWidth(section));
}

void FlexGrid::SetColWidth(int col, int twips) {
  if (col < 0 || col >= Cols()) return;
  if (col < fixed_cols_) {
    verticalHeader()->setFixedWidth(TwipsToPixels(std::max(twips, 0)));
    return;
  }
  const int section = col - fixed_cols_;
  setColumnHidden(section, twips <= 0);
  if (twips > 0) setColumnWidth(section, TwipsToPixels(twips));
}

int FlexGrid::RowHeight(int row) const {
  if (row < 0 || row >= Rows()) return 0;
  if (row < fixed_rows_) return PixelsToTwips(horizontalHeader()->height());
  const int section = row - fixed_rows_;
  return isRowHidden(section) ? 0 : PixelsToTwips(rowHeight(section));
}

void FlexGrid::SetRowHeight(int row, int twips) {
  if (row < 0 || row >= Rows()) return;
  if (row < fixed_rows_) {
    horizontalHeader()->setFixedHeight(TwipsToPixels(std::max(twips, 0)));
    return;
  }
  const int section = row - fixed_rows_;
  setRowHidden(section, twips <= 0);
  if (twips > 0) setRowHeight(section, TwipsToPixels(twips));
}

void FlexGrid::SetRow(int row) { SetCell(row, col_, row, col_); }
void FlexGrid::SetCol(int col) { SetCell(row_, col, row_, col); }
void FlexGrid::SetRowSel(int row) { SetCell(row_, col_, row, col_sel_); }
void FlexGrid::SetColSel(int col) { SetCell(row_, col_, row_sel_, col); }

void FlexGrid::SetCell(int row, int col, int row_sel, int col_sel) {
  if (row == row_ && col == col_ && row_sel == row_sel_ && col_sel == col_sel_) return;
  row_ = row;
  col_ = col;
  row_sel_ = row_sel;
  col_sel_ = col_sel;
  ShowSelection();
  emit SelChange();
}

void FlexGrid::ShowSelection() {
  QItemSelectionModel* selection = selectionModel();
  if (!IsDataCell(row_, col_) || !IsDataCell(row_sel_, std::max(col_sel_, fixed_cols_))) {
    selection->clearSelection();
    return;
  }
  const bool by_row = selection_mode_ == SelectionMode::kByRow;
  const int top = std::min(row_, row_sel_) - fixed_rows_;
  const int bottom = std::max(row_, row_sel_) - fixed_rows_;
  const int left = by_row ? 0 : std::min(col_, col_sel_) - fixed_cols_;
  const int right = by_row ? columnCount() - 1 : std::max(col_, col_sel_) - fixed_cols_;
  selection->select(QItemSelection(model()->index(top, left), model()->index(bottom, right)),
                    QItemSelectionModel::ClearAndSelect);
  selection->setCurrentIndex(model()->index(row_ - fixed_rows_, col_ - fixed_cols_),
                             QItemSelectionModel::NoUpdate);
}

int FlexGrid::TopRow() const {
  const int top = rowAt(0);
  return top < 0 ? fixed_rows_ : top + fixed_rows_;
}

void FlexGrid::SetTopRow(int row) {
  if (!IsDataCell(row, fixed_cols_) || !IsShownRow(row)) return;
  for (int section = 0; section < columnCount(); ++section) {
    if (!isColumnHidden(section)) {
      scrollTo(model()->index(row - fixed_rows_, section), QAbstractItemView::PositionAtTop);
      return;
    }
  }
}

void FlexGrid::SetSelectionMode(SelectionMode mode) {
  if (selection_mode_ == mode) return;
  selection_mode_ = mode;
  ShowSelection();
}

void FlexGrid::SetScrollBars(ScrollBars bars) {
  scroll_bars_ = bars;
  const bool horizontal = bars == ScrollBars::kHorizontal || bars == ScrollBars::kBoth;
  const bool vertical = bars == ScrollBars::kVertical || bars == ScrollBars::kBoth;
  setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

QString FlexGrid::CellPicture(int row, int col) const {
  const QTableWidgetItem* cell = ItemAt(row, col);
  return cell ? cell->data(kPictureKeyRole).toString() : QString();
}

void FlexGrid::SetCellPicture(int row, int col, const QString& key) {
  if (QTableWidgetItem* cell = Item(row, col)) {
    cell->setData(kPictureKeyRole, key);
    cell->setIcon(ImageListIcon(key));
  }
}

void FlexGrid::SetCellBackColor(int row, int col, const QColor& color) {
  if (QTableWidgetItem* cell = Item(row, col)) cell->setBackground(color);
}

void FlexGrid::SetCellForeColor(int row, int col, const QColor& color) {
  if (QTableWidgetItem* cell = Item(row, col)) cell->setForeground(color);
}

QColor FlexGrid::CellForeColor(int row, int col) const {
  const QTableWidgetItem* cell = ItemAt(row, col);
  return cell && cell->foreground().style() != Qt::NoBrush ? cell->foreground().color()
                                                           : palette().color(QPalette::Text);
}

void FlexGrid::SetColAlignment(int col, Qt::Alignment alignment) {
  col_alignment_[col] = alignment;
  for (int row = 0; row < Rows(); ++row) {
    if (QTableWidgetItem* cell = const_cast<QTableWidgetItem*>(ItemAt(row, col))) {
      cell->setTextAlignment(alignment);
    }
  }
}

void FlexGrid::SetCellAlignment(int row, int col, Qt::Alignment alignment) {
  if (QTableWidgetItem* cell = Item(row, col)) cell->setTextAlignment(alignment);
}

void FlexGrid::SetCellToolTip(int row, int col, const QString& text) {
  QTableWidgetItem* cell = Item(row, col);
  if (cell == nullptr) return;
  cell->setToolTip(text);
  cell->setData(Qt::AccessibleDescriptionRole, text);
}

void FlexGrid::SetMergeRow(int row, bool merge) {
  if (merge) {
    merged_rows_.insert(row);
  } else {
    merged_rows_.remove(row);
  }
  if (row >= fixed_rows_ && row < Rows()) ClearSpans(row - fixed_rows_);
  Remerge(row);
}

void FlexGrid::ClearSpans(int section_row) {
  for (int section = 0; section < columnCount();) {
    const int span = std::max(columnSpan(section_row, section), 1);
    if (span > 1) setSpan(section_row, section, 1, 1);
    section += span;
  }
}

void FlexGrid::Remerge(int row) {
  if (!merged_rows_.contains(row) || row < fixed_rows_) return;
  const int section_row = row - fixed_rows_;
  const int count = columnCount();
  // The old spans go first, so a new one never overlaps them.
  ClearSpans(section_row);
  for (int start = 0; start < count;) {
    int end = start;
    const QString text = TextMatrix(row, start + fixed_cols_);
    // Empty cells stand alone: two picture cells side by side keep their own clicks.
    while (!text.isEmpty() && end + 1 < count && TextMatrix(row, end + 1 + fixed_cols_) == text) {
      ++end;
    }
    if (columnSpan(section_row, start) != end - start + 1) {
      setSpan(section_row, start, 1, end - start + 1);
    }
    start = end + 1;
  }
}

QRect FlexGrid::CellGeometry(int row, int col) const {
  if (row < 0 || col < 0 || row >= Rows() || col >= Cols()) return {};
  if (RowHeight(row) == 0 || ColWidth(col) == 0) return {};
  int x, width, y, height;
  if (col < fixed_cols_) {
    x = verticalHeader()->geometry().x();
    width = verticalHeader()->width();
  } else {
    x = viewport()->geometry().x() + columnViewportPosition(col - fixed_cols_);
    width = columnWidth(col - fixed_cols_);
  }
  if (row < fixed_rows_) {
    y = horizontalHeader()->geometry().y();
    height = horizontalHeader()->height();
  } else {
    y = viewport()->geometry().y() + rowViewportPosition(row - fixed_rows_);
    height = rowHeight(row - fixed_rows_);
  }
  return {x, y, width, height};
}

QPoint FlexGrid::ToGrid(QPoint viewport_position) const {
  return viewport_position + viewport()->geometry().topLeft();
}

void FlexGrid::mousePressEvent(QMouseEvent* event) {
  const QPoint position = event->position().toPoint();
  emit MouseDown(event->button(), ToGrid(position));
  const QModelIndex index = indexAt(position);
  pressed_inside_ = index.isValid() && event->button() == Qt::LeftButton;
  if (!pressed_inside_) return;
  setFocus(Qt::MouseFocusReason);
  const int row = index.row() + fixed_rows_;
  const int col = index.column() + fixed_cols_;
  SetCell(row, col, row, selection_mode_ == SelectionMode::kByRow ? Cols() - 1 : col);
}

void FlexGrid::mouseReleaseEvent(QMouseEvent* event) {
  if (std::exchange(pressed_inside_, false) && event->button() == Qt::LeftButton) emit Click();
}

void FlexGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  if (indexAt(event->position().toPoint()).isValid()) emit DblClick();
}

void FlexGrid::mouseMoveEvent(QMouseEvent* event) {
  emit MouseMove(ToGrid(event->position().toPoint()));
}

int FlexGrid::NextShownRow(int from, int step) const {
  for (int row = from; row >= fixed_rows_ && row < Rows(); row += step) {
    if (IsShownRow(row)) return row;
  }
  return -1;
}

void FlexGrid::keyPressEvent(QKeyEvent* event) {
  const KeyPressScope scope(event->key());
  emit KeyDown(event->key());
  if (!HasDataRows()) return event->ignore();
  const int page =
      std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
  int row = row_;
  int col = col_;
  auto shown_col = [&](int from, int step) {
    for (int c = from; c >= fixed_cols_ && c < Cols(); c += step) {
      if (ColWidth(c) > 0) return c;
    }
    return col_;
  };
  switch (event->key()) {
    case Qt::Key_Up:
      row = NextShownRow(row_ - 1, -1);
      break;
    case Qt::Key_Down:
      row = NextShownRow(row_ + 1, 1);
      break;
    case Qt::Key_PageUp:
      row = NextShownRow(std::max(row_ - page, fixed_rows_), 1);
      break;
    case Qt::Key_PageDown:
      row = NextShownRow(std::min(row_ + page, Rows() - 1), -1);
      break;
    case Qt::Key_Home:
      row = NextShownRow(fixed_rows_, 1);
      break;
    case Qt::Key_End:
      row = NextShownRow(Rows() - 1, -1);
      break;
    case Qt::Key_Left:
      col = shown_col(col_ - 1, -1);
      break;
    case Qt::Key_Right:
      col = shown_col(col_ + 1, 1);
      break;
    default:
      return event->ignore();
  }
  if (row < 0) row = row_;
  SetCell(row, col, row, selection_mode_ == SelectionMode::kByRow ? Cols() - 1 : col);
  if (IsDataCell(row_, col_)) scrollTo(model()->index(row_ - fixed_rows_, col_ - fixed_cols_));
}

}  // namespace kx12r
