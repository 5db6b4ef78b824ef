// kx12rctl's command line: its words checked, its help, and the verb it calls.
#include "cli/Kx12rCtl.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include "base/MessageBox.h"
#include "cli/Commands.h"
#include "cli/Verbs.h"

namespace kx12r::cli {
namespace {

// The rest of --help, after the verbs.
const QString kOptionsAndKeys = QStringLiteral(R"(
Параметры:
  --serial S            считыватель с серийным номером S
  --all                 все подключенные считыватели; запись останавливается на первом отказе
  --each                apply: рабочее место, см. выше
  --count N             apply --each: N считывателей; watch: N посылок (целое число больше нуля)
  --no-verify           apply: не считывать настройки после записи
  --record ЖУРНАЛ       apply: дописать в ЖУРНАЛ строку JSON о каждом записанном считывателе
                        (время UTC, компьютер, пользователь, серийный номер, Product ID,
                        версия ПО, путь и SHA-256 файла, настройки до и после, результат);
                        строка пишется одной записью, так что журнал могут вести несколько
                        рабочих мест сразу
  --force               save: заменить существующий файл
  --json                результаты в JSON (ключи ниже); apply --each и watch: объект на строку
  --demo                демонстрационные считыватели вместо подключенных; с переменной
                        окружения KX12R_DEMO_STATE=ФАЙЛ они помнят свои настройки между
                        запусками (файл пишется целиком, два запуска сразу ждут друг друга)
  --version             версия программы
  -h, --help            эта справка

Результаты выводятся в стандартный вывод, сообщения - в стандартный поток ошибок.
check, apply и compare проверяют файл по служебной базе данных и без нее не работают.

JSON:
  list                  {"readers": [{"serial", "product_id", "firmware", "access",
                        "configurable", "variant", "prefix", "code_format": {"number", "name"},
                        "suffix", "ending": {"code", "name"}, "buzzer_off", "stand_alone",
                        "repeat", "sends": {"prefix", "code_format", "suffix", "ending"}}];
                        prefix, code_format, suffix и ending - настройки варианта 8, "sends" -
                        что посылает действующий вариант; настройки и "sends" null у
                        считывателя, который не настраивается
  check                 {"file", "readable", "applicable", "values": [{"key", "value", "shown",
                        "valid"}], "layout_dependent": ключи префикса и суффикса, которые
                        русская раскладка набирает другими символами}
  apply, compare, save, identify
                        {"file" (кроме identify), "readers": [{"serial", "firmware", "result",
                        "parameter", "message"}]}; compare добавляет "differing" (ключи
                        отличающихся параметров) и "values" ({ключ: {"reader", "file"}},
                        "file" null для ключа, которого нет в файле), apply - "before" и
                        "after" (настройки до записи и считанные после нее, как в list); при
                        отказе до выбора считывателей документ не выводится
  apply --each          по объекту на строку: "time", "serial", "firmware", "result",
                        "parameter", "message"
  watch                 по объекту на строку: "time", "serial", "typed", "ending", "russian",
                        "verdict" (сравнение с настройками считывателя: matches, differs,
                        russian_layout, caps_lock, caps_lock_russian_layout; null, если
                        сравнить не с чем), "verdict_message" (то же словами), "code_valid"
                        (код соответствует формату кода; null, если не проверен), "card"
                        (номер карты из кода или null)
  "result"              written, unconfirmed, refused, untouched, not_configurable, no_access,
                        silent, equal, different, saved, not_saved, identified, not_identified
  "parameter"           ключ параметра (как в list), на котором запись прервана или не
                        подтверждена, первого отличающегося при сравнении; иначе null

Коды завершения:
  0  выполнено; compare: все настройки совпадают с файлом
  1  отказано или выполнено не полностью (файл записан не весь, считыватель не может быть
     настроен); запись не подтверждена; compare: настройки отличаются или не могут быть
     сравнены; файл не может быть использован; результаты не удалось записать в стандартный
     вывод, в том числе когда читающая программа его закрыла, а SIGPIPE игнорируется
  2  неверный вызов
  3  считыватель не найден, найдено несколько с одним номером, или нет доступа к
     считывателю, который команда должна была открыть (в том числе list, apply --all,
     compare --all)
  4  служебной базы данных нет (check, apply, compare) или она не может быть прочитана: не
     является файлом, заблокирована другой программой, повреждена
  141  читающая программа закрыла стандартный вывод, и программа завершена сигналом SIGPIPE
)");

// --help: the usage line and the verbs come from the table of verbs.
QString Help() {
  return UsageLine() +
         QStringLiteral(
             "\n\nНастройка считывателей KX12R из командной строки.\n\n"
             "Команды:\n") +
         VerbsHelp() + kOptionsAndKeys;
}

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

QString OptionText(const QString& name) {
  return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// The parser's complaint in the language of the rest: unknown options named as kx12rctl names
// them, anything else in Qt's own Russian.
QString ParserError(const QCommandLineParser& parser) {
  const QStringList unknown = parser.unknownOptionNames();
  if (unknown.isEmpty()) return parser.errorText();
  QStringList named;
  for (const QString& name : unknown) named << Quoted(OptionText(name));
  return (unknown.size() == 1 ? QStringLiteral("Неизвестный параметр ")
                              : QStringLiteral("Неизвестные параметры: ")) +
         named.join(QStringLiteral(", ")) + QStringLiteral(".");
}

// The service database when it is there and can be read; none when there is no file and the
// verb can do without it. A file that is missing where it is `required`, or is there and cannot
// be used, is told of, as `fault`.
std::unique_ptr<ServiceDatabase> OpenDatabase(const Environment& environment, bool required,
                                              bool& fault) {
  const QString& path = environment.database_path;
  const QFileInfo file(path);
  const QString named = QStringLiteral("Служебная база данных ") + Quoted(path);
  fault = false;
  if (!file.exists() && !file.isSymLink()) {
    if (!required) return nullptr;
    environment.err << named
                    << QStringLiteral(
                           " не найдена: без нее форматы кода и окончания файла не могут быть "
                           "проверены.")
                    << Qt::endl;
    fault = true;
    return nullptr;
  }
  if (!file.isFile()) {
    environment.err << named << QStringLiteral(" не является файлом.") << Qt::endl;
    fault = true;
    return nullptr;
  }
  auto database = std::make_unique<ServiceDatabase>(path, true, environment.database_busy_timeout);
  database->TellFaultsTo(
      [&err = environment.err](const Notice& notice) { err << notice.text << Qt::endl; });
  if (const auto failure = database->TryOpen()) {
    environment.err << named
                    << (failure->locked ? QStringLiteral(" заблокирована другой программой.")
                                        : QStringLiteral(" не может быть открыта: ") +
                                              Quoted(failure->reason) + QStringLiteral("."))
                    << Qt::endl;
    fault = true;
    return nullptr;
  }
  return database;
}

}  // namespace

int Run(const QStringList& arguments, Environment& environment) {
  StreamPresenter presenter(environment.err);
  QCommandLineParser parser;
  parser.addOptions({{"json", ""},
                     {"demo", ""},
                     {"all", ""},
                     {"each", ""},
                     {"force", ""},
                     {"no-verify", ""},
                     {"serial", "", "S"},
                     {"count", "", "N"},
                     {"record", "", "FILE"},
                     {"version", ""},
                     {{"h", "help"}, ""}});
  // A wrong word is named, so the caller sees what to mend.
  const auto wrong_call = [&](const QString& what) {
    environment.err << what << Qt::endl;
    environment.err << UsageLine() << Qt::endl;
    return kUsage;
  };
  if (!parser.parse(QStringList{"kx12rctl"} + arguments)) return wrong_call(ParserError(parser));
  // The same option twice is no choice between them.
  const QStringList given = parser.optionNames();
  for (const QString& name : given) {
    if (given.count(name) > 1) {
      return wrong_call(QStringLiteral("Параметр ") + Quoted(OptionText(name)) +
                        QStringLiteral(" задан более одного раза."));
    }
  }
  if (parser.isSet("version")) {
    environment.out << QStringLiteral("kx12rctl " KX12R_VERSION) << Qt::endl;
    return kDone;
  }
  if (parser.isSet("help")) {
    environment.out << Help();
    environment.out.flush();
    return kDone;
  }
  const QStringList words = parser.positionalArguments();
  if (words.isEmpty()) return wrong_call(QStringLiteral("Не задана команда."));
  const Verb* verb = FindVerb(words[0]);
  if (verb == nullptr) {
    return wrong_call(QStringLiteral("Неизвестная команда ") + Quoted(words[0]) +
                      QStringLiteral("."));
  }
  const QString named = QStringLiteral("Команде ") + QLatin1String(verb->name);
  if (words.size() > 1 && words[1].trimmed().isEmpty()) {
    return wrong_call(QStringLiteral("Не задано имя файла."));
  }
  if (verb->takes_file && words.size() < 2)
    return wrong_call(named + QStringLiteral(" нужен ФАЙЛ."));
  if (words.size() > (verb->takes_file ? 2 : 1)) {
    return wrong_call(QStringLiteral("Лишнее слово ") + Quoted(words.last()) + QStringLiteral("."));
  }
  CallOptions options{.json = parser.isSet("json"),
                      .all = parser.isSet("all"),
                      .each = parser.isSet("each"),
                      .force = parser.isSet("force"),
                      .verify = !parser.isSet("no-verify"),
                      .serial = parser.value("serial"),
                      .record = parser.value("record")};
  if (parser.isSet("count")) {
    bool number = false;
    options.count = parser.value("count").toInt(&number);
    if (!number || options.count <= 0) {
      return wrong_call(QStringLiteral("Значение --count должно быть целым числом больше нуля: ") +
                        Quoted(parser.value("count")) + QStringLiteral("."));
    }
    if (verb->choice != ReaderChoice::kEveryOrOne &&
        !(verb->choice == ReaderChoice::kOneAllOrEach && options.each)) {
      return wrong_call(
          QStringLiteral("Параметр --count задается только для apply --each и watch."));
    }
  }
  if (const QString wrong = ChoiceError(*verb, parser.isSet("serial"), options.all, options.each);
      !wrong.isEmpty()) {
    return wrong_call(wrong);
  }
  const QStringList own = QString::fromLatin1(verb->own_options).split(QLatin1Char(' '));
  for (const char* option : {"force", "no-verify", "record"}) {
    if (parser.isSet(option) && !own.contains(QStringLiteral("--") + QLatin1String(option))) {
      return wrong_call(QStringLiteral("Параметр --") + QLatin1String(option) +
                        QStringLiteral(" не задается для команды ") + QLatin1String(verb->name) +
                        QStringLiteral("."));
    }
  }
  // A file can only be judged against the database; names without it are numbers.
  std::unique_ptr<ServiceDatabase> database;
  if (verb->database != DatabaseUse::kNone) {
    bool fault = false;
    database = OpenDatabase(environment, verb->database == DatabaseUse::kJudge, fault);
    if (fault) return kDatabase;
  }
  Commands commands(environment, options, std::move(database));
  return verb->run(commands, words.value(1));
}

}  // namespace kx12r::cli
