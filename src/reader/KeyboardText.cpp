// What keyboard reports type, in the US and the Russian layout.
#include "reader/KeyboardText.h"

#include <array>

namespace kx12r {
namespace {

constexpr std::uint8_t kUsageA = 0x04;
constexpr std::uint8_t kUsageZ = 0x1D;
constexpr std::uint8_t kUsage1 = 0x1E;
constexpr std::uint8_t kUsage0 = 0x27;
constexpr std::uint8_t kLeftCtrl = 0x01;
constexpr std::uint8_t kLeftShift = 0x02;
constexpr std::uint8_t kRightCtrl = 0x10;
constexpr std::uint8_t kRightShift = 0x20;
constexpr int kBootReportLength = 9;  // report number and the 8 boot bytes

// Keys from the minus key on, as the US and the Russian layouts type them, unshifted and
// shifted: - = [ ] \ (non-US #) ; ' ` , . /
struct Punctuation {
  std::uint8_t usage;
  const char16_t* us;  // two characters: plain, shifted
  const char16_t* ru;
};
constexpr std::array<Punctuation, 12> kPunctuation = {{
    {0x2D, u"-_", u"-_"},
    {0x2E, u"=+", u"=+"},
    {0x2F, u"[{", u"хХ"},
    {0x30, u"]}", u"ъЪ"},
    {0x31, u"\\|", u"\\/"},
    {0x32, u"#~", u"\\/"},
    {0x33, u";:", u"жЖ"},
    {0x34, u"'\"", u"эЭ"},
    {0x35, u"`~", u"ёЁ"},
    {0x36, u",<", u"бБ"},
    {0x37, u".>", u"юЮ"},
    {0x38, u"/?", u".,"},
}};

constexpr char16_t kUsDigitsShifted[] = u"!@#$%^&*()";
constexpr char16_t kRuDigitsShifted[] = u"!\"№;%:?*()";
// The Russian letter on each US letter key a..z.
constexpr char16_t kRuLetters[] = u"фисвуапршолдьтщзйкыегмцчня";

const Punctuation* FindPunctuation(std::uint8_t usage) {
  for (const Punctuation& key : kPunctuation) {
    if (key.usage == usage) return &key;
  }
  return nullptr;
}

QString Character(const KeyStroke& key, bool russian) {
  if (key.ctrl) return QString();
  if (key.usage == kUsageSpace) return QStringLiteral(" ");
  if (key.usage >= kUsageA && key.usage <= kUsageZ) {
    const int index = key.usage - kUsageA;
    const QChar letter = russian ? QChar(kRuLetters[index]) : QChar(u'a' + index);
    return key.shift ? QString(letter.toUpper()) : QString(letter);
  }
  if (key.usage >= kUsage1 && key.usage <= kUsage0) {
    const int index = key.usage - kUsage1;
    if (key.shift) return QString(QChar((russian ? kRuDigitsShifted : kUsDigitsShifted)[index]));
    return QString(QChar(index == 9 ? u'0' : u'1' + index));
  }
  if (const Punctuation* punctuation = FindPunctuation(key.usage)) {
    return QString(QChar((russian ? punctuation->ru : punctuation->us)[key.shift ? 1 : 0]));
  }
  return QString();
}

}  // namespace

QString UsCharacter(const KeyStroke& key) { return Character(key, false); }
QString RussianCharacter(const KeyStroke& key) { return Character(key, true); }

QString KeyName(const KeyStroke& key) {
  QString name;
  switch (key.usage) {
    case kUsageEnter:
      name = QStringLiteral("Enter");
      break;
    case kUsageEscape:
      name = QStringLiteral("Esc");
      break;
    case kUsageBackspace:
      name = QStringLiteral("Backspace");
      break;
    case kUsageTab:
      name = QStringLiteral("Tab");
      break;
    case kUsageSpace:
      name = QStringLiteral("Space");
      break;
    default:
      name = QStringLiteral("0x%1").arg(key.usage, 2, 16, QLatin1Char('0'));
      break;
  }
  return QStringLiteral("<") + (key.ctrl ? QStringLiteral("Ctrl+") : QString()) + name +
         QStringLiteral(">");
}

std::optional<KeyStroke> KeyForCharacter(char c) {
  if (c >= 'a' && c <= 'z') return KeyStroke{static_cast<std::uint8_t>(kUsageA + (c - 'a'))};
  if (c >= 'A' && c <= 'Z') {
    return KeyStroke{static_cast<std::uint8_t>(kUsageA + (c - 'A')), true};
  }
  if (c >= '1' && c <= '9') return KeyStroke{static_cast<std::uint8_t>(kUsage1 + (c - '1'))};
  if (c == '0') return KeyStroke{kUsage0};
  if (c == ' ') return KeyStroke{kUsageSpace};
  for (int i = 0; i < 10; ++i) {
    if (kUsDigitsShifted[i] == c) return KeyStroke{static_cast<std::uint8_t>(kUsage1 + i), true};
  }
  for (const Punctuation& key : kPunctuation) {
    if (key.usage == 0x32) continue;  // the non-US key: "#" and "~" come from keys every board has
    for (int shifted = 0; shifted < 2; ++shifted) {
      if (key.us[shifted] == c) return KeyStroke{key.usage, shifted == 1};
    }
  }
  return std::nullopt;
}

std::optional<KeyStroke> KeyForEnding(int code) {
  switch (code) {
    case 13:
      return KeyStroke{kUsageEnter};
    case 10:
      return KeyStroke{kUsageEnter, false, true};
    case 9:
      return KeyStroke{kUsageTab};
    case 27:
      return KeyStroke{kUsageEscape};
    case 8:
      return KeyStroke{kUsageBackspace};
    case 32:
      return KeyStroke{kUsageSpace};
    default:
      return std::nullopt;
  }
}

std::vector<KeyStroke> KeyboardDecoder::Feed(std::span<const std::uint8_t> report) {
  if (report.empty()) return {};
  if (layout_.uses_report_ids && report[0] != layout_.report_id) return {};
  const std::span<const std::uint8_t> data = report.subspan(1);
  auto bits = [&](int first_bit, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
      const int bit = first_bit + i;
      if (bit / 8 < static_cast<int>(data.size()) && (data[bit / 8] >> (bit % 8)) & 1) {
        value |= 1u << i;
      }
    }
    return value;
  };
  const std::uint32_t modifiers = layout_.modifier_bit >= 0 ? bits(layout_.modifier_bit, 8) : 0;
  const bool shift = modifiers & (kLeftShift | kRightShift);
  const bool ctrl = modifiers & (kLeftCtrl | kRightCtrl);
  std::set<std::uint8_t> now;
  std::vector<KeyStroke> pressed;
  for (int i = 0; i < layout_.key_count; ++i) {
    const auto usage = static_cast<std::uint8_t>(bits(layout_.keys_bit + 8 * i, 8));
    // 0 is no key, 1 to 3 the keyboard's error codes.
    if (usage <= 3 || !now.insert(usage).second) continue;
    if (!down_.contains(usage)) pressed.push_back({usage, shift, ctrl});
  }
  down_ = std::move(now);
  return pressed;
}

std::vector<std::vector<std::uint8_t>> TypingReports(const std::vector<KeyStroke>& keys) {
  std::vector<std::vector<std::uint8_t>> reports;
  for (const KeyStroke& key : keys) {
    std::vector<std::uint8_t> down(kBootReportLength, 0);
    down[1] = (key.shift ? kLeftShift : 0) | (key.ctrl ? kLeftCtrl : 0);
    down[3] = key.usage;
    reports.push_back(down);
    reports.emplace_back(kBootReportLength, 0);
  }
  return reports;
}

}  // namespace kx12r
