// The selected reader's exchange through the reader link, between discoveries.
#include <gtest/gtest.h>

#include "ReaderLinkFixture.h"
#include "ReaderReports.h"
#include "reader/ReportExchange.h"

namespace kx12r {
namespace {

using SelectedReaderTest = ReaderLinkFixture;

TEST_F(SelectedReaderTest, NoReaderListedAddressesHandleZero) {
  PlugKeyboard();
  link_->DiscoverReaders(true);
  EXPECT_EQ(link_->SelectedReaderHandle(), 0);
  EXPECT_FALSE(link_->SendToSelectedReader('V', ParameterList{"5"}));
  EXPECT_TRUE(link_->Timer1().isActive());
}

TEST_F(SelectedReaderTest, SendToSelectedReaderWritesBetweenDiscoveries) {
  auto& reader = PlugReader();
  link_->DiscoverReaders(true);
  reader.ClearLog();
  EXPECT_TRUE(link_->SendToSelectedReader('V', ParameterList{"5"}));
  EXPECT_EQ(reader.Settings().variant, 5);
  EXPECT_EQ(clock_.pauses, 0) << "no discovery runs: no wait";
  EXPECT_TRUE(link_->Timer1().isActive());
  reader.RefuseCommand('V');
  EXPECT_FALSE(link_->SendToSelectedReader('V', ParameterList{"6"}));
}

TEST_F(SelectedReaderTest, AReplyThatCameLateIsNotTheNextCommandsAnswer) {
  auto& reader = PlugReader();
  link_->DiscoverReaders(true);
  reader.RefuseCommand('V');
  reader.SendLateReport(ReaderReport('H', "", 65));
  EXPECT_FALSE(link_->SendToSelectedReader('V', ParameterList{"6"}));
  EXPECT_EQ(reader.Settings().variant, 3);
  reader.SendLateReport(ReaderReport('V', "6", 65));
  EXPECT_EQ(AskReader(hid_, link_->SelectedReaderHandle(), 'v').text, "3");
}

TEST_F(SelectedReaderTest, WaitForIdleGivesUpAfterTenSecondsWithTheTimerStopped) {
  auto& reader = PlugReader();
  link_->DiscoverReaders(true);
  reader.ClearLog();
  link_->Timer1().start();
  // A user action arrives while a discovery waits for devices further down the stack.
  hid_.Unplug(reader);
  bool sent = true;
  clock_.on_pause = [&](std::chrono::milliseconds now) {
    if (now == std::chrono::milliseconds(500))
      sent = link_->SendToSelectedReader('V', ParameterList{"5"});
  };
  link_->DiscoverReaders(false);
  EXPECT_FALSE(sent);
  EXPECT_GE(clock_.Now(), std::chrono::milliseconds(10500));
  EXPECT_TRUE(reader.ReceivedReports().empty());
  EXPECT_FALSE(link_->Timer1().isActive());
}

}  // namespace
}  // namespace kx12r
