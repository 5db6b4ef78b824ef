// The report exchange with a reader: commands, echoes, refusals and query replies.
#include "reader/ReportExchange.h"

#include "base/MessageBox.h"
#include "base/SingleByteText.h"

namespace kx12r {
namespace {

constexpr std::uint8_t kSpace = 0x20;
constexpr int kShortestReport = 3;  // report number, code, one parameter
// Reports read past before a reply is given up: a late reply to an earlier command, or the
// odd stray report, never more than a few.
constexpr int kStrayReportLimit = 8;

std::uint8_t ParameterByte(const QString& entry) {
  if (entry.isEmpty()) return kSpace;
  return static_cast<std::uint8_t>(ToSingleByte(entry.left(1)).front());
}

// Reads the reply to `code`: one that echoes the code or marks it refused (127). A report that
// came after the drain but answers an earlier command is read past.
bool ReadReply(HidLibrary& hid, int handle, std::uint8_t code, std::span<std::uint8_t> reply) {
  for (int stray = 0; stray <= kStrayReportLimit; ++stray) {
    if (!hid.Read(handle, reply)) return false;
    if (reply[1] == code || reply[1] == kRefusalMark) return true;
  }
  return false;
}

}  // namespace

ParameterList TextToParameters(const QString& text) {
  ParameterList parameters;
  parameters.reserve(text.size());
  for (QChar c : text) parameters.emplace_back(c);
  return parameters;
}

bool SendReaderCommand(HidLibrary& hid, int handle, std::uint8_t code,
                       const std::optional<ParameterList>& parameters) {
  const int output_length = hid.GetOutputReportLength(handle);
  if (output_length < kShortestReport) return false;
  std::vector<std::uint8_t> sent(output_length, kSpace);
  sent[0] = 0;
  sent[1] = code;
  if (parameters) {
    const std::size_t count = std::min(parameters->size(), sent.size() - 2);
    for (std::size_t i = 0; i < count; ++i) sent[2 + i] = ParameterByte((*parameters)[i]);
  }
  if (!hid.Write(handle, sent)) return false;
  if (!parameters) return true;

  const int input_length = hid.GetInputReportLength(handle);
  if (input_length < kShortestReport) return true;
  std::vector<std::uint8_t> received(input_length, 0);
  if (!ReadReply(hid, handle, code, received)) return true;  // delivered; the echo was lost
  // Only positions both reports have can be compared.
  const std::size_t compared = std::min(sent.size(), received.size());
  for (std::size_t k = 1; k < compared; ++k) {
    if (received[k] != sent[k] && received[k] == kRefusalMark) return false;
  }
  return true;
}

bool SendTextCommand(HidLibrary& hid, int handle, std::uint8_t code, const QString& text) {
  return SendReaderCommand(hid, handle, code, TextToParameters(text));
}

QueryReply AskReader(HidLibrary& hid, int handle, std::uint8_t code) {
  if (!SendReaderCommand(hid, handle, code)) return {};
  const int input_length = hid.GetInputReportLength(handle);
  if (input_length < kShortestReport) return {QString()};
  std::vector<std::uint8_t> received(input_length, 0);
  if (!ReadReply(hid, handle, code, received)) return {};
  // A refusal's bytes are no value of the setting.
  if (received[1] == kRefusalMark) return {QString(), true};
  std::string text;
  for (std::size_t k = 2; k < received.size(); ++k) {
    if (received[k] != kSpace) text.push_back(static_cast<char>(received[k]));
  }
  return {FromSingleByte(text)};
}

}  // namespace kx12r
