#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "ScriptedPresenter.h"
#include "ui/GridToolkit.h"

namespace kx12r {
namespace {

class GridToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.resize(800, 400);
    grid_ = new FlexGrid(&window_);
    grid_->setGeometry(8, 8, 602, 200);
    editor_ = new EditorBox(&window_);
    editor_->hide();
    window_.show();
  }

  void FillRows(int rows) {
    grid_->SetRows(rows);
    for (int row = 1; row < rows; ++row) grid_->SetTextMatrix(row, 0, QString::number(row));
  }

  // Ends the next edit from inside its wait, as the editor's key handlers would.
  void EndEditWith(const QString& text, bool keep) {
    QTimer::singleShot(0, editor_, [this, text, keep] {
      EXPECT_TRUE(editor_->IsEditing());
      editor_->setText(text);
      if (keep) {
        editor_->SetTag("0");
      } else {
        editor_->CancelEdit();
      }
    });
  }

  QWidget window_;
  FlexGrid* grid_;
  EditorBox* editor_;
  ScriptedPresenter presenter_;
};

TEST_F(GridToolkitTest, CaptionsShareTheWidthAndExactlyOneContainingEntryHides) {
  ASSERT_TRUE(InitGridFromCaptions(*grid_, "AA|AAAA|Id|Name", Qt::AlignLeft | Qt::AlignVCenter,
                                   {"Id", "Name1", "Name2"}));
  EXPECT_EQ(grid_->Cols(), 4);
  EXPECT_EQ(grid_->TextMatrix(0, 3), "Name");
  EXPECT_EQ(grid_->ColWidth(2), 0) << "one entry contains Id";
  EXPECT_GT(grid_->ColWidth(3), 0) << "two entries contain Name";
  EXPECT_NEAR(grid_->ColWidth(1), 2 * grid_->ColWidth(0), 30);
  const int total = grid_->ColWidth(0) + grid_->ColWidth(1) + grid_->ColWidth(3);
  EXPECT_EQ(total / 15, grid_->contentsRect().width());
}

TEST_F(GridToolkitTest, AFixedColumnGridIsTheSameAtEverySetUp) {
  grid_->SetFixedCols(1);
  std::vector<int> first;
  for (int setup = 0; setup < 3; ++setup) {
    ASSERT_TRUE(InitGridFromCaptions(*grid_, "Наименование|Значение", Qt::AlignCenter, {""}));
    const std::vector<int> widths{grid_->ColWidth(0), grid_->ColWidth(1)};
    if (setup == 0) first = widths;
    EXPECT_EQ(widths, first) << "set-up " << setup;
  }
  EXPECT_EQ((first[0] + first[1]) / 15, grid_->contentsRect().width());
}

TEST_F(GridToolkitTest, SelectGridRowSelectsTheWholeRowUnderTheLock) {
  InitGridFromCaptions(*grid_, "_|A|B", Qt::AlignLeft, {});
  EXPECT_TRUE(SelectGridRow(*grid_, 2, false, true)) << "only the caption row: nothing to do";
  EXPECT_EQ(grid_->Row(), 0);

  FillRows(30);
  std::vector<bool> locked_during;
  QObject::connect(grid_, &FlexGrid::SelChange,
                   [&] { locked_during.push_back(grid_->SelChangeEventLocked()); });
  ASSERT_TRUE(SelectGridRow(*grid_, 5, false, true));
  EXPECT_EQ(grid_->Row(), 5);
  EXPECT_EQ(grid_->Col(), 0);
  EXPECT_EQ(grid_->ColSel(), 2);
  EXPECT_EQ(grid_->TopRow(), 5);
  EXPECT_EQ(grid_->CellPicture(5, 0), "check");
  EXPECT_EQ(grid_->Tag(), "5");
  EXPECT_FALSE(locked_during.empty());
  EXPECT_TRUE(std::all_of(locked_during.begin(), locked_during.end(), [](bool b) { return b; }));
  EXPECT_FALSE(grid_->SelChangeEventLocked());

  SelectGridRow(*grid_, 3, true, true);
  EXPECT_EQ(grid_->CellPicture(5, 0), "") << "the mark moves";
  EXPECT_EQ(grid_->CellPicture(3, 0), "check");
}

TEST_F(GridToolkitTest, EditKeptWritesTheCellAndGivesTheKeysBackToTheGrid) {
  InitGridFromCaptions(*grid_, "A|B", Qt::AlignLeft, {});
  FillRows(3);
  grid_->SetTextMatrix(2, 1, "old");
  auto* after = new QPushButton("next", &window_);  // next in the focus chain after the editor
  window_.activateWindow();
  QTimer::singleShot(0, [this] { EXPECT_FALSE(grid_->isEnabled()) << "disabled while editing"; });
  EndEditWith("new", true);
  EXPECT_TRUE(EditGridCell(*grid_, *editor_, 2, 1));
  EXPECT_EQ(grid_->TextMatrix(2, 1), "new");
  EXPECT_TRUE(grid_->isEnabled());
  EXPECT_FALSE(editor_->isVisible());
  EXPECT_TRUE(presenter_.shown.empty());
  EXPECT_EQ(QApplication::focusWidget(), grid_) << "not " << after->text().toStdString();
}

TEST_F(GridToolkitTest, CancelledEditAsksOnlyWhenTheTextChanged) {
  InitGridFromCaptions(*grid_, "A|B", Qt::AlignLeft, {});
  FillRows(3);
  grid_->SetTextMatrix(1, 1, "old");

  EndEditWith("old", false);
  EXPECT_FALSE(EditGridCell(*grid_, *editor_, 1, 1));
  EXPECT_TRUE(presenter_.shown.empty());

  presenter_.Answer(MessageButton::kNo);
  EndEditWith("changed", false);
  bool value_in_view = false;
  presenter_.on_present = [&](const ShownMessage&) {
    value_in_view = editor_->isVisible() && editor_->text() == "changed";
  };
  EXPECT_FALSE(EditGridCell(*grid_, *editor_, 1, 1));
  EXPECT_TRUE(value_in_view) << "the user sees the value asked about";
  EXPECT_FALSE(editor_->isVisible());
  EXPECT_EQ(grid_->TextMatrix(1, 1), "old");
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_EQ(presenter_.shown[0].text,
            "Значение было изменено. «Да» - сохранить, «Нет» - отменить изменения.");
  EXPECT_EQ(presenter_.shown[0].style, 36);
  EXPECT_EQ(presenter_.shown[0].title, "Сообщение!");

  presenter_.Answer(MessageButton::kYes);
  EndEditWith("kept", false);
  EXPECT_TRUE(EditGridCell(*grid_, *editor_, kCurrent, kCurrent + 2));
  EXPECT_EQ(grid_->TextMatrix(1, 1), "kept");
}

TEST_F(GridToolkitTest, EditLabelUsesTheCaption) {
  QLabel label("caption", &window_);
  EndEditWith("renamed", true);
  EXPECT_TRUE(EditLabel(label, *editor_));
  EXPECT_EQ(label.text(), "renamed");
}

TEST_F(GridToolkitTest, FindsRowsAndShownRows) {
  InitGridFromCaptions(*grid_, "A|B", Qt::AlignLeft, {});
  FillRows(5);
  EXPECT_EQ(FindRowByText(*grid_, "3", 0), 3);
  EXPECT_EQ(FindRowByText(*grid_, "A", 0), 0);
  EXPECT_EQ(FindRowByText(*grid_, "x", 0), -1);
  grid_->SetRowHeight(1, 0);
  grid_->SetRowHeight(2, 0);
  EXPECT_EQ(FirstShownRow(*grid_, 1), 3);
  for (int row = 3; row < 5; ++row) grid_->SetRowHeight(row, 0);
  EXPECT_EQ(FirstShownRow(*grid_, 1), 0);
}

TEST_F(GridToolkitTest, RowButtonSitsAtTheRightEndOfTheSelectedRow) {
  InitGridFromCaptions(*grid_, "A|B|C", Qt::AlignLeft, {});
  QPushButton button(&window_);
  PlaceRowButton(*grid_, button, 1);
  EXPECT_FALSE(button.isVisible()) << "no data rows";

  FillRows(4);
  grid_->SetRow(2);
  PlaceRowButton(*grid_, button, 1);
  const QRect cell = grid_->CellGeometry(2, 1).translated(grid_->pos());
  EXPECT_TRUE(button.isVisible());
  EXPECT_EQ(button.text(), "...");
  EXPECT_EQ(button.height(), cell.height());
  EXPECT_EQ(button.width(), cell.height());
  EXPECT_EQ(button.geometry().right(), cell.right());
  EXPECT_EQ(button.y(), cell.y());
}

TEST_F(GridToolkitTest, HintStandsBesideTheCellAboveTheLowestBottom) {
  InitGridFromCaptions(*grid_, "A|B", Qt::AlignLeft, {});
  FillRows(3);
  QLabel hint(&window_);
  const QRect cell = grid_->CellGeometry(2, 0);
  EXPECT_FALSE(ShowCellHint(*grid_, 2, 0, hint, "Enter - cохранить", cell.center() + QPoint(0, 100),
                            60, 6000, false));
  ASSERT_TRUE(
      ShowCellHint(*grid_, 2, 0, hint, "Enter - cохранить", cell.center(), 60, 6000, false));
  EXPECT_EQ(hint.text(), "Enter - cохранить");
  EXPECT_EQ(hint.x(), grid_->x() + cell.right() + 1 + 4);
  EXPECT_EQ(hint.y(), grid_->y() + cell.y());

  const int lowest = (grid_->y() + cell.y() + 5) * 15;
  ShowCellHint(*grid_, 2, 0, hint, "x", cell.center(), 60, lowest, false);
  EXPECT_EQ(hint.geometry().bottom() + 1, grid_->y() + cell.y() + 5);
}

}  // namespace
}  // namespace kx12r
