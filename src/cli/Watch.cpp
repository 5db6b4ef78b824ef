// Watching the card messages readers type on their keyboard interfaces.
#include "cli/Watch.h"

#include "base/MessageBox.h"
#include "reader/DeviceReading.h"
#include "reader/ReaderSettings.h"

namespace kx12r::cli {
namespace {

// A key as a message shows it: the character it types, or its name when it types none.
QString Shown(const QString& character, const KeyStroke& key) {
  return character.isEmpty() ? KeyName(key) : character;
}

}  // namespace

MessageAssembler::MessageAssembler(QString serial_number, ReaderFrame frame)
    : serial_number_(std::move(serial_number)),
      frame_(std::move(frame)),
      ending_key_(frame_.frame ? KeyForEnding(frame_.frame->ending) : std::nullopt),
      // The assembler is moved into place, so the check keeps its own copy of the ending key.
      keys_(ending_key_
                ? [ending = *ending_key_](const KeyStroke& key) { return IsKey(key, ending); }
                : std::function<bool(const KeyStroke&)>(),
            kMessagePause) {}

bool MessageAssembler::IsKey(const KeyStroke& key, const KeyStroke& ending) {
  return key.usage == ending.usage && key.ctrl == ending.ctrl;
}

std::optional<TypedMessage> MessageAssembler::Key(const KeyStroke& key,
                                                  std::chrono::milliseconds now) {
  if (auto keys = keys_.Add(key, now)) return Finish(*keys);
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
  return {serial_number_, us.join(QString()), russian.join(QString()),
          ended_by_key ? us.last().mid(1, us.last().size() - 2) : QString(),
          JudgeCardRead(us, frame_)};
}

WatchSession::WatchSession(KeyboardInputs& keyboards, QString serial_number,
                           std::function<ReaderFrame(const QString&)> frames, Events events)
    : keyboards_(keyboards),
      serial_number_(std::move(serial_number)),
      frames_(std::move(frames)),
      events_(std::move(events)) {}

void WatchSession::Rescan() {
  std::set<QString> present;
  for (const KeyboardInterface& found : keyboards_.Interfaces()) {
    if (!serial_number_.isEmpty() && found.serial_number != serial_number_) continue;
    present.insert(found.id);
    if (watched_.contains(found.id)) continue;
    const auto layout = ParseKeyboardLayout(keyboards_.Descriptor(found.id));
    watched_.emplace(
        found.id,
        Watched{found.serial_number, KeyboardDecoder(layout.value_or(BootKeyboardLayout())),
                MessageAssembler(found.serial_number, frames_(found.serial_number))});
    events_.note(QStringLiteral("Считыватель ") + Quoted(found.serial_number) +
                 QStringLiteral(": ожидание карты."));
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

void WatchSession::Step(std::chrono::milliseconds now) {
  if (!last_scan_ || now - *last_scan_ >= kRescan) {
    last_scan_ = now;
    Rescan();
  }
  std::vector<QString> gone;
  for (auto& [id, watched] : watched_) {
    std::vector<std::uint8_t> report;
    KeyboardInputs::ReadResult result;
    while ((result = keyboards_.Read(id, report)) == KeyboardInputs::ReadResult::kReport) {
      for (const KeyStroke& key : watched.decoder.Feed(report)) {
        if (auto message = watched.assembler.Key(key, now)) events_.message(*message);
      }
    }
    if (result == KeyboardInputs::ReadResult::kGone) {
      gone.push_back(id);
    } else if (auto message = watched.assembler.Idle(now)) {
      events_.message(*message);
    }
  }
  for (const QString& id : gone) Gone(id);
}

}  // namespace kx12r::cli
