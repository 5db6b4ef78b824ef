#pragma once

#include <QString>
#include <QStringList>
#include <span>

namespace kx12r::cli {

class Commands;

// Which readers a verb works on, as --serial, --all and --each choose them.
enum class ReaderChoice {
  kNone,          // list, check: no reader option
  kEveryOrOne,    // watch: every reader, or --serial S
  kOneOrAll,      // compare: --serial S or --all
  kOneAllOrEach,  // apply: --serial S, --all, or --each as a station
  kOne,           // save, identify: --serial S
};

// What a verb needs of the service database.
enum class DatabaseUse {
  kNone,
  kNames,  // names code formats and endings; without the file, by their numbers
  kJudge,  // judges a file against it; nothing without it
};

// One verb of kx12rctl: how it is called, what it needs, what runs it, and its help.
struct Verb {
  const char* name;
  bool takes_file;
  ReaderChoice choice;
  DatabaseUse database;
  // Its own options beyond the reader choice and --json (each only where the table says).
  const char* own_options;
  int (*run)(Commands& commands, const QString& file);
  // Its rows under "Команды:" in --help, name first.
  const char* help;
};

std::span<const Verb> Verbs();
const Verb* FindVerb(const QString& name);

// "Использование: kx12rctl ..." with every verb's call.
QString UsageLine();
// The rows of every verb under "Команды:".
QString VerbsHelp();

// Why the reader options given do not suit the verb; empty when they do.
QString ChoiceError(const Verb& verb, bool serial, bool all, bool each);

}  // namespace kx12r::cli
