// What a reader's keyboard interface sends, turned into typed messages as watch shows them:
// byte 0 picks the layout (boot, or a keyboard with numbered reports and its keys elsewhere)
// and the ending key, then each report is a length byte and that many bytes. Every key gives
// at most one character per layout or its name in angle brackets, and every message is made
// of what was typed.
#include <chrono>
#include <vector>

#include "FuzzTarget.h"
#include "cli/Watch.h"
#include "reader/KeyboardText.h"

namespace {

using namespace kx12r;

KeyboardLayout LayoutFor(std::uint8_t choice) {
  if (choice % 2 == 0) return BootKeyboardLayout();
  return {.uses_report_ids = true,
          .report_id = choice % 5,
          .modifier_bit = 0,
          .keys_bit = 8,
          .key_count = choice % 11};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  constexpr int kEndings[] = {0, 13, 10, 9, 27, 8, 32};
  KeyboardDecoder decoder(LayoutFor(data[0]));
  // A reader on variant 8 with a prefix and suffix of letters, so the verdict is judged too.
  cli::MessageAssembler assembler(QStringLiteral("00417"),
                                  {CardFrame{QStringLiteral("#K"), QStringLiteral("AB"),
                                             kEndings[(data[0] / 2) % 7], data[0] % 14},
                                   {}});
  std::chrono::milliseconds now{0};
  for (std::size_t at = 1; at < size;) {
    const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
    const std::vector<std::uint8_t> report(data + at + 1, data + at + 1 + length);
    at += 1 + length;
    for (const KeyStroke& key : decoder.Feed(report)) {
      FUZZ_CHECK(UsCharacter(key).size() <= 1 && RussianCharacter(key).size() <= 1);
      const QString name = KeyName(key);
      FUZZ_CHECK(name.startsWith(QLatin1Char('<')) && name.endsWith(QLatin1Char('>')));
      const QString before = assembler.Pending();
      if (const auto message = assembler.Key(key, now)) {
        FUZZ_CHECK(message->typed.startsWith(before));
        FUZZ_CHECK(assembler.Pending().isEmpty());
      }
    }
    now += std::chrono::milliseconds(length * 10);
    if (const auto message = assembler.Idle(now)) FUZZ_CHECK(!message->typed.isEmpty());
  }
  return 0;
}
