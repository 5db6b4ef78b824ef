#include <QApplication>

#include "SettingsTabFixture.h"
#include "db/ServiceLookups.h"
#include "settings/SettingsGridLayout.h"

namespace kx12r {
namespace {

using SettingEditorTest = SettingsTabFixture;

constexpr int kEraser = 5;
constexpr int kOk = 14;
constexpr int kClose = 15;

TEST_F(SettingEditorTest, ThePadEditsThePrefixAndWritesItAtOnce) {
  auto& reader = PlugReader({.variant = 8, .prefix = "", .suffix = "#"});
  Start();
  OpenEditor(kGridPrefix);
  ASSERT_TRUE(tab_->Editor->IsOpen());
  FlexGrid& pad = *tab_->Editor->MSFlexGrid3;
  EXPECT_EQ(pad.Rows(), 7);
  EXPECT_EQ(pad.Cols(), 16);
  EXPECT_EQ(pad.TextMatrix(1, 0), "!");
  EXPECT_EQ(pad.TextMatrix(6, 13), "~");
  EXPECT_EQ(pad.TextMatrix(6, 14), "");
  EXPECT_EQ(pad.TextMatrix(0, 6), "Префикс  ");
  EXPECT_EQ(pad.CellPicture(0, kEraser), "eraser");
  EXPECT_EQ(PadValue(), " ") << "\"нет\" is the blank placeholder";
  EXPECT_EQ(status_->Text(1), "редактирование «Префикс  »");
  EXPECT_FALSE(table_->isEnabled());
  EXPECT_FALSE(link_->Timer1().isActive()) << "discovery pauses";

  Press(';');
  EXPECT_EQ(PadValue(), ";");
  Press('?');
  EXPECT_EQ(PadValue(), ";?");
  for (char c : {'a', 'b', 'c'}) Press(c);
  Press('d');
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_EQ(presenter_.shown[0].text,
            "Длинна параметра «Префикс  »: [;?abcd] не может превышать пяти символов.");
  EXPECT_EQ(PadValue(), ";?abc");
  QTest::keyClick(&pad, Qt::Key_Backspace);
  PressTool(kEraser);
  EXPECT_EQ(PadValue(), ";?a");
  EXPECT_TRUE(reader.ReceivedReports().empty()) << "nothing is written before the save";

  PressTool(kOk);
  EXPECT_FALSE(tab_->Editor->IsOpen());
  EXPECT_EQ(reader.ReceivedReports(), std::vector<Bytes>{Report('P', ";?a")});
  EXPECT_EQ(Cell(kGridPrefix), ";?a");
  EXPECT_EQ(Known().prefix.text, ";?a");
  EXPECT_TRUE(table_->isEnabled());
  EXPECT_TRUE(link_->Timer1().isActive());
  EXPECT_EQ(status_->Text(1), "Подключенных устройств: 1");

  // The blank over a real suffix sends blanks only; the cell shows "нет".
  OpenEditor(kGridSuffix);
  PressTool(kEraser);
  EXPECT_EQ(PadValue(), " ");
  QTest::keyClick(&pad, Qt::Key_Return);
  EXPECT_EQ(reader.ReceivedReports().back(), Report('S', ""));
  EXPECT_EQ(Cell(kGridSuffix), "нет");
  EXPECT_EQ(Known().suffix.text, "");

  // The blank saved over no suffix writes nothing: the reader holds it already. Nor does an
  // empty value, or closing.
  OpenEditor(kGridSuffix);
  PressTool(kOk);
  EXPECT_EQ(reader.ReceivedReports().size(), 2u);
  OpenEditor(kGridSuffix);
  Click(pad, 6, 14);  // an empty cell replaces the placeholder with nothing
  EXPECT_EQ(PadValue(), "");
  PressTool(kOk);
  EXPECT_EQ(reader.ReceivedReports().size(), 2u);
  OpenEditor(kGridSuffix);
  Press('x');
  PressTool(kClose);
  EXPECT_EQ(reader.ReceivedReports().size(), 2u) << "closing writes nothing";
}

TEST_F(SettingEditorTest, CodeFormatsAreOfferedByFirmwareAndProduct) {
  auto ids = [&](std::uint16_t version, std::uint16_t product) {
    hid_.Plug({.product_id = product, .version = version}, {.variant = 8, .code_format = 1});
    Start(table_->Rows());
    table_->SetRow(table_->Rows() - 1);
    link_->SelectReader();
    OpenEditor(kGridCodeFormat);
    QStringList offered;
    FlexGrid& list = *tab_->Editor->MSFlexGrid3;
    for (int row = 0; row < list.Rows(); ++row) offered << list.TextMatrix(row, 0);
    QTest::keyClick(&list, Qt::Key_Escape);
    return offered.join(",");
  };
  EXPECT_EQ(ids(0x0181, 0x00DF), "1,2,3,4,5,6,7,8");
  EXPECT_EQ(ids(0x0183, 0x00DF), "1,2,3,4,5,6,7,8,9,10,11,12");
  EXPECT_EQ(ids(0x0184, 0x00DF), "0,1,2,3,4,5,6,7,8,9,10,11,12");
  EXPECT_EQ(ids(0x0184, 0x0002), "1,2,3,4,5,6,7,8,9,10,11,12");

  // A row without a number is never offered.
  DbRequest row{.Table = "CodeVariantsTable", .KeyField = "KEY"};
  ASSERT_TRUE(db_.InsertRecord(row));
  EXPECT_EQ(ids(0x0184, 0x00DF), "0,1,2,3,4,5,6,7,8,9,10,11,12");
}

TEST_F(SettingEditorTest, ChoosingACodeFormatAndAnEndingWritesTheirCodes) {
  auto& reader = PlugReader({.variant = 8, .code_format = 1, .ending = 9});
  Start();
  OpenEditor(kGridCodeFormat);
  FlexGrid& list = *tab_->Editor->MSFlexGrid3;
  EXPECT_EQ(list.TextMatrix(list.Row(), 1), "5x8b_DEC") << "the reader's format is highlighted";
  EXPECT_TRUE(tab_->Editor->MSFlexGrid4->isVisible());
  EXPECT_EQ(tab_->Editor->MSFlexGrid4->TextMatrix(0, 0), "Формат кода метки       ");
  EXPECT_TRUE(tab_->Editor->Text2->isVisible());
  Choose("32bm_DEC");
  EXPECT_EQ(reader.ReceivedReports(), std::vector<Bytes>{Report('C', "12")});
  EXPECT_EQ(Known().code_format, 12);
  EXPECT_EQ(Cell(kGridCodeFormat), "32bm_DEC");
  const QString hint =
      "Формат кода метки       : «" + GetCodeVariantDescription(db_, "32bm_DEC") + "»";
  EXPECT_EQ(Cell(kGridHint), hint);
  EXPECT_EQ(tab_->Label1->text(), hint);

  OpenEditor(kGridCodeFormat);
  Choose("32bm_DEC");
  EXPECT_EQ(reader.ReceivedReports().size(), 1u) << "the format row 8 shows already";
  // Another format of the same name is another value: it is written.
  db_.UpdateField({.Table = "CodeVariantsTable",
                   .Field = "NAME",
                   .Value = "32bm_DEC",
                   .KeyField = "ID",
                   .KeyValue = "1"});
  OpenEditor(kGridCodeFormat);
  list.SetTopRow(0);
  Click(list, 0, 1);
  QTest::keyClick(&list, Qt::Key_Return);
  EXPECT_EQ(reader.ReceivedReports().back(), Report('C', "1"));
  EXPECT_EQ(Known().code_format, 1);

  OpenEditor(kGridEnding);
  EXPECT_EQ(list.TextMatrix(list.Row(), 1), "Tab");
  Choose("Enter");
  EXPECT_EQ(reader.ReceivedReports().back(), Report('E', "\r"));
  EXPECT_EQ(Known().ending, 13);
  EXPECT_EQ(Cell(kGridEnding), "Enter");
  EXPECT_EQ(reader.Settings().ending, 13);

  // A double click saves too; the title strip's close cell closes without writing.
  OpenEditor(kGridEnding);
  Click(*tab_->Editor->MSFlexGrid4, 0, 2);
  EXPECT_FALSE(tab_->Editor->IsOpen());
  OpenEditor(kGridEnding);
  for (int row = 0; row < list.Rows(); ++row) {
    if (list.TextMatrix(row, 1) == "Esc") Click(list, row, 1, true);
  }
  EXPECT_EQ(Known().ending, 27);
  EXPECT_EQ(reader.ReceivedReports().size(), 4u);
}

TEST_F(SettingEditorTest, AHintNeverTakesTheClickMeantForTheCellBeneathIt) {
  auto& reader = PlugReader({.variant = 8, .prefix = "", .suffix = "#"});
  Start();
  OpenEditor(kGridPrefix);
  FlexGrid& pad = *tab_->Editor->MSFlexGrid3;
  Press('a');
  // The eraser's hint stands beside it, over the "ok" cell.
  HoverOver(pad, pad.CellGeometry(0, kEraser).center());
  ASSERT_TRUE(tab_->Editor->Text1->isVisible());
  EXPECT_NE(PressTool(kOk), tab_->Editor->Text1);
  EXPECT_FALSE(tab_->Editor->IsOpen());
  EXPECT_EQ(reader.ReceivedReports(), std::vector<Bytes>{Report('P', "a")});

  OpenEditor(kGridPrefix);
  HoverOver(pad, pad.CellGeometry(0, kOk).center());
  PressTool(kClose);
  EXPECT_FALSE(tab_->Editor->IsOpen()) << "the ok hint lay over the close cell";

  FlexGrid& title = *tab_->Editor->MSFlexGrid4;
  OpenEditor(kGridEnding);
  HoverOver(title, title.CellGeometry(0, 1).center());
  Click(title, 0, 2);
  EXPECT_FALSE(tab_->Editor->IsOpen()) << "the title's ok hint lay over its close cell";
}

TEST_F(SettingEditorTest, TheEndingListOffersNoEndingAndLeavesOutRowsWithoutCodeOrName) {
  auto& reader = PlugReader({.variant = 8, .ending = 13});
  Start();
  ASSERT_TRUE(
      db_.SelectRows("UPDATE CodeEndingTable SET CHR_CODE=NULL WHERE CHR_CODE=9 "
                     "RETURNING END_ORDER"));
  ASSERT_TRUE(db_.SelectRows(
      "UPDATE CodeEndingTable SET KEY_NAME='' WHERE CHR_CODE=27 RETURNING END_ORDER"));
  OpenEditor(kGridEnding);
  FlexGrid& list = *tab_->Editor->MSFlexGrid3;
  QStringList names, codes;
  for (int row = 0; row < list.Rows(); ++row) {
    names << list.TextMatrix(row, 1);
    codes << list.TextMatrix(row, 0);
  }
  EXPECT_FALSE(names.contains("Tab"));
  EXPECT_FALSE(codes.contains("27")) << "a row without a name cannot be chosen";
  Choose("Нет");
  EXPECT_EQ(reader.ReceivedReports(), std::vector<Bytes>{Report('E', std::string_view("\0", 1))});
  EXPECT_EQ(Known().ending, 0);
  EXPECT_EQ(Cell(kGridEnding), "Нет");
}

TEST_F(SettingEditorTest, AfterAnEditorClosesTheArrowsMoveInTheSettingsGrid) {
  PlugReader({.variant = 8, .ending = 13});
  Start();
  window_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  // Keys go where the window system sends them: to the focused widget of the active window.
  const auto type = [](Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); };
  struct Case {
    int col;
    Qt::Key closing, arrow;
    int moved_to;
  };
  for (const Case& edit : {Case{kGridPrefix, Qt::Key_Return, Qt::Key_Right, kGridCodeFormat},
                           Case{kGridEnding, Qt::Key_Escape, Qt::Key_Left, kGridSuffix}}) {
    OpenEditor(edit.col);
    ASSERT_TRUE(tab_->Editor->IsOpen());
    type(edit.closing);
    ASSERT_FALSE(tab_->Editor->IsOpen());
    EXPECT_EQ(QApplication::focusWidget(), tab_->MSFlexGrid2);
    type(edit.arrow);
    EXPECT_EQ(tabs_->currentIndex(), 0);
    EXPECT_EQ(tab_->MSFlexGrid2->Col(), edit.moved_to);
  }
}

TEST_F(SettingEditorTest, ARefusedOrImpossibleWriteKeepsGridAndCache) {
  auto& reader = PlugReader({.variant = 8, .ending = 13});
  Start();
  reader.RefuseCommand('E');
  OpenEditor(kGridEnding);
  Choose("Tab");
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_EQ(presenter_.shown[0].text,
            "Не могу присвоить устройству новое значение для поля кода «Окончание».");
  EXPECT_EQ(Cell(kGridEnding), "Enter");
  EXPECT_EQ(Known().ending, 13);
  EXPECT_FALSE(tab_->Editor->IsOpen());

  // An ending whose code is no single byte is refused before anything is sent.
  ASSERT_TRUE(db_.UpdateField({.Table = "CodeEndingTable",
                               .Field = "CHR_CODE",
                               .Value = "300",
                               .KeyField = "CHR_CODE",
                               .KeyValue = "9"}));
  reader.ClearLog();
  OpenEditor(kGridEnding);
  Choose("Tab");
  EXPECT_EQ(presenter_.shown.size(), 2u);
  EXPECT_TRUE(reader.ReceivedReports().empty());
  EXPECT_EQ(Known().ending, 13);
}

TEST_F(SettingEditorTest, AnOpenEditorHoldsTheGridTheColumnAndTheReader) {
  auto& first = PlugReader({.variant = 8, .prefix = "A", .suffix = "B"});
  auto& second = PlugReader({.variant = 8});
  Start(1);
  OpenEditor(kGridPrefix);
  Press('Z');

  // A click on the settings grid where the pad leaves it keeps row 8 and sends nothing.
  tab_->MSFlexGrid2->setEnabled(true);
  ClickSetting(1, 2);  // row 1 lies above the pad
  EXPECT_EQ(tab_->MSFlexGrid2->Row(), 8);
  // Another cell of row 8 made current meanwhile never changes what is saved.
  tab_->MSFlexGrid2->SetCol(kGridSuffix);
  EXPECT_TRUE(first.ReceivedReports().empty());

  // A flag written meanwhile leaves discovery paused.
  tab_->CheckBox2->click();
  EXPECT_FALSE(link_->Timer1().isActive());

  PressTool(kOk);
  EXPECT_EQ(first.ReceivedReports().back(), Report('P', "AZ"));
  EXPECT_EQ(Known().suffix.text, "B");
  EXPECT_TRUE(link_->Timer1().isActive());

  // The selection moved to another reader: the save goes to nobody.
  OpenEditor(kGridPrefix);
  Press('Q');
  table_->SetRow(2);
  PressTool(kOk);
  EXPECT_TRUE(second.ReceivedReports().empty());
  EXPECT_EQ(presenter_.shown.size(), 1u);
}

TEST_F(SettingEditorTest, AnEmptyChoiceListEndsEditingAtOnce) {
  PlugReader({.variant = 8});
  Start();
  ASSERT_TRUE(db_.SelectRows("DELETE FROM CodeEndingTable RETURNING END_ORDER"));
  OpenEditor(kGridEnding);
  EXPECT_FALSE(tab_->Editor->IsOpen());
  EXPECT_FALSE(tab_->Editor->MSFlexGrid3->isVisible());
  EXPECT_TRUE(table_->isEnabled());
  EXPECT_TRUE(tab_->MSFlexGrid2->isEnabled());
  EXPECT_TRUE(link_->Timer1().isActive());
}

}  // namespace
}  // namespace kx12r
