#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <optional>

#include "db/ServiceDatabase.h"
#include "files/SettingsFile.h"
#include "link/ReaderLink.h"
#include "ui/FileBrowser.h"
#include "ui/FlexGrid.h"

namespace kx12r {

// Tab 1, "Файлы настроек": saves the selected reader's settings to a settings file, and
// previews and applies a settings file to the selected reader or to every listed reader.
class SettingsFilesTab : public QWidget {
  Q_OBJECT

 public:
  // Settings files start in "Cfg-files" beside the program, or in the home folder where the
  // program's folder cannot hold it.
  SettingsFilesTab(ReaderLink& link, ServiceDatabase& database, QString program_folder,
                   QWidget* parent = nullptr);

  DriveList* Drive1;
  FolderList* Dir1;
  FileList* File1;
  QLineEdit* Text3;
  QComboBox* ComboBox1;
  FlexGrid* MSFlexGrid5;
  QLabel* Label2;
  QGroupBox* Frame1;
  QRadioButton* Option1;
  QRadioButton* Option2;
  QCheckBox* Check1;
  QPushButton* Command1;
  QLabel* Label4;
  QLabel* Label5;

  // Each time the tab is opened: the settings folder, settings files only, save mode.
  void SetUpFilesTab();
  // The device list's selection changed while the tab is open.
  void ShowSelectedReader();
  QString EnsureSettingsFolder();
  void SetFilesMode(bool save);
  void PreviewReaderSettings();
  void PreviewSettingsFile();
  void SaveSettingsFile();
  void ApplySettingsFile();
  bool FileHasInvalidValues() const { return file_has_invalid_values_; }

 private:
  // The selected file's lines; the reasons it has none are told only for an apply.
  std::optional<QStringList> ReadSettingsFile(bool for_apply);
  bool SaveMode() const { return Option1->isChecked(); }
  void SetUpPreviewGrid();
  void ShowValue(int row, const QString& text, bool valid);
  void ShowVariantKind(double variant);
  void OnCommand1Click();
  void OnDriveChange();
  void OnFolderChange();
  void OnFileClick();
  void OnFileTypeChange();
  void OnOptionClick(bool save);
  void EndApply();

  ReaderLink& link_;
  ServiceDatabase& database_;
  QString program_folder_;
  bool file_has_invalid_values_ = false;
};

}  // namespace kx12r
