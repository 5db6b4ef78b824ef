// A simulated reader: its settings, its answers and the faults a test gives it.
#include "simulator/SimulatedReader.h"

#include <algorithm>
#include <utility>

#include "reader/CardCode.h"
#include "reader/KeyboardText.h"
#include "reader/ReaderIdentity.h"
#include "reader/ReaderSettings.h"

namespace kx12r {
namespace {

constexpr std::uint8_t kRefused = 127;
constexpr std::uint8_t kSpace = 0x20;
constexpr std::uint16_t kFirstConfigurableVersion = 0x0170;
// The code formats a reader takes, as the readers were made: the first row its firmware release
// (and product, where one is named) reaches gives them. Kept apart from the program's own rule,
// which the tests check against it.
struct OfferedCodeFormats {
  std::uint16_t from_release;
  std::uint16_t product;  // 0: any
  int lowest;
  int highest;
};
constexpr OfferedCodeFormats kOfferedCodeFormats[] = {
    {0x0184, 0x00DF, 0, 12},
    {0x0182, 0, 1, 12},
    {0x0170, 0, 1, 8},
};
constexpr std::size_t kAffixLimit = 5;
constexpr std::size_t kSerialLength = 5;
constexpr std::string_view kQueries = "vzarpcse";
constexpr std::string_view kCommands = "VPCSEZARNH";

// The parameter text of a command: bytes 2.. without the trailing spaces.
std::string_view ParameterText(std::span<const std::uint8_t> report) {
  if (report.size() <= 2) return {};
  std::string_view text(reinterpret_cast<const char*>(report.data()) + 2, report.size() - 2);
  const auto end = text.find_last_not_of(static_cast<char>(kSpace));
  return end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1);
}

bool IsPrintable(char c) { return c >= 33 && c <= 126; }

bool IsDecimal(std::string_view text) {
  return !text.empty() && text.size() <= 5 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

SimulatedReader::SimulatedReader(SimulatedIdentity identity, ReaderSettings settings)
    : identity_(std::move(identity)), settings_(std::move(settings)) {}

bool SimulatedReader::SpeaksReaderProtocol() const {
  return IsReaderIdentity(identity_.vendor_id, identity_.product_id);
}

std::vector<std::vector<std::uint8_t>> SimulatedReader::ReceivedReports() const {
  std::vector<std::vector<std::uint8_t>> received;
  for (const auto& entry : log_) {
    if (entry.direction == LoggedReport::Direction::kToDevice) received.push_back(entry.bytes);
  }
  return received;
}

void SimulatedReader::PowerOff() {
  replies_.clear();
  keyboard_reports_.clear();
  restart_pending_ = false;
}

void SimulatedReader::Record(LoggedReport::Direction direction,
                             std::span<const std::uint8_t> bytes) {
  if (log_.size() == kLogLimit) log_.pop_front();
  log_.push_back({direction, {bytes.begin(), bytes.end()}});
}

bool SimulatedReader::Receive(std::span<const std::uint8_t> report) {
  if (std::exchange(fail_next_write_, false) || access_denied_) return false;
  Record(LoggedReport::Direction::kToDevice, report);
  if (!late_report_.empty()) replies_.push_back(std::exchange(late_report_, {}));
  if (SpeaksReaderProtocol() && answering_ && report.size() >= 2) {
    replies_.push_back(Answer(report));
  }
  return true;
}

ReadOutcome SimulatedReader::Send(std::span<std::uint8_t> report) {
  if (std::exchange(fail_next_read_, false) || access_denied_) return ReadOutcome::kError;
  // A reply later than the read timeout is missed by the read and left waiting.
  if (replies_.empty() || answer_delay_ >= kReadTimeout) return ReadOutcome::kSilent;
  const std::vector<std::uint8_t> reply = std::move(replies_.front());
  replies_.pop_front();
  const std::size_t n = std::min(reply.size(), report.size());
  std::copy_n(reply.begin(), n, report.begin());
  std::fill(report.begin() + n, report.end(), 0);
  Record(LoggedReport::Direction::kFromDevice, reply);
  return ReadOutcome::kReply;
}

std::vector<std::uint8_t> SimulatedReader::Answer(std::span<const std::uint8_t> report) {
  std::vector<std::uint8_t> reply(std::max(identity_.input_report_length, 2), kSpace);
  reply[0] = 0;
  const std::uint8_t code = report[1];
  const bool is_query = kQueries.find(static_cast<char>(code)) != std::string_view::npos;
  const bool is_command = kCommands.find(static_cast<char>(code)) != std::string_view::npos;
  if (identity_.version < kFirstConfigurableVersion || !(is_query || is_command) ||
      (is_query && refused_codes_.contains(code))) {
    reply[1] = kRefused;
    return reply;
  }
  reply[1] = code;
  if (is_query) {
    const std::string text = QueryText(code);
    std::copy_n(text.begin(), std::min(text.size(), reply.size() - 2), reply.begin() + 2);
    return reply;
  }
  const std::size_t echoed = std::min(reply.size(), report.size());
  std::copy(report.begin() + 2, report.begin() + echoed, reply.begin() + 2);
  for (std::size_t position : Apply(code, report)) {
    if (position < reply.size()) reply[position] = kRefused;
  }
  return reply;
}

std::string SimulatedReader::QueryText(std::uint8_t code) const {
  if (const auto overridden = reply_overrides_.find(code); overridden != reply_overrides_.end()) {
    return overridden->second;
  }
  switch (code) {
    case 'v':
      return std::to_string(settings_.variant);
    case 'z':
      return settings_.buzzer_off ? "Z" : "";
    case 'a':
      return settings_.stand_alone ? "A" : "";
    case 'r':
      return settings_.repeat ? "R" : "";
    case 'p':
      return settings_.prefix;
    case 'c':
      return std::to_string(settings_.code_format);
    case 's':
      return settings_.suffix;
    case 'e':
      return std::string(1, static_cast<char>(settings_.ending));
    default:
      return "";
  }
}

// Carries out a command; returns the report positions it refused (nothing changes then).
std::vector<std::size_t> SimulatedReader::Apply(std::uint8_t code,
                                                std::span<const std::uint8_t> report) {
  constexpr std::size_t kFirst = 2;
  if (refused_codes_.contains(code)) return {kFirst};
  const std::uint8_t first = report.size() > kFirst ? report[kFirst] : kSpace;
  const std::string_view text = ParameterText(report);
  switch (code) {
    case 'V':
      if (first < '1' || first > '8') return {kFirst};
      settings_.variant = first - '0';
      return {};
    case 'P':
    case 'S': {
      std::vector<std::size_t> refused;
      for (std::size_t i = 0; i < text.size(); ++i) {
        if (i >= kAffixLimit || !IsPrintable(text[i])) refused.push_back(kFirst + i);
      }
      if (refused.empty()) (code == 'P' ? settings_.prefix : settings_.suffix) = text;
      return refused;
    }
    case 'C': {
      const int id = IsDecimal(text) ? std::stoi(std::string(text)) : -1;
      if (!OffersCodeFormat(id)) return {kFirst};
      settings_.code_format = id;
      return {};
    }
    case 'E':
      settings_.ending = first;
      return {};
    case 'Z':
    case 'A':
    case 'R': {
      if (first != code && first != kSpace) return {kFirst};
      bool& flag = code == 'Z'   ? settings_.buzzer_off
                   : code == 'A' ? settings_.stand_alone
                                 : settings_.repeat;
      flag = first == code;
      return {};
    }
    case 'N':
      if (text.size() != kSerialLength || !std::all_of(text.begin(), text.end(), IsPrintable)) {
        return {kFirst};
      }
      identity_.serial_number = text;
      restart_pending_ = true;
      return {};
    case 'H':
      ++indications_;
      return {};
    default:
      return {kFirst};
  }
}

bool SimulatedReader::OffersCodeFormat(int id) const {
  for (const OfferedCodeFormats& offered : kOfferedCodeFormats) {
    if (identity_.version < offered.from_release) continue;
    if (offered.product != 0 && offered.product != identity_.product_id) continue;
    return id >= offered.lowest && id <= offered.highest;
  }
  return false;
}

std::string SimulatedReader::MessageText(std::uint64_t card) const {
  if (const FixedVariant* fixed = FixedVariantOf(settings_.variant)) {
    return fixed->prefix + FormatCardCode(card, fixed->code_format).toStdString() + fixed->suffix;
  }
  return settings_.prefix + FormatCardCode(card, settings_.code_format).toStdString() +
         settings_.suffix;
}

int SimulatedReader::MessageEnding() const {
  if (const FixedVariant* fixed = FixedVariantOf(settings_.variant)) return fixed->ending;
  return settings_.ending;
}

void SimulatedReader::PresentCard(std::uint64_t card) {
  std::vector<KeyStroke> keys;
  for (char c : MessageText(card)) {
    if (const auto key = KeyForCharacter(c)) keys.push_back(*key);
  }
  if (const auto ending = KeyForEnding(MessageEnding())) keys.push_back(*ending);
  for (auto& report : TypingReports(keys)) {
    if (keyboard_reports_.size() == kKeyboardReportLimit) keyboard_reports_.pop_front();
    keyboard_reports_.push_back(std::move(report));
  }
}

bool SimulatedReader::TakeKeyboardReport(std::vector<std::uint8_t>& report) {
  if (keyboard_reports_.empty()) return false;
  report = std::move(keyboard_reports_.front());
  keyboard_reports_.pop_front();
  return true;
}

}  // namespace kx12r
