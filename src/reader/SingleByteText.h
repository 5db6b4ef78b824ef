#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace kx12r {

// Texts exchanged with readers and stored in settings files are single-byte Windows-1251 text.
// Characters that have no byte in that set become "?".
std::string ToSingleByte(const QString& text);
std::string ToSingleByte(std::wstring_view text);
QString FromSingleByte(std::string_view bytes);

}  // namespace kx12r
