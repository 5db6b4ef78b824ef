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
  ReceivedKeys keys;    // as the US layout types them, keys that type nothing shown by name
  QString typed;        // the same keys as one text
  QString russian;      // what a Russian layout puts into an application instead
  QString ending;       // the name of the key that ended it; empty when a pause did
  CardVerdict verdict;  // against what the reader is set to send
};

// How long a message that ends with no key waits for its next key before it counts as done, and
// how long one waits for an ending key that does not come (as the window's card test does).
inline constexpr std::chrono::milliseconds kMessagePause{100};
inline constexpr std::chrono::milliseconds kMessageStall{1000};
// Keys in one message at most: a stream without pause or ending is cut there.
inline constexpr std::size_t kLongestMessage = 4096;

// Gathers the keys one reader types into messages: a message ends at the reader's ending key,
// after kMessageStall when that key does not come, or, when the reader sends none (or its frame
// is not known), after kMessagePause without keys.
class MessageAssembler {
 public:
  MessageAssembler(QString serial_number, ReaderFrame frame);

  std::optional<TypedMessage> Key(const KeyStroke& key, std::chrono::milliseconds now);
  std::optional<TypedMessage> Idle(std::chrono::milliseconds now);
  // What has been typed of a message not finished yet.
  QString Pending() const;
  const ReaderFrame& Frame() const { return frame_; }

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
  // What a reader is set to send, asked of the reader itself, by its serial number; and the
  // access message for a reader whose keyboard interface the system does not let us read.
  struct Readers {
    std::function<ReaderFrame(const QString& serial_number)> frame;
    std::function<QString(const QString& serial_number)> no_access;
  };

  // Only the reader `serial_number` when it is not empty.
  WatchSession(KeyboardInputs& keyboards, QString serial_number, Readers readers, Events events);

  // Looks for readers come and gone (every kRescan), reads every report waiting, and finishes
  // messages that ended with a pause. A message that does not fit what its reader was set to
  // send asks the reader again: it may have been set anew since.
  void Step(std::chrono::milliseconds now);
  // With a serial number given: the reader has not come yet, or not within kWaitForReader of the
  // first step.
  bool WaitingForReader() const { return !serial_number_.isEmpty() && !seen_; }
  bool GaveUpWaiting(std::chrono::milliseconds now) const;

  static constexpr std::chrono::milliseconds kRescan{500};
  static constexpr std::chrono::milliseconds kWaitForReader{30000};

 private:
  enum class Access { kUnknown, kReading, kDenied };
  struct Watched {
    QString serial_number;
    KeyboardDecoder decoder;
    MessageAssembler assembler;
    Access access = Access::kUnknown;
  };

  void Rescan();
  void Gone(const QString& id);
  void ReadReports(const QString& id, Watched& watched, std::chrono::milliseconds now,
                   bool rescanned, std::vector<QString>& gone);
  void Tell(Watched& watched, TypedMessage message);

  KeyboardInputs& keyboards_;
  QString serial_number_;
  Readers readers_;
  Events events_;
  std::map<QString, Watched> watched_;
  std::optional<std::chrono::milliseconds> first_step_, last_scan_;
  bool told_waiting_ = false;
  bool seen_ = false;  // the reader asked for has been there
};

}  // namespace kx12r::cli
