#include "SettingsTabFixture.h"

namespace kx12r {
namespace {

using ReaderFlagsTest = SettingsTabFixture;

TEST_F(ReaderFlagsTest, FlagsLoadWithoutWritingAndWriteWhenSwitched) {
  auto& reader = PlugReader({.variant = 2, .stand_alone = true});
  Start();
  EXPECT_FALSE(tab_->CheckBox1->isChecked());
  EXPECT_TRUE(tab_->CheckBox2->isChecked());
  EXPECT_TRUE(tab_->CheckBox1->isEnabled());
  link_->SelectReader();
  EXPECT_TRUE(reader.ReceivedReports().empty()) << "loading never writes";

  tab_->CheckBox1->click();
  tab_->CheckBox1->click();
  tab_->CheckBox3->click();
  EXPECT_EQ(reader.ReceivedReports(),
            (std::vector<Bytes>{Report('Z', "Z"), Report('Z', ""), Report('R', "R")}));
  EXPECT_FALSE(Known().buzzer_off);
  EXPECT_TRUE(Known().repeat_message);
  EXPECT_TRUE(reader.Settings().repeat);

  // Refused: the message names the box, which shows the reader's flag again.
  reader.RefuseCommand('A');
  tab_->CheckBox2->click();
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_EQ(presenter_.shown[0].text,
            "Не могу присвоить устройству новое значение параемтра «Разрешить автономную "
            "работу».");
  EXPECT_TRUE(tab_->CheckBox2->isChecked());
  EXPECT_TRUE(Known().stand_alone);
}

TEST_F(ReaderFlagsTest, AReaderThatCannotBeConfiguredShowsItsFlagsDisabled) {
  PlugReader({.variant = 2, .buzzer_off = true}, 0x0169);
  Start();
  EXPECT_FALSE(tab_->CheckBox1->isEnabled());
  EXPECT_FALSE(tab_->CheckBox1->isChecked()) << "old firmware is never asked for its flags";
}

}  // namespace
}  // namespace kx12r
