#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "reader/HidLibrary.h"

namespace kx12r {

// Reader command codes: lower case letters read a setting, upper case letters write one.
namespace command {
inline constexpr std::uint8_t kQueryVariant = 'v';
inline constexpr std::uint8_t kQueryBuzzerOff = 'z';
inline constexpr std::uint8_t kQueryStandAlone = 'a';
inline constexpr std::uint8_t kQueryRepeat = 'r';
inline constexpr std::uint8_t kQueryPrefix = 'p';
inline constexpr std::uint8_t kQueryCodeFormat = 'c';
inline constexpr std::uint8_t kQuerySuffix = 's';
inline constexpr std::uint8_t kQueryEnding = 'e';
inline constexpr std::uint8_t kSetVariant = 'V';
inline constexpr std::uint8_t kSetPrefix = 'P';
inline constexpr std::uint8_t kSetCodeFormat = 'C';
inline constexpr std::uint8_t kSetSuffix = 'S';
inline constexpr std::uint8_t kSetEnding = 'E';
inline constexpr std::uint8_t kSetBuzzerOff = 'Z';
inline constexpr std::uint8_t kSetStandAlone = 'A';
inline constexpr std::uint8_t kSetRepeat = 'R';
inline constexpr std::uint8_t kSetSerialNumber = 'N';
inline constexpr std::uint8_t kIndicate = 'H';
}  // namespace command

// The reader's refusal mark in a reply.
inline constexpr std::uint8_t kRefusalMark = 127;

// Parameters of a command, one entry per report position; only an entry's first character is
// sent, an empty entry sends a space.
using ParameterList = std::vector<QString>;

ParameterList TextToParameters(const QString& text);

// Writes one output report: byte 1 the code, bytes 2.. the parameters. With parameters the
// reply is read and the command fails only when the reader put 127 where it differs from what
// was sent (a lost reply counts as delivered); without parameters the command is only written.
bool SendReaderCommand(HidLibrary& hid, int handle, std::uint8_t code,
                       const std::optional<ParameterList>& parameters = std::nullopt);

// SendReaderCommand with the characters of `text` as parameters.
bool SendTextCommand(HidLibrary& hid, int handle, std::uint8_t code, const QString& text);

// A query's reply: its text without spaces, or nothing when the reader gave no answer at all
// (the write failed or no reply came within the read timeout). A reader that does not know the
// code refuses it: the reply is then empty.
struct QueryReply {
  std::optional<QString> text;
  bool refused = false;
};
QueryReply AskReader(HidLibrary& hid, int handle, std::uint8_t code);

}  // namespace kx12r
