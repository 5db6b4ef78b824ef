#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "reader/HidLibrary.h"

namespace kx12r {

// What the USB descriptors of a simulated device say.
struct SimulatedIdentity {
  std::uint16_t vendor_id = 0x04D8;
  std::uint16_t product_id = 0x0002;
  std::uint16_t version = 0x0184;  // release number: 0x0184 is firmware 1.84
  std::string serial_number;
  std::string product_name;
  std::string vendor_name;
  int input_report_length = kDefaultReportLength;
  int output_report_length = kDefaultReportLength;
};

// A reader's stored configuration, kept across unplugging.
struct ReaderSettings {
  int variant = 1;  // message variant 1..8
  std::string prefix;
  std::string suffix;
  int code_format = 1;  // id of a code format
  int ending = 13;      // character code of the ending key
  bool buzzer_off = false;
  bool stand_alone = false;
  bool repeat = false;
};

// What a read finds at the device.
enum class ReadOutcome { kReply, kError, kSilent };

struct LoggedReport {
  enum class Direction { kToDevice, kFromDevice };
  Direction direction;
  std::vector<std::uint8_t> bytes;
};

// One simulated HID device. With vendor 04D8, a reader product id and firmware 1.70 or later it
// speaks the reader protocol: queries v z a r p c s e are answered with their text padded with
// spaces, commands V P C S E Z A R N H are echoed, and an unknown code gets 127 in byte 1.
// It refuses (127 at the refused position of the echo):
//   V  a variant other than "1".."8";
//   P, S  more than five characters (each one past the fifth) or a character outside 33..126;
//   C  anything but the decimal id of a code format the firmware offers: 1..8 below 1.82,
//      1..12 from 1.82, and also 0 on product 00DF from 1.84;
//   Z, A, R  a parameter other than the command's letter or a space;
//   N  a serial number that is not five characters in 33..126.
// After an accepted N it restarts: gone for one enumeration, then back with the new number.
// Firmware below 1.70 answers everything with 127 in byte 1. Other devices never answer.
class SimulatedReader {
 public:
  SimulatedReader(SimulatedIdentity identity, ReaderSettings settings);

  const SimulatedIdentity& Identity() const { return identity_; }
  SimulatedIdentity& Identity() { return identity_; }
  const ReaderSettings& Settings() const { return settings_; }
  ReaderSettings& Settings() { return settings_; }
  bool SpeaksReaderProtocol() const;
  int IndicationCount() const { return indications_; }

  // Fault injection.
  void FailNextWrite() { fail_next_write_ = true; }
  void FailNextRead() { fail_next_read_ = true; }
  void RefuseCommand(char code) { refused_codes_.insert(static_cast<std::uint8_t>(code)); }
  void SetAnswering(bool answering) { answering_ = answering; }
  // A reply later than the read timeout is missed by the read and left waiting.
  void SetAnswerDelay(std::chrono::milliseconds delay) { answer_delay_ = delay; }
  void SetAccessDenied(bool denied) { access_denied_ = denied; }
  // A report that arrives after the next write has drained the waiting ones, ahead of that
  // write's reply: a reply to an earlier command that came late.
  void SendLateReport(std::vector<std::uint8_t> report) { late_report_ = std::move(report); }
  // A card held to the reader: its keyboard interface types the message the reader's variant
  // makes of the card's 40-bit code (prefix, code, suffix, ending key), as key-down and key-up
  // boot-keyboard reports.
  void PresentCard(std::uint64_t card);
  // The next report of the keyboard interface (byte 0 the report number); false when none. As
  // a hidraw node does, it keeps the latest kKeyboardReportLimit reports nobody took.
  bool TakeKeyboardReport(std::vector<std::uint8_t>& report);
  static constexpr std::size_t kKeyboardReportLimit = 64;
  // The text the reader types for a card, ending key aside, and the ending's character code
  // (0: the variant ends with no key).
  std::string MessageText(std::uint64_t card) const;
  int MessageEnding() const;

  // Answers the query `code` with `text` instead of the setting it asks for.
  void OverrideReply(char code, std::string text) {
    reply_overrides_[static_cast<std::uint8_t>(code)] = std::move(text);
  }
  bool AccessDenied() const { return access_denied_; }

  std::chrono::milliseconds AnswerDelay() const { return answer_delay_; }

  // The reports the device received and sent, in order: the latest kLogLimit of them.
  static constexpr std::size_t kLogLimit = 4096;
  const std::deque<LoggedReport>& Log() const { return log_; }
  std::vector<std::vector<std::uint8_t>> ReceivedReports() const;
  void ClearLog() { log_.clear(); }

 private:
  friend class SimulatedHidLibrary;

  bool Receive(std::span<const std::uint8_t> report);
  ReadOutcome Send(std::span<std::uint8_t> report);
  void DropWaitingReplies() { replies_.clear(); }
  // What a device keeps when it is unplugged: its identity and settings only.
  void PowerOff();

  void Record(LoggedReport::Direction direction, std::span<const std::uint8_t> bytes);
  std::vector<std::uint8_t> Answer(std::span<const std::uint8_t> report);
  std::string QueryText(std::uint8_t code) const;
  std::vector<std::size_t> Apply(std::uint8_t code, std::span<const std::uint8_t> report);
  bool OffersCodeFormat(int id) const;

  SimulatedIdentity identity_;
  ReaderSettings settings_;
  std::deque<std::vector<std::uint8_t>> replies_;
  std::vector<std::uint8_t> late_report_;
  std::deque<LoggedReport> log_;
  std::deque<std::vector<std::uint8_t>> keyboard_reports_;
  std::set<std::uint8_t> refused_codes_;
  std::map<std::uint8_t, std::string> reply_overrides_;
  std::chrono::milliseconds answer_delay_{0};
  bool fail_next_write_ = false;
  bool fail_next_read_ = false;
  bool answering_ = true;
  bool access_denied_ = false;
  bool restart_pending_ = false;
  int indications_ = 0;
};

}  // namespace kx12r
