#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "reader/ConnectedReader.h"

namespace kx12r {

// What a reader is set to type around a card's code.
struct CardFrame {
  QString prefix;
  QString suffix;
  int ending = 0;  // the ending key's character code; 0: no ending key
};

// The frame of a variant: a fixed variant's own, variant 8's from the reader's settings; nothing
// for a number no variant has.
std::optional<CardFrame> FrameOfVariant(int variant, const QString& prefix, const QString& suffix,
                                        int ending);

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

// A read as the receiving program got it, a key an entry: the character it typed, or "<Name>"
// for a key that types none.
using ReceivedKeys = QStringList;

// What a read says about the reader and the program that received it.
struct CardVerdict {
  enum class Kind { kMatches, kDiffers, kRussianLayout, kCapsLock, kNothingToCompare };
  Kind kind;
  QString text;  // one sentence for the technician
};

// Compares a read with the frame the reader is set to send, or says why there is nothing to
// compare it with.
CardVerdict JudgeCardRead(const ReceivedKeys& received, const ReaderFrame& reader);

// The fixed word of a verdict, for scripts: "matches", "differs", "russian_layout",
// "caps_lock"; empty when there was nothing to compare with.
QString VerdictWord(CardVerdict::Kind kind);

}  // namespace kx12r
