// Windows-1251 text: one table from the code page's bytes to characters, and its reverse.
#include "base/SingleByteText.h"

#include <QHash>
#include <algorithm>
#include <array>

namespace kx12r {
namespace {

// Where the characters of undefined bytes lie: U+F700 + the byte.
constexpr char16_t kUndefinedByteBase = 0xF700;
constexpr char16_t kUndefined = 0;

// The characters of the bytes 0x80 to 0xFF; below them the code page is ASCII.
constexpr std::array<char16_t, 128> kUpperHalf = {
    0x0402,     0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC,     0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452,     0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    kUndefined, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0,     0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401,     0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0,     0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451,     0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
    0x0410,     0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // 0xC0
    0x0418,     0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // 0xC8
    0x0420,     0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // 0xD0
    0x0428,     0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // 0xD8
    0x0430,     0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // 0xE0
    0x0438,     0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // 0xE8
    0x0440,     0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // 0xF0
    0x0448,     0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // 0xF8
};

struct CodePage {
  std::array<char16_t, 256> characters{};
  QHash<char16_t, char> bytes;
};

const CodePage& Windows1251() {
  static const CodePage page = [] {
    CodePage built;
    for (int byte = 0; byte < 256; ++byte) {
      char16_t c = byte < 0x80 ? static_cast<char16_t>(byte) : kUpperHalf[byte - 0x80];
      if (byte >= 0x80 && c == kUndefined) c = kUndefinedByteBase + byte;
      built.characters[byte] = c;
      built.bytes.insert(c, static_cast<char>(byte));
    }
    return built;
  }();
  return page;
}

char ByteOf(char32_t c) {
  if (c < 0x80) return static_cast<char>(c);
  if (c > 0xFFFF) return '?';
  return Windows1251().bytes.value(static_cast<char16_t>(c), '?');
}

}  // namespace

std::string ToSingleByte(std::wstring_view text) {
  std::string bytes(text.size(), '\0');
  std::transform(text.begin(), text.end(), bytes.begin(),
                 [](wchar_t c) { return ByteOf(static_cast<char32_t>(c)); });
  return bytes;
}

// By code point, so a character beyond U+FFFF is one "?" wherever wchar_t is 16 bits wide.
std::string ToSingleByte(const QString& text) {
  const QList<uint> characters = text.toUcs4();
  std::string bytes(static_cast<std::size_t>(characters.size()), '\0');
  std::transform(characters.begin(), characters.end(), bytes.begin(),
                 [](uint c) { return ByteOf(c); });
  return bytes;
}

QString FromSingleByte(std::string_view bytes) {
  const CodePage& page = Windows1251();
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    text[static_cast<qsizetype>(i)] = QChar(page.characters[static_cast<unsigned char>(bytes[i])]);
  }
  return text;
}

bool HasUndefinedByte(const QString& text) {
  return std::any_of(text.begin(), text.end(), [](QChar c) {
    return c.unicode() >= kUndefinedByteBase + 0x80 && c.unicode() <= kUndefinedByteBase + 0xFF;
  });
}

}  // namespace kx12r
