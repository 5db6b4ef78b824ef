#include <gtest/gtest.h>

#include "FakeClock.h"
#include "ReaderReports.h"
#include "simulator/DemoReaders.h"
#include "simulator/SimulatedHidLibrary.h"

namespace kx12r {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Report(std::uint8_t code, std::string_view text = "", std::size_t length = 65) {
  return ReaderReport(code, text, length);
}

class SimulatedReaderTest : public ::testing::Test {
 protected:
  SimulatedReaderTest() { library_.SetClock(clock_); }

  // Writes one report and returns the reply, or nothing when the read failed.
  std::optional<Bytes> Exchange(SimulatedReader& device, const Bytes& report) {
    const int handle = library_.HandleOf(device);
    if (!library_.Write(handle, report)) return std::nullopt;
    Bytes reply(library_.GetInputReportLength(handle));
    if (!library_.Read(handle, reply)) return std::nullopt;
    return reply;
  }

  SimulatedReader& Reader(std::uint16_t version = 0x0184, std::uint16_t product = 0x0002) {
    return library_.Plug(
        {.product_id = product, .version = version, .serial_number = "00001"},
        {.variant = 3, .prefix = "#K", .code_format = 2, .ending = 13, .buzzer_off = true});
  }

  SimulatedHidLibrary library_;
  FakeClock clock_;
};

TEST_F(SimulatedReaderTest, AnswersQueriesWithTheirTextPaddedWithSpaces) {
  auto& reader = Reader();
  EXPECT_EQ(Exchange(reader, Report('v')), Report('v', "3"));
  EXPECT_EQ(Exchange(reader, Report('z')), Report('z', "Z"));
  EXPECT_EQ(Exchange(reader, Report('a')), Report('a'));
  EXPECT_EQ(Exchange(reader, Report('r')), Report('r'));
  EXPECT_EQ(Exchange(reader, Report('p')), Report('p', "#K"));
  EXPECT_EQ(Exchange(reader, Report('c')), Report('c', "2"));
  EXPECT_EQ(Exchange(reader, Report('s')), Report('s'));
  EXPECT_EQ(Exchange(reader, Report('e')), Report('e', "\r"));
}

TEST_F(SimulatedReaderTest, EchoesAcceptedCommandsAndStoresThem) {
  auto& reader = Reader();
  for (const auto& [code, text] : std::vector<std::pair<char, std::string>>{{'V', "8"},
                                                                            {'P', "AB~!?"},
                                                                            {'S', "x"},
                                                                            {'C', "12"},
                                                                            {'E', "\t"},
                                                                            {'Z', " "},
                                                                            {'A', "A"},
                                                                            {'R', "R"},
                                                                            {'H', ""}}) {
    EXPECT_EQ(Exchange(reader, Report(code, text)), Report(code, text)) << code;
  }
  const ReaderSettings& s = reader.Settings();
  EXPECT_EQ(s.variant, 8);
  EXPECT_EQ(s.prefix, "AB~!?");
  EXPECT_EQ(s.suffix, "x");
  EXPECT_EQ(s.code_format, 12);
  EXPECT_EQ(s.ending, '\t');
  EXPECT_FALSE(s.buzzer_off);
  EXPECT_TRUE(s.stand_alone);
  EXPECT_TRUE(s.repeat);
  EXPECT_EQ(reader.IndicationCount(), 1);
}

TEST_F(SimulatedReaderTest, MarksRefusedPositionsWith127AndKeepsItsSettings) {
  auto& reader = Reader(0x0172);
  auto refused = [](Bytes report, std::initializer_list<std::size_t> positions) {
    for (std::size_t p : positions) report[p] = 127;
    return report;
  };
  EXPECT_EQ(Exchange(reader, Report('V', "9")), refused(Report('V', "9"), {2}));
  EXPECT_EQ(Exchange(reader, Report('P', "ABCDEFG")), refused(Report('P', "ABCDEFG"), {7, 8}));
  EXPECT_EQ(Exchange(reader, Report('S', "A B")), refused(Report('S', "A B"), {3}));
  EXPECT_EQ(Exchange(reader, Report('C', "9")), refused(Report('C', "9"), {2}))
      << "below 1.82 only code formats 1..8";
  EXPECT_EQ(Exchange(reader, Report('C', "")), refused(Report('C', ""), {2}));
  EXPECT_EQ(Exchange(reader, Report('Z', "A")), refused(Report('Z', "A"), {2}));
  EXPECT_EQ(Exchange(reader, Report('N', "1234")), refused(Report('N', "1234"), {2}));
  EXPECT_EQ(Exchange(reader, Report('Q')), refused(Report('Q'), {1})) << "unknown command";
  EXPECT_EQ(reader.Settings().variant, 3);
  EXPECT_EQ(reader.Settings().prefix, "#K");
  EXPECT_EQ(reader.Settings().code_format, 2);
  EXPECT_TRUE(reader.Settings().buzzer_off);
}

TEST_F(SimulatedReaderTest, CodeFormatZeroOnlyOnProduct00DFFrom184) {
  auto zero = Report('C', "0");
  auto refused_zero = zero;
  refused_zero[2] = 127;
  EXPECT_EQ(Exchange(Reader(0x0184, 0x00DF), zero), zero);
  EXPECT_EQ(Exchange(Reader(0x0183, 0x00DF), zero), refused_zero);
  EXPECT_EQ(Exchange(Reader(0x0184, 0x0002), zero), refused_zero);
  EXPECT_EQ(Exchange(Reader(0x0182, 0x0002), Report('C', "11")), Report('C', "11"));
}

TEST_F(SimulatedReaderTest, OldFirmwareAndOtherDevices) {
  auto& old_reader = Reader(0x0153);
  auto refused_query = Report('v');
  refused_query[1] = 127;
  EXPECT_EQ(Exchange(old_reader, Report('v')), refused_query);

  auto& keyboard = library_.Plug({.vendor_id = 0x046D, .product_id = 0xC31C});
  EXPECT_EQ(Exchange(keyboard, Report('v')), std::nullopt);
  auto& other_product = library_.Plug({.vendor_id = 0x04D8, .product_id = 0x0003});
  EXPECT_EQ(Exchange(other_product, Report('v')), std::nullopt);
}

TEST_F(SimulatedReaderTest, ShortInputReportsCarryWhatFits) {
  auto& reader =
      library_.Plug({.input_report_length = 4, .output_report_length = 9}, {.prefix = "ABCDE"});
  EXPECT_EQ(Exchange(reader, Report('p', "", 9)), Report('p', "AB", 4));
  EXPECT_EQ(Exchange(reader, Report('P', "XYZ", 9)), Report('P', "XY", 4));
  EXPECT_EQ(reader.Settings().prefix, "XYZ");
}

TEST_F(SimulatedReaderTest, InjectedFaults) {
  auto& reader = Reader();
  const int handle = library_.HandleOf(reader);
  Bytes reply(65);

  reader.FailNextWrite();
  EXPECT_FALSE(library_.Write(handle, Report('v')));
  EXPECT_EQ(Exchange(reader, Report('v')), Report('v', "3"));

  reader.FailNextRead();
  EXPECT_EQ(Exchange(reader, Report('v')), std::nullopt);

  reader.RefuseCommand('P');
  reader.RefuseCommand('p');
  auto refused = Report('P', "Q");
  refused[2] = 127;
  EXPECT_EQ(Exchange(reader, Report('P', "Q")), refused);
  auto refused_query = Report('p');
  refused_query[1] = 127;
  EXPECT_EQ(Exchange(reader, Report('p')), refused_query);

  reader.SetAnswerDelay(kReadTimeout);  // too late for the read; dropped at the next write
  EXPECT_EQ(Exchange(reader, Report('v')), std::nullopt);
  reader.SetAnswerDelay(std::chrono::milliseconds(0));
  EXPECT_EQ(Exchange(reader, Report('z')), Report('z', "Z"));

  reader.SetAnswering(false);
  EXPECT_TRUE(library_.Write(handle, Report('v')));
  const auto before = clock_.slept;
  EXPECT_FALSE(library_.Read(handle, reply));
  EXPECT_EQ(clock_.slept - before, kReadTimeout) << "a silent read waits its whole timeout";

  reader.SetAnswering(true);
  reader.OverrideReply('v', "12345678901");
  EXPECT_EQ(Exchange(reader, Report('v')), Report('v', "12345678901"));
}

// The handles an enumeration lists, in its order.
std::vector<int> Handles(const HidSnapshot& snapshot) {
  std::vector<int> handles;
  for (const HidDeviceInfo& device : snapshot.devices) handles.push_back(device.handle);
  return handles;
}

TEST_F(SimulatedReaderTest, ListsWherePluggedAndAChangeOfAccessIsANewDevice) {
  auto& first = Reader();
  auto& second = Reader();
  library_.Unplug(second);
  auto& above = library_.Plug({.serial_number = "00002"}, {}, 0);
  EXPECT_EQ(Handles(library_.Enumerate()),
            (std::vector<int>{library_.HandleOf(above), library_.HandleOf(first)}));

  const int before = library_.HandleOf(first);
  first.SetAccessDenied(true);
  const HidSnapshot denied = library_.Enumerate();
  ASSERT_EQ(denied.devices.size(), 2u);
  EXPECT_NE(denied.devices[1].handle, before);
  EXPECT_EQ(denied.devices[1].handle, library_.HandleOf(first));
  EXPECT_TRUE(denied.devices[1].access_denied);
}

TEST_F(SimulatedReaderTest, TheLogAndTheKeyboardKeepOnlyTheLatestReports) {
  auto& reader = Reader();
  const int handle = library_.HandleOf(reader);
  for (std::size_t i = 0; i < SimulatedReader::kLogLimit; ++i) {
    library_.Write(handle, Report('H'));
  }
  library_.Write(handle, Report('v'));
  ASSERT_EQ(reader.Log().size(), SimulatedReader::kLogLimit);
  EXPECT_EQ(reader.Log().back().bytes, Report('v'));

  // Cards nobody reads (a watch of another reader) keep no more than a hidraw node would.
  for (int card = 0; card < 100; ++card) reader.PresentCard(card);
  std::size_t waiting = 0;
  for (std::vector<std::uint8_t> report; reader.TakeKeyboardReport(report);) ++waiting;
  EXPECT_EQ(waiting, SimulatedReader::kKeyboardReportLimit);
}

TEST_F(SimulatedReaderTest, UnpluggedDeviceComesBackWithANewHandleAndItsSettings) {
  auto& first = Reader();
  auto& second = Reader();
  const int old_handle = library_.HandleOf(first);
  ASSERT_TRUE(library_.Write(old_handle, Report('H')));  // leaves a reply nobody reads

  library_.Unplug(first);
  EXPECT_EQ(Handles(library_.Enumerate()), std::vector<int>{library_.HandleOf(second)});
  Bytes reply(65);
  EXPECT_FALSE(library_.Write(old_handle, Report('v')));
  EXPECT_FALSE(library_.Read(old_handle, reply));

  library_.PlugBack(first);
  ASSERT_EQ(library_.Enumerate().devices.size(), 2u);
  EXPECT_NE(library_.HandleOf(first), old_handle);
  EXPECT_FALSE(library_.Read(library_.HandleOf(first), reply)) << "pending replies are gone";
  EXPECT_EQ(Exchange(first, Report('v')), Report('v', "3"));
}

TEST_F(SimulatedReaderTest, RestartsAfterANewSerialNumber) {
  auto& reader = Reader();
  const int old_handle = library_.HandleOf(reader);
  EXPECT_EQ(Exchange(reader, Report('N', "12345")), Report('N', "12345"));
  EXPECT_TRUE(library_.Enumerate().devices.empty());
  const HidSnapshot back = library_.Enumerate();
  ASSERT_EQ(back.devices.size(), 1u);
  EXPECT_NE(back.devices[0].handle, old_handle);
  EXPECT_EQ(back.devices[0].serial_number, "12345");
}

TEST_F(SimulatedReaderTest, LogsEveryReportBothWays) {
  auto& reader = Reader();
  reader.ClearLog();
  Exchange(reader, Report('V', "5"));
  ASSERT_EQ(reader.Log().size(), 2u);
  EXPECT_EQ(reader.Log()[0].direction, LoggedReport::Direction::kToDevice);
  EXPECT_EQ(reader.Log()[1].direction, LoggedReport::Direction::kFromDevice);
  EXPECT_EQ(reader.ReceivedReports(), std::vector<Bytes>{Report('V', "5")});
}

TEST(DemoReadersTest, HoldsThreeReadersAndOneOtherDevice) {
  SimulatedHidLibrary library;
  PlugDemoReaders(library);
  const HidSnapshot demo = library.Enumerate();
  ASSERT_EQ(demo.devices.size(), 4u);
  std::vector<std::uint16_t> versions;
  for (const HidDeviceInfo& device : demo.devices) versions.push_back(device.release);
  EXPECT_EQ(versions, (std::vector<std::uint16_t>{0x0184, 0x0172, 0x0153, 0x6400}));
  EXPECT_EQ(demo.devices[0].product_id, 0x00DF);
  EXPECT_NE(demo.devices[3].vendor_id, 0x04D8);
}

}  // namespace
}  // namespace kx12r
