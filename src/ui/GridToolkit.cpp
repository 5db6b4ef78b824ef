// Grid columns from captions, and columns widened to their content.
#include "ui/GridToolkit.h"

#include <QEventLoop>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScopeGuard>
#include <QStyle>
#include <cmath>
#include <numeric>

#include "base/MessageBox.h"
#include "ui/Twips.h"

namespace kx12r {
namespace {

const QString kCheckPicture = QStringLiteral("check");

// Splits `total` pixels over `weights` in proportion, exactly, by the largest remainders.
std::vector<int> Proportional(const std::vector<double>& weights, int total) {
  const double sum = std::accumulate(weights.begin(), weights.end(), 0.0);
  std::vector<int> shares(weights.size(), 0);
  if (sum <= 0 || total <= 0) return shares;
  std::vector<std::pair<double, std::size_t>> remainders;
  int given = 0;
  for (std::size_t i = 0; i < weights.size(); ++i) {
    const double exact = weights[i] * total / sum;
    shares[i] = static_cast<int>(std::floor(exact));
    given += shares[i];
    if (weights[i] > 0) remainders.emplace_back(exact - shares[i], i);
  }
  std::sort(remainders.begin(), remainders.end(), std::greater<>());
  for (std::size_t k = 0; given < total && k < remainders.size(); ++k, ++given) {
    ++shares[remainders[k].second];
  }
  return shares;
}

// Runs one in-place edit of `original` with the editor at `where` (editor-parent pixels).
// Returns the text to store, or nothing when the value stays.
// `focused` tells whether the editor had the keys when it closed.
std::optional<QString> EditInPlace(EditorBox& editor, const QRect& where, const QString& original,
                                   bool& focused) {
  editor.setGeometry(where);
  editor.raise();
  editor.setText(original);
  editor.setCursorPosition(original.size());
  editor.setEnabled(true);
  editor.show();
  editor.setFocus();
  editor.SetTag(QStringLiteral("1"));
  QEventLoop wait;
  QObject::connect(&editor, &EditorBox::TagChanged, &wait, [&] {
    if (!editor.IsEditing()) wait.quit();
  });
  wait.exec();
  const QString text = editor.text().remove(QStringLiteral("\r\n"));
  // The box stays in view while the user is asked about the value it shows.
  const auto hide = qScopeGuard([&] {
    focused = editor.hasFocus();
    editor.hide();
  });
  if (editor.isEnabled()) return text;
  if (text == original) return std::nullopt;
  const QString question = QStringLiteral("Значение было изменено. ") + Quoted("Да") +
                           QStringLiteral(" - сохранить, ") + Quoted("Нет") +
                           QStringLiteral(" - отменить изменения.");
  if (ShowMessage(question, kYesNoQuestion, kMessageTitle) == kAnswerYes) return text;
  return std::nullopt;
}

}  // namespace

bool InitGridFromCaptions(FlexGrid& grid, const QString& captions, Qt::Alignment alignment,
                          const QStringList& hidden_captions) {
  const QStringList columns = captions.split(QLatin1Char('|'));
  grid.SetFixedRows(1);
  grid.SetCols(static_cast<int>(columns.size()));
  grid.SetRows(std::max(grid.Rows(), 1));
  const QFontMetrics metrics(grid.font());
  std::vector<double> widths;
  for (int col = 0; col < columns.size(); ++col) {
    const QString& caption = columns[col];
    grid.SetTextMatrix(0, col, caption);
    const auto containing =
        std::count_if(hidden_captions.begin(), hidden_captions.end(),
                      [&](const QString& entry) { return entry.contains(caption); });
    widths.push_back(containing == 1 ? 0 : metrics.horizontalAdvance(caption));
  }
  // The fixed column is one of the captions, so it shares the whole width with the others.
  const int available = grid.contentsRect().width();
  const std::vector<int> pixels = Proportional(widths, available);
  for (int col = 0; col < columns.size(); ++col) {
    grid.SetColWidth(col, PixelsToTwips(pixels[col]));
    grid.SetColAlignment(col, alignment);
  }
  return true;
}

void WidenColumnsToContent(FlexGrid& grid, const std::map<int, QStringList>& columns) {
  const QStyle& style = *grid.style();
  const int cell_margin = 2 * (style.pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1);
  const int header_margin = 2 * style.pixelMetric(QStyle::PM_HeaderMargin, nullptr, &grid);
  const int picture = style.pixelMetric(QStyle::PM_SmallIconSize, nullptr, &grid) + cell_margin;
  const QFontMetrics cell_metrics(grid.font());
  const QFontMetrics header_metrics(grid.horizontalHeader()->font());
  std::vector<double> others(grid.Cols(), 0.0);
  int total = 0;
  int widened = 0;
  for (int col = 0; col < grid.Cols(); ++col) {
    const int width = TwipsToPixels(grid.ColWidth(col));
    total += width;
    if (width == 0) continue;
    const auto listed = columns.find(col);
    if (listed == columns.end()) {
      others[col] = width;
      continue;
    }
    const QString caption = grid.TextMatrix(0, col);
    int needed = std::max({width, picture, cell_metrics.horizontalAdvance(caption) + cell_margin,
                           header_metrics.horizontalAdvance(caption) + header_margin});
    for (const QString& text : listed->second) {
      needed = std::max(needed, cell_metrics.horizontalAdvance(text) + cell_margin);
    }
    grid.SetColWidth(col, PixelsToTwips(needed));
    widened += needed;
  }
  const std::vector<int> shares = Proportional(others, std::max(total - widened, 0));
  for (int col = 0; col < grid.Cols(); ++col) {
    if (others[col] > 0) grid.SetColWidth(col, PixelsToTwips(shares[col]));
  }
}

bool SelectGridRow(FlexGrid& grid, int row, bool keep_view, bool check_mark) {
  grid.SetSelChangeEventLocked(true);
  const auto unlock = qScopeGuard([&] { grid.SetSelChangeEventLocked(false); });
  if (!grid.HasDataRows()) return true;
  if (row != kCurrent) grid.SetRow(row);
  grid.SetCol(0);
  if (check_mark) MarkCheckedRow(grid, 0);
  grid.SetColSel(grid.Cols() - 1);
  if (!keep_view) grid.SetTopRow(grid.Row());
  return true;
}

void MarkCheckedRow(FlexGrid& grid, int column) {
  bool ok = false;
  const int marked = grid.Tag().toInt(&ok);
  if (ok && marked != grid.Row()) grid.SetCellPicture(marked, column, QString());
  grid.SetCellPicture(grid.Row(), column, kCheckPicture);
  grid.SetTag(QString::number(grid.Row()));
}

bool EditGridCell(FlexGrid& grid, EditorBox& editor, int row, int col) {
  if (row == kCurrent) row = grid.Row();
  if (col == kCurrent) col = grid.Col();
  const FlexGrid::ScrollBars scroll_bars = grid.GetScrollBars();
  grid.setEnabled(false);
  grid.SetScrollBars(FlexGrid::ScrollBars::kNone);
  const QRect cell = grid.CellGeometry(row, col);
  const QRect where(grid.mapTo(editor.parentWidget(), cell.topLeft()), cell.size());
  bool focused = false;
  const std::optional<QString> text =
      EditInPlace(editor, where, grid.TextMatrix(row, col), focused);
  if (text) grid.SetTextMatrix(row, col, *text);
  grid.SetScrollBars(scroll_bars);
  grid.setEnabled(true);
  // The keys go back to the grid, not to whatever follows the hidden editor.
  if (focused) grid.setFocus();
  return text.has_value();
}

bool EditLabel(QLabel& label, EditorBox& editor) {
  const QRect where(label.mapTo(editor.parentWidget(), QPoint(0, 0)), label.size());
  bool focused = false;
  const std::optional<QString> text = EditInPlace(editor, where, label.text(), focused);
  if (text) label.setText(*text);
  return text.has_value();
}

bool ShowCellHint(FlexGrid& grid, int row, int col, QLabel& hint, const QString& text, QPoint mouse,
                  int gap, int lowest_bottom, bool keep_size) {
  const QRect cell = grid.CellGeometry(row, col);
  if (!cell.contains(mouse)) return false;
  if (!keep_size) {
    const QFontMetrics metrics(hint.font());
    hint.resize(metrics.horizontalAdvance(QLatin1Char(' ') + text), metrics.height());
  }
  const QPoint cell_in_parent = grid.mapTo(hint.parentWidget(), cell.topLeft());
  const int left = cell_in_parent.x() + cell.width() + TwipsToPixels(gap);
  const int top = std::min(cell_in_parent.y(), TwipsToPixels(lowest_bottom) - hint.height());
  hint.move(left, top);
  hint.setText(text);
  // The hint stands over other controls; a click there is meant for them.
  hint.setAttribute(Qt::WA_TransparentForMouseEvents);
  return true;
}

int FindRowByText(const FlexGrid& grid, const QString& text, int column) {
  for (int row = 0; row < grid.Rows(); ++row) {
    if (grid.TextMatrix(row, column) == text) return row;
  }
  return -1;
}

int FirstShownRow(const FlexGrid& grid, int row) {
  for (int r = std::max(row, 0); r < grid.Rows(); ++r) {
    if (grid.RowHeight(r) > 0) return r;
  }
  return 0;
}

void PlaceRowButton(FlexGrid& grid, QPushButton& button, int column) {
  const QRect cell = grid.CellGeometry(grid.Row(), column);
  if (!grid.HasDataRows() || cell.isEmpty()) {
    button.hide();
    return;
  }
  const int side = cell.height();
  const QPoint corner = grid.mapTo(button.parentWidget(), cell.topLeft());
  button.setGeometry(corner.x() + cell.width() - side, corner.y(), side, side);
  button.raise();
  QFont font = button.font();
  font.setPointSize(4);
  button.setFont(font);
  button.setText(QStringLiteral("..."));
  const int header_bottom = grid.CellGeometry(0, column).bottom();
  button.setVisible(cell.top() > header_bottom &&
                    cell.bottom() <= grid.viewport()->geometry().bottom());
}

}  // namespace kx12r
