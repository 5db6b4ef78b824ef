// A card read against the reader's frame: matched, or what differs and why.
#include "reader/CardRead.h"

#include <QHash>

#include "base/MessageBox.h"
#include "reader/KeyboardText.h"
#include "reader/ReaderSettings.h"

namespace kx12r {
namespace {

using Kind = CardVerdict::Kind;

bool IsNamedKey(const QString& key) { return key.size() > 1 && key.startsWith(QLatin1Char('<')); }

// A read cut into what came before the ending key and the ending key itself.
struct SplitRead {
  ReceivedKeys body;
  QString ending;  // "<Name>", empty for none
};

SplitRead Split(const ReceivedKeys& received) {
  // A key that types nothing, last, is the ending the reader sent, expected or not.
  if (!received.isEmpty() && IsNamedKey(received.last())) {
    return {received.mid(0, received.size() - 1), received.last()};
  }
  return {received, QString()};
}

ReceivedKeys KeysOf(const QString& text) {
  ReceivedKeys keys;
  for (const QChar c : text) keys << QString(c);
  return keys;
}

// The code's fault against its format; empty when it is valid or cannot be checked.
struct CodeOutcome {
  std::optional<bool> valid;
  std::optional<DecodedCard> card;
  QString fault;
};

CodeOutcome CheckCodeKeys(const ReceivedKeys& code, const std::optional<int>& format_id) {
  const CodeFormat* format = format_id ? FindCodeFormat(*format_id) : nullptr;
  if (format == nullptr) return {};
  for (const QString& key : code) {
    if (IsNamedKey(key))
      return {false, std::nullopt,
              QStringLiteral("клавиша ") + key + QStringLiteral(" внутри кода")};
  }
  const CodeCheck check = CheckCode(code.join(QString()), *format);
  return {check.card.has_value(), check.card, check.fault};
}

// How a read lines up with the frame it is compared with.
struct Parts {
  const CardFrame& frame;
  ReceivedKeys prefix, code, suffix;
  QString ending, expected_ending;
  CodeOutcome code_check;
  bool prefix_ok, suffix_ok, ending_ok;
  bool All() const { return prefix_ok && suffix_ok && ending_ok && code_check.valid != false; }
};

Parts Compare(const ReceivedKeys& received, const CardFrame& frame) {
  const SplitRead read = Split(received);
  const ReceivedKeys prefix = KeysOf(frame.prefix);
  const ReceivedKeys suffix = KeysOf(frame.suffix);
  const qsizetype size = read.body.size();
  const bool prefix_there = read.body.mid(0, prefix.size()) == prefix;
  const bool suffix_there = size >= suffix.size() && read.body.mid(size - suffix.size()) == suffix;
  // A read too short for its frame blames the part that is missing, never one that is there.
  qsizetype prefix_size = 0, suffix_size = 0;
  if (prefix_there && suffix_there && size >= prefix.size() + suffix.size()) {
    prefix_size = prefix.size();
    suffix_size = suffix.size();
  } else if (suffix_there && !prefix_there) {
    suffix_size = suffix.size();
    prefix_size = std::min(prefix.size(), size - suffix_size);
  } else {
    prefix_size = std::min(prefix.size(), size);
    suffix_size = std::min(suffix.size(), size - prefix_size);
  }
  Parts parts{.frame = frame,
              .prefix = read.body.mid(0, prefix_size),
              .code = read.body.mid(prefix_size, size - prefix_size - suffix_size),
              .suffix = read.body.mid(size - suffix_size),
              .ending = read.ending,
              .expected_ending = EndingKeyShown(frame.ending),
              .code_check = {},
              .prefix_ok = false,
              .suffix_ok = false,
              .ending_ok = false};
  parts.prefix_ok = parts.prefix == prefix;
  parts.suffix_ok = parts.suffix == suffix;
  parts.ending_ok = parts.ending == parts.expected_ending;
  // Where the frame is not there, the code's place is not known either.
  if (parts.prefix_ok && parts.suffix_ok)
    parts.code_check = CheckCodeKeys(parts.code, frame.code_format);
  return parts;
}

// The keys of the US layout by what the Russian layout types with them.
const QHash<QString, QString>& UsByRussian() {
  static const QHash<QString, QString> table = [] {
    QHash<QString, QString> by_russian;
    for (int usage = 0; usage <= 0xFF; ++usage) {
      for (const bool shift : {false, true}) {
        const KeyStroke key{.usage = static_cast<std::uint8_t>(usage), .shift = shift};
        const QString russian = RussianCharacter(key);
        if (!russian.isEmpty() && !by_russian.contains(russian)) {
          by_russian.insert(russian, UsCharacter(key));
        }
      }
    }
    return by_russian;
  }();
  return table;
}

// The same keys as the US layout types them.
ReceivedKeys AsUsLayout(const ReceivedKeys& received) {
  ReceivedKeys keys;
  for (const QString& key : received) keys << UsByRussian().value(key, key);
  return keys;
}

ReceivedKeys WithCaseInverted(const ReceivedKeys& received) {
  ReceivedKeys keys;
  for (const QString& key : received) {
    const QChar c = key.size() == 1 ? key.front() : QChar();
    keys << (c.isLower() ? key.toUpper() : c.isUpper() ? key.toLower() : key);
  }
  return keys;
}

QString EndingName(const QString& shown) {
  return shown.isEmpty() ? QStringLiteral("Нет") : shown.mid(1, shown.size() - 2);
}

QString Affix(const QString& word, const QString& missing, const ReceivedKeys& keys) {
  return keys.isEmpty() ? missing : word + QStringLiteral(" ") + Quoted(keys.join(QString()));
}

QString NotChecked(const CardFrame& frame) {
  if (!frame.code_format) return QStringLiteral(" Код не проверен: формат кода неизвестен.");
  if (FindCodeFormat(*frame.code_format) == nullptr) {
    return QStringLiteral(" Код не проверен: формат кода ") + QString::number(*frame.code_format) +
           QStringLiteral(" программе неизвестен.");
  }
  return QString();
}

QString Matched(const Parts& parts) {
  return QStringLiteral("Совпадает с настройками считывателя: ") +
         Affix(QStringLiteral("префикс"), QStringLiteral("без префикса"), parts.prefix) +
         QStringLiteral(", код ") + Quoted(parts.code.join(QString())) + QStringLiteral(", ") +
         Affix(QStringLiteral("суффикс"), QStringLiteral("без суффикса"), parts.suffix) +
         QStringLiteral(", ") +
         (parts.expected_ending.isEmpty()
              ? QStringLiteral("без окончания")
              : QStringLiteral("окончание ") + EndingName(parts.expected_ending)) +
         QStringLiteral(".") + NotChecked(parts.frame);
}

QString Arrived(const QString& text) {
  return text.isEmpty() ? QStringLiteral("ничего") : Quoted(text);
}

CardVerdict Differed(const Parts& parts) {
  QStringList wrong, words;
  const auto part = [&](const QString& what, const QString& got, const QString& set) {
    wrong << what + QStringLiteral(": пришло ") + Arrived(got) + QStringLiteral(", задано ") +
                 Arrived(set);
  };
  if (!parts.prefix_ok) {
    part(QStringLiteral("префикс"), parts.prefix.join(QString()), parts.frame.prefix);
    words << QStringLiteral("префикс");
  }
  if (parts.code_check.valid == false) {
    wrong << QStringLiteral("код: ") + parts.code_check.fault;
    words << QStringLiteral("код");
  }
  if (!parts.suffix_ok) {
    part(QStringLiteral("суффикс"), parts.suffix.join(QString()), parts.frame.suffix);
    words << QStringLiteral("суффикс");
  }
  if (!parts.ending_ok) {
    wrong << QStringLiteral("окончание: пришло ") +
                 (parts.ending.isEmpty() ? QStringLiteral("ничего") : EndingName(parts.ending)) +
                 QStringLiteral(", задано ") + EndingName(parts.expected_ending);
    words << QStringLiteral("окончание");
  }
  QString brief = words.join(QStringLiteral(", "));
  brief[0] = brief[0].toUpper();
  return {Kind::kDiffers,
          QStringLiteral("Не совпадает с настройками считывателя: ") +
              wrong.join(QStringLiteral("; ")) + QStringLiteral("."),
          brief, parts.code_check.valid, std::nullopt};
}

CardVerdict Verdict(Kind kind, QString text, QString brief, const Parts& fitting) {
  return {kind, std::move(text), std::move(brief), fitting.code_check.valid,
          fitting.code_check.card};
}

}  // namespace

std::optional<CardFrame> FrameOfVariant(int variant, const QString& prefix, const QString& suffix,
                                        int ending, std::optional<int> code_format) {
  if (const FixedVariant* fixed = FixedVariantOf(variant)) {
    return CardFrame{QString::fromLatin1(fixed->prefix), QString::fromLatin1(fixed->suffix),
                     fixed->ending, fixed->code_format};
  }
  if (variant == kChangeableVariant) return CardFrame{prefix, suffix, ending, code_format};
  return std::nullopt;
}

QString EndingKeyShown(int code) {
  const std::optional<KeyStroke> key = KeyForEnding(code);
  return key ? KeyName(*key) : QString();
}

ReaderFrame FrameOfReader(const ConnectedReader& reader) {
  if (reader.access_denied) {
    return {std::nullopt, QStringLiteral("система не разрешает программе доступ к считывателю")};
  }
  if (!reader.Configurable()) {
    return {std::nullopt, QStringLiteral("считыватель с версией ПО ") +
                              reader.identity.firmware.Text() +
                              QStringLiteral(" не может быть настроен, его настройки неизвестны")};
  }
  const ReaderValues& values = reader.Values();
  const std::optional<CardFrame> frame = FrameOfVariant(
      values.variant, values.prefix.text, values.suffix.text, values.ending, values.code_format);
  if (!frame) return {std::nullopt, QStringLiteral("вариант посылки считывателя неизвестен")};
  return {frame, QString()};
}

QString DescribeFrame(const CardFrame& frame) {
  QStringList parts;
  if (!frame.prefix.isEmpty()) parts << frame.prefix;
  const CodeFormat* format = frame.code_format ? FindCodeFormat(*frame.code_format) : nullptr;
  if (format != nullptr) {
    parts << DescribeCodeFormat(*format);
  } else if (frame.code_format) {
    parts << QStringLiteral("код в формате ") + QString::number(*frame.code_format) +
                 QStringLiteral(", который программе неизвестен");
  } else {
    parts << QStringLiteral("код в неизвестном формате");
  }
  if (!frame.suffix.isEmpty()) parts << frame.suffix;
  const QString ending = EndingKeyShown(frame.ending);
  parts << (ending.isEmpty() ? QStringLiteral("без окончания") : EndingName(ending));
  return parts.join(QStringLiteral(", затем "));
}

QString TypedInRussianLayout(const QString& text) {
  QString typed;
  for (const QChar c : text) {
    const std::optional<KeyStroke> key =
        c.unicode() < 0x80 ? KeyForCharacter(static_cast<char>(c.unicode())) : std::nullopt;
    typed += key ? RussianCharacter(*key) : QString(c);
  }
  return typed;
}

QString RussianLayoutForm(const CardFrame& frame) {
  const QString prefix = TypedInRussianLayout(frame.prefix);
  const QString suffix = TypedInRussianLayout(frame.suffix);
  if (prefix == frame.prefix && suffix == frame.suffix) return {};
  return prefix + QStringLiteral("…") + suffix;
}

QString VerdictWord(CardVerdict::Kind kind) {
  switch (kind) {
    case Kind::kMatches:
      return QStringLiteral("matches");
    case Kind::kDiffers:
      return QStringLiteral("differs");
    case Kind::kRussianLayout:
      return QStringLiteral("russian_layout");
    case Kind::kCapsLock:
      return QStringLiteral("caps_lock");
    case Kind::kCapsLockRussianLayout:
      return QStringLiteral("caps_lock_russian_layout");
    case Kind::kNothingToCompare:
      break;
  }
  return QString();
}

CardVerdict JudgeCardRead(const ReceivedKeys& received, const ReaderFrame& reader,
                          std::optional<bool> caps_lock) {
  if (!reader.frame) {
    return {Kind::kNothingToCompare,
            QStringLiteral("Сравнить не с чем: ") + reader.why_nothing + QStringLiteral("."),
            QStringLiteral("Сравнить не с чем"), std::nullopt, std::nullopt};
  }
  const CardFrame& frame = *reader.frame;
  const QString got = Quoted(received.join(QString()));
  const Parts as_received = Compare(received, frame);
  if (as_received.All()) {
    return Verdict(Kind::kMatches, Matched(as_received), QStringLiteral("Совпадает"), as_received);
  }
  const ReceivedKeys us = AsUsLayout(received);
  if (const Parts fitting = Compare(us, frame); fitting.All()) {
    return Verdict(
        Kind::kRussianLayout,
        QStringLiteral("В принимающей программе включена русская раскладка клавиатуры: "
                       "считыватель набирает ") +
            Quoted(us.join(QString())) +
            QStringLiteral(" в английской раскладке, а программа получила ") + got +
            QStringLiteral(". Поможет английская раскладка в этой программе или префикс и "
                           "суффикс без букв и знаков, которые меняются при смене раскладки."),
        QStringLiteral("Русская раскладка"), fitting);
  }
  if (caps_lock != false) {
    const ReceivedKeys inverted = WithCaseInverted(received);
    if (const Parts fitting = Compare(inverted, frame); fitting.All()) {
      return Verdict(Kind::kCapsLock,
                     QStringLiteral("Включен Caps Lock: буквы пришли в другом регистре, ") + got +
                         QStringLiteral(" вместо ") + Quoted(inverted.join(QString())) +
                         QStringLiteral(". Выключите Caps Lock."),
                     QStringLiteral("Caps Lock"), fitting);
    }
    const ReceivedKeys us_inverted = WithCaseInverted(us);
    if (const Parts fitting = Compare(us_inverted, frame); fitting.All()) {
      return Verdict(
          Kind::kCapsLockRussianLayout,
          QStringLiteral("Включены Caps Lock и русская раскладка клавиатуры: считыватель "
                         "набирает ") +
              Quoted(us_inverted.join(QString())) +
              QStringLiteral(" в английской раскладке, а программа получила ") + got +
              QStringLiteral(". Выключите Caps Lock и включите в этой программе английскую "
                             "раскладку."),
          QStringLiteral("Caps Lock и русская раскладка"), fitting);
    }
  }
  return Differed(as_received);
}

}  // namespace kx12r
