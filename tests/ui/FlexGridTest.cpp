#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "base/KeyState.h"
#include "ui/FlexGrid.h"

namespace kx12r {
namespace {

class FlexGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid_.resize(400, 200);
    grid_.SetCols(3);
    grid_.SetRows(5);
    for (int row = 0; row < 5; ++row) {
      for (int col = 0; col < 3; ++col)
        grid_.SetTextMatrix(row, col, QString("%1:%2").arg(row).arg(col));
    }
    grid_.show();
  }

  QPoint CenterOf(int row, int col) {
    return grid_.CellGeometry(row, col).center() - grid_.viewport()->geometry().topLeft();
  }

  FlexGrid grid_;
};

TEST_F(FlexGridTest, CaptionRowAndDataCellsShareOneAddressing) {
  EXPECT_EQ(grid_.Rows(), 5);
  EXPECT_EQ(grid_.rowCount(), 4) << "row 0 is the caption row";
  EXPECT_EQ(grid_.TextMatrix(0, 1), "0:1");
  EXPECT_EQ(grid_.horizontalHeaderItem(1)->text(), "0:1");
  EXPECT_EQ(grid_.TextMatrix(4, 2), "4:2");
  EXPECT_EQ(grid_.TextMatrix(9, 9), "");
}

TEST_F(FlexGridTest, ZeroSizeHidesButKeepsTheText) {
  grid_.SetColWidth(1, 0);
  grid_.SetRowHeight(2, 0);
  EXPECT_EQ(grid_.ColWidth(1), 0);
  EXPECT_EQ(grid_.RowHeight(2), 0);
  EXPECT_TRUE(grid_.CellGeometry(2, 0).isEmpty());
  EXPECT_EQ(grid_.TextMatrix(2, 1), "2:1");
  grid_.SetRowHeight(2, 240);
  EXPECT_EQ(grid_.RowHeight(2), 240);
}

TEST_F(FlexGridTest, ProgramAndUserChangesBothRaiseSelChange) {
  QSignalSpy sel_change(&grid_, &FlexGrid::SelChange);
  QSignalSpy click(&grid_, &FlexGrid::Click);
  grid_.SetRow(3);
  EXPECT_EQ(sel_change.count(), 1);
  EXPECT_EQ(click.count(), 0);
  grid_.SetRow(3);
  EXPECT_EQ(sel_change.count(), 1) << "no change, no event";

  QTest::mouseClick(grid_.viewport(), Qt::LeftButton, {}, CenterOf(2, 1));
  EXPECT_EQ(click.count(), 1);
  EXPECT_EQ(sel_change.count(), 2);
  EXPECT_EQ(grid_.Row(), 2);
  EXPECT_EQ(grid_.Col(), 1);
}

TEST_F(FlexGridTest, RowSelectionCoversTheWholeRow) {
  grid_.SetSelectionMode(FlexGrid::SelectionMode::kByRow);
  QTest::mouseClick(grid_.viewport(), Qt::LeftButton, {}, CenterOf(3, 1));
  EXPECT_EQ(grid_.Row(), 3);
  EXPECT_EQ(grid_.RowSel(), 3);
  EXPECT_EQ(grid_.ColSel(), 2);
  ASSERT_EQ(grid_.selectedRanges().size(), 1);
  EXPECT_EQ(grid_.selectedRanges()[0].columnCount(), 3);
}

TEST_F(FlexGridTest, ArrowKeysSkipHiddenRowsAndAreKnownToHandlers) {
  grid_.SetRow(1);
  grid_.SetRowHeight(2, 0);
  bool down_seen = false;
  QObject::connect(&grid_, &FlexGrid::SelChange, [&] { down_seen = KeyIsDown(Qt::Key_Down); });
  QTest::keyClick(&grid_, Qt::Key_Down);
  EXPECT_EQ(grid_.Row(), 3);
  EXPECT_TRUE(down_seen);
  EXPECT_FALSE(KeyIsDown(Qt::Key_Down)) << "only while the press is handled";
  QTest::keyClick(&grid_, Qt::Key_Up);
  EXPECT_EQ(grid_.Row(), 1);
  QTest::keyClick(&grid_, Qt::Key_End);
  EXPECT_EQ(grid_.Row(), 4);
  QTest::keyClick(&grid_, Qt::Key_Right);
  EXPECT_EQ(grid_.Col(), 1);
}

TEST_F(FlexGridTest, PicturesColoursAndMergedRows) {
  grid_.SetCellPicture(1, 0, "check");
  EXPECT_EQ(grid_.CellPicture(1, 0), "check");
  EXPECT_FALSE(grid_.item(0, 0)->icon().isNull());
  grid_.SetCellPicture(1, 0, "");
  EXPECT_EQ(grid_.CellPicture(1, 0), "");

  grid_.SetCellForeColor(2, 1, QColor(255, 0, 0));
  EXPECT_EQ(grid_.CellForeColor(2, 1), QColor(255, 0, 0));

  grid_.SetTextMatrix(3, 0, "same");
  grid_.SetTextMatrix(3, 1, "same");
  grid_.SetMergeRow(3, true);
  EXPECT_EQ(grid_.columnSpan(2, 0), 2);
  grid_.SetTextMatrix(3, 1, "other");
  EXPECT_EQ(grid_.columnSpan(2, 0), 1);
}

}  // namespace
}  // namespace kx12r
