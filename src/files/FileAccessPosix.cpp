// Settings files on a POSIX file system: no link followed, owners kept, nothing waited on.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <cerrno>
#include <vector>

#include "files/FileAccess.h"
#include "files/SettingsFile.h"

namespace kx12r {
namespace {

// Writes the bytes from the file's start, gives it their length and `mode`, and closes it; 0 or
// the system's error.
int WriteWholeAndClose(int fd, const QByteArray& bytes, mode_t mode) {
  int error = 0;
  for (qsizetype done = 0; done < bytes.size() && error == 0;) {
    const ssize_t n = pwrite(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done),
                             static_cast<off_t>(done));
    if (n > 0) done += n;
    if (n < 0 && errno != EINTR) error = errno;
    if (n == 0) error = ENOSPC;
  }
  if (error == 0 && (ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 ||
                     fchmod(fd, mode) != 0 || fsync(fd) != 0)) {
    error = errno;
  }
  if (close(fd) != 0 && error == 0) error = errno;
  return error;
}

bool InGroup(gid_t group) {
  if (group == getegid()) return true;
  std::vector<gid_t> groups(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
  const int count = getgroups(static_cast<int>(groups.size()), groups.data());
  return std::find(groups.begin(), groups.begin() + std::max(count, 0), group) !=
         groups.begin() + std::max(count, 0);
}

// Whether a new file of ours can be given the existing file's owner and group.
bool CanKeepOwner(const struct stat& existing) {
  return geteuid() == 0 || (existing.st_uid == geteuid() && InGroup(existing.st_gid));
}

// A file that stays where it is: its owner, group and mode stay, for a file of another user or
// in a folder we may not write. Only a regular file is opened, and no link is followed.
std::optional<QString> RewriteInPlace(const QString& path, const QByteArray& bytes, mode_t mode) {
  const int fd =
      open(QFile::encodeName(path).constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return qt_error_string(errno);
  struct stat opened {};
  if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
    close(fd);
    return NotARegularFileText(path).value_or(qt_error_string(EINVAL));
  }
  if (const int error = WriteWholeAndClose(fd, bytes, mode)) return qt_error_string(error);
  return std::nullopt;
}

}  // namespace

bool PathEntryExists(const QString& path) {
  struct stat entry {};
  return lstat(QFile::encodeName(path).constData(), &entry) == 0;
}

bool IsOtherThanRegularFile(const QString& path) {
  struct stat entry {};
  return lstat(QFile::encodeName(path).constData(), &entry) == 0 && !S_ISREG(entry.st_mode);
}

std::optional<QString> WriteFileWhole(const QString& path, const QByteArray& bytes) {
  const QByteArray native = QFile::encodeName(path);
  struct stat existing {};
  const bool exists = lstat(native.constData(), &existing) == 0;
  // Only a regular file is ever replaced: never what a link points to, nor a device.
  if (exists && !S_ISREG(existing.st_mode)) return NotARegularFileText(path);
  // A file made read-only stays as it is, even for a user the system would let replace it.
  if (exists && (access(native.constData(), W_OK) != 0 || (existing.st_mode & 0222) == 0)) {
    return qt_error_string(EACCES);
  }
  const mode_t process_mask = umask(0);
  umask(process_mask);
  const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~process_mask);
  // A file that a new one could not stand in for (another user's, or in a folder we may not
  // write) is rewritten where it is, keeping its owner.
  const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
  if (exists && (!CanKeepOwner(existing) || access(folder.constData(), W_OK) != 0)) {
    return RewriteInPlace(path, bytes, mode);
  }
  // The bytes go to a new file beside it that then takes its name: the new file is made
  // exclusively (no link is followed), and the rename replaces the name itself.
  QByteArray temporary = native + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return qt_error_string(errno);
  // Root replacing a user's file leaves it the user's.
  if (exists && fchown(fd, existing.st_uid, existing.st_gid) != 0) {
    const int error = errno;
    close(fd);
    unlink(temporary.constData());
    return qt_error_string(error);
  }
  int error = WriteWholeAndClose(fd, bytes, mode);
  if (error == 0 && rename(temporary.constData(), native.constData()) == 0) return std::nullopt;
  if (error == 0) error = errno;
  unlink(temporary.constData());
  return qt_error_string(error);
}

std::optional<QByteArray> ReadRegularFile(const QString& path, qsizetype limit,
                                          UnreadableFile* why) {
  const auto refused = [why](UnreadableFile reason) -> std::optional<QByteArray> {
    if (why != nullptr) *why = reason;
    return std::nullopt;
  };
  // Never waits: a FIFO or a device opens at once and is then refused by its type.
  const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    return refused(errno == EACCES || errno == EPERM ? UnreadableFile::kNoPermission
                                                     : UnreadableFile::kReadFailed);
  }
  const auto done = qScopeGuard([fd] { close(fd); });
  struct stat opened {};
  if (fstat(fd, &opened) != 0) return refused(UnreadableFile::kReadFailed);
  if (!S_ISREG(opened.st_mode)) return refused(UnreadableFile::kNotRegular);
  if (opened.st_size > limit) return refused(UnreadableFile::kTooLarge);
  QByteArray bytes(limit + 1, Qt::Uninitialized);
  qsizetype length = 0;
  while (length < bytes.size()) {
    const ssize_t n = read(fd, bytes.data() + length, static_cast<size_t>(bytes.size() - length));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return refused(UnreadableFile::kReadFailed);
    if (n == 0) break;
    length += n;
  }
  if (length > limit) return refused(UnreadableFile::kTooLarge);  // it grew
  bytes.truncate(length);
  return bytes;
}

}  // namespace kx12r
