// Settings files on Windows: a new file takes the old one's name in one step, a link or a
// device is never written through, and a read-only file stays as it is.
#include <windows.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "files/FileAccess.h"
#include "files/SettingsFile.h"

namespace kx12r {

bool PathEntryExists(const QString& path) {
  const QFileInfo entry(path);
  return entry.exists() || entry.isSymLink();
}

bool IsOtherThanRegularFile(const QString& path) {
  const QFileInfo entry(path);
  return PathEntryExists(path) && (entry.isSymLink() || entry.isJunction() || !entry.isFile());
}

std::optional<QString> WriteFileWhole(const QString& path, const QByteArray& bytes) {
  if (const auto refusal = NotARegularFileText(path)) return refusal;
  const QFileInfo existing(path);
  if (existing.exists() && !existing.isWritable()) return qt_error_string(ERROR_ACCESS_DENIED);
  QSaveFile file(path);
  // In a folder where no new file may be made, the file is rewritten where it is.
  file.setDirectWriteFallback(true);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    return file.errorString();
  }
  return std::nullopt;
}

std::optional<QByteArray> ReadRegularFile(const QString& path, qsizetype limit,
                                          UnreadableFile* why) {
  const auto refused = [why](UnreadableFile reason) -> std::optional<QByteArray> {
    if (why != nullptr) *why = reason;
    return std::nullopt;
  };
  const QFileInfo entry(path);
  if (entry.exists() && !entry.isFile()) return refused(UnreadableFile::kNotRegular);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    const bool denied = entry.exists() && !entry.isReadable();
    return refused(denied ? UnreadableFile::kNoPermission : UnreadableFile::kReadFailed);
  }
  if (file.size() > limit) return refused(UnreadableFile::kTooLarge);
  QByteArray bytes = file.read(limit + 1);
  if (file.error() != QFileDevice::NoError) return refused(UnreadableFile::kReadFailed);
  if (bytes.size() > limit) return refused(UnreadableFile::kTooLarge);  // it grew
  return bytes;
}

}  // namespace kx12r
