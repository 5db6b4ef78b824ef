#include "SingleByteText.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <type_traits>

namespace kx12r {
namespace {

constexpr char kCodePage[] = "WINDOWS-1251";

template <typename C>
bool IsAsciiUnit(C c) {
  return static_cast<std::make_unsigned_t<C>>(c) < 0x80;
}

template <typename C>
bool IsAscii(std::basic_string_view<C> text) {
  return std::all_of(text.begin(), text.end(), IsAsciiUnit<C>);
}

// Converts with iconv, replacing what cannot be converted by one `replacement` per input unit.
template <typename Out, typename In>
std::basic_string<Out> Convert(const char* to, const char* from, std::basic_string_view<In> in,
                               Out replacement) {
  std::basic_string<Out> out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    for (In c : in) out.push_back(IsAsciiUnit(c) ? static_cast<Out>(c) : replacement);
    return out;
  }
  char* in_ptr = const_cast<char*>(reinterpret_cast<const char*>(in.data()));
  size_t in_left = in.size() * sizeof(In);
  std::basic_string<Out> buffer(in.size() + 1, Out{});
  while (in_left > 0) {
    char* out_ptr = reinterpret_cast<char*>(buffer.data());
    size_t out_left = buffer.size() * sizeof(Out);
    size_t done = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer.data(), (buffer.size() * sizeof(Out) - out_left) / sizeof(Out));
    if (done == static_cast<size_t>(-1) && errno != E2BIG) {
      // EILSEQ or EINVAL: skip one input unit.
      out.push_back(replacement);
      in_ptr += sizeof(In);
      in_left -= std::min(in_left, sizeof(In));
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string ToSingleByte(std::wstring_view text) {
  if (IsAscii(text)) return std::string(text.begin(), text.end());
  return Convert<char, wchar_t>(kCodePage, "WCHAR_T", text, '?');
}

std::string ToSingleByte(const QString& text) { return ToSingleByte(text.toStdWString()); }

QString FromSingleByte(std::string_view bytes) {
  if (IsAscii(bytes)) return QString::fromLatin1(bytes.data(), bytes.size());
  std::wstring wide = Convert<wchar_t, char>("WCHAR_T", kCodePage, bytes, L'?');
  return QString::fromWCharArray(wide.data(), static_cast<qsizetype>(wide.size()));
}

}  // namespace kx12r
