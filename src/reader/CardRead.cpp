// A card read against the reader's frame: matched, or what differs and why.
#include "reader/CardRead.h"

#include <QHash>

#include "base/MessageBox.h"
#include "reader/DeviceColumns.h"
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

// How a read lines up with the frame it is compared with.
struct Parts {
  const CardFrame& frame;
  ReceivedKeys prefix, suffix;
  QString ending, expected_ending;
  ReceivedKeys code;
  bool prefix_ok, suffix_ok, ending_ok;
  bool All() const { return prefix_ok && suffix_ok && ending_ok; }
};

Parts Compare(const ReceivedKeys& received, const CardFrame& frame) {
  const SplitRead read = Split(received);
  const ReceivedKeys prefix = KeysOf(frame.prefix);
  const ReceivedKeys suffix = KeysOf(frame.suffix);
  const auto body_size = read.body.size();
  const bool room = body_size >= prefix.size() + suffix.size();
  Parts parts{.frame = frame,
              .prefix = read.body.mid(0, std::min(prefix.size(), body_size)),
              .suffix = read.body.mid(std::max<qsizetype>(0, body_size - suffix.size())),
              .ending = read.ending,
              .expected_ending = EndingKeyShown(frame.ending),
              .code = {},
              .prefix_ok = false,
              .suffix_ok = false,
              .ending_ok = false};
  // An empty prefix or suffix is always there; a suffix never overlaps the prefix.
  parts.prefix_ok = parts.prefix == prefix;
  parts.suffix_ok = suffix.isEmpty() || (room && parts.suffix == suffix);
  parts.ending_ok = parts.ending == parts.expected_ending;
  if (room) parts.code = read.body.mid(prefix.size(), body_size - prefix.size() - suffix.size());
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

QString Matched(const Parts& parts) {
  return QStringLiteral("Совпадает с настройками считывателя: ") +
         Affix(QStringLiteral("префикс"), QStringLiteral("без префикса"), parts.prefix) +
         QStringLiteral(", код ") + Quoted(parts.code.join(QString())) + QStringLiteral(", ") +
         Affix(QStringLiteral("суффикс"), QStringLiteral("без суффикса"), parts.suffix) +
         QStringLiteral(", ") +
         (parts.expected_ending.isEmpty()
              ? QStringLiteral("без окончания")
              : QStringLiteral("окончание ") + EndingName(parts.expected_ending)) +
         QStringLiteral(".");
}

QString Arrived(const QString& text) {
  return text.isEmpty() ? QStringLiteral("ничего") : Quoted(text);
}

QString Differed(const Parts& parts) {
  QStringList wrong;
  const auto part = [&](const QString& what, const QString& got, const QString& set) {
    wrong << what + QStringLiteral(": пришло ") + Arrived(got) + QStringLiteral(", задано ") +
                 Arrived(set);
  };
  if (!parts.prefix_ok)
    part(QStringLiteral("префикс"), parts.prefix.join(QString()), parts.frame.prefix);
  if (!parts.suffix_ok)
    part(QStringLiteral("суффикс"), parts.suffix.join(QString()), parts.frame.suffix);
  if (!parts.ending_ok) {
    wrong << QStringLiteral("окончание: пришло ") +
                 (parts.ending.isEmpty() ? QStringLiteral("ничего") : EndingName(parts.ending)) +
                 QStringLiteral(", задано ") + EndingName(parts.expected_ending);
  }
  return QStringLiteral("Не совпадает с настройками считывателя: ") +
         wrong.join(QStringLiteral("; ")) + QStringLiteral(".");
}

}  // namespace

std::optional<CardFrame> FrameOfVariant(int variant, const QString& prefix, const QString& suffix,
                                        int ending) {
  if (const FixedVariant* fixed = FixedVariantOf(variant)) {
    return CardFrame{QString::fromLatin1(fixed->prefix), QString::fromLatin1(fixed->suffix),
                     fixed->ending};
  }
  if (variant == kChangeableVariant) return CardFrame{prefix, suffix, ending};
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
  const std::optional<CardFrame> frame =
      FrameOfVariant(values.variant, values.prefix.text, values.suffix.text, values.ending);
  if (!frame) return {std::nullopt, QStringLiteral("вариант посылки считывателя неизвестен")};
  return {frame, QString()};
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
    case Kind::kNothingToCompare:
      break;
  }
  return QString();
}

CardVerdict JudgeCardRead(const ReceivedKeys& received, const ReaderFrame& reader) {
  if (!reader.frame) {
    return {Kind::kNothingToCompare,
            QStringLiteral("Сравнить не с чем: ") + reader.why_nothing + QStringLiteral(".")};
  }
  const CardFrame& frame = *reader.frame;
  const Parts as_received = Compare(received, frame);
  if (as_received.All()) return {Kind::kMatches, Matched(as_received)};
  const ReceivedKeys us = AsUsLayout(received);
  if (Compare(us, frame).All()) {
    return {Kind::kRussianLayout,
            QStringLiteral("В принимающей программе включена русская раскладка клавиатуры: "
                           "считыватель набирает ") +
                Quoted(us.join(QString())) +
                QStringLiteral(" в английской раскладке, а программа получила ") +
                Quoted(received.join(QString())) +
                QStringLiteral(". Поможет английская раскладка в этой программе или префикс и "
                               "суффикс без букв и знаков, которые меняются при смене "
                               "раскладки.")};
  }
  const ReceivedKeys inverted = WithCaseInverted(received);
  if (Compare(inverted, frame).All()) {
    return {Kind::kCapsLock, QStringLiteral("Включен Caps Lock: буквы пришли в другом регистре, ") +
                                 Quoted(received.join(QString())) + QStringLiteral(" вместо ") +
                                 Quoted(inverted.join(QString())) +
                                 QStringLiteral(". Выключите Caps Lock.")};
  }
  return {Kind::kDiffers, Differed(as_received)};
}

}  // namespace kx12r
