#include "Kx12rCtl.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

#include "Firmware.h"
#include "FirmwareGate.h"
#include "ListedReaders.h"
#include "MessageBox.h"
#include "NumericText.h"
#include "ReportExchange.h"
#include "ServiceLookups.h"
#include "SettingsApply.h"
#include "SettingsFile.h"
#include "Watch.h"

namespace kx12r::cli {
namespace {

const QString kUsageLine = QStringLiteral(
    "Использование: kx12rctl [--demo] (list [--json] | check ФАЙЛ [--json] | "
    "apply ФАЙЛ (--serial S | --all) [--no-verify] | save ФАЙЛ --serial S [--force] | identify --serial S | "
    "watch [--serial S] [--json] [--count N])");

const QString kHelp = kUsageLine + QStringLiteral(R"(

Настройка считывателей KX12R из командной строки.

Команды:
  list                  считыватели: Product ID, версия ПО, серийный номер и настройки
  check ФАЙЛ            проверить файл настроек (.kxr), как его проверяет вкладка файлов
  apply ФАЙЛ            записать файл настроек в считыватель (--serial S) или во все (--all),
                        затем считать настройки обратно и сравнить с файлом (--no-verify: не
                        сравнивать); Ctrl+C дописывает текущий считыватель и завершает
  save ФАЙЛ             сохранить настройки считывателя --serial S в файл (--force заменяет
                        существующий файл)
  identify              светозвуковая индикация считывателя --serial S
  watch                 показывать посылки, которые набирает считыватель (--serial S) или каждый:
                        время, серийный номер, посылка в английской раскладке с названиями
                        клавиш, не дающих символа, и то, что набрала бы русская раскладка;
                        до прерывания (Ctrl+C) или до --count N посылок

Параметры:
  --json                list и check: один документ JSON; watch: объект JSON на посылку
  --demo                демонстрационные считыватели вместо подключенных
  --version             версия программы
  -h, --help            эта справка

Результаты выводятся в стандартный вывод, сообщения - в стандартный поток ошибок.

Коды завершения:
  0  выполнено
  1  отказано или выполнено не полностью; файл не может быть использован; результаты не
     удалось записать в стандартный вывод
  2  неверный вызов
  3  считыватель не найден, найдено несколько с одним номером, или нет доступа
)");

const QString kNoDevices = QStringLiteral("Нет подключенных устройств");

// Set by SIGINT (and SIGTERM during apply): the command ends at its next safe point.
std::atomic<bool> interrupted{false};
const QString kUnknownName = QStringLiteral("не известен");

// Messages of the shared reader code go where kx12rctl's messages go.
class StreamPresenter : public MessagePresenter {
 public:
  explicit StreamPresenter(QTextStream& err) : err_(err) { SetMessagePresenter(this); }
  ~StreamPresenter() override { SetMessagePresenter(nullptr); }
  MessageButton Present(const QString& text, int, const QString&) override {
    err_ << text << Qt::endl;
    return MessageButton::kNo;
  }

 private:
  QTextStream& err_;
};

QString YesNo(bool value) { return value ? QStringLiteral("Да") : QStringLiteral("Нет"); }

// Aligned columns for people.
void PrintTable(QTextStream& out, const std::vector<QStringList>& rows) {
  std::vector<int> widths;
  for (const QStringList& row : rows) {
    widths.resize(std::max<std::size_t>(widths.size(), row.size()));
    for (int col = 0; col < row.size(); ++col) {
      widths[col] = std::max(widths[col], static_cast<int>(row[col].size()));
    }
  }
  for (const QStringList& row : rows) {
    QString line;
    for (int col = 0; col < row.size(); ++col) {
      line += col + 1 < row.size() ? row[col].leftJustified(widths[col] + 2) : row[col];
    }
    while (line.endsWith(QLatin1Char(' '))) line.chop(1);
    out << line << Qt::endl;
  }
}

class Command {
 public:
  Command(Environment& environment, const QCommandLineParser& parser)
      : env_(environment), parser_(parser) {
    if (QFileInfo(env_.database_path).isFile()) {
      database_ = std::make_unique<ServiceDatabase>(env_.database_path, true);
    }
  }

  int List();
  int Check(const QString& path);
  int Apply(const QString& path);
  int Save(const QString& path);
  int Identify();
  int Watch();

 private:
  ReferenceNames Names() const { return ReferenceNames(database_.get()); }
  QString CodeFormatName(const QString& number) const;
  QString EndingName(const QString& code) const;
  QJsonObject ReaderJson(const ListedReader& reader) const;
  QStringList ReaderRow(const ListedReader& reader) const;
  // The file's values, judged; nothing after telling why it cannot be read.
  std::optional<ValidatedSettings> ReadFile(const QString& path);
  std::optional<ListedReader> Chosen(const std::vector<ListedReader>& readers);
  WaitClock& Clock() { return env_.clock ? *env_.clock : real_clock_; }

  Environment& env_;
  EventLoopClock real_clock_;
  const QCommandLineParser& parser_;
  std::unique_ptr<ServiceDatabase> database_;
};

QString Command::CodeFormatName(const QString& number) const {
  return database_ ? GetCodeVariantName(*database_, LeadingInteger(number)) : QString();
}

QString Command::EndingName(const QString& code) const {
  return database_ ? GetEndingKeyName(*database_, LeadingInteger(code)) : QString();
}

QJsonObject Command::ReaderJson(const ListedReader& reader) const {
  const DeviceRecord& r = reader.record;
  QJsonObject object{{"serial", reader.Serial()},
                     {"product_id", r[kColProductId]},
                     {"firmware", r[kColVersion]},
                     {"access", !reader.access_denied},
                     {"configurable", reader.Configurable()}};
  const QJsonValue unknown;  // null: a reader that cannot be configured is not asked
  auto or_null = [](const QString& name) {
    return name.isEmpty() ? QJsonValue() : QJsonValue(name);
  };
  const bool settings = reader.Configurable();
  object["variant"] = settings ? QJsonValue(LeadingInteger(r[kColCodeMethod])) : unknown;
  object["prefix"] = settings ? QJsonValue(r[kColPrefix]) : unknown;
  object["code_format"] =
      settings ? QJsonValue(QJsonObject{{"number", LeadingInteger(r[kColEncoding])},
                                        {"name", or_null(CodeFormatName(r[kColEncoding]))}})
               : unknown;
  object["suffix"] = settings ? QJsonValue(r[kColSuffix]) : unknown;
  object["ending"] = settings
                         ? QJsonValue(QJsonObject{{"code", LeadingInteger(r[kColEnding])},
                                                  {"name", or_null(EndingName(r[kColEnding]))}})
                         : unknown;
  const std::pair<const char*, int> flags[] = {{"buzzer_off", kColBunBuzzer},
                                               {"stand_alone", kColStandAlone},
                                               {"repeat", kColRepeatResolution}};
  for (const auto& [key, column] : flags) {
    object[key] = settings ? QJsonValue(LeadingNumber(r[column]) != 0) : unknown;
  }
  return object;
}

QStringList Command::ReaderRow(const ListedReader& reader) const {
  const DeviceRecord& r = reader.record;
  QStringList row{reader.Serial(), r[kColProductId], r[kColVersion]};
  if (reader.access_denied) return row << QStringLiteral("нет доступа");
  if (!reader.Configurable()) return row << YesNo(false);
  auto named = [this](const QString& number, const QString& name) {
    return number + QStringLiteral(" ") + (name.isEmpty() && database_ ? kUnknownName : name);
  };
  auto none = [](const QString& text) { return text.isEmpty() ? QStringLiteral("нет") : text; };
  return row << YesNo(true) << r[kColCodeMethod] << none(r[kColPrefix])
             << named(r[kColEncoding], CodeFormatName(r[kColEncoding])) << none(r[kColSuffix])
             << named(r[kColEnding], EndingName(r[kColEnding]))
             << YesNo(LeadingNumber(r[kColBunBuzzer]) != 0)
             << YesNo(LeadingNumber(r[kColStandAlone]) != 0)
             << YesNo(LeadingNumber(r[kColRepeatResolution]) != 0);
}

int Command::List() {
  const std::vector<ListedReader> readers = ListReaders(env_.hid, Clock());
  for (const ListedReader& reader : readers) {
    if (reader.access_denied) {
      env_.err << NoAccessMessage(reader.record[kColProductId], reader.Serial()) << Qt::endl;
    }
  }
  if (parser_.isSet("json")) {
    QJsonArray list;
    for (const ListedReader& reader : readers) list.append(ReaderJson(reader));
    env_.out << QJsonDocument(QJsonObject{{"readers", list}}).toJson(QJsonDocument::Compact)
             << Qt::endl;
  } else if (!readers.empty()) {
    std::vector<QStringList> rows{{"S/N", "Product ID", "Версия ПО", "Настраивается", "Вариант",
                                   "Префикс", "Формат кода метки", "Суффикс", "Окончание",
                                   "Отключить Буззер", "Автономная работа", "Повтор посылки"}};
    for (const ListedReader& reader : readers) rows.push_back(ReaderRow(reader));
    PrintTable(env_.out, rows);
  }
  if (!readers.empty()) return kDone;
  env_.err << kNoDevices << Qt::endl;
  return kNoReader;
}

std::optional<ValidatedSettings> Command::ReadFile(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  if (!QFileInfo(path).exists()) {
    env_.err << QStringLiteral("Файл ") << Quoted(path) << QStringLiteral(" не существует.")
             << Qt::endl;
    return std::nullopt;
  }
  const std::optional<QStringList> lines =
      HasSettingsExtension(name) ? ReadSettingsLines(path) : std::nullopt;
  if (!lines) {
    env_.err << QStringLiteral("Файл ") + Quoted(name) +
                    QStringLiteral(
                        " не содержит параметров настроек. Операция не может быть "
                        "выполнена.")
             << Qt::endl;
    return std::nullopt;
  }
  return ValidateSettings(*lines, Names());
}

int Command::Check(const QString& path) {
  const std::optional<ValidatedSettings> settings = ReadFile(path);
  const bool applicable = settings && !settings->HasInvalidValues();
  if (parser_.isSet("json")) {
    QJsonArray values;
    for (SettingsKey key : kSettingsKeys) {
      if (!settings) break;
      const SettingsValue& value = (*settings)[key];
      values.append(QJsonObject{{"key", KeyText(key)},
                                {"value", value.value},
                                {"shown", value.shown},
                                {"valid", value.valid}});
    }
    env_.out << QJsonDocument(QJsonObject{{"file", path},
                                          {"readable", settings.has_value()},
                                          {"applicable", applicable},
                                          {"values", values}})
                    .toJson(QJsonDocument::Compact)
             << Qt::endl;
  } else if (settings) {
    std::vector<QStringList> rows;
    for (SettingsKey key : kSettingsKeys) {
      const SettingsValue& value = (*settings)[key];
      rows.push_back({KeyText(key), value.shown,
                      value.valid ? QString() : QStringLiteral("некорректное значение")});
    }
    PrintTable(env_.out, rows);
  }
  if (settings && !applicable) env_.err << InvalidValuesText() << Qt::endl;
  return applicable ? kDone : kRefused;
}

std::optional<ListedReader> Command::Chosen(const std::vector<ListedReader>& readers) {
  const Choice choice = ChooseReader(readers, parser_.value("serial"));
  if (!choice.reader) env_.err << choice.error << Qt::endl;
  return choice.reader;
}

int Command::Apply(const QString& path) {
  const std::optional<ValidatedSettings> settings = ReadFile(path);
  if (!settings) return kRefused;
  if (settings->HasInvalidValues()) {
    env_.err << InvalidValuesText() << Qt::endl;
    return kRefused;
  }
  const std::vector<ListedReader> listed = ListReaders(env_.hid, Clock());
  std::vector<ListedReader> chosen;
  if (parser_.isSet("all")) {
    chosen = listed;
    if (chosen.empty()) {
      env_.err << kNoDevices << Qt::endl;
      return kNoReader;
    }
  } else {
    const std::optional<ListedReader> reader = Chosen(listed);
    if (!reader) return kNoReader;
    chosen.push_back(*reader);
  }
  std::vector<ApplyTarget> targets;
  for (const ListedReader& reader : chosen) {
    targets.push_back({LeadingInteger(reader.record[kColHandle]), reader.Configurable()});
  }
  const std::vector<AppliedParameter> parameters = ParametersToApply(*settings);
  const bool verify = !parser_.isSet("no-verify");
  int unconfirmed = 0;
  QStringList results(static_cast<int>(chosen.size()));
  for (int i = 0; i < results.size(); ++i) {
    results[i] = chosen[i].access_denied    ? QStringLiteral("нет доступа")
                 : chosen[i].Configurable() ? QStringLiteral("не затронут")
                                            : QStringLiteral("не может быть настроен");
  }
  // Ctrl+C or SIGTERM lets the reader in hand get all its parameters, then touches no other.
  interrupted = false;
  const auto previous_int = std::signal(SIGINT, [](int) { interrupted = true; });
  const auto previous_term = std::signal(SIGTERM, [](int) { interrupted = true; });
  const ApplyReport report = ApplyToReaders(
      env_.hid, targets, parameters, [](int, const AppliedParameter&) {},
      [&](int target) {
        // A reader may echo a command and still not keep the value: read all of them back.
        const std::optional<QString> differing =
            verify ? FirstUnconfirmed(ReadDevice(env_.hid, targets[target].handle), parameters)
                   : std::nullopt;
        results[target] = differing ? QStringLiteral("не подтверждено: ") + Quoted(*differing)
                                    : QStringLiteral("записан");
        if (differing) ++unconfirmed;
        env_.err << QStringLiteral("Считыватель ") << Quoted(chosen[target].Serial())
                 << QStringLiteral(": ") << results[target] << QStringLiteral(".") << Qt::endl;
      },
      [] { return interrupted.load(); });
  std::signal(SIGINT, previous_int);
  std::signal(SIGTERM, previous_term);
  if (report.refused_caption) {
    results[report.refused_target] =
        QStringLiteral("прерван на параметре ") + Quoted(*report.refused_caption);
  }
  std::vector<QStringList> rows;
  for (int i = 0; i < results.size(); ++i) rows.push_back({chosen[i].Serial(), results[i]});
  PrintTable(env_.out, rows);
  bool denied = false;
  for (const ListedReader& reader : chosen) {
    if (reader.access_denied) {
      denied = true;
      env_.err << NoAccessMessage(reader.record[kColProductId], reader.Serial()) << Qt::endl;
    }
  }
  if (report.refused_caption) {
    env_.err << ApplyRefusedText(*report.refused_caption) << Qt::endl;
    return kRefused;
  }
  if (report.interrupted) {
    env_.err << QStringLiteral("Загрузка из файла прервана по сигналу: считыватели, которые ещё "
                               "не затронуты, не записаны.")
             << Qt::endl;
    return kRefused;
  }
  if (report.configured == 0) {
    env_.err << NothingAppliedText() << Qt::endl;
    return denied ? kNoReader : kRefused;
  }
  if (unconfirmed > 0) {
    env_.err << QStringLiteral("Настройки, считанные после записи, отличаются от файла: запись "
                               "не подтверждена.")
             << Qt::endl;
    return kRefused;
  }
  env_.err << ApplyDoneText(report.missing) << Qt::endl;
  return denied ? kRefused : kDone;
}

int Command::Save(const QString& given) {
  const QString path =
      HasSettingsExtension(given) ? given : given + QLatin1String(kSettingsFileExtension);
  if (const auto refusal = NotARegularFileText(path)) {
    env_.err << *refusal << Qt::endl;
    return kRefused;
  }
  if (PathEntryExists(path) && !parser_.isSet("force")) {
    env_.err << QStringLiteral("Файл конфигурации ") << Quoted(path)
             << QStringLiteral(" уже существует. Чтобы заменить его, добавьте --force.")
             << Qt::endl;
    return kRefused;
  }
  const std::optional<ListedReader> reader = Chosen(ListReaders(env_.hid, Clock()));
  if (!reader) return kNoReader;
  if (!reader->Configurable()) {
    env_.err << QStringLiteral("Считыватель ") << Quoted(reader->Serial())
             << QStringLiteral(" не может быть настроен. ")
             << FirmwareWarningText(reader->record[kColVersion]) << Qt::endl;
    return kRefused;
  }
  const CachedSettings cached =
      CachedSettingsFrom([&](int column) { return reader->record[column]; });
  if (const auto error = WriteFileWhole(path, SettingsFileBytes(cached))) {
    env_.err << QStringLiteral("Ошибка при сохранении файла конфигурации: ") << Quoted(*error)
             << Qt::endl;
    return kRefused;
  }
  env_.out << path << Qt::endl;
  env_.err << QStringLiteral("Файл конфигурации сохранен успешно.") << Qt::endl;
  return kDone;
}

int Command::Identify() {
  const std::optional<ListedReader> reader = Chosen(ListReaders(env_.hid, Clock()));
  if (!reader) return kNoReader;
  if (!IsConfigurableFirmware(reader->record[kColVersion]) ||
      !SendReaderCommand(env_.hid, LeadingInteger(reader->record[kColHandle]),
                         command::kIndicate)) {
    env_.err << QStringLiteral("Ошибка при вызове светозвуковой индикации считывателя.")
             << Qt::endl;
    return kRefused;
  }
  env_.out << reader->Serial() << Qt::endl;
  return kDone;
}

int Command::Watch() {
  if (!env_.keyboards) {
    env_.err << QStringLiteral("Клавиатурный интерфейс считывателей недоступен.") << Qt::endl;
    return kRefused;
  }
  std::map<QString, int> endings;
  auto ending_of = [&](const QString& serial) -> int {
    if (!endings.contains(serial)) {
      for (const ListedReader& reader : ListReaders(env_.hid, Clock())) {
        endings[reader.Serial()] =
            reader.Configurable() ? MessageEnding(LeadingInteger(reader.record[kColCodeMethod]),
                                                  reader.record[kColEnding])
                                  : 0;
      }
    }
    const auto known = endings.find(serial);
    return known == endings.end() ? 0 : known->second;
  };
  const bool json = parser_.isSet("json");
  const int limit = parser_.value("count").toInt();
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
                                  {"russian", message.russian}})
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
    env_.out << Qt::endl;
  };
  events.note = [&](const QString& text) { env_.err << text << Qt::endl; };
  WatchSession session(*env_.keyboards, parser_.value("serial"), ending_of, events);

  interrupted = false;
  const auto previous = std::signal(SIGINT, [](int) { interrupted = true; });
  const auto start = std::chrono::steady_clock::now();
  std::chrono::milliseconds next_second{0};
  while (!interrupted && (limit <= 0 || shown < limit)) {
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    if (env_.every_second && now >= next_second) {
      env_.every_second();
      next_second += std::chrono::seconds(1);
    }
    session.Step(now);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::signal(SIGINT, previous);
  return kDone;
}

}  // namespace

int Run(const QStringList& arguments, Environment& environment) {
  StreamPresenter presenter(environment.err);
  QCommandLineParser parser;
  parser.addOptions({{"json", ""},
                     {"demo", ""},
                     {"all", ""},
                     {"force", ""},
                     {"no-verify", ""},
                     {"serial", "", "S"},
                     {"count", "", "N"},
                     {"version", ""},
                     {{"h", "help"}, ""}});
  if (!parser.parse(QStringList{"kx12rctl"} + arguments)) {
    environment.err << parser.errorText() << Qt::endl << kUsageLine << Qt::endl;
    return kUsage;
  }
  if (parser.isSet("version")) {
    environment.out << QStringLiteral("kx12rctl " KX12R_VERSION) << Qt::endl;
    return kDone;
  }
  if (parser.isSet("help")) {
    environment.out << kHelp;
    environment.out.flush();
    return kDone;
  }
  const QStringList words = parser.positionalArguments();
  const QString verb = words.value(0);
  // A wrong word is named, so the caller sees what to mend.
  const auto wrong_call = [&](const QString& what) {
    environment.err << what << Qt::endl << kUsageLine << Qt::endl;
    return kUsage;
  };
  static const QStringList kVerbs = {"list", "check", "apply", "save", "identify", "watch"};
  if (!verb.isEmpty() && !kVerbs.contains(verb)) {
    return wrong_call(QStringLiteral("Неизвестная команда ") + Quoted(verb) + QStringLiteral("."));
  }
  if (words.size() > 1 && words[1].trimmed().isEmpty()) {
    return wrong_call(QStringLiteral("Не задано имя файла."));
  }
  if (parser.isSet("count")) {
    bool number = false;
    const int count = parser.value("count").toInt(&number);
    if (!number || count <= 0) {
      return wrong_call(QStringLiteral("Значение --count должно быть целым числом больше нуля: ") +
                        Quoted(parser.value("count")) + QStringLiteral("."));
    }
  }
  const bool has_serial = parser.isSet("serial");
  const bool with_file = verb == "check" || verb == "apply" || verb == "save";
  const bool well_formed =
      (verb == "list" && words.size() == 1) || (with_file && words.size() == 2) ||
      (verb == "identify" && words.size() == 1) || (verb == "watch" && words.size() == 1);
  const bool serial_ok = verb == "apply"                        ? has_serial != parser.isSet("all")
                         : verb == "save" || verb == "identify" ? has_serial
                                                                : true;
  if (!well_formed || !serial_ok) {
    environment.err << kUsageLine << Qt::endl;
    return kUsage;
  }
  Command command(environment, parser);
  if (verb == "list") return command.List();
  if (verb == "check") return command.Check(words[1]);
  if (verb == "apply") return command.Apply(words[1]);
  if (verb == "save") return command.Save(words[1]);
  if (verb == "watch") return command.Watch();
  return command.Identify();
}

}  // namespace kx12r::cli
