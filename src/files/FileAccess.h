#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// What settings files need of the file system, where POSIX and Windows differ.
namespace kx12r {

// Whether anything has the name `path`, a link that points nowhere included.
bool PathEntryExists(const QString& path);

// Whether something other than a regular file has the name `path` (a link, a folder, a device).
bool IsOtherThanRegularFile(const QString& path);

// Replaces or creates the file as a whole: the bytes go to a temporary file beside it that then
// takes its name (with the old file's owner, group and mode), so a failed save leaves an
// existing file as it was; a file whose owner a new one could not keep, or in a folder we may
// not write, is rewritten in place instead. A read-only file, a link and anything but a regular
// file are never replaced. The system's description of what went wrong (or
// NotARegularFileText), or nothing.
std::optional<QString> WriteFileWhole(const QString& path, const QByteArray& bytes);

// Why a file could not be read as a settings file.
enum class UnreadableFile { kNoPermission, kNotRegular, kTooLarge, kReadFailed };

// The bytes of the regular file at `path` of at most `limit` bytes, read without waiting on a
// FIFO or a device; nothing otherwise, and then, when `why` is given, the reason there.
std::optional<QByteArray> ReadRegularFile(const QString& path, qsizetype limit,
                                          UnreadableFile* why);

}  // namespace kx12r
