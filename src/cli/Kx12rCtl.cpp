// kx12rctl's command line: its words checked, its help, and the verb it calls.
#include "cli/Kx12rCtl.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include "base/MessageBox.h"
#include "cli/Commands.h"

namespace kx12r::cli {
namespace {

const QString kUsageLine = QStringLiteral(
    "Использование: kx12rctl [--demo] (list [--json] | check ФАЙЛ [--json] | "
    "apply ФАЙЛ (--serial S | --all | --each [--count N]) [--no-verify] [--json] | "
    "compare ФАЙЛ (--serial S | --all) [--json] | save ФАЙЛ --serial S [--force] [--json] | "
    "identify --serial S [--json] | watch [--serial S] [--json] [--count N])");

const QString kHelp = kUsageLine + QStringLiteral(R"(

Настройка считывателей KX12R из командной строки.

Команды:
  list                  считыватели: Product ID, версия ПО, серийный номер и настройки
  check ФАЙЛ            проверить файл настроек (.kxr), как его проверяет вкладка файлов
  apply ФАЙЛ            записать файл настроек в считыватель (--serial S) или во все (--all),
                        затем считать настройки обратно и сравнить с файлом (--no-verify: не
                        сравнивать); Ctrl+C, SIGTERM или SIGHUP дописывает текущий считыватель
                        и завершает, остальные не затрагиваются
  apply ФАЙЛ --each     рабочее место: каждый считыватель, который подключен или будет
                        подключен, записывается, проверяется и при успехе подает светозвуковой
                        сигнал; один раз за подключение; строка на считыватель (время, серийный
                        номер, версия ПО, результат); до --count N считывателей или до Ctrl+C
                        (SIGTERM, SIGHUP) после текущего считывателя
  compare ФАЙЛ          какие настройки считывателя (--serial S) или каждого (--all) отличаются
                        от файла; ничего не записывается
  save ФАЙЛ             сохранить настройки считывателя --serial S в файл (--force заменяет
                        существующий файл)
  identify              светозвуковая индикация считывателя --serial S
  watch                 показывать посылки, которые набирает считыватель (--serial S) или каждый:
                        время, серийный номер, посылка в английской раскладке с названиями
                        клавиш, не дающих символа, то, что набрала бы русская раскладка, и
                        совпадает ли посылка с настройками считывателя;
                        до прерывания (Ctrl+C, SIGTERM, SIGHUP) или до --count N посылок

Параметры:
  --serial S            считыватель с серийным номером S
  --all                 все подключенные считыватели; запись останавливается на первом отказе
  --each                apply: рабочее место, см. выше
  --count N             apply --each: N считывателей; watch: N посылок (целое число больше нуля)
  --no-verify           apply: не считывать настройки после записи
  --force               save: заменить существующий файл
  --json                результаты в JSON (ключи ниже); apply --each и watch: объект на строку
  --demo                демонстрационные считыватели вместо подключенных
  --version             версия программы
  -h, --help            эта справка

Результаты выводятся в стандартный вывод, сообщения - в стандартный поток ошибок.
check, apply и compare проверяют файл по служебной базе данных и без нее не работают.

JSON:
  list                  {"readers": [{"serial", "product_id", "firmware", "access",
                        "configurable", "variant", "prefix", "code_format": {"number", "name"},
                        "suffix", "ending": {"code", "name"}, "buzzer_off", "stand_alone",
                        "repeat"}]}; настройки null у считывателя, который не настраивается
  check                 {"file", "readable", "applicable", "values": [{"key", "value", "shown",
                        "valid"}]}
  apply, compare, save, identify
                        {"file" (кроме identify), "readers": [{"serial", "firmware", "result",
                        "parameter", "message"}]}; compare добавляет "differing" (список
                        параметров); при отказе до выбора считывателей документ не выводится
  apply --each          по объекту на строку: "time", "serial", "firmware", "result",
                        "parameter", "message"
  watch                 по объекту на строку: "time", "serial", "typed", "ending", "russian",
                        "verdict" (сравнение с настройками считывателя: matches, differs,
                        russian_layout, caps_lock; null, если сравнить не с чем),
                        "verdict_message" (то же словами)
  "result"              written, unconfirmed, refused, untouched, not_configurable, no_access,
                        silent, equal, different, saved, not_saved, identified, not_identified
  "parameter"           название параметра, на котором запись прервана или не подтверждена,
                        первого отличающегося при сравнении; иначе null

Коды завершения:
  0  выполнено; compare: все настройки совпадают с файлом
  1  отказано или выполнено не полностью (файл записан не весь, считыватель не может быть
     настроен); запись не подтверждена; compare: настройки отличаются или не могут быть
     сравнены; файл не может быть использован; результаты не удалось записать в стандартный
     вывод, в том числе когда читающая программа его закрыла, а SIGPIPE игнорируется
  2  неверный вызов
  3  считыватель не найден, найдено несколько с одним номером, или нет доступа
  4  служебной базы данных нет (check, apply, compare) или она не может быть прочитана: не
     является файлом, заблокирована другой программой, повреждена
  141  читающая программа закрыла стандартный вывод, и программа завершена сигналом SIGPIPE
)");

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
                     {"version", ""},
                     {{"h", "help"}, ""}});
  // A wrong word is named, so the caller sees what to mend.
  const auto wrong_call = [&](const QString& what) {
    environment.err << what << Qt::endl;
    environment.err << kUsageLine << Qt::endl;
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
    environment.out << kHelp;
    environment.out.flush();
    return kDone;
  }
  const QStringList words = parser.positionalArguments();
  const QString verb = words.value(0);
  static const QStringList kVerbs = {"list", "check",    "apply", "compare",
                                     "save", "identify", "watch"};
  if (!verb.isEmpty() && !kVerbs.contains(verb)) {
    return wrong_call(QStringLiteral("Неизвестная команда ") + Quoted(verb) + QStringLiteral("."));
  }
  if (words.size() > 1 && words[1].trimmed().isEmpty()) {
    return wrong_call(QStringLiteral("Не задано имя файла."));
  }
  CallOptions options{.json = parser.isSet("json"),
                      .all = parser.isSet("all"),
                      .each = parser.isSet("each"),
                      .force = parser.isSet("force"),
                      .verify = !parser.isSet("no-verify"),
                      .serial = parser.value("serial")};
  if (parser.isSet("count")) {
    bool number = false;
    options.count = parser.value("count").toInt(&number);
    if (!number || options.count <= 0) {
      return wrong_call(QStringLiteral("Значение --count должно быть целым числом больше нуля: ") +
                        Quoted(parser.value("count")) + QStringLiteral("."));
    }
  }
  const bool with_file = verb == "check" || verb == "apply" || verb == "compare" || verb == "save";
  if (verb.isEmpty()) return wrong_call(QStringLiteral("Не задана команда."));
  if (with_file && words.size() < 2) {
    return wrong_call(QStringLiteral("Команде ") + verb + QStringLiteral(" нужен ФАЙЛ."));
  }
  if (words.size() > (with_file ? 2 : 1)) {
    return wrong_call(QStringLiteral("Лишнее слово ") + Quoted(words.last()) + QStringLiteral("."));
  }
  if (parser.isSet("count") && verb != "watch" && !(verb == "apply" && options.each)) {
    return wrong_call(QStringLiteral("Параметр --count задается только для apply --each и watch."));
  }
  const bool serial = parser.isSet("serial");
  const int choices = int{serial} + int{options.all} + int{options.each};
  const auto needs = [&](const QString& what) {
    return wrong_call(QStringLiteral("Команде ") + verb + QStringLiteral(" нужен ") + what +
                      QStringLiteral("."));
  };
  if (verb == "apply" && choices != 1) {
    return needs(QStringLiteral("ровно один из параметров --serial, --all, --each"));
  }
  if (verb == "compare" && (choices != 1 || options.each)) {
    return needs(QStringLiteral("ровно один из параметров --serial, --all"));
  }
  if ((verb == "save" || verb == "identify") && (!serial || choices != 1)) {
    return needs(QStringLiteral("параметр --serial и только он из --serial, --all, --each"));
  }
  if ((verb == "list" || verb == "check" || verb == "watch") &&
      choices != (verb == "watch" ? int{serial} : 0)) {
    return wrong_call(QStringLiteral("Команде ") + verb +
                      (verb == "watch" ? QStringLiteral(" не нужны --all и --each.")
                                       : QStringLiteral(" не нужны --serial, --all и --each.")));
  }
  // Only the verbs that name code formats and endings read the database; a file can only be
  // judged against it.
  std::unique_ptr<ServiceDatabase> database;
  if (verb == "list" || (with_file && verb != "save")) {
    bool fault = false;
    database = OpenDatabase(environment, verb != "list", fault);
    if (fault) return kDatabase;
  }
  Commands commands(environment, options, std::move(database));
  if (verb == "list") return commands.List();
  if (verb == "check") return commands.Check(words[1]);
  if (verb == "apply") return commands.Apply(words[1]);
  if (verb == "compare") return commands.Compare(words[1]);
  if (verb == "save") return commands.Save(words[1]);
  if (verb == "watch") return commands.Watch();
  return commands.Identify();
}

}  // namespace kx12r::cli
