#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "cli/Environment.h"
#include "cli/ListedReaders.h"
#include "cli/ReaderResults.h"
#include "db/ServiceDatabase.h"
#include "files/SettingsFile.h"
#include "reader/DeviceReading.h"

namespace kx12r::cli {

// The options of one call, as the command line gave them.
struct CallOptions {
  bool json = false;
  bool all = false;
  bool each = false;
  bool force = false;
  bool verify = true;
  QString serial;
  int count = 0;   // 0: not given
  QString record;  // apply: the record file each reader touched is appended to
};

// Each verb of kx12rctl; each returns its exit status.
class Commands {
 public:
  // `database`, when there is one, has been opened already; check, apply and compare have one.
  Commands(Environment& environment, CallOptions options,
           std::unique_ptr<ServiceDatabase> database);

  int List();
  int Check(const QString& path);
  int Apply(const QString& path);
  int Compare(const QString& path);
  int Save(const QString& path);
  int Identify();
  int Watch();
  // The record an apply with --record kept, as CSV or one JSON document.
  int ShowRecord(const QString& path);

 private:
  ReferenceNames Names() const { return ReferenceNames(database_.get()); }
  QString CodeFormatName(int number) const;
  QString EndingName(int code) const;
  QJsonObject ReaderJson(const ConnectedReader& reader) const;
  // A setting's value as list writes it: numbers, texts, flags, and the code format and ending
  // with their names; all eight of a reader's.
  QJsonValue SettingJson(SettingsKey key, const SettingValue& value) const;
  QJsonObject SettingsJson(const ReaderValues& values) const;
  QStringList ReaderRow(const ConnectedReader& reader) const;
  // What the reader's active variant sends around the code: ";…?<Enter>".
  static QString SentMessage(const ConnectedReader& reader);
  // The file's values, judged; nothing after telling why it cannot be read.
  std::optional<ValidatedSettings> ReadFile(const QString& path);
  // The file's parameters when every value is valid; nothing after telling why not.
  std::optional<std::vector<AppliedParameter>> FileParameters(const QString& path);
  // The one reader of --serial, or every reader with --all; nothing after telling why not.
  std::optional<std::vector<ConnectedReader>> ChosenReaders();
  std::optional<ConnectedReader> Chosen();
  int ApplyEach(const QString& path, const std::vector<AppliedParameter>& parameters);
  // The results of a per-reader command on standard output, and why a reader was passed over.
  void Print(const std::vector<ReaderResult>& results, QJsonObject document = {});
  // How to get access to a reader the system would not let the program open, or why an old one
  // cannot be configured.
  void TellWhyNotConfigured(const ReaderResult& result);
  static QString UnreadableFileCause(UnreadableFile why);
  // A reader's eight values as list gives them; null when not known.
  QJsonValue ValuesJson(const std::optional<ReaderValues>& values) const;
  // With --record: one line for a reader the apply of `file` touched.
  void Record(const ReaderResult& result, const QString& file);
  // For each setting: the reader's value and the file's (null where the file does not set it).
  QJsonObject ComparedValues(const ConnectedReader& reader,
                             const std::vector<AppliedParameter>& parameters) const;
  // A reader the verb could not open for want of access makes the status the access one (3).
  static int WithAccess(const std::vector<ReaderResult>& results, int status);
  // The database has no code formats or no endings: said, and no file can be judged.
  bool ReferenceRowsMissing();
  // The database failed while it was read: what it gave is not used. The database status.
  int DatabaseFault();
  // Whatever read the results is gone (a closed pipe with SIGPIPE ignored).
  bool OutputBroken() const { return env_.out.status() != QTextStream::Ok; }
  WaitClock& Clock() { return env_.clock ? *env_.clock : real_clock_; }

  Environment& env_;
  CallOptions options_;
  EventLoopClock real_clock_;
  std::unique_ptr<ServiceDatabase> database_;
  QString recorded_file_sha256_;  // of the settings file, once a record line needed it
};

}  // namespace kx12r::cli
