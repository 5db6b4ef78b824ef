#include <QStyle>

#include "SettingsTabFixture.h"
#include "db/ServiceLookups.h"
#include "settings/SettingsGridLayout.h"

namespace kx12r {
namespace {

using SettingsGridTest = SettingsTabFixture;

TEST_F(SettingsGridTest, TheMarkTheNumberAndAnUnknownEndingShowWhole) {
  PlugReader({.variant = 8});
  Start();
  FlexGrid& grid = *tab_->MSFlexGrid2;
  const auto pixels = [&](int col) { return grid.CellGeometry(1, col).width(); };
  const QFontMetrics metrics(grid.font());
  EXPECT_GE(pixels(kGridMark), grid.style()->pixelMetric(QStyle::PM_SmallIconSize) + 2);
  EXPECT_GT(pixels(kGridNumber), metrics.horizontalAdvance("№"));
  EXPECT_GT(pixels(kGridEnding), metrics.horizontalAdvance("не известен"));
  EXPECT_LT(pixels(kGridMark), pixels(kGridPrefix)) << "no wider than they need";
  EXPECT_LT(pixels(kGridNumber), pixels(kGridPrefix));
  // The others keep the proportions of their captions.
  EXPECT_GT(pixels(kGridCodeFormat), 2 * pixels(kGridPrefix));
  EXPECT_NEAR(pixels(kGridPrefix), pixels(kGridSuffix), 1);

  // A status text longer than its panel widens the panel.
  const QString editing = "редактирование «Формат кода метки       »";
  status_->SetStatus(StatusIcon::kEdit, editing, 1);
  QCoreApplication::processEvents();  // the bar lays its panels out again
  const QLabel* shown = nullptr;
  for (const QLabel* label : bar_->findChildren<QLabel*>()) {
    if (label->text() == editing) shown = label;
  }
  ASSERT_TRUE(shown);
#ifndef _WIN32  // Qt's offscreen platform on Windows has no fonts of the system to measure with
  EXPECT_GE(shown->width(), shown->fontMetrics().horizontalAdvance(editing));
#endif
}

TEST_F(SettingsGridTest, TheGridShowsTheFixedVariantsAndTheReadersOwn) {
  PlugReader({.variant = 3, .prefix = "", .suffix = "", .code_format = 0, .ending = 13});
  Start();
  FlexGrid& grid = *tab_->MSFlexGrid2;
  QStringList captions;
  for (int col = 0; col < grid.Cols(); ++col) captions << grid.TextMatrix(0, col);
  EXPECT_EQ(captions.join("|"), "_|№|Префикс  |Формат кода метки       |Суффикс  |Окончание|Dvar");
  EXPECT_EQ(grid.ColWidth(kGridHint), 0);
  EXPECT_EQ(grid.Rows(), 9);
  QStringList row5;
  for (int col = 1; col <= 5; ++col) row5 << grid.TextMatrix(5, col);
  EXPECT_EQ(row5, (QStringList{"5", ";", "40b_DEC", "?", "Enter"}));
  EXPECT_EQ(grid.TextMatrix(5, kGridHint),
            "Формат кода метки       : «" + GetCodeVariantDescription(db_, "40b_DEC") + "»");

  // Row 8: "нет" for an empty prefix and suffix, the name of code format 0, the ending's name.
  QStringList row8;
  for (int col = 1; col <= 5; ++col) row8 << Cell(col);
  EXPECT_EQ(row8, (QStringList{"8", "нет", "RAW_HEX", "нет", "Enter"}));

  // A reader whose code format and ending the database does not name.
  link_->SetSelectedReaderField(SettingsKey::kCodeFormat, 99);
  link_->SetSelectedReaderField(SettingsKey::kEnding, 250);
  link_->SelectReader();
  EXPECT_EQ(Cell(kGridCodeFormat), "не известен");
  EXPECT_EQ(Cell(kGridEnding), "не известен");
  EXPECT_EQ(Cell(kGridHint), "Формат кода метки       : «»");
}

TEST_F(SettingsGridTest, TheRoadOfOneChange) {
  auto& reader = PlugReader({.variant = 3});
  Start();
  FlexGrid& grid = *tab_->MSFlexGrid2;
  // Selecting the reader marks its variant and sends nothing.
  EXPECT_EQ(grid.Row(), 3);
  EXPECT_EQ(grid.CellPicture(3, kGridMark), "check");
  EXPECT_EQ(grid.ColSel(), grid.Cols() - 1) << "the whole row";
  EXPECT_EQ(status_->Text(2), "фиксированный вариант");
  EXPECT_EQ(tab_->Label1->text(), grid.TextMatrix(3, kGridHint));
  EXPECT_TRUE(reader.ReceivedReports().empty());

  ClickSetting(5, 3);
  EXPECT_EQ(reader.ReceivedReports(), std::vector<Bytes>{Report('V', "5")});
  EXPECT_EQ(Known().variant, 5);
  EXPECT_EQ(grid.CellPicture(5, kGridMark), "check");
  EXPECT_EQ(grid.CellPicture(3, kGridMark), "");
  EXPECT_TRUE(link_->Timer1().isActive());

  ClickSetting(5, 1);
  EXPECT_EQ(reader.ReceivedReports().size(), 1u) << "the same row twice sends nothing";

  // Refused: the message, and the grid and the cache keep what the reader has.
  reader.RefuseCommand('V');
  ClickSetting(2, 2);
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_EQ(presenter_.shown[0].text,
            "Не могу присвоить устройству новый вариант кодовой посылки.");
  EXPECT_EQ(presenter_.shown[0].style, 64);
  EXPECT_EQ(Known().variant, 5);
  EXPECT_EQ(grid.Row(), 5);
  EXPECT_EQ(grid.CellPicture(5, kGridMark), "check");
  EXPECT_EQ(grid.CellPicture(2, kGridMark), "");
}

TEST_F(SettingsGridTest, RowEightSelectsASettingCellAndOffersTheEditButton) {
  auto& reader = PlugReader({.variant = 7});
  Start();
  FlexGrid& grid = *tab_->MSFlexGrid2;
  ClickSetting(8, kGridMark);
  EXPECT_EQ(grid.Row(), 8);
  EXPECT_EQ(grid.Col(), kGridPrefix) << "never a column below the prefix";
  EXPECT_EQ(reader.ReceivedReports(), std::vector<Bytes>{Report('V', "8")});
  EXPECT_EQ(status_->Text(2), "изменяемый вариант");
  EXPECT_EQ(status_->Icon(2), StatusIcon::kEdit);
  ASSERT_TRUE(tab_->CmdEdit->isVisible());
  EXPECT_EQ(tab_->CmdEdit->text(), "...");
  const QRect cell = grid.CellGeometry(8, kGridPrefix).translated(grid.pos());
  EXPECT_EQ(tab_->CmdEdit->geometry().right(), cell.right());
  EXPECT_EQ(tab_->CmdEdit->geometry().top(), cell.top());
  EXPECT_EQ(tab_->CmdEdit->width(), cell.height());

  ClickSetting(8, kGridSuffix);
  EXPECT_EQ(grid.Col(), kGridSuffix);

  // Keys: up to a fixed row writes it, down to row 8 comes back to the remembered column.
  QTest::keyClick(&grid, Qt::Key_Up);
  EXPECT_EQ(Known().variant, 7);
  EXPECT_FALSE(tab_->CmdEdit->isVisible());
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(Known().variant, 8);
  EXPECT_EQ(grid.Col(), kGridSuffix);
  reader.ClearLog();
  QTest::keyClick(&grid, Qt::Key_Right);
  EXPECT_EQ(grid.Col(), kGridEnding);
  EXPECT_EQ(tab_->RememberedColumn(), kGridEnding);
  EXPECT_TRUE(reader.ReceivedReports().empty()) << "the variant is unchanged";
}

TEST_F(SettingsGridTest, AReaderThatCannotBeConfiguredMarksNothing) {
  PlugReader({.variant = 8}, 0x0153);
  auto& odd = PlugReader({.variant = 1});
  odd.OverrideReply('v', "9");  // a variant the grid has no row for
  Start(1);
  EXPECT_FALSE(tab_->MSFlexGrid2->isEnabled());
  EXPECT_EQ(tab_->MSFlexGrid2->Tag(), "");
  EXPECT_FALSE(tab_->CheckBox1->isEnabled());
  EXPECT_TRUE(tab_->Label1->text().startsWith("ВНИМАНИЕ!"));

  table_->SetRow(2);
  link_->SelectReader();
  EXPECT_EQ(tab_->MSFlexGrid2->Tag(), "");
  EXPECT_FALSE(tab_->CmdEdit->isVisible());
  EXPECT_EQ(status_->Text(2), "");
  EXPECT_TRUE(odd.ReceivedReports().empty());
}

TEST_F(SettingsGridTest, ACodeFormatNameWithAnApostropheHasItsHint) {
  ASSERT_TRUE(db_.UpdateField({.Table = "CodeVariantsTable",
                               .Field = "NAME",
                               .Value = "O'Neil",
                               .KeyField = "ID",
                               .KeyValue = "5"}));
  PlugReader({.variant = 8, .code_format = 5});
  Start();
  EXPECT_EQ(Cell(kGridCodeFormat), "O'Neil");
  EXPECT_EQ(Cell(kGridHint),
            "Формат кода метки       : «" + GetCodeVariantDescription(db_, "O'Neil") + "»");
  EXPECT_NE(GetCodeVariantDescription(db_, "O'Neil"), "");
  EXPECT_TRUE(presenter_.shown.empty());
}

}  // namespace
}  // namespace kx12r
