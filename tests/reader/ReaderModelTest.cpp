// The reader model without a window: the wire form of values, replies, the firmware rules, the
// scan's states and a reader read whole.
#include <gtest/gtest.h>

#include "FakeClock.h"
#include "reader/DeviceReading.h"
#include "reader/ReaderScan.h"
#include "reader/SettingsCommit.h"
#include "simulator/SimulatedHidLibrary.h"

namespace kx12r {
namespace {

using namespace std::chrono_literals;

TEST(ReaderModelTest, EachValueHasOneWireFormOrNone) {
  const struct {
    SettingsKey key;
    SettingValue value;
    std::optional<QString> sent;
  } cases[] = {
      {SettingsKey::kVariant, 8, "8"},
      {SettingsKey::kPrefix, Affix{"#K"}, "#K"},
      {SettingsKey::kSuffix, Affix{}, " "},
      {SettingsKey::kCodeFormat, 12, "12"},
      {SettingsKey::kEnding, 13, "\r"},
      {SettingsKey::kEnding, 300, std::nullopt},
      {SettingsKey::kEnding, -1, std::nullopt},
      {SettingsKey::kBuzzerOff, true, "Z"},
      {SettingsKey::kRepeatMessage, false, " "},
      {SettingsKey::kCodeFormat, Affix{"5"}, std::nullopt},
      {SettingsKey::kStandAlone, 1, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeSetting(c.key, c.value), c.sent) << SettingOf(c.key).file_key;
  }
}

TEST(ReaderModelTest, RepliesAreTakenAsTheValuesAWriteWouldSet) {
  const struct {
    SettingsKey key;
    QString reply;
    SettingValue held;
  } cases[] = {
      {SettingsKey::kVariant, "8", 8},          {SettingsKey::kPrefix, "#K", Affix{"#K"}},
      {SettingsKey::kCodeFormat, "12", 12},     {SettingsKey::kEnding, "\t", 9},
      {SettingsKey::kEnding, "", 32},  // a space, left out of the reply
      {SettingsKey::kBuzzerOff, "Z", true},     {SettingsKey::kStandAlone, "", false},
      {SettingsKey::kRepeatMessage, "R", true},
  };
  for (const auto& c : cases) {
    ReaderValues values;
    values.TakeReply(c.key, c.reply);
    EXPECT_TRUE(values.Holds(c.key, c.held)) << SettingOf(c.key).file_key;
  }
  EXPECT_FALSE(ReaderValues{}.Holds(SettingsKey::kCodeFormat, 0)) << "none given holds none";
}

TEST(ReaderModelTest, TheFirmwareRuleOffersWhatTheReadersTake) {
  SimulatedHidLibrary hid;
  FakeClock clock;
  hid.SetClock(clock);
  for (std::uint16_t release : {0x0170, 0x0181, 0x0182, 0x0183, 0x0184, 0x0190}) {
    for (std::uint16_t product : {0x0002, 0x00DF}) {
      auto& reader = hid.Plug({.product_id = product, .version = release}, {.variant = 1});
      const CodeFormatChoice offered = FirmwareVersion(release).CodeFormats(product);
      for (int id : {0, 1, 8, 9, 12}) {
        EXPECT_EQ(OffersCodeFormat(offered, id),
                  CommitSetting(hid, hid.HandleOf(reader), {SettingsKey::kCodeFormat, id}))
            << std::hex << release << " " << product << std::dec << " format " << id;
      }
      hid.Unplug(reader);
    }
  }
}

TEST(ReaderModelTest, TheScanFollowsEachReaderThroughItsStates) {
  SimulatedHidLibrary hid;
  FakeClock clock;
  hid.SetClock(clock);
  auto& held = hid.Plug({.version = 0x0184, .serial_number = "00001"}, {.variant = 1});
  auto& silent = hid.Plug({.version = 0x0184, .serial_number = "00002"}, {.variant = 2});
  auto& denied = hid.Plug({.version = 0x0184, .serial_number = "00003"}, {.variant = 3});
  hid.SetUpSlowly(held, 1);
  silent.SetAnswering(false);
  denied.SetAccessDenied(true);
  ReaderScan scan(hid, clock);

  EXPECT_EQ(scan.Enumerate().held_readers, 1);
  EXPECT_TRUE(scan.Settling());
  const HidSnapshot& present = scan.Enumerate();
  ASSERT_EQ(present.devices.size(), 3u);
  for (const HidDeviceInfo& device : present.devices) scan.Read(device);
  const int silent_handle = hid.HandleOf(silent);
  const int denied_handle = hid.HandleOf(denied);
  EXPECT_EQ(scan.StateOf(hid.HandleOf(held)), ScanState::kRead);
  EXPECT_EQ(scan.StateOf(silent_handle), ScanState::kStarting);
  EXPECT_EQ(scan.StateOf(denied_handle), ScanState::kAccessSettling);

  silent.SetAnswering(true);
  clock.Sleep(kAccessSettlingTime);
  const std::vector<ConnectedReader> answered = scan.ReadStartingAgain();
  ASSERT_EQ(answered.size(), 1u);
  EXPECT_EQ(answered[0].Values().variant, 2);
  EXPECT_EQ(scan.StateOf(silent_handle), ScanState::kRead);
  EXPECT_EQ(scan.StateOf(denied_handle), ScanState::kDenied);
  EXPECT_FALSE(scan.Settling());

  hid.Unplug(denied);
  scan.Enumerate();
  EXPECT_EQ(scan.StateOf(denied_handle), ScanState::kGone);
}

TEST(ReaderModelTest, AReaderIsReadWholeOrForWhatItIs) {
  const struct {
    std::uint16_t release;
    const char* variant_reply;  // nothing: as it holds
    bool answering;
    bool configurable;
    bool silent;
  } cases[] = {
      {0x0184, nullptr, true, true, false},
      {0x0169, nullptr, true, false, false},  // too old to be asked
      {0x0184, "0", true, false, false},      // listed by nobody
      {0x0184, nullptr, false, false, true},
  };
  for (const auto& c : cases) {
    SimulatedHidLibrary hid;
    FakeClock clock;
    hid.SetClock(clock);
    auto& reader = hid.Plug({.version = c.release, .serial_number = "00417"},
                            {.variant = 8, .prefix = "#K", .code_format = 5});
    if (c.variant_reply) reader.OverrideReply('v', c.variant_reply);
    reader.SetAnswering(c.answering);
    reader.RefuseCommand('z');
    const ConnectedReader read = ReadConnectedReader(hid, hid.Enumerate().devices.at(0));
    EXPECT_EQ(read.identity.serial_number, "00417");
    EXPECT_EQ(read.Configurable(), c.configurable) << std::hex << c.release;
    EXPECT_EQ(read.silent, c.silent) << std::hex << c.release;
    if (c.configurable) {
      EXPECT_EQ(read.Values().prefix.text, "#K");
      EXPECT_EQ(read.Values().code_format, 5);
      EXPECT_EQ(read.refused_queries, std::vector<std::uint8_t>{'z'});
    }
  }
}

}  // namespace
}  // namespace kx12r
