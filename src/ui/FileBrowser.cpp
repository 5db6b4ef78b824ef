// The places and folders a person picks settings files from.
#include "ui/FileBrowser.h"

#include <QDir>
#include <QStorageInfo>

namespace kx12r {
namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kIndentPerLevel = 2;

// Removable media, where settings files travel between PCs; on Windows every drive, as its drive
// list has them.
bool IsOfferedVolume(const QString& root) {
#ifdef _WIN32
  Q_UNUSED(root);
  return true;
#else
  return root.startsWith(QStringLiteral("/media/")) ||
         root.startsWith(QStringLiteral("/run/media/"));
#endif
}

}  // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
  connect(this, &QComboBox::activated, this, &DriveList::Change);
}

void DriveList::Refresh() {
  QStringList places{QDir::rootPath(), QDir::homePath()};
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (volume.isValid() && volume.isReady() && IsOfferedVolume(volume.rootPath())) {
      places << volume.rootPath();
    }
  }
  places.removeDuplicates();
  const QString chosen = Drive();
  clear();
  for (const QString& place : places) addItem(place, place);
  const int again = findData(chosen);
  setCurrentIndex(again >= 0 ? again : 0);
}

QString DriveList::Drive() const { return currentData().toString(); }

void DriveList::SelectDriveOf(const QString& folder) {
  const QString path = QDir::cleanPath(folder);
  int best = -1;
  for (int i = 0; i < count(); ++i) {
    const QString place = itemData(i).toString();
    const bool holds = path == place || path.startsWith(place.endsWith('/') ? place : place + '/');
    if (holds && (best < 0 || place.size() > itemData(best).toString().size())) best = i;
  }
  setCurrentIndex(best);
}

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
  connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    SetPath(item->data(kPathRole).toString());
    emit Change();
  });
}

void FolderList::SetPath(const QString& path) {
  path_ = QDir::cleanPath(QDir(path).absolutePath());
  clear();
  // The parents first, each a step further in, then the folder's own subfolders.
  QStringList chain;
  for (QDir dir(path_);;) {
    chain.prepend(dir.absolutePath());
    if (dir.isRoot() || !dir.cdUp()) break;
  }
  int level = 0;
  for (const QString& folder : chain) {
    const QString name = QDir(folder).isRoot() ? folder : QDir(folder).dirName();
    auto* item =
        new QListWidgetItem(QString(level * kIndentPerLevel, QLatin1Char(' ')) + name, this);
    item->setData(kPathRole, folder);
    ++level;
  }
  setCurrentRow(static_cast<int>(chain.size()) - 1);
  const QDir dir(path_);
  for (const QString& sub : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
    auto* item =
        new QListWidgetItem(QString(level * kIndentPerLevel, QLatin1Char(' ')) + sub, this);
    item->setData(kPathRole, dir.filePath(sub));
  }
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {}

void FileList::SetFolder(const QString& folder) {
  folder_ = folder;
  Refresh();
}

void FileList::SetPattern(const QString& pattern) {
  pattern_ = pattern;
  Refresh();
}

void FileList::Refresh() {
  const QString selected = FileName();
  clear();
  if (folder_.isEmpty()) return;
  addItems(Matching(folder_, pattern_));
  const auto again = findItems(selected, Qt::MatchExactly);
  if (!again.isEmpty()) setCurrentItem(again.front());
}

QStringList FileList::Matching(const QString& folder, const QString& pattern) {
  // "*.*" means every file, as it always has on the systems these files come from.
  const QString filter = pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern;
  return QDir(folder).entryList({filter}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

QString FileList::FileName() const {
  const QListWidgetItem* item = currentItem();
  return item && item->isSelected() ? item->text() : QString();
}

void FileList::SelectFirst() {
  if (count() > 0) setCurrentRow(0);
}

}  // namespace kx12r
