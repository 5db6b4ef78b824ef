// Windows-1251 text: one table from the code page's bytes to characters, and its reverse.
#include "base/SingleByteText.h"

#include <iconv.h>

#include <QHash>
#include <algorithm>
#include <array>

namespace kx12r {
namespace {

constexpr char kCodePage[] = "WINDOWS-1251";
// Where the characters of undefined bytes lie: U+F700 + the byte.
constexpr char16_t kUndefinedByteBase = 0xF700;

struct CodePage {
  std::array<char16_t, 256> characters{};
  QHash<char16_t, char> bytes;
};

// The character of one byte through iconv; the private-use stand-in when it has none.
char16_t CharacterOf(iconv_t cd, unsigned char byte) {
  if (byte < 0x80) return byte;
  if (cd == reinterpret_cast<iconv_t>(-1)) return kUndefinedByteBase + byte;
  char in[1] = {static_cast<char>(byte)};
  char32_t out[2] = {};
  char* in_ptr = in;
  char* out_ptr = reinterpret_cast<char*>(out);
  size_t in_left = 1;
  size_t out_left = sizeof(out);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  const bool converted =
      iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) != static_cast<size_t>(-1);
  if (!converted || out_left != sizeof(out) - sizeof(char32_t) || out[0] > 0xFFFF) {
    return kUndefinedByteBase + byte;
  }
  return static_cast<char16_t>(out[0]);
}

const CodePage& Windows1251() {
  static const CodePage page = [] {
    CodePage built;
    iconv_t cd = iconv_open("UTF-32LE", kCodePage);
    for (int byte = 0; byte < 256; ++byte) {
      const char16_t c = CharacterOf(cd, static_cast<unsigned char>(byte));
      built.characters[byte] = c;
      built.bytes.insert(c, static_cast<char>(byte));
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
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

std::string ToSingleByte(const QString& text) { return ToSingleByte(text.toStdWString()); }

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
