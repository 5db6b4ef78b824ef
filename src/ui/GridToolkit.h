#pragma once

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <map>

#include "ui/EditorBox.h"
#include "ui/FlexGrid.h"

namespace kx12r {

inline constexpr int kCurrent = -1;  // row or column: the grid's current one

// Columns from a caption string "A|B|C": captions in row 0, the visible columns sharing the
// grid's width in proportion to their caption lengths. A column is hidden when exactly one
// entry of `hidden_captions` contains its caption.
bool InitGridFromCaptions(FlexGrid& grid, const QString& captions, Qt::Alignment alignment,
                          const QStringList& hidden_captions);

// Widens each of `columns` to what its caption, a cell picture and each of its texts need to
// show whole; the other shown columns give up that width in proportion to their own.
void WidenColumnsToContent(FlexGrid& grid, const std::map<int, QStringList>& columns);

// Makes `row` (or the current row) current and selects it whole, scrolled to the top unless
// `keep_view`; marks it with the check picture when `check_mark`. Programmatic selection
// moves raise SelChange with the grid's SelChangeEventLocked set.
bool SelectGridRow(FlexGrid& grid, int row, bool keep_view, bool check_mark);

// Moves the check picture to `column` of the current row; the grid's tag keeps the marked row.
void MarkCheckedRow(FlexGrid& grid, int column);

// Edits a cell in place with `editor` laid over it; waits, with window events running, until
// the editor's handlers end the edit. True when the cell text was changed.
bool EditGridCell(FlexGrid& grid, EditorBox& editor, int row, int col);

// The same over a label: its text is the value.
bool EditLabel(QLabel& label, EditorBox& editor);

// When `mouse` (grid pixels) lies in the cell, shows `text` in `hint` to the right of the cell,
// `gap` twips away, its bottom not below `lowest_bottom` twips in the hint's parent. The hint is
// sized to its text unless `keep_size`.
bool ShowCellHint(FlexGrid& grid, int row, int col, QLabel& hint, const QString& text, QPoint mouse,
                  int gap, int lowest_bottom, bool keep_size);

// The first row, from 0, whose cell in `column` equals `text`; -1 when none.
int FindRowByText(const FlexGrid& grid, const QString& text, int column);

// The first row at or after `row` that is shown; 0 when none is.
int FirstShownRow(const FlexGrid& grid, int row);

// A square "..." button at the right end of `column` in the selected row, shown only while
// that row is in view; hidden when the grid has no data rows.
void PlaceRowButton(FlexGrid& grid, QPushButton& button, int column);

}  // namespace kx12r
