#include <gtest/gtest.h>

#include "link/FirmwareGate.h"
#include "reader/Firmware.h"

namespace kx12r {
namespace {

const QString kUnsupported = "ВНИМАНИЕ! Данная версия ПО не поддерживается Конфигуратором. ";
const QString kUnknown =
    "ВНИМАНИЕ! Неизвестная версия ПО. Для обновления ПО необходима отправка изготовителю.";

TEST(FirmwareGateTest, WarningByVersionRange) {
  EXPECT_EQ(
      FirmwareWarningText("1.29"),
      kUnsupported +
          "Имеет только один вариант посылки. Для обновления ПО необходима отправка изготовителю.");
  EXPECT_EQ(FirmwareWarningText("0.96"), FirmwareWarningText("1.29"));
  EXPECT_EQ(FirmwareWarningText("1.30"), kUnsupported +
                                             "Имеет только три варианта посылки, переключаемые "
                                             "«вручную». Для обновления ПО необходима отправка "
                                             "изготовителю.");
  EXPECT_EQ(FirmwareWarningText("1.49"), kUnsupported +
                                             "Имеет только пять вариантов посылки, переключаемых "
                                             "«вручную». Для обновления ПО необходима "
                                             "отправка изготовителю.");
  EXPECT_EQ(FirmwareWarningText("1.50"), kUnsupported +
                                             "Имеет только пять вариантов посылки, переключаемых "
                                             "«вручную». Для доступа к конфигурированию "
                                             "обновите ПО.");
  EXPECT_EQ(FirmwareWarningText("1.69"), kUnsupported +
                                             "Имеет только семь вариантов посылки, переключаемых "
                                             "«вручную». Для доступа к конфигурированию "
                                             "обновите ПО.");
  EXPECT_EQ(FirmwareWarningText("1.53"), FirmwareWarningText("1.69"));
  for (const char* version : {"0.90", "1.295", "1.70", "", "x"}) {
    EXPECT_EQ(FirmwareWarningText(version), kUnknown) << version;
  }
}

TEST(FirmwareGateTest, DiscoveryAndGateAgreeOnEveryShortVersion) {
  for (int release = 0; release <= 0x0999; ++release) {
    if ((release & 0xF) > 9 || ((release >> 4) & 0xF) > 9 || ((release >> 8) & 0xF) > 9) continue;
    const QString text = VersionText(static_cast<std::uint16_t>(release));
    EXPECT_EQ(text < "1.70", !IsConfigurableFirmware(text)) << text.toStdString();
  }
}

}  // namespace
}  // namespace kx12r
