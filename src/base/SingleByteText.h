#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace kx12r {

// Texts exchanged with readers and stored in settings files are single-byte Windows-1251 text.
// A byte the code page leaves undefined (0x98) is kept as a private-use character of its own
// and turns back into the same byte, so no byte read is ever lost or replaced. A character that
// has no byte at all becomes "?".
std::string ToSingleByte(const QString& text);
std::string ToSingleByte(std::wstring_view text);
QString FromSingleByte(std::string_view bytes);

// Whether the text holds a byte that the code page does not define.
bool HasUndefinedByte(const QString& text);

}  // namespace kx12r
