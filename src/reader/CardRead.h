#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "reader/CodeFormats.h"
#include "reader/ConnectedReader.h"

namespace kx12r {

// What a reader is set to type around a card's code, and the code's format.
struct CardFrame {
  QString prefix;
  QString suffix;
  int ending = 0;                  // the ending key's character code; 0: no ending key
  std::optional<int> code_format;  // nothing: the reader gave none
  bool operator==(const CardFrame&) const = default;
};

// The frame of a variant: a fixed variant's own, variant 8's from the reader's settings; nothing
// for a number no variant has.
std::optional<CardFrame> FrameOfVariant(int variant, const QString& prefix, const QString& suffix,
                                        int ending, std::optional<int> code_format);

// What a reader is set to send, or why nothing can be known of it.
struct ReaderFrame {
  std::optional<CardFrame> frame;
  QString why_nothing;  // when there is no frame
};

// The frame a connected reader sends; nothing, with why, for one the program may not open or
// cannot configure.
ReaderFrame FrameOfReader(const ConnectedReader& reader);

// When no reader is chosen.
inline const QString kNoReaderChosen = QStringLiteral("считыватель не выбран");

// How the ending key of this character code shows in a read ("<Enter>", "<Ctrl+Enter>",
// "<Tab>", ...); empty for no ending.
QString EndingKeyShown(int code);

// The message a frame makes, in words: "#K, затем 10 шестнадцатеричных цифр (RAW_HEX), затем
// Enter".
QString DescribeFrame(const CardFrame& frame);

// What a program with the Russian layout receives of the frame's prefix and suffix around the
// code ("№Л…"); empty when that layout types them as the reader means them.
QString RussianLayoutForm(const CardFrame& frame);
// What the Russian layout types with the keys that type `text` in the US layout.
QString TypedInRussianLayout(const QString& text);

// A read as the receiving program got it, a key an entry: the character it typed, or "<Name>"
// for a key that types none.
using ReceivedKeys = QStringList;

// What a read says about the reader and the program that received it.
struct CardVerdict {
  enum class Kind {
    kMatches,
    kDiffers,
    kRussianLayout,
    kCapsLock,
    kCapsLockRussianLayout,
    kNothingToCompare
  };
  Kind kind;
  QString text;  // the whole verdict, for the technician
  QString brief;  // a word or two: "Совпадает", "Код", "Русская раскладка"
  // Whether the code was valid for its format once read as the reader typed it; nothing when it
  // was not checked (no frame, a format the program does not know, or the frame already differs).
  std::optional<bool> code_valid;
  std::optional<DecodedCard> card;  // the card the code carries, when valid
};

// Compares a read with the frame the reader is set to send, or says why there is nothing to
// compare it with. `caps_lock` is the keyboard's Caps Lock when the read's keys told it; without
// it, Caps Lock is named only when inverting the letters' case makes the whole read fit.
CardVerdict JudgeCardRead(const ReceivedKeys& received, const ReaderFrame& reader,
                          std::optional<bool> caps_lock = std::nullopt);

// The fixed word of a verdict, for scripts: "matches", "differs", "russian_layout",
// "caps_lock", "caps_lock_russian_layout"; empty when there was nothing to compare with.
QString VerdictWord(CardVerdict::Kind kind);

}  // namespace kx12r
