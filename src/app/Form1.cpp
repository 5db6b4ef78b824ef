// The main window: its tabs, the timer's discovery, and the routing between the screens.
#include "app/Form1.h"

#include <QFileInfo>
#include <stdexcept>

#include "base/MessageBox.h"
#include "base/NumericText.h"
#include "link/FirmwareGate.h"
#include "reader/ReaderIdentity.h"
#include "settings/SerialNumber.h"
#include "shown/ReaderMessages.h"
#include "ui/GridToolkit.h"
#include "ui/LayoutFont.h"
#include "ui/Twips.h"

namespace kx12r {
namespace {

// The window's client area; the design gives the outer size 11000 x 7300.
constexpr int kClientWidth = 10940;
constexpr int kClientHeight = 7000;
constexpr int kStatusBarHeight = 350;
constexpr QRect kDeviceListPlace = TwipsRect(120, 120, 10680, 1550);
constexpr QRect kTabsPlace = TwipsRect(120, 1800, 10700, 4650);
constexpr QRect kProgressPlace = TwipsRect(7080, 6650, 3700, 160);
enum Tab { kSettingsTab = 0, kFilesTab = 1, kDatabaseTab = 2, kUpdateTab = 3, kCardTestTab = 4 };

const QString kEndOfWork =
    QStringLiteral(" Дальнейшая работа в программе невозможна, она будет закрыта.");

QString WindowTitle() {
  return QStringLiteral("ТК ") + Quoted(QStringLiteral("Сальвион системы")) +
         QStringLiteral(" - Конфигуратор для считывателя ") + Quoted(QStringLiteral("KX12R")) +
         QStringLiteral(" ") + QStringLiteral("v1.0.3");
}

}  // namespace

QString DatabasePathOf(const StartupEnvironment& environment) {
  return environment.database_path.isEmpty() ? GetDatabasePath(environment.program_folder)
                                             : environment.database_path;
}

std::unique_ptr<Form1> Form1::Load(HidLibrary& hid, WaitClock& clock,
                                   const StartupEnvironment& environment) {
  auto start = [&]() -> std::unique_ptr<Form1> {
    const bool user_is_admin = environment.is_user_an_admin && environment.is_user_an_admin();
    const QString database_path = DatabasePathOf(environment);
    if (!QFileInfo::exists(database_path)) {
      ShowMessage(QStringLiteral("Путь к служебной базе данных ") + Quoted(database_path) +
                      QStringLiteral(" не существут.") + kEndOfWork,
                  kStopStyle, kErrorTitle);
      return nullptr;
    }
    // An administrator who still cannot write the file (a source install, a changed mode)
    // opens it read-only and is told why, instead of failing at the first edit.
    const QString read_only_reason =
        user_is_admin ? WhyDatabaseIsReadOnly(database_path) : QString();
    std::unique_ptr<Form1> form(
        new Form1(hid, clock, environment, user_is_admin, read_only_reason));
    form->Start();
    return form;
  };
  if (!environment.compiled_run) return start();
  // A built program ends with a message on any unexpected start-up error.
  try {
    return start();
  } catch (const std::exception& error) {
    ShowMessage(Quoted(QString::fromLocal8Bit(error.what())) + QStringLiteral(".") + kEndOfWork,
                kStopStyle, kErrorTitle);
    return nullptr;
  }
}

Form1::Form1(HidLibrary& hid, WaitClock& clock, const StartupEnvironment& environment,
             bool user_is_admin, QString read_only_reason)
    : hid_(hid),
      clock_(clock),
      present_card_(environment.present_card),
      program_folder_(environment.program_folder),
      compiled_run_(environment.compiled_run),
      user_is_admin_(user_is_admin),
      read_only_reason_(std::move(read_only_reason)),
      database_(DatabasePathOf(environment), !user_is_admin || !read_only_reason_.isEmpty(),
                environment.database_busy_timeout) {
  database_.TellFaultsTo(ShowNotice);
  CreateControls();
}

Form1::~Form1() = default;

void Form1::CreateControls() {
  setFixedSize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
  setWindowTitle(WindowTitle());
  setFont(LayoutFont(font()));

  MSFlexGrid1 = new FlexGrid(this);
  MSFlexGrid1->setGeometry(kDeviceListPlace);
  MSFlexGrid1->setAccessibleName(QStringLiteral("Подключенные устройства"));
  SSTab1 = new QTabWidget(this);
  SSTab1->setGeometry(kTabsPlace);
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setGeometry(0, height() - TwipsToPixels(kStatusBarHeight), width(),
                          TwipsToPixels(kStatusBarHeight));
  status_ = std::make_unique<StatusPanels>(*StatusBar1);
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setGeometry(kProgressPlace);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->hide();
  ProgressBar1->setAccessibleName(QStringLiteral("Ход загрузки"));
  // The buttons show "..." in their cells: a screen reader says what they do.
  Command3 = new QPushButton(this);
  Command3->hide();
  Command3->setAccessibleName(QStringLiteral("Светозвуковая индикация"));
  Command4 = new QPushButton(this);
  Command4->hide();
  Command4->setAccessibleName(QStringLiteral("Изменить серийный номер"));
  Text8 = new EditorBox(this);
  Text8->hide();
  Text8->setAccessibleName(QStringLiteral("Серийный номер"));

  DiscoveryView& view = *this;
  link_ = std::make_unique<ReaderLink>(hid_, *MSFlexGrid1, *status_, view, clock_);
  SettingsTab = new ReaderSettingsTab(*link_, database_);
  FilesTab = new SettingsFilesTab(*link_, database_, program_folder_);
  DatabaseTab = new DatabasePageTab(database_, user_is_admin_, read_only_reason_);
  Transaction = DatabaseTab->Editors->Transaction;
  UpdateTab = new FirmwareUpdateTab;
  CardTab = new CardTestTab(*link_, clock_, present_card_);
  ProgressBar1->raise();
}

void Form1::Start() {
  if (!link_->InitDeviceTable()) return;

  SSTab1->addTab(SettingsTab, QStringLiteral("Настройки считывателя"));
  SSTab1->addTab(FilesTab, QStringLiteral("Файлы настроек"));
  SSTab1->addTab(DatabaseTab, QStringLiteral("Специальные настройки"));
  SSTab1->addTab(UpdateTab, QStringLiteral("Обновление ПО"));
  SSTab1->addTab(CardTab, QStringLiteral("Проверка считывания"));

  // A rebuilt list has shown its reader count already.
  if (hid_.Connect() && !link_->DiscoverReaders(false)) {
    MSFlexGrid1->setEnabled(false);
    ShowReadersPresent(false);
    link_->ShowReaderCount();
  }

  SettingsTab->BuildSettingsGrid();
  Command3->setToolTip(QStringLiteral("Вызвать светозвуковую индикацию считывателя"));
  Command4->setToolTip(QStringLiteral("Изменить серийный номер"));

  connect(link_.get(), &ReaderLink::ReaderSelected, this, &Form1::OnReaderSelected);
  connect(link_.get(), &ReaderLink::DevicesChanged, this, &Form1::TellAboutDeniedReaders);
  connect(link_.get(), &ReaderLink::Ticked, this, &Form1::TellAboutDeniedReaders);
  connect(SSTab1, &QTabWidget::currentChanged, this, &Form1::OnTabChange);
  connect(Command3, &QPushButton::clicked, this, [this] { CallIndication(*link_); });
  connect(Command4, &QPushButton::clicked, this, [this] { ChangeSerialNumber(*link_, *Text8); });
  connect(DatabaseTab, &DatabasePageTab::Unlocked, this, &Form1::PlaceSerialNumberButton);
  connect(MSFlexGrid1, &FlexGrid::Scroll, this, [this] {
    PlaceIndicationButton();
    PlaceSerialNumberButton();
  });
  link_->SelectReader();
  TellAboutDeniedReaders();
  link_->Timer1().start();
}

void Form1::OnReaderSelected() {
  PlaceIndicationButton();
  PlaceSerialNumberButton();
  ReloadOpenTab();
}

void Form1::OnTabChange() {
  PlaceSerialNumberButton();
  if (SSTab1->currentIndex() == kSettingsTab) link_->SelectReader();
  if (SSTab1->currentIndex() == kFilesTab) FilesTab->SetUpFilesTab();
  if (SSTab1->currentIndex() == kDatabaseTab) {
    DatabaseTab->ShowDatabasePage(SSTab1->tabText(kDatabaseTab));
  }
}

void Form1::ReloadOpenTab() {
  switch (SSTab1->currentIndex()) {
    case kSettingsTab:
      SettingsTab->ShowReaderInSettingsGrid();
      break;
    case kFilesTab:
      FilesTab->ShowSelectedReader();
      break;
    default:
      break;
  }
}

void Form1::PlaceIndicationButton() {
  if (FirmwareAtLeast170(*link_)) {
    PlaceRowButton(*MSFlexGrid1, *Command3, DeviceList::kVendorIdColumn);
  } else {
    Command3->hide();
  }
}

void Form1::PlaceSerialNumberButton() {
  if (SSTab1->currentIndex() == kDatabaseTab && FirmwareAtLeast170(*link_) &&
      DatabaseTab->DatabasePageUnlocked()) {
    PlaceRowButton(*MSFlexGrid1, *Command4, DeviceList::kSerialNumberColumn);
  } else {
    Command4->hide();
  }
}

// A reader the system does not let us open would otherwise just be missing from the list.
void Form1::TellAboutDeniedReaders() {
  QStringList messages;
  for (const ConnectedReader& device : link_->Devices().Devices()) {
    // Once udev has had its moment to grant access, and while the system still refuses it.
    if (!device.identity.IsOurs() || link_->StateOf(device.handle) != ScanState::kDenied) continue;
    const QString reader =
        HexWord(device.identity.product_id) + "/" + device.identity.serial_number;
    if (denied_readers_told_.contains(reader)) continue;
    denied_readers_told_.insert(reader);
    messages << NoAccessMessage(device);
  }
  // The boxes come last: the list may be rebuilt while one is open.
  for (const QString& message : messages) ShowMessage(message, kInformationStyle, kMessageTitle);
}

void Form1::closeEvent(QCloseEvent* event) {
  bool editing = false;
  for (EditorBox* editor : {DatabaseTab->Text4, Text8}) {
    if (editor->IsEditing()) {
      editor->CancelEdit();
      editing = true;
    }
  }
  if (editing) return event->ignore();
  if (compiled_run_ &&
      ShowMessage(QStringLiteral("Вы действительно хотите завершить сеанс работы в программе?"),
                  kYesNoQuestion, kMessageTitle) != kAnswerYes) {
    return event->ignore();
  }
  link_->Shutdown();
  database_.Close();
  hid_.Disconnect();
  event->accept();
}

void Form1::ShowProgress(int maximum) {
  ProgressBar1->setMaximum(maximum);
  ProgressBar1->show();
}

void Form1::SetProgress(int value) { ProgressBar1->setValue(value); }

void Form1::HideProgress() { ProgressBar1->hide(); }

void Form1::ShowReadersPresent(bool present) {
  SettingsTab->MSFlexGrid2->setEnabled(present);
  // The card test goes on without readers: it says there is nothing to compare with.
  if (!present && SSTab1->currentIndex() != kCardTestTab) SSTab1->setCurrentIndex(kSettingsTab);
  SSTab1->setTabEnabled(kFilesTab, present);
}

void Form1::SetSettingsGridEnabled(bool enabled) { SettingsTab->MSFlexGrid2->setEnabled(enabled); }

}  // namespace kx12r
