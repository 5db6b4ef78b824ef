#pragma once

#include <QCloseEvent>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QStatusBar>
#include <QTabWidget>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/FirmwareUpdateTab.h"
#include "base/WaitClock.h"
#include "cardtest/CardTestTab.h"
#include "db/DatabasePageTab.h"
#include "db/ServiceDatabase.h"
#include "files/SettingsFilesTab.h"
#include "link/ReaderLink.h"
#include "reader/HidLibrary.h"
#include "settings/ReaderSettingsTab.h"
#include "ui/EditorBox.h"
#include "ui/FlexGrid.h"
#include "ui/StatusPanels.h"

namespace kx12r {

// What the start-up learns from outside the program.
struct StartupEnvironment {
  QString program_folder;    // where the program and its service database lie
  bool compiled_run = true;  // a release build: start-up errors end the program, closing asks
  std::function<bool()> is_user_an_admin;
  // How long a database statement waits for another program's lock.
  std::chrono::milliseconds database_busy_timeout = kDatabaseBusyTimeout;
  // Another service database than the one beside the program (the demo's own copy).
  QString database_path;
  // The demo readers' cards for the card test; none with real readers.
  PresentDemoCard present_card;
};

// The service database the window works on.
QString DatabasePathOf(const StartupEnvironment& environment);

// The main window: the device list, the five tabs and the status bar.
class Form1 : public QWidget, private DiscoveryView {
  Q_OBJECT

 public:
  // Runs the start-up. Returns nothing when it ended the program; its message has been shown.
  static std::unique_ptr<Form1> Load(HidLibrary& hid, WaitClock& clock,
                                     const StartupEnvironment& environment);
  ~Form1() override;

  FlexGrid* MSFlexGrid1;
  QTabWidget* SSTab1;
  QStatusBar* StatusBar1;
  QProgressBar* ProgressBar1;
  QPushButton* Command3;
  QPushButton* Command4;
  EditorBox* Text8;
  QMenu* Transaction;
  ReaderSettingsTab* SettingsTab;
  SettingsFilesTab* FilesTab;
  DatabasePageTab* DatabaseTab;
  FirmwareUpdateTab* UpdateTab;
  CardTestTab* CardTab;

  ReaderLink& Link() { return *link_; }
  StatusPanels& Status() { return *status_; }
  ServiceDatabase& Database() { return database_; }
  bool CompiledRun() const { return compiled_run_; }
  bool UserIsAdmin() const { return user_is_admin_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Form1(HidLibrary& hid, WaitClock& clock, const StartupEnvironment& environment,
        bool user_is_admin, QString read_only_reason);
  void CreateControls();
  void Start();
  void OnReaderSelected();
  void OnTabChange();
  void ReloadOpenTab();
  void PlaceIndicationButton();
  void PlaceSerialNumberButton();
  void TellAboutDeniedReaders();

  // DiscoveryView
  void ShowProgress(int maximum) override;
  void SetProgress(int value) override;
  void HideProgress() override;
  void ShowReadersPresent(bool present) override;
  void SetSettingsGridEnabled(bool enabled) override;

  HidLibrary& hid_;
  WaitClock& clock_;
  const PresentDemoCard present_card_;
  const QString program_folder_;
  const bool compiled_run_;
  const bool user_is_admin_;
  // Why an administrator still gets the database read-only; empty when they may write.
  const QString read_only_reason_;
  ServiceDatabase database_;
  std::unique_ptr<StatusPanels> status_;
  std::unique_ptr<ReaderLink> link_;
  // The readers told of once that the system refuses the program access, by product and serial
  // number: a reader plugged in again is not told of again.
  QSet<QString> denied_readers_told_;
};

}  // namespace kx12r
