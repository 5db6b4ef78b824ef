#include <gtest/gtest.h>

#include "link/FirmwareGate.h"
#include "reader/Firmware.h"

namespace kx12r {
namespace {

const QString kUnsupported = "ВНИМАНИЕ! Данная версия ПО не поддерживается Конфигуратором. ";
const QString kUnknown =
    "ВНИМАНИЕ! Неизвестная версия ПО. Для обновления ПО необходима отправка изготовителю.";

QString Warning(std::uint16_t release) { return FirmwareVersion(release).Warning(); }

TEST(FirmwareGateTest, WarningByVersionRange) {
  EXPECT_EQ(
      Warning(0x0129),
      kUnsupported +
          "Имеет только один вариант посылки. Для обновления ПО необходима отправка изготовителю.");
  EXPECT_EQ(Warning(0x0096), Warning(0x0129));
  EXPECT_EQ(Warning(0x0130), kUnsupported +
                                 "Имеет только три варианта посылки, переключаемые "
                                 "«вручную». Для обновления ПО необходима отправка "
                                 "изготовителю.");
  EXPECT_EQ(Warning(0x0149), kUnsupported +
                                 "Имеет только пять вариантов посылки, переключаемых "
                                 "«вручную». Для обновления ПО необходима "
                                 "отправка изготовителю.");
  EXPECT_EQ(Warning(0x0150), kUnsupported +
                                 "Имеет только пять вариантов посылки, переключаемых "
                                 "«вручную». Для доступа к конфигурированию "
                                 "обновите ПО.");
  EXPECT_EQ(Warning(0x0169), kUnsupported +
                                 "Имеет только семь вариантов посылки, переключаемых "
                                 "«вручную». Для доступа к конфигурированию "
                                 "обновите ПО.");
  EXPECT_EQ(Warning(0x0153), Warning(0x0169));
  for (const std::uint16_t release : {0x0090, 0x0170, 0x0000, 0x0200}) {
    EXPECT_EQ(Warning(release), kUnknown) << release;
  }
}

TEST(FirmwareGateTest, TheVersionTextAndTheGateAgreeOnEveryShortVersion) {
  for (int release = 0; release <= 0x0999; ++release) {
    if ((release & 0xF) > 9 || ((release >> 4) & 0xF) > 9 || ((release >> 8) & 0xF) > 9) continue;
    const FirmwareVersion version(static_cast<std::uint16_t>(release));
    EXPECT_EQ(version.Text() < "1.70", !version.Configurable()) << version.Text().toStdString();
  }
}

}  // namespace
}  // namespace kx12r
