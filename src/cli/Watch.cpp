// Watching the card messages readers type on their keyboard interfaces.
#include "cli/Watch.h"

#include "base/MessageBox.h"
#include "reader/DeviceReading.h"
#include "reader/ReaderSettings.h"
#include "shown/ReaderMessages.h"

namespace kx12r::cli {
namespace {

// A key as a message shows it: the character it types, or its name when it types none.
QString Shown(const QString& character, const KeyStroke& key) {
  return character.isEmpty() ? KeyName(key) : character;
}

bool Fits(const CardVerdict& verdict) { return verdict.kind == CardVerdict::Kind::kMatches; }

}  // namespace

MessageAssembler::MessageAssembler(QString serial_number, ReaderFrame frame)
    : serial_number_(std::move(serial_number)),
      frame_(std::move(frame)),
      ending_key_(frame_.frame ? KeyForEnding(frame_.frame->ending) : std::nullopt),
      // The assembler is moved into place, so the check keeps its own copy of the ending key.
      keys_(ending_key_
                ? [ending = *ending_key_](const KeyStroke& key) { return IsKey(key, ending); }
                : std::function<bool(const KeyStroke&)>(),
            kMessagePause, kMessageStall) {}

bool MessageAssembler::IsKey(const KeyStroke& key, const KeyStroke& ending) {
  return key.usage == ending.usage && key.ctrl == ending.ctrl;
}

std::optional<TypedMessage> MessageAssembler::Key(const KeyStroke& key,
                                                  std::chrono::milliseconds now) {
  if (auto keys = keys_.Add(key, now)) return Finish(*keys);
  if (keys_.Pending().size() >= kLongestMessage) return Finish(keys_.Flush());
  return std::nullopt;
}

std::optional<TypedMessage> MessageAssembler::Idle(std::chrono::milliseconds now) {
  if (auto keys = keys_.Idle(now)) return Finish(*keys);
  return std::nullopt;
}

QString MessageAssembler::Pending() const {
  QString typed;
  for (const KeyStroke& key : keys_.Pending()) typed += Shown(UsCharacter(key), key);
  return typed;
}

TypedMessage MessageAssembler::Finish(const std::vector<KeyStroke>& keys) const {
  const bool ended_by_key = ending_key_ && !keys.empty() && IsKey(keys.back(), *ending_key_);
  ReceivedKeys us, russian;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    // The ending key is shown by its name, whatever it types.
    const bool ending = ended_by_key && i + 1 == keys.size();
    us << (ending ? KeyName(keys[i]) : Shown(UsCharacter(keys[i]), keys[i]));
    russian << (ending ? KeyName(keys[i]) : Shown(RussianCharacter(keys[i]), keys[i]));
  }
  return {serial_number_,
          us,
          us.join(QString()),
          russian.join(QString()),
          ended_by_key ? us.last().mid(1, us.last().size() - 2) : QString(),
          JudgeCardRead(us, frame_)};
}

WatchSession::WatchSession(KeyboardInputs& keyboards, QString serial_number, Readers readers,
                           Events events)
    : keyboards_(keyboards),
      serial_number_(std::move(serial_number)),
      readers_(std::move(readers)),
      events_(std::move(events)) {}

bool WatchSession::GaveUpWaiting(std::chrono::milliseconds now) const {
  return WaitingForReader() && first_step_ && now - *first_step_ >= kWaitForReader;
}

void WatchSession::Rescan() {
  std::set<QString> present;
  for (const KeyboardInterface& found : keyboards_.Interfaces()) {
    if (!serial_number_.isEmpty() && found.serial_number != serial_number_) continue;
    present.insert(found.id);
    if (watched_.contains(found.id)) continue;
    seen_ = true;
    // Asked at every connection: the reader may have been set anew while it was away.
    const auto layout = ParseKeyboardLayout(keyboards_.Descriptor(found.id));
    watched_.emplace(
        found.id,
        Watched{found.serial_number, KeyboardDecoder(layout.value_or(BootKeyboardLayout())),
                MessageAssembler(found.serial_number, readers_.frame(found.serial_number))});
    told_waiting_ = false;
  }
  for (auto it = watched_.begin(); it != watched_.end();) {
    const QString id = (it++)->first;
    if (!present.contains(id)) Gone(id);
  }
  if (watched_.empty() && !told_waiting_) {
    told_waiting_ = true;
    events_.note(serial_number_.isEmpty() ? kNoDevices + QStringLiteral(". Ожидание считывателя.")
                                          : QStringLiteral("Ожидание считывателя ") +
                                                Quoted(serial_number_) + QStringLiteral("."));
  }
}

void WatchSession::Gone(const QString& id) {
  const auto it = watched_.find(id);
  if (it == watched_.end()) return;
  QString note = QStringLiteral("Считыватель ") + Quoted(it->second.serial_number) +
                 QStringLiteral(" отключен.");
  if (!it->second.assembler.Pending().isEmpty()) {
    note += QStringLiteral(" Неоконченная посылка ") + Quoted(it->second.assembler.Pending()) +
            QStringLiteral(" отброшена.");
  }
  watched_.erase(it);
  events_.note(note);
}

void WatchSession::Tell(Watched& watched, TypedMessage message) {
  if (!Fits(message.verdict)) {
    // Judged again against what the reader says now; the next messages are judged by that too.
    ReaderFrame now = readers_.frame(watched.serial_number);
    if (now.frame != watched.assembler.Frame().frame) {
      message.verdict = JudgeCardRead(message.keys, now);
      watched.assembler = MessageAssembler(watched.serial_number, std::move(now));
    }
  }
  events_.message(message);
}

void WatchSession::ReadReports(const QString& id, Watched& watched, std::chrono::milliseconds now,
                               bool rescanned, std::vector<QString>& gone) {
  // A reader we may not read is tried again with each rescan, quietly.
  if (watched.access == Access::kDenied && !rescanned) return;
  std::vector<std::uint8_t> report;
  KeyboardInputs::ReadResult result = keyboards_.Read(id, report);
  if (result == KeyboardInputs::ReadResult::kDenied) {
    if (watched.access != Access::kDenied) events_.note(readers_.no_access(watched.serial_number));
    watched.access = Access::kDenied;
    return;
  }
  if (result != KeyboardInputs::ReadResult::kGone && watched.access != Access::kReading) {
    watched.access = Access::kReading;
    events_.note(QStringLiteral("Считыватель ") + Quoted(watched.serial_number) +
                 QStringLiteral(": ожидание карты."));
  }
  for (; result == KeyboardInputs::ReadResult::kReport; result = keyboards_.Read(id, report)) {
    for (const KeyStroke& key : watched.decoder.Feed(report)) {
      if (auto message = watched.assembler.Key(key, now)) Tell(watched, std::move(*message));
    }
  }
  if (result == KeyboardInputs::ReadResult::kGone) return gone.push_back(id);
  if (auto message = watched.assembler.Idle(now)) Tell(watched, std::move(*message));
}

void WatchSession::Step(std::chrono::milliseconds now) {
  if (!first_step_) first_step_ = now;
  const bool rescan = !last_scan_ || now - *last_scan_ >= kRescan;
  if (rescan) {
    last_scan_ = now;
    Rescan();
  }
  std::vector<QString> gone;
  for (auto& [id, watched] : watched_) ReadReports(id, watched, now, rescan, gone);
  for (const QString& id : gone) Gone(id);
}

}  // namespace kx12r::cli
