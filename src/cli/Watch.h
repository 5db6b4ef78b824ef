#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "reader/CardRead.h"
#include "reader/HidLibrary.h"
#include "reader/KeyboardInputs.h"
#include "reader/KeyboardText.h"
#include "reader/ReadAssembler.h"

namespace kx12r::cli {

// One card message as a reader typed it.
struct TypedMessage {
  QString serial_number;
  QString typed;        // as the US layout types it, keys that type nothing shown by name
  QString russian;      // what a Russian layout puts into an application instead
  QString ending;       // the name of the key that ended it; empty when a pause did
  CardVerdict verdict;  // against what the reader is set to send
};

// How long a message that ends with no key waits for its next key before it counts as done.
inline constexpr std::chrono::milliseconds kMessagePause{100};

// Gathers the keys one reader types into messages: a message ends at the reader's ending key,
// or, when the reader sends none (or its frame is not known), after kMessagePause without keys.
class MessageAssembler {
 public:
  MessageAssembler(QString serial_number, ReaderFrame frame);

  std::optional<TypedMessage> Key(const KeyStroke& key, std::chrono::milliseconds now);
  std::optional<TypedMessage> Idle(std::chrono::milliseconds now);
  // What has been typed of a message not finished yet.
  QString Pending() const;

 private:
  static bool IsKey(const KeyStroke& key, const KeyStroke& ending);
  TypedMessage Finish(const std::vector<KeyStroke>& keys) const;

  QString serial_number_;
  ReaderFrame frame_;
  std::optional<KeyStroke> ending_key_;
  ReadAssembler<KeyStroke> keys_;
};

// Watches the keyboard interfaces of the readers, one step at a time.
class WatchSession {
 public:
  struct Events {
    std::function<void(const TypedMessage&)> message;
    std::function<void(const QString& text)> note;  // a reader came, went, or none is there
  };

  // Only the reader `serial_number` when it is not empty; `frames` tells what a reader is set to
  // send, by its serial number.
  WatchSession(KeyboardInputs& keyboards, QString serial_number,
               std::function<ReaderFrame(const QString& serial_number)> frames, Events events);

  // Looks for readers come and gone (every kRescan), reads every report waiting, and finishes
  // messages that ended with a pause.
  void Step(std::chrono::milliseconds now);

  static constexpr std::chrono::milliseconds kRescan{500};

 private:
  struct Watched {
    QString serial_number;
    KeyboardDecoder decoder;
    MessageAssembler assembler;
  };

  void Rescan();
  void Gone(const QString& id);

  KeyboardInputs& keyboards_;
  QString serial_number_;
  std::function<ReaderFrame(const QString&)> frames_;
  Events events_;
  std::map<QString, Watched> watched_;
  std::optional<std::chrono::milliseconds> last_scan_;
  bool told_waiting_ = false;
};

}  // namespace kx12r::cli
