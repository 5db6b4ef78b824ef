// The verbs on readers: list, save, identify and watch.
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <map>
#include <thread>

#include "base/MessageBox.h"
#include "base/NumericText.h"
#include "cli/Commands.h"
#include "cli/StopOnSignals.h"
#include "cli/Watch.h"
#include "db/ServiceLookups.h"
#include "reader/CardRead.h"
#include "reader/Firmware.h"
#include "reader/ReportExchange.h"
#include "shown/ShownSettings.h"
#include "shown/ReaderMessages.h"

namespace kx12r::cli {

Commands::Commands(Environment& environment, CallOptions options,
                   std::unique_ptr<ServiceDatabase> database)
    : env_(environment), options_(std::move(options)), database_(std::move(database)) {}

QString Commands::CodeFormatName(int number) const {
  return database_ ? GetCodeVariantName(*database_, number) : QString();
}

QString Commands::EndingName(int code) const {
  return database_ ? GetEndingKeyName(*database_, code) : QString();
}

namespace {

QJsonValue OrNull(const QString& name) { return name.isEmpty() ? QJsonValue() : QJsonValue(name); }

}  // namespace

QJsonValue Commands::SettingJson(SettingsKey key, const SettingValue& value) const {
  if (const bool* flag = std::get_if<bool>(&value)) return *flag;
  if (const Affix* affix = std::get_if<Affix>(&value)) return affix->text;
  const int number = std::get<int>(value);
  if (key == SettingsKey::kCodeFormat) {
    return QJsonObject{{"number", number}, {"name", OrNull(CodeFormatName(number))}};
  }
  if (key == SettingsKey::kEnding) {
    return QJsonObject{{"code", number}, {"name", OrNull(EndingName(number))}};
  }
  return number;
}

QJsonObject Commands::SettingsJson(const ReaderValues& values) const {
  QJsonObject object;
  for (const SettingDescriptor& setting : kSettings) {
    object[QLatin1String(setting.json_key)] = SettingJson(setting.key, values.Get(setting.key));
  }
  return object;
}

QJsonObject Commands::ReaderJson(const ConnectedReader& reader) const {
  const DeviceIdentity& identity = reader.identity;
  QJsonObject object{{"serial", identity.serial_number},
                     {"product_id", HexWord(identity.product_id)},
                     {"firmware", identity.firmware.Text()},
                     {"access", !reader.access_denied},
                     {"configurable", reader.Configurable()}};
  const bool settings = reader.Configurable();
  const QJsonObject values = settings ? SettingsJson(reader.Values()) : QJsonObject();
  for (const SettingDescriptor& setting : kSettings) {
    // null: a reader that cannot be configured is not asked
    const QLatin1String key(setting.json_key);
    object[key] = settings ? values[key] : QJsonValue();
  }
  // The keys above are variant 8's; what the active variant makes the reader send is here.
  const std::optional<CardFrame> frame = settings ? FrameOfReader(reader).frame : std::nullopt;
  object[QStringLiteral("sends")] =
      frame ? QJsonValue(QJsonObject{
                  {"prefix", frame->prefix},
                  {"code_format", frame->code_format
                                      ? SettingJson(SettingsKey::kCodeFormat, *frame->code_format)
                                      : QJsonValue()},
                  {"suffix", frame->suffix},
                  {"ending", SettingJson(SettingsKey::kEnding, frame->ending)}})
            : QJsonValue();
  return object;
}

QString Commands::SentMessage(const ConnectedReader& reader) {
  const std::optional<CardFrame> frame = FrameOfReader(reader).frame;
  if (!frame) return QString();
  return frame->prefix + QStringLiteral("…") + frame->suffix + EndingKeyShown(frame->ending);
}

QStringList Commands::ReaderRow(const ConnectedReader& reader) const {
  const DeviceIdentity& identity = reader.identity;
  QStringList row{identity.serial_number, HexWord(identity.product_id), identity.firmware.Text()};
  if (reader.access_denied) return row << QStringLiteral("нет доступа");
  if (!reader.Configurable()) return row << ShownFlag(false);
  const ReaderValues& values = reader.Values();
  auto named = [&](const QString& number, const QString& name) {
    return number + QStringLiteral(" ") + (name.isEmpty() && database_ ? kUnknown : name);
  };
  const int code_format = values.code_format.value_or(0);
  row << ShownFlag(true) << QString::number(values.variant) << ShownAffix(values.prefix.text)
      << named(values.code_format ? QString::number(code_format) : QString(),
               CodeFormatName(code_format))
      << ShownAffix(values.suffix.text)
      << named(QString::number(values.ending), EndingName(values.ending));
  for (SettingsKey flag : kFlagKeys) row << ShownFlag(values.Flag(flag));
  return row << SentMessage(reader);
}

int Commands::List() {
  const std::vector<ConnectedReader> readers = ListReaders(env_.hid, Clock());
  for (const ConnectedReader& reader : readers) {
    if (reader.access_denied) {
      env_.err << NoAccessMessage(reader) << Qt::endl;
    }
  }
  QJsonArray list;
  // The four settings of the changeable variant are named as its; the last column is what the
  // active variant sends.
  QStringList header{"S/N", "Product ID", "Версия ПО", "Настраивается"};
  for (const SettingDescriptor& setting : kSettings) {
    const QString name = QString::fromUtf8(CaptionsOf(setting.key).short_name);
    const bool of_variant8 =
        setting.key != SettingsKey::kVariant && setting.encoding != SettingEncoding::kFlag;
    header << (of_variant8 ? name + QStringLiteral(" (8)") : name);
  }
  std::vector<QStringList> rows{header << QStringLiteral("Посылка")};
  for (const ConnectedReader& reader : readers) {
    if (options_.json) {
      list.append(ReaderJson(reader));
    } else {
      rows.push_back(ReaderRow(reader));
    }
  }
  // Names the database could not give are not printed as if there were none.
  if (database_ && database_->HadFailure()) return DatabaseFault();
  if (options_.json) {
    env_.out << QJsonDocument(QJsonObject{{"readers", list}}).toJson(QJsonDocument::Compact)
             << Qt::endl;
  } else if (!readers.empty()) {
    PrintTable(env_.out, rows);
  }
  if (readers.empty()) {
    env_.err << kNoDevices << Qt::endl;
    return kNoReader;
  }
  // A reader whose settings could not be read for want of access is the access status.
  return std::ranges::any_of(readers, &ConnectedReader::access_denied) ? kNoReader : kDone;
}

int Commands::Save(const QString& given) {
  const QString path =
      HasSettingsExtension(given) ? given : given + QLatin1String(kSettingsFileExtension);
  if (const auto refusal = NotARegularFileText(path)) {
    env_.err << *refusal << Qt::endl;
    return kRefused;
  }
  if (PathEntryExists(path) && !options_.force) {
    env_.err << QStringLiteral("Файл конфигурации ") << Quoted(path)
             << QStringLiteral(" уже существует. Чтобы заменить его, добавьте --force.")
             << Qt::endl;
    return kRefused;
  }
  // A signal waits for the save: the file is whole or as it was, and no temporary one is left.
  const StopOnSignals stopping;
  const std::optional<ConnectedReader> reader = Chosen();
  if (!reader) return kNoReader;
  const QJsonObject document{{"file", path}};
  if (!reader->Configurable()) {
    const ReaderResult result = ResultFor(*reader, Outcome::kNotConfigurable);
    if (options_.json) {
      Print({result}, document);
    } else {
      TellWhyNotConfigured(result);
    }
    return kRefused;
  }
  if (const auto error = WriteFileWhole(path, SettingsFileBytes(reader->Values()))) {
    env_.err << QStringLiteral("Ошибка при сохранении файла конфигурации: ") << Quoted(*error)
             << Qt::endl;
    if (options_.json) Print({ResultFor(*reader, Outcome::kNotSaved)}, document);
    return kRefused;
  }
  if (options_.json) {
    Print({ResultFor(*reader, Outcome::kSaved)}, document);
  } else {
    env_.out << path << Qt::endl;
  }
  env_.err << QStringLiteral("Файл конфигурации сохранен успешно.") << Qt::endl;
  return kDone;
}

int Commands::Identify() {
  const std::optional<ConnectedReader> reader = Chosen();
  if (!reader) return kNoReader;
  const bool configurable = reader->identity.firmware.Configurable();
  const bool indicated =
      configurable && SendReaderCommand(env_.hid, reader->handle, command::kIndicate);
  if (options_.json) {
    Print({ResultFor(*reader, indicated ? Outcome::kIdentified : Outcome::kNotIdentified)});
  } else if (indicated) {
    env_.out << reader->identity.serial_number << Qt::endl;
  }
  if (indicated) return kDone;
  // An old reader is no passing fault: it is told why it never will.
  env_.err << (configurable
                   ? QStringLiteral("Ошибка при вызове светозвуковой индикации считывателя.")
                   : OldReaderText(reader->identity.serial_number, reader->identity.firmware))
           << Qt::endl;
  return kRefused;
}

int Commands::Watch() {
  if (!env_.keyboards) {
    env_.err << QStringLiteral(
                    "Клавиатурный интерфейс считывателей недоступен: в Windows его читает только "
                    "система. Карты проверяются на вкладке «Проверка считывания» конфигуратора.")
             << Qt::endl;
    return kRefused;
  }
  // The readers are asked again when a reader comes or a message does not fit; one listing
  // serves the questions of one moment.
  std::vector<ConnectedReader> listed;
  std::optional<std::chrono::steady_clock::time_point> listed_at;
  const auto readers = [&]() -> const std::vector<ConnectedReader>& {
    const auto now = std::chrono::steady_clock::now();
    if (!listed_at || now - *listed_at >= WatchSession::kRescan) {
      listed = ListReaders(env_.hid, Clock());
      listed_at = now;
    }
    return listed;
  };
  WatchSession::Readers asked;
  asked.frame = [&](const QString& serial) {
    const Choice choice = ChooseReader(readers(), serial);
    return choice.reader
               ? FrameOfReader(*choice.reader)
               : ReaderFrame{std::nullopt, QStringLiteral("считыватель не найден в списке")};
  };
  asked.no_access = [&](const QString& serial) {
    const Choice choice = ChooseReader(readers(), serial);
    return choice.reader ? NoAccessMessage(*choice.reader) : choice.error;
  };
  const bool json = options_.json;
  const int limit = options_.count;
  int shown = 0;
  WatchSession::Events events;
  events.message = [&](const TypedMessage& message) {
    ++shown;
    const QString time = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    if (json) {
      env_.out << QJsonDocument(
                      QJsonObject{{"time", time},
                                  {"serial", message.serial_number},
                                  {"typed", message.typed},
                                  {"ending", message.ending.isEmpty() ? QJsonValue()
                                                                      : QJsonValue(message.ending)},
                                  {"russian", message.russian},
                                  {"verdict", OrNull(VerdictWord(message.verdict.kind))},
                                  {"code_valid", message.verdict.code_valid
                                                     ? QJsonValue(*message.verdict.code_valid)
                                                     : QJsonValue()},
                                  {"card", message.verdict.card
                                               ? QJsonValue(double(message.verdict.card->number))
                                               : QJsonValue()},
                                  {"verdict_message", message.verdict.text}})
                      .toJson(QJsonDocument::Compact)
               << Qt::endl;
      return;
    }
    env_.out << time.mid(11) << QStringLiteral("  ") << message.serial_number
             << QStringLiteral("  ") << message.typed;
    if (message.russian != message.typed) {
      env_.out << QStringLiteral("  (в русской раскладке: ") << message.russian
               << QStringLiteral(")");
    }
    env_.out << QStringLiteral("  ") << message.verdict.text << Qt::endl;
  };
  events.note = [&](const QString& text) { env_.err << text << Qt::endl; };
  WatchSession session(*env_.keyboards, options_.serial, asked, events);

  const StopOnSignals stopping;
  const auto start = std::chrono::steady_clock::now();
  std::chrono::milliseconds next_second{0};
  while (!StopOnSignals::Requested() && !OutputBroken() && (limit <= 0 || shown < limit)) {
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    if (env_.every_second && now >= next_second) {
      env_.every_second();
      next_second += std::chrono::seconds(1);
    }
    session.Step(now);
    if (session.GaveUpWaiting(now)) {
      const QString why = ChooseReader(readers(), options_.serial).error;
      env_.err << (why.isEmpty() ? QStringLiteral("Клавиатурный интерфейс считывателя ") +
                                       Quoted(options_.serial) + QStringLiteral(" не найден.")
                                 : why)
               << Qt::endl;
      return kNoReader;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // Stopped before the reader asked for ever came: that reader was not found.
  if (StopOnSignals::Requested() && session.WaitingForReader()) {
    return 128 + StopOnSignals::Signal();
  }
  return kDone;
}

}  // namespace kx12r::cli
