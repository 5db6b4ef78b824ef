#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>

namespace kx12r {

// The places a person picks a folder from: the root of the file system, the home folder and
// removable media (under /media and /run/media), each listed by its path.
class DriveList : public QComboBox {
  Q_OBJECT

 public:
  explicit DriveList(QWidget* parent = nullptr);

  // Lists the places mounted now.
  void Refresh();
  // The path of the chosen place; empty when none.
  QString Drive() const;
  // Chooses the place that holds `folder` (the longest path it lies in).
  void SelectDriveOf(const QString& folder);

 signals:
  // The user chose another place.
  void Change();
};

// The current folder with its parents above and its subfolders below; activating an entry
// (double click or Enter) makes it the current folder.
class FolderList : public QListWidget {
  Q_OBJECT

 public:
  explicit FolderList(QWidget* parent = nullptr);

  const QString& Path() const { return path_; }
  void SetPath(const QString& path);

 signals:
  // The current folder changed by the user's choice.
  void Change();

 private:
  QString path_;
};

// The files of a folder that match a pattern ("*.kxr", "*.*"), by name.
class FileList : public QListWidget {
  Q_OBJECT

 public:
  explicit FileList(QWidget* parent = nullptr);

  const QString& Folder() const { return folder_; }
  void SetFolder(const QString& folder);
  void SetPattern(const QString& pattern);
  // Reads the folder again.
  void Refresh();
  // The names of the files in `folder` that match `pattern`, as the list shows them.
  static QStringList Matching(const QString& folder, const QString& pattern);
  // The selected file's name; empty when none is selected.
  QString FileName() const;
  void SelectFirst();

 private:
  QString folder_;
  QString pattern_ = QStringLiteral("*.*");
};

}  // namespace kx12r
