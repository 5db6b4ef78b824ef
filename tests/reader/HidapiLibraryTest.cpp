#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FakeHidapi.h"
#include "reader/HidapiLibrary.h"

namespace kx12r {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Vendor-defined page, 64-byte input and output reports, no report ids.
const Bytes kPlainDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x19, 0x01, 0x29,
                                0x40, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40,
                                0x81, 0x00, 0x19, 0x01, 0x29, 0x40, 0x91, 0x00, 0xC0};
// Report 1: 32-byte input; report 2: 8-byte input and 16-byte output.
const Bytes kNumberedDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08,
                                   0x85, 0x01, 0x95, 0x20, 0x81, 0x02, 0x85, 0x02, 0x95,
                                   0x08, 0x81, 0x02, 0x95, 0x10, 0x91, 0x02, 0xC0};

class HidapiLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_hidapi::Reset();
    ASSERT_TRUE(library_.Connect());
  }
  void TearDown() override { fake_hidapi::Reset(); }

  fake_hidapi::Device& AddDevice(const std::string& node, const Bytes* descriptor = nullptr) {
    if (descriptor) {
      QDir(sysfs_.path()).mkpath(QString::fromStdString(node + "/device"));
      QFile file(sysfs_.filePath(QString::fromStdString(node + "/device/report_descriptor")));
      EXPECT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(reinterpret_cast<const char*>(descriptor->data()), descriptor->size());
    }
    return fake_hidapi::Add("/dev/" + node);
  }

  fake_hidapi::Device& Device(int i) { return fake_hidapi::Devices()[i]; }
  // Enumerates, keeping what was found for the test to look at.
  int Enumerate() {
    listed_ = library_.Enumerate();
    return static_cast<int>(listed_.devices.size());
  }
  int Item(std::size_t i) const { return i < listed_.devices.size() ? listed_.devices[i].handle : 0; }
  const HidDeviceInfo& Info(std::size_t i) const { return listed_.devices.at(i); }

  QTemporaryDir sysfs_;
  HidapiLibrary library_{sysfs_.path().toStdString(), fake_hidapi::Probe};
  HidSnapshot listed_;
};

TEST_F(HidapiLibraryTest, HandlesStayWhileConnectedAndAreNeverReused) {
  AddDevice("hidraw0");
  AddDevice("hidraw1").collections = 2;  // listed twice by the enumeration, shown once

  ASSERT_EQ(Enumerate(), 2);
  const int first = Item(0);
  const int second = Item(1);
  EXPECT_NE(first, second);
  EXPECT_EQ(Item(2), 0);

  Device(0).present = false;
  ASSERT_EQ(Enumerate(), 1);
  EXPECT_EQ(Item(0), second);

  Device(0).present = true;  // something new on the same node
  ASSERT_EQ(Enumerate(), 2);
  EXPECT_NE(Item(0), first);
  EXPECT_NE(Item(0), second);
  EXPECT_EQ(Item(1), second);
}

TEST_F(HidapiLibraryTest, IdentityAndTextsComeFromTheEnumeration) {
  auto& device = AddDevice("hidraw0");
  device.product_id = 0x00DF;
  device.release = 0x0170;
  device.product = L"Считыватель 中";
  ASSERT_EQ(Enumerate(), 1);
  EXPECT_EQ(Info(0).vendor_id, 0x04D8);
  EXPECT_EQ(Info(0).product_id, 0x00DF);
  EXPECT_EQ(Info(0).release, 0x0170);
  EXPECT_EQ(Info(0).serial_number, "00417");
  EXPECT_EQ(Info(0).vendor_name, "Salvion");
  EXPECT_EQ(Info(0).product_name, "\xD1\xF7\xE8\xF2\xFB\xE2\xE0\xF2\xE5\xEB\xFC ?");
  EXPECT_EQ(device.opened, 0) << "listing a device must not open it";
}

TEST_F(HidapiLibraryTest, ReportLengthsComeFromTheDescriptor) {
  AddDevice("hidraw0", &kPlainDescriptor);
  AddDevice("hidraw1", &kNumberedDescriptor);
  AddDevice("hidraw2");  // no descriptor to read
  ASSERT_EQ(Enumerate(), 3);
  EXPECT_EQ(library_.GetInputReportLength(Item(0)), 65);
  EXPECT_EQ(library_.GetOutputReportLength(Item(0)), 65);
  EXPECT_EQ(library_.GetInputReportLength(Item(1)), 33);
  EXPECT_EQ(library_.GetOutputReportLength(Item(1)), 17);
  EXPECT_EQ(library_.GetInputReportLength(Item(2)), kDefaultReportLength);
  EXPECT_EQ(library_.GetOutputReportLength(Item(2)), kDefaultReportLength);
  EXPECT_EQ(library_.GetInputReportLength(12345), 0);
}

TEST_F(HidapiLibraryTest, ReportNumberByteIsAlwaysByteZero) {
  auto& plain = AddDevice("hidraw0", &kPlainDescriptor);
  auto& numbered = AddDevice("hidraw1", &kNumberedDescriptor);
  ASSERT_EQ(Enumerate(), 2);

  const Bytes command = {0, 'V', '5', ' '};
  ASSERT_TRUE(library_.Write(Item(0), command));
  EXPECT_EQ(plain.written.back(), command);

  plain.input.push_back({'V', '5', ' '});  // hidraw leaves out the absent report number
  Bytes reply(5, 0xEE);
  ASSERT_TRUE(library_.Read(Item(0), reply));
  EXPECT_EQ(reply, (Bytes{0, 'V', '5', ' ', 0}));

  numbered.input.push_back({2, 'v', '8'});
  Bytes numbered_reply(4, 0xEE);
  ASSERT_TRUE(library_.Read(Item(1), numbered_reply));
  EXPECT_EQ(numbered_reply, (Bytes{2, 'v', '8', 0}));
}

TEST_F(HidapiLibraryTest, WriteDiscardsRepliesNobodyRead) {
  auto& device = AddDevice("hidraw0", &kPlainDescriptor);
  ASSERT_EQ(Enumerate(), 1);
  const int handle = Item(0);
  device.input.push_back({'H'});
  device.input.push_back({'H'});
  ASSERT_TRUE(library_.Write(handle, Bytes{0, 'v'}));
  EXPECT_TRUE(device.input.empty());

  Bytes reply(3);
  EXPECT_FALSE(library_.Read(handle, reply)) << "nothing came: the read times out";
  EXPECT_EQ(fake_hidapi::LastReadTimeout(), kReadTimeout.count());
}

TEST_F(HidapiLibraryTest, OpensOnceAndClosesWhenGoneOrDisconnected) {
  auto& device = AddDevice("hidraw0");
  ASSERT_EQ(Enumerate(), 1);
  const int handle = Item(0);
  ASSERT_TRUE(library_.Write(handle, Bytes{0, 'v'}));
  ASSERT_TRUE(library_.Write(handle, Bytes{0, 'z'}));
  EXPECT_EQ(device.opened, 1);

  device.present = false;  // unplugged: calls fail, nothing hangs
  Bytes reply(65);
  EXPECT_FALSE(library_.Write(handle, Bytes{0, 'v'}));
  EXPECT_FALSE(library_.Read(handle, reply));
  EXPECT_EQ(device.closed, 1);
  EXPECT_EQ(Enumerate(), 0);
  EXPECT_FALSE(library_.Write(handle, Bytes{0, 'v'}));

  device.present = true;
  ASSERT_EQ(Enumerate(), 1);
  ASSERT_TRUE(library_.Write(Item(0), Bytes{0, 'v'}));
  library_.Disconnect();
  EXPECT_EQ(device.opened, 2);
  EXPECT_EQ(device.closed, 2);
}

TEST_F(HidapiLibraryTest, TellsADeniedDeviceFromAVanishedOne) {
  AddDevice("hidraw0").permission_denied = true;
  AddDevice("hidraw1").openable = false;  // gone between the enumeration and the open
  ASSERT_EQ(Enumerate(), 2);
  EXPECT_TRUE(Info(0).access_denied);
  EXPECT_FALSE(Info(1).access_denied);
  EXPECT_FALSE(library_.Write(Item(1), Bytes{0, 'v'}));
  EXPECT_EQ(Info(0).vendor_id, 0x04D8) << "a denied device stays listed";
  EXPECT_EQ(Device(0).opened, 0) << "a node without access is not even tried";
}

TEST_F(HidapiLibraryTest, AccessGrantedByUdevAfterThePlugIsANewDevice) {
  auto& device = AddDevice("hidraw0", &kPlainDescriptor);
  device.initialized = false;  // udev has not finished: not judged yet
  EXPECT_EQ(Enumerate(), 0);
  EXPECT_EQ(listed_.held_readers, 1) << "so a listing can wait for it";

  device.initialized = true;
  device.permission_denied = true;  // still root's for a moment
  ASSERT_EQ(Enumerate(), 1);
  EXPECT_EQ(listed_.held_readers, 0);
  const int denied = Item(0);
  EXPECT_TRUE(Info(0).access_denied);
  ASSERT_EQ(Enumerate(), 1);
  EXPECT_EQ(Item(0), denied) << "nothing changed, the same handle";

  device.permission_denied = false;  // the seat user's access arrives
  ASSERT_EQ(Enumerate(), 1);
  const int granted = Item(0);
  EXPECT_NE(granted, denied) << "discovery must see the list change and read the reader";
  EXPECT_FALSE(Info(0).access_denied);
  EXPECT_TRUE(library_.Write(granted, Bytes{0, 'v'}));
}

TEST_F(HidapiLibraryTest, AReaderBackOnTheSameNodeIsANewDeviceWithFreshIdentity) {
  auto& device = AddDevice("hidraw0", &kNumberedDescriptor);
  ASSERT_EQ(Enumerate(), 1);
  const int first = Item(0);
  EXPECT_EQ(library_.GetInputReportLength(first), 33);
  ASSERT_TRUE(library_.Write(first, Bytes{0, 'v'}));

  // Gone and back between two listings: another connection, another serial, other reports.
  device.connection = "0003:04D8:0002.0002";
  device.serial = L"00999";
  QFile descriptor(sysfs_.filePath("hidraw0/device/report_descriptor"));
  ASSERT_TRUE(descriptor.open(QIODevice::WriteOnly | QIODevice::Truncate));
  descriptor.write(reinterpret_cast<const char*>(kPlainDescriptor.data()), kPlainDescriptor.size());
  descriptor.close();

  ASSERT_EQ(Enumerate(), 1);
  const int second = Item(0);
  EXPECT_NE(second, first);
  EXPECT_EQ(Info(0).serial_number, "00999");
  EXPECT_EQ(library_.GetInputReportLength(second), 65);
  EXPECT_EQ(device.closed, 1) << "the old connection's handle is closed";
  EXPECT_FALSE(library_.Write(first, Bytes{0, 'v'}));
}

TEST_F(HidapiLibraryTest, AReadersKeyboardInterfaceIsNeverListed) {
  AddDevice("hidraw0");
  auto& keyboard = AddDevice("hidraw1");
  keyboard.usage_page = 0x01;
  keyboard.usage = 0x06;
  auto& other_keyboard = AddDevice("hidraw2");
  other_keyboard.vendor_id = 0x046D;
  other_keyboard.usage_page = 0x01;
  other_keyboard.usage = 0x06;
  ASSERT_EQ(Enumerate(), 2) << "only ours are left out";
  EXPECT_EQ(Info(1).vendor_id, 0x046D);
}

TEST(ReportDescriptorTest, ItemsRunningPastTheEndMakeItUnreadable) {
  const Bytes long_item_cut = {0x75, 0x08, 0xFE, 0x05, 0x01, 0xAA, 0xBB};
  EXPECT_FALSE(ParseReportDescriptor(long_item_cut));
  const Bytes long_item_whole = {0xFE, 0x02, 0x01, 0xAA, 0xBB, 0x75, 0x08, 0x95, 0x04, 0x81, 0x02};
  ASSERT_TRUE(ParseReportDescriptor(long_item_whole));
  EXPECT_EQ(ParseReportDescriptor(long_item_whole)->input_length, 5);
  const Bytes short_item_cut = {0x75, 0x08, 0x96, 0x40};
  EXPECT_FALSE(ParseReportDescriptor(short_item_cut));
}

}  // namespace
}  // namespace kx12r
