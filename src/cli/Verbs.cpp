// kx12rctl's verbs in one table: the parser's checks, the help and the calls come from it.
#include "cli/Verbs.h"

#include <array>

#include "cli/Commands.h"

namespace kx12r::cli {
namespace {

constexpr std::array kVerbTable = {
    Verb{"list", false, ReaderChoice::kNone, DatabaseUse::kNames, "",
         [](Commands& commands, const QString&) { return commands.List(); },
         "  list                  считыватели: Product ID, версия ПО, серийный номер, настройки "
         "(префикс,\n"
         "                        формат кода, суффикс и окончание - варианта 8) и посылка "
         "действующего\n"
         "                        варианта\n"},
    Verb{"check", true, ReaderChoice::kNone, DatabaseUse::kJudge, "",
         [](Commands& commands, const QString& file) { return commands.Check(file); },
         "  check ФАЙЛ            проверить файл настроек (.kxr), как его проверяет вкладка "
         "файлов\n"},
    Verb{
        "apply", true, ReaderChoice::kOneAllOrEach, DatabaseUse::kJudge, "--no-verify --record",
        [](Commands& commands, const QString& file) { return commands.Apply(file); },
        R"(  apply ФАЙЛ            записать файл настроек в считыватель (--serial S) или во все (--all),
                        затем считать настройки обратно и сравнить с файлом (--no-verify: не
                        сравнивать); Ctrl+C, SIGTERM или SIGHUP дописывает текущий считыватель
                        и завершает, остальные не затрагиваются
  apply ФАЙЛ --each     рабочее место: каждый считыватель, который подключен или будет
                        подключен, записывается, проверяется и при успехе подает светозвуковой
                        сигнал; один раз за подключение; строка на считыватель (время, серийный
                        номер, версия ПО, результат); до --count N считывателей или до Ctrl+C
                        (SIGTERM, SIGHUP) после текущего считывателя
)"},
    Verb{
        "compare", true, ReaderChoice::kOneOrAll, DatabaseUse::kJudge, "",
        [](Commands& commands, const QString& file) { return commands.Compare(file); },
        R"(  compare ФАЙЛ          какие настройки считывателя (--serial S) или каждого (--all) отличаются
                        от файла; ничего не записывается
)"},
    Verb{
        "save", true, ReaderChoice::kOne, DatabaseUse::kNone, "--force",
        [](Commands& commands, const QString& file) { return commands.Save(file); },
        R"(  save ФАЙЛ             сохранить настройки считывателя --serial S в файл (--force заменяет
                        существующий файл)
)"},
    Verb{"identify", false, ReaderChoice::kOne, DatabaseUse::kNone, "",
         [](Commands& commands, const QString&) { return commands.Identify(); },
         "  identify              светозвуковая индикация считывателя --serial S\n"},
    Verb{
        "watch", false, ReaderChoice::kEveryOrOne, DatabaseUse::kNone, "--count",
        [](Commands& commands, const QString&) { return commands.Watch(); },
        R"(  watch                 показывать посылки, которые набирает считыватель (--serial S) или каждый:
                        время, серийный номер, посылка в английской раскладке с названиями
                        клавиш, не дающих символа, то, что набрала бы русская раскладка, и
                        совпадает ли посылка с настройками считывателя и формат ее кода;
                        посылка без ожидаемого окончания завершается через 1 с; настройки
                        считывателя перечитываются при подключении и когда посылка им не
                        соответствует; считыватель --serial S ожидается до 30 с (затем код 3);
                        до прерывания (Ctrl+C, SIGTERM, SIGHUP) или до --count N посылок
)"
#ifdef _WIN32
        "                        в Windows недоступна: клавиатурный интерфейс считывателя читает\n"
        "                        только система (карты проверяет вкладка «Проверка считывания»)\n"
#endif
    },
    Verb{
        "record", true, ReaderChoice::kNone, DatabaseUse::kNone, "",
        [](Commands& commands, const QString& file) { return commands.ShowRecord(file); },
        R"(  record ФАЙЛ           журнал, который ведет apply --record: CSV (UTF-8, строка заголовков,
                        строка на считыватель) или --json одним документом; поврежденная
                        строка пропускается с предупреждением, где названа ее строка
)"},
};

// How a verb's readers are chosen, as the usage line writes it.
QString ChoiceUsage(ReaderChoice choice) {
  switch (choice) {
    case ReaderChoice::kNone:
      return QString();
    case ReaderChoice::kEveryOrOne:
      return QStringLiteral(" [--serial S]");
    case ReaderChoice::kOneOrAll:
      return QStringLiteral(" (--serial S | --all)");
    case ReaderChoice::kOneAllOrEach:
      return QStringLiteral(" (--serial S | --all | --each [--count N])");
    case ReaderChoice::kOne:
      return QStringLiteral(" --serial S");
  }
  return QString();
}

}  // namespace

std::span<const Verb> Verbs() { return kVerbTable; }

const Verb* FindVerb(const QString& name) {
  for (const Verb& verb : kVerbTable) {
    if (name == QLatin1String(verb.name)) return &verb;
  }
  return nullptr;
}

QString UsageLine() {
  QStringList calls;
  for (const Verb& verb : kVerbTable) {
    QString call = QLatin1String(verb.name);
    if (verb.takes_file) call += QStringLiteral(" ФАЙЛ");
    call += ChoiceUsage(verb.choice);
    for (const QString& option :
         QString::fromLatin1(verb.own_options).split(' ', Qt::SkipEmptyParts)) {
      const QString value = option == QStringLiteral("--count")    ? QStringLiteral(" N")
                            : option == QStringLiteral("--record") ? QStringLiteral(" ЖУРНАЛ")
                                                                   : QString();
      call += QStringLiteral(" [") + option + value + QStringLiteral("]");
    }
    calls << call + QStringLiteral(" [--json]");
  }
  return QStringLiteral("Использование: kx12rctl [--demo] (") + calls.join(QStringLiteral(" | ")) +
         QStringLiteral(")");
}

QString VerbsHelp() {
  QString help;
  for (const Verb& verb : kVerbTable) help += QString::fromUtf8(verb.help);
  return help;
}

QString ChoiceError(const Verb& verb, bool serial, bool all, bool each) {
  const int chosen = int{serial} + int{all} + int{each};
  const QString named = QStringLiteral("Команде ") + QLatin1String(verb.name);
  switch (verb.choice) {
    case ReaderChoice::kNone:
      if (chosen == 0) return QString();
      return named + QStringLiteral(" не нужны --serial, --all и --each.");
    case ReaderChoice::kEveryOrOne:
      if (!all && !each) return QString();
      return named + QStringLiteral(" не нужны --all и --each.");
    case ReaderChoice::kOneOrAll:
      if (chosen == 1 && !each) return QString();
      return named + QStringLiteral(" нужен ровно один из параметров --serial, --all.");
    case ReaderChoice::kOneAllOrEach:
      if (chosen == 1) return QString();
      return named + QStringLiteral(" нужен ровно один из параметров --serial, --all, --each.");
    case ReaderChoice::kOne:
      if (serial && chosen == 1) return QString();
      return named +
             QStringLiteral(" нужен параметр --serial и только он из --serial, --all, --each.");
  }
  return QString();
}

}  // namespace kx12r::cli
