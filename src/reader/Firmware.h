#pragma once

#include <QString>
#include <cstdint>

namespace kx12r {

// Which code formats a reader offers: the basic ones (1 to 8) below firmware 1.82, every one but
// 0 from 1.82, and 0 too on product 00DF from 1.84.
enum class CodeFormatChoice {
  kBelowNineWithoutZero,
  kWithoutZero,
  kAll,
};
bool OffersCodeFormat(CodeFormatChoice choice, int id);

// A reader's firmware by the release number its USB descriptor gives: 0x0170 is version 1.70.
// It knows what a reader with it can do.
class FirmwareVersion {
 public:
  constexpr FirmwareVersion() = default;
  explicit constexpr FirmwareVersion(std::uint16_t release) : release_(release) {}

  std::uint16_t Release() const { return release_; }
  // "1.70" for 0x0170, "0.96" for 0x0096: the major number read as a decimal number from the
  // first two hexadecimal digits, then the last two.
  QString Text() const;
  // Readers from 1.70 on can be configured.
  bool Configurable() const;
  // The warning for a reader whose firmware cannot be configured.
  QString Warning() const;
  CodeFormatChoice CodeFormats(std::uint16_t product_id) const;
  // Why a reader with this firmware and product does not take the code format `id`, named by
  // `name`: which readers have it. Empty when it does take it.
  QString WhyNoCodeFormat(int id, const QString& name, std::uint16_t product_id) const;
  // The first configurable version, as Text shows one.
  static QString FirstConfigurableText();

  bool operator==(const FirmwareVersion&) const = default;

 private:
  // The version text read as a number, as the rules compare it.
  double Number() const;

  std::uint16_t release_ = 0;
};

}  // namespace kx12r
