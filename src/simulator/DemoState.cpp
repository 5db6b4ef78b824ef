// The demo readers' settings across runs of the demo.
#include "simulator/DemoState.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace kx12r {
namespace {

QJsonObject SettingsJson(const ReaderSettings& settings) {
  return {
      {"variant", settings.variant},         {"prefix", QString::fromStdString(settings.prefix)},
      {"code_format", settings.code_format}, {"suffix", QString::fromStdString(settings.suffix)},
      {"ending", settings.ending},           {"buzzer_off", settings.buzzer_off},
      {"stand_alone", settings.stand_alone}, {"repeat", settings.repeat}};
}

void TakeSettings(const QJsonObject& json, ReaderSettings& settings) {
  settings.variant = json["variant"].toInt(settings.variant);
  settings.prefix = json["prefix"].toString(QString::fromStdString(settings.prefix)).toStdString();
  settings.code_format = json["code_format"].toInt(settings.code_format);
  settings.suffix = json["suffix"].toString(QString::fromStdString(settings.suffix)).toStdString();
  settings.ending = json["ending"].toInt(settings.ending);
  settings.buzzer_off = json["buzzer_off"].toBool(settings.buzzer_off);
  settings.stand_alone = json["stand_alone"].toBool(settings.stand_alone);
  settings.repeat = json["repeat"].toBool(settings.repeat);
}

// Every simulated reader, by its serial number.
template <typename Visit>
void ForEachReader(SimulatedHidLibrary& library, Visit visit) {
  for (SimulatedReader* reader : library.Plugged()) visit(*reader);
}

QString LockFailure(QLockFile::LockError error) {
  return error == QLockFile::PermissionError ? QStringLiteral("нет прав на запись в папку")
                                             : QStringLiteral("неизвестная ошибка");
}

}  // namespace

DemoState::DemoState(QString path, SimulatedHidLibrary& library)
    : path_(std::move(path)), library_(library), lock_(path_ + QStringLiteral(".lock")) {
  // A lock left by a process that is gone is taken over; a live one is waited for.
  lock_.setStaleLockTime(0);
  if (!lock_.lock()) {
    problem_ = QStringLiteral("файл блокировки не открыт: ") + LockFailure(lock_.error());
    return;
  }
  QFile file(path_);
  if (!file.exists()) return;
  if (!file.open(QIODevice::ReadOnly)) {
    problem_ = file.errorString();
    return;
  }
  const QJsonObject readers = QJsonDocument::fromJson(file.readAll())["readers"].toObject();
  ForEachReader(library_, [&](SimulatedReader& reader) {
    const QString serial = QString::fromStdString(reader.Identity().serial_number);
    if (readers.contains(serial)) TakeSettings(readers[serial].toObject(), reader.Settings());
  });
}

QString DemoState::Save() const {
  QJsonObject readers;
  ForEachReader(library_, [&](SimulatedReader& reader) {
    if (reader.SpeaksReaderProtocol()) {
      readers[QString::fromStdString(reader.Identity().serial_number)] =
          SettingsJson(reader.Settings());
    }
  });
  QSaveFile file(path_);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(QJsonDocument(QJsonObject{{"readers", readers}}).toJson()) < 0 || !file.commit()) {
    return file.errorString();
  }
  return QString();
}

}  // namespace kx12r
