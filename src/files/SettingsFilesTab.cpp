// The files tab: saving a reader's settings, previewing and applying a file.
#include "files/SettingsFilesTab.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>

#include "base/MessageBox.h"
#include "base/NumericText.h"
#include "base/ProgramFolder.h"
#include "db/ServiceLookups.h"
#include "files/SettingsApply.h"
#include "link/FirmwareGate.h"
#include "shown/ShownSettings.h"
#include "ui/GridToolkit.h"
#include "ui/Twips.h"

namespace kx12r {
namespace {

const QString kSettingsFolderName = QStringLiteral("Cfg-files");
const QString kDefaultFileName = QStringLiteral("Конфигурация ");
const QColor kChangeableColour(0xC0, 0xC0, 0xFF);  // 0xFFC0C0 as the window system writes it
const QColor kInvalidColour(255, 0, 0);
constexpr int kTallRowHeight = 480;

struct FileType {
  const char* shown;
  const char* pattern;
};
constexpr FileType kFileTypes[] = {{"Все файлы (*.*)", "*.*"}, {"Файлы настроек (*.kxr)", "*.kxr"}};
constexpr int kSettingsFileType = 1;

// The variant an apply wrote: the first parameter; 0 when the file does not set it.
int VariantWritten(const std::vector<AppliedParameter>& parameters) {
  const int* variant = std::get_if<int>(&parameters.front().value);
  return variant && !parameters.front().missing ? *variant : 0;
}

// The folder `base`/Cfg-files when it is there, or can be made, and may be written to.
QString UsableSettingsFolder(const QString& base) {
  if (base.isEmpty()) return QString();
  const QString path = QDir(base).filePath(kSettingsFolderName);
  if (!QFileInfo(path).isDir() && !QDir(base).mkpath(kSettingsFolderName)) return QString();
  return QFileInfo(path).isWritable() ? path : QString();
}

}  // namespace

SettingsFilesTab::SettingsFilesTab(ReaderLink& link, ServiceDatabase& database,
                                   QString program_folder, QWidget* parent)
    : QWidget(parent),
      link_(link),
      database_(database),
      program_folder_(std::move(program_folder)) {
  Drive1 = new DriveList(this);
  Drive1->setGeometry(TabPageRect(100, 400, 3500, 315));
  Dir1 = new FolderList(this);
  Dir1->setGeometry(TabPageRect(100, 800, 3500, 3750));
  File1 = new FileList(this);
  File1->setGeometry(TabPageRect(3670, 400, 3500, 3265));
  Drive1->setAccessibleName(QStringLiteral("Диск"));
  Dir1->setAccessibleName(QStringLiteral("Папки"));
  File1->setAccessibleName(QStringLiteral("Файлы"));
  Text3 = new QLineEdit(this);
  Text3->setAccessibleName(QStringLiteral("Имя файла"));
  Text3->setGeometry(TabPageRect(3670, 3770, 3500, 315));
  ComboBox1 = new QComboBox(this);
  ComboBox1->setAccessibleName(QStringLiteral("Тип файлов"));
  ComboBox1->setGeometry(TabPageRect(3670, 4170, 3500, 315));
  MSFlexGrid5 = new FlexGrid(this);
  MSFlexGrid5->setAccessibleName(QStringLiteral("Настройки файла"));
  MSFlexGrid5->setGeometry(TabPageRect(7250, 400, 3350, 2640));
  Label2 = new QLabel(this);
  Label2->setGeometry(TabPageRect(7250, 400, 3350, 2640));
  Label2->setWordWrap(true);
  Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label2->hide();
  Frame1 = new QGroupBox(this);
  Frame1->setGeometry(TabPageRect(7250, 3050, 3350, 1450));
  Option1 = new QRadioButton(QStringLiteral("Сохранить в файл"), Frame1);
  Option1->setGeometry(TwipsRect(120, 240, 2000, 255));
  Option2 = new QRadioButton(QStringLiteral("Загрузить из файла"), Frame1);
  Option2->setGeometry(TwipsRect(120, 600, 2000, 255));
  Check1 = new QCheckBox(QStringLiteral("Все"), Frame1);
  Check1->setGeometry(TwipsRect(400, 960, 1000, 195));
  Command1 = new QPushButton(QStringLiteral("ОК"), Frame1);
  Command1->setGeometry(TwipsRect(2200, 900, 1000, 400));
  Label5 = new QLabel(Frame1);
  Label5->setGeometry(TwipsRect(120, 1250, 200, 200));
  Label5->setAutoFillBackground(true);
  QPalette legend = Label5->palette();
  legend.setColor(QPalette::Window, kChangeableColour);
  Label5->setPalette(legend);
  Label4 = new QLabel(QStringLiteral("для 8-го варианта"), Frame1);
  Label4->setGeometry(TwipsRect(400, 1250, 3000, 200));
  for (const FileType& type : kFileTypes) {
    ComboBox1->addItem(QString::fromUtf8(type.shown), QString::fromUtf8(type.pattern));
  }

  connect(Option1, &QRadioButton::clicked, this, [this] { OnOptionClick(true); });
  connect(Option2, &QRadioButton::clicked, this, [this] { OnOptionClick(false); });
  connect(Command1, &QPushButton::clicked, this, &SettingsFilesTab::OnCommand1Click);
  connect(Text3, &QLineEdit::returnPressed, this, &SettingsFilesTab::SaveSettingsFile);
  connect(File1, &QListWidget::itemClicked, this, &SettingsFilesTab::OnFileClick);
  connect(ComboBox1, &QComboBox::activated, this, &SettingsFilesTab::OnFileTypeChange);
  connect(Dir1, &FolderList::Change, this, &SettingsFilesTab::OnFolderChange);
  connect(Drive1, &DriveList::Change, this, &SettingsFilesTab::OnDriveChange);
}

QString SettingsFilesTab::EnsureSettingsFolder() {
  QString folder =
      IsInstalledProgramFolder(program_folder_) ? QString() : UsableSettingsFolder(program_folder_);
  // Where the program's folder cannot hold it, the user's own folder takes its place.
  if (folder.isEmpty()) folder = UsableSettingsFolder(QDir::homePath());
  if (!folder.isEmpty()) return folder;
  ShowMessage(QStringLiteral("Не удалось создать папку файлов настроек ") +
                  Quoted(QDir(QDir::homePath()).filePath(kSettingsFolderName)) +
                  QStringLiteral(". Файлы настроек будут открываться из домашней папки."),
              kInformationStyle, kMessageTitle);
  return QDir::homePath();
}

void SettingsFilesTab::SetUpFilesTab() {
  const QString folder = EnsureSettingsFolder();
  Drive1->Refresh();
  Drive1->SelectDriveOf(folder);
  Dir1->SetPath(folder);
  ComboBox1->setCurrentIndex(kSettingsFileType);
  File1->SetPattern(ComboBox1->currentData().toString());
  File1->SetFolder(folder);
  File1->SelectFirst();
  SetUpPreviewGrid();
  PreviewReaderSettings();
  Text3->setToolTip(QStringLiteral("\"Enter\" - сохранить конфигурацию в файл."));
  Option1->setChecked(true);
  OnOptionClick(true);
  Command1->setToolTip(QStringLiteral("Сохранить конфигурацию в файл."));
}

void SettingsFilesTab::SetUpPreviewGrid() {
  FlexGrid& grid = *MSFlexGrid5;
  // It takes no input, yet reads as clearly as an enabled grid.
  grid.setAttribute(Qt::WA_TransparentForMouseEvents);
  grid.setFocusPolicy(Qt::NoFocus);
  grid.SetScrollBars(FlexGrid::ScrollBars::kNone);
  grid.SetFixedCols(1);
  if (!InitGridFromCaptions(grid, QStringLiteral("Наименование|Значение"), Qt::AlignCenter,
                            {QString()})) {
    return;
  }
  // The long captions of the two tall rows take two lines.
  grid.SetColAlignment(0, Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
  grid.SetRows(1 + kSettingsKeyCount);
  for (int row = 1; row < grid.Rows(); ++row) {
    grid.SetTextMatrix(row, 0, QString::fromUtf8(kSettingCaptions[row - 1].listed));
  }
  grid.SetCellPicture(1, 1, QStringLiteral("check"));
  for (int row = 2; row <= 5; ++row) grid.SetCellBackColor(row, 1, kChangeableColour);
  grid.SetRowHeight(7, kTallRowHeight);
  grid.SetRowHeight(8, kTallRowHeight);
  const QRect last = grid.CellGeometry(8, 1);
  grid.resize(grid.width(), last.bottom() + 1 + grid.frameWidth());
  grid.SetRow(0);  // no cell is current: nothing shows as selected
}

void SettingsFilesTab::ShowSelectedReader() {
  if (SaveMode()) {
    PreviewReaderSettings();
  } else {
    PreviewSettingsFile();
  }
}

void SettingsFilesTab::OnOptionClick(bool save) {
  Command1->setToolTip(save ? QStringLiteral("Сохранить конфигурацию в файл")
                            : QStringLiteral("Загрузить конфигурацию из файла"));
  SetFilesMode(save);
  if (save) {
    PreviewReaderSettings();
  } else {
    PreviewSettingsFile();
  }
}

void SettingsFilesTab::SetFilesMode(bool save) {
  Check1->setEnabled(!save);
  File1->setEnabled(!save);
  if (File1->FileName().isEmpty()) File1->SelectFirst();
  Text3->setEnabled(save);
  if (save) {
    Text3->setText(kDefaultFileName);
    Text3->setFocus();
    Text3->selectAll();
  } else {
    Text3->setText(File1->FileName());
  }
}

void SettingsFilesTab::ShowVariantKind(double variant) {
  kx12r::ShowVariantKind(link_.Status(), variant == kChangeableVariant);
}

void SettingsFilesTab::ShowValue(int row, const QString& text, bool valid) {
  MSFlexGrid5->SetTextMatrix(row, 1, text);
  MSFlexGrid5->SetCellForeColor(row, 1, valid ? palette().color(QPalette::Text) : kInvalidColour);
}

void SettingsFilesTab::PreviewReaderSettings() {
  const ConnectedReader& reader = link_.SelectedReader();
  const ReaderValues& values = reader.Values();
  ShowVariantKind(values.variant);
  const bool ok = reader.Configurable();
  if (ok) {
    ShowValue(1, QString::number(values.variant), true);
    ShowValue(2, ShownAffix(values.prefix.text), true);
    const int format = values.code_format.value_or(0);
    const bool format_known = CodeVariantExists(database_, format);
    const QString format_name = format_known ? GetCodeVariantName(database_, format) : QString();
    ShowValue(3, format_name.isEmpty() ? kUnknown : format_name, format_known);
    ShowValue(4, ShownAffix(values.suffix.text), true);
    const int ending = values.ending;
    const bool ending_known = EndingCodeExists(database_, ending);
    ShowValue(5, ending_known ? GetEndingKeyName(database_, ending) : kUnknown, ending_known);
    for (int i = 0; i < static_cast<int>(kFlagKeys.size()); ++i) {
      ShowValue(6 + i, ShownFlag(values.Flag(kFlagKeys[i])), true);
    }
  } else {
    FirmwareWarning(*Label2, link_);
  }
  MSFlexGrid5->setVisible(ok);
  Label2->setVisible(!ok);
  for (QWidget* control :
       std::initializer_list<QWidget*>{Option1, Option2, Drive1, Dir1, ComboBox1, Command1}) {
    if (control->isEnabled() != ok) control->setEnabled(ok);
  }
  Check1->setEnabled(ok && !SaveMode());
  File1->setEnabled(ok && !SaveMode());
  Text3->setEnabled(ok && SaveMode());
}

std::optional<QStringList> SettingsFilesTab::ReadSettingsFile(bool for_apply) {
  const QString folder = File1->Folder();
  if (FileList::Matching(folder, ComboBox1->currentData().toString()).isEmpty()) {
    if (for_apply) {
      ShowMessage(QStringLiteral("Папка ") + Quoted(folder) +
                      QStringLiteral(" не содержит файлов настроек."),
                  kInformationStyle, kMessageTitle);
    }
    return std::nullopt;
  }
  const QString name = File1->FileName();
  // A file gone since it was listed holds no settings either.
  const std::optional<QStringList> lines =
      HasSettingsExtension(name) ? ReadSettingsLines(QDir(folder).filePath(name)) : std::nullopt;
  if (!lines) {
    if (for_apply) {
      ShowMessage(QStringLiteral("Файл ") + Quoted(name) +
                      QStringLiteral(" не содержит параметров настроек. Операция не может быть "
                                     "выполнена."),
                  kInformationStyle, kMessageTitle);
    }
  }
  return lines;
}

void SettingsFilesTab::PreviewSettingsFile() {
  const std::optional<QStringList> lines = ReadSettingsFile(false);
  if (!lines) {
    for (int row = 1; row < MSFlexGrid5->Rows(); ++row) MSFlexGrid5->SetTextMatrix(row, 1, "");
    return;
  }
  const ValidatedSettings settings = ValidateSettings(*lines, ReferenceNames(&database_));
  file_has_invalid_values_ = settings.HasInvalidValues();
  for (const SettingDescriptor& setting : kSettings) {
    const SettingsKey key = setting.key;
    const int row = 1 + static_cast<int>(key);
    const SettingsValue& value = settings[key];
    if (row <= 5) {
      ShowValue(row, value.shown, value.valid);
    } else {
      MSFlexGrid5->SetTextMatrix(row, 1, value.shown);
    }
    if (key == SettingsKey::kVariant) ShowVariantKind(NumberOfValue(value.value.text));
  }
}

void SettingsFilesTab::SaveSettingsFile() {
  const QString path =
      QDir(Dir1->Path()).filePath(Text3->text().trimmed() + QLatin1String(kSettingsFileExtension));
  if (const auto refusal = NotARegularFileText(path)) {
    ShowMessage(*refusal, kInformationStyle, kMessageTitle);
    return;
  }
  if (PathEntryExists(path) &&
      ShowMessage(QStringLiteral("Файл конфигурации ") + Quoted(path) +
                      QStringLiteral(" уже существует. ") + Quoted(QStringLiteral("Да")) +
                      QStringLiteral(" - продолжить, ") + Quoted(QStringLiteral("Нет")) +
                      QStringLiteral(" - отменить операцию."),
                  kYesNoQuestion, kMessageTitle) != kAnswerYes) {
    return;
  }
  if (const auto error = WriteFileWhole(path, SettingsFileBytes(link_.SelectedReader().Values()))) {
    ShowMessage(QStringLiteral("Ошибка при сохранении файла конфигурации: ") + Quoted(*error),
                kInformationStyle, kMessageTitle);
    return;
  }
  File1->Refresh();
  ShowMessage(QStringLiteral("Файл конфигурации сохранен успешно."), kInformationStyle,
              kMessageTitle);
}

void SettingsFilesTab::OnCommand1Click() {
  if (SaveMode()) return SaveSettingsFile();
  if (file_has_invalid_values_) {
    ShowMessage(InvalidFileText(database_), kInformationStyle, kMessageTitle);
    return;
  }
  ApplySettingsFile();
}

void SettingsFilesTab::EndApply() {
  link_.View().HideProgress();
  link_.ResumeDiscovery();
}

void SettingsFilesTab::ApplySettingsFile() {
  if (!link_.WaitForIdle()) return;
  const std::optional<QStringList> lines = ReadSettingsFile(true);
  if (!lines) return EndApply();
  // The file written is the file judged now, not the one the preview showed earlier.
  const ValidatedSettings settings = ValidateSettings(*lines, ReferenceNames(&database_));
  if (settings.HasInvalidValues()) {
    EndApply();
    PreviewSettingsFile();
    ShowMessage(InvalidFileText(database_), kInformationStyle, kMessageTitle);
    return;
  }
  const std::vector<AppliedParameter> parameters = ParametersToApply(settings);

  const FlexGrid& table = link_.DeviceTable();
  DeviceList& devices = link_.Devices();
  const int first = Check1->isChecked() ? 1 : table.Row();
  const int last = Check1->isChecked() ? table.Rows() - 1 : table.Row();
  std::vector<ApplyTarget> targets;
  for (int row = std::max(first, 1); row <= last; ++row) {
    const ConnectedReader& reader = devices.InRow(row);
    targets.push_back({reader.handle, reader.Configurable()});
  }
  const bool progress = last > 0 && first != last;
  if (progress) link_.View().ShowProgress(last);
  const int first_row = std::max(first, 1);
  const ApplyReport report = ApplyToReaders(
      link_.Hid(), targets, parameters,
      [&](int target, const SettingWrite& accepted) {
        devices.TakeValue(first_row + target, accepted.key, accepted.value);
      },
      [&](int target) {
        if (progress) link_.View().SetProgress(first_row + target);
      });
  EndApply();
  if (report.refused) {
    ShowMessage(ApplyRefusedText(*report.refused, devices.InRow(first_row + report.refused_target),
                                 parameters, database_),
                kStopStyle, kMessageTitle);
    return;
  }
  // The kind of the variant written, when a reader took it.
  ShowVariantKind(report.configured > 0 ? VariantWritten(parameters) : 0);
  // Nothing was written to a reader that cannot be configured; saying "done" would be false.
  if (report.configured == 0) {
    ShowMessage(NothingAppliedText(), kInformationStyle, kMessageTitle);
    return;
  }
  ShowMessage(ApplyDoneText(report.missing), kInformationStyle, kMessageTitle);
}

void SettingsFilesTab::OnDriveChange() {
  const QString drive = Drive1->Drive();
  if (QFileInfo(drive).isDir()) {
    Dir1->SetPath(drive);
    return OnFolderChange();
  }
  ShowMessage(QStringLiteral("Диск ") + Quoted(drive) + QStringLiteral(" не существует."),
              kInformationStyle, kMessageTitle);
  Drive1->Refresh();
  Drive1->SelectDriveOf(QDir::rootPath());
  Dir1->SetPath(QDir::rootPath());
  OnFolderChange();
}

void SettingsFilesTab::OnFolderChange() {
  File1->SetFolder(Dir1->Path());
  if (File1->FileName().isEmpty()) File1->SelectFirst();
  if (!SaveMode()) PreviewSettingsFile();
}

void SettingsFilesTab::OnFileClick() {
  Text3->setText(File1->FileName());
  PreviewSettingsFile();
}

void SettingsFilesTab::OnFileTypeChange() {
  File1->SetPattern(ComboBox1->currentData().toString());
}

}  // namespace kx12r
