#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include "ReaderLinkFixture.h"
#include "base/NumericText.h"
#include "link/DeviceColumns.h"
#include "shown/ReaderMessages.h"

namespace kx12r {
namespace {

using DiscoveryTest = ReaderLinkFixture;
using namespace std::chrono_literals;

TEST(DiscoveryTextTest, HexWordsAndVersions) {
  EXPECT_EQ(HexWord(0x4D8), "04D8");
  EXPECT_EQ(HexWord(0xF6F1), "F6F1");
  EXPECT_EQ(FirmwareVersion(0x0170).Text(), "1.70");
  EXPECT_EQ(FirmwareVersion(0x0096).Text(), "0.96");
  EXPECT_EQ(FirmwareVersion(0x1203).Text(), "12.03");
  EXPECT_EQ(FirmwareVersion(0x0A10).Text(), "0.10") << "reading stops at a hexadecimal letter";
}

TEST(NoAccessMessageTest, NamesTheFixThatMatchesTheInstallation) {
  const QString start =
      "Считыватель «KX12R» (Product ID «00DF», S/N «00417») подключен, но "
      "система не разрешает программе доступ к нему. ";
  EXPECT_EQ(NoAccessMessage("00DF", "00417", true),
            start +
                "Правило udev 70-kx12r.rules уже установлено: переподключите считыватель, а "
                "если это не поможет, войдите в систему заново.");
  EXPECT_EQ(NoAccessMessage("00DF", "00417", false),
            start +
                "Установите правило udev 70-kx12r.rules из комплекта программы (sudo cmake "
                "--install build) и переподключите считыватель.");
}

TEST_F(DiscoveryTest, FillsEveryColumnOfAConfigurableReader) {
  PlugReader(0x0170, {.variant = 8,
                      .prefix = "#K",
                      .suffix = "?",
                      .code_format = 5,
                      .ending = 13,
                      .buzzer_off = true,
                      .stand_alone = false,
                      .repeat = true});
  ASSERT_TRUE(link_->DiscoverReaders(false));
  ASSERT_EQ(table_->Rows(), 2);
  QStringList row;
  for (int col = 0; col < 15; ++col) row << table_->TextMatrix(1, col);
  EXPECT_EQ(row,
            (QStringList{QString::number(hid_.HandleOf(*hid_.Plugged()[0])), "04D8", "0002", "1.70",
                         "00417", "KX12R", "Salvion", "8", "-1", "0", "-1", "#K", "5", "?", "13"}));
  // The row renders the reader as it was read.
  const ConnectedReader& reader = link_->Devices().InRow(1);
  EXPECT_EQ(reader.identity.product_id, 0x0002);
  EXPECT_EQ(reader.identity.firmware, FirmwareVersion(0x0170));
  ASSERT_TRUE(reader.Configurable());
  EXPECT_EQ(reader.settings->prefix.text, "#K");
  EXPECT_EQ(reader.settings->code_format, 5);
  EXPECT_TRUE(reader.settings->buzzer_off);
  EXPECT_FALSE(reader.settings->stand_alone);
  EXPECT_EQ(table_->RowHeight(1), 240);
  EXPECT_EQ(status_->Text(1), "Подключенных устройств: 1");
  EXPECT_EQ(status_->Icon(1), StatusIcon::kNone);
  EXPECT_TRUE(view_.readers_present);
  EXPECT_EQ(view_.progress_maximum, 1);
  EXPECT_FALSE(view_.progress_visible);
  EXPECT_FALSE(link_->DiscoveryBusy());
}

TEST_F(DiscoveryTest, OldFirmwareIsListedButNeverQueried) {
  auto& old_reader = PlugReader(0x0169);
  link_->DiscoverReaders(true);
  EXPECT_EQ(table_->TextMatrix(1, kColVersion), "1.69");
  EXPECT_EQ(table_->TextMatrix(1, kColCodeMethod), "0");
  EXPECT_EQ(table_->TextMatrix(1, kColBunBuzzer), "0");
  EXPECT_EQ(table_->TextMatrix(1, kColEnding), "");
  EXPECT_EQ(ShownRows(), std::vector<int>{1});
  EXPECT_TRUE(old_reader.Log().empty());
}

TEST_F(DiscoveryTest, OnlyListedReadersThatAnswerAreShown) {
  PlugKeyboard();
  hid_.Plug({.vendor_id = 0x04D8, .product_id = 0x0003});
  PlugReader(0x0184, {.variant = 2}, 0xF6F1);
  PlugReader(0x0184, {.variant = 0});  // answers v with "0"
  auto& refusing = PlugReader();
  refusing.RefuseCommand('v');
  link_->DiscoverReaders(true);
  EXPECT_EQ(ShownRows(), std::vector<int>{3});
  EXPECT_EQ(table_->Row(), 3);
  EXPECT_EQ(table_->TextMatrix(5, kColCodeMethod), "0");
  ASSERT_EQ(presenter_.shown.size(), 1u);
  EXPECT_EQ(presenter_.shown[0].text,
            "Конфигуратор ситывателя вернул ошибку. «118» - неизвестная команда.");
}

TEST_F(DiscoveryTest, AnEndingSpaceIsStoredAs32) {
  PlugReader(0x0184, {.variant = 8, .ending = ' '});
  link_->DiscoverReaders(true);
  EXPECT_EQ(table_->TextMatrix(1, kColEnding), "32");
}

TEST_F(DiscoveryTest, NoRebuildWhileNothingChanges) {
  EXPECT_FALSE(link_->DiscoverReaders(false)) << "no device and only the caption row";
  EXPECT_EQ(clock_.pauses, 0);
  auto& reader = PlugReader();
  EXPECT_TRUE(link_->DiscoverReaders(false));
  reader.ClearLog();
  EXPECT_FALSE(link_->DiscoverReaders(false));
  EXPECT_TRUE(reader.Log().empty());
}

TEST_F(DiscoveryTest, UnpluggingTheSecondReaderKeepsTheFirstSelected) {
  PlugReader();
  auto& second = PlugReader();
  link_->DiscoverReaders(true);
  table_->SetRow(1);
  QSignalSpy selected(link_.get(), &ReaderLink::ReaderSelected);
  hid_.Unplug(second);
  link_->Timer1Tick();
  EXPECT_EQ(table_->Rows(), 2);
  EXPECT_EQ(table_->Row(), 1);
  EXPECT_EQ(status_->Text(1), "Подключенных устройств: 1");
  EXPECT_EQ(selected.count(), 1) << "the screens reload after a rebuild";
  EXPECT_TRUE(link_->Timer1().isActive());
}

TEST_F(DiscoveryTest, SelectionStaysOnAReaderThatIsStillListed) {
  PlugKeyboard();
  PlugKeyboard();
  PlugReader();
  PlugReader();
  link_->DiscoverReaders(true);
  table_->SetRow(3);
  PlugKeyboard();
  link_->DiscoverReaders(false);
  EXPECT_EQ(table_->Row(), 3);
}

TEST_F(DiscoveryTest, SelectionFollowsTheReaderWhenADeviceIsListedAboveIt) {
  PlugReader();
  auto& second = PlugReader();
  link_->DiscoverReaders(true);
  table_->SetRow(2);
  const int chosen = link_->SelectedReaderHandle();
  ASSERT_EQ(chosen, hid_.HandleOf(second));

  // A new hidraw node sorts before the present ones: every row shifts down by one.
  hid_.Plug({.vendor_id = 0x046D, .product_id = 0xC31C}, {}, 0);
  link_->Timer1Tick();
  EXPECT_EQ(table_->Row(), 3);
  EXPECT_EQ(link_->SelectedReaderHandle(), chosen);

  // The selected reader gone: the last reader row, never a shifted neighbour silently.
  hid_.Unplug(second);
  hid_.Plug({.vendor_id = 0x046D, .product_id = 0xC31D}, {}, 0);
  link_->Timer1Tick();
  EXPECT_EQ(link_->SelectedReaderHandle(), hid_.HandleOf(*hid_.Plugged()[2]));
}

TEST_F(DiscoveryTest, AHiddenCurrentRowIsNoSelectedReader) {
  PlugKeyboard();
  link_->DiscoverReaders(true);
  ASSERT_EQ(table_->Rows(), 2);
  table_->SetRow(1);
  EXPECT_FALSE(link_->HasSelectedReader());
  EXPECT_EQ(link_->SelectedReaderHandle(), 0);
  EXPECT_FALSE(link_->SelectedReader().identity.IsOurs());
  link_->SetSelectedReaderField(SettingsKey::kVariant, 8);
  EXPECT_EQ(table_->TextMatrix(1, kColCodeMethod), "0") << "a hidden device is never written";
}

TEST_F(DiscoveryTest, AVariantReplyOfAnyLengthIsHeldWithoutOverflow) {
  PlugReader().OverrideReply('v', "12345678901");
  PlugReader().OverrideReply('v', "-99999999999999999999");
  link_->DiscoverReaders(true);
  EXPECT_EQ(ShownRows(), std::vector<int>{1});
  EXPECT_EQ(table_->TextMatrix(1, kColCodeMethod), "2147483647");
  EXPECT_EQ(table_->TextMatrix(2, kColCodeMethod), "-2147483648");
}

TEST_F(DiscoveryTest, ASilentReaderCostsTheReadTimeoutPerQuery) {
  PlugReader().SetAnswering(false);
  link_->DiscoverReaders(true);
  EXPECT_EQ(clock_.slept, kReadTimeout) << "only v is asked of a reader that gives no variant";
  EXPECT_TRUE(ShownRows().empty());
}

TEST_F(DiscoveryTest, ADeviceComingBackWithinTheWaitIsListed) {
  auto& reader = PlugReader();
  link_->DiscoverReaders(true);
  hid_.Unplug(reader);
  bool busy_pointer = false;
  clock_.on_pause = [&](std::chrono::milliseconds now) {
    busy_pointer = QGuiApplication::overrideCursor() != nullptr;
    if (now == 1500ms) hid_.PlugBack(reader);
  };
  EXPECT_TRUE(link_->DiscoverReaders(false));
  EXPECT_TRUE(busy_pointer);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(clock_.Now(), 1500ms);
  EXPECT_EQ(ShownRows(), std::vector<int>{1});
}

TEST_F(DiscoveryTest, NoDeviceForThirtySecondsEmptiesTheList) {
  auto& reader = PlugReader();
  link_->DiscoverReaders(true);
  hid_.Unplug(reader);
  EXPECT_TRUE(link_->DiscoverReaders(false));
  EXPECT_EQ(clock_.Now(), 30000ms);
  EXPECT_EQ(table_->Rows(), 1);
  EXPECT_FALSE(table_->isEnabled());
  EXPECT_FALSE(view_.readers_present);
  EXPECT_EQ(status_->Text(1), "Нет подключенных устройств");
  EXPECT_EQ(status_->Icon(1), StatusIcon::kStop);
  EXPECT_EQ(link_->SelectedReaderHandle(), 0);
}

TEST_F(DiscoveryTest, HiddenFirstDeviceIsNeverLeftSelected) {
  PlugKeyboard();
  PlugReader();
  link_->DiscoverReaders(true);
  table_->SetRow(1);
  link_->SelectReader();
  EXPECT_EQ(table_->Row(), 2);
  EXPECT_EQ(link_->SelectedReaderHandle(), hid_.HandleOf(*hid_.Plugged()[1]));
}

TEST_F(DiscoveryTest, KeyboardMovesSelectAndMouseSelectionWaitsForTheClick) {
  PlugReader();
  PlugReader();
  link_->DiscoverReaders(true);
  table_->SetRow(1);
  QSignalSpy selected(link_.get(), &ReaderLink::ReaderSelected);
  table_->SetRow(2);
  EXPECT_EQ(selected.count(), 0);
  QTest::keyClick(table_, Qt::Key_Up);
  EXPECT_EQ(selected.count(), 1);
  emit table_->Click();
  EXPECT_EQ(selected.count(), 2);
}

TEST_F(DiscoveryTest, TheSelectionHandlerIgnoresReentry) {
  PlugReader();
  link_->DiscoverReaders(true);
  int entries = 0;
  QObject::connect(link_.get(), &ReaderLink::ReaderSelected, [&] {
    if (++entries == 1) link_->SelectReader();
  });
  link_->SelectReader();
  EXPECT_EQ(entries, 1);
}

TEST_F(DiscoveryTest, EditingStatus) {
  PlugReader();
  link_->DiscoverReaders(true);
  link_->ShowDeviceStatus(true, "Префикс  ");
  EXPECT_FALSE(table_->isEnabled());
  EXPECT_FALSE(view_.settings_grid_enabled);
  EXPECT_EQ(status_->Text(1), "редактирование «Префикс  »");
  EXPECT_EQ(status_->Icon(1), StatusIcon::kEdit);
  link_->ShowDeviceStatus(false);
  EXPECT_TRUE(table_->isEnabled());
  EXPECT_EQ(status_->Text(1), "Подключенных устройств: 1");
}

TEST_F(DiscoveryTest, DeviceTableHidesItsNineCacheColumns) {
  std::vector<int> shown;
  for (int col = 0; col < table_->Cols(); ++col) {
    if (table_->ColWidth(col) > 0) shown.push_back(col);
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(table_->TextMatrix(0, 4), "S/N     ");
}

TEST_F(DiscoveryTest, AReaderThatAnswersLateIsListedOnTheNextTicks) {
  auto& late = PlugReader();
  late.SetAnswering(false);
  link_->DiscoverReaders(true);
  EXPECT_TRUE(ShownRows().empty());
  link_->Timer1Tick();
  EXPECT_TRUE(ShownRows().empty());
  clock_.Sleep(1s);
  late.SetAnswering(true);
  link_->Timer1Tick();
  EXPECT_EQ(ShownRows(), std::vector<int>{1});
  EXPECT_EQ(status_->Text(1), "Подключенных устройств: 1");
  EXPECT_EQ(table_->TextMatrix(1, kColCodeMethod), "3");
}

TEST_F(DiscoveryTest, AReaderThatRefusesStaysHiddenAndAMuteOneIsAskedOnlyWithinItsGrace) {
  auto& refusing = PlugReader();
  refusing.RefuseCommand('v');
  auto& zero = PlugReader();
  zero.OverrideReply('v', "0");
  auto& mute = PlugReader();
  mute.SetAnswering(false);
  link_->DiscoverReaders(true);
  for (auto* reader : {&refusing, &zero, &mute}) reader->ClearLog();
  link_->Timer1Tick();
  EXPECT_TRUE(refusing.ReceivedReports().empty());
  EXPECT_TRUE(zero.ReceivedReports().empty());
  EXPECT_EQ(mute.ReceivedReports().size(), 1u) << "one query a tick";
  clock_.Sleep(kLateReaderGrace);
  mute.ClearLog();
  link_->Timer1Tick();
  link_->Timer1Tick();
  EXPECT_TRUE(mute.ReceivedReports().empty()) << "left hidden after its grace";
  EXPECT_TRUE(ShownRows().empty());
}

}  // namespace
}  // namespace kx12r
