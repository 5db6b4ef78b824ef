// Watching the card messages readers type on their keyboard interfaces.
#include "cli/Watch.h"

#include "base/MessageBox.h"
#include "reader/DeviceReading.h"
#include "reader/ReaderSettings.h"

namespace kx12r::cli {

MessageAssembler::MessageAssembler(QString serial_number, int ending)
    : serial_number_(std::move(serial_number)), ending_key_(KeyForEnding(ending)) {}

std::optional<TypedMessage> MessageAssembler::Key(const KeyStroke& key,
                                                  std::chrono::milliseconds now) {
  last_key_ = now;
  if (ending_key_ && key.usage == ending_key_->usage && key.ctrl == ending_key_->ctrl) {
    return Finish(KeyName(key));
  }
  const QString us = UsCharacter(key);
  const QString russian = RussianCharacter(key);
  // A key that types nothing, or a blank inside a message, is shown for what it is.
  typed_ += us.isEmpty() ? KeyName(key) : us;
  russian_ += russian.isEmpty() ? KeyName(key) : russian;
  return std::nullopt;
}

std::optional<TypedMessage> MessageAssembler::Idle(std::chrono::milliseconds now) {
  if (ending_key_ || typed_.isEmpty() || now - last_key_ < kMessagePause) return std::nullopt;
  return Finish(QString());
}

std::optional<TypedMessage> MessageAssembler::Finish(const QString& ending) {
  TypedMessage message{serial_number_, typed_ + ending, russian_ + ending,
                       ending.mid(1, ending.size() - 2)};
  typed_.clear();
  russian_.clear();
  return message;
}

int MessageEnding(int variant, int ending_code) {
  if (const FixedVariant* fixed = FixedVariantOf(variant)) return fixed->ending;
  return variant == kChangeableVariant ? ending_code : 0;
}

WatchSession::WatchSession(KeyboardInputs& keyboards, QString serial_number,
                           std::function<int(const QString&)> endings, Events events)
    : keyboards_(keyboards),
      serial_number_(std::move(serial_number)),
      endings_(std::move(endings)),
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
                MessageAssembler(found.serial_number, endings_(found.serial_number))});
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
